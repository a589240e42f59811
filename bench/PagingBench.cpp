// Counting and paging a 1,000,000-row table the way the grid reads it: one connection per call,
// a count, and 100-row pages at the start, the middle and the end; a grid page read from a query
// built once, beside the same page with the grid query built again for it; and pages found by
// key at random rows with long blobs held by their prefix, as the window reads them, beside the
// same pages read whole.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>

#include "Common/DBConnection.h"
#include "Common/DBInterface.h"
#include "Common/KeysetPages.h"

namespace {

constexpr int64_t kRows = 1000000;

const std::string& benchDatabase() {
    static const std::string path = [] {
        std::string file = "/tmp/varnelo-bench-" + std::to_string(getpid()) + ".db";
        std::remove(file.c_str());
        std::string error;
        int rc = DBInterface::execMultipleQueryString(
            "begin transaction; create table t (name text, amount real, day text, note text); "
            "insert into t select 'name ' || value, value * 1.5, date('2020-01-01', '+' || "
            "(value % 3650) || ' days'), 'note ' || (value % 97) from generate_series(1, " +
                std::to_string(kRows) + "); commit transaction",
            nullptr, nullptr, file, &error, DBInterface::MissingFile::Create);
        if (rc != 0) std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        std::atexit([] {
            std::remove(("/tmp/varnelo-bench-" + std::to_string(getpid()) + ".db").c_str());
        });
        return file;
    }();
    return path;
}

void BM_CountRows(benchmark::State& state) {
    const std::string& db = benchDatabase();
    for (auto _ : state) {
        int64_t count =
            DBInterface::getNumberWithQueryString("select count(*) from \"t\"", db, nullptr);
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_CountRows)->Unit(benchmark::kMillisecond);

void BM_PageAtOffset(benchmark::State& state) {
    const std::string& db = benchDatabase();
    const int64_t offset = state.range(0);
    for (auto _ : state) {
        std::vector<DBValue> values;
        DBInterface::getNullableRows(&values,
                                     "select ROWID, \"name\", \"amount\", \"day\", \"note\" from "
                                     "\"t\" order by ROWID",
                                     100, offset, db, nullptr);
        if (values.size() != 500) state.SkipWithError("short page");
        benchmark::DoNotOptimize(values);
    }
}
BENCHMARK(BM_PageAtOffset)->Arg(0)->Arg(500000)->Arg(999900)->Unit(benchmark::kMillisecond);

constexpr int64_t kPageRows = 100;
const int64_t kGridOffsets[] = {0, 500000, kRows - kPageRows};

// Per page: the reads the grid query builder made before it read on one connection (the
// object's type, then its field model), and the page.
void BM_GridPageWithTheFormerQueryReads(benchmark::State& state) {
    const std::string& db = benchDatabase();
    int64_t opened = DBConnection::openedConnectionCount();
    for (auto _ : state) {
        std::vector<std::string> typeAndDefinition;
        DBInterface::getTableTypeAndDefinition(&typeAndDefinition, "t", db, nullptr);
        std::vector<std::string> names;
        std::vector<int> types;
        std::set<std::string> hidden;
        DBInterface::getFieldNames(&names, &types, nullptr, &hidden, "t", db, nullptr);
        std::vector<DBRow> rows;
        DBInterface::getArrayOfRows(&rows, "select ROWID, * from \"t\" order by ROWID asc", true,
                                    kPageRows, state.range(0), db, nullptr);
        if (rows.size() != kPageRows) state.SkipWithError("short page");
        benchmark::DoNotOptimize(rows);
    }
    state.counters["connections"] = benchmark::Counter(
        double(DBConnection::openedConnectionCount() - opened), benchmark::Counter::kAvgIterations);
}

// Per page: the grid query built again, then the page, as the window reads it today.
void BM_GridPageBuildingTheQuery(benchmark::State& state) {
    const std::string& db = benchDatabase();
    int64_t opened = DBConnection::openedConnectionCount();
    for (auto _ : state) {
        std::string query;
        DBInterface::getQueryString(&query, "t", "", {}, 1, {}, false, db, nullptr);
        std::vector<DBRow> rows;
        DBInterface::getArrayOfRows(&rows, query, true, kPageRows, state.range(0), db, nullptr);
        if (rows.size() != kPageRows) state.SkipWithError("short page");
        benchmark::DoNotOptimize(rows);
    }
    state.counters["connections"] = benchmark::Counter(
        double(DBConnection::openedConnectionCount() - opened), benchmark::Counter::kAvgIterations);
}

// Per page: the page alone, from a query built once.
void BM_GridPageFromABuiltQuery(benchmark::State& state) {
    const std::string& db = benchDatabase();
    DBInterface::GridQuery query;
    if (DBInterface::buildGridQuery(&query, "t", "", {}, {}, 1, 0, 0, db, nullptr) != 0) {
        state.SkipWithError("build failed");
    }
    int64_t opened = DBConnection::openedConnectionCount();
    for (auto _ : state) {
        std::vector<DBValue> values;
        DBInterface::readGridPage(&values, query, kPageRows, state.range(0), db, nullptr);
        if (values.size() != 5 * kPageRows) state.SkipWithError("short page");
        benchmark::DoNotOptimize(values);
    }
    state.counters["connections"] = benchmark::Counter(
        double(DBConnection::openedConnectionCount() - opened), benchmark::Counter::kAvgIterations);
}

// Per page: a page found by the key of a random row, from a query built once that holds long
// blobs by their prefix (argument 1) or reads every value whole (0); the table has none.
void BM_GridPageByKeyAtRandomRows(benchmark::State& state) {
    const std::string& db = benchDatabase();
    DBInterface::GridQuery query;
    if (DBInterface::buildGridQuery(&query, "t", "", {}, {}, 1, 0, 0, db, nullptr,
                                    state.range(0) ? DBInterface::LongValues::HeldPrefix
                                                   : DBInterface::LongValues::Whole) != 0 ||
        query.heldPrefixes.has_value() != (state.range(0) == 1)) {
        state.SkipWithError("build failed");
    }
    // The keys are ROWIDs, made as values by a statement of their own.
    sqlite3* values = nullptr;
    sqlite3_open(":memory:", &values);
    std::vector<DBInterface::RowKey> keys;
    std::mt19937 random(7);
    for (int i = 0; i < 256; ++i) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(values, "select ?", -1, &statement, nullptr);
        sqlite3_bind_int64(statement, 1,
                           std::uniform_int_distribution<int64_t>(1, kRows - kPageRows)(random));
        sqlite3_step(statement);
        DBInterface::RowKey key;
        key.emplace_back(sqlite3_value_dup(sqlite3_column_value(statement, 0)));
        keys.push_back(std::move(key));
        sqlite3_finalize(statement);
    }
    sqlite3_close(values);
    size_t next = 0;
    for (auto _ : state) {
        std::vector<DBValue> page;
        DBInterface::readGridPageAfterKey(&page, query, &keys[next++ % keys.size()], 0, kPageRows,
                                          db, nullptr);
        if (page.size() != 5 * kPageRows) state.SkipWithError("short page");
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_GridPageByKeyAtRandomRows)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void gridOffsets(benchmark::internal::Benchmark* benchmark) {
    for (int64_t offset : kGridOffsets) benchmark->Arg(offset);
    benchmark->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_GridPageWithTheFormerQueryReads)->Apply(gridOffsets);
BENCHMARK(BM_GridPageBuildingTheQuery)->Apply(gridOffsets);
BENCHMARK(BM_GridPageFromABuiltQuery)->Apply(gridOffsets);

}  // namespace

BENCHMARK_MAIN();
