#pragma once
// The rows of a keyed grid query read in its order range by range: the rows equal on every key
// after a row's ROWID, then those equal on fewer keys and after it on the next one, down to
// those after it on the first key. Each range is read through the index of one key, whose
// entries are in the order of that key and ROWID, so a range starts where its first row is
// instead of walking the rows of equal keys before it. Where a key has long runs of equal
// values and keys follow it, each run is read on its own rather than sorted whole. Where one index
// holds all the keys in turn, each as it runs against key 1 (the sort indexes of two and three
// keys), every range is read through it, walked forwards or backwards.
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/GridQuery.h"
#include "Common/KeysetPages.h"

namespace DBInterface {

// Appends to page up to limit rows, skipping skip rows first, from just after the row whose keys
// are given (from that row itself with fromKey), or from the start of the order when key is null.
int readRowsInKeyOrder(std::vector<DBRow>* page, const GridQuery& query, const RowKey* key,
                       int64_t skip, int64_t limit, sqlite3* db, bool fromKey = false);

// Counts into rows the rows after the row whose keys are given, over the ranges
// readRowsInKeyOrder reads; -1 when SQLite would not seek one of them in an index that holds all
// the count looks at, so that counting it could cost more than counting every row. lastValue
// gets the first key's value of the last of those rows (none when there is none).
int countRowsAfterKey(int64_t* rows, const GridQuery& query, const RowKey& key, sqlite3* db,
                      SQLValue* lastValue);
// The same over every range, however SQLite reads it.
int countEveryRowAfterKey(int64_t* rows, const GridQuery& query, const RowKey& key, sqlite3* db);

// An aggregate giving the first key's value of the last of the rows it looks at in the query's
// order: the largest going up; going down the least, or NULL, which comes last, when any is NULL.
std::string lastValueOfFirstKey(const GridQuery& query);

// The details of SQLite's plan for the statement, joined by "; "; "" when it does not compile.
std::string queryPlanOf(sqlite3* db, const std::string& sql);

}  // namespace DBInterface
