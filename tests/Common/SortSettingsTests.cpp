// Stored sort and search settings, the ROWID order bits and the sort indexes.
#include <sqlite3.h>

#include <filesystem>

#include "Common/SQLQuote.h"
#include "platform/foundation/SystemLog.h"
#include "tests/support/DatabaseTest.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;
using Codes = std::vector<int>;

class SortSettingsTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("create table t (a, b, c)");
    }

    Codes readCodes(const std::string& table, uint64_t* flags = nullptr,
                    IndexSet* search = nullptr) {
        Codes codes;
        uint64_t ignored = 0;
        EXPECT_EQ(getSortCodes(&codes, search, flags ? flags : &ignored, table, db, nullptr), 0);
        return codes;
    }

    void storeSortFields(const std::string& f1, const std::string& f2, const std::string& f3) {
        run("update varnelo_db_tables set sort_field1='" + f1 + "', sort_field2='" + f2 +
            "', sort_field3='" + f3 + "' where name='t'");
    }
};

TEST_F(SortSettingsTest, NothingStoredReadsAsNothingWithoutCreatingMetaTables) {
    uint64_t flags = 77;
    EXPECT_EQ(readCodes("t", &flags), Codes{});
    EXPECT_EQ(flags, 77u);
    EXPECT_FALSE(doesTableExist("varnelo_db_tables", db));
}

TEST_F(SortSettingsTest, SortCodesRoundTripInTheStoredForm) {
    ASSERT_EQ(updateSortCodes({6, 0, 0}, "t", db, nullptr), 0);
    EXPECT_TRUE(doesTableExist("varnelo_db_fields", db));
    EXPECT_EQ(query("select sort_field1, sort_field2, sort_field3 from varnelo_db_tables"),
              (Strings{"4#6 2", "0#0 0", "0#0 0"}));
    EXPECT_EQ(readCodes("t"), (Codes{6, 0, 0}));
    ASSERT_EQ(updateSortCodes({1, 4}, "t", db, nullptr), 0);
    EXPECT_EQ(readCodes("t"), (Codes{1, 4, 0}));
    EXPECT_EQ(updateSortCodes({}, "t", db, nullptr), 0);
    EXPECT_EQ(readCodes("t"), (Codes{1, 4, 0}));
    EXPECT_EQ(query("select count(*) from varnelo_db_tables"), Strings{"1"});
}

TEST_F(SortSettingsTest, OlderFormsAndUnreadableSettings) {
    ASSERT_EQ(updateSystemTable("t", uint64_t{0}, db, nullptr), 0);
    storeSortFields("2 2", "0 1", "8 1");
    EXPECT_EQ(readCodes("t"), (Codes{4, 0, 7}));
    std::vector<std::string> log;
    setSystemLogSink([&](const std::string& line) { log.push_back(line); });
    storeSortFields("4#6 2", "", "0#0 0");
    EXPECT_EQ(readCodes("t"), Codes{});
    setSystemLogSink({});
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "Invalid number of sort fields: 5 for table \"t\"");
}

TEST_F(SortSettingsTest, SearchSettingsRoundTrip) {
    std::string filter = "it's";
    ASSERT_EQ(updateSearchFields({3, 1}, false, &filter, "t", db, nullptr), 0);
    EXPECT_EQ(query("select search_field from varnelo_db_tables"), Strings{"1,3; it's"});
    run("update varnelo_db_tables set search_field='1,3;=abc'");
    IndexSet search{9};
    readCodes("t", nullptr, &search);
    EXPECT_EQ(search, (IndexSet{1, 3}));
    run("update varnelo_db_tables set search_field='2'");
    readCodes("t", nullptr, &search);
    EXPECT_EQ(search, (IndexSet{1, 3}));  // no ";": left alone
    Codes codes;
    int64_t number = -1;
    uint64_t flags = 0;
    EXPECT_EQ(getSortCodesSearchFieldNumber(&codes, &number, &flags, "t", db, nullptr), 0);
    EXPECT_EQ(number, 2);
    run("update varnelo_db_tables set search_field=';=x'");
    readCodes("t", nullptr, &search);
    EXPECT_EQ(search, IndexSet{});
}

