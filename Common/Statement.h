#pragma once
// One prepared statement, finalized on every path: by finalize() when its code matters, else when
// the object goes.
#include <sqlite3.h>

#include <string_view>

class Statement {
  public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Compiles the first statement of sql, finalizing any held before; tail (when given) receives
    // where the rest of sql begins. Text of only white space or comments holds no statement and
    // gives SQLITE_OK.
    int prepare(sqlite3* db, std::string_view sql, const char** tail = nullptr) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        return sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, tail);
    }
    // Finalizes now; the code of the statement's last failed step, or SQLITE_OK.
    int finalize() {
        const int rc = sqlite3_finalize(statement_);
        statement_ = nullptr;
        return rc;
    }

    sqlite3_stmt* get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }

  private:
    sqlite3_stmt* statement_ = nullptr;
};
