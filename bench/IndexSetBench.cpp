// Selecting a span of rows: the range set against one std::set entry per row.
#include <benchmark/benchmark.h>

#include <set>

#include "Common/IndexSet.h"

static void BM_IndexSetInsertRange(benchmark::State& state) {
    for (auto _ : state) {
        DBInterface::IndexSet rows;
        rows.insertRange(0, state.range(0) - 1);
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_IndexSetInsertRange)->Arg(1'000'000)->Arg(10'000'000);

static void BM_StdSetInsertEachIndex(benchmark::State& state) {
    for (auto _ : state) {
        std::set<int64_t> rows;
        for (int64_t row = 0; row < state.range(0); ++row) rows.insert(rows.end(), row);
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_StdSetInsertEachIndex)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

// The per-cell question the grid asks while painting, with a selection split by many clicks.
static void BM_IndexSetContains(benchmark::State& state) {
    DBInterface::IndexSet rows;
    for (int64_t range = 0; range < state.range(0); ++range)
        rows.insertRange(range * 10, range * 10 + 4);
    int64_t row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rows.contains(row));
        row = (row + 7919) % (state.range(0) * 10);
    }
}
BENCHMARK(BM_IndexSetContains)->Arg(1'000)->Arg(1'000'000);

BENCHMARK_MAIN();