TEST_F(SortSettingsTest, FlagBitsAndROWIDOrder) {
    ASSERT_EQ(updateSystemTable("t", kTableFlagSortedOnUniqueKey, false, db, nullptr), 0);
    EXPECT_EQ(query("select flags from varnelo_db_tables where name='t'"), Strings{"0"});
    ASSERT_EQ(updateSystemTable("u", kTableFlagSortedOnUniqueKey, true, db, nullptr), 0);
    EXPECT_EQ(query("select flags from varnelo_db_tables where name='u'"), Strings{"4"});
    // Each ROWID order code replaces the last one and keeps the other bits.
    uint64_t flags = 0;
    for (const auto& [code, expected] : {std::pair{2, 6u}, {1, 5u}, {3, 4u}}) {
        ASSERT_EQ(updateSortByROWIDCode(code, "u", db, nullptr), 0);
        readCodes("u", &flags);
        EXPECT_EQ(flags, expected) << code;
    }
    ASSERT_EQ(makeTableSortByROWIDUp("u", db, nullptr), 0);
    readCodes("u", &flags);
    EXPECT_EQ(flags, 1u);
    // No row is added by the ROWID order writer.
    ASSERT_EQ(updateSortByROWIDCode(2, "absent", db, nullptr), 0);
    EXPECT_FALSE(doesTableExistInMetadataTable("absent", db));
}

TEST_F(SortSettingsTest, ASortIndexWithAVeryLongDefinitionIsReplacedLikeAnyOther) {
    run("create index ind1_5 on t (a) where a != '" + std::string(200000, 'x') + "'");
    std::string error;
    ASSERT_EQ(updateTableIndexes("t", {1}, db, &error), 0) << error;
    EXPECT_EQ(query("select count(*) from sqlite_master where name = 'ind1_5'"), Strings{"0"});
    EXPECT_EQ(query("select count(*) from sqlite_master where type = 'index'"), Strings{"1"});
}

TEST_F(SortSettingsTest, IndexRebuildForTwoTablesWithinOneSecondKeepsUserIndexes) {
    run("create table \"o\"\"dd\" (x, \"y]\"); create index ind1_user on t (a);"
        "create index ind10 on t (b)");
    std::string error;
    ASSERT_EQ(updateTableIndexes("t", {6, 1}, db, &error), 0) << error;
    ASSERT_EQ(updateTableIndexes("o\"dd", {4}, db, &error), 0) << error;
    auto indexedColumns = [&](const std::string& table) {
        return query("select il.name, ii.name from pragma_index_list(" + quoteLiteral(table) +
                     ") il, pragma_index_info(il.name) ii where il.name like 'ind_\\_%' escape "
                     "'\\' and il.name != 'ind1_user' order by il.name");
    };
    Strings onT = indexedColumns("t");
    ASSERT_EQ(onT.size(), 4u);
    EXPECT_EQ(onT[1], "c");
    EXPECT_EQ(onT[3], "a");
    Strings onOdd = indexedColumns("o\"dd");
    ASSERT_EQ(onOdd.size(), 2u);
    EXPECT_EQ(onOdd[1], "y]");
    // A second rebuild replaces the sort indexes and keeps the user's.
    ASSERT_EQ(updateTableIndexes("t", {3}, db, &error), 0) << error;
    Strings again = indexedColumns("t");
    EXPECT_EQ(again.size(), 2u);
    EXPECT_EQ(query("select count(*) from sqlite_master where name in ('ind1_user', 'ind10')"),
              Strings{"2"});
}

