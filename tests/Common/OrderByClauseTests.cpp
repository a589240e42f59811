// The ORDER BY of a table's stored sort and the edition answers.
#include <filesystem>

#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

namespace {
class OrderByClauseTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        // b is a Number field: 10 sorts after 9 only when compared as a number.
        run("create table t (a, b); insert into t values ('b', 10), ('B', 9), ('a', 9), "
            "('it''s', 2); create table varnelo_db_fields (table_name, name, number, type, "
            "flags); insert into varnelo_db_fields values ('t', 'b', 2, 2, 0)");
    }

    std::string clause(const std::vector<int>& codes, uint64_t rowidCode = 1,
                       const std::string& table = "t", std::string* error = nullptr) {
        return getOrderByClause(table, codes, rowidCode, db, error);
    }
};
}  // namespace

TEST_F(OrderByClauseTest, KeysTieBreakAndFallbacksOrderTheRowsAsTheySay) {
    EXPECT_EQ(clause({1}), " order by \"a\" collate nocase asc , ROWID asc");
    // Ties run key 1's way, whatever the ROWID order used without keys.
    EXPECT_EQ(clause({4, 1}), " order by cast (\"b\" as numeric) desc, \"a\" asc , ROWID desc");
    EXPECT_EQ(clause({3, 1}, 2), " order by cast (\"b\" as numeric) asc, \"a\" asc , ROWID asc");
    // A key beyond the fields ends the keys; without key 1 the ROWID order is all there is.
    EXPECT_EQ(clause({3, 7, 1}), " order by cast (\"b\" as numeric) asc , ROWID asc");
    EXPECT_EQ(clause({7, 1}), " order by ROWID asc");
    EXPECT_EQ(clause({}, 2), " order by ROWID desc");
    EXPECT_EQ(clause({0, 1}, 3), " order by ROWID asc");

    // The clause runs as it reads, and matches the grid's keys.
    EXPECT_EQ(directQuery("select rowid from t" + clause({4, 1})), (Strings{"1", "2", "3", "4"}));
    EXPECT_EQ(directQuery("select rowid from t" + clause({2})), (Strings{"4", "2", "1", "3"}));
    std::string grid;
    ASSERT_EQ(getQueryString(&grid, "t", "", {}, std::vector<int>{4, 1}, 1, 0, 0, db, nullptr), 0);
    EXPECT_NE(grid.find(" order by cast (\"b\" as numeric) desc, \"a\" asc , ROWID desc"),
              std::string::npos);

    // An unreadable field list is reported and falls back to the ROWID order.
    std::string error;
    EXPECT_EQ(clause({1}, 2, "missing", &error), " order by ROWID desc");
    std::filesystem::remove(db);
    EXPECT_EQ(clause({1}, 1, "t", &error), " order by ROWID asc");
    EXPECT_FALSE(error.empty());
}

TEST(Editions, NamesSchemesAndKeys) {
    EXPECT_FALSE(isSorvaneDB());
    EXPECT_TRUE(isSorvaneDB("com.example.sorvanedb"));
    EXPECT_FALSE(isSorvaneDB("com.example.sorvanedb.helper"));
    EXPECT_EQ(callbackUrlScheme(true), "sorvanedb");
    EXPECT_EQ(callbackUrlScheme(false), "varnelodb");
    EXPECT_EQ(appDisplayName(isSorvaneDB()), "Varnelo DB");
    EXPECT_EQ(appDisplayName(true), "Sorvane DB");

    // Each edition has keys of its own; its URL scheme is made of its key.
    for (bool sorvane : {false, true}) {
        EXPECT_NE(dropboxAppKey(sorvane), dropboxAppSecret(sorvane));
        EXPECT_EQ(dropboxUrlScheme(sorvane), "db-" + dropboxAppKey(sorvane));
    }
    EXPECT_NE(dropboxAppKey(false), dropboxAppKey(true));
    EXPECT_NE(dropboxAppSecret(false), dropboxAppSecret(true));
}
