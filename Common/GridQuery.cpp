#include "Common/GridQuery.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaListing.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {
bool isView(const std::string& name, const std::string& databaseFilePath) {
    std::vector<std::string> typeAndDefinition;
    return getTableTypeAndDefinition(&typeAndDefinition, name, databaseFilePath, nullptr) == 0 &&
           !typeAndDefinition.empty() && typeAndDefinition.front() == "view";
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const char* direction(int sortCode) {
    return sortCode % 2 == 1 ? "asc" : "desc";
}

// The sort key of a code, when its field exists.
std::optional<std::string> sortKey(int sortCode, const std::vector<std::string>& names,
                                   const std::vector<int>& types, bool firstKey) {
    if (sortCode < 1) return std::nullopt;
    size_t position = static_cast<size_t>((sortCode - 1) / 2);
    if (position >= names.size() || position >= types.size()) return std::nullopt;
    return sortKeyExpression(names[position], types[position], firstKey) + " " +
           direction(sortCode);
}

std::string likeCondition(const std::string& likeString,
                          const std::vector<std::string>& searchFieldNames) {
    std::string condition;
    for (const std::string& name : searchFieldNames) {
        if (!condition.empty()) condition += " or ";
        condition += quoteIdentifier(name) + " like " + quoteLiteral(likeString);
    }
    return condition;
}
}  // namespace

std::string sortKeyExpression(const std::string& fieldName, int fieldType, bool firstKey) {
    std::string name = quoteIdentifier(fieldName);
    if (fieldType == kFieldTypeNumber) return "cast (" + name + " as numeric)";
    // Only the first key ignores letter case.
    return firstKey ? name + " collate nocase" : name;
}

std::string getQueryString(const std::string& table, const std::string& likeString,
                           const IndexSet& searchFieldIndexes, const std::vector<int>& sortCodes,
                           uint64_t sortByROWIDCode, uint32_t rowidPresenceCode,
                           uint32_t rowidNameCode, const std::string& databaseFilePath,
                           std::string* errorString) {
    bool usesRowid = rowidNameCode != kNoRowidName;
    std::string rowidExpression = usesRowid ? "ROWID" : "''";
    int sortCode[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < sortCodes.size(); ++i) sortCode[i] = sortCodes[i];
    bool view = isView(table, databaseFilePath);

    std::string sql = rowidPresenceCode == kRowidOnly    ? "select " + rowidExpression
                      : rowidPresenceCode == kFieldsOnly ? "select "
                                                         : "select " + rowidExpression + ", ";
    std::vector<std::string> names;
    std::vector<int> types;
    std::set<std::string> hidden;
    bool fieldsRead =
        getFieldNames(&names, &types, nullptr, &hidden, table, databaseFilePath, errorString) == 0;
    if (rowidPresenceCode != kRowidOnly) {
        if (!hidden.empty() ||
            std::find(types.begin(), types.end(), kFieldTypeRaw) != types.end()) {
            // Raw fields are read as hex text, and "*" leaves out a virtual table's hidden
            // columns, which are fields too: then every field is named.
            for (size_t i = 0; i < names.size(); ++i) {
                if (i > 0) sql += ", ";
                bool raw = i < types.size() && types[i] == kFieldTypeRaw;
                sql += raw ? "hex(" + quoteIdentifier(names[i]) + ")" : quoteIdentifier(names[i]);
            }
        } else {
            sql += "*";
        }
    }
    sql += " from " + quoteIdentifier(table);

    bool ordered = false;
    if (fieldsRead) {
        std::vector<std::string> searchNames;
        for (int64_t index : searchFieldIndexes) {
            if (index >= 0 && static_cast<size_t>(index) < names.size()) {
                searchNames.push_back(names[static_cast<size_t>(index)]);
            }
        }
        if (!likeString.empty() && !searchNames.empty()) {
            sql += " where " + likeCondition(likeString, searchNames);
        }
        if (auto key1 = sortKey(sortCode[0], names, types, true)) {
            sql += " order by " + *key1;
            ordered = true;
            if (auto key2 = sortKey(sortCode[1], names, types, false)) {
                sql += ", " + *key2;
                if (auto key3 = sortKey(sortCode[2], names, types, false)) sql += ", " + *key3;
            }
            // Rows equal on several keys keep a stable order.
            if (sortCode[1] >= 1 && usesRowid)
                sql += std::string(" , ROWID ") + direction(sortCode[0]);
        }
    }
    if (usesRowid && !ordered && !view) {
        sql += sortByROWIDCode == 2 ? " order by ROWID desc" : " order by ROWID asc";
    }
    return sql;
}

std::string getQueryString(const std::string& table, const std::string& likeString,
                           const std::vector<int>& sortCodes, uint64_t sortByROWIDCode,
                           const IndexSet& searchFieldIndexes, bool noROWID,
                           const std::string& databaseFilePath, std::string* errorString) {
    return getQueryString(table, likeString, searchFieldIndexes, sortCodes, sortByROWIDCode, 0,
                          noROWID ? kNoRowidName : 0, databaseFilePath, errorString);
}

std::string getQueryString(const std::string& table, int limit, int offset,
                           const std::string& likeString, const std::vector<int>& sortCodes,
                           uint64_t sortByROWIDCode, const IndexSet& searchFieldIndexes,
                           const std::string& databaseFilePath, std::string* errorString) {
    std::string sql = getQueryString(table, likeString, sortCodes, sortByROWIDCode,
                                     searchFieldIndexes, false, databaseFilePath, errorString);
    if (limit >= 1) sql += " limit " + std::to_string(limit) + " offset " + std::to_string(offset);
    return sql;
}

int getRows(std::vector<std::string>* rows, const std::string& table, const std::string& likeString,
            const IndexSet& searchFieldIndexes, const std::vector<int>& sortCodes,
            uint64_t sortByROWIDCode, int64_t limit, int64_t offset, bool rowidOnly,
            const std::string& databaseFilePath, std::string* errorString) {
    std::string sql =
        getQueryString(table, likeString, searchFieldIndexes, sortCodes, sortByROWIDCode,
                       rowidOnly ? kRowidOnly : 0, 0, databaseFilePath, nullptr);
    return getRows(rows, sql, limit, offset, databaseFilePath, errorString);
}

int getRows(std::vector<std::string>* rows, const std::string& table, int limit, int offset,
            const std::string& likeString, const IndexSet& searchFieldIndexes,
            const std::vector<int>& sortCodes, uint64_t sortByROWIDCode,
            const std::string& databaseFilePath, std::string* errorString) {
    return getRows(rows,
                   getQueryString(table, limit, offset, likeString, sortCodes, sortByROWIDCode,
                                  searchFieldIndexes, databaseFilePath, errorString),
                   databaseFilePath, errorString);
}

std::string whereExpressionForLikeString(const std::string& likeString,
                                         const std::vector<std::string>& searchFieldNames) {
    return likeCondition(likeString, searchFieldNames);
}

std::string whereExpressionForSimpleSearchString(const std::string* searchText,
                                                 const std::vector<std::string>& searchFieldNames) {
    if (!searchText) return "";
    return likeCondition("%" + *searchText + "%", searchFieldNames);
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
