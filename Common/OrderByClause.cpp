#include "Common/OrderByClause.h"

#include "Common/FieldModel.h"
#include "Common/GridQuery.h"

namespace DBInterface {

std::string sortKeysClause(const std::vector<int>& sortCodes,
                           const std::vector<std::string>& fieldNames,
                           const std::vector<int>& fieldTypes) {
    std::string clause;
    for (const OrderKey& key : sortKeysOfCodes(sortCodes, fieldNames, fieldTypes)) {
        clause += (clause.empty() ? " order by " : ", ") + orderTerm(key);
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
        // Ties run key 1's way, as in the grid.
        std::string keys = sortKeysClause(sortCodes, names, types);
        if (!keys.empty()) return keys + (sortCodes.front() % 2 ? " , ROWID asc" : " , ROWID desc");
    }
    return sortByROWIDCode == 2 ? " order by ROWID desc" : " order by ROWID asc";
}

}  // namespace DBInterface
