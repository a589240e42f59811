#pragma once
// Rows inserted through prepared statements with bound values on a connection the caller holds
// open (the import's own), and the transaction statements around them. Binding instead of
// writing each row's INSERT text spares SQLite parsing one statement per row; several rows in
// one statement spare it most of the work of running one.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/Statement.h"

namespace DBInterface {

// Runs SQL that returns no rows on the open connection; SQLite's code, its message appended.
int execOnConnection(sqlite3* db, const std::string& sql, std::string* errorString);

// The table's column that stands for its rowid (a lone INTEGER PRIMARY KEY of a rowid table), ""
// when it has none. Such a column refuses '' ("datatype mismatch"); given NULL, or left out of an
// INSERT, it takes the next rowid.
int rowidAliasColumn(sqlite3* db, const std::string& table, std::string* column,
                     std::string* errorString);

// A value to bind: text, or SQL NULL for nullopt. The text must outlive the insert.
using BoundText = std::optional<std::string_view>;

class RowInserter {
  public:
    // Rows go into the table's named fields, in order.
    RowInserter(sqlite3* db, std::string table, std::vector<std::string> fieldNames);

    // Inserts one row whose values fill the first values.size() fields (the others take their
    // defaults); more values than fields give SQLITE_RANGE. The null object is bound as NULL, and
    // so is an empty text for the rowid's own column, which then takes the next rowid.
    // SQLite's code, its message appended to errorString.
    int insert(const std::vector<DBValue>& values, std::string* errorString);
    // Inserts rowCount rows of fieldCount values each, given row after row, in one statement.
    // Values are bound as insert binds them. A failing statement may keep the rows before the
    // failing one (a FAIL rule, a strict column's type check): a caller that tries the rows again
    // runs the statement under a savepoint.
    int insertRows(const BoundText* values, size_t fieldCount, size_t rowCount,
                   std::string* errorString);
    // How many rows of fieldCount values insertRows may take at once.
    size_t rowsPerStatement(size_t fieldCount) const;

  private:
    sqlite3* db_;
    std::string table_;
    std::vector<std::string> fieldNames_;
    // The position of the rowid's own column among the fields, once read; fieldNames_.size()
    // for none.
    std::optional<size_t> rowidAlias_;
    // By value count and row count: a short record names fewer fields.
    std::map<std::pair<size_t, size_t>, std::unique_ptr<Statement>> statements_;
    std::vector<BoundText> boundValues_;
};

}  // namespace DBInterface
