#include "Common/KeysetPages.h"

#include <algorithm>
#include <optional>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"

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

std::string rowsWhere(const GridQuery& query, const std::string& columns,
                      const std::string& condition) {
    std::string sql = "select " + columns + " from " + query.table;
    if (!query.search.empty() && !condition.empty()) {
        return sql + " where (" + query.search + ") and " + condition;
    }
    if (!query.search.empty()) return sql + " where " + query.search;
    return condition.empty() ? sql : sql + " where " + condition;
}

bool isNull(const RowKey& key, size_t i) {
    return sqlite3_value_type(key[i].get()) == SQLITE_NULL;
}

// The rows after the key on keys first.. once the keys before first are equal to the row's. NULL
// comes before every value, so it is first going up and last going down.
std::string afterFrom(const GridQuery& query, const RowKey& key, size_t first) {
    const OrderKey& order = query.orderKeys[first];
    const std::string& e = order.expression;
    const std::string value = "?" + std::to_string(first + 1);
    if (first + 1 == query.orderKeys.size()) {  // ROWID, never NULL
        return e + (order.descending ? " < " : " > ") + value;
    }
    const std::string rest = afterFrom(query, key, first + 1);
    const std::string equalThenRest = "(" + e + " = " + value + " and " + rest + ")";
    if (isNull(key, first)) {
        return order.descending ? "(" + e + " is null and " + rest + ")"
                                : "(" + e + " is not null or (" + e + " is null and " + rest + "))";
    }
    return order.descending
               ? "(" + e + " < " + value + " or " + e + " is null or " + equalThenRest + ")"
               : "(" + e + " > " + value + " or " + equalThenRest + ")";
}

// The conditions of the rows after the key, in order. The first key bounds a range of its index
// (a comparison inside an OR, or of row values, would not); NULLs lie outside any range, so they
// are a range of their own.
std::vector<std::string> segmentsAfter(const GridQuery& query, const RowKey& key) {
    if (query.orderKeys.size() == 1) return {afterFrom(query, key, 0)};
    const OrderKey& order = query.orderKeys.front();
    const std::string& e = order.expression;
    const std::string rest = afterFrom(query, key, 1);
    if (isNull(key, 0)) {
        std::vector<std::string> segments{e + " is null and " + rest};
        if (!order.descending) segments.push_back(e + " is not null");
        return segments;
    }
    std::vector<std::string> segments{order.descending
                                          ? e + " <= ?1 and (" + e + " < ?1 or " + rest + ")"
                                          : e + " >= ?1 and (" + e + " > ?1 or " + rest + ")"};
    if (order.descending) segments.push_back(e + " is null");
    return segments;
}

DBRow rowValues(sqlite3_stmt* statement) {
    int columns = sqlite3_column_count(statement);
    DBRow row;
    row.reserve(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        row.push_back(columnValue(statement, i, true, kInvalidUtf8Marker));
    }
    return row;
}

// Runs the statement with the key's values bound to ?1, ?2...; onRow for each row.
template <typename OnRow>
int forEachRowAfterKey(sqlite3* db, const std::string& sql, const RowKey& key, OnRow&& onRow) {
    Statement statement;
    int rc = statement.prepare(db, sql);
    for (int i = 0; rc == SQLITE_OK && i < sqlite3_bind_parameter_count(statement.get()); ++i) {
        rc = sqlite3_bind_value(statement.get(), i + 1, key[static_cast<size_t>(i)].get());
    }
    while (rc == SQLITE_OK && (rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        onRow(statement.get());
        rc = SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
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
    std::string sql = rowsWhere(query, keys, "") + orderBy(query.orderKeys, false);
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
    *marks = std::move(sampled);
    return SQLITE_OK;
}

int readGridPageAfterKey(std::vector<DBValue>* rows, const GridQuery& query, const RowKey& key,
                         int64_t skip, int64_t limit, const std::string& databaseFilePath,
                         std::string* errorString) {
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    std::vector<DBRow> page;
    int64_t skipped = 0;
    for (const std::string& condition : segmentsAfter(query, key)) {
        int64_t wanted = limit - static_cast<int64_t>(page.size());
        if (wanted <= 0) break;
        // SQLite passes over an offset's rows in the index without reading them from the table.
        int64_t toSkip = skip - skipped;
        size_t before = page.size();
        rc = forEachRowAfterKey(
            db,
            rowsWhere(query, query.columns, condition) + orderBy(query.orderKeys, false) +
                " limit " + std::to_string(wanted) + " offset " + std::to_string(toSkip),
            key, [&](sqlite3_stmt* statement) { page.push_back(rowValues(statement)); });
        if (rc != SQLITE_OK) return failed(db, rc, errorString);
        if (page.size() > before || toSkip == 0) {
            skipped = skip;
            continue;
        }
        // No row came, so the segment held no more rows than were to be skipped: how many.
        rc = forEachRowAfterKey(
            db,
            "select count(*) from (" + rowsWhere(query, "1", condition) + " limit " +
                std::to_string(toSkip) + ")",
            key, [&](sqlite3_stmt* statement) { skipped += sqlite3_column_int64(statement, 0); });
        if (rc != SQLITE_OK) return failed(db, rc, errorString);
    }
    return appendGridRows(rows, page, query, errorString);
}

int readGridPageFromEnd(std::vector<DBValue>* rows, const GridQuery& query, int64_t firstRowIndex,
                        int64_t limit, int64_t totalRows, const std::string& databaseFilePath,
                        std::string* errorString) {
    int64_t end = std::min(firstRowIndex + limit, totalRows);
    if (end <= firstRowIndex) return SQLITE_OK;
    std::string sql = rowsWhere(query, query.columns, "") + orderBy(query.orderKeys, true) +
                      " limit " + std::to_string(end - firstRowIndex) + " offset " +
                      std::to_string(totalRows - end);
    std::vector<DBRow> page;
    int rc = getArrayOfRows(&page, sql, true, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    std::reverse(page.begin(), page.end());
    return appendGridRows(rows, page, query, errorString);
}

}  // namespace DBInterface
