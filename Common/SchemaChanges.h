#pragma once
// Changes of the schema that keep the meta tables in step: creating tables and views, changing a
// table's fields, renaming, deleting objects and copying rows within and between files.
#include <cstdint>
#include <string>
#include <vector>

namespace DBInterface {

struct DroppedFieldSettings;
struct FieldSettings;

// Creates the table (when missing) with one untyped column per field name, its varnelo_db_tables
// row (unless one of that name is there) and its field rows, in one transaction. The names are
// used as given: a caller cleans a name it chooses for a new table (withoutQuotingCharacters).
// Without field names the columns are "Field 1" to "Field n" for n types and no field rows are
// written. Non-empty names must be as many as the types, else -1. A missing database file is not
// made.
int createTable(const std::string& tableName, int64_t flags,
                const std::vector<std::string>& fieldNames, const std::vector<int>& fieldTypes,
                const std::vector<int64_t>* fieldFormatStyles,
                const std::vector<std::string>* fieldLookupTables,
                const std::string& databaseFilePath, std::string* errorString);

// Rebuilds the table with a new field list: new field i takes the values of old field
// oldFieldIndices[i] (-1: a new field, empty texts). Rows keep their rowids; the column
// definitions, table constraints and options of the table's own text are kept where their columns
// survive; a renamed field keeps its indexes and triggers, and the views and foreign keys that
// name it follow the new name; child rows of other tables are kept. A field that another table's
// foreign key refers to cannot be dropped. The names of the indexes and triggers dropped with
// their fields are appended to droppedObjects, when given. The table's stored sort keys and
// searched fields follow their fields; those of deleted fields are removed and told in
// droppedSettings, when given. The old field names must be the table's, and oldSettings (when
// given) their settings, else kFieldsChanged (ShownRows.h) and nothing changes.
int changeTable(const std::string& tableName, const std::vector<std::string>& oldFieldNames,
                const std::vector<int64_t>& oldFieldIndices,
                const std::vector<std::string>& newFieldNames,
                const std::vector<int>& newFieldTypes,
                const std::vector<int64_t>* newFieldFormatStyles,
                const std::vector<std::string>* newFieldLookupTables,
                std::vector<std::string>* droppedObjects, const std::string& databaseFilePath,
                std::string* errorString, DroppedFieldSettings* droppedSettings = nullptr,
                const FieldSettings* oldSettings = nullptr);
// Appends the names of the indexes and triggers that changeTable would drop, and fails as it
// would fail on the schema; changes nothing. failingTriggers, when given, gets the triggers the
// change would keep that would fail once deleted fields are gone (they write them, say).
int objectsDroppedByChangeTable(std::vector<std::string>* droppedObjects,
                                const std::string& tableName,
                                const std::vector<std::string>& oldFieldNames,
                                const std::vector<int64_t>& oldFieldIndices,
                                const std::vector<std::string>& newFieldNames,
                                const std::string& databaseFilePath, std::string* errorString,
                                std::vector<std::string>* failingTriggers = nullptr);

// Renames the table and its rows in every meta table that exists, in one transaction.
int renameTable(const std::string& oldName, const std::string& newName,
                const std::string& databaseFilePath, std::string* errorString);

// Drops the object of the given type ("view", "index", "trigger", anything else a table) and
// its meta rows; -1 when the name or the type is empty.
int deleteObject(const std::string& name, const std::string& type,
                 const std::string& databaseFilePath, std::string* errorString);

// Copies every row of the source fields into the destination fields; -1 when anything is
// missing.
int copyRowsFromTable(const std::string& fromTable, const std::vector<std::string>& fromFields,
                      const std::string& toTable, const std::vector<std::string>& toFields,
                      const std::string& databaseFilePath, std::string* errorString);
// The same from a table of another database file.
int copyRowsDatabase(const std::string& fromDatabaseFilePath, const std::string& fromTable,
                     const std::vector<std::string>& fromFields, const std::string& toTable,
                     const std::vector<std::string>& toFields,
                     const std::string& toDatabaseFilePath, std::string* errorString);

// "CREATE VIEW ... AS\nSELECT ..." of the fields (each renamed where its new name is not empty,
// the rowid field as "ROWID") from the table when one is given; the fields are left out when the
// two lists differ in length.
std::string queryStringToCreateView(const std::string& viewName, const std::string* tableName,
                                    const std::vector<std::string>& fieldNames,
                                    const std::vector<std::string>& newFieldNames);
// Runs the CREATE VIEW text together with the view's field rows in one transaction, then marks
// the view sorted on a unique key when asked.
int createView(const std::string& viewName, const std::string& createViewQueryString,
               const std::vector<std::string>& fieldNames, const std::vector<int>& fieldTypes,
               const std::vector<int64_t>& fieldFormatStyles,
               const std::vector<std::string>* fieldLookupTables, bool isSortedOnUniqueKey,
               const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
