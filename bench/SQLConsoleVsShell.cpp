// The SQL console running "select * from t" on a generated table of 1,000,000 rows until its
// grid shows the first 1000 rows, beside the sqlite3 shell running the same statement with
// LIMIT 1000 (its start-up time, timed on "select 1", is taken off). The script runner alone is
// timed too: the console adds the grid, the labels and the history written to the defaults.
#include <QApplication>

#include <cstdio>
#include <string>

#include "bench/GeneratedRowsTable.h"
#include "design/SQLConsole.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kRuns = 5;

double shellSeconds(const std::string& db, const std::string& sql) {
    const std::string command = "sqlite3 '" + db + "' '" + sql + "' > /dev/null";
    return bench::bestSeconds(kRuns, [&] { bench::runOrDie(command); });
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    AppDelegate& app = application.app();
    const int64_t rows = 1000000;
    const std::string db = Paths::documentsFolder() + "/rows.db";
    bench::makeRowsTable(db, rows);
    TablesAndRowsController* c = bench::showRowsTable(app, db);
    c->selectConsole(TablesAndRowsState::SQLConsole);
    auto* console = &bench::partsOf(app, c).sql;
    const double ours = bench::bestSeconds(kRuns, [&] {
        console->executeQueryInSQLView("select * from t");
        QApplication::processEvents();
    });
    const double runner = bench::bestSeconds(kRuns, [&] {
        DBInterface::ScriptResult result;
        DBInterface::execMultipleQueryString(
            "select * from t", DBInterface::ScriptOptions{SQLConsole::kResultRowLimit}, &result, db,
            nullptr);
    });
    const double start = shellSeconds(db, "select 1");
    const double shell = shellSeconds(db, "select * from t limit 1000");
    const double net = shell - start;
    std::printf(
        "select * from t, %lld rows\n  console (grid shown) %.2f ms   script runner %.2f ms\n"
        "  shell with LIMIT 1000 %.2f ms, net of start-up %.2f ms\n"
        "  console/shell %.2f   console/shell net %.2f   runner/shell net %.2f\n",
        static_cast<long long>(rows), ours * 1e3, runner * 1e3, shell * 1e3, net * 1e3,
        ours / shell, ours / net, runner / net);
    return 0;
}
