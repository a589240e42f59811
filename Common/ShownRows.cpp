#include "Common/ShownRows.h"

#include <algorithm>
#include <map>
#include <set>

#include "Common/DBConnection.h"
#include "Common/FieldModel.h"
#include "Common/HeldPrefixPages.h"
#include "Common/RowInserter.h"
#include "Common/RowidText.h"
#include "Common/SQLQuote.h"
#include "Common/ValuePrefix.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

std::string shownRowsSelect(const ShownRows& shown, const std::string& table,
                            const std::vector<std::string>& rowids) {
    std::string columns = "ROWID";
    for (size_t i = 0; i < shown.fieldNames.size(); ++i) {
        const std::string name = quoteIdentifier(shown.fieldNames[i]);
        const bool raw = i < shown.rawFields.size() && shown.rawFields[i];
        columns += ", " + (raw ? "hex(" + name + ")" : name);
    }
    std::string list;
    for (const std::string& rowid : rowids) list += (list.empty() ? "" : ",") + rowid;
    return "select " + columns + " from " + quoteIdentifier(table) + " where ROWID in (" + list +
           ")";
}

namespace {

// Whether the column holds the value shown; one shown cut is compared as far as it is held.
bool holdsShownValue(sqlite3_stmt* statement, int column, const DBValue& shownValue) {
    if (!isCutValue(shownValue)) {
        return columnValue(statement, column, true, kInvalidUtf8Marker) == shownValue;
    }
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return false;
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const auto length = static_cast<size_t>(sqlite3_column_bytes(statement, column));
    if (!bytes) return false;
    return heldValueOfPrefix(std::string(bytes, std::min(length, kHeldValueReadBytes)), length) ==
           *shownValue;
}

// The lookup table of each field, "" where varnelo_db_fields names none (or has no such column).
int readLookupTables(std::vector<std::string>* lookupTables, const std::string& table,
                     const std::vector<std::string>& fieldNames, const DBConnection& connection,
                     std::string* errorString) {
    bool column = false;
    int rc = forEachRow(connection.handle(),
                        "select 1 from pragma_table_info('varnelo_db_fields') where name = "
                        "'lookup_table'",
                        [&column](sqlite3_stmt*) { return !(column = true); });
    std::map<std::string, std::string> byName;
    if (rc == SQLITE_OK && column) {
        rc = forEachRow(connection.handle(),
                        "select name, lookup_table from varnelo_db_fields where table_name=" +
                            quoteLiteral(table),
                        [&byName](sqlite3_stmt* statement) {
                            byName[columnValue(statement, 0, false, "").value_or("")] =
                                columnValue(statement, 1, false, "").value_or("");
                            return true;
                        });
    }
    if (rc != SQLITE_OK) {
        appendError(errorString, connection.errorMessage());
        return rc;
    }
    for (const std::string& name : fieldNames) {
        auto found = byName.find(name);
        lookupTables->push_back(found == byName.end() ? "" : found->second);
    }
    return SQLITE_OK;
}

int fieldsChanged(std::string* errorString) {
    appendError(errorString, fieldsChangedMessage());
    return kFieldsChanged;
}

int rowsChanged(const ShownRows& shown, std::string* errorString) {
    appendError(errorString, shown.editedRow ? rowChangedMessage() : rowsChangedMessage());
    return kRowsChanged;
}

bool holdsCutValue(const DBRow& row) {
    return std::any_of(row.begin() + (row.empty() ? 0 : 1), row.end(), isCutValue);
}

// Since the rows were read the schema changed, and with it the rowids of a table without an
// INTEGER PRIMARY KEY may have (a vacuum renumbers them): a row shown in part by a prefix may now
// be another that differs only past it.
int refuseLookAlikes(const ShownRows& shown, const std::string& table,
                     const DBConnection& connection, std::string* errorString) {
    if (shown.rowsSchemaVersion >= 0 &&
        schemaVersion(connection.handle()) == shown.rowsSchemaVersion) {
        return SQLITE_OK;
    }
    if (std::none_of(shown.rows.begin(), shown.rows.end(), holdsCutValue)) return SQLITE_OK;
    std::string alias;
    int rc = rowidAliasColumn(connection.handle(), table, &alias, errorString);
    if (rc != SQLITE_OK) return rc;
    return alias.empty() ? rowsChanged(shown, errorString) : SQLITE_OK;
}

// The fields shown are the table's: its schema is the one they were read from, or the
// field-model reader gives their names.
int checkFields(const ShownRows& shown, const std::string& table, const DBConnection& connection,
                std::string* errorString) {
    if (shown.schemaVersion >= 0 && schemaVersion(connection.handle()) == shown.schemaVersion) {
        return SQLITE_OK;
    }
    return checkFieldNames(shown.fieldNames, table, connection, errorString);
}

int checkRows(const ShownRows& shown, const std::string& table, const DBConnection& connection,
              std::string* errorString) {
    std::map<std::string, const DBRow*> byRowid;
    std::vector<std::string> rowids;
    for (const DBRow& row : shown.rows) {
        const std::string rowid = !row.empty() ? row.front().value_or("") : "";
        if (row.size() != shown.fieldNames.size() + 1 || !isRowidText(rowid)) {
            return rowsChanged(shown, errorString);
        }
        byRowid.emplace(rowid, &row);
        rowids.push_back(rowid);
    }
    int rc = refuseLookAlikes(shown, table, connection, errorString);
    if (rc != SQLITE_OK) return rc;
    size_t found = 0;
    bool same = true;
    rc = forEachRow(connection.handle(), shownRowsSelect(shown, table, rowids),
                    [&](sqlite3_stmt* statement) {
                        auto row = byRowid.find(columnValue(statement, 0, false, "").value_or(""));
                        if (row == byRowid.end()) return true;
                        ++found;
                        const DBRow& values = *row->second;
                        for (size_t i = 1; i < values.size() && same; ++i) {
                            same = holdsShownValue(statement, static_cast<int>(i), values[i]);
                        }
                        return same;
                    });
    if (rc != SQLITE_OK) {
        appendError(errorString, connection.errorMessage());
        return rc;
    }
    if (!same) return rowsChanged(shown, errorString);
    if (found == byRowid.size()) return SQLITE_OK;
    appendError(errorString, rowNoLongerExistsMessage());
    return kRowGone;
}

}  // namespace

