#include "Common/SchemaChanges.h"

#include <sqlite3.h>

#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/MetaTables.h"
#include "Common/RowidField.h"
#include "Common/SQLQuote.h"
#include "Common/SortSettings.h"
#include "Common/WriteTransaction.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/StringFormat.h"

namespace DBInterface {

namespace {
int runScript(const std::string& sql, const std::string& databaseFilePath,
              std::string* errorString) {
    return execMultipleQueryString(sql, nullptr, nullptr, databaseFilePath, errorString);
}
}  // namespace

int createTable(const std::string& tableName, int64_t flags,
                const std::vector<std::string>& fieldNames, const std::vector<int>& fieldTypes,
                const std::vector<int64_t>* fieldFormatStyles,
                const std::vector<std::string>* fieldLookupTables,
                const std::string& databaseFilePath, std::string* errorString) {
    if (!fieldNames.empty() && fieldNames.size() != fieldTypes.size()) {
        appendError(errorString, formatText("Field name count %ld not equal to field format count "
                                            "%ld",
                                            {std::to_string(fieldNames.size()),
                                             std::to_string(fieldTypes.size())}));
        return -1;
    }
    // An older file's field rows have no lookup table column yet.
    if (int rc = addLookupTableFieldToDatabaseFilePath(databaseFilePath, errorString)) return rc;
    // The names stand as given: a name chosen for a new table was cleaned where it was chosen,
    // and the meta rows of a table that exists must name it and its columns as they are.
    const std::string name = quoteLiteral(tableName);
    // The name has no unique index: the row is written only where none is there yet.
    std::string sql =
        createTablesMetaTableSQL() + "insert into varnelo_db_tables (name, number, flags) select " +
        name + ", (select count(*) + 1 from varnelo_db_tables), " + std::to_string(flags) +
        " where not exists (select 1 from varnelo_db_tables where name=" + name + ");\n";
    std::vector<std::string> columns = fieldNames;
    if (fieldNames.empty()) {
        for (size_t i = 1; i <= fieldTypes.size(); ++i) {
            columns.push_back("Field " + std::to_string(i));
        }
    } else {
        sql += createFieldsMetaTableSQL() +
               "delete from varnelo_db_fields where table_name=" + name + ";\n" +
               fieldRowsSQL(tableName, columns, fieldTypes, fieldFormatStyles, fieldLookupTables);
    }
    sql += "create table if not exists " + quoteIdentifier(tableName) + " (";
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + quoteIdentifier(columns[i]);
    }
    sql += ");";
    return runScript(writeTransactionScript(sql), databaseFilePath, errorString);
}

int renameTable(const std::string& oldName, const std::string& newName,
                const std::string& databaseFilePath, std::string* errorString) {
    std::string from = quoteLiteral(oldName), to = quoteLiteral(newName);
    std::string sql = "alter table " + quoteIdentifier(oldName) + " rename to " +
                      quoteIdentifier(newName) + ";\n";
    if (doesTableExist(kTablesMetaTable, databaseFilePath)) {
        sql += "update varnelo_db_tables set name=" + to + " where name=" + from + ";\n";
    }
    if (doesTableExist(kFieldsMetaTable, databaseFilePath)) {
        sql +=
            "update varnelo_db_fields set table_name=" + to + " where table_name=" + from + ";\n";
        // Fields that show the renamed table as their lookup table follow it too.
        if (doesFieldExist("lookup_table", kFieldsMetaTable, databaseFilePath, nullptr).second) {
            sql += "update varnelo_db_fields set lookup_table=" + to +
                   " where lookup_table=" + from + ";\n";
        }
    }
    return runScript(writeTransactionScript(sql), databaseFilePath, errorString);
}

int deleteObject(const std::string& name, const std::string& type,
                 const std::string& databaseFilePath, std::string* errorString) {
    if (name.empty() || type.empty()) {
        appendError(errorString, localizedString("Nil object name or type"));
        return -1;
    }
    std::string kind = type == "view" || type == "index" || type == "trigger" ? type : "table";
    std::string drop = "drop " + kind + " if exists " + quoteIdentifier(name) + ";\n";
    if (name.rfind("varnelo_db_", 0) == 0) return runScript(drop, databaseFilePath, errorString);
    return runScript(writeTransactionScript(drop + deleteMetaRowsSQL(name, databaseFilePath)),
                     databaseFilePath, errorString);
}

