#pragma once
// Readers of a table's or view's field model: names, field types, format styles and hidden
// columns, with the types and styles taken from varnelo_db_fields (type 1 and style 0 where the
// meta table has no row). Every out-list is optional and appended to.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

class DBConnection;

namespace DBInterface {

// An object's field model as one read gives it.
struct ObjectFieldModel {
    std::string type;  // "table", "view", another kind, or "" for no such object
    std::vector<std::string> names;
    std::vector<int> types;
    std::vector<int64_t> formatStyles;
    std::set<std::string> hiddenFields;
};

// The column names of the first statement of query, read from the prepared statement, so that
// a query without rows still gives them.
int getQueryColumnNames(std::vector<std::string>* names, const std::string& query,
                        const std::string& databaseFilePath, std::string* errorString);

// A table's columns in order, hidden and generated ones included (their names also go into
// hiddenFields); types and styles matched by name. A view is handed to the view reader; any
// other object appends nothing and gives 0.
int getFieldNames(std::vector<std::string>* fieldNames, std::vector<int>* fieldTypes,
                  std::vector<int64_t>* formatStyles, std::set<std::string>* hiddenFields,
                  const std::string& tableName, const std::string& databaseFilePath,
                  std::string* errorString);

// The columns of "select * from" the object (a view or a table, with or without rows); types and
// styles matched by position (the meta row numbered n describes column n).
int getFieldNames(std::vector<std::string>* fieldNames, std::vector<int>* fieldTypes,
                  std::vector<int64_t>* formatStyles, const std::string& viewName,
                  const std::string& databaseFilePath, std::string* errorString);

// The file's schema version now; -1 when it cannot be read. Taken before a field model is read,
// it tells whether the fields may have changed since (schemaVersion in HeldPrefixPages.h reads it
// on an open connection).
int64_t fileSchemaVersion(const std::string& databaseFilePath);

// The object's type and field model as the readers above give them, all read on one open
// connection; here a failed read of the meta rows fails the whole read instead of giving the
// defaults.
int readFieldModel(ObjectFieldModel* model, const std::string& name, const DBConnection& connection,
                   std::string* errorString);

}  // namespace DBInterface
