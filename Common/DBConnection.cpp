#include "Common/DBConnection.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "Common/DBExtensions.h"
#include "Common/ReadSession.h"
#include "Common/SQLiteLibrary.h"
#include "Common/WalSideFiles.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Utf8.h"

namespace {
// The pauses between tries: short at first, so that a lock about to end costs little.
constexpr int kBusyPausesMilliseconds[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};

// How many connections this process holds to each file, by SQLite's full name of it. Opening
// and closing a file's -shm drops the locks of every connection of the process to that file,
// so its side files are looked at only while the process holds none. Recursive: the last close
// looks at the file's header, which asks whether the path is a side file of an open one.
std::recursive_mutex openFilesMutex;
std::unordered_map<std::string, int> openFiles;
// Of those, the connections of reads that give way to the waits of others.
std::unordered_map<std::string, int> readsGivingWay;

bool anyReadGivingWayOn(const std::string& fileName) {
    const std::lock_guard lock(openFilesMutex);
    return readsGivingWay.count(fileName) > 0;
}

// The names SQLite gives a database's side files: its name and one of these.
constexpr const char* kSideFileSuffixes[] = {"-wal", "-shm", "-journal"};
}  // namespace

DBConnection::DBConnection(const std::string& path, ConnectionKind kind, std::string* errorString,
                           ConnectionSharing sharing) {
    const bool reader = kind == ConnectionKind::Plain || kind == ConnectionKind::ReadOnly;
    if (const DBConnection* session = reader && sharing == ConnectionSharing::Session
                                          ? ReadSession::connectionFor(path)
                                          : nullptr) {
        db_ = session->db_;
        openResult_ = session->openResult_;
        borrowed_ = true;
        return;
    }
    // A read-only connection could neither checkpoint a WAL file nor remove its side files.
    const bool walRead = kind == ConnectionKind::ReadOnly && isWriteAheadLogFile(path);
    // Only an operation meant to make a new file may create one; a read or a change of a vanished
    // file fails instead of leaving a new database in its place.
    int flags = kind == ConnectionKind::ReadOnly && !walRead ? SQLITE_OPEN_READONLY
                : kind == ConnectionKind::NewFileStatement
                    ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                    : SQLITE_OPEN_READWRITE;
    openedForWriting_ = (flags & SQLITE_OPEN_READWRITE) != 0;
    ++openedConnections_;
    DBInterface::useFileLayer();
    openResult_ = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_URI, nullptr);
    if (openResult_ != SQLITE_OK) return;
    // Counted before any statement reads the file and so opens its side files.
    if (const char* name = sqlite3_db_filename(db_, "main"); name && *name) {
        fileName_ = name;
        givesWay_ = yieldsSince_.has_value();
        const std::lock_guard lock(openFilesMutex);
        ++openFiles[fileName_];
        if (givesWay_) ++readsGivingWay[fileName_];
    }
    sqlite3_busy_handler(db_, &DBConnection::waitWhileBusy, this);
    if (walRead) {
        refuseChanges();
        if (openResult_ != SQLITE_OK) return;
    }
    if (kind == ConnectionKind::Statement || kind == ConnectionKind::NewFileStatement) {
        prepareStatementConnection(path, errorString);
    }
}

DBConnection::~DBConnection() {
    if (borrowed_) return;
    // SQLite fell back to reading a file it may not write: it cannot checkpoint a WAL file then,
    // nor remove the side files its reads made.
    const bool readOnly = isOpen() && openedForWriting_ && sqlite3_db_readonly(db_, "main") == 1;
    // Closes even a handle whose open failed; unfinalized statements never outlive a call.
    sqlite3_close_v2(db_);
    if (fileName_.empty()) return;
    const std::lock_guard lock(openFilesMutex);
    // Closed, so its locks are gone: a write waiting on it may give up on the lock now.
    if (givesWay_ && --readsGivingWay[fileName_] == 0) readsGivingWay.erase(fileName_);
    if (--openFiles[fileName_] > 0) return;
    openFiles.erase(fileName_);
    // Under the lock: a connection opened meanwhile reads nothing before it is counted.
    if (readOnly && isWriteAheadLogFile(fileName_)) removeIdleWalSideFiles(fileName_);
}

void DBConnection::refuseChanges() {
    if (isOpen()) {
        openResult_ = sqlite3_exec(db_, "pragma query_only = 1", nullptr, nullptr, nullptr);
    }
}

