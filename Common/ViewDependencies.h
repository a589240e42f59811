#pragma once
// Which views, indexes and triggers read given fields of a table, as SQLite itself resolves the
// names when it compiles each: a name in a string literal is no read, a quoted or differently
// cased one is. A write tells no column of an INSERT's list: which triggers fail once fields are
// gone is found by compiling them after the change.
#include <set>
#include <string>
#include <vector>

struct sqlite3;

namespace DBInterface {

// Appends, in the schema's order, the views that read any of the fields of the table, directly
// or through other views, and the triggers (of any table or view) whose statements read them,
// directly or through those views; a view that does not compile is not counted.
int viewsAndTriggersReadingFields(std::vector<std::string>* views,
                                  std::vector<std::string>* triggers, const std::string& tableName,
                                  const std::vector<std::string>& fieldNames,
                                  const std::string& databaseFilePath, std::string* errorString);

// The indexes and triggers of the table whose expressions, WHERE or WHEN clauses or statements
// read any of the fields, found on the caller's connection while the fields are still there;
// nothing is changed.
std::set<std::string> indexesAndTriggersReadingFields(sqlite3* db, const std::string& tableName,
                                                      const std::vector<std::string>& fieldNames);

// The triggers of the schema that fail to compile when they fire, each tried alone, with every
// other trigger dropped meanwhile: a statement of each kind on its table or view is prepared,
// never run. In the schema's order. Runs under a savepoint it rolls back: nothing is changed.
std::vector<std::string> triggersFailingAlone(sqlite3* db);

}  // namespace DBInterface
