// Changing a table's field list. SQLite alters little in place, so the table is rebuilt the way
// SQLite documents for general table changes: foreign keys off, a new table under a temporary
// name, the rows copied with their rowids, the old table dropped, the new one renamed, its
// indexes and triggers recreated and the foreign keys checked, all in one transaction.
#include <algorithm>
#include <map>
#include <optional>

#include "Common/CreateTableText.h"
#include "Common/DBConnection.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "Common/SQLTokens.h"
#include "Common/SchemaChanges.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

struct OldColumn {
    std::string type;
    bool notNull = false;
    DBValue defaultValue;
    int primaryKeyOrder = 0;
};

// A connection whose statements report their failure once, into the caller's error string.
class RebuildSession {
  public:
    RebuildSession(const std::string& path, std::string* errorString)
        : connection_(path, ConnectionKind::Statement, errorString), errorString_(errorString) {}

    bool isOpen() const { return connection_.isOpen(); }
    int openResult() const { return connection_.openResult(); }

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
            DBRow row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                row.push_back(columnValue(statement, i, true, kInvalidUtf8Marker));
            }
            rows->push_back(std::move(row));
            return true;
        });
        if (rc != SQLITE_OK) appendError(errorString_, connection_.errorMessage());
        return rc;
    }
    bool pragmaIsOn(const std::string& name) {
        std::vector<DBRow> rows;
        return read("pragma " + name, &rows) == SQLITE_OK && !rows.empty() && rows[0].size() == 1 &&
               rows[0][0] == "1";
    }

  private:
    DBConnection connection_;
    std::string* errorString_;
};

std::string text(const DBValue& value) {
    return value.value_or("");
}

// A declared type is carried over only when it is plain words and a size.
bool isPlainType(const std::string& type) {
    size_t words =
        type.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_ ");
    if (words == std::string::npos) return true;
    if (type[words] != '(' || type.back() != ')') return false;
    return type.find_first_not_of("0123456789 ,+-", words + 1) == type.size() - 1;
}

std::string referentialAction(const std::string& action) {
    for (const char* known : {"CASCADE", "SET NULL", "SET DEFAULT", "RESTRICT"}) {
        if (action == known) return action;
    }
    return "NO ACTION";
}

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
    // The columns each index names, parallel to the SQL (none for a trigger).
    std::vector<std::vector<std::string>> indexColumns;
    std::string rowidName;  // empty when the rows have no rowid to keep
    bool autoincrement = false;
    DBValue sequence;  // the AUTOINCREMENT counter, when there is one
};

