#include "Common/MatchedRows.h"

#include <algorithm>
#include <cassert>
#include <mutex>

#include "Common/DBConnection.h"
#include "Common/SQLiteLibrary.h"

namespace DBInterface {

namespace {

// A bit a ROWID: 16 MB at most, the ROWIDs of a table of 134M rows kept close together.
constexpr int64_t kMostBits = int64_t{1} << 27;

thread_local MatchedRows* taking = nullptr;
thread_local const MatchedRows* reading = nullptr;
thread_local int64_t every = 1;
thread_local int64_t seen = 0;  // of the rows read
thread_local MatchedWalkScope* walking = nullptr;

void matched(sqlite3_context* context, int, sqlite3_value** argv) {
    if (taking) taking->add(sqlite3_value_int64(argv[0]));
    sqlite3_result_int(context, 1);
}

void member(sqlite3_context* context, int, sqlite3_value** argv) {
    const bool found = reading && reading->contains(sqlite3_value_int64(argv[0]));
    sqlite3_result_int(context, found && ++seen % every == 0);
}

void walk(sqlite3_context* context, int, sqlite3_value** argv) {
    sqlite3_result_int(context, walking && walking->meet(sqlite3_value_int64(argv[0])));
}

int installOn(sqlite3* db, char**, const sqlite3_api_routines*) {
    // Not deterministic: each call looks at the scope of its moment.
    sqlite3_create_function(db, "varnelo_matched", 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                            matched, nullptr, nullptr);
    sqlite3_create_function(db, "varnelo_member", 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                            member, nullptr, nullptr);
    sqlite3_create_function(db, "varnelo_walk", 1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr, walk,
                            nullptr, nullptr);
    return SQLITE_OK;
}

}  // namespace

MatchedRows::MatchedRows(int64_t first, int64_t last)
    : first_(first), bits_(static_cast<size_t>((last - first) / 64 + 1), 0) {}

bool MatchedRows::worthTaking(int64_t first, int64_t last) {
    return last >= first && last - first < kMostBits;
}

void MatchedRows::add(int64_t rowid) {
    const uint64_t at = static_cast<uint64_t>(rowid) - static_cast<uint64_t>(first_);
    if (rowid < first_ || at / 64 >= bits_.size()) {
        spoiled_ = true;
        return;
    }
    uint64_t& word = bits_[at / 64];
    const uint64_t bit = uint64_t{1} << (at % 64);
    rows_ += (word & bit) == 0;
    word |= bit;
}

bool MatchedRows::contains(int64_t rowid) const {
    const uint64_t at = static_cast<uint64_t>(rowid) - static_cast<uint64_t>(first_);
    return rowid >= first_ && at / 64 < bits_.size() && (bits_[at / 64] >> (at % 64) & 1) != 0;
}

void MatchedRows::merge(const MatchedRows& part) {
    const int64_t words = (part.first_ - first_) / 64;
    assert(part.first_ >= first_ && (part.first_ - first_) % 64 == 0 &&
           words + static_cast<int64_t>(part.bits_.size()) <= static_cast<int64_t>(bits_.size()));
    std::copy(part.bits_.begin(), part.bits_.end(), bits_.begin() + words);
    rows_ += part.rows_;
    spoiled_ = spoiled_ || part.spoiled_;
}

MatchedWalkScope::MatchedWalkScope(const MatchedRows* reading, int64_t first,
                                   std::optional<int64_t> start, std::optional<int64_t> stop,
                                   std::vector<uint32_t>* met)
    : reading_(reading),
      first_(first),
      start_(start.value_or(0)),
      stop_(stop),
      met_(met),
      started_(!start),
      outer_(walking) {
    walking = this;
}

MatchedWalkScope::~MatchedWalkScope() {
    walking = outer_;
}

bool MatchedWalkScope::meet(int64_t rowid) {
    if (!started_) {
        started_ = rowid == start_;
        return false;
    }
    if (!reading_ || reading_->contains(rowid)) {
        const uint64_t offset = static_cast<uint64_t>(rowid) - static_cast<uint64_t>(first_);
        overflowed_ = overflowed_ || rowid < first_ || offset > UINT32_MAX;
        met_->push_back(static_cast<uint32_t>(offset));
    }
    stopped_ = stop_ == rowid;
    return stopped_;
}

MatchedRowsScope::MatchedRowsScope(MatchedRows* takingRows, const MatchedRows* readingRows,
                                   int64_t everyRow)
    : outerTaking_(taking), outerReading_(reading), outerEvery_(every), outerSeen_(seen) {
    taking = takingRows;
    reading = readingRows;
    every = everyRow;
    seen = 0;
}

MatchedRowsScope::~MatchedRowsScope() {
    taking = outerTaking_;
    reading = outerReading_;
    every = outerEvery_;
    seen = outerSeen_;
}

void installMatchedRowsFunctions() {
    static std::once_flag installed;
    configureSQLiteLibrary();
    std::call_once(installed,
                   [] { sqlite3_auto_extension(reinterpret_cast<void (*)()>(installOn)); });
}

GridQuery takingMatchedRows(const GridQuery& query) {
    GridQuery taking = query;
    // One term: SQLite tests the terms an index holds first, and would take the row before the
    // search held.
    taking.search = "case when " + query.search + " then varnelo_matched(ROWID) end";
    taking.count = "select count(*) from " + query.table + " where " + taking.search;
    return taking;
}

GridQuery readingMatchedRows(const GridQuery& query) {
    GridQuery read = query;
    read.search = "varnelo_member(ROWID)";
    const std::string from =
        " from " + query.table + " where " + read.search + orderByClause(query.orderKeys);
    read.select = "select " + query.columns + from;
    read.count = "select count(*) from " + query.table + " where " + read.search;
    if (read.heldPrefixes) {
        read.heldPrefixes->wholeSelect = "select " + read.heldPrefixes->wholeColumns + from;
    }
    return read;
}

bool rowidBounds(sqlite3* db, const GridQuery& query, int64_t* first, int64_t* last) {
    bool found = false;
    // Each on its own: SQLite seeks one min() or max() at an end of the table, but scans the
    // table for both at once.
    forEachRow(db,
               "select (select min(ROWID) from " + query.table + "), (select max(ROWID) from " +
                   query.table + ")",
               [&](sqlite3_stmt* statement) {
                   found = sqlite3_column_type(statement, 0) != SQLITE_NULL;
                   *first = sqlite3_column_int64(statement, 0);
                   *last = sqlite3_column_int64(statement, 1);
                   return false;
               });
    return found;
}

}  // namespace DBInterface
