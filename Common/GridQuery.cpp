#include "Common/GridQuery.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/HeldPrefixPages.h"
#include "Common/MetaTableText.h"
#include "Common/MetaTables.h"
#include "Common/OrderByClause.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaListing.h"
#include "Common/ShownRows.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {
std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The sort key of a code, when its field exists.
std::optional<OrderKey> sortKey(int sortCode, const std::vector<std::string>& names,
                                const std::vector<int>& types, bool firstKey) {
    if (sortCode < 1) return std::nullopt;
    size_t position = static_cast<size_t>((sortCode - 1) / 2);
    if (position >= names.size() || position >= types.size()) return std::nullopt;
    return OrderKey{sortKeyExpression(names[position], types[position], firstKey),
                    sortCode % 2 == 0};
}

// Whether the table is a virtual one, whose rows are not kept in a b-tree of its own.
bool isVirtualTable(const std::string& table, const DBConnection& connection) {
    bool isVirtual = false;
    forEachRow(connection.handle(),
               "select 1 from sqlite_master where type = 'table' and name = " +
                   quoteLiteral(table) + " and sql like 'create virtual table%'",
               [&](sqlite3_stmt*) {
                   isVirtual = true;
                   return false;
               });
    return isVirtual;
}

std::string likeCondition(const std::string& likeString,
                          const std::vector<std::string>& searchFieldNames) {
    std::string condition;
    for (const std::string& name : searchFieldNames) {
        if (!condition.empty()) condition += " or ";
        condition += quoteIdentifier(name) + " like " + quoteLiteral(likeString) + " escape '\\'";
    }
    return condition;
}
}  // namespace

std::string orderTerm(const OrderKey& key) {
    return key.expression + (key.descending ? " desc" : " asc");
}

std::string orderByClause(const std::vector<OrderKey>& keys) {
    std::string order;
    for (const OrderKey& key : keys)
        order += (order.empty() ? " order by " : ", ") + orderTerm(key);
    return order;
}

std::string allKeysIndexColumns(const std::vector<OrderKey>& keys) {
    std::string columns;
    for (const OrderKey& key : keys) {
        columns += (columns.empty() ? "" : ", ") + key.expression;
        if (key.descending != keys.front().descending) columns += " desc";
    }
    return columns;
}

std::vector<OrderKey> sortKeysOfCodes(const std::vector<int>& sortCodes,
                                      const std::vector<std::string>& names,
                                      const std::vector<int>& types) {
    int sortCode[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < sortCodes.size(); ++i) sortCode[i] = sortCodes[i];
    std::vector<OrderKey> keys;
    if (auto key1 = sortKey(sortCode[0], names, types, true)) {
        keys.push_back(*key1);
        if (auto key2 = sortKey(sortCode[1], names, types, false)) {
            keys.push_back(*key2);
            if (auto key3 = sortKey(sortCode[2], names, types, false)) keys.push_back(*key3);
        }
    }
    return keys;
}

std::string sortKeyExpression(const std::string& fieldName, int fieldType, bool firstKey) {
    std::string name = quoteIdentifier(fieldName);
    if (fieldType == kFieldTypeNumber) return "cast (" + name + " as numeric)";
    // Only the first key ignores letter case.
    return firstKey ? name + " collate nocase" : name;
}

