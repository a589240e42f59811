#pragma once
// A database window with its panels, and reads of the database through a connection of the
// test's own.

#include <string>
#include <vector>

#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"

class PanelTest : public ControllerTest {
  protected:
    // The row of the tables list that shows the object.
    static int rowOf(TablesAndRowsController* c, const std::string& name) {
        const auto& names = c->state().selectedObject.tableNames;
        return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
    }

    // Every column of every row of the query, flat; NULL as "<null>".
    std::vector<std::string> query(const std::string& sql) const { return directQuery(db, sql); }

    // The value of field `field` in grid row `row` of the loaded page.
    std::string gridValue(TablesAndRowsController* c, int64_t row, int64_t field) const {
        return rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(row),
                                                                    FieldIndex(field));
    }
};
