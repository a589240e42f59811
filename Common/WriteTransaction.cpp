#include "Common/WriteTransaction.h"

namespace DBInterface {

int runStatements(DBConnection& connection, const std::string& sql, std::string* errorString) {
    int rc = forEachRow(connection.handle(), sql, [](sqlite3_stmt*) { return true; });
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

int beginWriteTransaction(std::optional<DBConnection>& connection,
                          const std::string& databaseFilePath, std::string* errorString) {
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    return rc == SQLITE_OK ? runStatements(*connection, "begin immediate", errorString) : rc;
}

int endWriteTransaction(DBConnection& connection, int rc, std::string* errorString) {
    if (sqlite3_get_autocommit(connection.handle())) return rc;
    if (rc == SQLITE_OK) rc = runStatements(connection, "commit", errorString);
    if (rc != SQLITE_OK) runStatements(connection, "rollback", nullptr);
    return rc;
}

}  // namespace DBInterface
