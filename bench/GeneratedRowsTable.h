#pragma once
// The large table the grid benchmarks page through: t (name, amount, note) of generated rows,
// names and amounts scattered so that sorting on them reorders every row.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Common/DBInterface.h"

namespace bench {

inline void makeRowsTable(const std::string& db, int64_t rows) {
    std::string error;
    if (DBInterface::createTable("t", 0, {"name", "amount", "note"},
                                 {DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber,
                                  DBInterface::kFieldTypeText},
                                 nullptr, nullptr, db, &error) != 0 ||
        DBInterface::execMultipleQueryString(
            "begin transaction; insert into t select 'Name ' || ((value * 7919) % " +
                std::to_string(rows) + "), ((value * 104729) % " + std::to_string(rows) +
                ") * 0.5, 'note ' || (value % 97) from generate_series(1, " + std::to_string(rows) +
                "); commit transaction",
            nullptr, nullptr, db, &error) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        std::exit(1);
    }
}

}  // namespace bench
