#pragma once
// The two long reads of a search over a large table, split over connections read side by side
// (ParallelReads.h): its count, which takes the ROWIDs of its rows (MatchedRows.h), over parts of
// the table's ROWIDs, each taken into words of its own; and the walk of the order's index that
// finds the marks of its rows, in parts that end at rows picked from the table in the order. Each
// part of the walk puts down the rows it meets, so that once every part's rows are known the
// marks are those one walk finds. Where the table is small or a part cannot be split cleanly,
// nothing is read and the caller reads in one go as before. The parts hold no read in common:
// their callers tell a commit between them by the file's version.
#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Common/GridQuery.h"
#include "Common/KeysetPages.h"
#include "Common/MatchedRows.h"
#include "Common/ParallelReads.h"

namespace DBInterface {

// The rows of the query's search, each taken into taking (whose room is the table's ROWIDs),
// counted over parts of the table in parallel; -1 when the table is read in one part or a part
// failed, taking then left as it was.
int64_t countTakingRowsInParts(MatchedRows* taking, const GridQuery& query,
                               const std::string& databaseFilePath, const ParallelReads& parallel);

// Samples into marks the marks of the query's order over the rows of matched (those of its
// search), every spacing-th, in parts of the walk of the order's index read in parallel on
// connections given to prepare (db finds where the parts end). walked says whether it did;
// without it, nothing failed but the walk could not be split, or the parts met rows other than
// those of matched (another connection wrote meanwhile; a write between the parts that they do
// not notice is the caller's to find by the file's version). A failed or stopped read is
// returned.
int sampleMatchedMarksInParts(PageMarks* marks, bool* walked, const GridQuery& query,
                              int64_t spacing, const MatchedRows& matched, sqlite3* db,
                              const std::string& databaseFilePath, const ParallelReads& parallel,
                              const std::function<void(sqlite3* db)>& prepare);

// The rows of a keyed query's order, the search left out, in the parts of a walk: each part's
// ROWIDs in the order as offsets from first.
struct OrderWalk {
    int64_t first = 0;
    std::vector<std::vector<uint32_t>> parts;
};

// Walks the order of the query, its search left out, in parts read side by side on connections
// given to prepare (db finds where the parts end), so that the marks of any search over the same
// rows follow from it; walked says whether it did (as sampleMatchedMarksInParts says).
int walkOrderInParts(OrderWalk* walk, bool* walked, const GridQuery& query, sqlite3* db,
                     const std::string& databaseFilePath, const ParallelReads& parallel,
                     const std::function<void(sqlite3* db)>& prepare);

// The marks of the rows of matched (of every row without it) in the walk's order, every
// spacing-th, their keys read in parts side by side on connections given to prepare; found says
// whether they were found, which they are not when the walk and matched are not of the same rows
// or a row walked is gone. The walk is left as it was, for other searches over the same rows.
int marksOfOrderWalk(PageMarks* marks, bool* found, const OrderWalk& walk,
                     const MatchedRows* matched, const GridQuery& query, int64_t spacing,
                     const std::string& databaseFilePath,
                     const std::function<void(sqlite3* db)>& prepare);

}  // namespace DBInterface