TEST_F(SortSettingsTest, IndexesOfAMissingTableOrFileFailWithTheirReason) {
    std::string error;
    EXPECT_EQ(updateTableIndexes("absent", {1}, db, &error), SQLITE_ERROR);
    EXPECT_EQ(error, "no such table: absent");
    const std::string notes = pathInHome("notes.db");
    writeFile(notes, std::string(4096, 'n'));
    error.clear();
    EXPECT_EQ(updateTableIndexes("t", {1}, notes, &error), SQLITE_NOTADB);
    EXPECT_EQ(error, "file is not a database");
    const std::string missing = pathInHome("missing.db");
    EXPECT_EQ(updateTableIndexes("t", {1}, missing, nullptr), SQLITE_CANTOPEN);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(SortSettingsTest, TheGridsSortedQueryWalksTheSortIndex) {
    std::string error;
    ASSERT_EQ(createTable("big", 0, {"label", "amount"}, {kFieldTypeText, kFieldTypeNumber},
                          nullptr, nullptr, db, &error),
              0)
        << error;
    run("insert into big select 'x' || value, value from generate_series(1, 200)");
    for (int code : {1, 2, 3, 4}) {
        ASSERT_EQ(updateTableIndexes("big", {code}, db, &error), 0) << error;
        std::string sql;
        // Ties run the key's way, so the index gives the whole order, whatever the ROWID order.
        ASSERT_EQ(getQueryString(&sql, "big", "", {code}, 1, {}, false, db, &error), 0) << error;
        Strings plan = query("explain query plan " + sql + " limit 20 offset 100");
        std::string steps;
        for (const std::string& step : plan) steps += step + ";";
        EXPECT_NE(steps.find("USING INDEX ind1_"), std::string::npos) << sql << "\n" << steps;
        EXPECT_EQ(steps.find("TEMP B-TREE"), std::string::npos) << sql << "\n" << steps;
    }
}

// Every order the sort panel can store on three fields (one to three keys, each up or down,
// a field used twice too), searched or not, read forwards or from its end: SQLite walks the sort
// indexes for it and never sorts rows, neither whole nor a run of equal keys.
TEST_F(SortSettingsTest, NoStorableOrderPlansASort) {
    std::string error;
    ASSERT_EQ(createTable("big", 0, {"label", "amount", "city"},
                          {kFieldTypeText, kFieldTypeNumber, kFieldTypeText}, nullptr, nullptr, db,
                          &error),
              0)
        << error;
    run("insert into big select 'x' || (value % 7), value % 5, 'c' || (value % 3) from "
        "generate_series(1, 300)");
    std::vector<Codes> orders;
    for (int first = 1; first <= 6; ++first) {
        orders.push_back({first});
        for (int second = 1; second <= 6; ++second) {
            orders.push_back({first, second});
            for (int third = 1; third <= 6; ++third) orders.push_back({first, second, third});
        }
    }
    for (const Codes& codes : orders) {
        ASSERT_EQ(
            updateTableIndexes("big", std::vector<int64_t>(codes.begin(), codes.end()), db, &error),
            0)
            << error;
        for (const std::string like : {"", "%4%"}) {
            GridQuery grid;
            ASSERT_EQ(buildGridQuery(&grid, "big", like, {0}, codes, 2, 0, 0, db, &error), 0)
                << error;
            // The page itself, and the ranges of a page found by key: equal on the keys before
            // one, after a value on it (none after a value it equals on an earlier key).
            std::vector<std::string> statements = {grid.select + " limit 20 offset 100"};
            const std::string condition = grid.search.empty() ? "" : " and (" + grid.search + ")";
            for (size_t level = 0; level < grid.orderKeys.size(); ++level) {
                auto repeated = [&](const OrderKey& key) {
                    return key.expression == grid.orderKeys[level].expression;
                };
                if (std::any_of(grid.orderKeys.begin(), grid.orderKeys.begin() + level, repeated))
                    continue;
                std::string where, order;
                for (size_t i = 0; i < grid.orderKeys.size(); ++i) {
                    const OrderKey& key = grid.orderKeys[i];
                    if (i < level) where += " and " + key.expression + " = 1";
                    if (i == level) where += " and " + key.expression + " > 1";
                    if (i >= level) order += (i > level ? ", " : " order by ") + orderTerm(key);
                }
                statements.push_back("select " + grid.columns + " from " + grid.table + " where 1" +
                                     condition + where + order + " limit 20");
            }
            for (const std::string& statement : statements) {
                std::string steps;
                for (const std::string& step : query("explain query plan " + statement))
                    steps += step + ";";
                EXPECT_EQ(steps.find("TEMP B-TREE"), std::string::npos) << statement << "\n"
                                                                        << steps;
            }
        }
    }
}

// Building an index reads the whole table: a rebuild keeps each index still made for its key's
// place on the same expression, and replaces only the others.
TEST_F(SortSettingsTest, ARebuildKeepsTheIndexesOfKeysThatStayTheSame) {
    run("create index \"ind1_5\" on \"t\" (\"a\" collate nocase); create index \"ind2_5\" on "
        "\"t\" (\"b\"); create index \"ind3_5\" on \"t\" (\"c\"); create index \"ind1_6\" on "
        "\"t\" (\"a\" collate nocase); create index \"ind12_5\" on \"t\" (\"a\" collate "
        "nocase, \"b\")");
    // Each sort index as "<name> <what it is on>", the stamps of indexes made now as "new".
    auto sortIndexes = [&] {
        Strings listed;
        Strings rows = query(
            "select name, sql from sqlite_master where type = 'index' and "
            "tbl_name = 't' order by name");
        for (size_t i = 0; i + 1 < rows.size(); i += 2) {
            const std::string& name = rows[i];
            const size_t stamp = name.find('_') + 1;
            const std::string label =
                name.substr(0, stamp) + (name.size() == stamp + 1 ? name.substr(stamp) : "new");
            listed.push_back(label +
                             rows[i + 1].substr(("CREATE INDEX " + quoteIdentifier(name)).size()));
        }
        return listed;
    };
    struct Step {
        std::vector<int64_t> codes;
        Strings indexes;
    };
    const Step steps[] = {
        // Directions alone change: the indexes stay; the extra one of key 1 and key 3's go.
        {{2, 4, 0},
         {"ind12_5 on \"t\" (\"a\" collate nocase, \"b\")",
          "ind1_5 on \"t\" (\"a\" collate nocase)", "ind2_5 on \"t\" (\"b\")"}},
        // Key 2 turns against key 1: the index of both is another, named so; the others stay.
        {{2, 3, 0},
         {"ind12d_new on \"t\" (\"a\" collate nocase, \"b\" desc)",
          "ind1_5 on \"t\" (\"a\" collate nocase)", "ind2_5 on \"t\" (\"b\")"}},
        {{2, 4, 6},
         {"ind123_new on \"t\" (\"a\" collate nocase, \"b\", \"c\")",
          "ind1_5 on \"t\" (\"a\" collate nocase)", "ind2_5 on \"t\" (\"b\")",
          "ind3_new on \"t\" (\"c\")"}},
        // Only the second key changes.
        {{2, 6, 0},
         {"ind12_new on \"t\" (\"a\" collate nocase, \"c\")",
          "ind1_5 on \"t\" (\"a\" collate nocase)", "ind2_new on \"t\" (\"c\")"}},
        // A field moved to another key is indexed anew for its place.
        {{5, 1, 0},
         {"ind12_new on \"t\" (\"c\" collate nocase, \"a\")",
          "ind1_new on \"t\" (\"c\" collate nocase)", "ind2_new on \"t\" (\"a\")"}},
        {{1, 4, 5},
         {"ind12d3_new on \"t\" (\"a\" collate nocase, \"b\" desc, \"c\")",
          "ind1_new on \"t\" (\"a\" collate nocase)", "ind2_new on \"t\" (\"b\")",
          "ind3_new on \"t\" (\"c\")"}},
    };
    for (const Step& step : steps) {
        std::string error;
        ASSERT_EQ(updateTableIndexes("t", step.codes, db, &error), 0) << error;
        EXPECT_EQ(sortIndexes(), step.indexes) << step.codes[0] << ", " << step.codes[1];
    }
    // A field that becomes a Number is sorted by its number: its index is made again.
    std::string error;
    ASSERT_EQ(updateTableIndexes("t", {0, 0, 0}, db, &error), 0) << error;
    EXPECT_EQ(sortIndexes(), Strings{});
    run("create index \"ind1_7\" on \"t\" (\"b\" collate nocase)");
    ASSERT_EQ(updateTableIndexes("t", {3}, db, &error), 0) << error;
    EXPECT_EQ(sortIndexes(), Strings{"ind1_7 on \"t\" (\"b\" collate nocase)"});
    run("create table varnelo_db_fields (table_name, name, number, type, flags); insert into "
        "varnelo_db_fields values ('t', 'b', 2, 2, 0)");
    ASSERT_EQ(updateTableIndexes("t", {3}, db, &error), 0) << error;
    EXPECT_EQ(sortIndexes(), Strings{"ind1_new on \"t\" (cast (\"b\" as numeric))"});
    // The keys of the grid's order come one after another: without a second key the third is
    // indexed alone, and no index holds them together.
    ASSERT_EQ(updateTableIndexes("t", {1, 0, 6}, db, &error), 0) << error;
    EXPECT_EQ(sortIndexes(),
              (Strings{"ind1_new on \"t\" (\"a\" collate nocase)", "ind3_new on \"t\" (\"c\")"}));
}
