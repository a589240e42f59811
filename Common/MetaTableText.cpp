#include "Common/MetaTableText.h"

#include "Common/CommaLists.h"
#include "Common/DBExecution.h"
#include "Common/RowidText.h"
#include "Common/SQLQuote.h"
#include "Common/WriteTransaction.h"

namespace DBInterface {

std::optional<std::string> tableDefinition(const std::string& table,
                                           const std::string& databaseFilePath) {
    std::vector<std::string> sql;
    if (getRows(
            &sql,
            "select sql from sqlite_master where name=" + quoteLiteral(table) + " and type='table'",
            databaseFilePath, nullptr) != 0 ||
        sql.empty()) {
        return std::nullopt;
    }
    return sql.front();
}

int getRowsIfTableExists(std::vector<std::string>* rows, const std::string& table,
                         const std::string& query, const std::string& databaseFilePath,
                         std::string* errorString) {
    if (!tableDefinition(table, databaseFilePath)) return 0;
    return getRows(rows, query, databaseFilePath, errorString);
}

std::optional<std::string> checkedRowidList(const std::vector<std::string>& rowids,
                                            std::string* errorString) {
    if (!checkRowids(rowids, errorString)) return std::nullopt;
    return commaSeparatedStringForStringArray(&rowids, false);
}

int deleteRowsWithRowids(const std::string& table, const std::vector<std::string>& rowids,
                         const std::string& databaseFilePath, std::string* errorString) {
    if (rowids.empty()) return 0;
    auto list = checkedRowidList(rowids, errorString);
    if (!list) return -1;
    return execCommandString(
        "delete from " + quoteIdentifier(table) + " where rowid in (" + *list + ")",
        databaseFilePath, errorString);
}

int runInTransaction(const std::string& statements, int64_t* lastRowID,
                     const std::string& databaseFilePath, std::string* errorString) {
    return execMultipleQueryString(writeTransactionScript(statements), nullptr, lastRowID,
                                   databaseFilePath, errorString);
}

}  // namespace DBInterface
