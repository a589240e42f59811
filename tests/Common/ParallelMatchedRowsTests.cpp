// A search's count and the walk for its marks read in parts side by side give what one read
// gives: the same rows taken, and marks equal to those of ORDER BY over the searched rows, over
// parts that end inside runs of equal keys, keys of two values, NULLs, descending keys, keys
// compared without letter case or as numbers, ROWIDs with large gaps, and searches finding no
// row, one row or every row.
#include <sqlite3.h>

#include <chrono>
#include <string_view>
#include <thread>

#include "Common/DBConnection.h"
#include "Common/KeysetPager.h"
#include "Common/KeysetPages.h"
#include "Common/ParallelMatchedRows.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/PostedCalls.h"

using namespace DBInterface;

namespace {

bool sameValue(sqlite3_value* a, sqlite3_value* b) {
    if (sqlite3_value_type(a) != sqlite3_value_type(b)) return false;
    const auto bytes = [](sqlite3_value* v) {
        return std::string_view(static_cast<const char*>(sqlite3_value_blob(v)),
                                static_cast<size_t>(sqlite3_value_bytes(v)));
    };
    return sqlite3_value_type(a) == SQLITE_FLOAT
               ? sqlite3_value_double(a) == sqlite3_value_double(b)
               : bytes(a) == bytes(b);
}

std::string textOf(const RowKey& key) {
    std::string text;
    for (const SQLValue& value : key) {
        const auto* chars = sqlite3_value_text(value.get());
        text += (chars ? reinterpret_cast<const char*>(chars) : "NULL") + std::string("|");
    }
    return text;
}

void expectSameMarks(const PageMarks& marks, const PageMarks& expected, int64_t rows,
                     const std::string& what) {
    ASSERT_EQ(marks.rows, rows) << what;
    ASSERT_EQ(marks.marks.size(), expected.marks.size()) << what;
    for (size_t m = 0; m < marks.marks.size(); ++m) {
        const RowKey &got = marks.marks[m], &want = expected.marks[m];
        ASSERT_EQ(got.size(), want.size());
        for (size_t k = 0; k < got.size(); ++k) {
            ASSERT_TRUE(sameValue(got[k].get(), want[k].get()))
                << "mark " << m << ": " << textOf(got) << " for " << textOf(want) << " in " << what;
        }
    }
}

class ParallelMatchedRowsTest : public DatabaseTest {
  protected:
    // p (name, amount, two, tag): names in two letter cases with long runs of one name; amounts
    // as numbers and as text, some NULL; two values with NULLs; tags of which "v" is in every one,
    // "only" in one. The ROWIDs leave gaps of thousands and one of millions.
    void makeTable() {
        makeEmptyTable();
        run("insert into p (rowid, name, amount, two, tag) select case when value < 2000 then "
            "value when value < 2500 then value * 1000 else 5000000 + value end, case when value "
            "% 300 < 200 then 'Run' when value % 2 then 'name ' || (value % 37) else 'NAME ' || "
            "(value % 37) end, case value % 9 when 0 then null when 1 then (value % 13) || '' "
            "else value % 13 end, case when value % 11 = 0 then null when value % 3 then 'no' "
            "else 'yes' end, 'v' || case when value = 1234 then 'only' else value % 5 end from "
            "generate_series(1, 3000)");
    }

    // p with its fields, and no rows.
    void makeEmptyTable() {
        run("pragma user_version = 1");
        installMatchedRowsFunctions();
        std::string error;
        ASSERT_EQ(createTable("p", 0, {"name", "amount", "two", "tag"},
                              {kFieldTypeText, kFieldTypeNumber, kFieldTypeText, kFieldTypeText},
                              nullptr, nullptr, db, &error),
                  0)
            << error;
    }

    GridQuery grid(const std::string& text, const std::vector<int>& sortCodes, uint64_t rowidCode) {
        GridQuery query;
        std::string error;
        EXPECT_EQ(buildGridQuery(&query, "p", likePatternForSearchText(text), IndexSet{3},
                                 sortCodes, rowidCode, 0, 0, db, &error),
                  0)
            << error;
        return query;
    }

