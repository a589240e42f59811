#pragma once
// Rows inserted through prepared statements with bound values on a connection the caller holds
// open (the import's own), and the transaction statements around them. Binding instead of
// writing each row's INSERT text spares SQLite parsing one statement per row.
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/Statement.h"

namespace DBInterface {

// Runs SQL that returns no rows on the open connection; SQLite's code, its message appended.
int execOnConnection(sqlite3* db, const std::string& sql, std::string* errorString);

class RowInserter {
  public:
    // Rows go into the table's named fields, in order.
    RowInserter(sqlite3* db, std::string table, std::vector<std::string> fieldNames);

    // Inserts one row whose values fill the first values.size() fields (the others take their
    // defaults); more values than fields give SQLITE_RANGE. The null object is bound as NULL.
    // SQLite's code, its message appended to errorString.
    int insert(const std::vector<DBValue>& values, std::string* errorString);

  private:
    sqlite3* db_;
    std::string table_;
    std::vector<std::string> fieldNames_;
    // By value count: a short record names fewer fields.
    std::vector<std::unique_ptr<Statement>> statements_;
};

}  // namespace DBInterface