int copyRowsFromTable(const std::string& fromTable, const std::vector<std::string>& fromFields,
                      const std::string& toTable, const std::vector<std::string>& toFields,
                      const std::string& databaseFilePath, std::string* errorString) {
    if (fromTable.empty() || fromFields.empty() || toTable.empty() || toFields.empty() ||
        databaseFilePath.empty()) {
        return -1;
    }
    return execCommandString(
        "insert into " + quoteIdentifier(toTable) + " (" + quoteIdentifierList(toFields) +
            ") select " + quoteIdentifierList(fromFields) + " from " + quoteIdentifier(fromTable),
        databaseFilePath, errorString);
}

int copyRowsDatabase(const std::string& fromDatabaseFilePath, const std::string& fromTable,
                     const std::vector<std::string>& fromFields, const std::string& toTable,
                     const std::vector<std::string>& toFields,
                     const std::string& toDatabaseFilePath, std::string* errorString) {
    if (fromDatabaseFilePath.empty() || fromTable.empty() || fromFields.empty() ||
        toTable.empty() || toFields.empty() || toDatabaseFilePath.empty()) {
        return -1;
    }
    // Attaching would create a missing source file as an empty database.
    if (!isValidDatabaseFile(fromDatabaseFilePath)) {
        appendError(errorString,
                    localizedFormat("Could not open the database %@", {fromDatabaseFilePath}));
        return SQLITE_CANTOPEN;
    }
    // The attachment ends when the runner closes its connection.
    return runScript("attach database " + quoteLiteral(fromDatabaseFilePath) +
                         " as varnelo_db_attached_db;\ninsert into main." +
                         quoteIdentifier(toTable) + " (" + quoteIdentifierList(toFields) +
                         ") select " + quoteIdentifierList(fromFields) +
                         " from varnelo_db_attached_db." + quoteIdentifier(fromTable) + ";",
                     toDatabaseFilePath, errorString);
}

std::string queryStringToCreateView(const std::string& viewName, const std::string* tableName,
                                    const std::vector<std::string>& fieldNames,
                                    const std::vector<std::string>& newFieldNames) {
    std::string sql = "CREATE VIEW " + quoteIdentifier(viewName) + " AS\nSELECT ";
    if (!fieldNames.empty() && fieldNames.size() == newFieldNames.size()) {
        for (size_t i = 0; i < fieldNames.size(); ++i) {
            sql += (i ? ", " : "") + quoteIdentifier(fieldNames[i]);
            if (!newFieldNames[i].empty()) {
                sql += " AS " + quoteIdentifier(newFieldNames[i]);
            } else if (fieldNames[i] == kRowidFieldName) {
                // SQLite names the rowid's column after an INTEGER PRIMARY KEY that aliases it;
                // the view's column keeps the name its field description is stored under.
                sql += " AS " + quoteIdentifier(kRowidFieldName);
            }
        }
    }
    if (tableName) sql += "\nFROM " + quoteIdentifier(*tableName);
    return sql;
}

int createView(const std::string& viewName, const std::string& createViewQueryString,
               const std::vector<std::string>& fieldNames, const std::vector<int>& fieldTypes,
               const std::vector<int64_t>& fieldFormatStyles,
               const std::vector<std::string>* fieldLookupTables, bool isSortedOnUniqueKey,
               const std::string& databaseFilePath, std::string* errorString) {
    std::string rows;
    if (!fieldNames.empty() && fieldNames.size() == fieldTypes.size() &&
        fieldNames.size() == fieldFormatStyles.size()) {
        rows =
            fieldRowsSQL(viewName, fieldNames, fieldTypes, &fieldFormatStyles, fieldLookupTables);
    }
    if (int rc = addLookupTableFieldToDatabaseFilePath(databaseFilePath, errorString)) return rc;
    std::string sql = createFieldsMetaTableSQL() +
                      "delete from varnelo_db_fields where table_name=" + quoteLiteral(viewName) +
                      ";\n" + rows + createViewQueryString;
    int rc = runScript(writeTransactionScript(sql), databaseFilePath, errorString);
    if (rc != 0 || !isSortedOnUniqueKey) return rc;
    return updateSystemTable(viewName, kTableFlagSortedOnUniqueKey, true, databaseFilePath,
                             errorString);
}

}  // namespace DBInterface
