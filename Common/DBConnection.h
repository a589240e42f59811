#pragma once
// One SQLite connection for the length of one operation, closed on every path. Three kinds:
// statement connections (read-write, with the system's SQL functions, the files table, the misc
// extensions, foreign keys when asked and the journal-mode rule), plain read-write connections
// and read-only connections, both without extras. Only a statement connection for a new file
// creates a missing file; every other kind fails on it. A read-only connection to a file in WAL
// mode is opened for writing but refuses every change (query_only): only such a connection,
// closing last, removes the -wal and -shm files that every read of the file makes; a connection
// to a WAL file SQLite could open only for reading removes them itself when it is the last of
// this process to the file and no other program has them open.
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Common/DBTypes.h"
#include "Common/DatabaseFileHeader.h"
#include "Common/Statement.h"

enum class ConnectionKind { Statement, NewFileStatement, Plain, ReadOnly };
// Whether a plain or read-only connection is the read session's when one is open on the thread
// for the file (see ReadSession), or always one of its own (a connection kept past the session).
enum class ConnectionSharing { Session, Own };

class DBConnection {
  public:
    // Opens the path; openResult() tells whether it worked. A statement connection is also
    // prepared, its messages (foreign keys, journal mode) appended to errorString.
    DBConnection(const std::string& path, ConnectionKind kind, std::string* errorString = nullptr,
                 ConnectionSharing sharing = ConnectionSharing::Session);
    ~DBConnection();
    DBConnection(const DBConnection&) = delete;
    DBConnection& operator=(const DBConnection&) = delete;

    int openResult() const { return openResult_; }
    bool isOpen() const { return openResult_ == SQLITE_OK; }
    sqlite3* handle() const { return db_; }
    // sqlite3_errmsg of the connection ("out of memory" when there is none).
    std::string errorMessage() const;
    // From here on every change fails (query_only); the reads go on.
    void refuseChanges();

    // Whether the path names the -wal, -shm or -journal of a database this process has open: the
    // same file by device and inode, so that another spelling or a link is caught too. Only SQLite
    // may open such a file: a descriptor of ours to it, once closed, drops every lock the process
    // holds on it. Looks with stat alone, opening nothing.
    static bool isSideFileOfOpenDatabase(const std::string& path);

    // How many connections this process has opened (or tried to), so that a test can count
    // the connections one operation costs.
    static int64_t openedConnectionCount() { return openedConnections_.load(); }
    // How many times connections of this process began to wait on a lock held elsewhere.
    static int64_t busyWaitCount() { return busyWaits_.load(); }

    // How long connections opened on this thread wait on a lock held elsewhere before they fail:
    // kWindowLockWait unless set, since the window's thread must never freeze; a background task
    // nobody waits for sets kBackgroundLockWait on its thread.
    static constexpr std::chrono::milliseconds kWindowLockWait{250};
    static constexpr std::chrono::milliseconds kBackgroundLockWait{5000};
    static void setLockWaitOnThisThread(std::chrono::milliseconds wait) { lockWait_ = wait; }
    static std::chrono::milliseconds lockWaitOnThisThread() { return lockWait_; }
    // A connection kept for many transactions (the import's) waits once more on its next lock.
    void armLockWait() { busyWaitRanOut_ = false; }

    // What a job's waits on a lock held elsewhere tell it and ask of it, on the job's thread.
    class LockWaitWatcher {
      public:
        virtual ~LockWaitWatcher() = default;
        virtual void lockWaitBegins() = 0;
        // Once it is, a wait lasts no longer than the window's own: a lock held for a moment (a
        // read of the program's own window) still lets a stopped job's last writes through.
        virtual bool stopRequested() const = 0;
    };
    // The watcher of the waits of connections used on this thread (none: nobody is told).
    static void setLockWaitWatcherOnThisThread(LockWaitWatcher* watcher) { watcher_ = watcher; }
    static LockWaitWatcher* lockWaitWatcherOnThisThread() { return watcher_; }

