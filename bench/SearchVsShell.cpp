// Searches on a generated table of 10,000,000 rows (or as many as the first argument says),
// through the window's search panel, in orders of one to three keys with the searched field in
// the order (as its first or a later key) and outside it: for each, the count as the window takes
// it (with the rows' ROWIDs taken for the marks) beside the count as it was taken before and the
// sqlite3 shell's count of the same rows (its start-up time, timed on "select 1", taken off); the
// time from the search button to the marks of the rows found, three ways: the first search right
// after the sort (the order's walk not yet kept: the table's own marks are not in by then; with
// the time the button took, whose count shares the machine with that walk), the
// first search once the table's own marks are in (after a write, so that nothing of the first is
// kept), and a search after another on the same order (its walk kept); and pages at random places
// read right after the search, before the marks, as a drag of the scroller reads them, each beside
// the shell's count and checked against LIMIT/OFFSET. Our runs and the shell's take turns, so that
// both meet the same load of a shared machine. The database is made once in /tmp (or where
// VARNELO_BENCH_DB says) and reused.
#include <QApplication>
#include <QLineEdit>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "Common/KeysetPages.h"
#include "bench/GeneratedRowsTable.h"
#include "design/SearchPanel.h"
#include "mainwindow/rows/RowsDataPort.h"