int buildGridQuery(GridQuery* query, const std::string& table, const std::string& likeString,
                   const IndexSet& searchFieldIndexes, const std::vector<int>& sortCodes,
                   uint64_t sortByROWIDCode, uint32_t rowidPresenceCode, uint32_t rowidNameCode,
                   const std::string& databaseFilePath, std::string* errorString,
                   LongValues longValues) {
    if (databaseFilePath.empty()) {
        appendError(errorString, localizedString("Null database file path"));
        return kMissingPathResult;
    }
    DBConnection connection(databaseFilePath, ConnectionKind::Plain);
    if (!connection.isOpen()) {
        appendError(errorString, connection.errorMessage());
        return connection.openResult();
    }
    // Read before the fields, so that a change between the two tells at the first page.
    const bool held = longValues == LongValues::HeldPrefix;
    const int64_t version = held ? schemaVersion(connection.handle()) : -1;
    const std::string definition =
        held ? tableDefinition(table, databaseFilePath).value_or("") : "";
    // A failed read must not pass for an object without search and sort: the grid would show
    // every row, unsorted, as if that were the answer.
    ObjectFieldModel model;
    int rc = readFieldModel(&model, table, connection, errorString);
    if (rc != 0) return rc;
    const std::vector<std::string>& names = model.names;
    const std::vector<int>& types = model.types;

    bool usesRowid = rowidNameCode != kNoRowidName;
    std::string rowidExpression = usesRowid ? "ROWID" : "''";
    int sortCode[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < sortCodes.size(); ++i) sortCode[i] = sortCodes[i];

    std::string select = rowidPresenceCode == kRowidOnly    ? "select " + rowidExpression
                         : rowidPresenceCode == kFieldsOnly ? "select "
                                                            : "select " + rowidExpression + ", ";
    int64_t columns = rowidPresenceCode == kFieldsOnly ? 0 : 1;
    if (rowidPresenceCode != kRowidOnly) {
        columns += static_cast<int64_t>(names.size());
        if (!model.hiddenFields.empty() ||
            std::find(types.begin(), types.end(), kFieldTypeRaw) != types.end()) {
            // Raw fields are read as hex text, and "*" leaves out a virtual table's hidden
            // columns, which are fields too: then every field is named.
            for (size_t i = 0; i < names.size(); ++i) {
                if (i > 0) select += ", ";
                bool raw = i < types.size() && types[i] == kFieldTypeRaw;
                select +=
                    raw ? "hex(" + quoteIdentifier(names[i]) + ")" : quoteIdentifier(names[i]);
            }
        } else {
            select += "*";
        }
    }
    std::vector<std::string> searchNames;
    for (int64_t index : searchFieldIndexes) {
        if (index >= 0 && static_cast<size_t>(index) < names.size()) {
            searchNames.push_back(names[static_cast<size_t>(index)]);
        }
    }
    std::string search = !likeString.empty() && !searchNames.empty()
                             ? likeCondition(likeString, searchNames)
                             : std::string();
    std::string from =
        " from " + quoteIdentifier(table) + (search.empty() ? "" : " where " + search);
    // Rows equal on every key keep a stable order: ROWID ends the order of every table. Ties
    // run key 1's way, so that one index walked forwards or backwards gives the whole order.
    bool isView = model.type == "view";
    std::vector<OrderKey> keys = sortKeysOfCodes(sortCodes, names, types);
    bool rowidLast = usesRowid && (!isView || (!keys.empty() && sortCode[1] >= 1));
    if (rowidLast) {
        bool descending = keys.empty() ? sortByROWIDCode == 2 : keys.front().descending;
        keys.push_back(OrderKey{"ROWID", descending});
    }
    std::string order;
    for (size_t i = 0; i < keys.size(); ++i) {
        bool rowidAfterKeys = i > 0 && i + 1 == keys.size() && rowidLast;
        order += (i == 0 ? " order by " : rowidAfterKeys ? " , " : ", ") + orderTerm(keys[i]);
    }
    query->columns = select.substr(std::string("select ").size());
    query->table = quoteIdentifier(table);
    query->search = std::move(search);
    query->keyed = rowidLast && model.type == "table" && !isVirtualTable(table, connection);
    query->orderKeys = std::move(keys);
    query->select = select + from + order;
    query->count = "select count(*)" + from;
    query->columnsPerRow = columns;
    query->heldPrefixes.reset();
    if (held && query->keyed && rowidPresenceCode == 0) {
        query->heldPrefixes =
            heldPrefixesOfTable(table, model, version, definition, connection.handle());
    }
    if (query->heldPrefixes) {
        query->heldPrefixes->wholeColumns = query->columns;
        query->heldPrefixes->wholeSelect = query->select;
        query->columns = heldPrefixColumns(*query->heldPrefixes);
        query->select = "select " + query->columns + from + order;
    }
    return 0;
}

GridQuery wholeValuesOf(const GridQuery& query) {
    GridQuery whole = query;
    if (whole.heldPrefixes) {
        whole.columns = std::move(whole.heldPrefixes->wholeColumns);
        whole.select = std::move(whole.heldPrefixes->wholeSelect);
        whole.heldPrefixes.reset();
    }
    return whole;
}

int readGridPage(std::vector<DBValue>* rows, const GridQuery& query, int64_t limit, int64_t offset,
                 const std::string& databaseFilePath, std::string* errorString) {
    std::vector<DBRow> page;
    int rc = readHoldingPrefixes(&page, query, databaseFilePath, errorString,
                                 [&](const GridQuery& read, std::vector<DBRow>* into) {
                                     return getArrayOfRows(into, read.select, true, limit, offset,
                                                           databaseFilePath, errorString);
                                 });
    if (rc != 0) return rc;
    return appendGridRows(rows, page, query, errorString);
}

