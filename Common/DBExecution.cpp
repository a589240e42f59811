#include "Common/DBExecution.h"

#include <cstdlib>
#include <limits>
#include <optional>

#include "Common/DBConnection.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/SystemLog.h"

namespace DBInterface {

namespace {

constexpr std::string_view kUnknownColumn = "(Unknown)";

void logMissingResource(const std::string& path) {
    systemLog("Could not find the database resource " + path);
}

// Reads the rows of one prepared statement whose first step gave SQLITE_ROW: names first, then
// up to limit rows (negative: all), NULL and invalid text as empty text. Returns the code of the
// step that ended the reading (SQLITE_ROW when the limit or a missing list ended it).
int readStatementRows(sqlite3_stmt* statement, std::vector<std::string>* names,
                      std::vector<DBTextRow>* rows, int64_t limit) {
    int columns = sqlite3_column_count(statement);
    if (names) {
        for (int i = 0; i < columns; ++i) {
            names->push_back(columnName(statement, i, kUnknownColumn, ""));
        }
    }
    if (!rows) return SQLITE_ROW;
    uint64_t effective =
        limit < 0 ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(limit);
    uint64_t held = 0;
    int rc = SQLITE_ROW;
    while (held < effective) {
        DBTextRow row;
        row.reserve(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i) row.push_back(*columnValue(statement, i, false, ""));
        rows->push_back(std::move(row));
        ++held;
        rc = sqlite3_step(statement);
        if (rc != SQLITE_ROW) break;
    }
    return rc;
}

std::string pagedQuery(const std::string& query, int64_t limit, int64_t offset) {
    if (limit < 1) return query;
    return query + " limit " + std::to_string(limit) + " offset " + std::to_string(offset);
}

// Opens a plain or read-only connection for a reader; on failure appends SQLite's message and
// logs the path.
bool openReader(DBConnection& connection, const std::string& path, std::string* errorString) {
    if (connection.isOpen()) return true;
    appendError(errorString, connection.errorMessage());
    systemLog("Could not open the database " + path);
    return false;
}

enum class MissingPathLog { Write, Skip };

// The frame of every row reader: the missing-path and open-failure rules, then onRow for each
// result row of every statement of query, SQLite's message appended on failure.
template <typename OnRow>
int readRows(ConnectionKind kind, MissingPathLog missingPathLog, const std::string& query,
             const std::string& databaseFilePath, std::string* errorString, OnRow&& onRow) {
    if (databaseFilePath.empty()) {
        if (missingPathLog == MissingPathLog::Write) logMissingResource(databaseFilePath);
        return missingDatabasePath(errorString);
    }
    DBConnection connection(databaseFilePath, kind);
    if (!openReader(connection, databaseFilePath, errorString)) return connection.openResult();
    int rc = forEachRow(connection.handle(), query, onRow);
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

}  // namespace

int execMultipleQueryString(const std::string& sql, const ScriptOptions& options,
                            ScriptResult* result, const std::string& databaseFilePath,
                            std::string* errorString) {
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath,
                              options.missingFile == MissingFile::Create
                                  ? ConnectionKind::NewFileStatement
                                  : ConnectionKind::Statement,
                              errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();

    std::vector<std::string> names;
    bool namesPresent = false;
    std::vector<DBRow> rows;
    bool limitReached = false;
    const char* tail = sql.data();
    const char* end = sql.data() + sql.size();
    while (rc == SQLITE_OK && tail < end) {
        Statement statement;
        const char* next = nullptr;
        // The length counts the string's terminating NUL: SQLite then parses the script in place
        // instead of copying all the rest of it for every statement, which made long scripts
        // quadratic.
        rc = statement.prepare(db, std::string_view(tail, static_cast<size_t>(end - tail) + 1),
                               &next);
        if (rc != SQLITE_OK) {
            // Unparsed: the statement is taken to run up to the next semicolon.
            std::string_view rest(tail, static_cast<size_t>(end - tail));
            result->failedStatement = rest.substr(0, rest.find(';'));
            break;
        }
        tail = next;
        if (!statement) continue;
        int step;
        while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
            if (!namesPresent) {
                int columns = sqlite3_column_count(statement.get());
                for (int i = 0; i < columns; ++i) {
                    names.push_back(columnName(statement.get(), i, "", kInvalidUtf8Marker));
                }
                namesPresent = true;
            }
            if (!options.rowLimit) continue;
            if (static_cast<int64_t>(rows.size()) < *options.rowLimit) {
                int columns = sqlite3_column_count(statement.get());
                DBRow row;
                row.reserve(static_cast<size_t>(columns));
                for (int i = 0; i < columns; ++i) {
                    row.push_back(
                        columnValue(statement.get(), i, options.nullPossible, kInvalidUtf8Marker));
                }
                rows.push_back(std::move(row));
                continue;
            }
            // Past the limit: a read has nothing more to give, a change must still complete.
            limitReached = true;
            if (sqlite3_stmt_readonly(statement.get())) {
                step = SQLITE_DONE;
                break;
            }
        }
        if (step != SQLITE_DONE) {
            rc = step;
            result->failedStatement = sqlite3_sql(statement.get());
        }
    }
    if (rc != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }
    // Closing the connection would roll back what the script left uncommitted: its changes
    // must not be reported as made.
    if (sqlite3_txn_state(db, nullptr) == SQLITE_TXN_WRITE) {
        appendError(errorString, localizedString("The script left a transaction open: its "
                                                 "changes were rolled back."));
        return SQLITE_ERROR;
    }
    result->lastRowID = sqlite3_last_insert_rowid(db);
    result->numberOfChanges = sqlite3_changes64(db);
    result->fieldNames = std::move(names);
    result->rows = std::move(rows);
    return limitReached ? kRowLimitReached : SQLITE_OK;
}

int execMultipleQueryString(const std::string& sql, int64_t* numberOfChanges, int64_t* lastRowID,
                            const std::string& databaseFilePath, std::string* errorString,
                            MissingFile missingFile) {
    ScriptResult result;
    int rc = execMultipleQueryString(sql, ScriptOptions{std::nullopt, false, missingFile}, &result,
                                     databaseFilePath, errorString);
    if (rc == SQLITE_OK) {
        if (numberOfChanges) *numberOfChanges = result.numberOfChanges;
        if (lastRowID) *lastRowID = result.lastRowID;
    }
    return rc;
}

int execQueryString(const std::string& sql, int64_t rowLimit, int* fieldCount,
                    std::vector<std::string>* fieldNames,
                    std::vector<DBTextRow>* fieldValuesInArrays, int64_t* numberOfChanges,
                    int64_t* lastRowID, const std::string& databaseFilePath,
                    std::string* errorString) {
    if (fieldCount) *fieldCount = 0;
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    Statement statement;
    rc = statement.prepare(db, sql);
    if (rc != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }
    if (!statement) return SQLITE_OK;  // nothing but white space or comments

    int remembered = sqlite3_step(statement.get());
    if (remembered == SQLITE_DONE) {
        if (lastRowID) *lastRowID = sqlite3_last_insert_rowid(db);
        if (numberOfChanges) *numberOfChanges = sqlite3_changes64(db);
    } else if (remembered != SQLITE_ROW) {
        appendError(errorString, connection->errorMessage());
    } else {
        int columns = sqlite3_column_count(statement.get());
        if (fieldCount) *fieldCount = columns;
        if (columns >= 1) {
            remembered =
                readStatementRows(statement.get(), fieldNames, fieldValuesInArrays, rowLimit);
            if (remembered != SQLITE_ROW && remembered != SQLITE_DONE) {
                appendError(errorString, connection->errorMessage());
            }
        }
    }
    int finalized = statement.finalize();
    if (finalized != SQLITE_OK) {
        if (errorString && errorString->empty())
            appendError(errorString, connection->errorMessage());
        return finalized;
    }
    return remembered == SQLITE_ROW || remembered == SQLITE_DONE ? SQLITE_OK : remembered;
}

int execCommandString(const std::string& sql, int64_t* numberOfChanges, int64_t* lastRowID,
                      const std::string& databaseFilePath, std::string* errorString) {
    int fieldCount = 0;
    return execQueryString(sql, 0, &fieldCount, nullptr, nullptr, numberOfChanges, lastRowID,
                           databaseFilePath, errorString);
}

int execCommandString(const std::string& sql, const std::string& databaseFilePath,
                      std::string* errorString) {
    return execCommandString(sql, nullptr, nullptr, databaseFilePath, errorString);
}

int execUpdateStatement(const std::string& sql, const std::string& databaseFilePath,
                        std::string* errorString) {
    return execCommandString(sql, nullptr, nullptr, databaseFilePath, errorString);
}

int getRowsInternal(std::vector<DBValue>* rows, const std::string& query, bool nullPossible,
                    const std::string& databaseFilePath, std::string* errorString) {
    return readRows(
        ConnectionKind::Plain, MissingPathLog::Write, query, databaseFilePath, errorString,
        [&](sqlite3_stmt* statement) {
            int columns = sqlite3_column_count(statement);
            for (int i = 0; i < columns; ++i) {
                rows->push_back(columnValue(statement, i, nullPossible, kInvalidUtf8Marker));
            }
            return true;
        });
}

int getRows(std::vector<std::string>* rows, const std::string& query,
            const std::string& databaseFilePath, std::string* errorString) {
    std::vector<DBValue> values;
    int rc = getRowsInternal(&values, query, false, databaseFilePath, errorString);
    rows->reserve(rows->size() + values.size());
    for (DBValue& value : values) rows->push_back(std::move(*value));
    return rc;
}

int getRows(std::vector<std::string>* rows, const std::string& query, int64_t limit, int64_t offset,
            const std::string& databaseFilePath, std::string* errorString) {
    return getRows(rows, pagedQuery(query, limit, offset), databaseFilePath, errorString);
}

int getNullableRows(std::vector<DBValue>* rows, const std::string& query, int64_t limit,
                    int64_t offset, const std::string& databaseFilePath, std::string* errorString) {
    return getRowsInternal(rows, pagedQuery(query, limit, offset), true, databaseFilePath,
                           errorString);
}

int getArrayOfRows(std::vector<DBRow>* rows, const std::string& query, bool nullPossible,
                   const std::string& databaseFilePath, std::string* errorString) {
    return readRows(
        ConnectionKind::ReadOnly, MissingPathLog::Skip, query, databaseFilePath, errorString,
        [&](sqlite3_stmt* statement) {
            int columns = sqlite3_column_count(statement);
            DBRow row;
            row.reserve(static_cast<size_t>(columns));
            for (int i = 0; i < columns; ++i) {
                row.push_back(columnValue(statement, i, nullPossible, kInvalidUtf8Marker));
            }
            rows->push_back(std::move(row));
            return true;
        });
}

int getArrayOfRows(std::vector<DBRow>* rows, const std::string& query, bool nullPossible,
                   int64_t limit, int64_t offset, const std::string& databaseFilePath,
                   std::string* errorString) {
    return getArrayOfRows(rows, pagedQuery(query, limit, offset), nullPossible, databaseFilePath,
                          errorString);
}

int getRowsRO(std::vector<std::string>* rows, const std::string& query,
              const std::string& databaseFilePath, std::string* errorString) {
    return readRows(ConnectionKind::ReadOnly, MissingPathLog::Write, query, databaseFilePath,
                    errorString, [&](sqlite3_stmt* statement) {
                        int columns = sqlite3_column_count(statement);
                        std::string line;
                        for (int i = 0; i < columns; ++i) {
                            if (i > 0) line += '\t';
                            line += *columnValue(statement, i, false, kInvalidUtf8Marker);
                        }
                        rows->push_back(std::move(line));
                        return true;
                    });
}

int64_t getNumberWithQueryString(const std::string& query, const std::string& databaseFilePath,
                                 std::string* errorString) {
    std::vector<std::string> values;
    int rc = getRows(&values, query, databaseFilePath, errorString);
    if (rc != SQLITE_OK || values.empty()) return -1;
    return std::strtoll(values.front().c_str(), nullptr, 10);
}

int64_t countRowsWithQuery(const std::string& query, const std::string& databaseFilePath) {
    if (databaseFilePath.empty()) {
        logMissingResource(databaseFilePath);
        return -1;
    }
    DBConnection connection(databaseFilePath, ConnectionKind::Plain);
    if (!connection.isOpen()) {
        systemLog("Could not open the database " + databaseFilePath);
        return -1;
    }
    int64_t count = 0;
    int rc = forEachRow(connection.handle(), query, [&](sqlite3_stmt*) {
        ++count;
        return true;
    });
    return rc == SQLITE_OK ? count : -1;
}

int getFieldNames(std::vector<std::string>* fieldNames, const std::string& query,
                  const std::string& databaseFilePath, std::string* errorString) {
    if (databaseFilePath.empty()) {
        logMissingResource(databaseFilePath);
        return kMissingPathResult;
    }
    DBConnection connection(databaseFilePath, ConnectionKind::Plain);
    if (!openReader(connection, databaseFilePath, errorString)) return connection.openResult();
    int rc = forEachRow(connection.handle(), query, [&](sqlite3_stmt* statement) {
        int columns = sqlite3_column_count(statement);
        for (int i = 0; i < columns; ++i) {
            fieldNames->push_back(columnName(statement, i, "", kInvalidUtf8Marker));
        }
        return true;
    });
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

int getColumnNames(std::vector<std::string>* columnNames,
                   std::vector<DBTextRow>* columnValuesInArrays, int64_t rowLimit,
                   const std::string& queryString, const std::string& databaseFilePath,
                   std::string* errorString) {
    if (databaseFilePath.empty()) {
        appendError(errorString, localizedString("Database file path was nil"));
        return -1;
    }
    std::optional<DBConnection> connection;
    if (openForStatement(connection, databaseFilePath, ConnectionKind::Plain, errorString) !=
        SQLITE_OK) {
        return -1;
    }
    Statement statement;
    if (statement.prepare(connection->handle(), queryString) != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return -1;
    }
    if (!statement) return 0;
    int result;
    int step = sqlite3_step(statement.get());
    if (step == SQLITE_ROW) {
        result = sqlite3_column_count(statement.get());
        readStatementRows(statement.get(), columnNames, columnValuesInArrays, rowLimit);
    } else {
        result = step == SQLITE_DONE ? 0 : -1;
    }
    if (statement.finalize() != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        if (result == 0) result = -1;
    }
    return result;
}

}  // namespace DBInterface
