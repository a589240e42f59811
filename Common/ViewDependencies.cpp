#include "Common/ViewDependencies.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
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
    // The triggers whose statements made a read, by their names (a read made inside a view is
    // told with the view's name).
    std::set<std::string> triggers;
    // Every table and view each trigger or view read from.
    std::map<std::string, std::set<std::string>> objectsReadBy;
};

int noteRead(void* context, int action, const char* table, const char* column, const char*,
             const char* trigger) {
    auto* reads = static_cast<FieldReads*>(context);
    if (action != SQLITE_READ || !table || !column) return SQLITE_OK;
    if (trigger) reads->objectsReadBy[trigger].insert(table);
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

// A statement of each kind on the table or view: together they fire all its triggers, whose
// statements are compiled with them. None when its columns cannot be read.
std::vector<std::string> firingStatements(sqlite3* db, const std::string& object) {
    std::vector<std::string> columns;
    if (forEachRow(
            db,
            "select name from pragma_table_xinfo(" + quoteLiteral(object) + ") where hidden = 0",
            [&](sqlite3_stmt* statement) {
                columns.push_back(columnValue(statement, 0, false, "").value_or(""));
                return true;
            }) != SQLITE_OK ||
        columns.empty()) {
        return {};
    }
    const std::string target = quoteIdentifier(object);
    std::string assignments;
    for (const std::string& column : columns) {
        assignments += (assignments.empty() ? "" : ", ") + quoteIdentifier(column) + " = " +
                       quoteIdentifier(column);
    }
    return {"insert into " + target + " default values", "delete from " + target,
            "update " + target + " set " + assignments};
}

// Compiles the statements that fire the triggers of the table or view, each read told with the
// trigger's name.
void compileFiringStatements(sqlite3* db, const std::string& object) {
    for (const std::string& firing : firingStatements(db, object)) compileNotingReads(db, firing);
}

int runQuietly(sqlite3* db, const std::string& sql) {
    return forEachRow(db, sql, [](sqlite3_stmt*) { return true; });
}

}  // namespace

int viewsAndTriggersReadingFields(std::vector<std::string>* views,
                                  std::vector<std::string>* triggers, const std::string& tableName,
                                  const std::vector<std::string>& fieldNames,
                                  const std::string& databaseFilePath, std::string* errorString) {
    std::optional<DBConnection> connection;
    // A statement connection knows the functions a view may call.
    int rc = openForStatement(connection, databaseFilePath, ConnectionKind::Statement, errorString);
    if (rc != SQLITE_OK) return rc;
    sqlite3* db = connection->handle();
    std::vector<std::string> viewNames;
    // Each trigger with the table or view it fires on.
    std::vector<std::pair<std::string, std::string>> triggerObjects;
    rc = forEachRow(db,
                    "select type, name, tbl_name from sqlite_master where type in ('view', "
                    "'trigger') order by rowid",
                    [&](sqlite3_stmt* statement) {
                        std::string name = columnValue(statement, 1, false, "").value_or("");
                        if (columnValue(statement, 0, false, "") == "view") {
                            viewNames.push_back(std::move(name));
                        } else {
                            triggerObjects.emplace_back(
                                std::move(name), columnValue(statement, 2, false, "").value_or(""));
                        }
                        return true;
                    });
    if (rc != SQLITE_OK) {
        appendError(errorString, connection->errorMessage());
        return rc;
    }
    FieldReads reads{&tableName, &fieldNames, false, {}, {}};
    sqlite3_set_authorizer(db, noteRead, &reads);
    std::set<std::string> readingViews;
    for (const std::string& view : viewNames) {
        reads.found = false;
        if (compileNotingReads(db, "select * from " + quoteIdentifier(view)) && reads.found) {
            views->push_back(view);
            readingViews.insert(view);
        }
    }
    std::set<std::string> fired;
    for (const auto& [trigger, object] : triggerObjects) {
        if (fired.insert(object).second) compileFiringStatements(db, object);
    }
    sqlite3_set_authorizer(db, nullptr, nullptr);
    // A view that reads the fields fails as a whole once they are gone: so does every trigger
    // reading from it.
    for (const auto& [trigger, object] : triggerObjects) {
        const std::set<std::string>& objects = reads.objectsReadBy[trigger];
        if (reads.triggers.count(trigger) ||
            std::any_of(objects.begin(), objects.end(),
                        [&](const std::string& read) { return readingViews.count(read) > 0; })) {
            triggers->push_back(trigger);
        }
    }
    return SQLITE_OK;
}

