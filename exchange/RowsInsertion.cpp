#include "exchange/RowsInsertion.h"

#include <optional>

#include "Common/DBConnection.h"
#include "Common/RowInserter.h"
#include "Common/WriteTransaction.h"

int insertPastedRows(const std::vector<DBRow>& rows, const std::vector<std::string>& fieldNames,
                     const std::string& table, const std::string& databaseFilePath,
                     int64_t* inserted, std::string* errorString) {
    *inserted = 0;
    std::optional<DBConnection> connection;
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    rc = DBInterface::beginWriteTransaction(*connection, errorString);
    if (rc != SQLITE_OK) return rc;
    DBInterface::RowInserter inserter(db, table, fieldNames);
    DBRow values(fieldNames.size());
    for (const DBRow& row : rows) {
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = i < row.size() ? row[i] : DBValue(std::string());
        }
        rc = inserter.insert(values, errorString);
        if (rc != SQLITE_OK) break;
        ++*inserted;
    }
    // The rows before a failure stay, as if each had been written on its own.
    int commit = DBInterface::execOnConnection(db, "commit", errorString);
    if (commit != SQLITE_OK) {
        DBInterface::execOnConnection(db, "rollback", nullptr);
        *inserted = 0;
        return commit;
    }
    return rc;
}