    // How many times a connection of a thread that does not yield began to wait on a lock: a
    // background read that yields stops when it changes, since the lock waited on may be its own.
    // Until its connections are closed, such a read is waited for by a write of a thread that
    // does not yield, waiting to commit to the file, however long its wait is: a write of this
    // process never fails on a read of its own, which may hold its lock inside one long step (a
    // sort).
    static int64_t lockWaitsOfOthers() { return lockWaitsOfOthers_.load(); }
    // The reads of this thread give way to the waits of other threads begun once the count was
    // past lockWaitsSeen, and ask none to give way: their own waits on a lock end then too, as
    // the lock waited on may be that of the write they give way to.
    static void yieldOnThisThread(int64_t lockWaitsSeen) { yieldsSince_ = lockWaitsSeen; }
    // The count this thread's reads give way after; none when they do not give way.
    static std::optional<int64_t> yieldsOnThisThreadSince() { return yieldsSince_; }

  private:
    static inline std::atomic<int64_t> openedConnections_{0};
    static inline std::atomic<int64_t> busyWaits_{0};
    static inline thread_local std::chrono::milliseconds lockWait_ = kWindowLockWait;
    static inline std::atomic<int64_t> lockWaitsOfOthers_{0};
    static inline thread_local std::optional<int64_t> yieldsSince_;
    static inline thread_local LockWaitWatcher* watcher_ = nullptr;

    static int waitWhileBusy(void* connection, int attempt);
    void prepareStatementConnection(const std::string& path, std::string* errorString);

    sqlite3* db_ = nullptr;
    int openResult_ = SQLITE_ERROR;
    bool borrowed_ = false;  // the read session's handle, closed by the session
    bool openedForWriting_ = false;
    bool givesWay_ = false;  // opened on a thread whose reads yield
    std::string fileName_;   // SQLite's full name of the file, counted while the handle is open
    // When the wait on the lock met last ends; once a wait has run out, the connection waits no
    // more (but on reads of this process's own), so a lock met by the journal-mode check and
    // again by the statement that follows costs one wait, not two.
    std::chrono::steady_clock::time_point busyStart_, busyDeadline_;
    bool busyWaitRanOut_ = false;
};

// Appends "Null database file path"; kMissingPathResult.
int missingDatabasePath(std::string* errorString);
// The opening of every operation that runs SQL: a missing path gives kMissingPathResult with
// "Null database file path", a failed open SQLite's code with "Could not open the database %@".
// SQLITE_OK when connection holds the open connection.
int openForStatement(std::optional<DBConnection>& connection, const std::string& databaseFilePath,
                     ConnectionKind kind, std::string* errorString);

// A column's value as text: SQL NULL as the null object when nullPossible, else as empty text;
// text that is not valid UTF-8 as invalidText.
DBValue columnValue(sqlite3_stmt* statement, int column, bool nullPossible,
                    std::string_view invalidText);
// Every column of the result row: SQL NULL as the null object, text that is not valid UTF-8 as
// kInvalidUtf8Marker.
DBRow rowValues(sqlite3_stmt* statement);
// A column name: a missing name as missingName, one that is not valid UTF-8 as invalidText.
std::string columnName(sqlite3_stmt* statement, int column, std::string_view missingName,
                       std::string_view invalidText);

// Runs every statement of sql in turn and calls onRow(statement) for each result row; onRow
// returns false to stop. Returns SQLITE_OK or the code of the failing statement.
template <typename OnRow>
int forEachRow(sqlite3* db, std::string_view sql, OnRow&& onRow) {
    const char* tail = sql.data();
    const char* end = sql.data() + sql.size();
    while (tail < end) {
        Statement statement;
        const char* next = nullptr;
        int rc =
            statement.prepare(db, std::string_view(tail, static_cast<size_t>(end - tail)), &next);
        if (rc != SQLITE_OK) return rc;
        tail = next;
        if (!statement) continue;  // only white space or a comment was left
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            if (!onRow(statement.get())) return SQLITE_OK;
        }
        if (rc != SQLITE_DONE) return rc;
    }
    return SQLITE_OK;
}
