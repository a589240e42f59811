#pragma once
// A write as one transaction on a statement connection of its own, begun with the file's write
// lock: what the write checks first (ShownRows.h) still holds when it commits.
#include <optional>
#include <string>

#include "Common/DBConnection.h"

namespace DBInterface {

// Opens the connection and begins the transaction; SQLite's code, its message appended.
int beginWriteTransaction(std::optional<DBConnection>& connection,
                          const std::string& databaseFilePath, std::string* errorString);
// Commits after the write succeeded (rc 0), else rolls back, unless a conflict clause of ROLLBACK
// ended the transaction already. The write's code, or the commit's.
int endWriteTransaction(DBConnection& connection, int rc, std::string* errorString);
// Runs the statements of sql on the open connection; SQLite's code, its message appended.
int runStatements(DBConnection& connection, const std::string& sql, std::string* errorString);

}  // namespace DBInterface
