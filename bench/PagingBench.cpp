// Counting and paging a 1,000,000-row table the way the grid reads it: one connection per call,
// a count, and 100-row pages at the start, the middle and the end.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Common/DBInterface.h"

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

}  // namespace

BENCHMARK_MAIN();
