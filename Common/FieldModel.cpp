#include "Common/FieldModel.h"

#include <map>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaListing.h"

namespace DBInterface {

int getQueryColumnNames(std::vector<std::string>* names, const std::string& query,
                        const std::string& databaseFilePath, std::string* errorString) {
    if (databaseFilePath.empty()) return kMissingPathResult;
    DBConnection connection(databaseFilePath, ConnectionKind::Plain);
    if (!connection.isOpen()) {
        appendError(errorString, connection.errorMessage());
        return connection.openResult();
    }
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(connection.handle(), query.c_str(), static_cast<int>(query.size()),
                                &statement, nullptr);
    if (rc != SQLITE_OK) {
        appendError(errorString, connection.errorMessage());
        return rc;
    }
    if (!statement) return SQLITE_OK;
    int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i) {
        names->push_back(columnName(statement, i, "", kInvalidUtf8Marker));
    }
    sqlite3_finalize(statement);
    return SQLITE_OK;
}

namespace {
int toInt(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

int64_t toInt64(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

template <typename T>
void appendAll(std::vector<T>* list, const std::vector<T>& values) {
    if (list) list->insert(list->end(), values.begin(), values.end());
}
}  // namespace

int getFieldNames(std::vector<std::string>* fieldNames, std::vector<int>* fieldTypes,
                  std::vector<int64_t>* formatStyles, std::set<std::string>* hiddenFields,
                  const std::string& tableName, const std::string& databaseFilePath,
                  std::string* errorString) {
    std::vector<std::string> definition;
    int rc = getTableTypeAndDefinition(&definition, tableName, databaseFilePath, errorString);
    if (rc != 0) return rc;
    std::string type = definition.empty() ? "" : definition.front();
    if (type == "view") {
        return getFieldNames(fieldNames, fieldTypes, formatStyles, tableName, databaseFilePath,
                             errorString);
    }
    if (type != "table") return 0;

    std::vector<std::string> columns;
    rc = getRows(&columns,
                 "select name, hidden from pragma_table_xinfo(" + quoteLiteral(tableName) + ")",
                 databaseFilePath, errorString);
    if (rc != 0) return rc;
    std::vector<std::string> names;
    for (size_t i = 0; i + 1 < columns.size(); i += 2) {
        names.push_back(columns[i]);
        if (hiddenFields && toInt(columns[i + 1]) >= 1) hiddenFields->insert(columns[i]);
    }

    std::map<std::string, std::pair<int, int64_t>> byName;
    std::vector<std::string> rows;
    if (doesTableExist(kFieldsMetaTable, databaseFilePath) &&
        getRows(&rows,
                "select name, type, flags from varnelo_db_fields where table_name=" +
                    quoteLiteral(tableName) + " order by number",
                databaseFilePath, nullptr) == 0) {
        for (size_t i = 0; i + 2 < rows.size(); i += 3) {
            byName[rows[i]] = {toInt(rows[i + 1]), toInt64(rows[i + 2])};
        }
    }
    std::vector<int> types;
    std::vector<int64_t> styles;
    for (const std::string& name : names) {
        auto found = byName.find(name);
        types.push_back(found == byName.end() ? 1 : found->second.first);
        styles.push_back(found == byName.end() ? 0 : found->second.second);
    }
    appendAll(fieldNames, names);
    appendAll(fieldTypes, types);
    appendAll(formatStyles, styles);
    return 0;
}

int getFieldNames(std::vector<std::string>* fieldNames, std::vector<int>* fieldTypes,
                  std::vector<int64_t>* formatStyles, const std::string& viewName,
                  const std::string& databaseFilePath, std::string* errorString) {
    std::vector<std::string> names;
    int rc = getQueryColumnNames(&names, "select * from " + quoteIdentifier(viewName) + " limit 1",
                                 databaseFilePath, errorString);
    if (rc != 0) names.clear();
    std::vector<int> types(names.size(), 1);
    std::vector<int64_t> styles(names.size(), 0);
    std::vector<std::string> rows;
    if (!names.empty() && doesTableExist(kFieldsMetaTable, databaseFilePath) &&
        getRows(&rows,
                "select number, type, flags from varnelo_db_fields where table_name=" +
                    quoteLiteral(viewName) + " order by number",
                databaseFilePath, errorString) == 0) {
        for (size_t i = 0; i + 2 < rows.size(); i += 3) {
            int64_t number = toInt64(rows[i]);
            if (number < 1 || number > static_cast<int64_t>(names.size())) continue;
            types[static_cast<size_t>(number - 1)] = toInt(rows[i + 1]);
            styles[static_cast<size_t>(number - 1)] = toInt64(rows[i + 2]);
        }
    }
    appendAll(fieldNames, names);
    appendAll(fieldTypes, types);
    appendAll(formatStyles, styles);
    return rc;
}

}  // namespace DBInterface
