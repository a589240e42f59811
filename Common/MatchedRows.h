#pragma once
// The ROWIDs of the rows under a search, taken while its count visits them, so that the marks of
// the search's order are then sampled, and its pages read, in one walk of the order's index that
// tests each entry's ROWID against them instead of reading the row from the table for the search.
// Two SQL functions of every connection reach them through the scope open on the calling thread:
// varnelo_matched(ROWID) takes the row into the rows being taken and is true, and
// varnelo_member(ROWID) says whether the row is one of the rows being read (only every n-th of
// them where the scope asks for that, so that a walk gives only the rows it marks); without a
// scope neither takes nor finds a row. A third, varnelo_walk(ROWID), puts down the rows being read
// that one part of a walk of an order meets (see MatchedWalkScope).
#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/GridQuery.h"

namespace DBInterface {

class MatchedRows {
  public:
    // Room for the ROWIDs from first to last; a ROWID outside them spoils the set.
    MatchedRows(int64_t first, int64_t last);
    // Whether a set of ROWIDs that far apart is worth taking (a bit a ROWID between them).
    static bool worthTaking(int64_t first, int64_t last);

    void add(int64_t rowid);
    bool contains(int64_t rowid) const;
    int64_t first() const { return first_; }
    // The words of 64 ROWIDs of the room.
    int64_t words() const { return static_cast<int64_t>(bits_.size()); }
    // Adds the rows part took, whose room begins a whole number of words of 64 ROWIDs after this
    // one's and holds none another part holds.
    void merge(const MatchedRows& part);
    // The rows taken, each once; -1 once a ROWID fell outside the room.
    int64_t rows() const { return spoiled_ ? -1 : rows_; }

  private:
    int64_t first_;
    std::vector<uint64_t> bits_;
    int64_t rows_ = 0;
    bool spoiled_ = false;
};

// While it lives, varnelo_matched on this thread adds to taking, varnelo_member reads reading,
// finding every n-th of its rows in the order it is asked about them.
class MatchedRowsScope {
  public:
    MatchedRowsScope(MatchedRows* taking, const MatchedRows* reading, int64_t every = 1);
    ~MatchedRowsScope();
    MatchedRowsScope(const MatchedRowsScope&) = delete;
    MatchedRowsScope& operator=(const MatchedRowsScope&) = delete;

  private:
    MatchedRows* outerTaking_;
    const MatchedRows* outerReading_;
    int64_t outerEvery_;
    int64_t outerSeen_;
};

// While it lives, varnelo_walk on this thread passes over the rows a walk meets up to the one of
// ROWID start (from the first without it), then puts down the offset from ROWID first of each row
// met (of each of reading's where given), up to that of ROWID stop, the last, for which it is true
// (never without stop): one part of a walk whose parts end at rows of given ROWIDs.
class MatchedWalkScope {
  public:
    MatchedWalkScope(const MatchedRows* reading, int64_t first, std::optional<int64_t> start,
                     std::optional<int64_t> stop, std::vector<uint32_t>* met);
    ~MatchedWalkScope();
    MatchedWalkScope(const MatchedWalkScope&) = delete;
    MatchedWalkScope& operator=(const MatchedWalkScope&) = delete;

    // Whether the walk met the row of start, and that of stop; whether it met a row too far from
    // first for an offset.
    bool started() const { return started_; }
    bool stopped() const { return stopped_; }
    bool overflowed() const { return overflowed_; }
    // Whether the row is the last of the part; puts it down when it is in it (and one of reading).
    bool meet(int64_t rowid);

  private:
    const MatchedRows* reading_;
    const int64_t first_;
    const int64_t start_;
    const std::optional<int64_t> stop_;
    std::vector<uint32_t>* met_;
    bool started_;
    bool stopped_ = false;
    bool overflowed_ = false;
    MatchedWalkScope* outer_;
};

// Makes the three functions part of every connection opened from now on.
void installMatchedRowsFunctions();

// The query's search with each row under it taken by varnelo_matched.
GridQuery takingMatchedRows(const GridQuery& query);
// The query's rows as those varnelo_member finds, the search left out.
GridQuery readingMatchedRows(const GridQuery& query);

// The least and greatest ROWID of the query's table, read on db; false without rows.
bool rowidBounds(sqlite3* db, const GridQuery& query, int64_t* first, int64_t* last);

}  // namespace DBInterface
