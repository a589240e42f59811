#pragma once
// The ORDER BY of a table's sort settings: the sort keys the grid query orders by, and the
// whole clause for callers that read a table in its stored order.
#include <cstdint>
#include <string>
#include <vector>

namespace DBInterface {

// " order by" and the keys of sort codes 1 to 3, each written only after the one before it
// (a key whose field is not in the lists ends the keys); "" when key 1 cannot be written.
// Only key 1 compares text without regard to letter case.
std::string sortKeysClause(const std::vector<int>& sortCodes,
                           const std::vector<std::string>& fieldNames,
                           const std::vector<int>& fieldTypes);

// The sort keys followed by " , ROWID" in key 1's direction; without a usable key 1,
// " order by ROWID desc" for ROWID sort code 2 and " order by ROWID asc" for any other. The
// field list is read from the table; when that fails the ROWID order is given.
std::string getOrderByClause(const std::string& table, const std::vector<int>& sortCodes,
                             uint64_t sortByROWIDCode, const std::string& databaseFilePath,
                             std::string* errorString);

}  // namespace DBInterface
