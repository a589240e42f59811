#pragma once
// The lines of an export file: a header row, and one row of a statement's result, written by
// the settings' separator, NULL text, quoting and line end.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "Common/ExportSettings.h"

namespace DBInterface {

// Whether an export may read the database: 0, or -1 for a missing path and SQLITE_CANTOPEN for a
// missing file or one that is no database (never created), with the message appended.
int checkExportDatabase(const std::string& databaseFilePath, std::string* errorString);

// Quoted by the same rule as the values, so that it reads back like them.
void appendHeaderRow(std::string& out, const std::vector<std::string>& texts,
                     const ExportSettings& settings);
// The statement's current row; a BLOB is written as upper-case hexadecimal digits (hex is
// scratch space kept between rows).
void appendRow(std::string& out, sqlite3_stmt* statement, int columnCount,
               const ExportSettings& settings, std::string& hex);

}  // namespace DBInterface
