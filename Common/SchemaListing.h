#pragma once
// Which schema objects a file holds and what each one is: listings of sqlite_master, the kind
// of an object, the flags of all tables and the description used to re-create an object.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace DBInterface {

// Kinds of schema objects as the tables list shows them.
enum SchemaObjectTypeCode {
    kSchemaTable = 0,
    kSchemaView = 1,
    kSchemaIndex = 2,
    kSchemaTrigger = 3
};

// The fixed definition under which sqlite_master itself is described.
inline constexpr const char* kSqliteMasterDefinition =
    "CREATE TABLE sqlite_master (type text, name text, tbl_name text, rootpage integer, sql text);";

// One row of sqlite_master; a missing sql (automatic indexes) is an empty text.
struct MasterTableEntry {
    std::string type;
    std::string tbl_name;
    std::string sql;
    bool operator==(const MasterTableEntry&) const = default;
};
using MasterTables = std::map<std::string, MasterTableEntry>;

// What is needed to re-create a table or view elsewhere; members are set only when their read
// succeeded.
struct TableDictionary {
    std::string name;
    std::optional<std::string> type;
    std::optional<std::string> sql;
    std::optional<std::vector<std::string>> indexes;
    std::optional<std::vector<std::string>> fields;
    // name, number, type, flags per field, in the order of number
    std::optional<std::vector<std::string>> varnelo_db_fields;
    // flags, search_field, sort_field1 to 3 (empty when the object has no row)
    std::optional<std::vector<std::string>> table_flags;
};

// Names beginning "sqlite_" or "varnelo_db_" (case-sensitive).
bool isSystemTable(const std::string& name);
// Names the listings that leave the system tables out hide: those beginning "sqlite_" or
// "varnelo_db_" in any ASCII letter case.
bool isHiddenByListings(const std::string& name);
// "view" 1, "index" 2, "trigger" 3, anything else (no text included) 0.
SchemaObjectTypeCode tableTypeCodeForSchemaObjectType(const std::string* type);

// The master tables plus an entry for sqlite_master itself.
int getAllTables(MasterTables* tables, const std::string& databaseFilePath,
                 std::string* errorString);
int getMasterTables(MasterTables* tables, const std::string& databaseFilePath,
                    std::string* errorString);
// Appends the object's type text and CREATE text; nothing when there is no such object.
int getTableTypeAndDefinition(std::vector<std::string>* typeAndDefinition, const std::string& name,
                              const std::string& databaseFilePath, std::string* errorString);
// True only when the schema, read without error, has no object of that name: a read that
// failed (a lock held elsewhere) proves nothing.
bool isObjectGone(const std::string& name, const std::string& databaseFilePath);
// Returns the code of the last read made; callers check for a type.
int getTableDictionary(TableDictionary* dictionary, const std::string& tableName,
                       const std::string& databaseFilePath, std::string* errorString);
// Table name to its flags text, for every row of varnelo_db_tables (0 when it is missing).
int getTableFlags(std::map<std::string, std::string>* tableFlags,
                  const std::string& databaseFilePath, std::string* errorString);
bool isAtLeastOneRowInTable(const std::string& name, const std::string& databaseFilePath,
                            std::string* errorString);

// The tables whose foreign keys delete their rows with the table's (ON DELETE CASCADE), by name.
int getCascadingChildTables(std::vector<std::string>* children, const std::string& tableName,
                            const std::string& databaseFilePath, std::string* errorString);

// Names of tables and views, each twice (system tables only under ShowSystemTables).
int getTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                  std::string* errorString);
// Table names (system tables only under ShowSystemTables); reports no message.
int getUserTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                      std::string* errorString);
int getNonSystemTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                           std::string* errorString);
// Names of the table's Photo fields in field order; 0 when varnelo_db_fields is missing.
int getPhotoFieldNames(std::vector<std::string>* names, const std::string& tableName,
                       const std::string& databaseFilePath, std::string* errorString);
// Appends the database's text encoding, for example "UTF-8".
int getTextEncoding(std::string* encoding, const std::string& databaseFilePath,
                    std::string* errorString);

}  // namespace DBInterface
