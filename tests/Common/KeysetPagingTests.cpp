// Pages found by key give the rows an offset gives, in every order the grid reads, before and
// after another connection changes the rows; and the watch that tells a changed file.
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "Common/KeysetPager.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/PostedCalls.h"

using namespace DBInterface;

namespace {

constexpr int64_t kSpacing = 7;
constexpr int64_t kPageRows = 5;

struct Order {
    std::vector<int> sortCodes;
    uint64_t rowidCode = 1;
    std::string like;
};

struct HandOrder {
    std::vector<int> sortCodes;
    uint64_t rowidCode;  // the stored ROWID order, which ties must not follow
    std::string like;    // searched in the field "rep"
    std::string orderBy;
};

// Orders as the sort panel stores them, with their ORDER BY written out by hand.
const std::vector<HandOrder> kHandOrders = {
    {{5}, 2, "", "rep collate nocase asc, rowid asc"},
    {{6}, 1, "", "rep collate nocase desc, rowid desc"},
    {{12}, 1, "", "cast(sparse as numeric) desc, rowid desc"},
    {{9, 6}, 2, "", "two collate nocase asc, rep desc, rowid asc"},
    {{10, 5}, 1, "", "two collate nocase desc, rep asc, rowid desc"},
    {{6, 9, 8}, 1, "", "rep collate nocase desc, two asc, cast(num as numeric) desc, rowid desc"},
    {{11, 10}, 2, "", "cast(sparse as numeric) asc, two desc, rowid asc"},
    {{8, 8}, 1, "", "cast(num as numeric) desc, cast(num as numeric) desc, rowid desc"},
    {{10, 7}, 1, "%r%", "two collate nocase desc, cast(num as numeric) asc, rowid desc"},
};

class KeysetPagingTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("pragma user_version = 1");
        std::string error;
        ASSERT_EQ(createTable("t", 0, {"name", "amount"}, {kFieldTypeText, kFieldTypeNumber},
                              nullptr, nullptr, db, &error),
                  0)
            << error;
        // Many ties, letter case that ties only without case, NULLs, numbers stored as text.
        insertRows(1, 400);
    }

    void insertRows(int from, int to) {
        run("insert into t select case when value % 11 = 0 then null when value % 2 then 'n' "
            "|| (value % 13) else 'N' || (value % 13) end, case when value % 17 = 0 then null "
            "when value % 5 = 0 then (value % 23) || '' when value % 3 = 0 then (value % 19) "
            "+ 0.5 else value % 29 end from generate_series(" +
            std::to_string(from) + ", " + std::to_string(to) + ")");
    }

    // Through a connection of the test's own, as another window or process would.
    void write(const std::string& sql) {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open_v2(db.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(other);
        sqlite3_close(other);
    }

    GridQuery grid(const Order& order) {
        GridQuery query;
        std::string error;
        EXPECT_EQ(
            buildGridQuery(&query, "t", order.like, order.like.empty() ? IndexSet{} : IndexSet{0},
                           order.sortCodes, order.rowidCode, 0, 0, db, &error),
            0)
            << error;
        EXPECT_TRUE(query.keyed) << query.select;
        return query;
    }

    // Every page the pager reads, at offsets meeting every place between two marks and past the
    // end, against LIMIT/OFFSET on the same rows.
    void expectPagesByOffset(KeysetPager& pager, const GridQuery& query, const char* stage) {
        int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
        for (int64_t first = 0; first <= rows + 2; first += 3) {
            std::vector<DBValue> expected, read;
            ASSERT_EQ(readGridPage(&expected, query, kPageRows, first, db, nullptr), 0);
            std::string error;
            ASSERT_EQ(pager.readPage(&read, query, first, kPageRows, db, &error), 0) << error;
            ASSERT_EQ(read, expected) << stage << ", page at " << first << " of " << query.select;
        }
    }

    void waitForMarks(const std::vector<std::unique_ptr<KeysetPager>>& pagers) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        auto ready = [&] {
            for (const auto& pager : pagers) {
                if (!pager->marksReady()) return false;
            }
            return true;
        };
        while (!ready() && std::chrono::steady_clock::now() < deadline) {
            posted.runAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(ready());
    }

    // big (name, amount, rep, num, two, sparse): unique names in two letter cases; unique
    // amounts; 7 texts tied without case; 11 numbers, some stored as text; two values; a number in
    // one row of 40, else NULL.
    void makeBigTable(int rows) {
        std::string error;
        ASSERT_EQ(createTable("big", 0, {"name", "amount", "rep", "num", "two", "sparse"},
                              {kFieldTypeText, kFieldTypeNumber, kFieldTypeText, kFieldTypeNumber,
                               kFieldTypeText, kFieldTypeNumber},
                              nullptr, nullptr, db, &error),
                  0)
            << error;
        run("insert into big select case when value % 2 then 'Name ' else 'name ' end || "
            "(value * 577 % 4001), (value * 1031 % 4001) * 0.5, case value % 7 when 0 then 'a' "
            "when 1 then 'A' else 'r' || (value * 3 % 7) end, case when value % 3 = 0 then "
            "(value % 11) || '' else value % 11 end, case when value % 3 = 0 then 'yes' else "
            "'no' end, case when value % 40 = 0 then value % 9 end from generate_series(1, " +
            std::to_string(rows) + ")");
    }

    // h (name, amount, tag) of hostile values: NULLs, long runs of repeats, quotes, letter case,
    // numbers and texts and blobs in one field, texts that are no number in a Number field.
    void makeHostileTable(int rows) {
        std::string error;
        ASSERT_EQ(createTable("h", 0, {"name", "amount", "tag"},
                              {kFieldTypeText, kFieldTypeNumber, kFieldTypeText}, nullptr, nullptr,
                              db, &error),
                  0)
            << error;
        run("insert into h select case value % 9 when 0 then null when 1 then 'it''s ' || "
            "(value % 4) when 2 then '\"q\" ' || (value % 3) when 3 then 'Ab' when 4 then 'aB' "
            "when 5 then value % 6 when 6 then (value % 5) * 0.5 when 7 then x'00ff' else 'n' || "
            "(value % 13) end, case value % 7 when 0 then null when 1 then 'abc' when 2 then "
            "(value % 11) || '' when 3 then '1e1' else value % 4 end, case when value % 5 = 0 "
            "then null when value % 3 = 0 then 'x''y' else 'z' end from generate_series(1, " +
            std::to_string(rows) + ")");
    }

    PostedCalls posted;
};

}  // namespace

