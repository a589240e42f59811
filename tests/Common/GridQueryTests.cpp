#include <gtest/gtest.h>

#include <sqlite3.h>

#include "Common/DBConnection.h"
#include "Common/DBInterface.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;

namespace {
class GridQueryTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table t (a, b); insert into t values ('it''s', 10), ('B', 9), ('b', 10), "
            "('x', 2); create table varnelo_db_fields (table_name, name, number, type, flags); "
            "insert into varnelo_db_fields values ('t', 'b', 2, 2, 0)");
    }

    std::string grid(const std::vector<int>& sortCodes, uint64_t rowidCode = 1,
                     const std::string& like = "", const IndexSet& search = {},
                     bool noROWID = false, const std::string& table = "t") {
        std::string sql;
        std::string error;
        EXPECT_EQ(
            getQueryString(&sql, table, like, sortCodes, rowidCode, search, noROWID, db, &error), 0)
            << error;
        return sql;
    }
};
}  // namespace

TEST_F(GridQueryTest, OrderClauses) {
    EXPECT_EQ(grid({}, 2), "select ROWID, * from \"t\" order by ROWID desc");
    EXPECT_EQ(grid({4}),
              "select ROWID, * from \"t\" order by cast (\"b\" as numeric) desc , ROWID desc");
    EXPECT_EQ(grid({1, 4}),
              "select ROWID, * from \"t\" order by \"a\" collate nocase asc, cast (\"b\" as "
              "numeric) desc , ROWID asc");
    EXPECT_EQ(grid({2, 8}, 2),
              "select ROWID, * from \"t\" order by \"a\" collate nocase desc , ROWID desc");
    EXPECT_EQ(grid({7}, 1, "%x%", {0}),
              "select ROWID, * from \"t\" where \"a\" like '%x%' escape '\\' order by ROWID asc");
    EXPECT_EQ(grid({}, 1, "", {}, true), "select '', * from \"t\"");
    EXPECT_EQ(grid({1, 3}, 1, "", {}, true),
              "select '', * from \"t\" order by \"a\" collate nocase asc, cast (\"b\" as "
              "numeric) asc");
    std::string paged;
    EXPECT_EQ(getQueryString(&paged, "t", 10, 20, "", {}, 1, {}, db, nullptr), 0);
    EXPECT_EQ(paged, "select ROWID, * from \"t\" order by ROWID asc limit 10 offset 20");
}

TEST_F(GridQueryTest, TwoKeysReadInOrderWithRowidTieBreak) {
    // b descending as a number, then a: rows 1 and 3 tie on b and are kept apart by a, then
    // by rowid.
    std::vector<std::string> rows;
    ASSERT_EQ(getRows(&rows, grid({4, 1}), db, nullptr), 0);
    EXPECT_EQ(rows, (std::vector<std::string>{"3", "b", "10", "1", "it's", "10", "2", "B", "9", "4",
                                              "x", "2"}));
}

// Rows tied on every key follow key 1's direction, whatever the ROWID order used without keys
// and the later keys' directions: rows 1 and 3 tie on b (10), rows 2 and 3 on a without case.
TEST_F(GridQueryTest, TiesFollowTheFirstKeysDirection) {
    struct Case {
        std::vector<int> sortCodes;
        std::vector<std::string> rowids;
    };
    const Case cases[] = {
        {{4}, {"3", "1", "2", "4"}},    {{3}, {"4", "2", "1", "3"}},
        {{2}, {"4", "1", "3", "2"}},    {{1}, {"2", "3", "1", "4"}},
        {{4, 8}, {"3", "1", "2", "4"}}, {{3, 4}, {"4", "2", "1", "3"}},
        {{4, 3}, {"3", "1", "2", "4"}},
    };
    for (const Case& c : cases) {
        for (uint64_t rowidCode : {1, 2}) {
            std::vector<std::string> rowids;
            ASSERT_EQ(
                getRows(&rowids, "t", "", {}, c.sortCodes, rowidCode, 0, 0, true, db, nullptr), 0);
            EXPECT_EQ(rowids, c.rowids) << grid(c.sortCodes, rowidCode);
        }
    }
    // Export of the stored order lists the rows as the grid shows them.
    EXPECT_EQ(directQuery("select rowid from t" + getOrderByClause("t", {4}, 1, db, nullptr)),
              (std::vector<std::string>{"3", "1", "2", "4"}));
}

