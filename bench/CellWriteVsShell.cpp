// Writes of the grid's cells on a table of 1,000,000 rows (or as many as the first argument
// says), at random rows: one cell written and its page read back right after, beside the same
// write with the page left as it is (the anchor); and Clear on a page of selected cells (one
// UPDATE a row in one transaction). Each beside the sqlite3 shell running the same statements
// (its start-up time, timed on "select 1", is taken off).
#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "bench/GeneratedRowsTable.h"
#include "bench/ShellComparison.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/rows/CellWriter.h"
#include "platform/foundation/Paths.h"

namespace {

constexpr int kWrites = 20;

double shellSeconds(const std::string& db, const std::string& sql) {
    const std::string command = "sqlite3 '" + db + "' \"" + sql + "\" > /dev/null";
    return bench::bestSeconds(3, [&] { bench::runOrDie(command); });
}

void report(const char* job, double ours, double shell, double shellStart) {
    const double net = shell - shellStart;
    std::printf("%-44s ours %7.2f ms   shell %7.2f ms (net of start-up %7.2f ms)", job, ours * 1e3,
                shell * 1e3, net * 1e3);
    if (net >= 1e-3) std::printf("   ours/shell %.2f", ours / net);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    const int64_t rowCount = argc > 1 ? std::atoll(argv[1]) : 1000000;
    AppDelegate& app = application.app();
    const std::string db = Paths::documentsFolder() + "/cells.db";
    bench::makeRowsTable(db, rowCount);
    TablesAndRowsController* c = bench::showRowsTable(app, db);
    RowsConsole* grid = bench::rowsConsole(app, c);
    bench::waitForPagesByKey(grid, std::chrono::steady_clock::now());
    const TablesAndRowsState& state = c->state();
    CellWriter writer(*c);
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int64_t> rows(0, rowCount - grid->numberOfDataPortRows());
    const FieldIndex note(3);

    // The same random rows for both: a write with its page read back, and one without.
    std::vector<int64_t> firstRows(kWrites);
    for (int64_t& row : firstRows) row = rows(random);
    auto timeWrites = [&](bool readPageBack, int round) {
        double best = 1e30;
        for (int64_t first : firstRows) {
            grid->moveDataPortToRow(RowIndex(first));
            std::optional<CellTarget> target = writer.targetOfLoadedCell(RowIndex(first), note);
            if (!target) std::exit(1);
            const DBValue value = "written " + std::to_string(round);
            best = std::min(best, bench::bestSeconds(1, [&] {
                                writer.write(*target, value, {.readPageBack = readPageBack});
                            }));
            if (state.dataPort.page.cell(RowIndex(first), note)->value_or("") != *value) {
                std::fprintf(stderr, "the page does not show the write\n");
                std::exit(1);
            }
        }
        return best;
    };
    const double plain = timeWrites(false, 1);
    const double readBack = timeWrites(true, 2);
    const double shellStart = shellSeconds(db, "select 1");
    // The shell writes the same rows, each in a transaction of its own, timed per write.
    std::string shellUpdates;
    for (int64_t first : firstRows) {
        shellUpdates +=
            "update t set note = 'shell' where rowid = " + std::to_string(first + 1) + ";";
    }
    const double shellWrite = shellStart + (shellSeconds(db, shellUpdates) - shellStart) / kWrites;
    report("one cell, page left as it is (anchor)", plain, shellWrite, shellStart);
    report("one cell, page read back", readBack, shellWrite, shellStart);
    std::printf("page read back / page left as it is: %.2f\n", readBack / plain);

    // Clear on the note of every row of a page at a random place.
    const int64_t first = rows(random);
    grid->moveDataPortToRow(RowIndex(first));
    RowsTarget cells{db, "t", {}, {}};
    std::vector<std::string> rowids;
    std::string updates = "begin;";
    for (int64_t row = first; state.dataPort.page.holds(RowIndex(row)); ++row) {
        std::string id = *writer.loadedRowid(RowIndex(row));
        cells.rows.push_back({id, {"note"}});
        rowids.push_back(id);
        updates += " update t set note = '' where rowid = " + id + ";";
    }
    size_t written = 0;
    // The rows as the page shows them when the command starts, as Clear takes them.
    const double clear = bench::bestSeconds(3, [&] {
        cells.shown = writer.shownRows(rowids);
        writer.write(cells, "", {}, &written);
    });
    if (written != cells.rows.size()) std::exit(1);
    report(("Clear on " + std::to_string(written) + " rows of a page").c_str(), clear,
           shellSeconds(db, updates + " commit;"), shellStart);
    return 0;
}
