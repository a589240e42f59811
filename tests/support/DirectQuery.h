#pragma once
// Reads or writes a database file through a connection of the test's own: what the program wrote
// is read back without it, and a change is made as another program would make it.
#include <sqlite3.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

// How long the test's own connections wait on a lock the program holds for a moment (a commit
// of a run going on), as another program would.
constexpr int kDirectLockWaitMilliseconds = 10000;

// Every column of every row of the query, flat, NULL as "<null>".
inline std::vector<std::string> directQuery(const std::string& path, const std::string& sql) {
    std::vector<std::string> values;
    sqlite3* connection = nullptr;
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(connection, kDirectLockWaitMilliseconds);
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
        << sqlite3_errmsg(connection);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = sqlite3_column_text(statement, i);
            values.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(connection);
    return values;
}

// Runs sql (one or more statements) on a connection of its own.
inline void directExec(const std::string& path, const std::string& sql) {
    sqlite3* connection = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &connection), SQLITE_OK);
    sqlite3_busy_timeout(connection, kDirectLockWaitMilliseconds);
    EXPECT_EQ(sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(connection);
    sqlite3_close(connection);
}
