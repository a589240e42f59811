#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Common/DBInterface.h"
#include "Common/RowInserter.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

namespace {
const std::set<std::string> kNoHidden;

class RowWritingTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table \"t\"\"q\" (a, b, g as (a || b)); insert into \"t\"\"q\" (a, b) values "
            "('x', 1), ('y', 2), ('z', 3)");
    }
    const std::string table = "t\"q";
};
}  // namespace

TEST(SQLLiterals, ValuesAndNumbers) {
    EXPECT_EQ(fieldValueSQLForNullableObject("it's"), "'it''s'");
    EXPECT_EQ(fieldValueSQLForNullableObject(3.5), "3.5");
    EXPECT_EQ(fieldValueSQLForNullableObject(int64_t{-7}), "-7");
    EXPECT_EQ(fieldValueSQLForNullableObject(FieldValue::null()), "NULL");
    EXPECT_EQ(fieldValueSQLForNullableObject(DBValue()), "NULL");
    EXPECT_EQ(fieldValueSQLForNullableObject(FieldValue()), "''");
    EXPECT_EQ(fieldValueSQLForNullableObject(0.1), "0.1");
    EXPECT_EQ(fieldValueSQLForNullableObject(2.0), "2.0");
    EXPECT_EQ(fieldValueSQLForNullableObject(std::nan("")), "NULL");
    EXPECT_EQ(fieldValueSQLForNullableObject(std::numeric_limits<double>::infinity()), "NULL");
}

TEST(CommaLists, Builders) {
    std::vector<FieldValue> mixed{1, "x", 2.5};
    EXPECT_EQ(commaSeparatedStringForNumberArray(&mixed), "1,2.5");
    IndexSet indexes{5, 1, 3};
    EXPECT_EQ(commaSeparatedStringForIndexSet(&indexes), "1,3,5");
    std::vector<std::string> names{"a", "b\"c"};
    EXPECT_EQ(commaSeparatedStringForStringArray(&names, true), "\"a\",\"b\"\"c\"");
    EXPECT_EQ(commaSeparatedStringForStringArray(&names, false), "a,b\"c");
    EXPECT_EQ(commaSeparatedStringForStringArray(nullptr, true), "");
    std::set<std::string> set{"b", "a"};
    EXPECT_EQ(commaSeparatedStringForStringSet(&set), "a,b");
}

TEST(InsertText, ValuesFollowTheirFields) {
    EXPECT_EQ(stringForInsertRowIntoTable("t", {"f1", "f2"}, {"7", "a", "it's"}, kNoHidden, true),
              "insert into \"t\" (\"f1\",\"f2\") values ('a','it''s')");
    EXPECT_EQ(stringForInsertRowIntoTable("t", {"f1", "f2", "f3"}, {"a", FieldValue::null()},
                                          {"f1"}, false),
              "insert into \"t\" (\"f2\") values (NULL)");
}

TEST_F(RowWritingTest, UpdatesOneField) {
    std::string error;
    EXPECT_EQ(updateField("it's", table, "a", "1", db, &error), 0) << error;
    EXPECT_EQ(updateField(FieldValue::null(), table, "b", "2", db, &error), 0) << error;
    EXPECT_EQ(query("select a, b from \"t\"\"q\" order by rowid"),
              (Strings{"it's", "1", "y", "", "z", "3"}));
    EXPECT_EQ(query("select typeof(b) from \"t\"\"q\" where rowid=2")[0], "null");
    // No value is refused rather than written as NULL.
    EXPECT_EQ(updateField(FieldValue(), table, "a", "1", db, &error), -1);
    // A row that is gone changes nothing and says so.
    DBValue stored;
    EXPECT_EQ(updateField("new", table, "a", "2", &stored, db, &error), 0) << error;
    EXPECT_EQ(stored, "new");
    EXPECT_EQ(updateField("lost", table, "a", "99", &stored, db, &error), kRowGone);
    EXPECT_EQ(error, rowNoLongerExistsMessage());
    EXPECT_EQ(directQuery("select count(*) from \"t\"\"q\" where a = 'lost'")[0], "0");
}

