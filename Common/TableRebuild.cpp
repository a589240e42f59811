// Changing a table's field list. SQLite alters little in place, so the table is rebuilt the way
// SQLite documents for general table changes: foreign keys off, a new table under a temporary
// name, the rows copied with their rowids, the old table dropped, the new one renamed, its
// indexes and triggers recreated, the stored settings moved with their fields and the foreign keys
// checked, all in one transaction. Renamed fields take their new names with SQLite's own column
// rename.
#include <algorithm>
#include <map>

#include "Common/CreateTableText.h"
#include "Common/FieldMoves.h"
#include "Common/MetaTables.h"
#include "Common/RebuildFields.h"
#include "Common/SQLQuote.h"
#include "Common/SQLTokens.h"
#include "Common/SchemaChanges.h"
#include "Common/ShownRows.h"
#include "Common/ViewDependencies.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

// A declared type is carried over only when it is plain words and a size.
bool isPlainType(const std::string& type) {
    size_t words =
        type.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_ ");
    if (words == std::string::npos) return true;
    if (type[words] != '(' || type.back() != ')') return false;
    return type.find_first_not_of("0123456789 ,+-", words + 1) == type.size() - 1;
}

// SQLite accepts a trigger whose new.x or old.x names a column that is gone, and fails only
// when it fires; such a trigger is not recreated, nor one that fires on an UPDATE OF a column
// that is gone (it would never fire). The rowid's names stay readable where the old table had a
// rowid no column of it shadowed.
bool namesOnlyColumnsOf(const std::string& triggerSQL, const std::vector<std::string>& columns,
                        const TableShape& shape) {
    auto tokens = tokenizeSQL(triggerSQL);
    if (!tokens) return true;
    size_t end = tokens->size();
    // The event comes before the first ON, the table's.
    size_t on = 0;
    while (on < end && !isWord((*tokens)[on], {"on"})) ++on;
    for (size_t i = 0; i < on; ++i) {
        if (!isWord((*tokens)[i], {"update"})) continue;
        size_t of = nextSignificant(*tokens, i + 1, on);
        if (of == on || !isWord((*tokens)[of], {"of"})) break;
        for (size_t column = of + 1; column < on; ++column) {
            auto name = nameOf((*tokens)[column]);
            if (name && !isOneOf(*name, columns)) return false;
        }
        break;
    }
    for (size_t i = 0; i < end; ++i) {
        if (!isWord((*tokens)[i], {"new", "old"})) continue;
        size_t dot = nextSignificant(*tokens, i + 1, end);
        if (dot == end || !isPunct((*tokens)[dot], '.')) continue;
        size_t column = nextSignificant(*tokens, dot + 1, end);
        auto name = column < end ? nameOf((*tokens)[column]) : std::nullopt;
        if (!name || isOneOf(*name, columns)) continue;
        const bool rowid = !shape.rowidName.empty() &&
                           isOneOf(*name, {"rowid", "oid", "_rowid_"}) &&
                           !isOneOf(*name, shape.columnOrder);
        if (!rowid) return false;
    }
    return true;
}

