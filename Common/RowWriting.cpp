#include "Common/RowWriting.h"

#include "Common/DBExecution.h"
#include "Common/RowidText.h"
#include "Common/SQLQuote.h"
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
}  // namespace

int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, int64_t* numberOfChanges,
                const std::string& databaseFilePath, std::string* errorString) {
    if (value.isNoObject() || table.empty() || fieldName.empty() || rowid.empty()) {
        return kRefused;
    }
    auto literal = writableLiteral(value, fieldName, errorString);
    if (!literal || !checkRowid(rowid, errorString)) return kRefused;
    return execCommandString("update " + quoteIdentifier(table) + " set " +
                                 quoteIdentifier(fieldName) + "=" + *literal +
                                 " where rowid=" + rowid,
                             numberOfChanges, nullptr, databaseFilePath, errorString);
}

int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, const std::string& databaseFilePath,
                std::string* errorString) {
    return updateField(value, table, fieldName, rowid, nullptr, databaseFilePath, errorString);
}

int updateFieldValues(const std::vector<FieldValue>& values,
                      const std::vector<std::string>& fieldNames,
                      const std::set<std::string>& hiddenFields, const std::string& table,
                      const std::string& rowid, const std::string& databaseFilePath,
                      std::string* errorString) {
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
    int64_t changes = 0;
    int rc = execCommandString("update " + quoteIdentifier(table) + " set" +
                                   commaSeparatedStringForStringArray(&items, false) +
                                   " where rowid=" + rowid,
                               &changes, nullptr, databaseFilePath, errorString);
    if (rc != 0 || changes > 0) return rc;
    // Deleted elsewhere since it was read: the values went nowhere.
    appendError(errorString, localizedString("The row no longer exists. It may have been deleted "
                                             "in another window or program."));
    return kRefused;
}

int updateRowsArray(const std::vector<std::string>& rowids,
                    const std::vector<std::string>& fieldNames, const FieldValue& fieldValue,
                    const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString) {
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
    return execUpdateStatement(sql, databaseFilePath, errorString);
}

std::string stringForInsertRowIntoTable(const std::string& table,
                                        const std::vector<std::string>& fieldNames,
                                        const std::vector<FieldValue>& fieldValues,
                                        const std::set<std::string>& hiddenFields,
                                        bool removeFirstValue) {
    size_t first = removeFirstValue && !fieldValues.empty() ? 1 : 0;
    std::vector<std::string> columns;
    std::vector<std::string> literals;
    for (size_t i = 0; i < fieldNames.size() && first + i < fieldValues.size(); ++i) {
        if (hiddenFields.contains(fieldNames[i])) continue;
        columns.push_back(fieldNames[i]);
        literals.push_back(fieldValueSQLForNullableObject(fieldValues[first + i]));
    }
    return "insert into " + quoteIdentifier(table) + " (" +
           commaSeparatedStringForStringArray(&columns, true) + ") values (" +
           commaSeparatedStringForStringArray(&literals, false) + ")";
}

int insertAllFieldValues(const std::vector<FieldValue>& values,
                         const std::vector<std::string>& fieldNames,
                         const std::set<std::string>& hiddenFields, const std::string& table,
                         int64_t* lastRowID, bool removeFirstValue,
                         const std::string& databaseFilePath, std::string* errorString) {
    if (fieldNames.empty() || values.empty()) {
        appendError(errorString, "Both field names and values are required.");
        return kRefused;
    }
    return execCommandString(
        stringForInsertRowIntoTable(table, fieldNames, values, hiddenFields, removeFirstValue),
        nullptr, lastRowID, databaseFilePath, errorString);
}

int addBlankRows(uint64_t count, const std::vector<std::string>& fieldNames,
                 const std::string& tableName, int64_t* numberOfChanges,
                 const std::string& databaseFilePath, std::string* errorString) {
    std::string statement;
    if (fieldNames.empty()) {
        statement = "insert into " + quoteIdentifier(tableName) + " default values;";
    } else {
        std::vector<std::string> blanks(fieldNames.size(), "''");
        statement = "insert into " + quoteIdentifier(tableName) + " (" +
                    commaSeparatedStringForStringArray(&fieldNames, true) + ") values (" +
                    commaSeparatedStringForStringArray(&blanks, false) + ");";
    }
    std::string script = "begin transaction; ";
    script.reserve(script.size() + statement.size() * count + 20);
    for (uint64_t i = 0; i < count; ++i) script += statement;
    script += "commit transaction";
    // A failing insert ends the script before the commit; closing the connection rolls back.
    return execMultipleQueryString(script, numberOfChanges, nullptr, databaseFilePath, errorString);
}

int deleteRow(const std::string& rowid, const std::string& table,
              const std::string& databaseFilePath, std::string* errorString) {
    if (!checkRowid(rowid, errorString)) return kRefused;
    return execCommandString("delete from " + quoteIdentifier(table) + " where ROWID=" + rowid,
                             databaseFilePath, errorString);
}

int deleteRowsArray(const std::vector<std::string>& rowids, const std::string& table,
                    const std::string& databaseFilePath, std::string* errorString) {
    if (table.empty() || rowids.empty() || !checkRowids(rowids, errorString)) return kRefused;
    return execCommandString(
        "delete from " + quoteIdentifier(table) + " where ROWID in (" + rowidList(rowids) + ")",
        databaseFilePath, errorString);
}

int deleteFromTable(const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString) {
    return execCommandString("delete from " + quoteIdentifier(table), databaseFilePath,
                             errorString);
}

int vacuumDatabaseFilePath(const std::string& databaseFilePath, std::string* errorString) {
    return execCommandString("vacuum", databaseFilePath, errorString);
}

}  // namespace DBInterface
