#include "Common/CopiedRows.h"

#include "Common/DBConnection.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

int readWhole(std::vector<DBRow>* rows, const ShownRows& shown, const std::string& table,
              const std::vector<std::string>& rowids, const DBConnection& connection,
              std::string* errorString) {
    int rc = checkShownRows(shown, table, connection, errorString);
    if (rc != SQLITE_OK || rowids.empty()) return rc;
    const size_t before = rows->size();
    rc = readShownRows(rows, shown, table, rowids, connection, errorString, true);
    // Checked a moment ago in the same transaction: every row is there.
    if (rc == SQLITE_OK && rows->size() - before != rowids.size()) {
        appendError(errorString, rowNoLongerExistsMessage());
        return kRowGone;
    }
    return rc;
}

}  // namespace

std::string rowsChangedCopyMessage() {
    return localizedString(
        "The rows of the table changed since they were selected, so nothing was copied. Select "
        "the rows again.");
}

int readRowsAsShown(std::vector<DBRow>* rows, const ShownRows& shown, const std::string& table,
                    const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                    std::string* errorString) {
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::ReadOnly, errorString);
    if (rc != SQLITE_OK) return rc;
    // One read transaction: what was checked is what is read.
    rc = sqlite3_exec(connection->handle(), "begin", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }
    std::vector<DBRow> read;
    rc = readWhole(&read, shown, table, rowids, *connection, errorString);
    sqlite3_exec(connection->handle(), "commit", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rows->insert(rows->end(), read.begin(), read.end());
    return rc;
}

}  // namespace DBInterface
