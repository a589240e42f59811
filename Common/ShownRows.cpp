#include "Common/ShownRows.h"

#include <algorithm>
#include <map>

#include "Common/DBConnection.h"
#include "Common/FieldModel.h"
#include "Common/HeldPrefixPages.h"
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

int fieldsChanged(std::string* errorString) {
    appendError(errorString, fieldsChangedMessage());
    return kFieldsChanged;
}

int rowsChanged(std::string* errorString) {
    appendError(errorString, rowsChangedMessage());
    return kRowsChanged;
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
            return rowsChanged(errorString);
        }
        byRowid.emplace(rowid, &row);
        rowids.push_back(rowid);
    }
    size_t found = 0;
    bool same = true;
    int rc = forEachRow(
        connection.handle(), shownRowsSelect(shown, table, rowids), [&](sqlite3_stmt* statement) {
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
    if (!same) return rowsChanged(errorString);
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

std::string fieldsChangedMessage() {
    return localizedString(
        "The fields of the table have changed. Reload the table to see its rows.");
}

int checkFieldNames(const std::vector<std::string>& fieldNames, const std::string& table,
                    const DBConnection& connection, std::string* errorString) {
    ObjectFieldModel model;
    int rc = readFieldModel(&model, table, connection, errorString);
    if (rc != SQLITE_OK || model.type.empty()) return rc;
    return model.names == fieldNames ? SQLITE_OK : fieldsChanged(errorString);
}

int checkShownRows(const ShownRows& shown, const std::string& table, const DBConnection& connection,
                   std::string* errorString) {
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
                  std::string* errorString) {
    if (rowids.empty()) return SQLITE_OK;
    std::map<std::string, DBRow> byRowid;
    int rc = forEachRow(connection.handle(), shownRowsSelect(shown, table, rowids),
                        [&](sqlite3_stmt* statement) {
                            DBRow row;
                            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                                row.push_back(columnValue(statement, i, true, kInvalidUtf8Marker));
                                holdPrefixOfValue(&row.back());
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

}  // namespace DBInterface
