#include "Common/TableIdentity.h"

#include "Common/DBConnection.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

std::string tableGoneMessage(const std::string& table) {
    return localizedFormat("The table \"%@\" no longer exists.", {table});
}

std::string tableMadeAgainMessage(const std::string& table) {
    return localizedFormat(
        "The table \"%@\" was made again since it was shown, so nothing was changed. Reload the "
        "table to see its rows.",
        {table});
}

int readTableIdentity(std::optional<TableIdentity>* identity, const std::string& table,
                      const DBConnection& connection, std::string* errorString) {
    identity->reset();
    const int rc = forEachRow(
        connection.handle(),
        "select type, name, tbl_name, sql, rootpage from sqlite_master where name = " +
            quoteLiteral(table),
        [&](sqlite3_stmt* statement) {
            auto text = [statement](int column) {
                return columnValue(statement, column, false, kInvalidUtf8Marker).value_or("");
            };
            *identity = TableIdentity{text(0), text(1), text(2), text(3),
                                      sqlite3_column_int64(statement, 4)};
            return false;
        });
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

int readTableIdentity(std::optional<TableIdentity>* identity, const std::string& table,
                      const std::string& databaseFilePath, std::string* errorString) {
    std::optional<DBConnection> connection;
    const int rc =
        openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    return rc != SQLITE_OK ? rc : readTableIdentity(identity, table, *connection, errorString);
}

int checkTableIdentity(const TableIdentity& shown, const DBConnection& connection,
                       std::string* errorString, bool withDefinition) {
    std::optional<TableIdentity> now;
    const int rc = readTableIdentity(&now, shown.name, connection, errorString);
    if (rc != SQLITE_OK) return rc;
    if (!now) {
        appendError(errorString, tableGoneMessage(shown.name));
        return kTableGone;
    }
    const bool same =
        withDefinition ? *now == shown : now->type == shown.type && now->rootPage == shown.rootPage;
    if (!same) {
        appendError(errorString, tableMadeAgainMessage(shown.name));
        return kTableMadeAgain;
    }
    return SQLITE_OK;
}

int checkTableIdentity(const TableIdentity& shown, const std::string& databaseFilePath,
                       std::string* errorString) {
    std::optional<DBConnection> connection;
    const int rc =
        openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    return rc != SQLITE_OK ? rc : checkTableIdentity(shown, *connection, errorString);
}

}  // namespace DBInterface
