#include "Common/DelimitedExport.h"

#include <optional>

#include "Common/DBConnection.h"
#include "Common/DBExistence.h"
#include "Common/ExportFile.h"
#include "Common/ExportRowText.h"
#include "Common/ExportSettings.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/RowidField.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

// The position of a field among the columns, found as SQLite finds it (ASCII letters in either
// case); -1 when it is none of them.
int64_t columnIndex(const std::vector<std::string>& columns, const std::string& field) {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (sqlite3_stricmp(columns[i].c_str(), field.c_str()) == 0) return static_cast<int64_t>(i);
    }
    return -1;
}

// The field "ROWID" that names no column stands for the table's rowid.
bool isRowidField(const std::vector<std::string>& columns, const std::string& field) {
    return columnIndex(columns, field) < 0 && sqlite3_stricmp(field.c_str(), kRowidFieldName) == 0;
}

// The localized type name of each field, looked up by the field's name, since the meta rows'
// numbers go stale when a field is dropped; "Text" for a field without a type, the rowid too.
std::vector<std::string> fieldTypeNames(const std::string& tableName,
                                        const std::vector<std::string>& fields,
                                        const std::string& databaseFilePath) {
    std::vector<std::string> names;
    std::vector<int> types;
    getFieldNames(&names, &types, nullptr, nullptr, tableName, databaseFilePath, nullptr);
    std::vector<std::string> result;
    for (const std::string& field : fields) {
        const int64_t index = columnIndex(names, field);
        result.push_back(
            getColumnTypeStringForceText(index >= 0 && index < static_cast<int64_t>(types.size())
                                             ? types[static_cast<size_t>(index)]
                                             : 0));
    }
    return result;
}

std::string selectQuery(const std::string& tableName, const std::vector<std::string>& columns,
                        const std::vector<std::string>& selectedFields) {
    std::string query = "select ";
    for (size_t i = 0; i < selectedFields.size(); ++i) {
        if (i > 0) query += ",";
        query += isRowidField(columns, selectedFields[i])
                     ? "rowid as " + quoteIdentifier(kRowidFieldName)
                     : quoteIdentifier(selectedFields[i]);
    }
    return query + " from " + quoteIdentifier(tableName);
}

}  // namespace

int dumpFromTable(const std::string& tableName, const std::vector<std::string>& selectedFields,
                  const std::string& filePath, bool append, const std::string& databaseFilePath,
                  std::string* errorString) {
    // A missing file or one that is no database is refused, never created.
    if (int rc = checkExportDatabase(databaseFilePath, errorString); rc != SQLITE_OK) return rc;
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    if (rc != SQLITE_OK) return rc;
    // A double-quoted name that is no column would be read as a text literal, so every field is
    // looked up among the object's columns first; "ROWID" is the rowid, which `select *` never
    // lists, unless a column takes that name.
    Statement allColumns;
    rc = allColumns.prepare(connection->handle(), "select * from " + quoteIdentifier(tableName));
    if (rc != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }
    std::vector<std::string> columns;
    for (int i = 0; i < sqlite3_column_count(allColumns.get()); ++i) {
        columns.push_back(sqlite3_column_name(allColumns.get(), i));
    }
    for (const std::string& field : selectedFields) {
        if (columnIndex(columns, field) < 0 && !isRowidField(columns, field)) {
            appendError(errorString, localizedFormat("no such column: %@", {field}));
            return SQLITE_ERROR;
        }
    }
    Statement rows;
    rc = rows.prepare(connection->handle(), selectQuery(tableName, columns, selectedFields));
    if (rc != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }

    const ExportSettings settings = ExportSettings::fromUserDefaults();
    ExportFile file(filePath, append, errorString);
    if (!file.isOpen()) return kExportFileError;
    std::string& out = file.buffer();
    if (!append) {
        if (settings.fieldNamesRow) appendHeaderRow(out, selectedFields, settings);
        if (settings.fieldTypesRow) {
            appendHeaderRow(out, fieldTypeNames(tableName, selectedFields, databaseFilePath),
                            settings);
        }
    }
    const int columnCount = sqlite3_column_count(rows.get());
    std::string hex;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        appendRow(out, rows.get(), columnCount, settings, hex);
        if (!file.flushIfFull()) return kExportFileError;
    }
    // A failed read leaves the earlier file as it was, like a failed write.
    if (rc != SQLITE_DONE) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }
    return file.commit() ? SQLITE_OK : kExportFileError;
}

}  // namespace DBInterface