int readShape(RebuildSession& session, const std::string& table, TableShape* shape,
              std::string* errorString) {
    std::string name = quoteLiteral(table);
    std::vector<DBRow> rows;
    int rc = session.read(
        "select name, type, \"notnull\", dflt_value, pk from pragma_table_xinfo(" + name + ")",
        &rows);
    if (rc != SQLITE_OK) return rc;
    if (rows.empty()) {
        appendError(errorString, localizedFormat("No such table: %@", {table}));
        return SQLITE_ERROR;
    }
    for (const DBRow& row : rows) {
        shape->columns[text(row[0])] = {text(row[1]), text(row[2]) == "1", row[3],
                                        std::atoi(text(row[4]).c_str())};
        shape->columnOrder.push_back(text(row[0]));
    }

    rows.clear();
    rc = session.read("select wr from pragma_table_list where schema='main' and name=" + name,
                      &rows);
    if (rc != SQLITE_OK) return rc;
    bool withoutRowid = !rows.empty() && text(rows[0][0]) == "1";
    for (const char* alias : {"rowid", "oid", "_rowid_"}) {
        if (withoutRowid || shape->rowidName.size()) break;
        bool shadowed = false;
        for (const auto& [column, info] : shape->columns) {
            shadowed |= sqlite3_stricmp(column.c_str(), alias) == 0;
        }
        if (!shadowed) shape->rowidName = alias;
    }

    rows.clear();
    rc = session.read(
        "select sql like '%autoincrement%', sql from sqlite_master where type='table' "
        "and name=" +
            name,
        &rows);
    if (rc != SQLITE_OK) return rc;
    shape->autoincrement = !rows.empty() && text(rows[0][0]) == "1";
    if (!rows.empty()) shape->createSQL = text(rows[0][1]);
    if (shape->autoincrement) {
        rows.clear();
        rc = session.read("select seq from sqlite_sequence where name=" + name, &rows);
        if (rc != SQLITE_OK) return rc;
        if (!rows.empty()) shape->sequence = rows[0][0];
    }

    rows.clear();
    rc = session.read("select il.name, ii.name from pragma_index_list(" + name +
                          ") il, pragma_index_info(il.name) ii where il.origin='u' "
                          "order by il.seq, ii.seqno",
                      &rows);
    if (rc != SQLITE_OK) return rc;
    std::string current;
    for (const DBRow& row : rows) {
        if (text(row[0]) != current || shape->uniqueColumns.empty()) {
            shape->uniqueColumns.emplace_back();
            current = text(row[0]);
        }
        shape->uniqueColumns.back().push_back(text(row[1]));
    }

    rows.clear();
    rc = session.read(
        "select id, \"table\", \"from\", \"to\", on_update, on_delete from "
        "pragma_foreign_key_list(" +
            name + ") order by id, seq",
        &rows);
    if (rc != SQLITE_OK) return rc;
    std::string lastId;
    std::vector<std::string> toColumns;
    for (size_t i = 0; i < rows.size(); ++i) {
        const DBRow& row = rows[i];
        if (text(row[0]) != lastId) {
            lastId = text(row[0]);
            shape->foreignKeyColumns.emplace_back();
            toColumns.clear();
        }
        shape->foreignKeyColumns.back().push_back(text(row[2]));
        if (row[3]) toColumns.push_back(*row[3]);
        bool last = i + 1 == rows.size() || text(rows[i + 1][0]) != lastId;
        if (!last) continue;
        std::string clause = "FOREIGN KEY (%COLUMNS%) REFERENCES " + quoteIdentifier(text(row[1]));
        if (!toColumns.empty()) clause += " (" + quoteIdentifierList(toColumns) + ")";
        clause += " ON UPDATE " + referentialAction(text(row[4])) + " ON DELETE " +
                  referentialAction(text(row[5]));
        shape->foreignKeyClauses.push_back(clause);
    }

    rows.clear();
    rc = session.read(
        "select sql, type, name from sqlite_master where type in ('index', 'trigger') and "
        "tbl_name=" +
            name + " and sql is not null order by type, rowid",
        &rows);
    if (rc != SQLITE_OK) return rc;
    for (const DBRow& row : rows) {
        shape->indexAndTriggerSQL.push_back(text(row[0]));
        std::vector<std::string>& columns = shape->indexColumns.emplace_back();
        if (text(row[1]) != "index") continue;
        std::vector<DBRow> indexed;
        rc = session.read("select name from pragma_index_info(" + quoteLiteral(text(row[2])) +
                              ") where name is not null",
                          &indexed);
        if (rc != SQLITE_OK) return rc;
        for (const DBRow& column : indexed) columns.push_back(text(column[0]));
    }
    return SQLITE_OK;
}

bool isOneOf(const std::string& name, const std::vector<std::string>& columns) {
    for (const std::string& column : columns) {
        if (sqlite3_stricmp(column.c_str(), name.c_str()) == 0) return true;
    }
    return false;
}

// SQLite accepts a trigger whose new.x or old.x names a column that is gone, and fails only
// when it fires; such a trigger is not recreated.
bool namesOnlyColumnsOf(const std::string& triggerSQL, const std::vector<std::string>& columns) {
    auto tokens = tokenizeSQL(triggerSQL);
    if (!tokens) return true;
    size_t end = tokens->size();
    for (size_t i = 0; i < end; ++i) {
        if (!isWord((*tokens)[i], {"new", "old"})) continue;
        size_t dot = nextSignificant(*tokens, i + 1, end);
        if (dot == end || !isPunct((*tokens)[dot], '.')) continue;
        size_t column = nextSignificant(*tokens, dot + 1, end);
        auto name = column < end ? nameOf((*tokens)[column]) : std::nullopt;
        if (name && !isOneOf(*name, columns)) return false;
    }
    return true;
}

// The new names of old columns, or nothing when one of them does not survive.
bool mappedNames(const std::vector<std::string>& oldColumns,
                 const std::map<std::string, std::string>& newNameOf,
                 std::vector<std::string>* newNames) {
    for (const std::string& column : oldColumns) {
        auto found = newNameOf.find(column);
        if (found == newNameOf.end()) return false;
        newNames->push_back(found->second);
    }
    return true;
}

