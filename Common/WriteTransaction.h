#pragma once
// Every transaction that writes begins with the file's write lock. A transaction begun without it
// that reads first meets another program's lock at once: SQLite calls no busy handler for a
// connection that has already read in its transaction. Begun with it, the transaction waits on
// such a lock as long as the lock wait of the caller's thread says. A write as one transaction on
// a statement connection of its own keeps what it checks first (ShownRows.h) true until it
// commits.
#include <optional>
#include <string>

#include "Common/DBConnection.h"

namespace DBInterface {

// The statement that begins such a transaction, for a writer that runs it in a way of its own.
inline constexpr const char* kBeginWriteTransaction = "begin immediate";

// Begins the transaction on the open connection; SQLite's code, its message appended.
int beginWriteTransaction(DBConnection& connection, std::string* errorString);
// Opens the connection and begins the transaction; SQLite's code, its message appended.
int beginWriteTransaction(std::optional<DBConnection>& connection,
                          const std::string& databaseFilePath, std::string* errorString);
// Commits after the write succeeded (rc 0), else rolls back, unless a conflict clause of ROLLBACK
// ended the transaction already. The write's code, or the commit's.
int endWriteTransaction(DBConnection& connection, int rc, std::string* errorString);
// Runs the statements of sql on the open connection; SQLite's code, its message appended.
int runStatements(DBConnection& connection, const std::string& sql, std::string* errorString);
// The statements as a script for the script runner, in one such transaction.
std::string writeTransactionScript(const std::string& statements);

}  // namespace DBInterface
