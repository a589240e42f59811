#include "Common/SortSettings.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "Common/CommaLists.h"
#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/FieldModel.h"
#include "Common/GridQuery.h"
#include "Common/Helpers.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaListing.h"
#include "Common/TableShape.h"
#include "Common/WriteTransaction.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/SystemLog.h"

namespace DBInterface {

int sortCodeFromIndex(int64_t position, int direction) {
    return position < 0 ? 0 : static_cast<int>(2 * position + direction);
}

int sortFieldIndexFromCode(int code) {
    return code < 1 ? -1 : (code - 1) / 2;
}

int sortDirectionFromCode(int code) {
    if (code == 0) return 0;
    return code % 2 != 0 ? 1 : 2;
}

int sortByROWIDCodeFromFlags(int32_t flags) {
    return (flags & 3) == 2 ? 2 : 1;
}

namespace {

int64_t leadingInteger(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

// The settings row: search_field, flags, sort_field1 to 3. Empty when there is none.
int readSettingsRow(std::vector<std::string>* row, const std::string& tableName,
                    const std::string& databaseFilePath, std::string* errorString) {
    std::vector<std::string> metaTable;
    int rc = getRows(&metaTable,
                     "select sql from sqlite_master where name='varnelo_db_tables' and "
                     "type='table'",
                     databaseFilePath, errorString);
    if (rc != 0 || metaTable.empty()) return rc;
    rc = getRows(row,
                 "select search_field, flags, sort_field1, sort_field2, sort_field3 from "
                 "varnelo_db_tables where name=" +
                     quoteLiteral(tableName) + " limit 1",
                 databaseFilePath, errorString);
    if (rc != 0) row->clear();
    return rc;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) return pieces;
        start = end + 1;
    }
}

// The settings row read into the out-parameters; found tells whether there was a row.
int readSortSettings(std::vector<int>* sortCodes, uint64_t* flags, std::string* searchField,
                     const std::string& tableName, const std::string& databaseFilePath,
                     std::string* errorString) {
    std::vector<std::string> row;
    int rc = readSettingsRow(&row, tableName, databaseFilePath, errorString);
    if (rc != 0 || row.size() < 5) return rc;
    *searchField = row[0];
    *flags = static_cast<uint64_t>(leadingInteger(row[1]));
    appendStoredSortCodes(sortCodes, row[2], row[3], row[4], tableName);
    return 0;
}

}  // namespace

void appendStoredSortCodes(std::vector<int>* sortCodes, const std::string& key1,
                           const std::string& key2, const std::string& key3,
                           const std::string& tableName) {
    std::string joined = key1 + " " + key2 + " " + key3;
    const char* space = " \t\r\n\v\f";
    size_t first = joined.find_first_not_of(space);
    if (first == std::string::npos) return;
    joined = joined.substr(first, joined.find_last_not_of(space) - first + 1);
    std::vector<std::string> pieces = split(joined, ' ');
    if (pieces.size() % 2 != 0) {
        std::string listed;
        for (const std::string& piece : pieces) listed += (listed.empty() ? "" : ", ") + piece;
        systemLog(formatText("Invalid number of sort fields: %d for table \"%@\"",
                             {std::to_string(pieces.size()), tableName}));
        systemLog(formatText("Sort fields: %@ for table \"%@\"", {listed, tableName}));
        return;
    }
    for (size_t i = 0; i < pieces.size(); i += 2) {
        const std::string& key = pieces[i];
        size_t hash = key.find('#');
        if (hash != std::string::npos) {
            sortCodes->push_back(static_cast<int>(leadingInteger(key.substr(hash + 1))));
            continue;
        }
        int64_t mask = leadingInteger(key);
        if (mask < 1) {
            sortCodes->push_back(0);
            continue;
        }
        int bit = 0;
        while (bit < 31 && !(mask & (int64_t{1} << bit))) ++bit;
        sortCodes->push_back(2 * bit + 1 + (leadingInteger(pieces[i + 1]) == 2 ? 1 : 0));
    }
}

std::string storedSortField(int code) {
    int position = sortFieldIndexFromCode(code);
    uint64_t mask = position < 0 || position > 63 ? 0 : uint64_t{1} << position;
    return std::to_string(mask) + "#" + std::to_string(code) + " " +
           std::to_string(sortDirectionFromCode(code));
}