TEST_F(RowWritingTest, AWrittenFieldReadsBackAsSQLiteStoredIt) {
    run("create table typed (r real, i integer, n numeric, x text, g as (r * 2)); insert into "
        "typed (r, i, n, x) values (1, 1, 1, 'old')");
    struct Case {
        const char* field;
        FieldValue value;
        DBValue stored;
    };
    for (const Case& c :
         {Case{"r", "450", "450.0"}, Case{"i", "7.0", "7"}, Case{"n", "1e3", "1000"},
          Case{"x", 450, "450"}, Case{"r", FieldValue::null(), std::nullopt},
          Case{"x", "not a number", "not a number"}}) {
        DBValue stored = "unset";
        std::string error;
        ASSERT_EQ(updateField(c.value, "typed", c.field, "1", &stored, db, &error), 0) << error;
        EXPECT_EQ(stored, c.stored) << c.field;
        EXPECT_EQ(
            directQuery(std::string("select quote(") + c.field + ") from typed")[0],
            c.stored ? (c.field == std::string("x") ? "'" + *c.stored + "'" : *c.stored) : "NULL")
            << c.field;
    }
}

TEST_F(RowWritingTest, AWriteIntoTheIntegerPrimaryKeyFollowsTheMovedRow) {
    run("create table keyed (id integer primary key, n); insert into keyed values (3, 'a'), "
        "(8, 'b')");
    DBValue stored;
    std::string rowidAfter;
    std::string error;
    ASSERT_EQ(updateField(" 7", "keyed", "id", "3", &stored, &rowidAfter, db, &error), 0) << error;
    EXPECT_EQ(stored, "7");
    EXPECT_EQ(rowidAfter, "7");
    // Another field leaves the rowid where it was.
    ASSERT_EQ(updateField("c", "keyed", "n", "8", &stored, &rowidAfter, db, &error), 0) << error;
    EXPECT_EQ(stored, "c");
    EXPECT_EQ(rowidAfter, "8");
    EXPECT_EQ(query("select id, n from keyed order by id"),
              (std::vector<std::string>{"7", "a", "8", "c"}));
}

TEST_F(RowWritingTest, RefusesTheMarkerAndBadRowids) {
    std::string error;
    EXPECT_EQ(updateField(std::string(kInvalidUtf8Marker), table, "a", "1", db, &error), -1);
    EXPECT_EQ(error, "Field \"a\" cannot be updated to that special string.");
    error.clear();
    EXPECT_EQ(updateFieldValues({"ok", std::string(kInvalidUtf8Marker)}, {"a", "b"}, kNoHidden,
                                table, "1", db, &error),
              -1);
    EXPECT_EQ(error, "Field \"b\" cannot be updated to that special string.");
    EXPECT_EQ(updateRowsArray({}, {"a"}, std::string(kInvalidUtf8Marker), table, db, nullptr), -1);
    error.clear();
    EXPECT_EQ(updateField("v", table, "a", "1 or 1=1", db, &error), -1);
    EXPECT_EQ(error, "Invalid rowid: 1 or 1=1");
    EXPECT_EQ(deleteRowsArray({"1", "2); drop table x; --"}, table, db, nullptr), -1);
    EXPECT_EQ(deleteRow("", table, db, nullptr), -1);
    EXPECT_EQ(query("select a from \"t\"\"q\" order by rowid"), (Strings{"x", "y", "z"}));
}

