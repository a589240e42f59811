#pragma once
// The system's own tables inside each database file: varnelo_db_tables (one row of settings per
// table or view) and varnelo_db_fields (one row per column: field type, format style, lookup
// table). They are created by the first script that writes to them, never when a file opens.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace DBInterface {

struct FieldSettings;

inline constexpr const char* kTablesMetaTable = "varnelo_db_tables";
inline constexpr const char* kFieldsMetaTable = "varnelo_db_fields";

// The two statements that create each meta table and its index when missing, ";\n" after each.
std::string createTablesMetaTableSQL();
std::string createFieldsMetaTableSQL();

// One statement per field: "insert into varnelo_db_fields (...) values (...);\n" numbered from 1.
// Missing or short style and lookup lists give 0 and "".
std::string fieldRowsSQL(const std::string& tableName, const std::vector<std::string>& names,
                         const std::vector<int>& types, const std::vector<int64_t>* formatStyles,
                         const std::vector<std::string>* lookupTables);

// Replaces the field rows of a table (the table itself untouched). The names, types and lookup
// tables must be equally many, else 1 with a message. With namesRead, the names are the table's
// fields as the caller read them, and settingsRead (when given) their settings as it read them:
// kFieldsChanged (ShownRows.h), with its message, when they no longer are.
int changeFieldsForTable(const std::string& tableName,
                         const std::vector<std::string>& newFieldNames,
                         const std::vector<int>& newFieldTypes,
                         const std::vector<int64_t>* newFieldFormatStyles,
                         const std::vector<std::string>& newFieldLookupTables,
                         const std::string& databaseFilePath, std::string* errorString,
                         bool namesRead = false, const FieldSettings* settingsRead = nullptr);

// The statements that delete the object's rows from the meta tables the file has (those of the
// main schema, should another file be attached), ";\n" after each.
std::string deleteMetaRowsSQL(const std::string& name, const std::string& databaseFilePath);

// The statements (meta table created when missing) that add a copied varnelo_db_tables row
// (exactly five values) and copied field rows (four values a field), for a caller's script.
std::string systemTableFlagsSQL(const std::vector<std::string>& values,
                                const std::string& tableName);
std::string systemFieldsSQL(const std::vector<std::string>& values, const std::string& tableName);

// Replays a copied varnelo_db_tables row: exactly five values (flags, search field, sort fields
// 1 to 3), else -1.
int addSystemTableFlags(const std::vector<std::string>& values, const std::string& tableName,
                        const std::string& databaseFilePath, std::string* errorString);
// Adds copied field rows: four values a field (name, number, type, format style), else -1.
int addSystemFields(const std::vector<std::string>& values, const std::string& tableName,
                    const std::string& databaseFilePath, std::string* errorString);

// Sets the table's flags to ROWID ascending alone; 0 without change when there is no meta table.
int makeTableSortByROWIDUp(const std::string& tableName, const std::string& databaseFilePath,
                           std::string* errorString);

// The CREATE texts of the table's indexes, an empty text for an automatic one.
int getIndexSchemas(std::vector<std::string>* indexSchemas, const std::string& tableName,
                    const std::string& databaseFilePath, std::string* errorString);

// The reader's code and whether the table has a column of exactly that name.
std::pair<int, bool> doesFieldExist(const std::string& fieldName, const std::string& tableName,
                                    const std::string& databaseFilePath, std::string* errorString);
// Upgrades an older varnelo_db_fields by its lookup_table column; 0 when nothing was needed.
int addLookupTableFieldToDatabaseFilePath(const std::string& databaseFilePath,
                                          std::string* errorString);
// For each given field name in order, its lookup table or "". Appends nothing while the meta
// table or its lookup_table column is missing.
int getFieldLookupTables(std::vector<std::string>* lookupTables, const std::string& tableName,
                         const std::vector<std::string>& fieldNames,
                         const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
