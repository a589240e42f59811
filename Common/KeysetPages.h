#pragma once
// Pages of a keyed grid query found by the keys of a row before them instead of by offset, so
// that a page deep in a large table costs what a page at its top costs: marks (the keys of every
// spacing-th row, sampled in one scan of the order), the read of the rows after a row's keys,
// and the read of a page from the end of the order.
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Common/GridQuery.h"

namespace DBInterface {

struct SQLValueFree {
    void operator()(sqlite3_value* value) const { sqlite3_value_free(value); }
};
// A value copied out of a statement, with its storage class, bound again as it was read.
using SQLValue = std::unique_ptr<sqlite3_value, SQLValueFree>;
// A row's place in a keyed order: the values of the order's keys, its ROWID last.
using RowKey = std::vector<SQLValue>;

struct PageMarks {
    int64_t spacing = 0;
    int64_t rows = 0;           // the rows of the order when it was sampled
    std::vector<RowKey> marks;  // marks[j]: the keys of the row at index (j + 1) * spacing - 1
};

// The order's keys as the columns of a select, ROWID last: what a row's RowKey holds.
std::string keyColumnsOf(const GridQuery& query);
// The values of the statement's row, as read: a RowKey where the columns are keyColumnsOf's.
RowKey rowKeyOf(sqlite3_stmt* statement);

// Samples the marks of the keyed query's order on the connection, in one scan of the order.
int samplePageMarks(PageMarks* marks, const GridQuery& query, int64_t spacing, sqlite3* db,
                    std::string* errorString);

// Appends up to limit rows flat, beginning skip rows after the row whose keys are given (skip rows
// from it with fromKey; from the start of the order without a key), read on one connection.
int readGridPageAfterKey(std::vector<DBValue>* rows, const GridQuery& query, const RowKey* key,
                         int64_t skip, int64_t limit, const std::string& databaseFilePath,
                         std::string* errorString, bool fromKey = false);

// The rows of the query (its count); -1 with the error. Where the index of an order of one key
// leads to the first row under a search, its keys go into first, so that the pages read from that
// row never pass over the rows before it again; the rows are then counted on from it where an
// index holds all the count looks at, else by the count statement, which then also finds the
// keys of the last row under the search for last (when given). Without the first row first and
// last are left empty.
int64_t countRowsFromFirstRow(RowKey* first, const GridQuery& query,
                              const std::string& databaseFilePath, std::string* errorString,
                              RowKey* last = nullptr);

// The keys of the first row of the order under the search into key (of the last with last),
// found by the index of the order's first key where it leads to it; else, or without such a row,
// key is left empty.
int searchEndRow(RowKey* key, const GridQuery& query, bool last,
                 const std::string& databaseFilePath, std::string* errorString);

// The place of the row of the ROWID in the query's order under its search into rowIndex: in a
// keyed order the rows before it, counted range by range back from its keys (read in the same
// read); else as rowIndexOfRowidInOrder finds it. -1 when no row under the search has that ROWID.
int rowIndexOfRowid(int64_t* rowIndex, const GridQuery& query, int64_t rowid,
                    const std::string& databaseFilePath, std::string* errorString);
// The same found by reading the ROWIDs of the order from its start.
int rowIndexOfRowidInOrder(int64_t* rowIndex, const GridQuery& query, int64_t rowid,
                           const std::string& databaseFilePath, std::string* errorString);

// Appends up to limit rows flat from firstRowIndex, read backwards from the end of the order,
// which holds totalRows rows: with an offset, or by key (range by range, for pages near the end;
// from lastRow on when it is given, its keys those of the last of the rows).
int readGridPageFromEnd(std::vector<DBValue>* rows, const GridQuery& query, int64_t firstRowIndex,
                        int64_t limit, int64_t totalRows, const std::string& databaseFilePath,
                        std::string* errorString, bool byKey = false,
                        const RowKey* lastRow = nullptr);

}  // namespace DBInterface
