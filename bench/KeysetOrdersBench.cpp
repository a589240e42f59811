// 100-row pages of a generated table (10,000,000 rows unless a count is given) read the way the
// grid reads them, through the pager once its marks are sampled, in every kind of order the sort
// panel stores: ROWID, unique and repeated texts and numbers, a field of two values, a field mostly
// NULL, two and three keys, either direction and mixed, either stored ROWID order, under a search.
// Each order gets its sort indexes as the sort panel makes them. Pages start at random places (most
// of them between two marks), at the first row and at the end; the slowest and the median page are
// given beside the same page read with LIMIT/OFFSET at the middle of the order (checked to give
// the same rows). Then the index rebuilds of sort changes: a new key, a change of direction only,
// a change of a later key only, beside a page read by key.
// Right after each sort, before its marks arrive, pages at random places are read beside the
// sqlite3 shell reading the same page with LIMIT/OFFSET (its start-up, timed on "select 1", taken
// off), in turns, so that both meet the same load; under a search the count and first page are
// timed beside the shell's count and first page.
// The database lives in /tmp and is removed at the end, unless VARNELO_BENCH_DB names a file: the
// table is then made there once and reused.
#include <stdlib.h>
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

// The shell's time for the statements, net of its start-up.
double shellMilliseconds(const std::string& db, const std::string& sql) {
    const double start =
        bench::bestSeconds(1, [&] { bench::runOrDie(bench::shellCommand(db, "select 1")); });
    return (bench::bestSeconds(1, [&] { bench::runOrDie(bench::shellCommand(db, sql)); }) - start) *
           1000;
}

double load() {
    double average[1] = {0};
    getloadavg(average, 1);
    return average[0];
}

// Pages at random places read right after the sort, before the marks are handed over, each beside
// the shell's LIMIT/OFFSET of the same page; under a search, the count and first page beside the
// shell's.
void measureBeforeMarks(const std::string& db, const DBInterface::GridQuery& query,
                        const Order& order) {
    std::string error;
    PostedCalls posted;  // never run: the marks stay away
    KeysetPager pager(posted.poster());
    std::vector<DBValue> page;
    const auto start = std::chrono::steady_clock::now();
    const int64_t rows = pager.countRows(query, db, &error);
    pager.readPage(&page, query, 0, kPageRows, db, &error);
    const double first =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() * 1000;
    if (!order.like.empty()) {
        const double shell = shellMilliseconds(
            db, query.count + "; " + query.select + " limit " + std::to_string(kPageRows));
        std::printf("    search: count and first page %8.1f ms, shell %8.1f ms (ratio %.2f)\n",
                    first, shell, first / shell);
    }
    uint64_t seed = 777;
    struct Read {
        double ratio, ours, shell;
        int64_t at;
    };
    std::vector<Read> reads;
    for (int i = 0; i < 8 && rows > kPageRows; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const int64_t at = static_cast<int64_t>((seed >> 20) % static_cast<uint64_t>(rows));
        // Each the best of two reads, taking turns, the one to go first changing from page to
        // page: whoever reads a page first reads it from the disk.
        double ours = 1e30, shell = 1e30;
        for (int turn = 0; turn < 4; ++turn) {
            if ((turn + i) % 2 == 0) {
                ours = std::min(ours, bench::bestSeconds(1, [&] {
                                          page.clear();
                                          pager.readPage(&page, query, at, kPageRows, db, &error);
                                      }) * 1000);
            } else {
                shell = std::min(shell, shellMilliseconds(db, query.select + " limit " +
                                                                  std::to_string(kPageRows) +
                                                                  " offset " + std::to_string(at)));
            }
        }
        reads.push_back({ours / shell, ours, shell, at});
    }
    if (reads.empty()) return;
    std::sort(reads.begin(), reads.end(),
              [](const Read& a, const Read& b) { return a.ratio < b.ratio; });
    std::printf(
        "    before the marks: %zu pages at random places, ours/shell (best of 2) median %.2f, "
        "worst %.2f "
        "(%.1f ms / %.1f ms at %lld of %lld); load %.1f\n",
        reads.size(), reads[reads.size() / 2].ratio, reads.back().ratio, reads.back().ours,
        reads.back().shell, static_cast<long long>(reads.back().at), static_cast<long long>(rows),
        load());
}