bool searchIndexesFromStoredSettings(const std::string& stored, IndexSet* searchIndexes) {
    size_t semicolon = stored.find(';');
    if (semicolon == std::string::npos) return false;
    searchIndexes->clear();
    if (semicolon == 0) return true;
    for (const std::string& piece : split(stored.substr(0, semicolon), ',')) {
        searchIndexes->insert(leadingInteger(piece));
    }
    return true;
}

int getSortCodes(std::vector<int>* sortCodes, IndexSet* searchIndexes, uint64_t* flags,
                 const std::string& tableName, const std::string& databaseFilePath,
                 std::string* errorString) {
    std::string searchField;
    int rc =
        readSortSettings(sortCodes, flags, &searchField, tableName, databaseFilePath, errorString);
    if (rc == 0 && searchIndexes) searchIndexesFromStoredSettings(searchField, searchIndexes);
    return rc;
}

int getSortCodesSearchFieldNumber(std::vector<int>* sortCodes, int64_t* searchFieldNumber,
                                  uint64_t* flags, const std::string& tableName,
                                  const std::string& databaseFilePath, std::string* errorString) {
    std::string searchField;
    int rc =
        readSortSettings(sortCodes, flags, &searchField, tableName, databaseFilePath, errorString);
    if (rc == 0 && searchFieldNumber) *searchFieldNumber = leadingInteger(searchField);
    return rc;
}

int updateSystemTable(const std::string& tableName, const std::string& insertString,
                      const std::string& updateString, const std::string& databaseFilePath,
                      std::string* errorString) {
    std::string sql = doesTableExistInMetadataTable(tableName, databaseFilePath)
                          ? updateString
                          : writeTransactionScript(createTablesMetaTableSQL() +
                                                   createFieldsMetaTableSQL() + insertString);
    return execMultipleQueryString(sql, nullptr, nullptr, databaseFilePath, errorString);
}

int updateSystemTable(const std::string& tableName, uint64_t flag, bool enable,
                      const std::string& databaseFilePath, std::string* errorString) {
    std::string name = quoteLiteral(tableName);
    std::string bits = std::to_string(flag);
    return updateSystemTable(tableName,
                             "insert into varnelo_db_tables (name,flags) values (" + name + "," +
                                 (enable ? bits : "0") + "); ",
                             std::string("update varnelo_db_tables set flags = (flags ") +
                                 (enable ? "| " : "& ~") + bits + ") where name=" + name + "; ",
                             databaseFilePath, errorString);
}

int updateSystemTable(const std::string& tableName, uint64_t flags,
                      const std::string& databaseFilePath, std::string* errorString) {
    std::string name = quoteLiteral(tableName);
    std::string value = std::to_string(static_cast<int64_t>(flags));
    return updateSystemTable(
        tableName,
        "insert into varnelo_db_tables (name,flags) values (" + name + ", " + value + "); ",
        "update varnelo_db_tables set flags = " + value + " where name=" + name + "; ",
        databaseFilePath, errorString);
}

namespace {
// The statements that store the codes in the table's varnelo_db_tables row: one updates the row,
// the other inserts it where there is none.
struct SortFieldsRowSQL {
    std::string update, insert;
};

SortFieldsRowSQL sortFieldsRowSQL(const std::vector<int>& sortCodes, const std::string& tableName) {
    std::string assignments, columns, values;
    for (size_t i = 0; i < sortCodes.size(); ++i) {
        std::string column = "sort_field" + std::to_string(i + 1);
        std::string stored = quoteLiteral(storedSortField(sortCodes[i]));
        assignments += (i ? ", " : "") + column + "=" + stored;
        columns += "," + column;
        values += "," + stored;
    }
    std::string name = quoteLiteral(tableName);
    return {"update varnelo_db_tables set " + assignments + " where name=" + name + "; ",
            "insert into varnelo_db_tables (name" + columns + ") select " + name + values +
                " where not exists (select 1 from varnelo_db_tables where name=" + name + "); "};
}
}  // namespace

int updateSortCodes(const std::vector<int>& sortCodes, const std::string& tableName,
                    const std::string& databaseFilePath, std::string* errorString) {
    if (sortCodes.empty()) return 0;
    SortFieldsRowSQL row = sortFieldsRowSQL(sortCodes, tableName);
    return updateSystemTable(tableName, row.insert, row.update, databaseFilePath, errorString);
}

