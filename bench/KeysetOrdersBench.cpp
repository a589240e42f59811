// 100-row pages of a generated table (10,000,000 rows unless a count is given) read the way the
// grid reads them, through the pager once its marks are sampled, in every kind of order the sort
// panel stores: ROWID, unique and repeated texts and numbers, a field of two values, a field mostly
// NULL, two and three keys, either direction, ties by ROWID either way, and under a search. Each
// order gets its sort indexes as the sort panel makes them. Pages start at random places (most of
// them between two marks), at the first row and at the end; the slowest and the median page are
// given beside the same page read with LIMIT/OFFSET at the middle of the order (checked to give
// the same rows). Then the index rebuilds of sort changes: a new key, a change of direction only,
// a change of a later key only, beside a page read by key. The database lives in /tmp and is
// removed at the end.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <sqlite3.h>

#include "Common/DBInterface.h"
#include "Common/KeysetPager.h"
#include "ShellComparison.h"
#include "tests/support/PostedCalls.h"

namespace {

constexpr int64_t kPageRows = 100;

struct Order {
    const char* name;
    std::vector<int> sortCodes;  // field p ascending 2p + 1, descending 2p + 2
    uint64_t rowidCode = 1;
    std::string like;  // searched in the name field
};

// Fields: 0 name (unique text), 1 amount (unique number), 2 rep (97 texts), 3 num (1,000 numbers
// stored as text), 4 two (two texts), 5 sparse (one row in a hundred has a number).
void makeTable(const std::string& db, int64_t rows) {
    std::string error;
    if (DBInterface::createTable("t", 0, {"name", "amount", "rep", "num", "two", "sparse"},
                                 {DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber,
                                  DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber,
                                  DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber},
                                 nullptr, nullptr, db, &error) != 0 ||
        DBInterface::execMultipleQueryString(
            "begin transaction; insert into t select 'name ' || (value * 7919 % 10000019), "
            "(value * 104729 % 10000019) * 0.25, 'r' || (value * 31 % 97), (value * 13 % 1000) || "
            "'', case when value % 3 = 0 then 'Yes' else 'no' end, case when value % 100 = 0 "
            "then value % 1000 end from generate_series(1, " +
                std::to_string(rows) + "); commit transaction",
            nullptr, nullptr, db, &error) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        std::exit(1);
    }
}

// The best of three times, or the one time when it took over a second.
double bestMilliseconds(const std::function<void()>& job) {
    const double once = bench::bestSeconds(1, job);
    return (once > 1 ? once : std::min(once, bench::bestSeconds(2, job))) * 1000;
}

double indexMilliseconds(const std::string& db, const std::vector<int>& sortCodes) {
    std::string error;
    std::vector<int64_t> codes(sortCodes.begin(), sortCodes.end());
    return bench::bestSeconds(
               1,
               [&] {
                   if (DBInterface::updateTableIndexes("t", codes, db, &error) != 0) {
                       std::fprintf(stderr, "indexes failed: %s\n", error.c_str());
                       std::exit(1);
                   }
               }) *
           1000;
}

DBInterface::GridQuery gridQuery(const std::string& db, const Order& order) {
    std::string error;
    DBInterface::GridQuery query;
    const std::string like =
        order.like.empty() ? "" : DBInterface::likePatternForSearchText(order.like);
    if (DBInterface::buildGridQuery(
            &query, "t", like, like.empty() ? DBInterface::IndexSet{} : DBInterface::IndexSet{0},
            order.sortCodes, order.rowidCode, 0, 0, db, &error) != 0) {
        std::fprintf(stderr, "query failed: %s\n", error.c_str());
        std::exit(1);
    }
    return query;
}

void measure(const std::string& db, const Order& order) {
    const double indexing = indexMilliseconds(db, order.sortCodes) / 1000;
    const DBInterface::GridQuery query = gridQuery(db, order);
    std::string error;
    PostedCalls posted;
    KeysetPager pager(posted.poster());
    const auto start = std::chrono::steady_clock::now();
    const int64_t rows = pager.countRows(query, db, &error);
    while (!pager.marksReady()) {
        posted.runAll();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::chrono::duration<double> sampling = std::chrono::steady_clock::now() - start;
    // Random places, the first row and the last page.
    std::vector<int64_t> firsts = {0, std::max<int64_t>(rows - kPageRows, 0)};
    uint64_t seed = 12345;
    for (int i = 0; i < 40; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        firsts.push_back(static_cast<int64_t>((seed >> 20) % static_cast<uint64_t>(rows)));
    }
    std::vector<double> times;
    for (int64_t first : firsts) {
        std::vector<DBValue> page;
        times.push_back(bestMilliseconds([&] {
            page.clear();
            pager.readPage(&page, query, first, kPageRows, db, &error);
        }));
    }
    std::sort(times.begin(), times.end());
    std::vector<DBValue> byKey, byOffset;
    const int64_t middle = rows / 2 + 499;  // between two marks
    const double keyed = bestMilliseconds([&] {
        byKey.clear();
        pager.readPage(&byKey, query, middle, kPageRows, db, &error);
    });
    const double offset = bestMilliseconds([&] {
        byOffset.clear();
        DBInterface::readGridPage(&byOffset, query, kPageRows, middle, db, &error);
    });
    std::printf(
        "%-62s %9lld rows, indexes %5.1f s, count and marks %5.1f s\n"
        "    %zu pages by key: slowest %7.2f ms, median %6.2f ms; at the middle %6.2f ms, "
        "LIMIT/OFFSET %8.2f ms (ratio %.4f)%s\n",
        order.name, static_cast<long long>(rows), indexing, sampling.count(), times.size(),
        times.back(), times[times.size() / 2], keyed, offset, keyed / offset,
        byKey == byOffset ? "" : "   ROWS DIFFER");
}

// The index rebuilds of sort changes, beside a page read by key.
void measureSortChanges(const std::string& db) {
    const double first = indexMilliseconds(db, {8, 1});
    const double direction = indexMilliseconds(db, {7, 2});
    const double later = indexMilliseconds(db, {7, 5});
    const double again = indexMilliseconds(db, {7, 5});
    PostedCalls posted;
    KeysetPager pager(posted.poster());
    const DBInterface::GridQuery query = gridQuery(db, {"", {7, 5}, 1, ""});
    std::string error;
    std::vector<DBValue> page;
    const double pageTime = bestMilliseconds([&] {
        page.clear();
        pager.readPage(&page, query, 0, kPageRows, db, &error);
    });
    std::printf(
        "sort indexes of num desc, name: %.0f ms; to num asc, name desc (directions only) %.1f "
        "ms (ratio %.4f); to num asc, rep (a later key) %.0f ms (ratio %.2f); unchanged %.1f ms; "
        "a first page by key %.2f ms\n",
        first, direction, direction / first, later, later / first, again, pageTime);
}

}  // namespace

int main(int argc, char** argv) {
    const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 10000000;
    const std::string db = "/tmp/varnelo-keyset-bench-" + std::to_string(getpid()) + ".db";
    std::remove(db.c_str());
    sqlite3* created = nullptr;  // an empty file for the table to be made in
    sqlite3_open(db.c_str(), &created);
    sqlite3_close(created);
    makeTable(db, rows);
    const Order orders[] = {
        {"ROWID", {}, 1, ""},
        {"ROWID descending", {}, 2, ""},
        {"unique text", {1}, 1, ""},
        {"unique number descending", {4}, 1, ""},
        {"unique number descending, ties descending", {4}, 2, ""},
        {"repeated text (97 values)", {5}, 1, ""},
        {"repeated number (1,000 values) descending", {8}, 1, ""},
        {"repeated number (1,000 values) descending, ties descending", {8}, 2, ""},
        {"two values", {9}, 1, ""},
        {"two values descending", {10}, 1, ""},
        {"mostly NULL", {11}, 1, ""},
        {"mostly NULL descending", {12}, 1, ""},
        {"two keys: two values, repeated text", {9, 5}, 1, ""},
        {"two keys: repeated number desc, unique text", {8, 1}, 1, ""},
        {"two keys: repeated number desc, unique text, ties descending", {8, 1}, 2, ""},
        {"two keys: repeated text, repeated number desc", {5, 8}, 1, ""},
        {"three keys: two values desc, repeated text, repeated number", {10, 5, 7}, 1, ""},
        {"three keys: repeated text, repeated number, unique text", {5, 7, 1}, 1, ""},
        {"three keys: repeated text desc, repeated number, mostly NULL", {6, 7, 11}, 2, ""},
        {"two values, search \"7\" in name", {9}, 1, "7"},
        {"two keys: repeated text, repeated number, search \"7\"", {5, 7}, 1, "7"},
    };
    for (const Order& order : orders) {
        if (argc <= 2 || std::string(order.name).find(argv[2]) != std::string::npos) {
            measure(db, order);
        }
    }
    if (argc <= 2 || std::string("sort changes").find(argv[2]) != std::string::npos) {
        measureSortChanges(db);
    }
    std::remove(db.c_str());
    return 0;
}
