#include "Common/WriteTransaction.h"

namespace DBInterface {

int runStatements(DBConnection& connection, const std::string& sql, std::string* errorString) {
    int rc = forEachRow(connection.handle(), sql, [](sqlite3_stmt*) { return true; });
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

int beginWriteTransaction(DBConnection& connection, std::string* errorString) {
    return runStatements(connection, kBeginWriteTransaction, errorString);
}

int beginWriteTransaction(std::optional<DBConnection>& connection,
                          const std::string& databaseFilePath, std::string* errorString) {
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    return rc == SQLITE_OK ? beginWriteTransaction(*connection, errorString) : rc;
}

int endWriteTransaction(DBConnection& connection, int rc, std::string* errorString) {
    if (sqlite3_get_autocommit(connection.handle())) return rc;
    if (rc == SQLITE_OK) rc = runStatements(connection, "commit", errorString);
    if (rc != SQLITE_OK) runStatements(connection, "rollback", nullptr);
    return rc;
}

std::string writeTransactionScript(const std::string& statements) {
    // The line end keeps a trailing comment of the statements from swallowing the commit.
    return std::string(kBeginWriteTransaction) + ";\n" + statements + "\n;\ncommit;";
}

}  // namespace DBInterface
