#include "Common/SchemaListing.h"

#include <sqlite3.h>

#include <algorithm>

#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/FieldModel.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/UserDefaults.h"

namespace DBInterface {

namespace {
constexpr const char* kPhotoFieldType = "7";

constexpr std::string_view kSystemTablePrefixes[] = {"varnelo_db_", "sqlite_"};

// "_" is a LIKE wildcard: unescaped, the patterns would also hide user tables such as
// "SQLiteData".
std::string notSystemTableCondition() {
    std::string condition;
    for (std::string_view prefix : kSystemTablePrefixes) {
        std::string pattern;
        for (char c : prefix) pattern += c == '_' ? std::string("\\_") : std::string(1, c);
        condition += std::string(condition.empty() ? "" : " and ") + "name not like '" + pattern +
                     "%' escape '\\'";
    }
    return condition;
}

const std::string kNotSystemTable = notSystemTableCondition();

const std::string kNonSystemTablesQuery = "select name from sqlite_master where type='table' and " +
                                          kNotSystemTable + " order by name collate nocase";

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool showsSystemTables() {
    return UserDefaults::standard().boolForKey("ShowSystemTables");
}
}  // namespace

bool isSystemTable(const std::string& name) {
    return std::any_of(std::begin(kSystemTablePrefixes), std::end(kSystemTablePrefixes),
                       [&](std::string_view prefix) { return startsWith(name, prefix); });
}

bool isHiddenByListings(const std::string& name) {
    // As LIKE compares: ASCII letters without case.
    return std::any_of(std::begin(kSystemTablePrefixes), std::end(kSystemTablePrefixes),
                       [&](std::string_view prefix) {
                           return name.size() >= prefix.size() &&
                                  sqlite3_strnicmp(name.data(), prefix.data(),
                                                   static_cast<int>(prefix.size())) == 0;
                       });
}

SchemaObjectTypeCode tableTypeCodeForSchemaObjectType(const std::string* type) {
    if (!type) return kSchemaTable;
    if (*type == "view") return kSchemaView;
    if (*type == "index") return kSchemaIndex;
    if (*type == "trigger") return kSchemaTrigger;
    return kSchemaTable;
}

int getMasterTables(MasterTables* tables, const std::string& databaseFilePath,
                    std::string* errorString) {
    std::vector<DBRow> rows;
    int rc = getArrayOfRows(&rows, "select type, name, tbl_name, sql from sqlite_master", false,
                            databaseFilePath, errorString);
    if (rc != 0) return rc;
    for (const DBRow& row : rows) {
        if (row.size() < 4 || !row[1]) continue;
        (*tables)[*row[1]] = {row[0].value_or(""), row[2].value_or(""), row[3].value_or("")};
    }
    return 0;
}

int getAllTables(MasterTables* tables, const std::string& databaseFilePath,
                 std::string* errorString) {
    (*tables)["sqlite_master"] = {"table", "sqlite_master", kSqliteMasterDefinition};
    return getMasterTables(tables, databaseFilePath, errorString);
}

int getTableTypeAndDefinition(std::vector<std::string>* typeAndDefinition, const std::string& name,
                              const std::string& databaseFilePath, std::string* errorString) {
    if (name == "sqlite_master") {
        typeAndDefinition->push_back("table");
        typeAndDefinition->push_back(kSqliteMasterDefinition);
        return 0;
    }
    return getRows(typeAndDefinition,
                   "select type, sql from sqlite_master where name=" + quoteLiteral(name),
                   databaseFilePath, errorString);
}

bool isObjectGone(const std::string& name, const std::string& databaseFilePath) {
    std::vector<std::string> typeAndDefinition;
    return getTableTypeAndDefinition(&typeAndDefinition, name, databaseFilePath, nullptr) == 0 &&
           typeAndDefinition.empty();
}

int getTableDictionary(TableDictionary* dictionary, const std::string& tableName,
                       const std::string& databaseFilePath, std::string* errorString) {
    dictionary->name = tableName;
    bool isView = false;
    std::string lowerName = tableName;
    for (char& c : lowerName) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lowerName == "sqlite_master") {
        dictionary->type = "table";
        dictionary->sql = kSqliteMasterDefinition;
    } else {
        std::vector<std::string> typeAndSQL;
        if (getRows(&typeAndSQL,
                    "select type, sql from sqlite_master where name=" + quoteLiteral(tableName),
                    databaseFilePath, errorString) == 0 &&
            typeAndSQL.size() == 2) {
            dictionary->type = typeAndSQL[0];
            dictionary->sql = typeAndSQL[1];
            isView = typeAndSQL[0] == "view";
        }
    }