int DBConnection::waitWhileBusy(void* connection, int attempt) {
    auto* self = static_cast<DBConnection*>(connection);
    // Only a write waits on the locks of reads, as it commits: reads of this process's own that
    // give way are waited for then, even once a wait has run out.
    const bool ownReads = !yieldsSince_ &&
                          sqlite3_txn_state(self->db_, nullptr) == SQLITE_TXN_WRITE &&
                          anyReadGivingWayOn(self->fileName_);
    if (self->busyWaitRanOut_ && !ownReads) return 0;
    auto now = std::chrono::steady_clock::now();
    if (attempt == 0) {
        self->busyStart_ = now;
        self->busyDeadline_ = now + lockWait_;
        ++busyWaits_;
        if (!yieldsSince_) ++lockWaitsOfOthers_;
        if (watcher_) watcher_->lockWaitBegins();
    }
    std::chrono::milliseconds wait = lockWait_;
    if (watcher_ && watcher_->stopRequested()) {
        wait = std::min(wait, kWindowLockWait);
        self->busyDeadline_ = std::min(self->busyDeadline_, self->busyStart_ + wait);
    }
    // Asked to give way, a read waits no more: the write it gives way to may hold the lock.
    if (yieldsSince_ && lockWaitsOfOthers_ != *yieldsSince_) return 0;
    // Asked to give way by the count above, the reads may still hold the lock inside one long
    // step (a sort), out of reach of their progress handler: the wait for other programs' locks
    // starts once they are closed.
    if (ownReads) self->busyDeadline_ = std::max(self->busyDeadline_, now + wait);
    if (now >= self->busyDeadline_) {
        self->busyWaitRanOut_ = true;
        return 0;
    }
    constexpr int kPauses = std::size(kBusyPausesMilliseconds);
    std::chrono::milliseconds pause(kBusyPausesMilliseconds[std::min(attempt, kPauses - 1)]);
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, self->busyDeadline_ - now));
    return 1;
}

bool DBConnection::isSideFileOfOpenDatabase(const std::string& path) {
    struct stat handed {};
    if (path.empty() || ::stat(path.c_str(), &handed) != 0 || !S_ISREG(handed.st_mode)) {
        return false;
    }
    const std::lock_guard lock(openFilesMutex);
    for (const auto& [name, count] : openFiles) {
        for (const char* suffix : kSideFileSuffixes) {
            struct stat side {};
            if (::stat((name + suffix).c_str(), &side) == 0 && side.st_dev == handed.st_dev &&
                side.st_ino == handed.st_ino) {
                return true;
            }
        }
    }
    return false;
}

std::string DBConnection::errorMessage() const {
    const char* message = sqlite3_errmsg(db_);
    return message ? message : "out of memory";
}

void DBConnection::prepareStatementConnection(const std::string& path, std::string* errorString) {
    installConnectionExtensions(db_);
    if (UserDefaults::standard().boolForKey("EnableForeignKeyConstraints")) {
        int rc = sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_FKEY, 1, static_cast<int*>(nullptr));
        if (rc != SQLITE_OK) {
            appendError(errorString,
                        localizedFormat("Could not enable foreign key constraints, rc = %ld",
                                        {std::to_string(rc)}));
        }
    }
    if (path != ":memory:") changeJournalModeIfNecessary(db_, errorString);
}

int changeJournalModeIfNecessary(sqlite3* db, std::string* errorString) {
    // Every file uses a rollback journal on disk (DELETE), so a crash can always be recovered;
    // a file in WAL mode keeps it, since its other users rely on it.
    std::string mode;
    int rc = forEachRow(db, "pragma journal_mode", [&](sqlite3_stmt* statement) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        mode = text ? reinterpret_cast<const char*>(text) : "";
        return false;
    });
    // A file that cannot even be read fails again in the statement that follows, which reports it.
    if (rc != SQLITE_OK || mode == "wal" || mode == "delete") return rc;
    rc = sqlite3_exec(db, "pragma journal_mode = DELETE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const char* message = sqlite3_errmsg(db);
        appendError(errorString, message ? message : "");
        systemLog("Error switching to DELETE journal mode: " + std::to_string(rc));
    }
    return rc;
}

int missingDatabasePath(std::string* errorString) {
    appendError(errorString, localizedString("Null database file path"));
    return kMissingPathResult;
}

int openForStatement(std::optional<DBConnection>& connection, const std::string& databaseFilePath,
                     ConnectionKind kind, std::string* errorString) {
    if (databaseFilePath.empty()) return missingDatabasePath(errorString);
    connection.emplace(databaseFilePath, kind, errorString);
    if (connection->isOpen()) return SQLITE_OK;
    appendError(errorString, localizedFormat("Could not open the database %@", {databaseFilePath}));
    const int rc = connection->openResult();
    connection.reset();
    return rc;
}

DBValue columnValue(sqlite3_stmt* statement, int column, bool nullPossible,
                    std::string_view invalidText) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) {
        return nullPossible ? DBValue() : DBValue(std::string());
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    size_t length = static_cast<size_t>(sqlite3_column_bytes(statement, column));
    if (!text) return std::string();
    if (!isValidUtf8(text, length)) return std::string(invalidText);
    return std::string(text, length);
}

DBRow rowValues(sqlite3_stmt* statement) {
    const int columns = sqlite3_column_count(statement);
    DBRow row;
    row.reserve(static_cast<size_t>(columns));
    for (int i = 0; i < columns; ++i) {
        row.push_back(columnValue(statement, i, true, kInvalidUtf8Marker));
    }
    return row;
}

std::string columnName(sqlite3_stmt* statement, int column, std::string_view missingName,
                       std::string_view invalidText) {
    const char* name = sqlite3_column_name(statement, column);
    if (!name) return std::string(missingName);
    std::string_view text(name);
    return isValidUtf8(text) ? std::string(text) : std::string(invalidText);
}
