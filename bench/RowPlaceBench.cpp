// Finding where a row stands in the grid's order, by its ROWID, on a table of 1,000,000 rows (or
// as many as the first argument says) sorted on a field of five values, with its sort index: the
// rows before it counted by key range by range (best of 5), through the pager as the window asks
// after a write (with a search, against the rows its count took), beside reading the ROWIDs of the
// order from its start. Rows near the start, in the middle and at the end of the order. And the
// window's whole write of that field through the grid's writer, the page read back and the
// focus following the row to the other end of the order, beside the same write of another
// field, which moves no row.
#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Common/KeysetPager.h"
#include "bench/GeneratedRowsTable.h"
#include "bench/ShellComparison.h"
#include "mainwindow/rows/CellWriter.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/MainThread.h"

using namespace DBInterface;

namespace {

void makeTable(const std::string& db, int64_t rows) {
    std::string error;
    if (execMultipleQueryString("pragma user_version = 0", nullptr, nullptr, db, &error,
                                MissingFile::Create) != 0 ||
        createTable("t", 0, {"kind", "name"}, {kFieldTypeText, kFieldTypeText}, nullptr, nullptr,
                    db, &error) != 0 ||
        execMultipleQueryString(
            "begin; insert into t select 'k' || (value * 7 % 5), 'name ' || value from "
            "generate_series(1, " +
                std::to_string(rows) + "); commit",
            nullptr, nullptr, db, &error) != 0 ||
        updateSortCodes({1}, "t", db, &error) != 0 ||
        updateTableIndexes("t", {1}, db, &error) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        std::exit(1);
    }
}

GridQuery gridQuery(const std::string& db, const std::string& like) {
    GridQuery query;
    std::string error;
    if (buildGridQuery(&query, "t", like, like.empty() ? IndexSet{} : IndexSet{1}, {1}, 1, 0, 0, db,
                       &error) != 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    return query;
}

// The ROWIDs at the start, the middle and the end of the query's order.
std::vector<int64_t> rowidsAcross(const GridQuery& query, const std::string& db, int64_t rows) {
    std::vector<int64_t> rowids;
    for (int64_t at : {int64_t(0), rows / 2, rows - 1}) {
        std::vector<DBValue> row;
        readGridPage(&row, query, 1, at, db, nullptr);
        rowids.push_back(std::atoll(row.at(0)->c_str()));
    }
    return rowids;
}

void timePlaces(const char* title, const std::string& db, const std::string& like) {
    const GridQuery query = gridQuery(db, like);
    KeysetPager pager(performOnMainThread);
    const int64_t rows = pager.countRows(query, db, nullptr);
    std::printf("%s (%lld rows)\n", title, static_cast<long long>(rows));
    const char* places[] = {"first", "middle", "last"};
    const std::vector<int64_t> rowids = rowidsAcross(query, db, rows);
    for (size_t i = 0; i < rowids.size(); ++i) {
        int64_t byKey = -1, walked = -1;
        const double keyed = bench::bestSeconds(
            5, [&] { pager.rowIndexOfRowid(&byKey, query, rowids[i], db, nullptr); });
        const double walk = bench::bestSeconds(
            3, [&] { rowIndexOfRowidInOrder(&walked, query, rowids[i], db, nullptr); });
        if (byKey != walked) {
            std::fprintf(stderr, "places differ: %lld, %lld\n", static_cast<long long>(byKey),
                         static_cast<long long>(walked));
            std::exit(1);
        }
        std::printf("  %-6s row (place %8lld): counted by key %8.2f ms   order walked %8.2f ms",
                    places[i], static_cast<long long>(byKey), keyed * 1e3, walk * 1e3);
        if (!like.empty()) {
            // Without the rows the count took, each row before it is read for the search.
            int64_t tested = -1;
            std::printf("   search tested row by row %8.2f ms",
                        1e3 * bench::bestSeconds(3, [&] {
                            rowIndexOfRowid(&tested, query, rowids[i], db, nullptr);
                        }));
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApplication application(argc, argv);
    const int64_t rowCount = argc > 1 ? std::atoll(argv[1]) : 1000000;
    const std::string db = Paths::documentsFolder() + "/places.db";
    makeTable(db, rowCount);
    timePlaces("sorted on a field of five values", db, "");
    timePlaces("the same under a search of half the rows", db, "%1%");
    timePlaces("the same under a search of a tenth of the rows", db, "%7");

    // Through the window: the first row's sort field written to the last value and back, the
    // focus following it; beside writes of its other field.
    AppDelegate& app = application.app();
    TablesAndRowsController* c = bench::showRowsTable(app, db);
    RowsConsole* grid = bench::rowsConsole(app, c);
    bench::waitForPagesByKey(grid, std::chrono::steady_clock::now());
    CellWriter writer(*c);
    auto timeWrites = [&](FieldIndex field, const std::vector<std::string>& values) {
        std::vector<double> times;
        for (int round = 0; round < 5; ++round) {
            for (const std::string& value : values) {
                RowIndex focused = c->state().selection.focusedRowIndex;
                std::optional<CellTarget> target = writer.targetOfLoadedCell(focused, field);
                if (!target) std::exit(1);
                const std::string rowid = target->rowid;
                times.push_back(
                    bench::bestSeconds(1, [&] { writer.write(*target, DBValue(value), {}); }));
                // The deferred recount, as the event loop runs it.
                QApplication::processEvents();
                if (CellWriter(*c).loadedRowid(c->state().selection.focusedRowIndex) != rowid) {
                    std::fprintf(stderr, "the focus left the written row\n");
                    std::exit(1);
                }
            }
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const double other = timeWrites(FieldIndex(2), {"written a", "written b"});
    const double moving = timeWrites(FieldIndex(1), {"k9", "k0"});
    std::printf("write of a field the order is not on: %8.2f ms (median)\n", other * 1e3);
    std::printf("write moving the row across the order: %8.2f ms (median)\n", moving * 1e3);
    return 0;
}
