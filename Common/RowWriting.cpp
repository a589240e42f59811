#include "Common/RowWriting.h"

#include <sqlite3.h>

#include <optional>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/HeldPrefixPages.h"
#include "Common/RowInserter.h"
#include "Common/RowidText.h"
#include "Common/SQLQuote.h"
#include "Common/WriteTransaction.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/StringFormat.h"

namespace DBInterface {

namespace {
constexpr int kRefused = -1;

// The literal of the value, or nullopt (with the message) when it is the marker.
std::optional<std::string> writableLiteral(const FieldValue& value, const std::string& fieldName,
                                           std::string* errorString) {
    std::string literal = fieldValueSQLForNullableObject(value);
    if (!isInvalidUtf8MarkerLiteral(literal)) return literal;
    appendError(errorString,
                formatText("Field \"%@\" cannot be updated to that special string.", {fieldName}));
    return std::nullopt;
}

std::string rowidList(const std::vector<std::string>& rowids) {
    return commaSeparatedStringForStringArray(&rowids, false);
}

// Deleted elsewhere since it was read: the values went nowhere.
int rowGone(std::string* errorString) {
    appendError(errorString, rowNoLongerExistsMessage());
    return kRowGone;
}

// Runs the statements of sql on the open connection; their rows, when asked for, are appended as
// the grid reads values. SQLite's code, its message appended.
int runOn(DBConnection& connection, const std::string& sql, std::vector<DBRow>* rows,
          std::string* errorString) {
    int rc = forEachRow(connection.handle(), sql, [rows](sqlite3_stmt* statement) {
        if (!rows) return true;
        rows->push_back(rowValues(statement));
        return true;
    });
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

// Begins the write's transaction with the file's write lock, so that what was shown, checked
// first, holds until the commit.
int beginWrite(std::optional<DBConnection>& connection, const std::string& table,
               const ShownRows* shown, const std::vector<std::string>& written,
               const std::string& databaseFilePath, std::string* errorString) {
    int rc = beginWriteTransaction(connection, databaseFilePath, errorString);
    if (rc == SQLITE_OK && shown) {
        rc = checkShownRows(*shown, table, *connection, errorString, written);
        // Refused: rolled back.
        if (rc != SQLITE_OK) endWriteTransaction(*connection, rc, nullptr);
    }
    return rc;
}

// shown takes the rows of the rowids as the file holds them, read in the write's transaction.
int takeWrittenRows(ShownRows* shown, const std::string& table,
                    const std::vector<std::string>& rowids, DBConnection& connection,
                    std::string* errorString) {
    if (!shown) return SQLITE_OK;
    std::vector<DBRow> rows;
    int rc = readShownRows(&rows, *shown, table, rowids, connection, errorString);
    if (rc == SQLITE_OK) {
        shown->rows = std::move(rows);
        shown->rowsSchemaVersion = schemaVersion(connection.handle());
    }
    return rc;
}

std::vector<std::string> rowidsOf(const std::vector<DBRow>& rows) {
    std::vector<std::string> rowids;
    for (const DBRow& row : rows) {
        if (!row.empty() && row.front()) rowids.push_back(*row.front());
    }
    return rowids;
}
}  // namespace

int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, DBValue* stored, std::string* rowidAfter,
                const std::string& databaseFilePath, std::string* errorString, ShownRows* shown) {
    if (value.isNoObject() || table.empty() || fieldName.empty() || rowid.empty()) {
        return kRefused;
    }
    auto literal = writableLiteral(value, fieldName, errorString);
    if (!literal || !checkRowid(rowid, errorString)) return kRefused;
    std::optional<DBConnection> connection;
    int rc = beginWrite(connection, table, shown, {rowid}, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    rc = runOn(*connection,
               "update " + quoteIdentifier(table) + " set " + quoteIdentifier(fieldName) + "=" +
                   *literal + " where rowid=" + rowid,
               nullptr, errorString);
    if (rc == SQLITE_OK && sqlite3_changes64(connection->handle()) == 0) rc = rowGone(errorString);
    if (rc != SQLITE_OK || (!stored && !rowidAfter && !shown)) {
        return endWriteTransaction(*connection, rc, errorString);
    }
    const std::string select = "select " + quoteIdentifier(fieldName) + ", rowid from " +
                               quoteIdentifier(table) + " where rowid=";
    std::vector<DBRow> rows;
    rc = runOn(*connection, select + rowid, &rows, errorString);
    // A field that is the table's rowid moved the row to the value written.
    if (rc == SQLITE_OK && rows.empty()) {
        rc = runOn(*connection,
                   select + *literal + " and " + quoteIdentifier(fieldName) + " is rowid", &rows,
                   errorString);
    }
    if (rc == SQLITE_OK && !rows.empty()) {
        const std::string after = rows.front()[1].value_or(rowid);
        if (stored) *stored = rows.front()[0];
        if (rowidAfter) *rowidAfter = after;
        rc = takeWrittenRows(shown, table, {after}, *connection, errorString);
    }
    return endWriteTransaction(*connection, rc, errorString);
}

int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, DBValue* stored, const std::string& databaseFilePath,
                std::string* errorString) {
    return updateField(value, table, fieldName, rowid, stored, nullptr, databaseFilePath,
                       errorString);
}

int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, const std::string& databaseFilePath,
                std::string* errorString) {
    return updateField(value, table, fieldName, rowid, nullptr, nullptr, databaseFilePath,
                       errorString);
}

