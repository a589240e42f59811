// Copy, Cut and Delete Rows of a selection on a generated table of 10,000,000 rows, with no change
// of the file between the selection and the command: 1,000 selected rows, and a selection of
// 100,000 rows (which the commands act on the first 1,000 of), each from the middle of the table.
// The selection's resolution (GridSelectionResolver.h) is timed beside the position path it
// replaced, kept here as it was: rows read again at their places by runs, rowids taken from the
// page when the file is as the page was read. Each command's write is the same for both and is
// timed with them; runs of the two alternate, and the median of 5 is reported.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "bench/GeneratedRowsTable.h"
#include "bench/ShellComparison.h"
#include "mainwindow/rows/CellWriter.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/GridSelectionResolver.h"
#include "mainwindow/rows/RowsDataPort.h"

namespace {

constexpr int64_t kRows = 10000000;
constexpr int kRuns = 5;
constexpr int64_t kLimit = 1000;

using Resolver = GridSelectionResolver;

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double seconds(const std::function<void()>& job) {
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void orDie(int rc, const char* what, const std::string& error) {
    if (rc != 0) {
        std::fprintf(stderr, "%s failed: %s\n", what, error.c_str());
        std::exit(1);
    }
}

class Bench {
  public:
    Bench(AppDelegate& app, TablesAndRowsController* c, std::string db)
        : c_(c), rows_(bench::rowsConsole(app, c)), db_(std::move(db)) {}

    // The page at first, then rows first...first + count - 1 selected as a Shift-click does,
    // the page read afresh so that the file stands as the selection was made.
    void select(int64_t first, int64_t count) {
        rows_->reloadRowsKeepingPort();
        rows_->moveDataPortToRow(RowIndex(first));
        rows_->selection().deselectAll();
        rows_->selection().selectMyRowIndex(RowIndex(first), false);
        rows_->selection().includeRowIndexes(RowIndex(first), RowIndex(first + count - 1));
    }

    // The position path as it was: each run of selected places read again, whole.
    std::vector<DBRow> readAtPlacesAsBefore() {
        const auto& selected = c_->state().selection.mySelectedRowIndexes;
        const auto fieldsPerRow = static_cast<size_t>(c_->state().dataPort.numberOfFieldsPerRow);
        std::vector<RowIndex> places;
        for (RowIndex row : selected) {
            if (std::ssize(places) == kLimit) break;
            places.push_back(row);
        }
        std::vector<DBRow> rows;
        for (size_t i = 0; i < places.size();) {
            size_t end = i + 1;
            while (end < places.size() && places[end] == places[end - 1] + 1) ++end;
            std::vector<DBValue> values;
            std::string error;
            orDie(rows_->dataPort().loadFieldValues(&values, places[i], int64_t(end - i), false,
                                                    &error),
                  "read", error);
            for (size_t at = 0; at + fieldsPerRow <= values.size(); at += fieldsPerRow) {
                rows.emplace_back(values.begin() + long(at),
                                  values.begin() + long(at + fieldsPerRow));
            }
            i = end;
        }
        return rows;
    }

    // The rowids as they were found: from the page while the file stands as it was read, else
    // by runs of places.
    std::vector<std::string> rowidsAsBefore() {
        const auto& selected = c_->state().selection.mySelectedRowIndexes;
        std::vector<RowIndex> places;
        for (RowIndex row : selected) {
            if (std::ssize(places) == kLimit) break;
            places.push_back(row);
        }
        CellWriter writer(*c_);
        std::vector<std::string> rowids;
        bool allShown = true;
        for (RowIndex row : places) {
            auto rowid = writer.loadedRowid(row);
            allShown = allShown && rowid;
            if (rowid) rowids.push_back(*rowid);
        }
        if (allShown && c_->fileVersion(db_) == c_->state().dataPort.page.fileVersion()) {
            return rowids;
        }
        rowids.clear();
        std::string error;
        for (size_t i = 0; i < places.size();) {
            size_t end = i + 1;
            while (end < places.size() && places[end] == places[end - 1] + 1) ++end;
            orDie(DBInterface::getRows(&rowids, "t", "", {}, {}, 1, int64_t(end - i),
                                       places[i].value, true, db_, &error),
                  "rowids", error);
            i = end;
        }
        return rowids;
    }

    // Dies unless the selection resolves to the rows the old path takes: it must not refuse.
    Resolver::Resolved resolve(Resolver::Purpose purpose) {
        std::optional<Resolver::Resolved> resolved = Resolver(*rows_, *c_).resolve(purpose, kLimit);
        if (!resolved || std::ssize(resolved->rows) != kLimit) {
            std::fprintf(stderr, "the selection did not resolve to %lld rows\n",
                         static_cast<long long>(kLimit));
            std::exit(1);
        }
        return std::move(*resolved);
    }

    void clear(const std::vector<std::string>& rowids, DBInterface::ShownRows shown) {
        std::vector<DBInterface::RowFields> target;
        for (const std::string& rowid : rowids) target.push_back({rowid, {"name", "amount"}});
        std::string error;
        size_t written = 0;
        orDie(DBInterface::updateRowsFields(target, DBInterface::FieldValue(std::string()), "t",
                                            &written, db_, &error, &shown),
              "cut", error);
    }

    void remove(const std::vector<std::string>& rowids, const DBInterface::ShownRows& shown) {
        std::string error;
        orDie(DBInterface::deleteRowsArray(rowids, "t", db_, &error, &shown), "delete", error);
    }

    static std::vector<std::string> rowidsOf(const Resolver::Resolved& resolved) {
        std::vector<std::string> rowids;
        for (const auto& row : resolved.rows) rowids.push_back(row.rowid);
        return rowids;
    }
    static std::vector<std::string> rowidsOf(const std::vector<DBRow>& rows) {
        std::vector<std::string> rowids;
        for (const DBRow& row : rows) rowids.push_back(row.front().value_or(""));
        return rowids;
    }

    // Median times of the old and the new path of one command, alternating.
    void measure(const char* job, int64_t first, int64_t count, const std::function<void()>& before,
                 const std::function<void()>& after) {
        std::vector<double> old, now;
        // Which goes first alternates, so that neither always meets a cache the other warmed.
        for (int run = 0; run < kRuns; ++run) {
            for (int turn = 0; turn < 2; ++turn) {
                select(first, count);
                if ((run + turn) % 2 == 0) {
                    old.push_back(seconds(before));
                } else {
                    now.push_back(seconds(after));
                }
            }
        }
        const double a = median(old) * 1e3, b = median(now) * 1e3;
        std::printf("  %-40s position path %8.2f ms   resolved %8.2f ms   %+6.1f%% (%+.2f ms)\n",
                    job, a, b, (b - a) / a * 100, b - a);
    }

    CellWriter writer() { return CellWriter(*c_); }

  private:
    TablesAndRowsController* c_;
    RowsConsole* rows_;
    std::string db_;
};

}  // namespace

int main(int argc, char** argv) {
    bench::ScratchFolder scratch;
    const std::string db = scratch.file("selection.db");
    bench::OffscreenApplication application(argc, argv);
    std::printf("making %lld rows\n", static_cast<long long>(kRows));
    bench::makeRowsTable(db, kRows);
    auto shown = std::chrono::steady_clock::now();
    TablesAndRowsController* c = bench::showRowsTable(application.app(), db);
    bench::waitForPagesByKey(bench::rowsConsole(application.app(), c), shown);
    Bench b(application.app(), c, db);
    std::printf("load average %s\n", bench::loadAverage().c_str());
    for (int64_t count : {int64_t(1000), int64_t(100000)}) {
        std::printf("%lld selected rows from row 5,000,000\n", static_cast<long long>(count));
        const int64_t first = 5000000;
        b.measure(
            "Copy (rows read)", first, count, [&] { b.readAtPlacesAsBefore(); },
            [&] { b.resolve(Resolver::Purpose::Copy); });
        b.measure(
            "Cut (rows read, then cleared)", first, count,
            [&] {
                std::vector<DBRow> rows = b.readAtPlacesAsBefore();
                const std::vector<std::string> rowids = Bench::rowidsOf(rows);
                b.clear(rowids, b.writer().shownRows(rowids));
            },
            [&] {
                Resolver::Resolved resolved = b.resolve(Resolver::Purpose::Copy);
                b.clear(Bench::rowidsOf(resolved), resolved.shown);
            });
        b.measure(
            "Delete Rows (rowids found, then deleted)", first, count,
            [&] {
                const std::vector<std::string> rowids = b.rowidsAsBefore();
                b.remove(rowids, b.writer().shownRows(rowids));
            },
            [&] {
                Resolver::Resolved resolved = b.resolve(Resolver::Purpose::Write);
                b.remove(Bench::rowidsOf(resolved), resolved.shown);
            });
    }
    return 0;
}