int appendGridRows(std::vector<DBValue>* rows, std::vector<DBRow>& page, const GridQuery& query,
                   std::string* errorString) {
    // Rows of another width (a field added or dropped elsewhere) would put every value under
    // the wrong field and row, rowid included.
    for (const DBRow& row : page) {
        if (static_cast<int64_t>(row.size()) != query.columnsPerRow) {
            appendError(errorString, fieldsChangedMessage());
            return -1;
        }
    }
    for (DBRow& row : page) {
        rows->insert(rows->end(), std::make_move_iterator(row.begin()),
                     std::make_move_iterator(row.end()));
    }
    return 0;
}

int getQueryString(std::string* queryString, const std::string& table,
                   const std::string& likeString, const IndexSet& searchFieldIndexes,
                   const std::vector<int>& sortCodes, uint64_t sortByROWIDCode,
                   uint32_t rowidPresenceCode, uint32_t rowidNameCode,
                   const std::string& databaseFilePath, std::string* errorString) {
    GridQuery query;
    int rc =
        buildGridQuery(&query, table, likeString, searchFieldIndexes, sortCodes, sortByROWIDCode,
                       rowidPresenceCode, rowidNameCode, databaseFilePath, errorString);
    if (rc == 0) *queryString = std::move(query.select);
    return rc;
}

int getQueryString(std::string* queryString, const std::string& table,
                   const std::string& likeString, const std::vector<int>& sortCodes,
                   uint64_t sortByROWIDCode, const IndexSet& searchFieldIndexes, bool noROWID,
                   const std::string& databaseFilePath, std::string* errorString) {
    return getQueryString(queryString, table, likeString, searchFieldIndexes, sortCodes,
                          sortByROWIDCode, 0, noROWID ? kNoRowidName : 0, databaseFilePath,
                          errorString);
}

int getQueryString(std::string* queryString, const std::string& table, int limit, int offset,
                   const std::string& likeString, const std::vector<int>& sortCodes,
                   uint64_t sortByROWIDCode, const IndexSet& searchFieldIndexes,
                   const std::string& databaseFilePath, std::string* errorString) {
    int rc = getQueryString(queryString, table, likeString, sortCodes, sortByROWIDCode,
                            searchFieldIndexes, false, databaseFilePath, errorString);
    if (rc == 0 && limit >= 1) {
        *queryString += " limit " + std::to_string(limit) + " offset " + std::to_string(offset);
    }
    return rc;
}

int getRows(std::vector<std::string>* rows, const std::string& table, const std::string& likeString,
            const IndexSet& searchFieldIndexes, const std::vector<int>& sortCodes,
            uint64_t sortByROWIDCode, int64_t limit, int64_t offset, bool rowidOnly,
            const std::string& databaseFilePath, std::string* errorString) {
    std::string sql;
    int rc = getQueryString(&sql, table, likeString, searchFieldIndexes, sortCodes, sortByROWIDCode,
                            rowidOnly ? kRowidOnly : 0, 0, databaseFilePath, errorString);
    if (rc != 0) return rc;
    return getRows(rows, sql, limit, offset, databaseFilePath, errorString);
}

int getRows(std::vector<std::string>* rows, const std::string& table, int limit, int offset,
            const std::string& likeString, const IndexSet& searchFieldIndexes,
            const std::vector<int>& sortCodes, uint64_t sortByROWIDCode,
            const std::string& databaseFilePath, std::string* errorString) {
    std::string sql;
    int rc = getQueryString(&sql, table, limit, offset, likeString, sortCodes, sortByROWIDCode,
                            searchFieldIndexes, databaseFilePath, errorString);
    if (rc != 0) return rc;
    return getRows(rows, sql, databaseFilePath, errorString);
}

std::string whereExpressionForLikeString(const std::string& likeString,
                                         const std::vector<std::string>& searchFieldNames) {
    return likeCondition(likeString, searchFieldNames);
}

std::string whereExpressionForSimpleSearchString(const std::string* searchText,
                                                 const std::vector<std::string>& searchFieldNames) {
    if (!searchText) return "";
    return likeCondition(likePatternForSearchText(*searchText), searchFieldNames);
}

std::string likePatternForSearchText(const std::string& searchText) {
    std::string pattern = "%";
    for (char ch : searchText) {
        // Only the escape character needs escaping: "%" and "_" are the user's wildcards.
        if (ch == '\\') pattern += '\\';
        pattern += ch;
    }
    return pattern + "%";
}

