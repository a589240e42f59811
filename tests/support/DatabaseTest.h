#pragma once
// A fixture with a database file in its own temporary home, and short ways to run SQL on it.
#include <string>
#include <vector>

#include "Common/DBInterface.h"
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

    std::string db;
};