TEST_F(GridQueryTest, SearchTextWithAQuoteFindsItsRow) {
    std::string sql = grid({}, 1, "%it's%", {0, 1});
    EXPECT_EQ(sql,
              "select ROWID, * from \"t\" where \"a\" like '%it''s%' escape '\\' or \"b\" like "
              "'%it''s%' escape '\\' order by ROWID asc");
    std::vector<std::string> rows;
    ASSERT_EQ(getRows(&rows, sql, db, nullptr), 0);
    EXPECT_EQ(rows, (std::vector<std::string>{"1", "it's", "10"}));
    // Indexes beyond the fields are skipped by the query.
    EXPECT_EQ(grid({}, 1, "%x%", {5}), "select ROWID, * from \"t\" order by ROWID asc");
}

TEST_F(GridQueryTest, RawFieldsViewsAndRowidPages) {
    run("create table r (a, r); insert into r values ('k', x'00ff'); insert into "
        "varnelo_db_fields values ('r', 'r', 2, 9, 0); create view v as select a from t");
    EXPECT_EQ(grid({}, 1, "", {}, false, "r"),
              "select ROWID, \"a\", hex(\"r\") from \"r\" order by ROWID asc");
    EXPECT_EQ(grid({}, 2, "", {}, false, "v"), "select ROWID, * from \"v\"");
    std::vector<std::string> rowids;
    ASSERT_EQ(getRows(&rowids, "t", "", {}, {4}, 1, 2, 1, true, db, nullptr), 0);
    // Rows 1 and 3 tie on b; ROWID breaks the tie in the direction of the first key.
    EXPECT_EQ(rowids, (std::vector<std::string>{"1", "2"}));
    std::vector<std::string> page;
    ASSERT_EQ(getRows(&page, "t", 1, 1, "%b%", {0}, {}, 2, db, nullptr), 0);
    EXPECT_EQ(page, (std::vector<std::string>{"2", "B", "9"}));
    std::vector<std::string> raw;
    ASSERT_EQ(getRows(&raw, "r", "", {}, {}, 1, 0, 0, false, db, nullptr), 0);
    EXPECT_EQ(raw, (std::vector<std::string>{"1", "k", "00FF"}));
}

TEST_F(GridQueryTest, TotalsUnderASearch) {
    std::string error;
    EXPECT_EQ(calculateTotalRowsForTable("t", "", {0}, db, &error), 4);
    EXPECT_EQ(calculateTotalRowsForTable("t", "%1%", {0, 1}, db, &error), 2);
    EXPECT_EQ(calculateTotalRowsForTable("t", "%b%", {0, 1}, db, &error), 2);
    EXPECT_EQ(calculateTotalRowsForTable("t", "%'%", {0, 1}, db, &error), 1);
    EXPECT_EQ(calculateTotalRowsForTable("", "%b%", {0}, db, &error), 0);
    EXPECT_EQ(error, "");
    EXPECT_EQ(calculateTotalRowsForTable("t", "%b%", {5}, db, &error), -1);
    EXPECT_EQ(error, "Search field index out of range");
    EXPECT_EQ(calculateTotalRowsForTable("missing", "", {}, db, nullptr), -1);
    EXPECT_EQ(whereExpressionForSimpleSearchString(nullptr, {"a"}), "");
    std::string text = "o'k";
    EXPECT_EQ(whereExpressionForSimpleSearchString(&text, {"a", "b"}),
              "\"a\" like '%o''k%' escape '\\' or \"b\" like '%o''k%' escape '\\'");
}

TEST_F(GridQueryTest, SearchTextsAreLikePatternsAsTyped) {
    // "%" and "_" keep their LIKE meaning; a backslash stands for itself under the escape.
    const struct {
        std::string text;
        std::string pattern;
        int64_t rows;  // of t, searching a
    } cases[] = {{"%", "%%%", 4},   {"_", "%_%", 4},     {"i_'s", "%i_'s%", 1}, {"t_s", "%t_s%", 1},
                 {"%'", "%%'%", 1}, {"\\", "%\\\\%", 0}, {"b%", "%b%%", 2},     {"", "%%", 4}};
    for (const auto& row : cases) {
        EXPECT_EQ(likePatternForSearchText(row.text), row.pattern) << row.text;
        EXPECT_EQ(calculateTotalRowsForTable("t", row.pattern, {0}, db, nullptr), row.rows)
            << row.text;
    }
    run("insert into t values ('a\\b', 1), ('a\\\\b', 1)");
    EXPECT_EQ(calculateTotalRowsForTable("t", likePatternForSearchText("a\\b"), {0}, db, nullptr),
              1);
    EXPECT_EQ(calculateTotalRowsForTable("t", likePatternForSearchText("\\"), {0}, db, nullptr), 2);
}

