// A search is counted on from its first row in the order, and its pages are read from that row:
// the counts and pages are those of COUNT(*) and LIMIT/OFFSET over hostile values, and the rows
// before the first one under the search are passed over once, by the count, not again by the page.
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "Common/KeysetPager.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/PostedCalls.h"

using namespace DBInterface;

namespace {

// LIKE as SQLite has it, counting the values it looks at.
std::atomic<int64_t> likeCalls{0};

void countingLike(sqlite3_context* context, int argc, sqlite3_value** argv) {
    ++likeCalls;
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const auto* escape = argc == 3 ? sqlite3_value_text(argv[2]) : nullptr;
    if (!pattern || !text) return sqlite3_result_null(context);
    sqlite3_result_int(context, sqlite3_strlike(pattern, text, escape ? escape[0] : 0) == 0);
}

int installCountingLike(sqlite3* db, char**, const sqlite3_api_routines*) {
    for (int arguments : {2, 3}) {
        sqlite3_create_function(db, "like", arguments, SQLITE_UTF8, nullptr, countingLike, nullptr,
                                nullptr);
    }
    return SQLITE_OK;
}

// Every connection opened while it lives evaluates LIKE through countingLike.
class CountedLike {
  public:
    CountedLike() { sqlite3_auto_extension(autoExtension()); }
    ~CountedLike() { sqlite3_cancel_auto_extension(autoExtension()); }

  private:
    static void (*autoExtension())() { return reinterpret_cast<void (*)()>(installCountingLike); }
};

class SearchFirstRowTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("pragma user_version = 1");
    }

    // h (name, amount, tag) of 2000 rows: NULLs, long runs of one value, letter case, quotes,
    // "%", "_" and backslashes, numbers, texts and blobs in one field.
    void makeHostileTable() {
        std::string error;
        ASSERT_EQ(createTable("h", 0, {"name", "amount", "tag"},
                              {kFieldTypeText, kFieldTypeNumber, kFieldTypeText}, nullptr, nullptr,
                              db, &error),
                  0)
            << error;
        run("insert into h select case value % 13 when 0 then null when 1 then 'it''s ' || "
            "(value % 4) when 2 then '50% off ' || (value % 7) when 3 then 'a_b' when 4 then "
            "'A\\B ' || (value % 3) when 5 then value % 6 when 6 then (value % 5) * 0.5 when 7 "
            "then x'00ff' when 8 then 'same' when 9 then 'Same' else 'n' || (value * 37 % 2000) "
            "end, case value % 7 when 0 then null when 1 then 'abc' when 2 then (value % 11) || "
            "'' when 3 then '1e1' else value % 4 end, case when value % 5 = 0 then null when "
            "value % 3 = 0 then 'x''y %' else 'z_' end from generate_series(1, 2000)");
    }

    GridQuery grid(const std::string& table, const std::string& text, const IndexSet& fields,
                   const std::vector<int>& sortCodes, uint64_t rowidCode) {
        GridQuery query;
        std::string error;
        EXPECT_EQ(buildGridQuery(&query, table, likePatternForSearchText(text), fields, sortCodes,
                                 rowidCode, 0, 0, db, &error),
                  0)
            << error;
        EXPECT_TRUE(query.keyed) << query.select;
        return query;
    }

    PostedCalls posted;
};

}  // namespace