// Whether the text names any of the columns, as a name in any form (new.x, a quoted name, a
// column list): strings and comments do not count.
bool namesAnyOf(const std::string& sql, const std::vector<std::string>& columns) {
    auto tokens = tokenizeSQL(sql);
    if (!tokens) return true;
    return std::any_of(tokens->begin(), tokens->end(), [&columns](const Token& token) {
        auto name = nameOf(token);
        return name && isOneOf(*name, columns);
    });
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

// Of the triggers that fail once the columns are gone and did not before, the table's own that
// name one of them are dropped; the others are kept and told.
int dropTriggersNamingDropped(RebuildSession& session, const TableShape& shape,
                              const std::vector<std::string>& droppedColumns,
                              const std::vector<std::string>& failingBefore,
                              std::vector<std::string>* dropped,
                              std::vector<std::string>* failingTriggers) {
    for (const std::string& trigger : triggersFailingAlone(session.handle())) {
        if (isOneOf(trigger, failingBefore)) continue;
        const auto& names = shape.indexAndTriggerNames;
        const auto own = std::find(names.begin(), names.end(), trigger);
        if (own != names.end() &&
            namesAnyOf(shape.indexAndTriggerSQL[static_cast<size_t>(own - names.begin())],
                       droppedColumns)) {
            if (int rc = session.run("drop trigger " + quoteIdentifier(trigger))) return rc;
            dropped->push_back(trigger);
        } else if (failingTriggers) {
            failingTriggers->push_back(trigger);
        }
    }
    return SQLITE_OK;
}

// A dry run goes as far as recreating the indexes and triggers, on a table without rows, to
// learn which of them would be lost, and then undoes everything.
enum class RebuildMode { Change, DryRun };

int rebuild(RebuildSession& session, RebuildMode mode, const std::string& tableName,
            const std::vector<std::string>& oldFieldNames,
            const std::vector<int64_t>& oldFieldIndices,
            const std::vector<std::string>& newFieldNames, const std::vector<int>& newFieldTypes,
            const std::vector<int64_t>* newFieldFormatStyles,
            const std::vector<std::string>* newFieldLookupTables,
            std::vector<std::string>* droppedObjects, DroppedFieldSettings* droppedSettings,
            std::vector<std::string>* failingTriggers, const FieldSettings* oldSettings,
            std::string* errorString) {
    int rc = refuseDuplicateNames(newFieldNames, errorString);
    if (rc != SQLITE_OK) return rc;
    // Old fields named otherwise than the table's now (changed elsewhere since they were read)
    // would drop its other columns and their values; settings changed since would be written
    // back as they were read.
    rc = checkFieldNames(oldFieldNames, tableName, session.connection(), errorString, oldSettings);
    if (rc != SQLITE_OK) return rc;
    TableShape shape;
    if ((rc = readShape(session, tableName, &shape, errorString)) != SQLITE_OK) return rc;
    FieldPlan plan = planFields(shape, oldFieldNames, oldFieldIndices, newFieldNames.size());
    rc = refuseDroppingReferencedFields(session, tableName, shape, plan, errorString);
    if (rc != SQLITE_OK) return rc;

    // Renamed fields are rebuilt under their interim names and take their new names last.
    std::vector<std::string> fieldNames = newFieldNames;
    std::vector<Rename> renames = planRenames(shape, plan, newFieldNames);
    if (!renames.empty()) {
        std::vector<std::pair<std::string, std::string>> toInterim;
        for (const Rename& rename : renames) {
            toInterim.emplace_back(rename.column, rename.interim);
            fieldNames[rename.field] = rename.interim;
            for (auto& source : plan.sources) {
                const std::string* column = source ? tableColumn(shape, *source) : nullptr;
                if (column && *column == rename.column) source = rename.interim;
            }
        }
        if ((rc = renameColumns(session, tableName, toInterim)) != SQLITE_OK) return rc;
        shape = TableShape();
        if ((rc = readShape(session, tableName, &shape, errorString)) != SQLITE_OK) return rc;
    }

    // New field i and the old column it takes its values from.
    std::vector<std::string> selectItems;
    std::map<std::string, std::string> newNameOf;
    std::vector<const OldColumn*> sources;
    std::vector<const std::string*> sourceNames;
    for (size_t i = 0; i < fieldNames.size(); ++i) {
        const std::string* oldName = plan.sources[i] ? &*plan.sources[i] : nullptr;
        selectItems.push_back(oldName ? quoteIdentifier(*oldName) : "''");
        sourceNames.push_back(oldName);
        auto found = oldName ? shape.columns.find(*oldName) : shape.columns.end();
        sources.push_back(found == shape.columns.end() ? nullptr : &found->second);
        if (oldName) newNameOf.emplace(*oldName, fieldNames[i]);
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
                                        fieldNames);
    std::string definition = carried
                                 ? "(" + carried->body + ")" + carried->options
                                 : "(" +
                                       reconstructedColumnList(shape, fieldNames, sources,
                                                               newNameOf, primaryKey, rowidKey) +
                                       ")";
    // A generated column computes its values again and takes none.
    std::vector<std::string> insertNames;
    std::string selectList;
    for (size_t i = 0; i < fieldNames.size(); ++i) {
        if (carried && carried->generated[i]) continue;
        insertNames.push_back(fieldNames[i]);
        selectList += (selectList.empty() ? "" : ",") + selectItems[i];
    }

    // An index or trigger that reads a dropped column only inside an expression would come back
    // reading its quoted name as a text: it is found while the column is still there.
    std::vector<std::string> keptColumns, droppedColumns;
    for (const auto& source : plan.sources) {
        if (source) keptColumns.push_back(*source);
    }
    for (const std::string& column : shape.columnOrder) {
        if (!isOneOf(column, keptColumns)) droppedColumns.push_back(column);
    }
    const std::set<std::string> readingDropped =
        indexesAndTriggersReadingFields(session.handle(), tableName, droppedColumns);
    // A trigger that writes a dropped column is found only once the column is gone (SQLite
    // tells no column of an INSERT's list): each trigger is tried before and after.
    const std::vector<std::string> failingBefore = droppedColumns.empty()
                                                       ? std::vector<std::string>()
                                                       : triggersFailingAlone(session.handle());

    std::string table = quoteIdentifier(tableName);
    std::string temporary = quoteIdentifier("xyztmp_" + tableName);
    std::string rowid = shape.rowidName.empty() ? "" : shape.rowidName + ", ";
    bool legacyRenameWasOn = session.pragmaIsOn("legacy_alter_table");
    std::string sql = "create table " + temporary + " " + definition + ";\n";
    if (mode == RebuildMode::Change) {
        sql += "insert into " + temporary + " (" + rowid + quoteIdentifierList(insertNames) +
               ") select " + rowid + selectList + " from " + table + ";\n";
    }
    // The rename must neither rewrite nor check the views and triggers that name the table.
    sql += "drop table " + table + ";\npragma legacy_alter_table=ON;\nalter table " + temporary +
           " rename to " + table +
           ";\npragma legacy_alter_table=" + (legacyRenameWasOn ? "ON" : "OFF") + ";";
    // The counter may stand above the largest rowid left: keys of deleted rows stay used.
    if (mode == RebuildMode::Change && rowidKey && shape.autoincrement && shape.sequence) {
        std::string sequence = "cast(" + quoteLiteral(*shape.sequence) + " as integer)";
        std::string name = quoteLiteral(tableName);
        sql += "\nupdate sqlite_sequence set seq = max(seq, " + sequence + ") where name=" + name +
               ";\ninsert into sqlite_sequence (name, seq) select " + name + ", " + sequence +
               " where not exists (select 1 from sqlite_sequence where name=" + name + ");";
    }
    if ((rc = session.run(sql)) != SQLITE_OK) return rc;
    // Indexes and triggers whose columns are gone do not come back. An index is checked before
    // it is recreated: SQLite would read a quoted name that is gone as a text.
    std::vector<std::string> dropped;
    for (size_t i = 0; i < shape.indexAndTriggerSQL.size(); ++i) {
        const std::string& definition = shape.indexAndTriggerSQL[i];
        const std::vector<std::string>& columns = shape.indexColumns[i];
        bool columnsRemain = std::all_of(columns.begin(), columns.end(),
                                         [&](const auto& c) { return isOneOf(c, fieldNames); });
        if (!columnsRemain || readingDropped.count(shape.indexAndTriggerNames[i]) ||
            !namesOnlyColumnsOf(definition, fieldNames, shape) || !session.tryRun(definition)) {
            dropped.push_back(shape.indexAndTriggerNames[i]);
        }
    }
    if (!droppedColumns.empty()) {
        rc = dropTriggersNamingDropped(session, shape, droppedColumns, failingBefore, &dropped,
                                       failingTriggers);
        if (rc != SQLITE_OK) return rc;
    }
    if (mode == RebuildMode::DryRun) {
        if (droppedObjects)
            droppedObjects->insert(droppedObjects->end(), dropped.begin(), dropped.end());
        session.tryRun("rollback transaction");
        return SQLITE_OK;
    }

    std::vector<std::pair<std::string, std::string>> toNewNames;
    for (const Rename& rename : renames) {
        toNewNames.emplace_back(rename.interim, newFieldNames[rename.field]);
    }
    if ((rc = renameColumns(session, tableName, toNewNames)) != SQLITE_OK) return rc;

    bool hasFieldsTable = session.tryRun("select 1 from varnelo_db_fields limit 0");
    std::string rows;
    if (!newFieldTypes.empty() && newFieldNames.size() == newFieldTypes.size()) {
        rows = fieldRowsSQL(tableName, newFieldNames, newFieldTypes, newFieldFormatStyles,
                            newFieldLookupTables);
    }
    if (hasFieldsTable || !rows.empty()) {
        rc = session.run(createFieldsMetaTableSQL() +
                         "delete from varnelo_db_fields where table_name=" +
                         quoteLiteral(tableName) + ";\n" + rows);
        if (rc != SQLITE_OK) return rc;
    }
    // The sort keys and searched fields are stored by position: they follow their fields.
    rc = moveFieldSettings(session, tableName,
                           newFieldPositions(oldFieldIndices, oldFieldNames.size()),
                           droppedSettings);
    if (rc != SQLITE_OK) return rc;
    if (session.foreignKeysWereOn()) {
        std::vector<DBRow> violations;
        if ((rc = session.read("pragma foreign_key_check", &violations)) != SQLITE_OK) return rc;
        if (!violations.empty()) {
            appendError(
                errorString,
                localizedFormat("The change of table %@ would break foreign keys", {tableName}));
            return SQLITE_CONSTRAINT_FOREIGNKEY;
        }
    }
    if ((rc = session.run("commit transaction")) != SQLITE_OK) return rc;
    if (droppedObjects)
        droppedObjects->insert(droppedObjects->end(), dropped.begin(), dropped.end());
    return SQLITE_OK;
}

// Runs a rebuild in one transaction with the foreign keys off, as SQLite's procedure for
// general table changes asks; they are switched on again afterwards when they were on.
template <typename Rebuild>
int inTransaction(const std::string& databaseFilePath, std::string* errorString, Rebuild&& body) {
    if (databaseFilePath.empty()) return kMissingPathResult;
    RebuildSession session(databaseFilePath, errorString);
    if (!session.isOpen()) return session.openResult();
    int rc = session.beginWithoutForeignKeys();
    if (rc == SQLITE_OK) rc = body(session);
    if (rc != SQLITE_OK) session.tryRun("rollback transaction");
    session.restoreForeignKeys();
    return rc;
}

}  // namespace