std::set<std::string> indexesAndTriggersReadingFields(sqlite3* db, const std::string& tableName,
                                                      const std::vector<std::string>& fieldNames) {
    std::set<std::string> readers;
    if (fieldNames.empty()) return readers;
    std::vector<std::pair<std::string, std::string>> indexes;
    if (forEachRow(db,
                   "select name, sql from sqlite_master where type = 'index' and sql is not null "
                   "and tbl_name = " +
                       quoteLiteral(tableName) + " collate nocase",
                   [&](sqlite3_stmt* statement) {
                       indexes.emplace_back(columnValue(statement, 0, false, "").value_or(""),
                                            columnValue(statement, 1, false, "").value_or(""));
                       return true;
                   }) != SQLITE_OK) {
        return readers;
    }
    FieldReads reads{&tableName, &fieldNames, false, {}, {}};
    sqlite3_set_authorizer(db, noteRead, &reads);
    for (const auto& [index, sql] : indexes) {
        reads.found = false;
        auto renamed = renamedIndexStatement(sql);
        if (renamed && compileNotingReads(db, *renamed) && reads.found) readers.insert(index);
    }
    compileFiringStatements(db, tableName);
    sqlite3_set_authorizer(db, nullptr, nullptr);
    readers.insert(reads.triggers.begin(), reads.triggers.end());
    return readers;
}

std::vector<std::string> triggersFailingAlone(sqlite3* db) {
    struct Trigger {
        std::string name, object, sql;
        bool onView;
    };
    std::vector<Trigger> triggers;
    std::vector<std::string> failing;
    if (forEachRow(db,
                   "select t.name, t.tbl_name, t.sql, o.type = 'view' from sqlite_master t join "
                   "sqlite_master o on o.name = t.tbl_name collate nocase and o.type in "
                   "('table', 'view') where t.type = 'trigger' and t.sql is not null order by "
                   "t.rowid",
                   [&](sqlite3_stmt* statement) {
                       auto text = [statement](int i) {
                           return columnValue(statement, i, false, "").value_or("");
                       };
                       triggers.push_back(
                           {text(0), text(1), text(2), sqlite3_column_int(statement, 3) != 0});
                       return true;
                   }) != SQLITE_OK ||
        triggers.empty() || runQuietly(db, "savepoint varnelo_trigger_probe") != SQLITE_OK) {
        return failing;
    }
    // Alone, a trigger fails only by its own statements, never by another one it fires.
    bool alone = true;
    for (const Trigger& trigger : triggers) {
        alone =
            alone && runQuietly(db, "drop trigger " + quoteIdentifier(trigger.name)) == SQLITE_OK;
    }
    std::map<std::string, std::vector<bool>> compiledWithout;
    auto compiled = [db](const std::string& object) {
        std::vector<bool> results;
        for (const std::string& firing : firingStatements(db, object)) {
            Statement statement;
            results.push_back(statement.prepare(db, firing) == SQLITE_OK);
        }
        return results;
    };
    for (const Trigger& trigger : triggers) {
        if (!alone) break;
        auto without = compiledWithout.find(trigger.object);
        if (without == compiledWithout.end()) {
            without = compiledWithout.emplace(trigger.object, compiled(trigger.object)).first;
        }
        if (runQuietly(db, trigger.sql) != SQLITE_OK) {
            failing.push_back(trigger.name);
            continue;
        }
        const std::vector<bool> with = compiled(trigger.object);
        // A view takes no change but through its triggers: one that compiles none fails. A
        // table takes each: a trigger fails when a statement that compiled without it does not.
        bool fails = trigger.onView && std::find(with.begin(), with.end(), true) == with.end();
        for (size_t i = 0; !trigger.onView && i < with.size(); ++i) {
            fails = fails || (without->second[i] && !with[i]);
        }
        if (fails) failing.push_back(trigger.name);
        alone = runQuietly(db, "drop trigger " + quoteIdentifier(trigger.name)) == SQLITE_OK;
    }
    runQuietly(db, "rollback to varnelo_trigger_probe");
    runQuietly(db, "release varnelo_trigger_probe");
    return failing;
}

}  // namespace DBInterface
