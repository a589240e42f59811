#pragma once
// Writing the user's rows: updates, inserts and deletes addressed by rowid. Names stand as
// quoted identifiers; rowids must be integers; a value that reads as the invalid UTF-8 marker is
// never written. Results are SQLite codes, -1 for refused arguments.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Common/CommaLists.h"
#include "Common/FieldValue.h"

namespace DBInterface {

// One field of one row. No object, or an empty table, field name or rowid, gives -1. A row that
// is gone is no failure of the statement: numberOfChanges tells it (0).
int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, int64_t* numberOfChanges,
                const std::string& databaseFilePath, std::string* errorString);
int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, const std::string& databaseFilePath,
                std::string* errorString);
// Every field of one row but the hidden ones; values and names are parallel.
int updateFieldValues(const std::vector<FieldValue>& values,
                      const std::vector<std::string>& fieldNames,
                      const std::set<std::string>& hiddenFields, const std::string& table,
                      const std::string& rowid, const std::string& databaseFilePath,
                      std::string* errorString);
// One value into the named fields of the rows; no rowids means every row of the table.
int updateRowsArray(const std::vector<std::string>& rowids,
                    const std::vector<std::string>& fieldNames, const FieldValue& fieldValue,
                    const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString);

// "insert into ... (...) values (...)" for the fields that have a value and are not hidden;
// removeFirstValue drops a grid row's rowid first.
std::string stringForInsertRowIntoTable(const std::string& table,
                                        const std::vector<std::string>& fieldNames,
                                        const std::vector<FieldValue>& fieldValues,
                                        const std::set<std::string>& hiddenFields,
                                        bool removeFirstValue);
int insertAllFieldValues(const std::vector<FieldValue>& values,
                         const std::vector<std::string>& fieldNames,
                         const std::set<std::string>& hiddenFields, const std::string& table,
                         int64_t* lastRowID, bool removeFirstValue,
                         const std::string& databaseFilePath, std::string* errorString);
// Rows of '' in every named field, all in one transaction or none.
int addBlankRows(uint64_t count, const std::vector<std::string>& fieldNames,
                 const std::string& tableName, int64_t* numberOfChanges,
                 const std::string& databaseFilePath, std::string* errorString);

int deleteRow(const std::string& rowid, const std::string& table,
              const std::string& databaseFilePath, std::string* errorString);
// An empty list or table gives -1.
int deleteRowsArray(const std::vector<std::string>& rowids, const std::string& table,
                    const std::string& databaseFilePath, std::string* errorString);
// Every row; the table's meta rows stay.
int deleteFromTable(const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString);
int vacuumDatabaseFilePath(const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