    std::vector<std::string> indexes;
    int rc = getIndexSchemas(&indexes, tableName, databaseFilePath, nullptr);
    if (rc == 0) {
        dictionary->indexes = indexes;
        std::vector<std::string> fields;
        // Both read the columns from the prepared statement, so an empty object has them too.
        std::string query =
            isView ? "select * from " + quoteIdentifier(tableName) + " limit 1"
                   : "select name from pragma_table_info(" + quoteLiteral(tableName) + ")";
        rc = isView ? getQueryColumnNames(&fields, query, databaseFilePath, errorString)
                    : getRows(&fields, query, databaseFilePath, errorString);
        if (rc == 0) dictionary->fields = fields;
    }

    if (doesTableExist(kFieldsMetaTable, databaseFilePath)) {
        std::vector<std::string> rows;
        rc = getRows(&rows,
                     "select name, number, type, flags from varnelo_db_fields where table_name=" +
                         quoteLiteral(tableName) + " order by number",
                     databaseFilePath, errorString);
        if (rc == 0) dictionary->varnelo_db_fields = rows;
    }
    if (doesTableExist(kTablesMetaTable, databaseFilePath)) {
        std::vector<std::string> row;
        rc = getRows(&row,
                     "select flags, search_field, sort_field1, sort_field2, sort_field3 from "
                     "varnelo_db_tables where name=" +
                         quoteLiteral(tableName),
                     databaseFilePath, errorString);
        if (rc == 0) dictionary->table_flags = row;
    }
    return rc;
}

int getCascadingChildTables(std::vector<std::string>* children, const std::string& tableName,
                            const std::string& databaseFilePath, std::string* errorString) {
    return getRows(children,
                   "select distinct m.name from sqlite_master m, pragma_foreign_key_list(m.name) f "
                   "where m.type='table' and f.\"table\"=" +
                       quoteLiteral(tableName) +
                       " collate nocase and upper(f.on_delete)='CASCADE' order by m.name",
                   databaseFilePath, errorString);
}

int getTableFlags(std::map<std::string, std::string>* tableFlags,
                  const std::string& databaseFilePath, std::string* errorString) {
    if (!doesTableExist(kTablesMetaTable, databaseFilePath)) return 0;
    std::vector<std::string> values;
    int rc = getRows(&values, "select name, flags from varnelo_db_tables", databaseFilePath,
                     errorString);
    if (rc != 0) return rc;
    for (size_t i = 0; i + 1 < values.size(); i += 2) (*tableFlags)[values[i]] = values[i + 1];
    return 0;
}

bool isAtLeastOneRowInTable(const std::string& name, const std::string& databaseFilePath,
                            std::string* errorString) {
    std::vector<std::string> values;
    return getRows(&values, "select * from " + quoteIdentifier(name) + " limit 1", databaseFilePath,
                   errorString) == 0 &&
           !values.empty();
}

int getTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                  std::string* errorString) {
    std::string query = showsSystemTables()
                            ? "select name, name from sqlite_master where type in ('table', "
                              "'view') order by name collate nocase"
                            : "select name, name from sqlite_master where type in ('table', "
                              "'view') and " +
                                  kNotSystemTable + " order by name collate nocase";
    return getRows(names, query, databaseFilePath, errorString);
}

int getUserTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                      std::string*) {
    std::string query =
        showsSystemTables()
            ? "select name from sqlite_master where type='table' order by name collate nocase"
            : kNonSystemTablesQuery;
    return getRows(names, query, databaseFilePath, nullptr);
}

int getNonSystemTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                           std::string* errorString) {
    return getRows(names, kNonSystemTablesQuery, databaseFilePath, errorString);
}

int getPhotoFieldNames(std::vector<std::string>* names, const std::string& tableName,
                       const std::string& databaseFilePath, std::string* errorString) {
    if (!doesTableExist(kFieldsMetaTable, databaseFilePath)) return 0;
    return getRows(
        names,
        "select name from varnelo_db_fields where table_name=" + quoteLiteral(tableName) +
            " and type=" + kPhotoFieldType + " order by number",
        databaseFilePath, errorString);
}

int getTextEncoding(std::string* encoding, const std::string& databaseFilePath,
                    std::string* errorString) {
    std::vector<std::string> values;
    int rc = getRows(&values, "pragma encoding", databaseFilePath, errorString);
    if (rc == 0 && !values.empty()) encoding->append(values.front());
    return rc;
}

}  // namespace DBInterface