int updateSortByROWIDCode(uint64_t sortByROWIDCode, const std::string& tableName,
                          const std::string& databaseFilePath, std::string* errorString) {
    if (!doesTableExist(kTablesMetaTable, databaseFilePath)) return 0;
    std::string where = " where name=" + quoteLiteral(tableName) + "; ";
    std::string sql;
    if (sortByROWIDCode == 1 || sortByROWIDCode == 2) {
        std::string set = std::to_string(sortByROWIDCode);
        std::string clear = std::to_string(3 - sortByROWIDCode);
        sql = writeTransactionScript("update varnelo_db_tables set flags = (flags | " + set + ")" +
                                     where + "update varnelo_db_tables set flags = (flags & ~ " +
                                     clear + ")" + where);
    } else {
        sql = "update varnelo_db_tables set flags = (flags & ~ 3)" + where;
    }
    return execMultipleQueryString(sql, nullptr, nullptr, databaseFilePath, errorString);
}

int updateSearchFields(const IndexSet& searchIndexes, bool simple, const std::string* searchFilter,
                       const std::string& tableName, const std::string& databaseFilePath,
                       std::string* errorString) {
    std::string stored = commaSeparatedStringForIndexSet(&searchIndexes);
    stored += simple ? ";=" : "; ";
    if (searchFilter) stored += *searchFilter;
    std::string name = quoteLiteral(tableName);
    return updateSystemTable(tableName,
                             "insert into varnelo_db_tables (name,search_field) values (" + name +
                                 "," + quoteLiteral(stored) + "); ",
                             "update varnelo_db_tables set search_field=" + quoteLiteral(stored) +
                                 " where name=" + name + "; ",
                             databaseFilePath, errorString);
}

