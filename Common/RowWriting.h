#pragma once
// Writing the user's rows: updates, inserts and deletes addressed by rowid. Names stand as
// quoted identifiers; rowids must be integers; a value that reads as the invalid UTF-8 marker is
// never written. Results are SQLite codes, -1 for refused arguments. Each write is one
// transaction begun with the file's write lock; a write from rows the window shows is given them
// (shown, ShownRows.h) and writes only while they stand, and once written an update leaves in
// shown the rows it wrote as the file holds them.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Common/CommaLists.h"
#include "Common/FieldValue.h"
#include "Common/ShownRows.h"

namespace DBInterface {

// One field of one row. No object, or an empty table, field name or rowid, gives -1. stored (when
// given) receives what the field holds afterwards, read on the same connection: SQLite may store
// another text than the one written (450 into a REAL field reads 450.0). rowidAfter (when given)
// receives the row's rowid afterwards, which a write into its INTEGER PRIMARY KEY changes.
int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, DBValue* stored, std::string* rowidAfter,
                const std::string& databaseFilePath, std::string* errorString,
                ShownRows* shown = nullptr);
int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, DBValue* stored, const std::string& databaseFilePath,
                std::string* errorString);
int updateField(const FieldValue& value, const std::string& table, const std::string& fieldName,
                const std::string& rowid, const std::string& databaseFilePath,
                std::string* errorString);
// Every field of one row but the hidden ones; values and names are parallel. kRowGone when no
// row has the rowid.
int updateFieldValues(const std::vector<FieldValue>& values,
                      const std::vector<std::string>& fieldNames,
                      const std::set<std::string>& hiddenFields, const std::string& table,
                      const std::string& rowid, const std::string& databaseFilePath,
                      std::string* errorString, ShownRows* shown = nullptr);
// One value into the named fields of the rows; no rowids means every row of the table.
int updateRowsArray(const std::vector<std::string>& rowids,
                    const std::vector<std::string>& fieldNames, const FieldValue& fieldValue,
                    const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString, ShownRows* shown = nullptr);

// Some fields of one row, named by its rowid.
struct RowFields {
    std::string rowid;
    std::vector<std::string> fieldNames;
};
// One value into the named fields of each row, one UPDATE a row, all in one transaction. The first
// row that fails stops the write (kRowGone when its rowid names no row); the rows before it stay
// written. rowsWritten (when given) receives how many rows were written.
int updateRowsFields(const std::vector<RowFields>& rows, const FieldValue& value,
                     const std::string& table, size_t* rowsWritten,
                     const std::string& databaseFilePath, std::string* errorString,
                     ShownRows* shown = nullptr);

// "insert into ... (...) values (...)" for the fields that have a value and are not hidden;
// removeFirstValue drops a grid row's rowid first. The field named rowidAlias is left out when its
// value is the empty text, so that SQLite gives it the next rowid.
std::string stringForInsertRowIntoTable(const std::string& table,
                                        const std::vector<std::string>& fieldNames,
                                        const std::vector<FieldValue>& fieldValues,
                                        const std::set<std::string>& hiddenFields,
                                        bool removeFirstValue, const std::string& rowidAlias = {});
// An empty text for the table's rowid column is left out (see rowidAliasColumn). storedRow (when
// given) receives the new row as stored, read on the same connection: its rowid, then the named
// fields; shown (when given) its row as the grid's page reads it, for the writes to it later.
int insertAllFieldValues(const std::vector<FieldValue>& values,
                         const std::vector<std::string>& fieldNames,
                         const std::set<std::string>& hiddenFields, const std::string& table,
                         int64_t* lastRowID, bool removeFirstValue, DBRow* storedRow,
                         const std::string& databaseFilePath, std::string* errorString,
                         ShownRows* shown = nullptr);
// Rows of '' in every named field but the table's rowid column, which takes the next rowid; all in
// one transaction or none.
int addBlankRows(uint64_t count, const std::vector<std::string>& fieldNames,
                 const std::string& tableName, int64_t* numberOfChanges,
                 const std::string& databaseFilePath, std::string* errorString);

int deleteRow(const std::string& rowid, const std::string& table,
              const std::string& databaseFilePath, std::string* errorString,
              const ShownRows* shown = nullptr);
// An empty list or table gives -1.
int deleteRowsArray(const std::vector<std::string>& rowids, const std::string& table,
                    const std::string& databaseFilePath, std::string* errorString,
                    const ShownRows* shown = nullptr);
// Every row; the table's meta rows stay. With shown, only while the table is the one shown
// (TableIdentity.h), checked in the delete's transaction.
int deleteFromTable(const std::string& table, const std::string& databaseFilePath,
                    std::string* errorString, const TableIdentity* shown = nullptr);
int vacuumDatabaseFilePath(const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