int updateFieldValues(const std::vector<FieldValue>& values,
                      const std::vector<std::string>& fieldNames,
                      const std::set<std::string>& hiddenFields, const std::string& table,
                      const std::string& rowid, const std::string& databaseFilePath,
                      std::string* errorString, ShownRows* shown) {
    if (values.size() != fieldNames.size()) {
        appendError(errorString,
                    formatText("Field values count %ld does not equal field names "
                               "count %ld",
                               {std::to_string(values.size()), std::to_string(fieldNames.size())}));
        return kRefused;
    }
    std::vector<std::string> items;
    for (size_t i = 0; i < fieldNames.size(); ++i) {
        if (hiddenFields.contains(fieldNames[i])) continue;
        auto literal = writableLiteral(values[i], fieldNames[i], errorString);
        if (!literal) return kRefused;
        items.push_back(" " + quoteIdentifier(fieldNames[i]) + "=" + *literal);
    }
    if (items.empty()) {
        appendError(errorString, "No fields were included that can be updated.");
        return kRefused;
    }
    if (!checkRowid(rowid, errorString)) return kRefused;
    std::optional<DBConnection> connection;
    int rc = beginWrite(connection, table, shown, {rowid}, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    rc = runOn(*connection,
               "update " + quoteIdentifier(table) + " set" +
                   commaSeparatedStringForStringArray(&items, false) + " where rowid=" + rowid,
               nullptr, errorString);
    if (rc == SQLITE_OK && sqlite3_changes64(connection->handle()) == 0) rc = rowGone(errorString);
    if (rc == SQLITE_OK) rc = takeWrittenRows(shown, table, {rowid}, *connection, errorString);
    return endWriteTransaction(*connection, rc, errorString);
}

int updateRowsArray(const std::vector<std::string>& rowids,
                    const std::vector<std::string>& fieldNames, const FieldValue& fieldValue,
                    const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString, ShownRows* shown) {
    if (table.empty() || fieldNames.empty()) return kRefused;
    auto literal = writableLiteral(fieldValue, fieldNames.front(), errorString);
    if (!literal || !checkRowids(rowids, errorString)) return kRefused;
    std::vector<std::string> assignments;
    for (const std::string& name : fieldNames) {
        assignments.push_back(quoteIdentifier(name) + "=" + *literal);
    }
    std::string sql = "update " + quoteIdentifier(table) + " set " +
                      commaSeparatedStringForStringArray(&assignments, false);
    if (!rowids.empty()) sql += " where ROWID in (" + rowidList(rowids) + ")";
    std::optional<DBConnection> connection;
    int rc = beginWrite(connection, table, shown, rowids, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    rc = runOn(*connection, sql, nullptr, errorString);
    if (rc == SQLITE_OK && shown) {
        rc = takeWrittenRows(shown, table, rowidsOf(shown->rows), *connection, errorString);
    }
    return endWriteTransaction(*connection, rc, errorString);
}

int updateRowsFields(const std::vector<RowFields>& rows, const FieldValue& value,
                     const std::string& table, size_t* rowsWritten,
                     const std::string& databaseFilePath, std::string* errorString,
                     ShownRows* shown) {
    if (rowsWritten) *rowsWritten = 0;
    if (value.isNoObject() || table.empty() || rows.empty()) return kRefused;
    std::optional<std::string> literal;
    for (const RowFields& row : rows) {
        if (!checkRowid(row.rowid, errorString)) return kRefused;
        if (!literal && !row.fieldNames.empty()) {
            literal = writableLiteral(value, row.fieldNames.front(), errorString);
            if (!literal) return kRefused;
        }
    }
    if (!literal) return kRefused;
    std::vector<std::string> rowids;
    for (const RowFields& row : rows) rowids.push_back(row.rowid);
    std::optional<DBConnection> connection;
    int rc = beginWrite(connection, table, shown, rowids, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    std::vector<std::string> written;
    for (const RowFields& row : rows) {
        if (row.fieldNames.empty()) continue;
        std::vector<std::string> assignments;
        for (const std::string& name : row.fieldNames) {
            assignments.push_back(quoteIdentifier(name) + "=" + *literal);
        }
        rc = runOn(*connection,
                   "update " + quoteIdentifier(table) + " set " +
                       commaSeparatedStringForStringArray(&assignments, false) +
                       " where rowid=" + row.rowid,
                   nullptr, errorString);
        if (rc == SQLITE_OK && sqlite3_changes64(connection->handle()) == 0) {
            rc = rowGone(errorString);
        }
        if (rc != SQLITE_OK) break;
        written.push_back(row.rowid);
    }
    // The rows before a failing one stay written: the transaction is committed with them.
    int read = takeWrittenRows(shown, table, written, *connection, errorString);
    // A conflict clause of ROLLBACK may have ended the transaction with the rows in it.
    if (sqlite3_get_autocommit(connection->handle())) {
        written.clear();
    } else if (int commit = endWriteTransaction(*connection, read, errorString);
               commit != SQLITE_OK) {
        written.clear();
        if (rc == SQLITE_OK) rc = commit;
    }
    if (rowsWritten) *rowsWritten = written.size();
    return rc;
}

std::string stringForInsertRowIntoTable(const std::string& table,
                                        const std::vector<std::string>& fieldNames,
                                        const std::vector<FieldValue>& fieldValues,
                                        const std::set<std::string>& hiddenFields,
                                        bool removeFirstValue, const std::string& rowidAlias) {
    size_t first = removeFirstValue && !fieldValues.empty() ? 1 : 0;
    std::vector<std::string> columns;
    std::vector<std::string> literals;
    for (size_t i = 0; i < fieldNames.size() && first + i < fieldValues.size(); ++i) {
        if (hiddenFields.contains(fieldNames[i])) continue;
        std::string literal = fieldValueSQLForNullableObject(fieldValues[first + i]);
        if (literal == "''" && !rowidAlias.empty() &&
            sqlite3_stricmp(fieldNames[i].c_str(), rowidAlias.c_str()) == 0) {
            continue;
        }
        columns.push_back(fieldNames[i]);
        literals.push_back(std::move(literal));
    }
    if (columns.empty()) return "insert into " + quoteIdentifier(table) + " default values";
    return "insert into " + quoteIdentifier(table) + " (" +
           commaSeparatedStringForStringArray(&columns, true) + ") values (" +
           commaSeparatedStringForStringArray(&literals, false) + ")";
}

int insertAllFieldValues(const std::vector<FieldValue>& values,
                         const std::vector<std::string>& fieldNames,
                         const std::set<std::string>& hiddenFields, const std::string& table,
                         int64_t* lastRowID, bool removeFirstValue, DBRow* storedRow,
                         const std::string& databaseFilePath, std::string* errorString,
                         ShownRows* shown) {
    if (fieldNames.empty() || values.empty()) {
        appendError(errorString, "Both field names and values are required.");
        return kRefused;
    }
    std::optional<DBConnection> connection;
    int rc = beginWrite(connection, table, nullptr, {}, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    std::string alias;
    rc = rowidAliasColumn(connection->handle(), table, &alias, errorString);
    if (rc == SQLITE_OK) {
        rc = runOn(*connection,
                   stringForInsertRowIntoTable(table, fieldNames, values, hiddenFields,
                                               removeFirstValue, alias),
                   nullptr, errorString);
    }
    const std::string rowid = std::to_string(sqlite3_last_insert_rowid(connection->handle()));
    if (rc == SQLITE_OK && storedRow) {
        std::vector<DBRow> rows;
        rc = runOn(*connection,
                   "select rowid, " + quoteIdentifierList(fieldNames) + " from " +
                       quoteIdentifier(table) + " where rowid=" + rowid,
                   &rows, errorString);
        if (rc == SQLITE_OK && !rows.empty()) *storedRow = std::move(rows.front());
    }
    if (rc == SQLITE_OK) rc = takeWrittenRows(shown, table, {rowid}, *connection, errorString);
    rc = endWriteTransaction(*connection, rc, errorString);
    if (rc == SQLITE_OK && lastRowID) *lastRowID = std::stoll(rowid);
    return rc;
}

int addBlankRows(uint64_t count, const std::vector<std::string>& fieldNames,
                 const std::string& tableName, int64_t* numberOfChanges,
                 const std::string& databaseFilePath, std::string* errorString) {
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    rc = beginWriteTransaction(*connection, errorString);
    RowInserter inserter(db, tableName, fieldNames);
    const std::vector<DBValue> blanks(fieldNames.size(), std::string());
    const std::string defaults = "insert into " + quoteIdentifier(tableName) + " default values";
    for (uint64_t i = 0; i < count && rc == SQLITE_OK; ++i) {
        rc = fieldNames.empty() ? execOnConnection(db, defaults, errorString)
                                : inserter.insert(blanks, errorString);
    }
    // A failing insert leaves the transaction open; closing the connection rolls it back.
    if (rc != SQLITE_OK) return rc;
    rc = execOnConnection(db, "commit transaction", errorString);
    if (rc == SQLITE_OK && numberOfChanges) *numberOfChanges = sqlite3_changes64(db);
    return rc;
}

int deleteRow(const std::string& rowid, const std::string& table,
              const std::string& databaseFilePath, std::string* errorString,
              const ShownRows* shown) {
    if (!checkRowid(rowid, errorString)) return kRefused;
    return deleteRowsArray({rowid}, table, databaseFilePath, errorString, shown);
}

int deleteRowsArray(const std::vector<std::string>& rowids, const std::string& table,
                    const std::string& databaseFilePath, std::string* errorString,
                    const ShownRows* shown) {
    if (table.empty() || rowids.empty() || !checkRowids(rowids, errorString)) return kRefused;
    std::optional<DBConnection> connection;
    int rc = beginWrite(connection, table, shown, rowids, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    rc = runOn(
        *connection,
        "delete from " + quoteIdentifier(table) + " where ROWID in (" + rowidList(rowids) + ")",
        nullptr, errorString);
    return endWriteTransaction(*connection, rc, errorString);
}

int deleteFromTable(const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString, const TableIdentity* shown) {
    const std::string sql = "delete from " + quoteIdentifier(table);
    if (!shown) return execCommandString(sql, databaseFilePath, errorString);
    std::optional<DBConnection> connection;
    int rc = beginWriteTransaction(connection, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    rc = checkTableIdentity(*shown, *connection, errorString);
    if (rc == SQLITE_OK) rc = runOn(*connection, sql, nullptr, errorString);
    return endWriteTransaction(*connection, rc, errorString);
}

int vacuumDatabaseFilePath(const std::string& databaseFilePath, std::string* errorString) {
    return execCommandString("vacuum", databaseFilePath, errorString);
}

}  // namespace DBInterface
