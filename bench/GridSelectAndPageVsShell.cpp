// The database window on generated tables of 1,000,000 and 10,000,000 rows: selecting the table
// (field model, count and first page) and moving the data port to the top, the middle and the
// end, in rowid order and sorted on a Text and on a Number field, each beside the sqlite3 shell
// running the same statement (its start-up time, timed on "select 1", is taken off).
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/TablesAndRowsWindow.h"
#include "bench/ShellComparison.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

namespace {

constexpr int kRuns = 3;

void makeTable(const std::string& db, int64_t rows) {
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
    std::string error;
    DBInterface::updateSortCodes({sortCode}, "t", db, &error);
    if (sortCode > 0) DBInterface::updateTableIndexes("t", {sortCode}, db, &error);
    std::printf("%lld rows, %s\n", static_cast<long long>(rows), order);
    app.showDatabase(db, 0, false, std::nullopt, 0)->resize(1200, 800);
    QApplication::processEvents();
    TablesAndRowsController* c = app.tablesAndRowsControllerForWindowIndex(0);
    double select = bench::bestSeconds(kRuns, [&] { c->selectTableWithName("t"); });
    int64_t pageRows = c->numberOfDataPortRows();
    std::string query = DBInterface::getQueryString("t", "", c->sortCodes, c->sortByROWIDCode, {},
                                                    false, db, nullptr);
    auto page = [&](int64_t offset) {
        return query + " limit " + std::to_string(pageRows) + " offset " + std::to_string(offset);
    };
    double shellStart = shellSeconds(db, "select 1");
    report("select (count + page)", select,
           shellSeconds(db, "select count(*) from \"t\"; " + page(0)), shellStart);
    const std::pair<const char*, int64_t> positions[] = {{"page at the top", 0},
                                                         {"page in the middle", rows / 2},
                                                         {"page at the end", rows - pageRows}};
    for (const auto& [job, offset] : positions) {
        double ours = bench::bestSeconds(kRuns, [&] { c->moveDataPortToRow(offset); });
        report(job, ours, shellSeconds(db, page(offset)), shellStart);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bench::ScratchFolder scratch;
    setenv("VARNELO_HOME", scratch.file("home").c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    UserDefaults::standard().setInteger(3, "SchemaObjectTypesToShow");
    AppDelegate app;
    for (int64_t rows : {int64_t(1000000), int64_t(10000000)}) {
        std::string db = Paths::documentsFolder() + "/rows" + std::to_string(rows) + ".db";
        makeTable(db, rows);
        measure(app, db, rows, "rowid order", 0);
        measure(app, db, rows, "sorted on a Text field", 1);
        measure(app, db, rows, "sorted on a Number field", 3);
    }
    return 0;
}
