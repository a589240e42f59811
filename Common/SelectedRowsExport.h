#pragma once
// Writes the rows of a table picked by rowid, or by a query with exceptions, to a delimited
// text file with the export settings of the user defaults.
#include <set>
#include <string>
#include <vector>

namespace DBInterface {

// Writes every column of the table's rows to a new file, with the header rows the settings
// ask for (the types row from columnTypes, one type code a column). Without a query: the rows
// of specificRows (every row but them with allSelected, every row when it is empty) in the
// table's stored sort order. With a query: the rows whose rowids it yields, less the
// exceptions as insertIntoSpecialQueryRowidsTable takes them, in rowid order, read 50 at a
// time. Failures are also written to the system log. Returns 0, kExportFileError, -1 for a
// missing path or a bad rowid, or the SQLite result code of a failure.
int dumpFromTable(const std::string& tableName, const std::string* specialQueryString,
                  const std::set<std::string>& specificRows, bool allSelected,
                  const std::vector<int>& columnTypes, const std::string& filePath,
                  const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