TEST_F(RowWritingTest, UpdatesWholeRowsAndManyRows) {
    std::string error;
    // The generated column is hidden and left out.
    EXPECT_EQ(
        updateFieldValues({"p", 9, "ignored"}, {"a", "b", "g"}, {"g"}, table, "3", db, &error), 0)
        << error;
    EXPECT_EQ(query("select a, b, g from \"t\"\"q\" where rowid=3"), (Strings{"p", "9", "p9"}));
    EXPECT_EQ(updateFieldValues({"p"}, {"a", "b"}, kNoHidden, table, "3", db, &error), -1);
    EXPECT_EQ(error, "Field values count 1 does not equal field names count 2");
    error.clear();
    EXPECT_EQ(updateFieldValues({"p"}, {"g"}, {"g"}, table, "3", db, &error), -1);
    EXPECT_EQ(error, "No fields were included that can be updated.");

    EXPECT_EQ(updateRowsArray({"1", "2"}, {"a", "b"}, "q", table, db, &error), 0);
    EXPECT_EQ(query("select count(*) from \"t\"\"q\" where a='q' and b='q'")[0], "2");
    EXPECT_EQ(updateRowsArray({}, {"a"}, FieldValue(), table, db, &error), 0);
    EXPECT_EQ(query("select count(*) from \"t\"\"q\" where a=''")[0], "3");
    EXPECT_EQ(updateRowsArray({}, {}, "q", table, db, &error), -1);
    // A row deleted elsewhere takes no values: that is no success.
    error.clear();
    run("delete from \"t\"\"q\" where rowid=2");
    EXPECT_EQ(updateFieldValues({"gone", 1}, {"a", "b"}, kNoHidden, table, "2", db, &error),
              kRowGone);
    EXPECT_NE(error.find("no longer exists"), std::string::npos) << error;
    EXPECT_EQ(query("select count(*) from \"t\"\"q\" where a='gone'")[0], "0");
}

TEST_F(RowWritingTest, InsertsAndDeletes) {
    std::string error;
    int64_t rowid = 0;
    EXPECT_EQ(insertAllFieldValues({"7", "w", 4.25}, {"a", "b"}, kNoHidden, table, &rowid, true,
                                   nullptr, db, &error),
              0)
        << error;
    EXPECT_EQ(rowid, 4);
    EXPECT_EQ(query("select a, b from \"t\"\"q\" where rowid=4"), (Strings{"w", "4.25"}));
    EXPECT_EQ(
        insertAllFieldValues({}, {"a"}, kNoHidden, table, nullptr, false, nullptr, db, &error), -1);
    EXPECT_EQ(error, "Both field names and values are required.");

    EXPECT_EQ(deleteRow("1", table, db, nullptr), 0);
    EXPECT_EQ(deleteRowsArray({"2", "4"}, table, db, nullptr), 0);
    EXPECT_EQ(query("select rowid from \"t\"\"q\""), (Strings{"3"}));
    EXPECT_EQ(deleteRowsArray({}, table, db, nullptr), -1);
    EXPECT_EQ(deleteFromTable(table, db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from \"t\"\"q\"")[0], "0");
    EXPECT_EQ(vacuumDatabaseFilePath(db, nullptr), 0);
}

TEST_F(RowWritingTest, BlankRowsAreAtomic) {
    EXPECT_EQ(addBlankRows(0, {"a", "b"}, table, nullptr, db, nullptr), 0);
    EXPECT_EQ(addBlankRows(3, {"a", "b"}, table, nullptr, db, nullptr), 0);
    EXPECT_EQ(query("select count(*) from \"t\"\"q\" where a='' and b=''")[0], "3");
    // The second blank row breaks the unique key: none of the rows stays.
    run("create table u (k unique, v)");
    std::string error;
    EXPECT_NE(addBlankRows(5, {"k", "v"}, "u", nullptr, db, &error), 0);
    EXPECT_NE(error.find("UNIQUE"), std::string::npos) << error;
    EXPECT_EQ(query("select count(*) from u")[0], "0");
}

