#pragma once
// Small pieces shared by the writers and readers of the system's own list tables.
#include <optional>
#include <string>
#include <vector>

namespace DBInterface {

// The stored CREATE text of a table; nullopt when there is no such table.
std::optional<std::string> tableDefinition(const std::string& table,
                                           const std::string& databaseFilePath);
// Appends the rows of query when the table exists; 0 with nothing otherwise.
int getRowsIfTableExists(std::vector<std::string>* rows, const std::string& table,
                         const std::string& query, const std::string& databaseFilePath,
                         std::string* errorString);
// The rowids joined by ",", or nullopt (with the message) when one is not an integer.
std::optional<std::string> checkedRowidList(const std::vector<std::string>& rowids,
                                            std::string* errorString);
// Deletes the rows of those rowids from a system table; an empty list does nothing.
int deleteRowsWithRowids(const std::string& table, const std::vector<std::string>& rowids,
                         const std::string& databaseFilePath, std::string* errorString);
// Runs a script wrapped in one transaction.
int runInTransaction(const std::string& statements, int64_t* lastRowID,
                     const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