    // Reads pages of the query until its marks are in, running the reports posted meanwhile.
    void waitForMarks(KeysetPager& pager, const GridQuery& query) {
        std::string error;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (int64_t at = 0; !pager.marksReady() && std::chrono::steady_clock::now() < deadline;
             at = (at + 97) % 2000) {
            // Pages read meanwhile find a change of the file and sample the marks again.
            std::vector<DBValue> page;
            ASSERT_EQ(pager.readPage(&page, query, at, 5, db, &error), 0) << error;
            posted.runAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(pager.marksReady()) << query.select;
    }

    void expectPagesOfOffset(KeysetPager& pager, const GridQuery& query, const std::string& what) {
        std::string error;
        const int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
        for (int64_t at = 0; at < rows + 3; at += 53) {
            std::vector<DBValue> expected, got;
            ASSERT_EQ(readGridPage(&expected, query, 9, at, db, nullptr), 0);
            ASSERT_EQ(pager.readPage(&got, query, at, 9, db, &error), 0) << error;
            ASSERT_EQ(got, expected) << at << " of " << rows << " in " << what;
        }
    }

    PostedCalls posted;
};

}  // namespace

TEST_F(ParallelMatchedRowsTest, PartsTakeTheRowsAndFindTheMarksOfOneOrderedRead) {
    makeTable();
    std::string error;
    const std::vector<std::vector<int>> orders = {{1},    {2},       {4},       {5}, {3, 1},
                                                  {6, 4}, {6, 3, 1}, {2, 5, 3}, {}};
    int walkedInParts = 0;
    for (const std::vector<int>& order : orders) {
        ASSERT_EQ(
            updateTableIndexes("p", std::vector<int64_t>(order.begin(), order.end()), db, &error),
            0)
            << error;
        for (uint64_t rowidCode : {1, 2}) {
            for (const char* text : {"v", "3", "only", "no such"}) {
                const GridQuery query = grid(text, order, rowidCode);
                const int64_t rows = getNumberWithQueryString(query.count, db, nullptr);
                DBConnection connection(db, ConnectionKind::ReadOnly);
                sqlite3* read = connection.handle();
                int64_t first = 0, last = 0;
                ASSERT_TRUE(rowidBounds(read, query, &first, &last));
                MatchedRows once(first, last);
                {
                    MatchedRowsScope scope(&once, nullptr);
                    ASSERT_EQ(getNumberWithQueryString(takingMatchedRows(query).count, db, &error),
                              rows);
                }
                for (unsigned threads : {2u, 3u, 7u}) {
                    const std::string what = query.select + " in " + std::to_string(threads);
                    // Just over the least rows for parts, the table's ROWIDs spanning 5,003,000.
                    const ParallelReads parallel{threads, 5003000};
                    MatchedRows taken(first, last);
                    ASSERT_EQ(countTakingRowsInParts(&taken, query, db, parallel), rows) << what;
                    ASSERT_EQ(taken.rows(), rows);
                    for (int64_t rowid = first; rowid <= last; rowid += rowid < 3000 ? 1 : 997) {
                        ASSERT_EQ(taken.contains(rowid), once.contains(rowid)) << rowid << what;
                    }
                    for (int64_t spacing : {1, 7}) {
                        PageMarks expected, marks;
                        ASSERT_EQ(samplePageMarks(&expected, query, spacing, read, nullptr), 0);
                        bool walked = false;
                        ASSERT_EQ(sqlite3_exec(read, "begin", nullptr, nullptr, nullptr), 0);
                        ASSERT_EQ(sampleMatchedMarksInParts(&marks, &walked, query, spacing, once,
                                                            read, db, parallel, [](sqlite3*) {}),
                                  0);
                        if (!walked) {
                            ASSERT_EQ(sqlite3_exec(read, "commit", nullptr, nullptr, nullptr), 0);
                            continue;
                        }
                        ++walkedInParts;
                        expectSameMarks(marks, expected, rows,
                                        what + " by " + std::to_string(spacing));
                        // The whole order walked, the rows of the search then taken from it.
                        OrderWalk walk;
                        ASSERT_EQ(walkOrderInParts(&walk, &walked, query, read, db, parallel,
                                                   [](sqlite3*) {}),
                                  0);
                        ASSERT_TRUE(walked) << what;
                        PageMarks fromWalk;
                        bool found = false;
                        ASSERT_EQ(marksOfOrderWalk(&fromWalk, &found, walk, &once, query, spacing,
                                                   db, [](sqlite3*) {}),
                                  0);
                        ASSERT_TRUE(found) << what;
                        expectSameMarks(
                            fromWalk, expected, rows,
                            what + " from the whole order by " + std::to_string(spacing));
                        ASSERT_EQ(sqlite3_exec(read, "commit", nullptr, nullptr, nullptr), 0);
                    }
                }
            }
        }
    }
    // Every order but those whose ties run against the index is walked in parts.
    EXPECT_GT(walkedInParts, 250);
}

// Below the least rows for parts, nothing is read in parts.
TEST_F(ParallelMatchedRowsTest, ASmallTableIsReadInOnePart) {
    makeTable();
    const GridQuery query = grid("v", {1}, 1);
    MatchedRows taken(1, 5003000);
    EXPECT_EQ(countTakingRowsInParts(&taken, query, db, ParallelReads{4, int64_t{1} << 23}), -1);
    EXPECT_EQ(taken.rows(), 0);
}

// Another connection changes rows while a large search is counted and its order walked in parts:
// the marks then used are those of the rows after the change, and every page is LIMIT/OFFSET's.
TEST_F(ParallelMatchedRowsTest, PagesAfterRowsChangedBesideTheWalkAreThoseOfCountAndOffset) {
    makeTable();
    std::string error;
    ASSERT_EQ(updateTableIndexes("p", {6, 3}, db, &error), 0) << error;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 5000);  // another program's writer waits out our reads
    for (int round = 0; round < 3; ++round) {
        const GridQuery query = grid(round == 1 ? "3" : "v", {6, 3}, 1);
        KeysetPager pager(posted.poster(), 7, 14, ParallelReads{4, 5003000});
        ASSERT_GT(pager.countRows(query, db, &error), 14) << error;
        ASSERT_EQ(
            sqlite3_exec(other,
                         ("update p set two = case when rowid % 3 = " + std::to_string(round) +
                          " then null else 'yes' end where rowid % 4 = 1; delete from p "
                          "where rowid % 29 = " +
                          std::to_string(round))
                             .c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
        waitForMarks(pager, query);
        expectPagesOfOffset(pager, query, "round " + std::to_string(round));
    }
    sqlite3_close(other);
}

// The order's own marks, sampled in parts, keep the walk of the whole order; the searches on it
// after take their marks from that walk, and every page is LIMIT/OFFSET's.
TEST_F(ParallelMatchedRowsTest, MarksOfSearchesFromTheKeptWalkOfTheOrderAreThoseOfCountAndOffset) {
    makeTable();
    std::string error;
    int kept = 0;
    for (const std::vector<int>& order :
         std::vector<std::vector<int>>{{1}, {4}, {6, 4}, {2, 5, 3}}) {
        ASSERT_EQ(
            updateTableIndexes("p", std::vector<int64_t>(order.begin(), order.end()), db, &error),
            0)
            << error;
        for (uint64_t rowidCode : {1, 2}) {
            KeysetPager pager(posted.poster(), 7, 14, ParallelReads{3, 5003000});
            const GridQuery whole = grid("", order, rowidCode);
            ASSERT_EQ(pager.countRows(whole, db, &error), 3000) << error;
            waitForMarks(pager, whole);
            if (!pager.orderWalkKept()) continue;
            ++kept;
            expectPagesOfOffset(pager, whole, whole.select);
            for (const char* text : {"v", "3", "only", "no such"}) {
                const GridQuery query = grid(text, order, rowidCode);
                const int64_t rows = pager.countRows(query, db, &error);
                ASSERT_GE(rows, 0) << error;
                if (rows >= 14) waitForMarks(pager, query);
                expectPagesOfOffset(pager, query, query.select);
                EXPECT_TRUE(pager.orderWalkKept()) << query.select;
            }
        }
    }
    EXPECT_GE(kept, 6);
}

// A write after the order's walk was kept drops it: a search after it, whose rows are as many
// but in another order, never takes its marks from the walk of the rows before.
TEST_F(ParallelMatchedRowsTest, AWriteAfterTheOrderWasWalkedDropsTheWalkKept) {
    makeTable();
    std::string error;
    ASSERT_EQ(updateTableIndexes("p", {1}, db, &error), 0) << error;
    KeysetPager pager(posted.poster(), 7, 14, ParallelReads{4, 5003000});
    const GridQuery whole = grid("", {1}, 1);
    ASSERT_EQ(pager.countRows(whole, db, &error), 3000) << error;
    waitForMarks(pager, whole);
    ASSERT_TRUE(pager.orderWalkKept());
    // Names turned around: every row stays, in another place of the order.
    run("update p set name = char(200 - unicode(name)) || name");
    const GridQuery query = grid("v", {1}, 1);
    ASSERT_EQ(pager.countRows(query, db, &error), 3000) << error;
    waitForMarks(pager, query);
    expectPagesOfOffset(pager, query, "after the write");
    expectPagesOfOffset(pager, whole, "every row after the write");
}

// Rows whose first key follows a pattern of the ROWIDs, one in 32 of them first in the order: a
// walk still splits into parts of about as many rows each, so that no one part is left to take
// most of the time.
TEST_F(ParallelMatchedRowsTest, ThePartsOfAWalkHoldAboutAsManyRowsOverAPatternOfTheRowids) {
    makeEmptyTable();
    run("insert into p (rowid, name) select value, case when value % 32 = 1 then 'a' else 'b' || "
        "(value % 50) end from generate_series(1, 4096)");
    std::string error;
    ASSERT_EQ(updateTableIndexes("p", {1}, db, &error), 0) << error;
    DBConnection connection(db, ConnectionKind::ReadOnly);
    OrderWalk walk;
    bool walked = false;
    ASSERT_EQ(walkOrderInParts(&walk, &walked, grid("", {1}, 1), connection.handle(), db,
                               ParallelReads{2, 4096}, [](sqlite3*) {}),
              0);
    ASSERT_TRUE(walked);
    ASSERT_EQ(walk.parts.size(), 2u);
    for (const std::vector<uint32_t>& part : walk.parts) {
        EXPECT_GT(part.size(), 1024u);
        EXPECT_LT(part.size(), 3072u);
    }
}