namespace {
// Seconds since 2009-12-22 00:00:00 UTC, the stamp in the names of sort indexes.
constexpr int64_t kSortIndexEpoch = 1261440000;

bool isDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The keys a sort index is made for, "1", "2" or "3" for one key, "12" or "123" for the keys of
// the grid's order together, where a "d" follows a key that runs against key 1; "" for any
// other index.
std::string_view sortIndexKeys(std::string_view name) {
    if (name.substr(0, 3) != "ind") return {};
    const std::string_view keys = name.substr(3, name.find('_') - 3);
    if (keys == "1" || keys == "2" || keys == "3") return keys;
    std::string_view rest = keys;
    auto skip = [&](std::string_view part) {
        const bool found = rest.starts_with(part);
        if (found) rest.remove_prefix(part.size());
        return found;
    };
    if (!skip("12")) return {};
    skip("d");
    if (skip("3")) skip("d");
    return rest.empty() ? keys : std::string_view();
}

// Sort indexes are named ind<keys>_<stamp>, and since several tables may get theirs within one
// second, now also _<the table's root page>. Only plain indexes named so are ours to drop.
// Checked by hand: a pattern matcher recurses once per character, and a file may hold a very
// long definition.
bool isSortIndex(const std::string& name, const std::string& sql) {
    const std::string_view keys = sortIndexKeys(name);
    if (keys.empty() || name.size() < keys.size() + 5) return false;
    std::string_view rest = std::string_view(name).substr(keys.size() + 4);
    size_t underscore = rest.find('_');
    if (!isDigits(rest.substr(0, underscore)) ||
        (underscore != std::string_view::npos && !isDigits(rest.substr(underscore + 1)))) {
        return false;
    }
    constexpr std::string_view kPlainIndex = "create index ";
    return sql.size() >= kPlainIndex.size() &&
           sqlite3_strnicmp(sql.c_str(), kPlainIndex.data(), kPlainIndex.size()) == 0 &&
           sql.find_first_of("\r\n") == std::string::npos;
}

// What a table's sort indexes are made from, read on one connection.
struct SortIndexSources {
    std::vector<std::string> fieldNames;
    std::vector<int> fieldTypes;
    std::vector<std::string> indexes;  // name and definition of each index of the table
    int64_t rootPage = 0;
};

int readSortIndexSources(const DBConnection& connection, const std::string& tableName,
                         SortIndexSources* sources, std::string* errorString) {
    ObjectFieldModel model;
    int rc = readFieldModel(&model, tableName, connection, errorString);
    if (rc != SQLITE_OK) return rc;
    // A table that is not there must not pass for indexes kept.
    if (model.type != "table") {
        appendError(errorString, localizedFormat("no such table: %@", {tableName}));
        return SQLITE_ERROR;
    }
    sources->fieldNames = std::move(model.names);
    sources->fieldTypes = std::move(model.types);
    const std::string name = quoteLiteral(tableName);
    rc = forEachRow(
        connection.handle(),
        "select name, sql from sqlite_master where type='index' and tbl_name=" + name,
        [&](sqlite3_stmt* row) {
            for (int column : {0, 1}) {
                sources->indexes.push_back(*columnValue(row, column, false, kInvalidUtf8Marker));
            }
            return true;
        });
    if (rc == SQLITE_OK) {
        rc = forEachRow(connection.handle(),
                        "select rootpage from sqlite_master where type='table' and name=" + name,
                        [&](sqlite3_stmt* row) {
                            sources->rootPage = sqlite3_column_int64(row, 0);
                            return false;
                        });
    }
    if (rc != SQLITE_OK) appendError(errorString, connection.errorMessage());
    return rc;
}

// The indexes wanted for the sort codes, each by the keys it is for and what it is made on.
std::map<std::string, std::string> wantedSortIndexes(const std::string& tableName,
                                                     const std::vector<int>& sortCodes,
                                                     const SortIndexSources& sources) {
    const std::vector<std::string>& fieldNames = sources.fieldNames;
    const std::vector<int>& fieldTypes = sources.fieldTypes;
    std::map<std::string, std::string> wanted;
    const std::string on = " on " + quoteIdentifier(tableName) + " (";
    std::vector<int> codes(3, 0);
    std::copy_n(sortCodes.begin(), std::min<size_t>(sortCodes.size(), 3), codes.begin());
    for (int key = 0; key < 3; ++key) {
        int64_t position = sortFieldIndexFromCode(codes[static_cast<size_t>(key)]);
        if (position < 0 || position >= static_cast<int64_t>(fieldNames.size()) ||
            position >= static_cast<int64_t>(fieldTypes.size())) {
            continue;
        }
        auto field = static_cast<size_t>(position);
        wanted[std::to_string(key + 1)] =
            on + sortKeyExpression(fieldNames[field], fieldTypes[field], key == 0) + ")";
    }
    // Where the grid orders by two or three keys, one index of them all finds a page by its keys
    // without sorting the rows of equal earlier keys; a key running against key 1 is marked "d"
    // in its name, so that an index of other directions is never taken for it.
    for (int& code : codes) code = std::max(code, 0);
    const std::vector<OrderKey> gridKeys = sortKeysOfCodes(codes, fieldNames, fieldTypes);
    if (gridKeys.size() >= 2) {
        std::string keys;
        for (size_t i = 0; i < gridKeys.size(); ++i) {
            keys += std::to_string(i + 1);
            if (gridKeys[i].descending != gridKeys.front().descending) keys += 'd';
        }
        wanted[keys] = on + allKeysIndexColumns(gridKeys) + ")";
    }
    return wanted;
}

// The statements that drop the sort indexes not wanted as they stand and make the wanted ones
// missing; empty when every wanted index stands.
std::string sortIndexStatements(const std::string& tableName, const std::vector<int>& sortCodes,
                                const SortIndexSources& sources) {
    const std::map<std::string, std::string> wanted =
        wantedSortIndexes(tableName, sortCodes, sources);
    // Building an index reads the whole table: one still made for its keys on the same
    // expressions (only a direction changed, or another key) is kept.
    std::set<std::string> kept;
    std::string sql;
    const std::vector<std::string>& indexes = sources.indexes;
    for (size_t i = 0; i + 1 < indexes.size(); i += 2) {
        const std::string& name = indexes[i];
        const std::string& definition = indexes[i + 1];
        if (!isSortIndex(name, definition)) continue;
        const std::string keys(sortIndexKeys(name));
        auto found = wanted.find(keys);
        // SQLite keeps the statement as it was written after its first two words.
        if (!kept.count(keys) && found != wanted.end() &&
            definition == "CREATE INDEX " + quoteIdentifier(name) + found->second) {
            kept.insert(keys);
        } else {
            sql += "drop index if exists " + quoteIdentifier(name) + "; ";
        }
    }
    if (kept.size() == wanted.size()) return sql;
    std::string suffix = "_" + std::to_string(std::time(nullptr) - kSortIndexEpoch) + "_" +
                         std::to_string(std::max<int64_t>(sources.rootPage, 0));
    for (const auto& [keys, madeOn] : wanted) {
        if (kept.count(keys)) continue;
        sql += "create index " + quoteIdentifier("ind" + keys + suffix) + madeOn + "; ";
    }
    return sql;
}

// Runs the statements that make() gives, read and written on one connection in one transaction;
// a failure leaves the file as it was.
template <typename Make>
int writeInOneTransaction(const std::string& databaseFilePath, std::string* errorString,
                          Make&& make) {
    std::optional<DBConnection> connection;
    int rc = beginWriteTransaction(connection, databaseFilePath, errorString);
    if (rc != SQLITE_OK) return rc;
    std::string sql;
    rc = make(*connection, &sql);
    if (rc == SQLITE_OK) rc = runStatements(*connection, sql, errorString);
    return endWriteTransaction(*connection, rc, errorString);
}

int sortIndexStatementsOn(const DBConnection& connection, const std::string& tableName,
                          const std::vector<int>& sortCodes, std::string* statements,
                          std::string* errorString) {
    SortIndexSources sources;
    int rc = readSortIndexSources(connection, tableName, &sources, errorString);
    if (rc == SQLITE_OK) *statements += sortIndexStatements(tableName, sortCodes, sources);
    return rc;
}

std::vector<int> threeCodes(int64_t sortCode1, int64_t sortCode2, int64_t sortCode3) {
    std::vector<int> codes;
    for (int64_t code : {sortCode1, sortCode2, sortCode3}) {
        codes.push_back(static_cast<int>(std::clamp<int64_t>(code, 0, INT32_MAX)));
    }
    return codes;
}
}  // namespace