namespace {

// t (name, amount, note, tag): names and amounts scattered over the rows, 97 notes, 1,000 tags.
void makeSearchTable(const std::string& db, int64_t rows) {
    std::string error;
    const std::string n = std::to_string(rows);
    if (DBInterface::execMultipleQueryString("pragma user_version = 0", nullptr, nullptr, db,
                                             &error, DBInterface::MissingFile::Create) != 0 ||
        DBInterface::createTable("t", 0, {"name", "amount", "note", "tag"},
                                 {DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber,
                                  DBInterface::kFieldTypeText, DBInterface::kFieldTypeText},
                                 nullptr, nullptr, db, &error) != 0 ||
        DBInterface::execMultipleQueryString(
            "begin transaction; insert into t select 'Name ' || ((value * 7919) % " + n +
                "), ((value * 104729) % " + n + ") * 0.5, 'note ' || (value % 97), 'tag ' || " +
                "(value * 31 % 1000) from generate_series(1, " + n + "); commit transaction",
            nullptr, nullptr, db, &error) != 0) {
        std::fprintf(stderr, "setup failed: %s\n", error.c_str());
        std::exit(1);
    }
}

double seconds(const std::function<void()>& job) {
    return bench::bestSeconds(1, job);
}

// The shell's time for the statements, net of its start-up.
double shellSeconds(const std::string& db, const std::string& sql) {
    const double start = seconds([&] { bench::runOrDie(bench::shellCommand(db, "select 1")); });
    return seconds([&] { bench::runOrDie(bench::shellCommand(db, sql)); }) - start;
}

struct Search {
    const char* name;
    std::vector<int64_t> sortCodes;  // field p ascending 2p + 1, descending 2p + 2
    const char* text;                // searched in name
};

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    bench::OffscreenApplication application(argc, argv);
    const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 10000000;
    const char* kept = getenv("VARNELO_BENCH_DB");
    const std::string db =
        kept ? kept : "/tmp/varnelo-search-bench-" + std::to_string(rows) + ".db";
    if (access(db.c_str(), F_OK) != 0) makeSearchTable(db, rows);
    TablesAndRowsController* c = bench::showRowsTable(application.app(), db);
    RowsConsole* grid = bench::rowsConsole(application.app(), c);
    SearchPanel* search = &bench::partsOf(application.app(), c).search;
    const int64_t pageRows = grid->numberOfDataPortRows();
    std::string error;
    std::printf("%lld rows in %s (load %s)\n", static_cast<long long>(rows), db.c_str(),
                bench::loadAverage().c_str());
    const Search searches[] = {
        {"name, searched", {1}, "5"},
        {"amount desc, name searched outside", {4}, "5"},
        {"name, amount: key 1 searched", {1, 3}, "77"},
        {"note, name desc: key 2 searched", {5, 2}, "5"},
        {"note, amount: name searched outside", {5, 3}, "77"},
        {"note, tag, name: key 3 searched", {5, 7, 1}, "5"},
        {"tag desc, note, amount: name searched outside", {8, 5, 3}, "77"},
    };
    uint64_t seed = 4242;
    double worstMarks = 0, worstAfterSort = 0, worstAfterOwnMarks = 0, worstDrag = 0,
           worstCount = 0;
    for (const Search& s : searches) {
        if (argc > 2 && std::string(s.name).find(argv[2]) == std::string::npos) continue;
        // Three codes, so that no key of the last order is left stored.
        std::vector<int> codes(s.sortCodes.begin(), s.sortCodes.end());
        codes.resize(3, 0);
        if (DBInterface::updateSortCodes(codes, "t", db, &error) != 0 ||
            DBInterface::updateTableIndexes("t", s.sortCodes, db, &error) != 0 ||
            DBInterface::updateSearchFields(DBInterface::IndexSet{0}, false, nullptr, "t", db,
                                            &error) != 0) {
            std::fprintf(stderr, "settings failed: %s\n", error.c_str());
            return 1;
        }
        c->reloadSelectedDatabaseObject();
        search->showSearchPanel();
        // Another search first, so that the marks of the last run of this one are gone.
        auto searchAfresh = [&] {
            search->searchPanelSearchField()->setText("no such name");
            search->searchPanelSearchButtonPressed();
            search->searchPanelSearchField()->setText(s.text);
            search->searchPanelSearchButtonPressed();
        };
        // The time to the marks; counted, the time the button took (its count and first page).
        auto marksOfSearch = [&](double* counted = nullptr) {
            search->searchPanelSearchField()->setText(s.text);
            const auto start = std::chrono::steady_clock::now();
            search->searchPanelSearchButtonPressed();
            if (counted) {
                *counted =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            }
            return bench::waitForPagesByKey(grid, start);
        };
        double countAfterSort = 0;
        const double afterSort = marksOfSearch(&countAfterSort);
        const int64_t found = c->state().dataPort.totalRows;
        // A write drops what the first search kept; then every row is shown and its marks waited
        // for, as a user who sorts and then types a search would take seconds.
        if (DBInterface::execMultipleQueryString("pragma user_version = 1; pragma user_version = 0",
                                                 nullptr, nullptr, db, &error) != 0) {
            std::fprintf(stderr, "write failed: %s\n", error.c_str());
            return 1;
        }
        search->searchPanelSearchField()->setText("");
        search->searchPanelSearchButtonPressed();
        bench::waitForPagesByKey(grid, std::chrono::steady_clock::now());
        const double afterOwnMarks = marksOfSearch();
        const auto& settings = c->state().sortAndSearch;
        DBInterface::GridQuery query;
        DBInterface::buildGridQuery(&query, "t", settings.likeString.value_or(""),
                                    settings.searchFieldIndexes.indexes(), settings.sortCodes,
                                    settings.sortByROWIDCode, 0, 0, db, nullptr,
                                    DBInterface::LongValues::HeldPrefix);
        double shellCount = 1e30, before = 1e30, ours = 1e30, marks = 1e30;
        for (int run = 0; run < 2; ++run) {
            shellCount = std::min(shellCount, shellSeconds(db, query.count));
            // As the pager counted before it took the rows: from the first row, finding the last.
            DBInterface::RowKey first, last;
            before =
                std::min(before, seconds([&] {
                             DBInterface::countRowsFromFirstRow(&first, query, db, &error, &last);
                         }));
            search->searchPanelSearchField()->setText("no such name");
            search->searchPanelSearchButtonPressed();
            marks = std::min(marks, marksOfSearch());
            ours = std::min(ours, seconds([&] { grid->dataPort().countRows(&error); }));
        }
        std::printf("%s, search \"%s\": %lld rows found\n", s.name, s.text,
                    static_cast<long long>(found));
        std::printf(
            "    count %.0f ms, as before %.0f ms (ratio %.2f), shell %.0f ms; marks after the "
            "search button, ms (ratio to the count): right after the sort %.0f (%.2f; the button "
            "took %.0f, its count beside the walk of the order), after the table's own marks %.0f "
            "(%.2f), walk kept %.0f (%.2f)\n",
            ours * 1e3, before * 1e3, ours / before, shellCount * 1e3, afterSort * 1e3,
            afterSort / ours, countAfterSort * 1e3, afterOwnMarks * 1e3, afterOwnMarks / ours,
            marks * 1e3, marks / ours);
        worstCount = std::max(worstCount, ours / before);
        worstAfterSort = std::max(worstAfterSort, afterSort / ours);
        worstAfterOwnMarks = std::max(worstAfterOwnMarks, afterOwnMarks / ours);
        worstMarks = std::max(worstMarks, marks / ours);
        if (found <= pageRows) continue;
        std::printf("    drags right after the search (ms, ratio to the shell's count):");
        bool same = true, allBefore = true;
        for (int drag = 0; drag < 4; ++drag) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            const int64_t at =
                static_cast<int64_t>((seed >> 20) % static_cast<uint64_t>(found - pageRows + 1));
            searchAfresh();
            allBefore = allBefore && !grid->dataPort().pagesFoundByKey();
            std::vector<DBValue> page, expected;
            const double read = seconds([&] {
                grid->dataPort().loadPageValues(&page, RowIndex(at), pageRows, false, &error);
            });
            DBInterface::readGridPage(&expected, query, pageRows, at, db, &error);
            same = same && page == expected && !page.empty();
            std::printf("  %lld: %.0f (%.2f)", static_cast<long long>(at), read * 1e3,
                        read / shellCount);
            worstDrag = std::max(worstDrag, read / shellCount);
        }
        std::printf("\n    %s%s\n", same ? "pages equal LIMIT/OFFSET" : "PAGES DIFFER",
                    allBefore ? "" : " (some marks came before the drag)");
    }
    std::printf(
        "worst: count/count before %.2f, marks/count right after the sort %.2f, after the "
        "table's own marks %.2f, walk kept %.2f, drag/shell count %.2f (load %s at the end)\n",
        worstCount, worstAfterSort, worstAfterOwnMarks, worstMarks, worstDrag,
        bench::loadAverage().c_str());
    return 0;
}