TEST_F(KeysetPagingTest, PagesByKeyAndFromTheEndAreTheOffsetPagesWhileRowsChange) {
    const std::vector<Order> orders = {
        {{}, 1, ""},     {{}, 2, ""},  {{1}, 1, ""},    {{2}, 1, ""},
        {{3}, 1, ""},    {{4}, 1, ""}, {{1, 4}, 1, ""}, {{2, 3, 1}, 1, ""},
        {{3}, 1, "%1%"}, {{1}, 2, ""}, {{4}, 2, ""},    {{2, 3}, 2, ""},
    };
    std::vector<GridQuery> queries;
    std::vector<std::unique_ptr<KeysetPager>> pagers;
    for (const Order& order : orders) {
        queries.push_back(grid(order));
        pagers.push_back(std::make_unique<KeysetPager>(posted.poster(), kSpacing, 20));
        // Counted: pages near the end are read from it until the marks are in.
        ASSERT_GT(pagers.back()->countRows(queries.back(), db, nullptr), 20);
        expectPagesByOffset(*pagers.back(), queries.back(), "counted");
    }
    waitForMarks(pagers);
    for (size_t i = 0; i < pagers.size(); ++i) expectPagesByOffset(*pagers[i], queries[i], "marks");

    // Marks of older rows are never used, and are sampled again.
    write(
        "update t set name = 'N5' where rowid % 9 = 0; update t set amount = null where rowid "
        "% 7 = 2; delete from t where rowid % 10 = 3");
    insertRows(401, 450);
    std::string error;
    ASSERT_EQ(updateTableIndexes("t", {1, 3}, db, &error), 0) << error;
    for (size_t i = 0; i < pagers.size(); ++i) {
        expectPagesByOffset(*pagers[i], queries[i], "changed");
    }
    // Marks sampled before a change but handed over after it are dropped too.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (posted.waiting() < pagers.size() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    write("delete from t where rowid % 4 = 1");
    posted.runAll();
    for (const auto& pager : pagers) EXPECT_FALSE(pager->marksReady());
    waitForMarks(pagers);
    for (size_t i = 0; i < pagers.size(); ++i) {
        expectPagesByOffset(*pagers[i], queries[i], "sampled again");
    }
}

