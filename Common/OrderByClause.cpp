#include "Common/OrderByClause.h"

#include <optional>

#include "Common/FieldModel.h"
#include "Common/GridQuery.h"

namespace DBInterface {

namespace {
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
}  // namespace

std::string sortKeysClause(const std::vector<int>& sortCodes,
                           const std::vector<std::string>& fieldNames,
                           const std::vector<int>& fieldTypes) {
    int sortCode[3] = {0, 0, 0};
    for (size_t i = 0; i < 3 && i < sortCodes.size(); ++i) sortCode[i] = sortCodes[i];
    auto key1 = sortKey(sortCode[0], fieldNames, fieldTypes, true);
    if (!key1) return "";
    std::string clause = " order by " + *key1;
    if (auto key2 = sortKey(sortCode[1], fieldNames, fieldTypes, false)) {
        clause += ", " + *key2;
        if (auto key3 = sortKey(sortCode[2], fieldNames, fieldTypes, false)) clause += ", " + *key3;
    }
    return clause;
}

std::string getOrderByClause(const std::string& table, const std::vector<int>& sortCodes,
                             uint64_t sortByROWIDCode, const std::string& databaseFilePath,
                             std::string* errorString) {
    std::vector<std::string> names;
    std::vector<int> types;
    if (!sortCodes.empty() && getFieldNames(&names, &types, nullptr, nullptr, table,
                                            databaseFilePath, errorString) == 0) {
        std::string keys = sortKeysClause(sortCodes, names, types);
        if (!keys.empty()) return keys + " , ROWID " + direction(sortCodes.front());
    }
    return sortByROWIDCode == 2 ? " order by ROWID desc" : " order by ROWID asc";
}

}  // namespace DBInterface
