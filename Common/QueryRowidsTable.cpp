#include "Common/QueryRowidsTable.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "Common/DBExecution.h"
#include "Common/MetaTableText.h"
#include "Common/SQLQuote.h"
#include "platform/foundation/SystemLog.h"

namespace DBInterface {

namespace {
constexpr int kBatchSize = 50;
constexpr size_t kMostRows = 500000;

std::string rowidsOnly(const std::string& query) {
    static const std::string kAllColumns = "select rowid, *";
    std::string lower = query;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string out;
    size_t start = 0;
    for (size_t found; (found = lower.find(kAllColumns, start)) != std::string::npos;
         start = found + kAllColumns.size()) {
        out += query.substr(start, found - start) + "select rowid";
    }
    return out + query.substr(start);
}

// "where <column> in (...)" or "not in" for the specific rows; nullopt for a bad rowid.
std::optional<std::string> exceptionClause(const std::string& column,
                                           const std::set<std::string>& rows, bool notIn,
                                           std::string* errorString) {
    auto list = checkedRowidList(std::vector<std::string>(rows.begin(), rows.end()), errorString);
    if (!list) return std::nullopt;
    return " where " + column + (notIn ? " not in (" : " in (") + *list + ")";
}
}  // namespace

int insertIntoSpecialQueryRowidsTable(const std::string& query,
                                      const std::set<std::string>& specificRows, bool allSelected,
                                      const std::string& databaseFilePath,
                                      std::string* errorString) {
    std::string exceptions;
    if (!specificRows.empty()) {
        auto clause = exceptionClause("specialrowid", specificRows, !allSelected, errorString);
        if (!clause) return -1;
        exceptions = "delete from varnelo_db_special_query_rowids" + *clause + "; ";
    }
    return runInTransaction(
        "create table if not exists varnelo_db_special_query_rowids (specialrowid int not null "
        "unique on conflict ignore); delete from varnelo_db_special_query_rowids; insert into "
        "varnelo_db_special_query_rowids " +
            rowidsOnly(query) + "; " + exceptions,
        nullptr, databaseFilePath, errorString);
}

int deleteFromTable(const std::string& table, const std::string* specialQueryString,
                    const std::set<std::string>& specificRows, bool allSelected,
                    const std::string& databaseFilePath, std::string* errorString) {
    if (!specialQueryString) {
        std::string sql = "delete from " + quoteIdentifier(table);
        if (!specificRows.empty()) {
            auto clause = exceptionClause("rowid", specificRows, allSelected, errorString);
            if (!clause) return -1;
            sql += *clause;
        }
        return execCommandString(sql, databaseFilePath, errorString);
    }
    int rc = insertIntoSpecialQueryRowidsTable(*specialQueryString, specificRows, allSelected,
                                               databaseFilePath, errorString);
    if (rc != 0) {
        systemLog("deleteFromTable: could not insert into special query rowids table");
        return rc;
    }
    size_t handled = 0;
    while (handled < kMostRows) {
        std::vector<std::string> batch;
        rc = getRows(&batch,
                     "select specialrowid from varnelo_db_special_query_rowids order by "
                     "specialrowid limit " +
                         std::to_string(kBatchSize),
                     databaseFilePath, errorString);
        if (rc != 0 || batch.empty()) break;
        auto list = checkedRowidList(batch, errorString);
        if (!list) return -1;
        // Each batch leaves the table and the scratch list agreeing.
        rc =
            runInTransaction("delete from " + quoteIdentifier(table) + " where rowid in (" + *list +
                                 "); delete from varnelo_db_special_query_rowids where "
                                 "specialrowid in (" +
                                 *list + "); ",
                             nullptr, databaseFilePath, errorString);
        if (rc != 0) break;
        handled += batch.size();
    }
    return rc;
}

}  // namespace DBInterface
