#include "Common/TableShape.h"

#include <algorithm>

#include "Common/SQLQuote.h"
#include "Common/SQLTokens.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

std::string text(const DBValue& value) {
    return value.value_or("");
}

std::string referentialAction(const std::string& action) {
    for (const char* known : {"CASCADE", "SET NULL", "SET DEFAULT", "RESTRICT"}) {
        if (action == known) return action;
    }
    return "NO ACTION";
}

// Only the key word counts: a name or a text may hold the word too.
bool hasAutoincrementKeyword(const std::string& createSQL) {
    auto tokens = tokenizeSQL(createSQL);
    return tokens && std::any_of(tokens->begin(), tokens->end(), [](const Token& token) {
               return isWord(token, {"AUTOINCREMENT"});
           });
}

}  // namespace

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
    rc = session.read("select sql from sqlite_master where type='table' and name=" + name, &rows);
    if (rc != SQLITE_OK) return rc;
    if (!rows.empty()) shape->createSQL = text(rows[0][0]);
    shape->autoincrement = hasAutoincrementKeyword(shape->createSQL);
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
        shape->indexAndTriggerNames.push_back(text(row[2]));
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

const std::string* tableColumn(const TableShape& shape, const std::string& name) {
    for (const std::string& column : shape.columnOrder) {
        if (sqlite3_stricmp(column.c_str(), name.c_str()) == 0) return &column;
    }
    return nullptr;
}

bool isOneOf(const std::string& name, const std::vector<std::string>& columns) {
    for (const std::string& column : columns) {
        if (sqlite3_stricmp(column.c_str(), name.c_str()) == 0) return true;
    }
    return false;
}

}  // namespace DBInterface