// Long runs of equal keys, so that ranges start in the middle of runs and long runs are read on
// their own: every kind of order, each with its sort indexes, read forwards and backwards in
// pages of two sizes against LIMIT/OFFSET on the same rows. The last orders store a ROWID order
// against the keys' direction, which their ties do not follow.
TEST_F(KeysetPagingTest, EveryKindOfOrderPagesAsOffsetsDoForwardsAndBackwards) {
    makeBigTable(4000);
    std::string error;
    const std::vector<Order> orders = {
        {{}, 1, ""},         {{}, 2, ""},          {{1}, 1, ""},     {{4}, 1, ""},
        {{5}, 1, ""},        {{6}, 1, ""},         {{7}, 1, ""},     {{8}, 1, ""},
        {{9}, 1, ""},        {{10}, 1, ""},        {{11}, 1, ""},    {{12}, 1, ""},
        {{9, 5}, 1, ""},     {{10, 8}, 1, ""},     {{12, 1}, 1, ""}, {{5, 7, 1}, 1, ""},
        {{10, 5, 7}, 1, ""}, {{11, 10, 6}, 1, ""}, {{9}, 1, "%7%"},  {{9, 5}, 1, "%1%"},
        {{5}, 2, ""},        {{10}, 2, ""},        {{9, 5}, 2, ""},  {{10, 8}, 2, ""},
        {{6, 5, 7}, 2, ""},  {{10, 6}, 1, "%1%"},
    };
    for (const Order& order : orders) {
        std::vector<int64_t> codes(order.sortCodes.begin(), order.sortCodes.end());
        ASSERT_EQ(updateTableIndexes("big", codes, db, &error), 0) << error;
        GridQuery query;
        ASSERT_EQ(
            buildGridQuery(&query, "big", order.like, order.like.empty() ? IndexSet{} : IndexSet{0},
                           order.sortCodes, order.rowidCode, 0, 0, db, &error),
            0)
            << error;
        ASSERT_TRUE(query.keyed);
        KeysetPager pager(posted.poster(), 50, 100);
        const int64_t rows = pager.countRows(query, db, nullptr);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!pager.marksReady() && std::chrono::steady_clock::now() < deadline) {
            posted.runAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(pager.marksReady()) << query.select;
        std::vector<int64_t> firsts;
        for (int64_t first = 0; first < rows + 3; first += 37) firsts.push_back(first);
        firsts.insert(firsts.end(), firsts.rbegin(), firsts.rend());
        for (size_t i = 0; i < firsts.size(); ++i) {
            const int64_t limit = i % 2 ? 61 : kPageRows;
            std::vector<DBValue> expected, read;
            ASSERT_EQ(readGridPage(&expected, query, limit, firsts[i], db, nullptr), 0);
            ASSERT_EQ(pager.readPage(&read, query, firsts[i], limit, db, &error), 0) << error;
            ASSERT_EQ(read, expected)
                << limit << " rows at " << firsts[i] << " of " << query.select;
        }
    }
}