TEST_F(RowWritingTest, AnEmptyRowidColumnTakesTheNextRowidAndOtherKeysKeepTheEmptyText) {
    run("create table k (\"My Id\" Integer Primary Key, name text, price real); insert into k "
        "values (7, 'a', 1)");
    const std::vector<std::string> names{"My Id", "name", "price"};
    std::string error;
    int64_t rowid = 0;
    DBRow stored;
    // As the record editor adds a cleared row: the key is left to SQLite, the rest stays ''.
    ASSERT_EQ(insertAllFieldValues({"", "", "", ""}, names, kNoHidden, "k", &rowid, true, &stored,
                                   db, &error),
              0)
        << error;
    EXPECT_EQ(rowid, 8);
    EXPECT_EQ(stored, (DBRow{"8", "8", "", ""}));
    ASSERT_EQ(insertAllFieldValues({"", "20", "b", "450"}, names, kNoHidden, "k", &rowid, true,
                                   &stored, db, &error),
              0)
        << error;
    EXPECT_EQ(stored, (DBRow{"20", "20", "b", "450.0"}));
    ASSERT_EQ(addBlankRows(3, names, "k", nullptr, db, &error), 0) << error;
    EXPECT_EQ(directQuery("select group_concat(\"My Id\" || ':' || quote(name) || ':' || "
                          "quote(price)) from k where \"My Id\" > 20"),
              (Strings{"21:'':'',22:'':'',23:'':''"}));
    // The bound inserts of the import and the row paste follow the same rule.
    {
        sqlite3* connection = nullptr;
        ASSERT_EQ(sqlite3_open(db.c_str(), &connection), SQLITE_OK);
        {
            RowInserter inserter(connection, "k", names);
            EXPECT_EQ(inserter.insert({"", "c"}, &error), SQLITE_OK) << error;
            EXPECT_EQ(inserter.insert({"30", "d"}, &error), SQLITE_OK) << error;
        }  // its statements are finalized before the connection closes
        EXPECT_EQ(sqlite3_close(connection), SQLITE_OK);
    }
    EXPECT_EQ(directQuery("select group_concat(\"My Id\" || name) from k where \"My Id\" > 23"),
              (Strings{"24c,30d"}));

    // Keys that are not the rowid take the empty text as any field does.
    run("create table descending (id INTEGER PRIMARY KEY DESC, v); create table typed (id int "
        "primary key, v); create table keyed (id integer primary key, v) without rowid; "
        "create table pair (a integer, b integer, primary key (a, b))");
    for (const char* other : {"descending", "typed", "keyed", "pair"}) {
        const std::vector<std::string> fields =
            other == std::string("pair") ? Strings{"a", "b"} : Strings{"id", "v"};
        EXPECT_EQ(insertAllFieldValues({"", ""}, fields, kNoHidden, other, nullptr, false, nullptr,
                                       db, &error),
                  0)
            << other << ": " << error;
        EXPECT_EQ(directQuery(std::string("select quote(") + fields[0] + ") from " + other),
                  (Strings{"''"}))
            << other;
    }
}

TEST_F(RowWritingTest, DeletesAQueryLessItsExceptions) {
    run("create table big (v); with recursive n(i) as (select 1 union all select i + 1 from n "
        "where i < 130) insert into big select i from n");
    std::string selection = "SELECT ROWID, * from big where v > 10";
    std::string error;
    ASSERT_EQ(deleteFromTable("big", &selection, {"11", "12"}, true, db, &error), 0) << error;
    EXPECT_EQ(query("select count(*) from big")[0], "12");
    EXPECT_EQ(query("select count(*) from varnelo_db_special_query_rowids")[0], "0");
    // Without a query: every row but the exceptions.
    ASSERT_EQ(deleteFromTable("big", nullptr, {"1"}, true, db, &error), 0) << error;
    EXPECT_EQ(query("select v from big"), (Strings{"1"}));
    EXPECT_EQ(deleteFromTable("big", nullptr, {"1) or (1"}, false, db, nullptr), -1);
}
