#include "Common/KeysetPages.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/HeldPrefixPages.h"
#include "Common/KeyRanges.h"

namespace DBInterface {

namespace {

std::string orderBy(const std::vector<OrderKey>& keys, bool reversed) {
    std::string order;
    for (const OrderKey& key : keys) {
        order += order.empty() ? " order by " : ", ";
        order += key.expression + (key.descending != reversed ? " desc" : " asc");
    }
    return order;
}

// The query's rows, under its search.
std::string rowsOf(const GridQuery& query, const std::string& columns) {
    std::string sql = "select " + columns + " from " + query.table;
    return query.search.empty() ? sql : sql + " where " + query.search;
}

int failed(sqlite3* db, int rc, std::string* errorString) {
    appendError(errorString, sqlite3_errmsg(db));
    return rc;
}

}  // namespace

int samplePageMarks(PageMarks* marks, const GridQuery& query, int64_t spacing, sqlite3* db,
                    std::string* errorString) {
    std::string keys;
    for (const OrderKey& key : query.orderKeys) keys += (keys.empty() ? "" : ", ") + key.expression;
    std::string sql = rowsOf(query, keys) + orderBy(query.orderKeys, false);
    PageMarks sampled;
    sampled.spacing = spacing;
    int rc = forEachRow(db, sql, [&](sqlite3_stmt* statement) {
        if (++sampled.rows % spacing == 0) {
            RowKey key;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                key.emplace_back(sqlite3_value_dup(sqlite3_column_value(statement, i)));
            }
            sampled.marks.push_back(std::move(key));
        }
        return true;
    });
    if (rc != SQLITE_OK) return failed(db, rc, errorString);
    // Mark j is the row at (j + 1) * spacing - 1: one for each whole spacing, in the scan's order.
    assert(static_cast<int64_t>(sampled.marks.size()) == sampled.rows / spacing);
    *marks = std::move(sampled);
    return SQLITE_OK;
}

int readGridPageAfterKey(std::vector<DBValue>* rows, const GridQuery& query, const RowKey* key,
                         int64_t skip, int64_t limit, const std::string& databaseFilePath,
                         std::string* errorString) {
    std::vector<DBRow> page;
    int rc = readHoldingPrefixes(
        &page, query, databaseFilePath, errorString,
        [&](const GridQuery& read, std::vector<DBRow>* into) {
            std::optional<DBConnection> connection;
            int opened = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly,
                                          errorString);
            if (opened != SQLITE_OK) return opened;
            int done = readRowsInKeyOrder(into, read, key, skip, limit, connection->handle());
            return done == SQLITE_OK ? done : failed(connection->handle(), done, errorString);
        });
    if (rc != SQLITE_OK) return rc;
    return appendGridRows(rows, page, query, errorString);
}

int readGridPageFromEnd(std::vector<DBValue>* rows, const GridQuery& query, int64_t firstRowIndex,
                        int64_t limit, int64_t totalRows, const std::string& databaseFilePath,
                        std::string* errorString, bool byKey) {
    int64_t end = std::min(firstRowIndex + limit, totalRows);
    if (end <= firstRowIndex) return SQLITE_OK;
    std::vector<DBRow> page;
    int rc = readHoldingPrefixes(
        &page, query, databaseFilePath, errorString,
        [&](const GridQuery& read, std::vector<DBRow>* into) {
            if (!byKey) {
                std::string sql = rowsOf(read, read.columns) + orderBy(read.orderKeys, true) +
                                  " limit " + std::to_string(end - firstRowIndex) + " offset " +
                                  std::to_string(totalRows - end);
                return getArrayOfRows(into, sql, true, databaseFilePath, errorString);
            }
            std::optional<DBConnection> connection;
            int opened = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly,
                                          errorString);
            if (opened != SQLITE_OK) return opened;
            GridQuery reversed = read;
            for (OrderKey& key : reversed.orderKeys) key.descending = !key.descending;
            int done = readRowsInKeyOrder(into, reversed, nullptr, totalRows - end,
                                          end - firstRowIndex, connection->handle());
            return done == SQLITE_OK ? done : failed(connection->handle(), done, errorString);
        });
    if (rc != SQLITE_OK) return rc;
    std::reverse(page.begin(), page.end());
    return appendGridRows(rows, page, query, errorString);
}

}  // namespace DBInterface