// The definition rebuilt from the pragmas alone, for a text that could not be split: types,
// NOT NULL, defaults and keys survive, collations, checks and generated columns do not.
std::string reconstructedColumnList(const TableShape& shape,
                                    const std::vector<std::string>& newFieldNames,
                                    const std::vector<const OldColumn*>& sources,
                                    const std::map<std::string, std::string>& newNameOf,
                                    const std::vector<std::string>& primaryKey, bool rowidKey) {
    std::vector<std::string> definitions;
    for (size_t i = 0; i < newFieldNames.size(); ++i) {
        std::string definition = quoteIdentifier(newFieldNames[i]);
        if (const OldColumn* column = sources[i]) {
            if (!column->type.empty() && isPlainType(column->type))
                definition += " " + column->type;
            if (rowidKey && newFieldNames[i] == primaryKey[0] && column->primaryKeyOrder == 1) {
                definition += shape.autoincrement ? " PRIMARY KEY AUTOINCREMENT" : " PRIMARY KEY";
            }
            if (column->notNull) definition += " NOT NULL";
            if (column->defaultValue) definition += " DEFAULT (" + *column->defaultValue + ")";
        }
        definitions.push_back(definition);
    }
    if (!primaryKey.empty() && !rowidKey) {
        definitions.push_back("PRIMARY KEY (" + quoteIdentifierList(primaryKey) + ")");
    }
    for (const auto& unique : shape.uniqueColumns) {
        std::vector<std::string> names;
        if (mappedNames(unique, newNameOf, &names)) {
            definitions.push_back("UNIQUE (" + quoteIdentifierList(names) + ")");
        }
    }
    for (size_t i = 0; i < shape.foreignKeyClauses.size(); ++i) {
        std::vector<std::string> names;
        if (!mappedNames(shape.foreignKeyColumns[i], newNameOf, &names)) continue;
        std::string clause = shape.foreignKeyClauses[i];
        clause.replace(clause.find("%COLUMNS%"), 9, quoteIdentifierList(names));
        definitions.push_back(clause);
    }
    std::string columnList;
    for (const std::string& definition : definitions) {
        columnList += (columnList.empty() ? "" : ", ") + definition;
    }
    return columnList;
}

}  // namespace

