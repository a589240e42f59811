// Selecting a 3-row table that holds a 50 MB and a 5 MB blob, from the click in the tables list
// to the grid drawn, beside selecting a 3-row table of small values in the same window; and the
// memory the process held at its peak, and SQLite's own peak during the selections. Large values
// are held by the grid as their first part only, so the two selections should cost about the same.
#include <QApplication>

#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Common/DBInterface.h"
#include "bench/GeneratedRowsTable.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 5;

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    // SQLite counts its memory, for the peak below, only where that is asked before it starts.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 1);
    bench::OffscreenApplication application(argc, argv);
    const std::string db = Paths::documentsFolder() + "/values.db";
    std::string error;
    if (DBInterface::execMultipleQueryString(
            "create table blobs (id integer primary key, name text, b blob);"
            "insert into blobs values (1, '5MB', zeroblob(5000000)), (2, '50MB', "
            "zeroblob(50000000)), (3, 'small', x'00');"
            "create table small (id integer primary key, name text, b blob);"
            "insert into small values (1, 'a', 'x'), (2, 'b', x'00'), (3, 'c', 'y');",
            nullptr, nullptr, db, &error, DBInterface::MissingFile::Create) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        return 1;
    }
    TablesAndRowsWindow* window =
        application.app().showDatabase(db, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    window->resize(1200, 800);
    window->show();
    QApplication::processEvents();
    TablesAndRowsController* c = application.app().tablesAndRowsControllerForWindowIndex(0);
    RowsConsole* grid = bench::rowsConsole(application.app(), c);
    auto selectAndDraw = [&](const char* table) {
        c->selectTableWithName(table);
        grid->rowsTableView()->viewport()->repaint();
    };
    // Each timed selection starts from the other table, as a click in the list does.
    auto best = [&](const char* table, const char* from) {
        double seconds = 1e30;
        for (int run = 0; run < kRuns; ++run) {
            selectAndDraw(from);
            QApplication::processEvents();
            seconds = std::min(seconds, bench::bestSeconds(1, [&] { selectAndDraw(table); }));
        }
        return seconds;
    };
    sqlite3_int64 used = 0, sqlitePeak = 0;
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &used, &sqlitePeak, 1);
    const double small = best("small", "blobs");
    const double large = best("blobs", "small");
    std::printf(
        "select and draw, 3 rows: small values %8.2f ms   a 50 MB and a 5 MB blob %8.2f ms"
        "   large/small %.2f (load %s)\n",
        small * 1e3, large * 1e3, large / small, bench::loadAverage().c_str());
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &used, &sqlitePeak, 0);
    // The process's peak includes making the 50 MB blob.
    std::printf("peak RSS %.0f MB, SQLite's peak while selecting %.1f MB\n",
                peakResidentMegabytes(), static_cast<double>(sqlitePeak) / 1e6);
    return 0;
}
