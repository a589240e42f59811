#pragma once
// The large table the grid benchmarks page through: t (name, amount, note) of generated rows,
// names and amounts scattered so that sorting on them reorders every row, and its window.
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/WindowParts.h"
#include "bench/ShellComparison.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "mainwindow/rows/RowsConsole.h"
#include "platform/foundation/LargeBlocks.h"
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
    static bool startAsTheProgramDoes() {
        giveLargeBlocksBackWhenFreed();
        return true;
    }
    static bool useScratchHome(const ScratchFolder& scratch) {
        setenv("VARNELO_HOME", scratch.file("home").c_str(), 1);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    // Made in this order: the allocator is set as the program sets it, the home before the
    // application starts, and the application object goes before the QApplication.
    bool allocatorSet_ = startAsTheProgramDoes();
    ScratchFolder scratch_;
    bool homeSet_ = useScratchHome(scratch_);
    QApplication qapp_;
    std::unique_ptr<AppDelegate> app_;
};

inline void makeRowsTable(const std::string& db, int64_t rows) {
    std::string error;
    // The file first: making a table never makes one.
    if (DBInterface::execMultipleQueryString("pragma user_version = 0", nullptr, nullptr, db,
                                             &error, DBInterface::MissingFile::Create) != 0 ||
        DBInterface::createTable("t", 0, {"name", "amount", "note"},
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

// The consoles and panels of a database window, each by its type.
inline WindowParts& partsOf(AppDelegate& app, const TablesAndRowsController* c) {
    return *app.windowPartsForWindowIndex(c->windowIndex());
}

// The grid console of a database window.
inline RowsConsole* rowsConsole(AppDelegate& app, const TablesAndRowsController* c) {
    return &partsOf(app, c).rows;
}

// Sorts t on the field of sortCode (0: rowid order), with an index on a sorted field.
inline void sortRowsTable(const std::string& db, int sortCode) {
    std::string error;
    DBInterface::updateSortCodes({sortCode}, "t", db, &error);
    if (sortCode > 0) DBInterface::updateTableIndexes("t", {sortCode}, db, &error);
}

// Shows t, as it is sorted, selected in a database window of slot 0.
inline TablesAndRowsController* showRowsTable(AppDelegate& app, const std::string& db) {
    TablesAndRowsWindow* window =
        app.showDatabase(db, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    window->resize(1200, 800);
    window->show();
    QApplication::processEvents();
    TablesAndRowsController* c = app.tablesAndRowsControllerForWindowIndex(0);
    c->selectTableWithName("t");
    return c;
}

// Handles events until the grid finds its pages by key; the seconds it took, from start.
inline double waitForPagesByKey(RowsConsole* grid, std::chrono::steady_clock::time_point start) {
    while (!grid->dataPort().pagesFoundByKey()) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(5)) {
            std::fprintf(stderr, "the marks never came\n");
            std::exit(1);
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The resident set size of this process in MB.
inline double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
    }
    return 0;
}

}  // namespace bench
