#include "Common/ViewDependencies.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>

#include "Common/DBConnection.h"
#include "Common/SQLQuote.h"
#include "Common/SQLTokens.h"

namespace DBInterface {

namespace {

// Told by the authorizer of every column a statement being compiled reads.
struct FieldReads {
    const std::string* table;
    const std::vector<std::string>* fields;
    bool found = false;
    // The triggers whose statements made a read, by their names.
    std::set<std::string> triggers;
};

int noteRead(void* context, int action, const char* table, const char* column, const char*,
             const char* trigger) {
    auto* reads = static_cast<FieldReads*>(context);
    if (action != SQLITE_READ || !table || !column) return SQLITE_OK;
    // Names are compared as SQLite compares them.
    if (sqlite3_stricmp(table, reads->table->c_str()) != 0) return SQLITE_OK;
    if (std::none_of(reads->fields->begin(), reads->fields->end(),
                     [column](const std::string& field) {
                         return sqlite3_stricmp(field.c_str(), column) == 0;
                     })) {
        return SQLITE_OK;
    }
    reads->found = true;
    if (trigger) reads->triggers.insert(trigger);
    return SQLITE_OK;
}

// The statement under another index name: SQLite compiles an index's expressions only for a
// name that is free.
std::optional<std::string> renamedIndexStatement(const std::string& sql) {
    auto tokens = tokenizeSQL(sql);
    if (!tokens) return std::nullopt;
    const size_t end = tokens->size();
    size_t on = 0;
    while (on < end && !isWord((*tokens)[on], {"on"})) ++on;
    size_t name = on;
    while (name > 0 && (*tokens)[name - 1].kind == TokenKind::Space) --name;
    if (on == end || name == 0) return std::nullopt;
    std::string renamed;
    for (size_t i = 0; i < end; ++i) {
        renamed += i == name - 1 ? std::string("\"varnelo_probe_index\"") : (*tokens)[i].text;
    }
    return renamed;
}

// Compiles the statement with the reads noted; whether it compiled.
bool compileNotingReads(sqlite3* db, const std::string& sql) {
    Statement statement;
    return statement.prepare(db, sql) == SQLITE_OK;
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
    FieldReads reads{&tableName, &fieldNames, false, {}};
    sqlite3_set_authorizer(db, noteRead, &reads);
    for (const std::string& view : names) {
        reads.found = false;
        if (compileNotingReads(db, "select * from " + quoteIdentifier(view)) && reads.found) {
            views->push_back(view);
        }
    }
    sqlite3_set_authorizer(db, nullptr, nullptr);
    return SQLITE_OK;
}

std::set<std::string> indexesAndTriggersReadingFields(sqlite3* db, const std::string& tableName,
                                                      const std::vector<std::string>& fieldNames) {
    std::set<std::string> readers;
    if (fieldNames.empty()) return readers;
    std::vector<std::pair<std::string, std::string>> indexes;
    std::vector<std::string> columns;
    const std::string name = quoteLiteral(tableName);
    if (forEachRow(db,
                   "select name, sql from sqlite_master where type = 'index' and sql is not null "
                   "and tbl_name = " +
                       name + " collate nocase",
                   [&](sqlite3_stmt* statement) {
                       indexes.emplace_back(columnValue(statement, 0, false, "").value_or(""),
                                            columnValue(statement, 1, false, "").value_or(""));
                       return true;
                   }) != SQLITE_OK ||
        forEachRow(db, "select name from pragma_table_xinfo(" + name + ") where hidden = 0",
                   [&](sqlite3_stmt* statement) {
                       columns.push_back(columnValue(statement, 0, false, "").value_or(""));
                       return true;
                   }) != SQLITE_OK) {
        return readers;
    }
    FieldReads reads{&tableName, &fieldNames, false, {}};
    sqlite3_set_authorizer(db, noteRead, &reads);
    for (const auto& [index, sql] : indexes) {
        reads.found = false;
        auto renamed = renamedIndexStatement(sql);
        if (renamed && compileNotingReads(db, *renamed) && reads.found) readers.insert(index);
    }
    // A trigger's statements are compiled with the statement that fires it: one of each kind
    // fires them all, each read told with the trigger's name.
    const std::string table = quoteIdentifier(tableName);
    std::string assignments;
    for (const std::string& column : columns) {
        assignments += (assignments.empty() ? "" : ", ") + quoteIdentifier(column) + " = " +
                       quoteIdentifier(column);
    }
    for (const std::string& firing :
         {"insert into " + table + " default values", "delete from " + table,
          "update " + table + " set " + assignments}) {
        compileNotingReads(db, firing);
    }
    sqlite3_set_authorizer(db, nullptr, nullptr);
    readers.insert(reads.triggers.begin(), reads.triggers.end());
    return readers;
}

}  // namespace DBInterface