TEST_F(KeysetPagingTest, MarksSampledForTheLastQueryAreNeverUsedForTheNext) {
    KeysetPager pager(posted.poster(), kSpacing, 20);
    GridQuery up = grid({{1}, 1, ""});
    GridQuery down = grid({{2}, 1, ""});
    ASSERT_GT(pager.countRows(up, db, nullptr), 20);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (posted.waiting() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::vector<DBValue> page;
    ASSERT_EQ(pager.readPage(&page, down, 0, kPageRows, db, nullptr), 0);
    posted.runAll();
    EXPECT_FALSE(pager.marksReady());
    expectPagesByOffset(pager, down, "after another query");
}

TEST_F(KeysetPagingTest, AFileChangesWithEveryCommitElsewhereAndWithAnotherFileInItsPlace) {
    FileChangeWatch watch(db);
    int64_t version = watch.version();
    EXPECT_EQ(watch.version(), version);
    write("update t set amount = 99 where rowid = 1");
    int64_t updated = watch.version();
    EXPECT_NE(updated, version);
    EXPECT_EQ(watch.version(), updated);
    // A copy moved over the file has the same rows but is another file.
    std::filesystem::copy_file(db, db + ".copy");
    std::filesystem::rename(db + ".copy", db);
    int64_t replaced = watch.version();
    EXPECT_NE(replaced, updated);
    EXPECT_EQ(watch.version(), replaced);
    std::filesystem::remove(db);
    EXPECT_NE(watch.version(), replaced);
    EXPECT_NE(watch.version(), watch.version());
}

TEST_F(KeysetPagingTest, OnlyOrdinaryTablesReadWithTheirRowidAreKeyed) {
    run("create view v as select * from t; create virtual table f using fts5(a);"
        "create table w (k primary key, a) without rowid");
    // A table without rowid is read with an empty ROWID column.
    const std::pair<const char*, uint32_t> objects[] = {{"v", 0}, {"f", 0}, {"w", kNoRowidName}};
    for (const auto& [name, rowidName] : objects) {
        GridQuery query;
        ASSERT_EQ(buildGridQuery(&query, name, "", {}, {1}, 1, 0, rowidName, db, nullptr), 0);
        EXPECT_FALSE(query.keyed) << name;
    }
}

// Orders of two and three keys over hostile values (NULLs, long runs of repeats, quotes, letter
// case, numbers and texts and blobs in one field, texts that are no number in a Number field),
// read through the index of all keys and without it, at scattered places and widths, against
// LIMIT/OFFSET on the same rows.
TEST_F(KeysetPagingTest, OrdersOfSeveralKeysPageAsOffsetsDoWithAndWithoutTheirJointIndex) {
    makeHostileTable(1500);
    std::string error;
    const std::vector<std::vector<int>> codes = {{1, 3},    {2, 3},    {1, 4},    {4, 1},
                                                 {6, 2},    {3, 2, 5}, {6, 3, 2}, {5, 2, 3},
                                                 {2, 4, 6}, {4, 5, 1}};
    uint32_t seed = 7;
    auto next = [&](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    for (const std::vector<int>& order : codes) {
        std::vector<int64_t> indexed(order.begin(), order.end());
        ASSERT_EQ(updateTableIndexes("h", indexed, db, &error), 0) << error;
        for (bool joint : {true, false}) {
            if (!joint) {
                run("drop index \"" +
                    query("select name from sqlite_master where name like 'ind12%'").at(0) + "\"");
            }
            for (uint64_t rowidCode : {1, 2}) {
                for (const char* like : {"", "%'%"}) {
                    GridQuery query;
                    ASSERT_EQ(buildGridQuery(&query, "h", like, like[0] ? IndexSet{0} : IndexSet{},
                                             order, rowidCode, 0, 0, db, &error),
                              0)
                        << error;
                    KeysetPager pager(posted.poster(), 50, 100);
                    const int64_t rows = pager.countRows(query, db, nullptr);
                    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                    while (!pager.marksReady() && std::chrono::steady_clock::now() < deadline) {
                        posted.runAll();
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                    ASSERT_TRUE(pager.marksReady()) << query.select;
                    for (int read = 0; read < 25; ++read) {
                        const int64_t first = next(static_cast<uint32_t>(rows + 5));
                        const int64_t limit = 1 + next(70);
                        std::vector<DBValue> expected, got;
                        ASSERT_EQ(readGridPage(&expected, query, limit, first, db, nullptr), 0);
                        ASSERT_EQ(pager.readPage(&got, query, first, limit, db, &error), 0)
                            << error;
                        ASSERT_EQ(got, expected) << limit << " rows at " << first << " of "
                                                 << query.select << (joint ? " (joint)" : "");
                    }
                }
            }
        }
    }
}

// Rows tied on every sort key follow key 1's direction, whatever the stored ROWID order: the
// grid's pages by offset, its pages by key before and after the marks and the rowid batches give
// the rows an ORDER BY written out by hand gives, as does the stored order's clause.
TEST_F(KeysetPagingTest, EveryReaderTiesRowsInTheFirstKeysDirection) {
    makeBigTable(1500);
    auto handPage = [&](const HandOrder& order, int64_t limit, int64_t offset) {
        return directQuery("select rowid from big" +
                           (order.like.empty() ? "" : " where rep like '" + order.like + "'") +
                           " order by " + order.orderBy + " limit " + std::to_string(limit) +
                           " offset " + std::to_string(offset));
    };
    auto rowidsOf = [](const std::vector<DBValue>& rows, int64_t width) {
        std::vector<std::string> rowids;
        for (size_t i = 0; i < rows.size(); i += static_cast<size_t>(width)) {
            rowids.push_back(rows[i].value_or(""));
        }
        return rowids;
    };
    for (const HandOrder& order : kHandOrders) {
        std::string error;
        const IndexSet search = order.like.empty() ? IndexSet{} : IndexSet{2};
        std::vector<int64_t> codes(order.sortCodes.begin(), order.sortCodes.end());
        ASSERT_EQ(updateTableIndexes("big", codes, db, &error), 0) << error;
        GridQuery query;
        ASSERT_EQ(buildGridQuery(&query, "big", order.like, search, order.sortCodes,
                                 order.rowidCode, 0, 0, db, &error),
                  0)
            << error;
        ASSERT_TRUE(query.keyed) << query.select;
        std::vector<std::unique_ptr<KeysetPager>> pagers;
        pagers.push_back(std::make_unique<KeysetPager>(posted.poster(), 50, 100));
        KeysetPager& pager = *pagers.front();
        const int64_t rows = pager.countRows(query, db, &error);
        ASSERT_GT(rows, 100) << error;
        std::vector<int64_t> firsts;
        for (int64_t first = 0; first < rows + 3; first += 97) firsts.push_back(first);
        firsts.push_back(rows - 4);
        // Right after the count, then once the marks are in.
        for (const std::string stage : {"counted", "marks"}) {
            if (stage == "marks") waitForMarks(pagers);
            for (int64_t first : firsts) {
                const std::vector<std::string> expected = handPage(order, 9, first);
                std::vector<DBValue> offsetPage, keyPage;
                ASSERT_EQ(readGridPage(&offsetPage, query, 9, first, db, &error), 0) << error;
                EXPECT_EQ(rowidsOf(offsetPage, query.columnsPerRow), expected)
                    << query.select << " at " << first;
                ASSERT_EQ(pager.readPage(&keyPage, query, first, 9, db, &error), 0) << error;
                EXPECT_EQ(rowidsOf(keyPage, query.columnsPerRow), expected)
                    << stage << ", " << query.select << " at " << first;
                std::vector<std::string> batch;
                ASSERT_EQ(getRows(&batch, "big", order.like, search, order.sortCodes,
                                  order.rowidCode, 9, first, true, db, &error),
                          0)
                    << error;
                EXPECT_EQ(batch, expected) << "rowid batch at " << first;
            }
        }
        // The stored order read whole, as an export of the table's rows reads it.
        if (order.like.empty()) {
            EXPECT_EQ(
                directQuery("select rowid from big" +
                            getOrderByClause("big", order.sortCodes, order.rowidCode, db, &error)),
                handPage(order, -1, 0))
                << order.orderBy;
        }
    }
}

// A row's place found by counting the ranges before its keys is its place in the rows the grid
// reads by offset, for every kind of key (NULLs, runs of repeats, quotes, letter case, numbers,
// texts and blobs in one field), with and without the index of all keys, under a search and
// with the rows its count took standing for it; rows not under the search, or gone, have none.
TEST_F(KeysetPagingTest, ARowsPlaceCountedByKeyIsItsPlaceInTheOffsetPages) {
    makeHostileTable(600);
    run("delete from h where rowid % 50 = 7");
    std::string error;
    const std::vector<std::vector<int>> codes = {{},     {1},       {2},       {4, 1},
                                                 {6, 2}, {3, 2, 5}, {6, 3, 2}, {2, 4, 6}};
    for (const std::vector<int>& order : codes) {
        std::vector<int64_t> indexed(order.begin(), order.end());
        ASSERT_EQ(updateTableIndexes("h", indexed, db, &error), 0) << error;
        for (bool joint : {true, false}) {
            const std::vector<std::string> jointIndex =
                query("select name from sqlite_master where name like 'ind12%'");
            if (!joint && jointIndex.empty()) continue;
            if (!joint) run("drop index \"" + jointIndex.at(0) + "\"");
            for (uint64_t rowidCode : {1, 2}) {
                // Searched in two fields, whose terms a condition joins by "or".
                for (const char* like : {"", "%'%", "%n1%"}) {
                    GridQuery grid;
                    ASSERT_EQ(
                        buildGridQuery(&grid, "h", like, like[0] ? IndexSet{0, 2} : IndexSet{},
                                       order, rowidCode, 0, 0, db, &error),
                        0)
                        << error;
                    ASSERT_TRUE(grid.keyed);
                    std::vector<DBValue> all;
                    ASSERT_EQ(readGridPage(&all, grid, 0, 0, db, &error), 0) << error;
                    std::map<int64_t, int64_t> places;
                    for (size_t i = 0; i < all.size(); i += static_cast<size_t>(grid.columnsPerRow))
                        places[std::stoll(all[i].value_or(""))] = std::ssize(places);
                    KeysetPager pager(posted.poster(), 50, 100);
                    ASSERT_EQ(pager.countRows(grid, db, &error), std::ssize(places)) << error;
                    for (int64_t rowid = 0; rowid <= 602; rowid += rowid < 20 ? 1 : 13) {
                        const auto place = places.find(rowid);
                        const int64_t expected = place == places.end() ? -1 : place->second;
                        int64_t byKey = -2, counted = -2, walked = -2;
                        ASSERT_EQ(rowIndexOfRowid(&byKey, grid, rowid, db, &error), 0) << error;
                        ASSERT_EQ(pager.rowIndexOfRowid(&counted, grid, rowid, db, &error), 0);
                        ASSERT_EQ(rowIndexOfRowidInOrder(&walked, grid, rowid, db, &error), 0);
                        ASSERT_EQ(byKey, expected) << "rowid " << rowid << " in " << grid.select
                                                   << (joint ? " (joint)" : "");
                        ASSERT_EQ(counted, expected) << "rowid " << rowid << " in " << grid.select;
                        ASSERT_EQ(walked, expected) << "rowid " << rowid << " in " << grid.select;
                    }
                }
            }
        }
    }
}