int changeTable(const std::string& tableName, const std::vector<std::string>& oldFieldNames,
                const std::vector<int64_t>& oldFieldIndices,
                const std::vector<std::string>& newFieldNames,
                const std::vector<int>& newFieldTypes,
                const std::vector<int64_t>* newFieldFormatStyles,
                const std::vector<std::string>* newFieldLookupTables,
                const std::string& databaseFilePath, std::string* errorString) {
    if (databaseFilePath.empty()) return kMissingPathResult;
    RebuildSession session(databaseFilePath, errorString);
    if (!session.isOpen()) return session.openResult();

    TableShape shape;
    int rc = readShape(session, tableName, &shape, errorString);
    if (rc != SQLITE_OK) return rc;

    // New field i and the old column it takes its values from.
    std::vector<std::string> selectItems;
    std::map<std::string, std::string> newNameOf;
    std::vector<const OldColumn*> sources;
    std::vector<const std::string*> sourceNames;
    for (size_t i = 0; i < newFieldNames.size(); ++i) {
        int64_t k = i < oldFieldIndices.size() ? oldFieldIndices[i] : -1;
        bool mapped = k >= 0 && k < static_cast<int64_t>(oldFieldNames.size());
        const std::string* oldName = mapped ? &oldFieldNames[static_cast<size_t>(k)] : nullptr;
        selectItems.push_back(oldName ? quoteIdentifier(*oldName) : "''");
        sourceNames.push_back(oldName);
        auto found = oldName ? shape.columns.find(*oldName) : shape.columns.end();
        sources.push_back(found == shape.columns.end() ? nullptr : &found->second);
        if (oldName) newNameOf.emplace(*oldName, newFieldNames[i]);
    }

    std::vector<std::string> primaryKeyOld;
    for (const auto& [name, column] : shape.columns) {
        if (column.primaryKeyOrder > 0) {
            primaryKeyOld.resize(std::max<size_t>(primaryKeyOld.size(),
                                                  static_cast<size_t>(column.primaryKeyOrder)));
            primaryKeyOld[static_cast<size_t>(column.primaryKeyOrder - 1)] = name;
        }
    }
    std::vector<std::string> primaryKey;
    bool keepPrimaryKey =
        !primaryKeyOld.empty() && mappedNames(primaryKeyOld, newNameOf, &primaryKey);
    if (!keepPrimaryKey) primaryKey.clear();
    // A single INTEGER key is the rowid itself and stays so.
    bool rowidKey = keepPrimaryKey && primaryKey.size() == 1 &&
                    sqlite3_stricmp(shape.columns[primaryKeyOld[0]].type.c_str(), "INTEGER") == 0;

    // The table's own text keeps what the pragmas do not tell: collations, checks, generated
    // columns and the table's options.
    auto carried = carryOverCreateTable(shape.createSQL, tableName, shape.columnOrder, sourceNames,
                                        newFieldNames);
    std::string definition = carried
                                 ? "(" + carried->body + ")" + carried->options
                                 : "(" +
                                       reconstructedColumnList(shape, newFieldNames, sources,
                                                               newNameOf, primaryKey, rowidKey) +
                                       ")";
    // A generated column computes its values again and takes none.
    std::vector<std::string> insertNames;
    std::string selectList;
    for (size_t i = 0; i < newFieldNames.size(); ++i) {
        if (carried && carried->generated[i]) continue;
        insertNames.push_back(newFieldNames[i]);
        selectList += (selectList.empty() ? "" : ",") + selectItems[i];
    }

    std::string table = quoteIdentifier(tableName);
    std::string temporary = quoteIdentifier("xyztmp_" + tableName);
    std::string rowid = shape.rowidName.empty() ? "" : shape.rowidName + ", ";
    bool foreignKeysWereOn = session.pragmaIsOn("foreign_keys");
    bool legacyRenameWasOn = session.pragmaIsOn("legacy_alter_table");
    session.run("pragma foreign_keys=OFF");

    auto script = [&]() -> int {
        int step;
        if ((step = session.run("begin transaction")) != SQLITE_OK) return step;
        std::string sql = "create table " + temporary + " " + definition + ";\ninsert into " +
                          temporary + " (" + rowid + quoteIdentifierList(insertNames) +
                          ") select " + rowid + selectList;
        // The rename must neither rewrite nor check the views and triggers that name the table.
        sql += " from " + table + ";\ndrop table " + table +
               ";\npragma legacy_alter_table=ON;\nalter table " + temporary + " rename to " +
               table + ";\npragma legacy_alter_table=" + (legacyRenameWasOn ? "ON" : "OFF") + ";";
        // The counter may stand above the largest rowid left: keys of deleted rows stay used.
        if (rowidKey && shape.autoincrement && shape.sequence) {
            std::string sequence = "cast(" + quoteLiteral(*shape.sequence) + " as integer)";
            std::string name = quoteLiteral(tableName);
            sql += "\nupdate sqlite_sequence set seq = max(seq, " + sequence +
                   ") where name=" + name + ";\ninsert into sqlite_sequence (name, seq) select " +
                   name + ", " + sequence +
                   " where not exists (select 1 from sqlite_sequence where name=" + name + ");";
        }
        if ((step = session.run(sql)) != SQLITE_OK) return step;
        // Indexes and triggers whose columns are gone do not come back. An index is checked
        // before it is recreated: SQLite would read a quoted name that is gone as a text.
        for (size_t i = 0; i < shape.indexAndTriggerSQL.size(); ++i) {
            const std::string& definition = shape.indexAndTriggerSQL[i];
            const std::vector<std::string>& columns = shape.indexColumns[i];
            bool columnsRemain = std::all_of(columns.begin(), columns.end(), [&](const auto& c) {
                return isOneOf(c, newFieldNames);
            });
            if (columnsRemain && namesOnlyColumnsOf(definition, newFieldNames)) {
                session.tryRun(definition);
            }
        }

        bool hasFieldsTable = session.tryRun("select 1 from varnelo_db_fields limit 0");
        std::string rows;
        if (!newFieldTypes.empty() && newFieldNames.size() == newFieldTypes.size()) {
            rows = fieldRowsSQL(tableName, newFieldNames, newFieldTypes, newFieldFormatStyles,
                                newFieldLookupTables);
        }
        if (hasFieldsTable || !rows.empty()) {
            step = session.run(createFieldsMetaTableSQL() +
                               "delete from varnelo_db_fields where table_name=" +
                               quoteLiteral(tableName) + ";\n" + rows);
            if (step != SQLITE_OK) return step;
        }
        if (foreignKeysWereOn) {
            std::vector<DBRow> violations;
            if ((step = session.read("pragma foreign_key_check", &violations)) != SQLITE_OK) {
                return step;
            }
            if (!violations.empty()) {
                appendError(errorString,
                            localizedFormat("The change of table %@ would break foreign keys",
                                            {tableName}));
                return SQLITE_CONSTRAINT_FOREIGNKEY;
            }
        }
        return session.run("commit transaction");
    };
    rc = script();
    if (rc != SQLITE_OK) session.tryRun("rollback transaction");
    if (foreignKeysWereOn) session.run("pragma foreign_keys=ON");
    return rc;
}

}  // namespace DBInterface