void measure(const std::string& db, const Order& order) {
    const double indexing = indexMilliseconds(db, order.sortCodes) / 1000;
    const DBInterface::GridQuery query = gridQuery(db, order);
    std::string error;
    std::printf("%s\n", order.name);
    if (query.keyed) measureBeforeMarks(db, query, order);
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
        "    %-62s %9lld rows, indexes %5.1f s, count and marks %5.1f s\n"
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
    const char* kept = getenv("VARNELO_BENCH_DB");
    const std::string db =
        kept ? kept : "/tmp/varnelo-keyset-bench-" + std::to_string(getpid()) + ".db";
    if (!kept || access(db.c_str(), F_OK) != 0) {
        std::remove(db.c_str());
        sqlite3* created = nullptr;  // an empty file for the table to be made in
        sqlite3_open(db.c_str(), &created);
        sqlite3_close(created);
        makeTable(db, rows);
    }
    std::printf("load %.1f\n", load());
    const Order orders[] = {
        {"ROWID", {}, 1, ""},
        {"ROWID descending", {}, 2, ""},
        {"unique text", {1}, 1, ""},
        {"unique number descending", {4}, 1, ""},
        {"unique number descending, ROWID stored descending", {4}, 2, ""},
        {"repeated text (97 values)", {5}, 1, ""},
        {"repeated number (1,000 values) descending", {8}, 1, ""},
        {"repeated number (1,000 values) descending, ROWID stored descending", {8}, 2, ""},
        {"two values", {9}, 1, ""},
        {"two values descending", {10}, 1, ""},
        {"mostly NULL", {11}, 1, ""},
        {"mostly NULL descending", {12}, 1, ""},
        {"two keys: two values, repeated text", {9, 5}, 1, ""},
        {"two keys: repeated number desc, unique text", {8, 1}, 1, ""},
        {"two keys: repeated number desc, unique text, ROWID stored descending", {8, 1}, 2, ""},
        {"two keys: repeated text, repeated number desc", {5, 8}, 1, ""},
        {"three keys: two values desc, repeated text, repeated number", {10, 5, 7}, 1, ""},
        {"three keys: repeated text, repeated number, unique text", {5, 7, 1}, 1, ""},
        {"three keys: repeated text desc, repeated number, mostly NULL", {6, 7, 11}, 2, ""},
        {"mixed: two values, repeated text desc", {9, 6}, 1, ""},
        {"mixed: repeated number desc, repeated text", {8, 5}, 1, ""},
        {"mixed: repeated text desc, repeated number desc, unique number", {6, 8, 3}, 1, ""},
        {"mixed: two values, repeated number desc, unique text", {9, 8, 1}, 2, ""},
        {"mixed: repeated number desc, repeated text desc, unique number, search \"7\"",
         {8, 6, 3},
         1,
         "7"},
        {"two values, search \"7\" in name", {9}, 1, "7"},
        {"two keys: repeated text, repeated number, search \"7\"", {5, 7}, 1, "7"},
    };
    // Orders whose names hold any of the further arguments, or all.
    auto chosen = [&](const std::string& name) {
        return argc <= 2 || std::any_of(argv + 2, argv + argc, [&](const char* part) {
                   return name.find(part) != std::string::npos;
               });
    };
    for (const Order& order : orders) {
        if (chosen(order.name)) measure(db, order);
    }
    if (chosen("sort changes")) measureSortChanges(db);
    if (!kept) std::remove(db.c_str());
    std::printf("load %.1f at the end\n", load());
    return 0;
}
