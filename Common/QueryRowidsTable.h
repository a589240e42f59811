#pragma once
// Acting on every row of a query but some exceptions: the rowids are gathered in the scratch
// table varnelo_db_special_query_rowids and worked off in batches.
#include <set>
#include <string>

namespace DBInterface {

// Fills the scratch table with the rowids of query ("select rowid, *" is read as "select
// rowid"). Specific rows are the exceptions with allSelected, else the only rows kept.
int insertIntoSpecialQueryRowidsTable(const std::string& query,
                                      const std::set<std::string>& specificRows, bool allSelected,
                                      const std::string& databaseFilePath,
                                      std::string* errorString);
// Without a query: deletes the specific rows, or every row but them with allSelected (no rows:
// every row). With a query: deletes its rows (less the exceptions) 50 at a time, at most 500,000.
int deleteFromTable(const std::string& table, const std::string* specialQueryString,
                    const std::set<std::string>& specificRows, bool allSelected,
                    const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