TEST_F(GridQueryTest, EditStatuses) {
    run("create table k (rowid integer primary key, x); create table h (RowId text, x); "
        "create table w (id primary key, x) without rowid; create table c (rowid integer, y, "
        "primary key (rowid, y)); create view v as select * from t; create view sv as select * "
        "from t; create table varnelo_db_tables (name, flags); insert into varnelo_db_tables "
        "values ('sv', 4), ('w', 5)");
    EXPECT_EQ(tableEditStatus("k", db, nullptr), kTableEditable);
    EXPECT_EQ(tableEditStatus("h", db, nullptr), kRowidHidden);
    EXPECT_EQ(tableEditStatus("c", db, nullptr), kRowidHidden);
    std::string error;
    EXPECT_EQ(tableEditStatus("w", db, &error), kNoRowid);
    EXPECT_NE(error, "");
    EXPECT_EQ(objectEditStatus("v", db, nullptr), kNotATable);
    error.clear();
    EXPECT_EQ(objectEditStatus("it's gone", db, &error), kObjectNotFound);
    EXPECT_EQ(error, "Object not found");

    EXPECT_TRUE(isObjectSortedOnUniqueKey("sv", db, nullptr));
    EXPECT_FALSE(isObjectSortedOnUniqueKey("v", db, nullptr));
    EXPECT_EQ(selectedObjectStatus("t", db, nullptr), kObjectEditable);
    EXPECT_EQ(selectedObjectStatus("sv", db, nullptr), kObjectReadOnlyPaged);
    EXPECT_EQ(selectedObjectStatus("v", db, nullptr), kObjectLimited);
    EXPECT_EQ(selectedObjectStatus("w", db, nullptr), kObjectReadOnlyPaged);
    EXPECT_EQ(selectedObjectStatus("h", db, nullptr), kObjectLimited);
}

// A lock held past the busy time-out must fail the build: a query built without the field model
// would read every row, unsearched and unsorted, as if that were the answer.
TEST_F(GridQueryTest, AFailedReadFailsTheBuildInsteadOfDroppingSearchAndSort) {
    run("create table hundred (n, tag); insert into hundred select value, case when value % 10 "
        "= 0 then 'hit' else 'miss' end from generate_series(1, 100); insert into "
        "varnelo_db_fields values ('hundred', 'n', 1, 2, 0)");
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    std::string sql = "unchanged";
    std::string error;
    EXPECT_EQ(getQueryString(&sql, "hundred", "%hit%", {2}, 1, {1}, false, db, &error),
              SQLITE_BUSY);
    EXPECT_EQ(sql, "unchanged");
    EXPECT_EQ(error, "database is locked");
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);

    GridQuery built;
    error.clear();
    ASSERT_EQ(buildGridQuery(&built, "hundred", "%hit%", {1}, {2}, 1, 0, 0, db, &error), 0)
        << error;
    std::vector<DBValue> page;
    ASSERT_EQ(readGridPage(&page, built, 0, 0, db, &error), 0) << error;
    std::vector<std::string> texts;
    for (const DBValue& value : page) texts.push_back(value.value_or("NULL"));
    EXPECT_EQ(texts, directQuery("select rowid, n, tag from hundred where tag = 'hit' order by n "
                                 "desc"));
    EXPECT_EQ(texts.size(), 30u);
    EXPECT_EQ(directQuery(built.count), std::vector<std::string>{"10"});
}

TEST_F(GridQueryTest, APageOfABuiltQueryIsOneConnectionKeepsNullAndRefusesChangedFields) {
    run("insert into t values (NULL, 1)");
    GridQuery built;
    std::string error;
    ASSERT_EQ(buildGridQuery(&built, "t", "", {}, {4}, 1, 0, 0, db, &error), 0) << error;
    EXPECT_EQ(built.columnsPerRow, 3);
    std::vector<DBValue> page{"kept"};
    int64_t opened = DBConnection::openedConnectionCount();
    ASSERT_EQ(readGridPage(&page, built, 2, 3, db, &error), 0) << error;
    EXPECT_EQ(DBConnection::openedConnectionCount() - opened, 1);
    EXPECT_EQ(page, (std::vector<DBValue>{"kept", "4", "x", "2", "5", std::nullopt, "1"}));

    run("alter table t add column c");
    page.clear();
    EXPECT_EQ(readGridPage(&page, built, 2, 0, db, &error), -1);
    EXPECT_EQ(error, "The fields of the table have changed. Reload the table to see its rows.");
    EXPECT_TRUE(page.empty());
}
