#pragma once
// SQLite's peak of the memory it held while a job ran. SQLite counts its memory only where that
// was asked before it started, which the program does not do (the count would make parallel
// reads wait on each other): a test program that includes this asks as it starts, once.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

inline const bool kSQLiteMemoryCounted =
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 1) == SQLITE_OK && sqlite3_initialize() == SQLITE_OK;

inline sqlite3_int64 sqliteMemoryPeakDuring(const std::function<void()>& job) {
    // Without the count every peak would be 0 and pass any test of a bound.
    EXPECT_TRUE(kSQLiteMemoryCounted) << "SQLite started before its memory could be counted";
    sqlite3_int64 current = 0, peak = 0;
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &peak, 1);
    job();
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &peak, 0);
    return peak;
}
