#pragma once
// The table last shown of each database, so that it comes back when the database is shown
// again: LastTablesShown by file name for databases of the Documents folder,
// LastExternalTablesShown by full path for the others.
#include <optional>
#include <string>

std::optional<std::string> lastTableShown(const std::string& databaseFilePath);
// Nothing selected (nullopt) forgets the database's entry.
void setLastTableShown(const std::optional<std::string>& tableName,
                       const std::string& databaseFilePath);
// Forgets the entries of LastTablesShown whose database file has left the Documents folder.
void pruneLastTablesShown();
