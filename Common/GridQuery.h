#pragma once
// The SELECT the rows grid reads a table or view with, under its search and sort settings; the
// number of rows under the search; and whether the rows can be addressed by rowid.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/SortSettings.h"

namespace DBInterface {

// rowidPresenceCode: 2 the ROWID column alone, 3 the fields alone, else ROWID then the fields.
inline constexpr uint32_t kRowidOnly = 2;
inline constexpr uint32_t kFieldsOnly = 3;
// rowidNameCode 3: the object has no usable rowid; the ROWID column is '' and never ordered by.
inline constexpr uint32_t kNoRowidName = 3;

// How the grid's query reads values: whole, or for an ordinary table, a long blob as the prefix
// it is held by (ValuePrefix.h), read through a blob handle without the rest of it.
enum class LongValues { Whole, HeldPrefix };

// A query that holds long blobs by their prefix: its columns select a stand-in for each long
// blob, whose prefix is read after the rows (HeldPrefixPages.h).
struct HeldPrefixes {
    std::string table;                // the table's name as it is
    std::vector<std::string> fields;  // the field of each column after ROWID
    std::vector<bool> rawFields;      // which of them are read as hex text
    // The query's columns and select reading every value whole, for a schema changed since.
    std::string wholeColumns;
    std::string wholeSelect;
    int64_t schemaVersion = -1;  // of the schema the columns were built on
    std::string tableSQL;        // the table's definition then
};

// One key of the grid's order.
struct OrderKey {
    std::string expression;
    bool descending = false;
};

// The keys of sort codes 1 to 3 whose fields exist, each only after the one before it; only key 1
// compares text without regard to letter case.
std::vector<OrderKey> sortKeysOfCodes(const std::vector<int>& sortCodes,
                                      const std::vector<std::string>& names,
                                      const std::vector<int>& types);
// The key with its direction: "expression asc" or "expression desc".
std::string orderTerm(const OrderKey& key);
// " order by " and the keys' terms.
std::string orderByClause(const std::vector<OrderKey>& keys);
// The columns of the index that holds an order's keys in turn: each later key runs in it as it
// runs against key 1, so that the order, whose ties run key 1's way, is that index walked
// forwards or backwards with no run of equal keys to sort.
std::string allKeysIndexColumns(const std::vector<OrderKey>& keys);

// The grid's query of one object under one search and sort: built once, then read page by page.
struct GridQuery {
    std::string select;         // the rows in grid order, without limit and offset
    std::string count;          // "select count(*)" of the same rows
    int64_t columnsPerRow = 0;  // the width of each row the select gives
    // The parts of select, for the statements that find rows by their place in the order.
    std::string columns;              // what select lists
    std::string table;                // the quoted object name
    std::string search;               // the search condition, "" for none
    std::vector<OrderKey> orderKeys;  // the order of select, ROWID last when keyed
    // An ordinary table ordered totally (ROWID is its last key): a row's keys say where it is.
    bool keyed = false;
    std::optional<HeldPrefixes> heldPrefixes;
};

// likeString is the LIKE pattern as it is (likePatternForSearchText); it is quoted here, so a
// quote in the search text is searched for. Search indexes beyond the fields are skipped. The
// object's type and field model are read on one connection; any failed read is returned. Long
// blobs are held by their prefix only where asked and the rows are an ordinary UTF-8 table's
// with ROWID first and no hidden or generated fields; other values are read whole.
int buildGridQuery(GridQuery* query, const std::string& table, const std::string& likeString,
                   const IndexSet& searchFieldIndexes, const std::vector<int>& sortCodes,
                   uint64_t sortByROWIDCode, uint32_t rowidPresenceCode, uint32_t rowidNameCode,
                   const std::string& databaseFilePath, std::string* errorString,
                   LongValues longValues = LongValues::Whole);
// The query reading every value whole: the query itself unless it holds long blobs by prefix.
GridQuery wholeValuesOf(const GridQuery& query);
// Appends a page of the query's rows flat, NULL as the null object, read on one connection
// with " limit L offset O" (when limit is at least 1). Rows of another width than the query was
// built for (the fields changed since) are refused whole with -1.
int readGridPage(std::vector<DBValue>* rows, const GridQuery& query, int64_t limit, int64_t offset,
                 const std::string& databaseFilePath, std::string* errorString);
// Appends the rows of a page flat; rows of another width than the query's are refused whole
// with -1.
int appendGridRows(std::vector<DBValue>* rows, std::vector<DBRow>& page, const GridQuery& query,
                   std::string* errorString);

// The select of buildGridQuery, stored into queryString on success.
int getQueryString(std::string* queryString, const std::string& table,
                   const std::string& likeString, const IndexSet& searchFieldIndexes,
                   const std::vector<int>& sortCodes, uint64_t sortByROWIDCode,
                   uint32_t rowidPresenceCode, uint32_t rowidNameCode,
                   const std::string& databaseFilePath, std::string* errorString);
// ROWID then the fields; with noROWID the ROWID column is ''.
int getQueryString(std::string* queryString, const std::string& table,
                   const std::string& likeString, const std::vector<int>& sortCodes,
                   uint64_t sortByROWIDCode, const IndexSet& searchFieldIndexes, bool noROWID,
                   const std::string& databaseFilePath, std::string* errorString);
// With " limit L offset O" when limit is at least 1.
int getQueryString(std::string* queryString, const std::string& table, int limit, int offset,
                   const std::string& likeString, const std::vector<int>& sortCodes,
                   uint64_t sortByROWIDCode, const IndexSet& searchFieldIndexes,
                   const std::string& databaseFilePath, std::string* errorString);

// A page of the grid's rows, flat, NULL as ""; rowidOnly reads the rowids alone.
int getRows(std::vector<std::string>* rows, const std::string& table, const std::string& likeString,
            const IndexSet& searchFieldIndexes, const std::vector<int>& sortCodes,
            uint64_t sortByROWIDCode, int64_t limit, int64_t offset, bool rowidOnly,
            const std::string& databaseFilePath, std::string* errorString);

// The rows of the grid query with " limit L offset O" (when limit is at least 1), flat.
int getRows(std::vector<std::string>* rows, const std::string& table, int limit, int offset,
            const std::string& likeString, const IndexSet& searchFieldIndexes,
            const std::vector<int>& sortCodes, uint64_t sortByROWIDCode,
            const std::string& databaseFilePath, std::string* errorString);

// The expression the grid orders a field by, without its direction; the sort indexes are made
// on the same expressions so that SQLite can walk them for the grid's ORDER BY.
std::string sortKeyExpression(const std::string& fieldName, int fieldType, bool firstKey);

// "\"f\" like 'pattern' escape '\\'" for each field, joined by " or ": a backslash in the pattern
// makes the next "%", "_" or backslash stand for itself.
std::string whereExpressionForLikeString(const std::string& likeString,
                                         const std::vector<std::string>& searchFieldNames);
// The same for the pattern of the search text; "" for no text.
std::string whereExpressionForSimpleSearchString(const std::string* searchText,
                                                 const std::vector<std::string>& searchFieldNames);
// The pattern that finds the text anywhere in a value: "%" and "_" in the text keep their LIKE
// meaning, a backslash stands for itself (escaped for the conditions above).
std::string likePatternForSearchText(const std::string& searchText);

// Rows under the search; -1 on failure or a search index beyond the fields; 0 for no table.
int64_t calculateTotalRowsForTable(const std::string& table, const std::string& likeString,
                                   const IndexSet& searchFieldIndexes,
                                   const std::string& databaseFilePath, std::string* errorString);

enum TableEditStatus {
    kTableEditable = 0,
    kNotATable = 1,
    kObjectTypeUnreadable = 2,
    kColumnsUnreadable = 3,
    kObjectNotFound = 4,
    kNoRowid = 5,
    kRowidHidden = 6,
};
// kTableEditable, kColumnsUnreadable, kNoRowid or kRowidHidden.
TableEditStatus tableEditStatus(const std::string& table, const std::string& databaseFilePath,
                                std::string* errorString);
TableEditStatus objectEditStatus(const std::string& objectName, const std::string& databaseFilePath,
                                 std::string* errorString);
// Whether the object's varnelo_db_tables flags hold the sorted-on-unique-key bit.
bool isObjectSortedOnUniqueKey(const std::string& objectName, const std::string& databaseFilePath,
                               std::string* errorString);

// How the grid may read an object: rows edited by rowid; read-only but paged in the order of a
// unique key; or read-only and limited to its first rows.
enum SelectedObjectStatus {
    kObjectNotShown = 0,  // an index, a trigger or no object
    kObjectEditable = 1,
    kObjectReadOnlyPaged = 2,
    kObjectLimited = 3,
};
SelectedObjectStatus selectedObjectStatus(const std::string& objectName,
                                          const std::string& databaseFilePath,
                                          std::string* errorString);

}  // namespace DBInterface
