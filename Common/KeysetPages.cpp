#include "Common/KeysetPages.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/HeldPrefixPages.h"
#include "Common/KeyRanges.h"
#include "Common/Statement.h"

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

// " and <key> = ?", or " is null" for NULL, which no parameter matches.
std::string equalTo(const OrderKey& key, sqlite3_value* value) {
    return " and " + key.expression +
           (sqlite3_value_type(value) == SQLITE_NULL ? " is null" : " = ?");
}

GridQuery reversedOrder(const GridQuery& query) {
    GridQuery reversed = query;
    for (OrderKey& key : reversed.orderKeys) key.descending = !key.descending;
    return reversed;
}

// The keys of the first row of the order under the search into key, one key after the other
// (after those key holds already): the first value of the key, then the first ROWID among the
// rows of that value. Each statement stops at the first row it meets, where one ordered by the
// key and ROWID against the key's index would sort the key's runs and read on for a row of the
// next value. found says whether the key's index led to the first row, or to none (the key then
// stays empty).
int firstRowKey(RowKey* key, bool* found, const GridQuery& query, sqlite3* db) {
    std::string condition = "(" + query.search + ")";
    for (size_t i = 0; i < query.orderKeys.size(); ++i) {
        const OrderKey& orderKey = query.orderKeys[i];
        if (i < key->size()) {
            condition += equalTo(orderKey, (*key)[i].get());
            continue;
        }
        const std::string sql = "select " + orderKey.expression + " from " + query.table +
                                " where " + condition + " order by " + orderTerm(orderKey) +
                                " limit 1";
        // Sorted, every row under the search would be read for the first.
        if (key->empty() && queryPlanOf(db, sql).find("TEMP B-TREE") != std::string::npos) {
            return SQLITE_OK;
        }
        *found = true;
        Statement statement;
        int rc = statement.prepare(db, sql);
        int parameter = 0;
        for (size_t i = 0; rc == SQLITE_OK && i < key->size(); ++i) {
            if (sqlite3_value_type((*key)[i].get()) != SQLITE_NULL) {
                rc = sqlite3_bind_value(statement.get(), ++parameter, (*key)[i].get());
            }
        }
        if (rc == SQLITE_OK) rc = sqlite3_step(statement.get());
        if (rc == SQLITE_DONE) {
            // No row; after the first key's value, never within one read, but then counted whole.
            *found = key->empty();
            key->clear();
            return SQLITE_OK;
        }
        if (rc != SQLITE_ROW) return rc;
        sqlite3_value* value = sqlite3_column_value(statement.get(), 0);
        condition += equalTo(orderKey, value);
        key->emplace_back(sqlite3_value_dup(value));
    }
    return SQLITE_OK;
}

}  // namespace

std::string keyColumnsOf(const GridQuery& query) {
    std::string keys;
    for (const OrderKey& key : query.orderKeys) keys += (keys.empty() ? "" : ", ") + key.expression;
    return keys;
}

RowKey rowKeyOf(sqlite3_stmt* statement) {
    RowKey key;
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        key.emplace_back(sqlite3_value_dup(sqlite3_column_value(statement, i)));
    }
    return key;
}

int samplePageMarks(PageMarks* marks, const GridQuery& query, int64_t spacing, sqlite3* db,
                    std::string* errorString) {
    std::string sql = rowsOf(query, keyColumnsOf(query)) + orderBy(query.orderKeys, false);
    PageMarks sampled;
    sampled.spacing = spacing;
    int rc = forEachRow(db, sql, [&](sqlite3_stmt* statement) {
        if (++sampled.rows % spacing == 0) sampled.marks.push_back(rowKeyOf(statement));
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
                         std::string* errorString, bool fromKey) {
    std::vector<DBRow> page;
    int rc = readHoldingPrefixes(
        &page, query, databaseFilePath, errorString,
        [&](const GridQuery& read, std::vector<DBRow>* into) {
            std::optional<DBConnection> connection;
            int opened = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly,
                                          errorString);
            if (opened != SQLITE_OK) return opened;
            int done =
                readRowsInKeyOrder(into, read, key, skip, limit, connection->handle(), fromKey);
            return done == SQLITE_OK ? done : failed(connection->handle(), done, errorString);
        });
    if (rc != SQLITE_OK) return rc;
    return appendGridRows(rows, page, query, errorString);
}

int64_t countRowsFromFirstRow(RowKey* first, const GridQuery& query,
                              const std::string& databaseFilePath, std::string* errorString,
                              RowKey* last) {
    first->clear();
    if (last) last->clear();
    // Without a search the first row is the order's first, and SQLite counts a table in a glance.
    // Orders of several keys are counted whole: finding their first row could mean sorting long
    // runs of their first key.
    if (!query.keyed || query.search.empty() || query.orderKeys.size() > 2 ||
        databaseFilePath.empty()) {
        return getNumberWithQueryString(query.count, databaseFilePath, errorString);
    }
    DBConnection connection(databaseFilePath, ConnectionKind::Plain);
    if (!connection.isOpen()) {
        return getNumberWithQueryString(query.count, databaseFilePath, errorString);  // says why
    }
    sqlite3* db = connection.handle();
    // One read: the first row and the rows after it are of the same rows.
    const bool ownRead = sqlite3_get_autocommit(db) != 0;
    int rc = ownRead ? sqlite3_exec(db, "begin", nullptr, nullptr, nullptr) : SQLITE_OK;
    int64_t rows = -1;
    RowKey key;
    bool found = false;
    if (rc == SQLITE_OK) rc = firstRowKey(&key, &found, query, db);
    if (rc == SQLITE_OK && found && key.empty()) rows = 0;
    SQLValue lastValue;  // the first key's value of the last row
    if (rc == SQLITE_OK && !key.empty()) {
        int64_t after = -1;
        rc = countRowsAfterKey(&after, query, key, db, &lastValue);
        if (rc == SQLITE_OK && after >= 0) rows = after + 1;
    }
    // Counted whole, the rows before the first row are passed over once more, but a page from
    // it still need not; nor need a page of the later half pass over those after the last.
    if (rc == SQLITE_OK && rows < 0) {
        const std::string sql = key.empty() ? query.count
                                            : "select count(*), " + lastValueOfFirstKey(query) +
                                                  " from " + query.table + " where " + query.search;
        rc = forEachRow(db, sql, [&](sqlite3_stmt* statement) {
            rows = sqlite3_column_int64(statement, 0);
            if (!key.empty())
                lastValue.reset(sqlite3_value_dup(sqlite3_column_value(statement, 1)));
            return false;
        });
    }
    // The count looked at every row under the search: the last row's ROWID is found among the
    // rows of its first key's value, so that pages of the later half are read back from there
    // rather than from past the rows after it in the whole order.
    if (rc == SQLITE_OK && last && rows > 0 && lastValue) {
        last->push_back(std::move(lastValue));
        rc = firstRowKey(last, &found, reversedOrder(query), db);
    }
    if (rc != SQLITE_OK) appendError(errorString, sqlite3_errmsg(db));
    if (ownRead) sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        if (last) last->clear();
        return -1;
    }
    *first = std::move(key);
    return rows;
}

