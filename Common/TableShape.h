#pragma once
// What a table rebuild reads of a table before it changes it (its columns, keys, indexes and
// triggers), and the one connection the whole rebuild runs on.
#include <map>
#include <string>
#include <vector>

#include "Common/DBConnection.h"
#include "Common/WriteTransaction.h"

namespace DBInterface {

// A connection whose statements report their failure once, into the caller's error string.
class RebuildSession {
  public:
    RebuildSession(const std::string& path, std::string* errorString)
        : connection_(path, ConnectionKind::Statement, errorString), errorString_(errorString) {}

    bool isOpen() const { return connection_.isOpen(); }
    sqlite3* handle() const { return connection_.handle(); }
    int openResult() const { return connection_.openResult(); }
    // For the reads of other operations that take part in the rebuild's transaction.
    const DBConnection& connection() const { return connection_; }
    std::string* errorString() const { return errorString_; }

    int run(const std::string& sql) {
        int rc = forEachRow(connection_.handle(), sql, [](sqlite3_stmt*) { return true; });
        if (rc != SQLITE_OK) appendError(errorString_, connection_.errorMessage());
        return rc;
    }
    // Runs sql and reports nothing when it fails.
    bool tryRun(const std::string& sql) {
        return forEachRow(connection_.handle(), sql, [](sqlite3_stmt*) { return true; }) ==
               SQLITE_OK;
    }
    int read(const std::string& sql, std::vector<DBRow>* rows) {
        int rc = forEachRow(connection_.handle(), sql, [&](sqlite3_stmt* statement) {
            rows->push_back(rowValues(statement));
            return true;
        });
        if (rc != SQLITE_OK) appendError(errorString_, connection_.errorMessage());
        return rc;
    }
    // The foreign keys can be switched off only outside a transaction.
    int beginWithoutForeignKeys() {
        foreignKeysWereOn_ = pragmaIsOn("foreign_keys");
        run("pragma foreign_keys=OFF");
        return beginWriteTransaction(connection_, errorString_);
    }
    void restoreForeignKeys() {
        if (foreignKeysWereOn_) run("pragma foreign_keys=ON");
    }
    bool foreignKeysWereOn() const { return foreignKeysWereOn_; }
    bool pragmaIsOn(const std::string& name) {
        std::vector<DBRow> rows;
        return read("pragma " + name, &rows) == SQLITE_OK && !rows.empty() && rows[0].size() == 1 &&
               rows[0][0] == "1";
    }

  private:
    DBConnection connection_;
    std::string* errorString_;
    bool foreignKeysWereOn_ = false;
};

struct OldColumn {
    std::string type;
    bool notNull = false;
    DBValue defaultValue;
    int primaryKeyOrder = 0;
};

// The constraints that the rebuilt table keeps: the primary key, unique constraints and foreign
// keys whose columns all survive, under their new names.
struct TableShape {
    std::map<std::string, OldColumn> columns;
    std::vector<std::string> columnOrder;
    std::string createSQL;
    std::vector<std::vector<std::string>> uniqueColumns;
    std::vector<std::string> foreignKeyClauses;  // with %COLUMNS% for the mapped column list
    std::vector<std::vector<std::string>> foreignKeyColumns;
    std::vector<std::string> indexAndTriggerSQL;
    std::vector<std::string> indexAndTriggerNames;
    // The columns each index names, parallel to the SQL (none for a trigger).
    std::vector<std::vector<std::string>> indexColumns;
    std::string rowidName;  // empty when the rows have no rowid to keep
    bool autoincrement = false;
    DBValue sequence;  // the AUTOINCREMENT counter, when there is one
};

// "No such table: %@" when the table has no columns.
int readShape(RebuildSession& session, const std::string& table, TableShape* shape,
              std::string* errorString);

// The table's own spelling of a column the caller named, or nothing.
const std::string* tableColumn(const TableShape& shape, const std::string& name);
// Whether the name is one of the columns, in any letter case.
bool isOneOf(const std::string& name, const std::vector<std::string>& columns);

}  // namespace DBInterface