// NULLs, long runs of one value, letter case, quotes, "%", "_" and backslashes in values and in
// the searched texts, numbers, texts and blobs in one field: counted and paged at random places
// in every kind of order, against COUNT(*) and LIMIT/OFFSET on the same rows.
TEST_F(SearchFirstRowTest, CountsAndPagesFromTheFirstRowAreThoseOfCountAndOffset) {
    std::string error;
    makeHostileTable();
    const std::vector<std::vector<int>> orders = {{1}, {2}, {3},    {4},    {5},
                                                  {6}, {},  {1, 3}, {4, 1}, {6, 3, 2}};
    const char* texts[] = {"n1", "it's", "%", "_", "\\", "same", "a_b", "50%", "1", "no such"};
    uint32_t seed = 11;
    auto next = [&](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    int firstRowsFound = 0;
    for (const std::vector<int>& order : orders) {
        std::vector<int64_t> indexed(order.begin(), order.end());
        ASSERT_EQ(updateTableIndexes("h", indexed, db, &error), 0) << error;
        for (uint64_t rowidCode : {1, 2}) {
            for (const IndexSet& fields : {IndexSet{0}, IndexSet{0, 2}}) {
                for (const char* text : texts) {
                    const GridQuery query = grid("h", text, fields, order, rowidCode);
                    const int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
                    RowKey first;
                    ASSERT_EQ(countRowsFromFirstRow(&first, query, db, &error), rows)
                        << error << " " << query.select;
                    if (!first.empty()) ++firstRowsFound;
                    // No marks, so that pages are read from the first row or from the end.
                    KeysetPager pager(posted.poster(), 20, 1 << 30);
                    ASSERT_EQ(pager.countRows(query, db, &error), rows) << error;
                    for (int read = 0; read < 12; ++read) {
                        const int64_t at = read == 0 ? 0 : next(static_cast<uint32_t>(rows + 4));
                        const int64_t limit = 1 + next(40);
                        std::vector<DBValue> expected, got;
                        ASSERT_EQ(readGridPage(&expected, query, limit, at, db, nullptr), 0);
                        ASSERT_EQ(pager.readPage(&got, query, at, limit, db, &error), 0) << error;
                        ASSERT_EQ(got, expected) << limit << " rows at " << at << " of " << rows
                                                 << " of " << query.select;
                    }
                }
            }
        }
    }
    // Most orders have their index, so most searches were counted from their first row.
    EXPECT_GT(firstRowsFound, 150);
}

TEST_F(SearchFirstRowTest, TheFirstPageOfASearchPassesOverNoRowBeforeOrAfterItsRows) {
    std::string error;
    ASSERT_EQ(createTable("t", 0, {"name", "amount"}, {kFieldTypeText, kFieldTypeNumber}, nullptr,
                          nullptr, db, &error),
              0)
        << error;
    // Only the last 30 names in the order hold "zz"; "a1000" is the fourth name, and the only
    // one holding it.
    run("insert into t select case when value > 2970 then 'zz' || value else 'a' || value end, "
        "value from generate_series(1, 3000)");
    ASSERT_EQ(updateTableIndexes("t", {1}, db, &error), 0) << error;
    const struct {
        const char* text;
        int64_t rows;
    } searches[] = {{"zz", 30}, {"a1000", 1}};
    for (const auto& search : searches) {
        for (uint64_t rowidCode : {1, 2}) {
            const GridQuery query = grid("t", search.text, IndexSet{0}, {1}, rowidCode);
            KeysetPager pager(posted.poster());
            CountedLike counted;
            likeCalls = 0;
            ASSERT_EQ(pager.countRows(query, db, &error), search.rows) << error;
            std::vector<DBValue> page, expected;
            ASSERT_EQ(pager.readPage(&page, query, 0, 10, db, &error), 0) << error;
            // The count looks at each row once; the page only at the rows it shows and a few
            // more.
            EXPECT_LT(likeCalls, 3000 + 100) << search.text;
            ASSERT_EQ(readGridPage(&expected, query, 10, 0, db, nullptr), 0);
            EXPECT_EQ(page, expected);
        }
    }
}

TEST_F(SearchFirstRowTest, PagesInTheLaterHalfOfASearchAreReadFromItsLastRow) {
    std::string error;
    ASSERT_EQ(createTable("t", 0, {"name"}, {kFieldTypeText}, nullptr, nullptr, db, &error), 0)
        << error;
    // The 100 names holding "ax" come first in the order, 2900 others after them.
    run("insert into t select case when value <= 100 then 'ax' || value else 'n' || value end "
        "from generate_series(1, 3000)");
    ASSERT_EQ(updateTableIndexes("t", {1}, db, &error), 0) << error;
    for (uint64_t rowidCode : {1, 2}) {
        const GridQuery query = grid("t", "ax", IndexSet{0}, {1}, rowidCode);
        // Without marks.
        KeysetPager pager(posted.poster(), 10, 1 << 30);
        ASSERT_EQ(pager.countRows(query, db, &error), 100) << error;
        CountedLike counted;
        std::vector<DBValue> page;
        ASSERT_EQ(pager.readPage(&page, query, 80, 5, db, &error), 0) << error;
        // Once the last row is known, a page of the later half passes over the 2900 rows after
        // it no more.
        for (int64_t at : {70, 60, 88}) {
            likeCalls = 0;
            page.clear();
            ASSERT_EQ(pager.readPage(&page, query, at, 5, db, &error), 0) << error;
            EXPECT_LT(likeCalls, 100) << at;
            std::vector<DBValue> expected;
            ASSERT_EQ(readGridPage(&expected, query, 5, at, db, nullptr), 0);
            EXPECT_EQ(page, expected) << at;
        }
    }
}

// The count finds the last row under the search as it goes, so that the first page of the later
// half, before any mark, passes over none of the rows after that row in the order; pages stay
// those of LIMIT/OFFSET once rows change after the count.
TEST_F(SearchFirstRowTest, TheFirstPageOfTheLaterHalfPassesOverNoRowAfterTheLastOne) {
    std::string error;
    ASSERT_EQ(createTable("t", 0, {"name"}, {kFieldTypeText}, nullptr, nullptr, db, &error), 0)
        << error;
    ASSERT_EQ(updateTableIndexes("t", {1}, db, &error), 0) << error;
    const char* changes[] = {
        "insert into t values ('zmx'), ('MX 5'), ('a mx')",
        "delete from t where name = (select max(name) from t where name like '%mx%')",
        "update t set name = 'mX' where rowid % 10 = 1 and name like 'mx%'"};
    for (int sortCode : {1, 2}) {
        for (uint64_t rowidCode : {1, 2}) {
            // 100 names holding "mx" in the middle of the order, 1400 before and 1500 after.
            run("delete from t; insert into t select case when value <= 100 then 'mx' || (value "
                "% 30) when value <= 1500 then 'a' || value else 'z' || value end from "
                "generate_series(1, 3000)");
            const GridQuery query = grid("t", "mx", IndexSet{0}, {sortCode}, rowidCode);
            KeysetPager pager(posted.poster(), 10, 1 << 30);  // no marks
            ASSERT_EQ(pager.countRows(query, db, &error), 100) << error;
            CountedLike counted;
            likeCalls = 0;
            std::vector<DBValue> page, expected;
            ASSERT_EQ(pager.readPage(&page, query, 80, 5, db, &error), 0) << error;
            EXPECT_LT(likeCalls, 100) << query.select;
            ASSERT_EQ(readGridPage(&expected, query, 5, 80, db, nullptr), 0);
            EXPECT_EQ(page, expected) << query.select;
            for (const char* change : changes) {
                run(change);
                const int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
                for (int64_t at : {rows - 1, rows - 7, rows / 2 + 3}) {
                    page.clear();
                    expected.clear();
                    ASSERT_EQ(pager.readPage(&page, query, at, 6, db, &error), 0) << error;
                    ASSERT_EQ(readGridPage(&expected, query, 6, at, db, nullptr), 0);
                    EXPECT_EQ(page, expected)
                        << at << " after " << change << " in " << query.select;
                }
                ASSERT_EQ(pager.countRows(query, db, &error), rows) << error;
            }
        }
    }
}

TEST_F(SearchFirstRowTest, ASearchThatFindsNothingReadsNoPage) {
    std::string error;
    ASSERT_EQ(createTable("t", 0, {"name"}, {kFieldTypeText}, nullptr, nullptr, db, &error), 0)
        << error;
    run("insert into t select 'name ' || value from generate_series(1, 500)");
    ASSERT_EQ(updateTableIndexes("t", {1}, db, &error), 0) << error;
    const GridQuery query = grid("t", "no such name", IndexSet{0}, {1}, 1);
    KeysetPager pager(posted.poster());
    ASSERT_EQ(pager.countRows(query, db, &error), 0) << error;
    const int64_t opened = DBConnection::openedConnectionCount();
    std::vector<DBValue> page;
    ASSERT_EQ(pager.readPage(&page, query, 0, 20, db, &error), 0) << error;
    EXPECT_TRUE(page.empty());
    EXPECT_EQ(DBConnection::openedConnectionCount(), opened);
    // A row that comes afterwards is read, not taken for the nothing counted before.
    run("insert into t values ('no such name')");
    ASSERT_EQ(pager.readPage(&page, query, 0, 20, db, &error), 0) << error;
    EXPECT_EQ(page.size(), 2u);
}

// Pages of a search read from its first and last rows, from marks, and with long blobs held by
// their prefix, while rows are added, removed and moved in the order between the count and the
// pages: each page is what LIMIT/OFFSET gives on the rows as they are when it is read.
TEST_F(SearchFirstRowTest, PagesFollowRowsChangedAfterTheCount) {
    std::string error;
    ASSERT_EQ(createTable("t", 0, {"name", "amount", "body"},
                          {kFieldTypeText, kFieldTypeNumber, kFieldTypeText}, nullptr, nullptr, db,
                          &error),
              0)
        << error;
    ASSERT_EQ(updateTableIndexes("t", {1}, db, &error), 0) << error;
    const char* changes[] = {
        "insert into t (name, body) values (null, 'key'), ('key 0', zeroblob(9000))",
        "delete from t where rowid in (select rowid from t where name like '%key%' order by name "
        "collate nocase, rowid limit 3)",
        "update t set name = 'KEY 9' where rowid = (select min(rowid) from t where name like "
        "'key%')",
        "delete from t where name like '%key%' and rowid % 2 = 0",
        "delete from t where name like '%key%'"};
    uint32_t seed = 5;
    auto next = [&](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    for (uint64_t rowidCode : {1, 2}) {
        for (int sortCode : {1, 2}) {
            run("delete from t; insert into t select case value % 5 when 0 then null when 1 then "
                "'Key ' || (value % 9) when 2 then 'key ' || (value % 4) when 3 then value % 7 "
                "else 'other' end, value % 3, case when value % 11 = 0 then zeroblob(5000 + "
                "value) else 'key' end from generate_series(1, 300)");
            GridQuery query;
            ASSERT_EQ(
                buildGridQuery(&query, "t", likePatternForSearchText("key"), IndexSet{0},
                               {sortCode}, rowidCode, 0, 0, db, &error, LongValues::HeldPrefix),
                0)
                << error;
            RowKey first;
            ASSERT_GT(countRowsFromFirstRow(&first, query, db, &error), 0) << error;
            EXPECT_FALSE(first.empty()) << query.select;
            KeysetPager pager(posted.poster(), 7, 14);
            for (const char* change : changes) {
                const int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
                ASSERT_EQ(pager.countRows(query, db, &error), rows) << error;
                posted.runAll();
                run(change);
                const int64_t now = getNumberWithQueryString(query.count, db, nullptr);
                for (int read = 0; read < 10; ++read) {
                    const int64_t at = read < 3 ? std::max<int64_t>(rows - 1 - read * 6, 0)
                                                : next(static_cast<uint32_t>(rows + 3));
                    const int64_t limit = 1 + next(9);
                    std::vector<DBValue> expected, got;
                    ASSERT_EQ(readGridPage(&expected, query, limit, at, db, nullptr), 0);
                    ASSERT_EQ(
                        pager.readPage(&got, query, at, limit, db, &error, LongValues::HeldPrefix),
                        0)
                        << error;
                    ASSERT_EQ(got, expected) << limit << " rows at " << at << " of " << now
                                             << " after " << change << " in " << query.select;
                    posted.runAll();
                }
            }
        }
    }
}

namespace {

// Runs what the sampling posts until the pager's marks are in.
bool waitForMarks(KeysetPager& pager, PostedCalls& posted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!pager.marksReady() && std::chrono::steady_clock::now() < deadline) {
        posted.runAll();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pager.marksReady();
}

}  // namespace

// The count of a search takes the ROWIDs of its rows: the marks are then sampled, and the pages
// before them read, in a walk of the order's index that tests the search on no row again, with
// the searched field outside the order or one of its keys.
TEST_F(SearchFirstRowTest, MarksAndPagesOfASearchTestNoRowAgainAfterItsCount) {
    std::string error;
    ASSERT_EQ(createTable("t", 0, {"name", "amount", "note"},
                          {kFieldTypeText, kFieldTypeNumber, kFieldTypeText}, nullptr, nullptr, db,
                          &error),
              0)
        << error;
    run("insert into t select 'n' || (value * 37 % 3000), value % 50, 'note ' || (value % 7) "
        "from generate_series(1, 3000)");
    for (const std::vector<int>& order :
         std::vector<std::vector<int>>{{1}, {3}, {5, 1}, {6, 3, 1}}) {
        ASSERT_EQ(
            updateTableIndexes("t", std::vector<int64_t>(order.begin(), order.end()), db, &error),
            0)
            << error;
        const GridQuery query = grid("t", "1", IndexSet{0}, order, 1);
        const int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
        const int64_t places[] = {rows / 3, rows / 2, rows - 30};
        std::vector<DBValue> expected[3];
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(readGridPage(&expected[i], query, 20, places[i], db, nullptr), 0);
        }
        CountedLike counted;
        KeysetPager pager(posted.poster(), 10, 20);
        ASSERT_EQ(pager.countRows(query, db, &error), rows) << error;
        likeCalls = 0;
        for (int i = 0; i < 3; ++i) {
            std::vector<DBValue> page;
            ASSERT_EQ(pager.readPage(&page, query, places[i], 20, db, &error), 0) << error;
            EXPECT_EQ(page, expected[i]) << places[i] << " in " << query.select;
        }
        EXPECT_FALSE(pager.marksReady());
        ASSERT_TRUE(waitForMarks(pager, posted)) << query.select;
        EXPECT_EQ(likeCalls, 0) << query.select;
    }
}

// Counts and pages of searches in orders of one to three keys, mixed directions, the searched
// fields in and out of the order, texts found nowhere, once, in most rows: before the marks, from
// them, and after another connection added and removed rows, each page is LIMIT/OFFSET's; with
// the count and the walk for the marks read in one go, and in parts side by side (the table just
// large enough for them).
TEST_F(SearchFirstRowTest, PagesFromTheRowsACountTookAreThoseOfCountAndOffset) {
    std::string error;
    makeHostileTable();
    const std::vector<std::vector<int>> orders = {{4}, {6, 3, 2}, {1, 4}, {3, 6, 1}, {}};
    const char* texts[] = {"n1", "%", "a_b", "no such", "n1001"};
    int searches = 0;
    uint32_t seed = 29;
    auto next = [&](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % below;
    };
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    auto expectPages = [&](KeysetPager& pager, const GridQuery& query, const char* stage) {
        const int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
        for (int read = 0; read < 6; ++read) {
            const int64_t at = read == 0 ? rows - 3 : next(static_cast<uint32_t>(rows + 2));
            const int64_t limit = 1 + next(12);
            std::vector<DBValue> expected, got;
            ASSERT_EQ(readGridPage(&expected, query, limit, at, db, nullptr), 0);
            ASSERT_EQ(pager.readPage(&got, query, at, limit, db, &error), 0) << error;
            ASSERT_EQ(got, expected) << limit << " rows at " << at << " of " << rows << " " << stage
                                     << " in " << query.select;
        }
    };
    for (const std::vector<int>& order : orders) {
        ASSERT_EQ(
            updateTableIndexes("h", std::vector<int64_t>(order.begin(), order.end()), db, &error),
            0)
            << error;
        for (uint64_t rowidCode : {1, 2}) {
            for (const IndexSet& fields : {IndexSet{0}, IndexSet{1, 2}}) {
                for (const char* text : texts) {
                    const GridQuery query = grid("h", text, fields, order, rowidCode);
                    const ParallelReads parallel =
                        ++searches % 2 ? ParallelReads{1, 0} : ParallelReads{3, 2000};
                    KeysetPager pager(posted.poster(), 7, 14, parallel);
                    ASSERT_EQ(pager.countRows(query, db, &error),
                              getNumberWithQueryString(query.count, db, nullptr))
                        << error;
                    expectPages(pager, query, "before the marks");
                    if (pager.countRows(query, db, &error) >= 14) {
                        ASSERT_TRUE(waitForMarks(pager, posted)) << query.select;
                        expectPages(pager, query, "from the marks");
                    }
                    ASSERT_EQ(sqlite3_exec(other,
                                           "insert into h (name, amount, tag) select name, amount, "
                                           "tag from h where rowid % 97 = 3; delete from h where "
                                           "rowid % 89 = 5",
                                           nullptr, nullptr, nullptr),
                              SQLITE_OK);
                    expectPages(pager, query, "after other rows came and went");
                    posted.runAll();
                }
            }
        }
    }
    sqlite3_close(other);
}
