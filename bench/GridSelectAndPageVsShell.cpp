// The database window on generated tables of 1,000,000 and 10,000,000 rows: selecting the table
// (field model, count and first page), the time until its pages are found by key, and moving the
// data port to the top, row 1,000,000, the middle and the end, in rowid order and sorted on a
// Text and on a Number field, each beside the sqlite3 shell running the same statement with an
// offset (its start-up time, timed on "select 1", is taken off); and the memory the process holds.
#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "bench/GeneratedRowsTable.h"
#include "bench/ShellComparison.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 3;

double shellSeconds(const std::string& db, const std::string& sql) {
    std::string quoted;
    for (char ch : sql) quoted += ch == '"' ? std::string("\\\"") : std::string(1, ch);
    std::string command = "sqlite3 '" + db + "' \"" + quoted + "\" > /dev/null";
    return bench::bestSeconds(kRuns, [&] { bench::runOrDie(command); });
}

void report(const char* job, double ours, double shell, double shellStart) {
    double net = shell - shellStart;
    std::printf("  %-26s ours %8.2f ms   shell %8.2f ms (net of start-up %8.2f ms)", job,
                ours * 1e3, shell * 1e3, net * 1e3);
    // Below a millisecond the shell's net time is noise of its start-up.
    if (net >= 1e-3) std::printf("   ours/shell %.2f", ours / net);
    std::printf("\n");
}

void measure(AppDelegate& app, const std::string& db, int64_t rows, const char* order,
             int sortCode) {
    std::printf("%lld rows, %s\n", static_cast<long long>(rows), order);
    bench::sortRowsTable(db, sortCode);
    auto shown = std::chrono::steady_clock::now();
    TablesAndRowsController* c = bench::showRowsTable(app, db);
    RowsConsole* grid = bench::rowsConsole(app, c);
    double ready = bench::waitForPagesByKey(grid, shown);
    std::printf("  pages found by key %.2f s after the window was shown, RSS %.0f MB\n", ready,
                bench::residentMegabytes());
    double select = bench::bestSeconds(kRuns, [&] { c->selectTableWithName("t"); });
    int64_t pageRows = grid->numberOfDataPortRows();
    const auto& sort = c->state().sortAndSearch;
    std::string query;
    DBInterface::getQueryString(&query, "t", "", sort.sortCodes, sort.sortByROWIDCode, {}, false,
                                db, nullptr);
    auto page = [&](int64_t offset) {
        return query + " limit " + std::to_string(pageRows) + " offset " + std::to_string(offset);
    };
    double shellStart = shellSeconds(db, "select 1");
    report("select (count + page)", select,
           shellSeconds(db, "select count(*) from \"t\"; " + page(0)), shellStart);
    const std::pair<const char*, int64_t> positions[] = {{"page at the top", 0},
                                                         {"page at row 1,000,000", 1000000},
                                                         {"page in the middle", rows / 2},
                                                         {"page at the end", rows - pageRows}};
    for (const auto& [job, offset] : positions) {
        if (offset > rows - pageRows) continue;
        // Each timed move loads its page: the port starts one row away.
        double ours = 1e30;
        for (int run = 0; run < kRuns; ++run) {
            grid->moveDataPortToRow(RowIndex(offset > 0 ? offset - 1 : 1));
            ours = std::min(
                ours, bench::bestSeconds(1, [&] { grid->moveDataPortToRow(RowIndex(offset)); }));
        }
        report(job, ours, shellSeconds(db, page(offset)), shellStart);
    }
    std::printf("  RSS %.0f MB\n", bench::residentMegabytes());
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    AppDelegate& app = application.app();
    for (int64_t rows : {int64_t(1000000), int64_t(10000000)}) {
        std::string db = Paths::documentsFolder() + "/rows" + std::to_string(rows) + ".db";
        bench::makeRowsTable(db, rows);
        measure(app, db, rows, "rowid order", 0);
        measure(app, db, rows, "sorted on a Text field", 1);
        measure(app, db, rows, "sorted on a Number field", 3);
    }
    return 0;
}
