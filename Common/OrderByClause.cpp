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
    // Ties follow the ROWID order, as in the grid.
    const std::string rowid = sortByROWIDCode == 2 ? "ROWID desc" : "ROWID asc";
    std::vector<std::string> names;
    std::vector<int> types;
    if (!sortCodes.empty() && getFieldNames(&names, &types, nullptr, nullptr, table,
                                            databaseFilePath, errorString) == 0) {
        std::string keys = sortKeysClause(sortCodes, names, types);
        if (!keys.empty()) return keys + " , " + rowid;
    }
    return " order by " + rowid;
}

}  // namespace DBInterface
