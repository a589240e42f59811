// The script runner and the statement runner: row limits, names, out-parameters, errors.
#include <sqlite3.h>

#include <filesystem>

#include "platform/foundation/UserDefaults.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/SQLiteMemoryPeak.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class ScriptRunnerTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table t (a, b); insert into t select value, 'v' || value from "
            "generate_series(1, 1500)");
    }

    // The script runner keeping at most `limit` rows.
    int script(const std::string& sql, int limit, std::vector<DBRow>* rows,
               Strings* names = nullptr, int* fieldCount = nullptr, std::string* error = nullptr,
               bool nullAsObject = false) {
        // Without a list no row is kept.
        ScriptOptions options{rows ? std::optional<int64_t>(limit) : std::nullopt, nullAsObject};
        ScriptResult result;
        int rc = execMultipleQueryString(sql, options, &result, db, error);
        if (rc != 0 && rc != kRowLimitReached) return rc;
        if (rows) *rows = std::move(result.rows);
        if (fieldCount) *fieldCount = static_cast<int>(result.fieldNames.size());
        if (names) *names = std::move(result.fieldNames);
        return rc;
    }
};

TEST_F(ScriptRunnerTest, RowLimitKeepsRowsBackButRunsTheRestOfTheScript) {
    std::vector<DBRow> rows;
    std::string error;
    EXPECT_EQ(script("select a from t order by a; update t set b = 'changed'", 1000, &rows, nullptr,
                     nullptr, &error),
              kRowLimitReached);
    EXPECT_EQ(error, "");
    ASSERT_EQ(rows.size(), 1000u);
    EXPECT_EQ(*rows.front()[0], "1");
    EXPECT_EQ(*rows.back()[0], "1000");
    EXPECT_EQ(query("select count(*) from t where b = 'changed'"), Strings{"1500"});
    // Exactly the limit is no stop.
    rows.clear();
    EXPECT_EQ(script("select a from t where a <= 1000", 1000, &rows), 0);
    EXPECT_EQ(rows.size(), 1000u);
}

TEST_F(ScriptRunnerTest, RowsOfAllStatementsWithTheFirstStatementsNames) {
    std::vector<DBRow> rows;
    Strings names;
    int fieldCount = -7;
    EXPECT_EQ(
        script("select 1 as x, 2 as y; select 'p', 'q', 'r'", 100, &rows, &names, &fieldCount), 0);
    EXPECT_EQ(names, (Strings{"x", "y"}));
    EXPECT_EQ(fieldCount, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].size(), 3u);
    EXPECT_EQ(*rows[1][2], "r");
}

TEST_F(ScriptRunnerTest, ZeroLimitRecordsNamesOnlyAndNoListRunsEverything) {
    std::vector<DBRow> rows;
    Strings names;
    EXPECT_EQ(script("select a from t; delete from t where a > 10", 0, &rows, &names),
              kRowLimitReached);
    EXPECT_EQ(names, Strings{"a"});
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(query("select count(*) from t"), Strings{"10"});
    EXPECT_EQ(script("select a from t; delete from t where a > 5", 0, nullptr), 0);
    EXPECT_EQ(query("select count(*) from t"), Strings{"5"});
}

TEST_F(ScriptRunnerTest, NullAsNullObjectOrEmptyTextAndInvalidUtf8AsMarker) {
    run("create table n (v); insert into n values (NULL), (cast(x'41e942' as text))");
    std::vector<DBRow> rows;
    script("select v from n order by rowid", 10, &rows, nullptr, nullptr, nullptr, true);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0][0].has_value());
    EXPECT_EQ(*rows[1][0], kInvalidUtf8Marker);
    rows.clear();
    script("select v from n order by rowid", 10, &rows);
    EXPECT_EQ(rows[0][0], DBValue(""));
}

TEST_F(ScriptRunnerTest, FailureStopsAtTheFailingStatementAndDeliversNothing) {
    std::vector<DBRow> rows;
    Strings names;
    std::string error;
    int fieldCount = -7;
    EXPECT_EQ(script("insert into t values (9999, 'kept'); select * from t; select * from nosuch; "
                     "insert into t values (10000, 'never')",
                     100, &rows, &names, &fieldCount, &error),
              1);
    EXPECT_EQ(error, "no such table: nosuch");
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(fieldCount, -7);
    EXPECT_EQ(query("select count(*) from t where a >= 9999"), Strings{"1"});
}