int searchEndRow(RowKey* key, const GridQuery& query, bool last,
                 const std::string& databaseFilePath, std::string* errorString) {
    key->clear();
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    bool found = false;
    if (rc == SQLITE_OK) {
        rc = firstRowKey(key, &found, last ? reversedOrder(query) : query, connection->handle());
        if (rc != SQLITE_OK) failed(connection->handle(), rc, errorString);
    }
    if (rc != SQLITE_OK || !found) key->clear();
    return rc;
}

int rowIndexOfRowid(int64_t* rowIndex, const GridQuery& query, int64_t rowid,
                    const std::string& databaseFilePath, std::string* errorString) {
    *rowIndex = -1;
    if (!query.keyed) {
        return rowIndexOfRowidInOrder(rowIndex, query, rowid, databaseFilePath, errorString);
    }
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    // One read: the keys and the rows before them are of the same rows.
    rc = sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    RowKey key;
    if (rc == SQLITE_OK) {
        Statement statement;
        const std::string search = query.search.empty() ? "" : "(" + query.search + ") and ";
        rc = statement.prepare(db, "select " + keyColumnsOf(query) + " from " + query.table +
                                       " where " + search + "ROWID = ?");
        if (rc == SQLITE_OK) rc = sqlite3_bind_int64(statement.get(), 1, rowid);
        if (rc == SQLITE_OK) rc = sqlite3_step(statement.get());
        if (rc == SQLITE_ROW) key = rowKeyOf(statement.get());
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    int64_t before = 0;
    if (rc == SQLITE_OK && !key.empty()) {
        rc = countEveryRowAfterKey(&before, reversedOrder(query), key, db);
        if (rc == SQLITE_OK) *rowIndex = before;
    }
    if (rc != SQLITE_OK) failed(db, rc, errorString);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    return rc;
}

int rowIndexOfRowidInOrder(int64_t* rowIndex, const GridQuery& query, int64_t rowid,
                           const std::string& databaseFilePath, std::string* errorString) {
    *rowIndex = -1;
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    if (rc != SQLITE_OK) return rc;
    int64_t at = 0;
    rc = forEachRow(connection->handle(), rowsOf(query, "ROWID") + orderBy(query.orderKeys, false),
                    [&](sqlite3_stmt* statement) {
                        if (sqlite3_column_int64(statement, 0) != rowid) {
                            ++at;
                            return true;
                        }
                        *rowIndex = at;
                        return false;
                    });
    return rc == SQLITE_OK ? rc : failed(connection->handle(), rc, errorString);
}

int readGridPageFromEnd(std::vector<DBValue>* rows, const GridQuery& query, int64_t firstRowIndex,
                        int64_t limit, int64_t totalRows, const std::string& databaseFilePath,
                        std::string* errorString, bool byKey, const RowKey* lastRow) {
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
            int done =
                readRowsInKeyOrder(into, reversedOrder(read), lastRow, totalRows - end,
                                   end - firstRowIndex, connection->handle(), lastRow != nullptr);
            return done == SQLITE_OK ? done : failed(connection->handle(), done, errorString);
        });
    if (rc != SQLITE_OK) return rc;
    std::reverse(page.begin(), page.end());
    return appendGridRows(rows, page, query, errorString);
}

}  // namespace DBInterface
