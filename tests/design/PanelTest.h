#pragma once
// A database window with its panels, and reads of the database through a connection of the
// test's own.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "tests/mainwindow/ControllerTest.h"

class PanelTest : public ControllerTest {
  protected:
    // The row of the tables list that shows the object.
    static int rowOf(TablesAndRowsController* c, const std::string& name) {
        const auto& names = c->state().selectedObject.tableNames;
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }

    // Every column of every row of the query, flat; NULL as "<null>".
    std::vector<std::string> query(const std::string& sql) const {
        std::vector<std::string> values;
        sqlite3* connection = nullptr;
        if (sqlite3_open_v2(db.c_str(), &connection, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
                while (sqlite3_step(statement) == SQLITE_ROW) {
                    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                        auto text = sqlite3_column_text(statement, i);
                        values.push_back(text ? reinterpret_cast<const char*>(text) : "<null>");
                    }
                }
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(connection);
        return values;
    }

    // The value of field `field` in grid row `row` of the loaded page.
    std::string gridValue(TablesAndRowsController* c, int64_t row, int64_t field) const {
        return rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(row),
                                                                    FieldIndex(field));
    }
};