TEST_F(ScriptRunnerTest, UncommittedTransactionOfAFailedScriptIsRolledBack) {
    std::string error;
    EXPECT_NE(execMultipleQueryString("begin transaction; delete from t; insert into nosuch "
                                      "values (1); commit transaction",
                                      nullptr, nullptr, db, &error),
              0);
    EXPECT_EQ(query("select count(*) from t"), Strings{"1500"});
    // A script that opens a transaction and never commits it loses its changes with the
    // connection: that is a failure, not a success with changes.
    int64_t changes = -1;
    error.clear();
    EXPECT_NE(execMultipleQueryString("begin; insert into t values (1, 'lost')", &changes, nullptr,
                                      db, &error),
              0);
    EXPECT_NE(error.find("rolled back"), std::string::npos) << error;
    EXPECT_EQ(query("select count(*) from t"), Strings{"1500"});
    // Only reading inside an open transaction loses nothing.
    std::vector<DBRow> rows;
    EXPECT_EQ(script("begin; select count(*) from t", 10, &rows), 0);
    EXPECT_EQ(rows.size(), 1u);
}

TEST_F(ScriptRunnerTest, ChangesAndLastRowIdComeFromTheLastChange) {
    int64_t changes = -1, lastRowID = -1;
    EXPECT_EQ(execMultipleQueryString("update t set b = 'x' where a <= 7; insert into t values "
                                      "(1, 2); select 1",
                                      &changes, &lastRowID, db, nullptr),
              0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lastRowID, 1501);
}

// SQLite copied the rest of the script for every statement it prepared: a script of many
// statements (an import of a large file in one transaction) took time and memory quadratic in
// its length.
TEST_F(ScriptRunnerTest, ALongScriptIsParsedInPlaceAndRunsToItsEnd) {
    const std::string statement = "select '" + std::string(1000, 'x') + "'; ";
    const std::string last = "insert into t values (0, 'last')";
    auto peakMemoryDuring = [this](const std::string& sql) {
        return sqliteMemoryPeakDuring([&] { run(sql); });
    };
    std::string script;
    for (int i = 0; i < 2000; ++i) script += statement;
    script += last;
    const sqlite3_int64 shortScriptPeak = peakMemoryDuring(statement + last);
    EXPECT_LT(peakMemoryDuring(script) - shortScriptPeak,
              static_cast<sqlite3_int64>(script.size() / 4));
    EXPECT_EQ(query("select count(*) from t where b = 'last'"), Strings{"2"});
}

TEST_F(ScriptRunnerTest, MissingPathAndUnopenableFile) {
    std::string error;
    EXPECT_EQ(execMultipleQueryString("select 1", nullptr, nullptr, "", &error), -1);
    EXPECT_EQ(error, "Null database file path");
    error.clear();
    std::string inMissingFolder = pathInHome("no/such/folder/x.db");
    EXPECT_EQ(execMultipleQueryString("select 1", nullptr, nullptr, inMissingFolder, &error), 14);
    EXPECT_EQ(error, "Could not open the database " + inMissingFolder);
}

TEST_F(ScriptRunnerTest, NonDatabaseFileFailsWithSQLitesMessageAndStaysUntouched) {
    std::string path = pathInHome("notes.txt");
    writeFile(path, std::string(2048, 'x'));
    std::string error;
    EXPECT_EQ(execMultipleQueryString("create table z (a)", nullptr, nullptr, path, &error), 26);
    EXPECT_EQ(error, "file is not a database");
    EXPECT_EQ(std::filesystem::file_size(path), 2048u);
}

class VanishedFileTest : public DatabaseTest {};

