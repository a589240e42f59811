#pragma once
// Pruning of the user default RunningStopwatches (database path -> table -> rowid -> record).
// Entries are only ever removed here.
#include <set>
#include <string>

namespace DBInterface {

// No path: every entry goes. No table: the database's entry goes. No rowid set: the table's
// entry goes. Else the rowids of the set go, or with exclude every rowid not in the set.
void removeRunningStopwatchesForDatabase(const std::string* databaseFilePath,
                                         const std::string* tableName,
                                         const std::set<std::string>* rowIDSet, bool exclude);
void removeRunningStopwatchesForDatabase(const std::string& databaseFilePath);

}  // namespace DBInterface
