// Rows tied on every sort key follow the first key's direction, whatever the ROWID order stored
// for the table: every reader of the grid's order (its pages by offset, its pages by key before
// and after the marks, the rowid batches) gives the rows an ORDER BY written out by hand gives.
#include <chrono>
#include <thread>

#include "Common/KeysetPager.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/PostedCalls.h"

using namespace DBInterface;

namespace {

struct HandOrder {
    std::vector<int> sortCodes;
    uint64_t rowidCode;  // the stored ROWID order, which ties must not follow
    std::string like;    // searched in the field "rep"
    std::string orderBy;
};

class TieOrderTest : public DatabaseTest {
  protected:
    void SetUp() override {
        DatabaseTest::SetUp();
        run("pragma user_version = 1");
        std::string error;
        ASSERT_EQ(createTable("big", 0, {"name", "amount", "rep", "num", "two", "sparse"},
                              {kFieldTypeText, kFieldTypeNumber, kFieldTypeText, kFieldTypeNumber,
                               kFieldTypeText, kFieldTypeNumber},
                              nullptr, nullptr, db, &error),
                  0)
            << error;
        // Long runs of ties: 7 texts tied without letter case, 11 numbers (some stored as
        // text), two values, a number in one row of 40 else NULL.
        run("insert into big select 'n' || value, value % 13, case value % 7 when 0 then 'a' "
            "when 1 then 'A' else 'r' || (value * 3 % 7) end, case when value % 3 = 0 then "
            "(value % 11) || '' else value % 11 end, case when value % 3 = 0 then 'yes' else "
            "'no' end, case when value % 40 = 0 then value % 9 end from generate_series(1, 1500)");
    }

    std::vector<std::string> handPage(const HandOrder& order, int64_t limit, int64_t offset) {
        return directQuery("select rowid from big" +
                           (order.like.empty() ? "" : " where rep like '" + order.like + "'") +
                           " order by " + order.orderBy + " limit " + std::to_string(limit) +
                           " offset " + std::to_string(offset));
    }

    static std::vector<std::string> rowidsOf(const std::vector<DBValue>& rows, int64_t width) {
        std::vector<std::string> rowids;
        for (size_t i = 0; i < rows.size(); i += static_cast<size_t>(width)) {
            rowids.push_back(rows[i].value_or(""));
        }
        return rowids;
    }

    IndexSet search(const HandOrder& order) const {
        return order.like.empty() ? IndexSet{} : IndexSet{2};
    }

    PostedCalls posted;
};

const std::vector<HandOrder> kOrders = {
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

}  // namespace

TEST_F(TieOrderTest, GridPagesPagesByKeyAndRowidBatchesTieInTheFirstKeysDirection) {
    for (const HandOrder& order : kOrders) {
        std::string error;
        std::vector<int64_t> codes(order.sortCodes.begin(), order.sortCodes.end());
        ASSERT_EQ(updateTableIndexes("big", codes, db, &error), 0) << error;
        GridQuery query;
        ASSERT_EQ(buildGridQuery(&query, "big", order.like, search(order), order.sortCodes,
                                 order.rowidCode, 0, 0, db, &error),
                  0)
            << error;
        ASSERT_TRUE(query.keyed) << query.select;
        KeysetPager pager(posted.poster(), 50, 100);
        const int64_t rows = pager.countRows(query, db, &error);
        ASSERT_GT(rows, 100) << error;
        std::vector<int64_t> firsts;
        for (int64_t first = 0; first < rows + 3; first += 97) firsts.push_back(first);
        firsts.push_back(rows - 4);
        // Right after the count, then once the marks are in.
        for (const char* stage : {"counted", "marks"}) {
            if (std::string(stage) == "marks") {
                auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (!pager.marksReady() && std::chrono::steady_clock::now() < deadline) {
                    posted.runAll();
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                ASSERT_TRUE(pager.marksReady()) << query.select;
            }
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
                ASSERT_EQ(getRows(&batch, "big", order.like, search(order), order.sortCodes,
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
