// Changing the field list of a 1,000,000-row table with one index: the whole rebuild (rows
// copied with their rowids, the index recreated), and the index rebuild of the sort keys.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Common/DBInterface.h"

namespace {

constexpr int64_t kRows = 1000000;

std::string makeDatabase() {
    std::string file = "/tmp/varnelo-rebuild-bench-" + std::to_string(getpid()) + ".db";
    std::remove(file.c_str());
    std::string error;
    int rc = DBInterface::execMultipleQueryString(
        "begin transaction; create table t (name text, amount real, note text); "
        "insert into t select 'name ' || value, value * 1.5, 'note ' || (value % 97) from "
        "generate_series(1, " +
            std::to_string(kRows) + "); create index tn on t (note); commit transaction",
        nullptr, nullptr, file, &error, DBInterface::MissingFile::Create);
    if (rc != 0) std::fprintf(stderr, "setup failed: %s\n", error.c_str());
    return file;
}

void BM_RebuildTable(benchmark::State& state) {
    std::string db = makeDatabase();
    bool wide = false;
    for (auto _ : state) {
        // Alternately add a field and take it away again.
        std::vector<std::string> oldNames{"name", "amount", "note"};
        std::vector<std::string> newNames = oldNames;
        std::vector<int64_t> indices{0, 1, 2};
        if (wide) oldNames.push_back("extra");
        if (!wide) {
            newNames.push_back("extra");
            indices.push_back(-1);
        }
        std::vector<int> types(newNames.size(), 1);
        std::string error;
        if (DBInterface::changeTable("t", oldNames, indices, newNames, types, nullptr, nullptr,
                                     nullptr, db, &error) != 0) {
            state.SkipWithError(error.c_str());
        }
        wide = !wide;
    }
    std::remove(db.c_str());
}
BENCHMARK(BM_RebuildTable)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_SortIndexes(benchmark::State& state) {
    std::string db = makeDatabase();
    for (auto _ : state) {
        if (DBInterface::updateTableIndexes("t", {1, 4}, db, nullptr) != 0) {
            state.SkipWithError("index rebuild failed");
        }
    }
    std::remove(db.c_str());
}
BENCHMARK(BM_SortIndexes)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
