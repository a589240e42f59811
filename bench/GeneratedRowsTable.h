#pragma once
// The large table the grid benchmarks page through: t (name, amount, note) of generated rows,
// names and amounts scattered so that sorting on them reorders every row, and its window.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "bench/ShellComparison.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "mainwindow/rows/RowsConsole.h"
#include "platform/foundation/UserDefaults.h"

namespace bench {

// An offscreen application with its own home in a scratch folder, for the benchmarks that
// drive database windows.
class OffscreenApplication {
  public:
    OffscreenApplication(int& argc, char** argv) : qapp_(argc, argv) {
        UserDefaults::standard().setInteger(3, "SchemaObjectTypesToShow");
        app_ = std::make_unique<AppDelegate>();
    }
    AppDelegate& app() { return *app_; }

  private:
    static bool useScratchHome(const ScratchFolder& scratch) {
        setenv("VARNELO_HOME", scratch.file("home").c_str(), 1);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    // Made in this order: the home is set before the application starts, and the application
    // object goes before the QApplication.
    ScratchFolder scratch_;
    bool homeSet_ = useScratchHome(scratch_);
    QApplication qapp_;
    std::unique_ptr<AppDelegate> app_;
};

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

// The grid console of a database window.
inline RowsConsole* rowsConsole(TablesAndRowsController* c) {
    return static_cast<RowsConsole*>(c->console(TablesAndRowsState::RowsConsole));
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
