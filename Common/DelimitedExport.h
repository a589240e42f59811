#pragma once
// Writes the rows of a table or view to a delimited text file with the export settings of the
// user defaults (separator, NULL text, quoting, line ends, header rows).
#include <string>
#include <vector>

namespace DBInterface {

// Result when the output file cannot be opened, written or closed.
inline constexpr int kExportFileError = -2;

// Writes the selected fields of every row, in the order given, to filePath: anew (with the
// header rows the settings ask for) or, with append, after the file's text without headers.
// The database, the table and its fields are checked before the file is touched, and a failed
// export leaves the earlier file as it was. Header rows are quoted like the values. Returns 0,
// kExportFileError, -1 for a missing database path, or the SQLite result code of a failure;
// messages are appended to errorString.
int dumpFromTable(const std::string& tableName, const std::vector<std::string>& selectedFields,
                  const std::string& filePath, bool append, const std::string& databaseFilePath,
                  std::string* errorString);

}  // namespace DBInterface
