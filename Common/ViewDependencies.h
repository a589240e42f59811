#pragma once
// Which views read given fields of a table, as SQLite itself resolves the names when it compiles
// each view: a name in a string literal is no read, a quoted or differently cased one is.
#include <string>
#include <vector>

namespace DBInterface {

// Appends, in the schema's order, the views that read any of the fields of the table, directly
// or through other views; a view that does not compile is not counted.
int viewsReadingFields(std::vector<std::string>* views, const std::string& tableName,
                       const std::vector<std::string>& fieldNames,
                       const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
