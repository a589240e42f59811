#pragma once
// The large table the grid benchmarks page through: t (name, amount, note) of generated rows,
// names and amounts scattered so that sorting on them reorders every row, and its window.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/TablesAndRowsWindow.h"
#include "mainwindow/TablesAndRowsController.h"

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

// Shows t sorted on the field of sortCode (0 in rowid order, with an index otherwise) in a
// database window of slot 0.
inline TablesAndRowsController* showRowsTable(AppDelegate& app, const std::string& db,
                                              int sortCode) {
    std::string error;
    DBInterface::updateSortCodes({sortCode}, "t", db, &error);
    if (sortCode > 0) DBInterface::updateTableIndexes("t", {sortCode}, db, &error);
    TablesAndRowsWindow* window = app.showDatabase(db, 0, false, std::nullopt, 0);
    window->resize(1200, 800);
    window->show();
    QApplication::processEvents();
    return app.tablesAndRowsControllerForWindowIndex(0);
}

}  // namespace bench