int64_t calculateTotalRowsForTable(const std::string& table, const std::string& likeString,
                                   const IndexSet& searchFieldIndexes,
                                   const std::string& databaseFilePath, std::string* errorString) {
    if (table.empty()) return 0;
    std::string count = "select count(*) from " + quoteIdentifier(table);
    if (likeString.empty() || searchFieldIndexes.empty()) {
        return getNumberWithQueryString(count, databaseFilePath, errorString);
    }
    std::vector<std::string> names;
    if (getFieldNames(&names, nullptr, nullptr, nullptr, table, databaseFilePath, errorString) !=
        0) {
        return -1;
    }
    std::vector<std::string> searchNames;
    for (int64_t index : searchFieldIndexes) {
        if (index < 0 || static_cast<size_t>(index) >= names.size()) {
            appendError(errorString, "Search field index out of range");
            return -1;
        }
        searchNames.push_back(names[static_cast<size_t>(index)]);
    }
    return getNumberWithQueryString(
        count + " where " + whereExpressionForLikeString(likeString, searchNames), databaseFilePath,
        errorString);
}

TableEditStatus tableEditStatus(const std::string& table, const std::string& databaseFilePath,
                                std::string* errorString) {
    std::vector<std::string> info;
    if (getRows(&info, "pragma table_info (" + quoteIdentifier(table) + ")", databaseFilePath,
                errorString) != 0) {
        return kColumnsUnreadable;
    }
    constexpr size_t kPerColumn = 6;  // cid, name, type, notnull, dflt_value, pk
    int64_t largestKey = 0;
    for (size_t i = 0; i + kPerColumn <= info.size(); i += kPerColumn) {
        largestKey = std::max<int64_t>(largestKey, std::atoll(info[i + 5].c_str()));
    }
    for (size_t i = 0; i + kPerColumn <= info.size(); i += kPerColumn) {
        if (lowered(info[i + 1]) != "rowid") continue;
        // Only a lone INTEGER PRIMARY KEY named rowid is the rowid itself.
        bool isTheRowid = lowered(info[i + 2]) == "integer" &&
                          std::atoll(info[i + 5].c_str()) != 0 && largestKey < 2;
        if (!isTheRowid) return kRowidHidden;
    }
    std::vector<std::string> rowid;
    if (getRows(&rowid, "select rowid from " + quoteIdentifier(table) + " limit 1",
                databaseFilePath, errorString) != 0) {
        return kNoRowid;
    }
    return kTableEditable;
}

TableEditStatus objectEditStatus(const std::string& objectName, const std::string& databaseFilePath,
                                 std::string* errorString) {
    std::vector<std::string> type;
    if (getRows(&type, "select type from sqlite_master where name=" + quoteLiteral(objectName),
                databaseFilePath, errorString) != 0) {
        return kObjectTypeUnreadable;
    }
    if (type.empty()) {
        appendError(errorString, localizedString("Object not found"));
        return kObjectNotFound;
    }
    if (type.front() == "table") return tableEditStatus(objectName, databaseFilePath, errorString);
    return kNotATable;
}

bool isObjectSortedOnUniqueKey(const std::string& objectName, const std::string& databaseFilePath,
                               std::string* errorString) {
    if (!doesTableExist(kTablesMetaTable, databaseFilePath)) return false;
    int64_t flags = getNumberWithQueryString(
        "select flags from varnelo_db_tables where name=" + quoteLiteral(objectName),
        databaseFilePath, errorString);
    return flags > 0 && (static_cast<uint64_t>(flags) & kTableFlagSortedOnUniqueKey) != 0;
}

SelectedObjectStatus selectedObjectStatus(const std::string& objectName,
                                          const std::string& databaseFilePath,
                                          std::string* errorString) {
    std::vector<std::string> typeAndDefinition;
    getTableTypeAndDefinition(&typeAndDefinition, objectName, databaseFilePath, nullptr);
    std::string type = typeAndDefinition.empty() ? "table" : typeAndDefinition.front();
    if (type != "table" && type != "view") return kObjectNotShown;
    SelectedObjectStatus readOnly = isObjectSortedOnUniqueKey(objectName, databaseFilePath, nullptr)
                                        ? kObjectReadOnlyPaged
                                        : kObjectLimited;
    if (type == "view") return readOnly;
    switch (tableEditStatus(objectName, databaseFilePath, errorString)) {
        case kTableEditable:
            return kObjectEditable;
        case kNoRowid:
        case kRowidHidden:
            return readOnly;
        default:
            return kObjectLimited;
    }
}

}  // namespace DBInterface
