#include "Common/ViewDependencies.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>

#include "Common/DBConnection.h"
#include "Common/SQLQuote.h"

namespace DBInterface {

namespace {

// Told by the authorizer of every column a statement being compiled reads.
struct FieldReads {
    const std::string* table;
    const std::vector<std::string>* fields;
    bool found = false;
};

int noteRead(void* context, int action, const char* table, const char* column, const char*,
             const char*) {
    auto* reads = static_cast<FieldReads*>(context);
    if (action != SQLITE_READ || !table || !column) return SQLITE_OK;
    // Names are compared as SQLite compares them.
    if (sqlite3_stricmp(table, reads->table->c_str()) != 0) return SQLITE_OK;
    reads->found =
        reads->found || std::any_of(reads->fields->begin(), reads->fields->end(),
                                    [column](const std::string& field) {
                                        return sqlite3_stricmp(field.c_str(), column) == 0;
                                    });
    return SQLITE_OK;
}

}  // namespace

int viewsReadingFields(std::vector<std::string>* views, const std::string& tableName,
                       const std::vector<std::string>& fieldNames,
                       const std::string& databaseFilePath, std::string* errorString) {
    std::optional<DBConnection> connection;
    // A statement connection knows the functions a view may call.
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    std::vector<std::string> names;
    rc = forEachRow(db, "select name from sqlite_master where type = 'view' order by rowid",
                    [&](sqlite3_stmt* statement) {
                        names.push_back(columnValue(statement, 0, false, "").value_or(""));
                        return true;
                    });
    if (rc != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }
    FieldReads reads{&tableName, &fieldNames};
    sqlite3_set_authorizer(db, noteRead, &reads);
    for (const std::string& view : names) {
        reads.found = false;
        Statement statement;
        if (statement.prepare(db, "select * from " + quoteIdentifier(view)) == SQLITE_OK &&
            reads.found) {
            views->push_back(view);
        }
    }
    sqlite3_set_authorizer(db, nullptr, nullptr);
    return SQLITE_OK;
}

}  // namespace DBInterface
