// The row readers: forms, paging, NULL handling, read-only opens and missing paths.
#include <chrono>
#include <filesystem>
#include <thread>

#include <sqlite3.h>

#include "platform/foundation/SystemLog.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class ReaderTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table t (a, b); insert into t values (1, 'x'), (2, NULL), (3, 'tab\there'), "
            "(4, cast(x'c328' as text))");
    }
};

TEST_F(ReaderTest, FlatReaderAppendsRowAfterRow) {
    Strings values{"kept"};
    EXPECT_EQ(getRows(&values, "select a, b from t order by a", db, nullptr), 0);
    EXPECT_EQ(values, (Strings{"kept", "1", "x", "2", "", "3", "tab\there", "4",
                               std::string(kInvalidUtf8Marker)}));
    // Offsets beyond 32 bits page past the end.
    values.clear();
    EXPECT_EQ(getRows(&values, "select a from t", 10, int64_t{5000000000}, db, nullptr), 0);
    EXPECT_TRUE(values.empty());
}

TEST_F(ReaderTest, NullableRowsKeepNullAndPageByLimitAndOffset) {
    std::vector<DBValue> values;
    EXPECT_EQ(getNullableRows(&values, "select b from t order by a", 2, 1, db, nullptr), 0);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_FALSE(values[0].has_value());
    EXPECT_EQ(*values[1], "tab\there");
    values.clear();
    // A limit below 1 reads everything and ignores the offset.
    EXPECT_EQ(getNullableRows(&values, "select a from t", 0, 10, db, nullptr), 0);
    EXPECT_EQ(values.size(), 4u);
}

TEST_F(ReaderTest, ArrayAndTabJoinedFormsReadOnly) {
    std::vector<DBRow> rows;
    EXPECT_EQ(getArrayOfRows(&rows, "select a, b from t order by a", true, 2, 0, db, nullptr), 0);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (DBRow{"1", "x"}));
    EXPECT_EQ(rows[1], (DBRow{"2", std::nullopt}));
    Strings lines;
    EXPECT_EQ(getRowsRO(&lines, "select a, b from t order by a limit 3", db, nullptr), 0);
    EXPECT_EQ(lines, (Strings{"1\tx", "2\t", "3\ttab\there"}));
    EXPECT_EQ(getArrayOfRows(&rows, "delete from t", false, db, nullptr), 8);
    EXPECT_EQ(query("select count(*) from t"), Strings{"4"});
}

TEST_F(ReaderTest, SingleNumber) {
    EXPECT_EQ(getNumberWithQueryString("select count(*) from t", db, nullptr), 4);
    EXPECT_EQ(getNumberWithQueryString("select a from t where a > 100", db, nullptr), -1);
    EXPECT_EQ(getNumberWithQueryString("select NULL", db, nullptr), 0);
    EXPECT_EQ(getNumberWithQueryString("select 'abc'", db, nullptr), 0);
    EXPECT_EQ(getNumberWithQueryString("select '  -12abc'", db, nullptr), -12);
    EXPECT_EQ(getNumberWithQueryString("select 9000000000", db, nullptr), 9000000000);
    std::string error;
    EXPECT_EQ(getNumberWithQueryString("select * from nosuch", db, &error), -1);
    EXPECT_EQ(error, "no such table: nosuch");
}

TEST_F(ReaderTest, CountAndFieldNames) {
    EXPECT_EQ(countRowsWithQuery("select * from t", db), 4);
    EXPECT_EQ(countRowsWithQuery("select * from nosuch", db), -1);
    EXPECT_EQ(countRowsWithQuery("select 1", ""), -1);
    Strings names;
    EXPECT_EQ(getFieldNames(&names, "select a, b as \"B b\" from t limit 1", db, nullptr), 0);
    EXPECT_EQ(names, (Strings{"a", "B b"}));
    names.clear();
    EXPECT_EQ(getFieldNames(&names, "select * from t where 0", db, nullptr), 0);
    EXPECT_TRUE(names.empty());
}

TEST_F(ReaderTest, ColumnNamesAndRowsReader) {
    Strings names;
    std::vector<DBTextRow> values;
    EXPECT_EQ(getColumnNames(&names, &values, 2, "select a, b from t order by a", db, nullptr), 2);
    EXPECT_EQ(names, (Strings{"a", "b"}));
    EXPECT_EQ(values, (std::vector<DBTextRow>{{"1", "x"}, {"2", ""}}));
    EXPECT_EQ(getColumnNames(&names, &values, 5, "select a from t where 0", db, nullptr), 0);
    std::string error;
    EXPECT_EQ(getColumnNames(&names, &values, 5, "select", db, &error), -1);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(getColumnNames(&names, &values, 5, "select 1", "", &error), -1);
    EXPECT_EQ(error, "Database file path was nil");
}

TEST_F(ReaderTest, MissingPathGivesMinusOneAndALogLine) {
    Strings lines;
    setSystemLogSink([&](const std::string& line) { lines.push_back(line); });
    Strings values;
    std::string error;
    EXPECT_EQ(getRows(&values, "select 1", "", &error), -1);
    EXPECT_EQ(error, "Null database file path");
    error.clear();
    std::vector<DBRow> rows;
    EXPECT_EQ(getArrayOfRows(&rows, "select 1", false, "", &error), -1);
    EXPECT_EQ(error, "Null database file path");
    EXPECT_EQ(getFieldNames(&values, "select 1", "", nullptr), -1);
    setSystemLogSink(nullptr);
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(ReaderTest, ReadersLackTheSystemFunctionsAndFilesTable) {
    std::string error;
    Strings values;
    EXPECT_EQ(getRows(&values, "select date2utc('2021-03-04 +0100')", db, &error), 1);
    EXPECT_EQ(error, "no such function: date2utc");
    error.clear();
    EXPECT_EQ(getRows(&values, "select count(*) from varnelo_db_files", db, &error), 1);
    EXPECT_EQ(error, "no such table: varnelo_db_files");
}

TEST_F(ReaderTest, AReadWaitsForAnotherConnectionsWrite) {
    // A write transaction held for less than a blink by another connection: the read must wait, not
    // fail.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "begin exclusive; insert into t values (5, 'w')", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    std::thread committer([writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        sqlite3_exec(writer, "commit", nullptr, nullptr, nullptr);
    });
    std::string error;
    EXPECT_EQ(getNumberWithQueryString("select count(*) from t", db, &error), 5) << error;
    committer.join();
    sqlite3_close(writer);
}

TEST_F(ReaderTest, ReadsOfAMissingFileNeverCreateIt) {
    std::string missing = pathInHome("vanished.db");
    Strings values;
    std::string error;
    EXPECT_EQ(getRows(&values, "select 1", missing, &error), 14);
    EXPECT_EQ(error, "unable to open database file");
    EXPECT_EQ(countRowsWithQuery("select 1", missing), -1);
    EXPECT_FALSE(doesTableExist("t", missing));
    Strings names;
    EXPECT_NE(getFieldNames(&names, "select 1", missing, nullptr), 0);
    std::vector<DBRow> rows;
    error.clear();
    EXPECT_EQ(getArrayOfRows(&rows, "select 1", false, missing, &error), 14);
    EXPECT_EQ(error, "unable to open database file");
    EXPECT_NE(getRowsRO(&values, "select 1", missing, nullptr), 0);
    EXPECT_FALSE(std::filesystem::exists(missing));
}
