// A search on a generated table of 10,000,000 rows (or as many as the first argument says),
// sorted on its Text field: the rows under the search counted and the first page read, from the
// search button to the grid reloaded, beside the sqlite3 shell running the same count and page
// on the same file (its start-up time, timed on "select 1", is taken off). Searches for a text
// near the start of the order, one in the middle, one at its end, one that finds nothing, so
// the page is not only read where it is found early, and one that finds over a million rows,
// whose page marks are then sampled in the background while the first page is read, and whose
// first page of the later half is read before they arrive. Our runs and
// the shell's take turns, so that both meet the same load of a shared machine; the count and the
// page are also timed apart.
#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

#include "Common/DBInterface.h"
#include "bench/GeneratedRowsTable.h"
#include "design/SearchPanel.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 5;

void runShell(const std::string& db, const std::string& sql) {
    bench::runOrDie(bench::shellCommand(db, sql));
}

double seconds(const std::function<void()>& job) {
    return bench::bestSeconds(1, job);
}

double load() {
    double average[1] = {0};
    getloadavg(average, 1);
    return average[0];
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 10000000;
    const std::string db = Paths::documentsFolder() + "/search.db";
    bench::makeRowsTable(db, rows);
    bench::sortRowsTable(db, 1);
    TablesAndRowsController* c = bench::showRowsTable(application.app(), db);
    RowsConsole* grid = bench::rowsConsole(application.app(), c);
    const std::string page = " limit " + std::to_string(grid->numberOfDataPortRows());
    std::printf("%lld rows, sorted on name (load %.1f)\n", static_cast<long long>(rows), load());

    SearchPanel* search = &bench::partsOf(application.app(), c).search;
    search->showSearchPanel();
    for (const char* text : {"Name 12345", "Name 5555", "Name 99999", "no such name", "Name 1"}) {
        search->searchPanelSearchField()->setText(text);
        search->searchPanelSearchButtonPressed();
        // The statements of the grid's own query, as a user of the shell would run them.
        const auto& settings = c->state().sortAndSearch;
        DBInterface::GridQuery query;
        DBInterface::buildGridQuery(&query, "t", settings.likeString.value_or(""),
                                    settings.searchFieldIndexes.indexes(), settings.sortCodes,
                                    settings.sortByROWIDCode, 0, 0, db, nullptr);
        const std::string shellPage = query.select + page;
        double ours = 1e30, shell = 1e30, oursCount = 1e30, oursPage = 1e30, shellCount = 1e30,
               shellPageOnly = 1e30;
        for (int run = 0; run < kRuns; ++run) {
            ours = std::min(ours, seconds([&] {
                                search->searchPanelSearchButtonPressed();
                                grid->rowsTableView()->viewport()->repaint();
                            }));
            const double start = seconds([&] { runShell(db, "select 1"); });
            shell = std::min(
                shell, seconds([&] { runShell(db, query.count + "; " + shellPage); }) - start);
            std::string error;
            oursCount = std::min(oursCount, seconds([&] { grid->dataPort().countRows(&error); }));
            oursPage =
                std::min(oursPage, seconds([&] {
                             std::vector<DBValue> values;
                             grid->dataPort().loadPageValues(
                                 &values, RowIndex(0), grid->numberOfDataPortRows(), false, &error);
                         }));
            shellCount = std::min(shellCount, seconds([&] { runShell(db, query.count); }) - start);
            shellPageOnly =
                std::min(shellPageOnly, seconds([&] { runShell(db, shellPage); }) - start);
        }
        std::printf(
            "  search \"%s\": %lld rows   ours %8.1f ms   shell %8.1f ms   ours/shell %.2f\n"
            "      count: ours %7.1f ms, shell %7.1f ms   first page: ours %7.1f ms, shell %7.1f "
            "ms\n",
            text, static_cast<long long>(c->state().dataPort.totalRows), ours * 1e3, shell * 1e3,
            ours / shell, oursCount * 1e3, shellCount * 1e3, oursPage * 1e3, shellPageOnly * 1e3);
        // Pages at random places of the rows found, not only the first.
        const int64_t found = c->state().dataPort.totalRows;
        const int64_t pageRows = grid->numberOfDataPortRows();
        if (found <= pageRows) continue;
        // Our read of the page at a place and the shell's, in ms.
        auto pageBesideShell = [&](int64_t at) {
            std::string error;
            const double oursAt = seconds([&] {
                std::vector<DBValue> values;
                grid->dataPort().loadPageValues(&values, RowIndex(at), pageRows, false, &error);
            });
            const double start = seconds([&] { runShell(db, "select 1"); });
            const double shellAt =
                seconds([&] { runShell(db, shellPage + " offset " + std::to_string(at)); }) - start;
            return std::make_pair(oursAt * 1e3, shellAt * 1e3);
        };
        // The first move into the later half of the rows found, right after the search, before
        // its marks are handed over.
        search->searchPanelSearchButtonPressed();
        const bool byKey = grid->dataPort().pagesFoundByKey();
        const auto [oursLate, shellLate] = pageBesideShell(found * 3 / 4);
        std::printf(
            "      first page of the later half (%lld)%s: ours %.1f ms, shell %.1f ms, ours/shell "
            "%.2f\n",
            static_cast<long long>(found * 3 / 4), byKey ? " (marks in)" : " before the marks",
            oursLate, shellLate, oursLate / shellLate);
        std::printf("      pages at random places (ours/shell ms):");
        for (int read = 0; read < 4; ++read) {
            const int64_t at = static_cast<int64_t>(random() % (found - pageRows + 1));
            const auto [oursAt, shellAt] = pageBesideShell(at);
            std::printf("  %lld: %.1f/%.1f", static_cast<long long>(at), oursAt, shellAt);
        }
        std::printf("\n");
    }
    std::printf("(load %.1f at the end)\n", load());
    return 0;
}
