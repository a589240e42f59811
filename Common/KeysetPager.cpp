#include "Common/KeysetPager.h"

#include <algorithm>
#include <cassert>
#include <thread>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/KeyRanges.h"

using namespace DBInterface;

KeysetPager::KeysetPager(BackgroundTask::Poster poster, int64_t markSpacing, int64_t rowsWorthMarks,
                         ParallelReads parallel)
    : poster_(std::move(poster)),
      spacing_(markSpacing),
      rowsWorthMarks_(rowsWorthMarks),
      parallel_(parallel) {
    installMatchedRowsFunctions();
}

namespace {

// Whether SQLite reads the statement's rows in their order, sorting none.
bool readInOrder(sqlite3* db, const std::string& sql) {
    const std::string plan = queryPlanOf(db, sql);
    return !plan.empty() && plan.find("TEMP B-TREE") == std::string::npos;
}

// The ROWIDs of the whole order walked in parts into walk, unless it holds them already; left
// empty where the walk could not be split.
int walkOrder(std::shared_ptr<const OrderWalk>* walk, const GridQuery& query, sqlite3* db,
              const std::string& path, const ParallelReads& parallel,
              const std::function<void(sqlite3* db)>& governed) {
    if (*walk) return SQLITE_OK;
    auto made = std::make_shared<OrderWalk>();
    bool walked = false;
    const int rc = walkOrderInParts(made.get(), &walked, query, db, path, parallel, governed);
    if (rc != SQLITE_OK || !walked) return rc;
    // Kept while the order is shown: no more room past its rows than the walk set aside for it,
    // unless the rows fell far short of that (ROWIDs far apart).
    for (std::vector<uint32_t>& part : made->parts) {
        if (part.capacity() / 9 * 8 > part.size()) part.shrink_to_fit();
    }
    *walk = std::move(made);
    return rc;
}

// The marks of the search's order sampled in a walk of the order's index that tests each entry's
// ROWID against the rows of the search, taken here unless matched holds them; in one read, so
// that the rows taken are those walked. Without such a walk the search is tested row by row.
// On a large table the walk over the rows matched holds is read in parts side by side, on
// connections the task governs, with no read held here: a writer waiting on it would keep the
// parts from beginning theirs. What a commit between them spoils, the file's version tells.
int sampleMarksOfMatchedRows(PageMarks* marks, const GridQuery& query, int64_t spacing,
                             const MatchedRows* matched, sqlite3* db, const std::string& path,
                             const ParallelReads& parallel, BackgroundTask& task,
                             std::shared_ptr<const OrderWalk>* walk) {
    const GridQuery read = readingMatchedRows(query);
    if (!readInOrder(db, read.select)) return samplePageMarks(marks, query, spacing, db, nullptr);
    const auto governed = [&task](sqlite3* partDb) { task.governConnection(partDb); };
    if (query.search.empty() || (matched && *walk)) {
        // The whole order is walked once for its own marks and kept for the searches after.
        int rc = walkOrder(walk, query, db, path, parallel, governed);
        bool found = false;
        if (rc == SQLITE_OK && *walk) {
            rc = marksOfOrderWalk(marks, &found, **walk, matched, query, spacing, path, governed);
        }
        if (rc != SQLITE_OK || found) return rc;
        if (query.search.empty()) return samplePageMarks(marks, query, spacing, db, nullptr);
    }
    if (matched) {
        bool walked = false;
        const int rc = sampleMatchedMarksInParts(marks, &walked, query, spacing, *matched, db, path,
                                                 parallel, governed);
        if (rc != SQLITE_OK || walked) return rc;
    }
    int rc = sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    std::optional<MatchedRows> taken;
    int64_t first = 0, last = 0;
    if (rc == SQLITE_OK && !matched && rowidBounds(db, query, &first, &last) &&
        MatchedRows::worthTaking(first, last)) {
        taken.emplace(first, last);
        MatchedRowsScope scope(&*taken, nullptr);
        int64_t counted = -1;
        rc = forEachRow(db, takingMatchedRows(query).count, [&](sqlite3_stmt* statement) {
            counted = sqlite3_column_int64(statement, 0);
            return false;
        });
        if (taken->rows() == counted) matched = &*taken;
    }
    if (rc == SQLITE_OK && matched) {
        // The walk gives only the rows marked, so that no other row of the table is read for
        // the keys an index of expressions does not give.
        MatchedRowsScope scope(nullptr, matched, spacing);
        rc = samplePageMarks(marks, read, 1, db, nullptr);
        marks->spacing = spacing;
        marks->rows = matched->rows();
        if (rc == SQLITE_OK && static_cast<int64_t>(marks->marks.size()) != marks->rows / spacing) {
            rc = SQLITE_ERROR;
        }
    } else if (rc == SQLITE_OK) {
        rc = samplePageMarks(marks, query, spacing, db, nullptr);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    return rc;
}

// The whole order walked in parts while the search is counted (unless walk holds it already),
// the marks of the rows it counted then taken from the walk; as after the count where the walk
// could not be split or no rows came.
int sampleMarksBesideCount(PageMarks* marks, const GridQuery& query, int64_t spacing,
                           const KeysetPager::CountedRows& counted, sqlite3* db,
                           const std::string& path, const ParallelReads& parallel,
                           BackgroundTask& task, std::shared_ptr<const OrderWalk>* walk) {
    const auto governed = [&task](sqlite3* partDb) { task.governConnection(partDb); };
    int rc = SQLITE_OK;
    if (readInOrder(db, readingMatchedRows(query).select)) {
        rc = walkOrder(walk, query, db, path, parallel, governed);
    }
    // Given in every case once the count is over.
    const std::shared_ptr<const MatchedRows> matched = counted.get();
    bool found = false;
    if (rc == SQLITE_OK && *walk && matched) {
        rc = marksOfOrderWalk(marks, &found, **walk, matched.get(), query, spacing, path, governed);
    }
    if (rc != SQLITE_OK || found) return rc;
    return sampleMarksOfMatchedRows(marks, query, spacing, matched.get(), db, path, parallel, task,
                                    walk);
}

}  // namespace

KeysetPager::~KeysetPager() = default;

void KeysetPager::follow(const GridQuery& query, const std::string& databaseFilePath) {
    // "select ROWID, *" reads another width once a field was added or dropped.
    if (query.select == query_.select && query.columnsPerRow == query_.columnsPerRow &&
        databaseFilePath == path_) {
        return;
    }
    ++generation_;  // a report of the last query's sampling may be on its way
    sampling_.reset();
    marks_.reset();
    samplingFailed_ = false;
    countedRows_ = -1;
    countVersion_ = -1;
    firstRow_.clear();
    lastRow_.clear();
    matched_.reset();
    if (databaseFilePath != path_) {
        watch_.reset();  // the versions of another watch say nothing of the walk
        walk_.reset();
    }
    query_ = query;
    wholeQuery_ = wholeValuesOf(query);
    path_ = databaseFilePath;
}

FileChangeWatch& KeysetPager::watch() {
    if (!watch_) watch_.emplace(path_);
    return *watch_;
}

int64_t KeysetPager::countRows(const GridQuery& query, const std::string& databaseFilePath,
                               std::string* errorString) {
    follow(query, databaseFilePath);
    if (!query.keyed) return getNumberWithQueryString(query.count, databaseFilePath, errorString);
    int64_t version = watch().version();
    bool searchInIndex = false;
    std::shared_ptr<MatchedRows> taking = roomForMatchedRows(query, &searchInIndex);
    int64_t count = -1;
    // Orders of several keys are counted whole from the first row too.
    const bool whole = taking && (!searchInIndex || query.orderKeys.size() > 2);
    const int64_t countedVersion = version;
    std::promise<std::shared_ptr<const MatchedRows>> counted;
    const bool inParts = taking && parallel_.partsFor(taking->words() * 64) > 1;
    const bool besideCount = inParts && !marks_ && !sampling_;
    if (besideCount) sampleMarks(version, counted.get_future().share());
    if (inParts) {
        // Over the table in parts side by side, faster than counting on from the first row in
        // the index; the first and last rows, where the index leads to them, are found beside.
        firstRow_.clear();
        lastRow_.clear();
        std::vector<std::thread> ends;
        if (!whole) {
            for (RowKey* end : {&firstRow_, &lastRow_}) {
                ends.emplace_back([&, end] {
                    searchEndRow(end, query, end == &lastRow_, databaseFilePath, nullptr);
                });
            }
        }
        count = countTakingRowsInParts(taking.get(), query, databaseFilePath, parallel_);
        for (std::thread& end : ends) end.join();
        if (count >= 0 && watch().version() != version) {
            // Parts read while the file changed may not add up: counted again in one read.
            version = watch().version();
            taking = std::make_shared<MatchedRows>(taking->first(),
                                                   taking->first() + taking->words() * 64 - 1);
            count = -1;
        }
    }
    MatchedRowsScope scope(taking.get(), nullptr);
    if (count < 0 && whole) {
        // Over the table, in one pass: found through the order's index, the first row could
        // cost a read of the table row of every entry before it, and the pages need it no more.
        firstRow_.clear();
        lastRow_.clear();
        count =
            getNumberWithQueryString(takingMatchedRows(query).count, databaseFilePath, errorString);
    } else if (count < 0) {
        // Where the index of the order's first key holds all the search reads, counting on in
        // it from the search's first row reads less than the table.
        count = countRowsFromFirstRow(&firstRow_, taking ? takingMatchedRows(query) : query,
                                      databaseFilePath, errorString, &lastRow_);
    }
    matched_.reset();
    if (taking && count >= 0 && taking->rows() == count) matched_ = std::move(taking);
    countedRows_ = count;
    countVersion_ = version;
    // The sampling begun beside the count waits for its rows.
    counted.set_value(version == countedVersion ? matched_ : nullptr);
    if (besideCount && count < rowsWorthMarks_) {
        ++generation_;
        sampling_.reset();
    }
    if (count >= rowsWorthMarks_ && !marks_ && !sampling_) sampleMarks(version);
    return count;
}

std::shared_ptr<MatchedRows> KeysetPager::roomForMatchedRows(const GridQuery& query,
                                                             bool* searchInIndex) {
    if (query.search.empty() || path_.empty()) return nullptr;
    DBConnection connection(path_, ConnectionKind::ReadOnly);
    int64_t first = 0, last = 0;
    if (!connection.isOpen() || !rowidBounds(connection.handle(), query, &first, &last) ||
        !MatchedRows::worthTaking(first, last) ||
        !readInOrder(connection.handle(), readingMatchedRows(query).select + " limit 1 offset 1")) {
        return nullptr;
    }
    *searchInIndex = queryPlanOf(connection.handle(),
                                 "select ROWID from " + query.table + " where " + query.search +
                                     " order by " + orderTerm(query.orderKeys.front()) + " limit 1")
                         .find("COVERING INDEX") != std::string::npos;
    return std::make_shared<MatchedRows>(first, last);
}

void KeysetPager::sampleMarks(int64_t version, CountedRows counted) {
    if (samplingFailed_) return;
    int64_t generation = ++generation_;
    std::weak_ptr<int> alive = alive_;
    std::shared_ptr<const MatchedRows> matched = countVersion_ == version ? matched_ : nullptr;
    sampling_ = std::make_unique<BackgroundTask>(
        path_, ConnectionKind::ReadOnly, poster_,
        [this, alive, generation, version, query = query_, spacing = spacing_, matched, counted,
         path = path_, parallel = parallel_,
         kept = keptWalk(version)](DBConnection& connection, BackgroundTask& task) {
            auto marks = std::make_shared<PageMarks>();
            std::shared_ptr<const OrderWalk> walk = kept;
            const int rc =
                !connection.isOpen() ? connection.openResult()
                : counted.valid()
                    ? sampleMarksBesideCount(marks.get(), query, spacing, counted,
                                             connection.handle(), path, parallel, task, &walk)
                    : sampleMarksOfMatchedRows(marks.get(), query, spacing, matched.get(),
                                               connection.handle(), path, parallel, task, &walk);
            if (rc != SQLITE_OK) marks.reset();
            // Only the report touches the pager, on the main thread, while the pager lives.
            task.report([this, alive, generation, version, marks, walk, order = orderOf(query),
                         yielded = task.yielded()] {
                if (!alive.lock()) return;
                keepWalk(walk, order, version);
                marksSampled(generation, version, marks, yielded);
            });
        },
        BackgroundTask::Yield::ToWaitingWriters);
}

std::string KeysetPager::orderOf(const GridQuery& query) {
    return query.table + orderByClause(query.orderKeys);
}

std::shared_ptr<const OrderWalk> KeysetPager::keptWalk(int64_t version) {
    if (walk_ && (walkVersion_ != version || walkedOrder_ != orderOf(query_))) walk_.reset();
    return walk_;
}

void KeysetPager::keepWalk(std::shared_ptr<const OrderWalk> walk, const std::string& order,
                           int64_t version) {
    // Walked while the file changed, the ROWIDs may be in another order now.
    if (!walk || order != orderOf(query_) || watch().version() != version) return;
    walk_ = std::move(walk);
    walkedOrder_ = order;
    walkVersion_ = version;
}

void KeysetPager::marksSampled(int64_t generation, int64_t version,
                               std::shared_ptr<const PageMarks> marks, bool yielded) {
    if (generation != generation_) return;
    sampling_.reset();
    if (!marks && yielded) {
        sampleMarks(watch().version());  // the write it gave way to is done
        return;
    }
    int64_t now = watch().version();
    if (now != version) {
        // Sampled while the file changed: rows the count took may be gone, failing it too.
        sampleMarks(now);
        return;
    }
    if (!marks) {
        samplingFailed_ = true;
        return;
    }
    marks_ = std::move(marks);
    marksVersion_ = version;
}

int KeysetPager::readKnownPage(std::vector<DBValue>* page, const GridQuery& query,
                               int64_t firstRowIndex, int64_t limit, int64_t version,
                               std::string* errorString) {
    const int64_t rowsAfter = std::max<int64_t>(countedRows_ - firstRowIndex - limit, 0);
    const bool countHolds = countVersion_ == version && countedRows_ >= 0;
    if (countHolds) {
        // A read that asks for no row past the last one counted stops there instead of looking
        // on to the end of the order.
        if (firstRowIndex >= countedRows_) return SQLITE_OK;
        limit = std::min(limit, countedRows_ - firstRowIndex);
    }
    const RowKey* first = countHolds && !firstRow_.empty() ? &firstRow_ : nullptr;
    // Near the end the order is read backwards by key from there, passing over fewer rows than
    // from the last mark; from the last row under a search whose first row was found.
    const bool nearEnd = countHolds && firstRowIndex >= spacing_ && rowsAfter < spacing_;
    const bool laterHalf = countHolds && rowsAfter + spacing_ < firstRowIndex;
    const RowKey* last =
        first && !lastRow_.empty() && (nearEnd || (laterHalf && !marks_)) ? &lastRow_ : nullptr;
    // Before the marks, the rows the count took are found in a walk of the order's index, unless
    // the page is read from the first or last row under the search in passing.
    if (countHolds && !marks_ && matched_ && !(first && firstRowIndex < spacing_) &&
        !(last && nearEnd)) {
        return readMatchedPage(page, query, firstRowIndex, limit, errorString);
    }
    if (nearEnd || (last && laterHalf)) {
        return readGridPageFromEnd(page, query, firstRowIndex, limit, countedRows_, path_,
                                   errorString, true, last);
    }
    if (marks_ && !marks_->marks.empty() && firstRowIndex >= spacing_) {
        size_t mark =
            std::min(static_cast<size_t>(firstRowIndex / spacing_) - 1, marks_->marks.size() - 1);
        int64_t markRowIndex = static_cast<int64_t>(mark + 1) * spacing_ - 1;
        // The page is read on from the last mark before its first row.
        assert(markRowIndex < firstRowIndex && marks_->spacing == spacing_);
        return readGridPageAfterKey(page, query, &marks_->marks[mark],
                                    firstRowIndex - markRowIndex - 1, limit, path_, errorString);
    }
    // Before the first mark the order is read from its start the same way, or from its first row
    // under the search, past the rows before it.
    if (firstRowIndex < spacing_) {
        return readGridPageAfterKey(page, query, first, firstRowIndex, limit, path_, errorString,
                                    first != nullptr);
    }
    if (countHolds && rowsAfter + spacing_ < firstRowIndex) {
        return readGridPageFromEnd(page, query, firstRowIndex, limit, countedRows_, path_,
                                   errorString);
    }
    if (first) {
        return readGridPageAfterKey(page, query, first, firstRowIndex, limit, path_, errorString,
                                    true);
    }
    return readGridPage(page, query, limit, firstRowIndex, path_, errorString);
}

int KeysetPager::readMatchedPage(std::vector<DBValue>* page, const GridQuery& query,
                                 int64_t firstRowIndex, int64_t limit, std::string* errorString) {
    MatchedRowsScope scope(nullptr, matched_.get());
    const GridQuery read = readingMatchedRows(query);
    // From the nearer end: the walk passes over the entries before the page.
    if (countedRows_ - firstRowIndex - limit < firstRowIndex) {
        return readGridPageFromEnd(page, read, firstRowIndex, limit, countedRows_, path_,
                                   errorString);
    }
    return readGridPage(page, read, limit, firstRowIndex, path_, errorString);
}

int KeysetPager::rowIndexOfRowid(int64_t* rowIndex, const GridQuery& query, int64_t rowid,
                                 const std::string& databaseFilePath, std::string* errorString) {
    follow(query, databaseFilePath);
    const int64_t version = watch().version();
    if (query.keyed && matched_ && countVersion_ == version) {
        int rc;
        {
            MatchedRowsScope scope(nullptr, matched_.get());
            rc = DBInterface::rowIndexOfRowid(rowIndex, readingMatchedRows(query), rowid, path_,
                                              errorString);
        }
        // Counted against the rows of an older file, the place may be another now.
        if (rc != SQLITE_OK || watch().version() == version) return rc;
    }
    return DBInterface::rowIndexOfRowid(rowIndex, query, rowid, path_, errorString);
}

int64_t KeysetPager::fileVersion(const std::string& databaseFilePath) {
    if (databaseFilePath != path_) follow(GridQuery(), databaseFilePath);
    return watch().version();
}

int KeysetPager::readPage(std::vector<DBValue>* rows, const GridQuery& query, int64_t firstRowIndex,
                          int64_t limit, const std::string& databaseFilePath,
                          std::string* errorString, LongValues longValues, int64_t* versionRead) {
    follow(query, databaseFilePath);
    const GridQuery& read = longValues == LongValues::Whole ? wholeQuery_ : query_;
    // Without a limit every row is read.
    if (!query.keyed || limit < 1) {
        if (versionRead) *versionRead = watch().version();
        return readGridPage(rows, read, limit, firstRowIndex, path_, errorString);
    }
    int64_t version = watch().version();
    if (marks_ && marksVersion_ != version) marks_.reset();
    keptWalk(version);
    if (!marks_ && !sampling_ && countedRows_ >= rowsWorthMarks_) sampleMarks(version);
    std::vector<DBValue> page;
    int rc = readKnownPage(&page, read, firstRowIndex, limit, version, errorString);
    if (rc == 0 && watch().version() != version) {
        // The file changed while the page was read: what was known of it may not hold.
        marks_.reset();
        countVersion_ = -1;
        page.clear();
        version = watch().version();
        rc = readGridPage(&page, read, limit, firstRowIndex, path_, errorString);
    }
    if (rc != 0) return rc;
    if (versionRead) *versionRead = version;
    rows->insert(rows->end(), std::make_move_iterator(page.begin()),
                 std::make_move_iterator(page.end()));
    return 0;
}
