#include "Common/MetaTables.h"

#include <map>

#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/Helpers.h"
#include "Common/SQLQuote.h"
#include "Common/ShownRows.h"
#include "Common/WriteTransaction.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/SystemLog.h"

namespace DBInterface {

std::string createTablesMetaTableSQL() {
    return "create table if not exists varnelo_db_tables (name not null default '', number int not "
           "null default 0, flags int not null default 0, search_field not null default '', "
           "sort_field1 not null default '', sort_field2 not null default '', sort_field3 not null "
           "default '');\ncreate index if not exists indtablename on varnelo_db_tables (name);\n";
}

std::string createFieldsMetaTableSQL() {
    return "create table if not exists varnelo_db_fields (table_name not null default '', name not "
           "null default '', number int not null default 0, type int not null default 0, flags "
           "int not null default 0, lookup_table not null default '' );\ncreate index if not "
           "exists indfieldname on varnelo_db_fields (table_name, name);\n";
}

std::string fieldRowsSQL(const std::string& tableName, const std::vector<std::string>& names,
                         const std::vector<int>& types, const std::vector<int64_t>* formatStyles,
                         const std::vector<std::string>* lookupTables) {
    std::string sql;
    for (size_t i = 0; i < names.size() && i < types.size(); ++i) {
        int64_t index = static_cast<int64_t>(i);
        sql +=
            "insert into varnelo_db_fields (table_name, name, number, type, flags, "
            "lookup_table) values (" +
            quoteLiteral(tableName) + ", " + quoteLiteral(names[i]) + ", " + std::to_string(i + 1) +
            ", " + std::to_string(types[i]) + ", " +
            std::to_string(objectAtIndexOrDefault<int64_t>(formatStyles, index, 0)) + ", " +
            quoteLiteral(objectAtIndexOrDefault<std::string>(lookupTables, index, "")) + ");\n";
    }
    return sql;
}

int changeFieldsForTable(const std::string& tableName,
                         const std::vector<std::string>& newFieldNames,
                         const std::vector<int>& newFieldTypes,
                         const std::vector<int64_t>* newFieldFormatStyles,
                         const std::vector<std::string>& newFieldLookupTables,
                         const std::string& databaseFilePath, std::string* errorString,
                         bool namesRead, const FieldSettings* settingsRead) {
    if (newFieldNames.size() != newFieldTypes.size() ||
        newFieldNames.size() != newFieldLookupTables.size()) {
        appendError(errorString,
                    localizedFormat(
                        "Field name count: %d\nField format count: %d\nLookup table "
                        "count: %d",
                        {std::to_string(newFieldNames.size()), std::to_string(newFieldTypes.size()),
                         std::to_string(newFieldLookupTables.size())}));
        return 1;
    }
    if (int rc = addLookupTableFieldToDatabaseFilePath(databaseFilePath, errorString)) return rc;
    std::optional<DBConnection> connection;
    int rc = beginWriteTransaction(connection, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    if (namesRead) {
        rc = checkFieldNames(newFieldNames, tableName, *connection, errorString, settingsRead);
    }
    if (rc == SQLITE_OK) {
        rc = runStatements(*connection,
                           createFieldsMetaTableSQL() +
                               "delete from varnelo_db_fields where table_name=" +
                               quoteLiteral(tableName) + ";\n" +
                               fieldRowsSQL(tableName, newFieldNames, newFieldTypes,
                                            newFieldFormatStyles, &newFieldLookupTables),
                           errorString);
    }
    return endWriteTransaction(*connection, rc, errorString);
}

namespace {
// A value written bare into SQL must be a plain integer; anything else becomes 0.
std::string integerText(const std::string& text) {
    size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size()) return "0";
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return "0";
    }
    return text;
}
}  // namespace

std::string deleteMetaRowsSQL(const std::string& name, const std::string& databaseFilePath) {
    std::string sql;
    if (doesTableExist(kTablesMetaTable, databaseFilePath)) {
        sql += "delete from main.varnelo_db_tables where name=" + quoteLiteral(name) + ";\n";
    }
    if (doesTableExist(kFieldsMetaTable, databaseFilePath)) {
        sql += "delete from main.varnelo_db_fields where table_name=" + quoteLiteral(name) + ";\n";
    }
    return sql;
}

std::string systemTableFlagsSQL(const std::vector<std::string>& values,
                                const std::string& tableName) {
    // The row is numbered after the rows already there, counted when the statement runs.
    return createTablesMetaTableSQL() +
           "insert or ignore into varnelo_db_tables (name, number, flags, search_field, "
           "sort_field1, sort_field2, sort_field3) values (" +
           quoteLiteral(tableName) + ", (select count(*) + 1 from varnelo_db_tables), " +
           integerText(values[0]) + ", " + quoteLiteral(values[1]) + ", " +
           quoteLiteral(values[2]) + ", " + quoteLiteral(values[3]) + ", " +
           quoteLiteral(values[4]) + ");\n";
}