std::string rowNoLongerExistsMessage() {
    return localizedString(
        "The row no longer exists. It may have been deleted in another window or program.");
}

std::string rowsChangedMessage() {
    return localizedString(
        "The rows of the table changed since they were selected, so nothing was changed. Select "
        "the rows again.");
}

std::string rowChangedMessage() {
    return localizedString("The row changed since it was shown, so nothing was changed.");
}

std::string fieldsChangedMessage() {
    return localizedString(
        "The fields of the table have changed. Reload the table to see its rows.");
}

int checkFieldNames(const std::vector<std::string>& fieldNames, const std::string& table,
                    const DBConnection& connection, std::string* errorString,
                    const FieldSettings* settings) {
    ObjectFieldModel model;
    int rc = readFieldModel(&model, table, connection, errorString);
    if (rc != SQLITE_OK || model.type.empty()) return rc;
    if (model.names != fieldNames) return fieldsChanged(errorString);
    if (!settings) return SQLITE_OK;
    std::vector<std::string> lookupTables;
    rc = readLookupTables(&lookupTables, table, model.names, connection, errorString);
    if (rc != SQLITE_OK) return rc;
    const bool same = model.types == settings->types &&
                      model.formatStyles == settings->formatStyles &&
                      lookupTables == settings->lookupTables;
    return same ? SQLITE_OK : fieldsChanged(errorString);
}

int checkFieldsOfFile(const std::vector<std::string>& fieldNames, const FieldSettings* settings,
                      const std::string& table, const std::string& databaseFilePath,
                      std::string* errorString) {
    DBConnection connection(databaseFilePath, ConnectionKind::ReadOnly);
    if (!connection.isOpen()) {
        appendError(errorString, connection.errorMessage());
        return connection.openResult();
    }
    return checkFieldNames(fieldNames, table, connection, errorString, settings);
}

