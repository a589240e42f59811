#pragma once
// One prepared statement, finalized on every path: by finalize() when its code matters, else when
// the object goes.
#include <sqlite3.h>

#include <cassert>
#include <string_view>
#include <thread>

class Statement {
  public:
    Statement() = default;
    ~Statement() { finalize(); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Compiles the first statement of sql, finalizing any held before; tail (when given) receives
    // where the rest of sql begins. Text of only white space or comments holds no statement and
    // gives SQLITE_OK.
    int prepare(sqlite3* db, std::string_view sql, const char** tail = nullptr) {
        finalize();
        thread_ = std::this_thread::get_id();
        return sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, tail);
    }
    // Finalizes now; the code of the statement's last failed step, or SQLITE_OK.
    int finalize() {
        // A connection is used by one thread at a time: its statements end where they began.
        assert(!statement_ || thread_ == std::this_thread::get_id());
        const int rc = sqlite3_finalize(statement_);
        statement_ = nullptr;
        return rc;
    }

    sqlite3_stmt* get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }

  private:
    sqlite3_stmt* statement_ = nullptr;
    std::thread::id thread_;
};