int updateTableIndexes(const std::string& tableName, int64_t sortCode1, int64_t sortCode2,
                       int64_t sortCode3, const std::string& databaseFilePath,
                       std::string* errorString) {
    return writeInOneTransaction(
        databaseFilePath, errorString, [&](const DBConnection& connection, std::string* sql) {
            return sortIndexStatementsOn(connection, tableName,
                                         threeCodes(sortCode1, sortCode2, sortCode3), sql,
                                         errorString);
        });
}

int updateTableIndexes(const std::string& tableName, const std::vector<int64_t>& sortCodes,
                       const std::string& databaseFilePath, std::string* errorString) {
    auto code = [&](int64_t i) { return objectAtIndexOrDefault<int64_t>(&sortCodes, i, 0); };
    return updateTableIndexes(tableName, code(0), code(1), code(2), databaseFilePath, errorString);
}

int updateSortCodesAndIndexes(const std::vector<int>& sortCodes, const std::string& tableName,
                              const std::string& databaseFilePath, std::string* errorString) {
    return writeInOneTransaction(
        databaseFilePath, errorString, [&](const DBConnection& connection, std::string* sql) {
            *sql = createTablesMetaTableSQL() + createFieldsMetaTableSQL();
            if (!sortCodes.empty()) {
                SortFieldsRowSQL row = sortFieldsRowSQL(sortCodes, tableName);
                *sql += row.update + row.insert;
            }
            return sortIndexStatementsOn(connection, tableName, sortCodes, sql, errorString);
        });
}

bool hasSortIndexes(const std::vector<int>& sortCodes, const std::string& tableName,
                    const std::string& databaseFilePath) {
    DBConnection connection(databaseFilePath, ConnectionKind::Plain);
    SortIndexSources sources;
    // Unreadable: nothing to build, and a build would fail the same way.
    if (!connection.isOpen() ||
        readSortIndexSources(connection, tableName, &sources, nullptr) != SQLITE_OK) {
        return true;
    }
    return sortIndexStatements(tableName, sortCodes, sources).find("create index ") ==
           std::string::npos;
}

int updateSortIndexes(RebuildSession& session, const std::string& tableName,
                      const std::vector<int>& sortCodes) {
    std::string statements;
    int rc = sortIndexStatementsOn(session.connection(), tableName, sortCodes, &statements,
                                   session.errorString());
    if (rc == SQLITE_OK && !statements.empty()) rc = session.run(statements);
    return rc;
}

}  // namespace DBInterface