int changeTable(const std::string& tableName, const std::vector<std::string>& oldFieldNames,
                const std::vector<int64_t>& oldFieldIndices,
                const std::vector<std::string>& newFieldNames,
                const std::vector<int>& newFieldTypes,
                const std::vector<int64_t>* newFieldFormatStyles,
                const std::vector<std::string>* newFieldLookupTables,
                std::vector<std::string>* droppedObjects, const std::string& databaseFilePath,
                std::string* errorString, DroppedFieldSettings* droppedSettings,
                const FieldSettings* oldSettings) {
    if (databaseFilePath.empty()) return kMissingPathResult;
    // An older file's field rows have no lookup table column yet.
    if (int rc = addLookupTableFieldToDatabaseFilePath(databaseFilePath, errorString)) return rc;
    return inTransaction(databaseFilePath, errorString, [&](RebuildSession& session) {
        return rebuild(session, RebuildMode::Change, tableName, oldFieldNames, oldFieldIndices,
                       newFieldNames, newFieldTypes, newFieldFormatStyles, newFieldLookupTables,
                       droppedObjects, droppedSettings, nullptr, oldSettings, errorString);
    });
}

int objectsDroppedByChangeTable(std::vector<std::string>* droppedObjects,
                                const std::string& tableName,
                                const std::vector<std::string>& oldFieldNames,
                                const std::vector<int64_t>& oldFieldIndices,
                                const std::vector<std::string>& newFieldNames,
                                const std::string& databaseFilePath, std::string* errorString,
                                std::vector<std::string>* failingTriggers) {
    return inTransaction(databaseFilePath, errorString, [&](RebuildSession& session) {
        return rebuild(session, RebuildMode::DryRun, tableName, oldFieldNames, oldFieldIndices,
                       newFieldNames, {}, nullptr, nullptr, droppedObjects, nullptr,
                       failingTriggers, nullptr, errorString);
    });
}

}  // namespace DBInterface
