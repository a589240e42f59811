#pragma once
// A fixture with a database file in its own temporary home, and short ways to run SQL on it.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "tests/support/DirectQuery.h"
#include "tests/support/TempHome.h"

class DatabaseTest : public TempHomeTest {
  protected:
    void SetUp() override {
        TempHomeTest::SetUp();
        db = pathInHome("test.db");
    }

    // Runs a script, making the file when it is missing, and fails the test when it fails.
    void run(const std::string& sql) {
        std::string error;
        ASSERT_EQ(DBInterface::execMultipleQueryString(sql, nullptr, nullptr, db, &error,
                                                       DBInterface::MissingFile::Create),
                  0)
            << error << "\nin: " << sql;
    }

    // The flat rows of a query, NULL as empty text.
    std::vector<std::string> query(const std::string& sql) {
        std::vector<std::string> values;
        std::string error;
        EXPECT_EQ(DBInterface::getRows(&values, sql, db, &error), 0) << error;
        return values;
    }

    // The same through a connection of the test's own, so that what the access layer wrote is
    // read back without it.
    std::vector<std::string> directQuery(const std::string& sql) {
        std::vector<std::string> values;
        sqlite3* connection = nullptr;
        EXPECT_EQ(sqlite3_open_v2(db.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_busy_timeout(connection, kDirectLockWaitMilliseconds);
        auto collect = [](void* list, int columns, char** texts, char**) {
            for (int i = 0; i < columns; ++i) {
                static_cast<std::vector<std::string>*>(list)->push_back(texts[i] ? texts[i] : "");
            }
            return 0;
        };
        EXPECT_EQ(sqlite3_exec(connection, sql.c_str(), collect, &values, nullptr), SQLITE_OK)
            << sqlite3_errmsg(connection) << "\nin: " << sql;
        sqlite3_close(connection);
        return values;
    }

    std::string db;
};
