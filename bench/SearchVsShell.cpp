// A search on a generated table of 10,000,000 rows (or as many as the first argument says),
// sorted on its Text field: the rows under the search counted and the first page read, from the
// search button to the grid reloaded, beside the sqlite3 shell running the same count and page
// on the same file (its start-up time, timed on "select 1", is taken off). Searches for a text
// near the start of the order, one in the middle, one at its end and one that finds nothing, so
// the page is not only read where it is found early.
#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Common/DBInterface.h"
#include "bench/GeneratedRowsTable.h"
#include "design/SearchPanel.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 3;

double shellSeconds(const std::string& db, const std::string& sql) {
    std::string quoted;
    for (char ch : sql) quoted += ch == '"' ? std::string("\\\"") : std::string(1, ch);
    const std::string command = "sqlite3 '" + db + "' \"" + quoted + "\" > /dev/null";
    return bench::bestSeconds(kRuns, [&] { bench::runOrDie(command); });
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
    const double shellStart = shellSeconds(db, "select 1");
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("%lld rows, sorted on name (load %.1f)\n", static_cast<long long>(rows), load[0]);

    SearchPanel* search = &bench::partsOf(application.app(), c).search;
    search->showSearchPanel();
    for (const char* text : {"Name 12345", "Name 5555", "Name 99999", "no such name"}) {
        search->searchPanelSearchField()->setText(text);
        const double ours = bench::bestSeconds(kRuns, [&] {
            search->searchPanelSearchButtonPressed();
            grid->rowsTableView()->viewport()->repaint();
        });
        // The statements of the grid's own query, as a user of the shell would run them.
        const auto& settings = c->state().sortAndSearch;
        DBInterface::GridQuery query;
        DBInterface::buildGridQuery(&query, "t", settings.likeString.value_or(""),
                                    settings.searchFieldIndexes.indexes(), settings.sortCodes,
                                    settings.sortByROWIDCode, 0, 0, db, nullptr);
        const double shell =
            shellSeconds(db, query.count + "; " + query.select + page) - shellStart;
        std::printf(
            "  search \"%s\": %lld rows   ours %8.1f ms   shell %8.1f ms   ours/shell %.2f\n", text,
            static_cast<long long>(c->state().dataPort.totalRows), ours * 1e3, shell * 1e3,
            ours / shell);
    }
    return 0;
}