void compareWhole(ShownRows* shown, const std::string& rowid, const std::string& fieldName,
                  const DBValue& loaded) {
    if (isCutValue(loaded)) return;
    const auto field = std::find(shown->fieldNames.begin(), shown->fieldNames.end(), fieldName);
    if (field == shown->fieldNames.end()) return;
    const auto at = static_cast<size_t>(field - shown->fieldNames.begin()) + 1;
    for (DBRow& row : shown->rows) {
        // A row of its rowid alone is refused at any change whatever it holds.
        if (row.size() > at && row.front() == rowid) row[at] = loaded;
    }
}

int checkShownRows(const ShownRows& shown, const std::string& table, const DBConnection& connection,
                   std::string* errorString, const std::vector<std::string>& written) {
    // Only the rows given are checked: a rowid written past them would go unchecked.
    std::set<std::string> given;
    for (const DBRow& row : shown.rows) {
        if (!row.empty() && row.front()) given.insert(*row.front());
    }
    for (const std::string& rowid : written) {
        if (!given.contains(rowid)) return rowsChanged(shown, errorString);
    }
    int rc =
        shown.table ? checkTableIdentity(*shown.table, connection, errorString, false) : SQLITE_OK;
    if (rc == SQLITE_OK) rc = checkFields(shown, table, connection, errorString);
    if (rc == SQLITE_OK && shown.table) {
        rc = checkTableIdentity(*shown.table, connection, errorString);
    }
    if (rc != SQLITE_OK) return rc;
    // The file as it was when the rows were read: they are as shown.
    if (shown.rows.empty() ||
        (shown.version >= 0 && shown.fileVersion && shown.fileVersion() == shown.version)) {
        return SQLITE_OK;
    }
    return checkRows(shown, table, connection, errorString);
}

int readShownRows(std::vector<DBRow>* rows, const ShownRows& shown, const std::string& table,
                  const std::vector<std::string>& rowids, const DBConnection& connection,
                  std::string* errorString, bool whole) {
    if (rowids.empty()) return SQLITE_OK;
    std::map<std::string, DBRow> byRowid;
    int rc = forEachRow(connection.handle(), shownRowsSelect(shown, table, rowids),
                        [&](sqlite3_stmt* statement) {
                            DBRow row = rowValues(statement);
                            if (!whole) {
                                for (DBValue& value : row) holdPrefixOfValue(&value);
                            }
                            const std::string rowid = row.front().value_or("");
                            byRowid.emplace(rowid, std::move(row));
                            return true;
                        });
    if (rc != SQLITE_OK) {
        appendError(errorString, connection.errorMessage());
        return rc;
    }
    for (const std::string& rowid : rowids) {
        auto row = byRowid.find(rowid);
        if (row != byRowid.end()) rows->push_back(std::move(row->second));
    }
    return SQLITE_OK;
}

int readRowAsItStands(DBRow* whole, ShownRows* shown, const std::string& table,
                      const std::string& rowid, const std::string& databaseFilePath,
                      std::string* errorString) {
    if (!isRowidText(rowid)) {
        appendError(errorString, rowNoLongerExistsMessage());
        return kRowGone;
    }
    const int64_t version = shown->fileVersion ? shown->fileVersion() : -1;
    // A transaction of its own, whatever read session the thread has.
    DBConnection connection(databaseFilePath, ConnectionKind::ReadOnly, nullptr,
                            ConnectionSharing::Own);
    if (!connection.isOpen()) {
        appendError(errorString, connection.errorMessage());
        return connection.openResult();
    }
    // The schema's version and the row from one snapshot.
    int rc = execOnConnection(connection.handle(), "begin", errorString);
    if (rc != SQLITE_OK) return rc;
    const int64_t schema = schemaVersion(connection.handle());
    std::vector<DBRow> rows;
    rc = forEachRow(connection.handle(), shownRowsSelect(*shown, table, {rowid}),
                    [&rows](sqlite3_stmt* statement) {
                        rows.push_back(rowValues(statement));
                        return true;
                    });
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    execOnConnection(connection.handle(), "commit", nullptr);
    if (rc != SQLITE_OK) return rc;
    if (rows.empty()) {
        appendError(errorString, rowNoLongerExistsMessage());
        return kRowGone;
    }
    *whole = rows.front();
    for (DBValue& value : rows.front()) holdPrefixOfValue(&value);
    shown->rows = std::move(rows);
    shown->version = version;
    shown->rowsSchemaVersion = schema;
    return SQLITE_OK;
}

}  // namespace DBInterface
