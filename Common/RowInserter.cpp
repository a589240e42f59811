#include "Common/RowInserter.h"

#include <algorithm>

#include "Common/DBConnection.h"
#include "Common/SQLQuote.h"

namespace DBInterface {

namespace {

// Enough to spare most of the cost of running a statement per row.
constexpr size_t kRowsPerStatement = 32;

int failed(sqlite3* db, int rc, std::string* errorString) {
    appendError(errorString, sqlite3_errmsg(db));
    return rc;
}

}  // namespace

int execOnConnection(sqlite3* db, const std::string& sql, std::string* errorString) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) appendError(errorString, message ? message : sqlite3_errstr(rc));
    sqlite3_free(message);
    return rc;
}

int rowidAliasColumn(sqlite3* db, const std::string& table, std::string* column,
                     std::string* errorString) {
    column->clear();
    // A key column of any other type, a DESC key column and the key of a table without rowid
    // all come with an index of their own; the rowid's own column has none.
    const std::string name = quoteLiteral(table);
    const std::string columns = "pragma_table_info(" + name + ")";
    const std::string sql = "select name from " + columns +
                            " where pk > 0 and (select count(*) from " + columns +
                            " where pk > 0) = 1 and not exists (select 1 from pragma_index_list(" +
                            name + ") where origin = 'pk')";
    Statement statement;
    int rc = statement.prepare(db, sql);
    if (rc != SQLITE_OK) return failed(db, rc, errorString);
    rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
        if (text) *column = text;
        rc = sqlite3_step(statement.get());
    }
    return rc == SQLITE_DONE ? SQLITE_OK : failed(db, rc, errorString);
}

RowInserter::RowInserter(sqlite3* db, std::string table, std::vector<std::string> fieldNames)
    : db_(db), table_(std::move(table)), fieldNames_(std::move(fieldNames)) {}

size_t RowInserter::rowsPerStatement(size_t fieldCount) const {
    if (fieldCount == 0) return 1;
    const auto variables =
        static_cast<size_t>(sqlite3_limit(db_, SQLITE_LIMIT_VARIABLE_NUMBER, -1));
    return std::clamp<size_t>(variables / fieldCount, 1, kRowsPerStatement);
}

int RowInserter::insert(const std::vector<DBValue>& values, std::string* errorString) {
    boundValues_.clear();
    for (const DBValue& value : values) {
        boundValues_.push_back(value ? BoundText(*value) : std::nullopt);
    }
    return insertRows(boundValues_.data(), values.size(), 1, errorString);
}

int RowInserter::insertRows(const BoundText* values, size_t fieldCount, size_t rowCount,
                            std::string* errorString) {
    if (fieldCount == 0 || fieldCount > fieldNames_.size() || rowCount == 0) {
        appendError(errorString, sqlite3_errstr(SQLITE_RANGE));
        return SQLITE_RANGE;
    }
    if (!rowidAlias_) {
        std::string alias;
        const int rc = rowidAliasColumn(db_, table_, &alias, errorString);
        if (rc != SQLITE_OK) return rc;
        rowidAlias_ = fieldNames_.size();
        for (size_t i = 0; i < fieldNames_.size() && !alias.empty(); ++i) {
            if (sqlite3_stricmp(fieldNames_[i].c_str(), alias.c_str()) == 0) rowidAlias_ = i;
        }
    }
    std::unique_ptr<Statement>& statement = statements_[{fieldCount, rowCount}];
    if (!statement) {
        std::string sql = "insert into " + quoteIdentifier(table_) + " (";
        std::string parameters = "(";
        for (size_t i = 0; i < fieldCount; ++i) {
            sql += (i ? ", " : "") + quoteIdentifier(fieldNames_[i]);
            parameters += i ? ", ?" : "?";
        }
        parameters += ")";
        sql += ") values " + parameters;
        for (size_t row = 1; row < rowCount; ++row) sql += ", " + parameters;
        auto prepared = std::make_unique<Statement>();
        const int rc = prepared->prepare(db_, sql);
        if (rc != SQLITE_OK) {
            statements_.erase({fieldCount, rowCount});
            return failed(db_, rc, errorString);
        }
        statement = std::move(prepared);
    }
    sqlite3_stmt* s = statement->get();
    for (size_t i = 0; i < fieldCount * rowCount; ++i) {
        const int parameter = static_cast<int>(i) + 1;
        const bool assignedRowid =
            i % fieldCount == *rowidAlias_ && values[i] && values[i]->empty();
        // An empty text still needs an address, or SQLite binds NULL.
        const int rc =
            values[i] && !assignedRowid
                ? sqlite3_bind_text64(s, parameter, values[i]->empty() ? "" : values[i]->data(),
                                      values[i]->size(), SQLITE_STATIC, SQLITE_UTF8)
                : sqlite3_bind_null(s, parameter);
        if (rc != SQLITE_OK) {
            sqlite3_reset(s);
            return failed(db_, rc, errorString);
        }
    }
    const int step = sqlite3_step(s);
    // The statement's own failure code comes back from the reset. Every parameter is bound again
    // for the next rows, so the bindings are left as they are.
    const int rc = sqlite3_reset(s);
    if (step == SQLITE_DONE) return SQLITE_OK;
    return failed(db_, rc == SQLITE_OK ? step : rc, errorString);
}

}  // namespace DBInterface