int addSystemTableFlags(const std::vector<std::string>& values, const std::string& tableName,
                        const std::string& databaseFilePath, std::string* errorString) {
    if (values.size() != 5) {
        systemLog(formatText("addSystemTableFlags: invalid array count %d",
                             {std::to_string(values.size())}));
        return -1;
    }
    return execMultipleQueryString(writeTransactionScript(systemTableFlagsSQL(values, tableName)),
                                   nullptr, nullptr, databaseFilePath, errorString);
}

std::string systemFieldsSQL(const std::vector<std::string>& values, const std::string& tableName) {
    std::string sql = createFieldsMetaTableSQL();
    for (size_t i = 0; i + 3 < values.size(); i += 4) {
        sql += "insert into varnelo_db_fields (table_name, name, number, type, flags) values (" +
               quoteLiteral(tableName) + ", " + quoteLiteral(values[i]) + ", " +
               integerText(values[i + 1]) + ", " + integerText(values[i + 2]) + ", " +
               integerText(values[i + 3]) + ");\n";
    }
    return sql;
}

int addSystemFields(const std::vector<std::string>& values, const std::string& tableName,
                    const std::string& databaseFilePath, std::string* errorString) {
    if (values.empty() || values.size() % 4 != 0) {
        systemLog(formatText("addSystemFieldsForTable: invalid field count %d",
                             {std::to_string(values.size())}));
        return -1;
    }
    return execMultipleQueryString(writeTransactionScript(systemFieldsSQL(values, tableName)),
                                   nullptr, nullptr, databaseFilePath, errorString);
}

int makeTableSortByROWIDUp(const std::string& tableName, const std::string& databaseFilePath,
                           std::string* errorString) {
    if (!doesTableExist(kTablesMetaTable, databaseFilePath)) return 0;
    return execCommandString(
        "update varnelo_db_tables set flags=1 where name=" + quoteLiteral(tableName),
        databaseFilePath, errorString);
}

int getIndexSchemas(std::vector<std::string>* indexSchemas, const std::string& tableName,
                    const std::string& databaseFilePath, std::string* errorString) {
    return getRows(
        indexSchemas,
        "select sql from sqlite_master where type='index' and tbl_name=" + quoteLiteral(tableName),
        databaseFilePath, errorString);
}

std::pair<int, bool> doesFieldExist(const std::string& fieldName, const std::string& tableName,
                                    const std::string& databaseFilePath, std::string* errorString) {
    std::vector<std::string> values;
    int rc =
        getRows(&values, "select name from pragma_table_xinfo(" + quoteLiteral(tableName) + ")",
                databaseFilePath, errorString);
    if (rc != 0) return {rc, false};
    for (const std::string& name : values) {
        if (name == fieldName) return {0, true};
    }
    return {0, false};
}

int addLookupTableFieldToDatabaseFilePath(const std::string& databaseFilePath,
                                          std::string* errorString) {
    if (!doesTableExist(kFieldsMetaTable, databaseFilePath)) return 0;
    auto [rc, exists] =
        doesFieldExist("lookup_table", kFieldsMetaTable, databaseFilePath, errorString);
    if (rc != 0 || exists) return 0;
    return execCommandString(
        "alter table varnelo_db_fields add column lookup_table not null default ''",
        databaseFilePath, errorString);
}

int getFieldLookupTables(std::vector<std::string>* lookupTables, const std::string& tableName,
                         const std::vector<std::string>& fieldNames,
                         const std::string& databaseFilePath, std::string* errorString) {
    if (!doesTableExist(kFieldsMetaTable, databaseFilePath)) return 0;
    auto [columnRC, hasColumn] =
        doesFieldExist("lookup_table", kFieldsMetaTable, databaseFilePath, errorString);
    if (columnRC != 0 || !hasColumn) return 0;
    std::vector<std::string> values;
    int rc = getRows(&values,
                     "select name, lookup_table from varnelo_db_fields where table_name=" +
                         quoteLiteral(tableName),
                     databaseFilePath, errorString);
    if (rc != 0) return rc;
    std::map<std::string, std::string> byName;
    for (size_t i = 0; i + 1 < values.size(); i += 2) byName[values[i]] = values[i + 1];
    for (const std::string& name : fieldNames) {
        auto found = byName.find(name);
        lookupTables->push_back(found == byName.end() ? "" : found->second);
    }
    return 0;
}

}  // namespace DBInterface