TEST_F(VanishedFileTest, ChangesFailWithoutCreatingAFile) {
    run("create table t (a); insert into t values (1)");
    std::filesystem::remove(db);
    std::string error;
    EXPECT_EQ(updateSortCodes({1, 0, 0}, "t", db, &error), SQLITE_CANTOPEN);
    EXPECT_EQ(error, "Could not open the database " + db);
    EXPECT_EQ(updateSystemTable("t", kTableFlagSortedOnUniqueKey, true, db, nullptr),
              SQLITE_CANTOPEN);
    EXPECT_EQ(execUpdateStatement("update t set a = 2", db, nullptr), SQLITE_CANTOPEN);
    EXPECT_EQ(deleteRow("1", "t", db, nullptr), SQLITE_CANTOPEN);
    EXPECT_EQ(execMultipleQueryString("delete from t", nullptr, nullptr, db, nullptr),
              SQLITE_CANTOPEN);
    EXPECT_FALSE(std::filesystem::exists(db));

    // A file of no bytes, as a new database is made, is an empty database to change.
    writeFile(db, "");
    EXPECT_EQ(execMultipleQueryString("create table n (x)", nullptr, nullptr, db, nullptr), 0);
    std::filesystem::remove(db);
    // Nor does a new table: a database holding only it would stand where the user's file was.
    EXPECT_EQ(createTable("m", 0, {"x"}, {kFieldTypeText}, nullptr, nullptr, db, nullptr),
              SQLITE_CANTOPEN);
    EXPECT_EQ(addBlankRows(1, {"a"}, "t", nullptr, db, nullptr), SQLITE_CANTOPEN);
    EXPECT_EQ(insertAllFieldValues({"1"}, {"a"}, {}, "t", nullptr, false, nullptr, db, nullptr),
              SQLITE_CANTOPEN);
    EXPECT_FALSE(std::filesystem::exists(db));
}

class StatementRunnerTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table t (a, b); insert into t values (1, 'one'), (2, NULL), (3, 'three')");
    }
};

TEST_F(StatementRunnerTest, RunsOnlyTheFirstStatement) {
    int64_t changes = -1;
    EXPECT_EQ(
        execCommandString("update t set b = 'u'; delete from t", &changes, nullptr, db, nullptr),
        0);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(query("select count(*) from t where b = 'u'"), Strings{"3"});
    // A select leaves the out-parameters alone.
    int64_t lastRowID = 43;
    changes = 42;
    EXPECT_EQ(execCommandString("select * from t", &changes, &lastRowID, db, nullptr), 0);
    EXPECT_EQ(changes, 42);
    EXPECT_EQ(lastRowID, 43);
}

TEST_F(StatementRunnerTest, ReadsNamesAndRowsWithNullAndInvalidUtf8AsEmptyText) {
    run("insert into t values (5, cast(x'ff00fe' as text))");
    int fieldCount = 0;
    Strings names;
    std::vector<DBTextRow> values;
    EXPECT_EQ(execQueryString("select a, b, 1 from t order by a", -1, &fieldCount, &names, &values,
                              nullptr, nullptr, db, nullptr),
              0);
    EXPECT_EQ(fieldCount, 3);
    EXPECT_EQ(names, (Strings{"a", "b", "1"}));
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[1], (DBTextRow{"2", "", "1"}));
    EXPECT_EQ(values[3], (DBTextRow{"5", "", "1"}));
    values.clear();
    execQueryString("select a from t", 2, &fieldCount, nullptr, &values, nullptr, nullptr, db,
                    nullptr);
    EXPECT_EQ(values.size(), 2u);
}

TEST_F(StatementRunnerTest, InsertReportsItsRowIdAndErrorsTheirMessage) {
    int64_t lastRowID = 0;
    EXPECT_EQ(
        execCommandString("insert into t values (4, 'four')", nullptr, &lastRowID, db, nullptr), 0);
    EXPECT_EQ(lastRowID, 4);
    std::string error;
    EXPECT_EQ(execCommandString("insert into nosuch values (1)", db, &error), 1);
    EXPECT_EQ(error, "no such table: nosuch");
    error.clear();
    run("create table u (k unique)");
    execCommandString("insert into u values (1)", db, nullptr);
    EXPECT_EQ(execUpdateStatement("insert into u values (1)", db, &error), 19);
    EXPECT_EQ(error, "UNIQUE constraint failed: u.k");
}

TEST_F(StatementRunnerTest, ForeignKeysFollowTheUserDefault) {
    run("create table parent (id integer primary key); create table child (p references "
        "parent(id))");
    EXPECT_EQ(execCommandString("insert into child values (99)", db, nullptr), 0);
    UserDefaults::standard().setBool(true, "EnableForeignKeyConstraints");
    std::string error;
    EXPECT_EQ(execCommandString("insert into child values (98)", db, &error), 19);
    EXPECT_EQ(error, "FOREIGN KEY constraint failed");
}
