#include "Common/RowInserter.h"

#include "Common/SQLQuote.h"

namespace DBInterface {

namespace {
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

RowInserter::RowInserter(sqlite3* db, std::string table, std::vector<std::string> fieldNames)
    : db_(db), table_(std::move(table)), fieldNames_(std::move(fieldNames)) {}

int RowInserter::insert(const std::vector<DBValue>& values, std::string* errorString) {
    const size_t count = values.size();
    if (count == 0 || count > fieldNames_.size()) {
        appendError(errorString, sqlite3_errstr(SQLITE_RANGE));
        return SQLITE_RANGE;
    }
    if (statements_.size() <= count) statements_.resize(count + 1);
    std::unique_ptr<Statement>& statement = statements_[count];
    if (!statement) {
        std::string sql = "insert into " + quoteIdentifier(table_) + " (";
        std::string parameters;
        for (size_t i = 0; i < count; ++i) {
            sql += (i ? ", " : "") + quoteIdentifier(fieldNames_[i]);
            parameters += i ? ", ?" : "?";
        }
        sql += ") values (" + parameters + ")";
        auto prepared = std::make_unique<Statement>();
        const int rc = prepared->prepare(db_, sql);
        if (rc != SQLITE_OK) return failed(db_, rc, errorString);
        statement = std::move(prepared);
    }
    sqlite3_stmt* s = statement->get();
    for (size_t i = 0; i < count; ++i) {
        const int parameter = static_cast<int>(i) + 1;
        const int rc = values[i]
                           ? sqlite3_bind_text64(s, parameter, values[i]->data(), values[i]->size(),
                                                 SQLITE_STATIC, SQLITE_UTF8)
                           : sqlite3_bind_null(s, parameter);
        if (rc != SQLITE_OK) {
            sqlite3_reset(s);
            return failed(db_, rc, errorString);
        }
    }
    const int step = sqlite3_step(s);
    // The statement's own failure code comes back from the reset. Every parameter is bound again
    // for the next row, so the bindings are left as they are.
    const int rc = sqlite3_reset(s);
    if (step == SQLITE_DONE) return SQLITE_OK;
    return failed(db_, rc == SQLITE_OK ? step : rc, errorString);
}

}  // namespace DBInterface
