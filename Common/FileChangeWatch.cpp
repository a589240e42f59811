#include "Common/FileChangeWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string_view>

namespace {
std::atomic<int64_t> watchesMade{0};
}  // namespace

// Each watch counts from a start of its own: a version kept from one watch never passes for
// another's.
FileChangeWatch::FileChangeWatch(std::string databaseFilePath)
    : path_(std::move(databaseFilePath)), changes_(++watchesMade << 32) {}

FileChangeWatch::~FileChangeWatch() {
    stopWatching();
}

void FileChangeWatch::stopWatching() {
    connection_.reset();
    if (writes_ >= 0) ::close(writes_);
    writes_ = -1;
}

int64_t FileChangeWatch::changed() {
    stopWatching();
    return ++changes_;
}

bool FileChangeWatch::watchWrites() {
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(path_, error);
    if (error) return false;
    writes_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (writes_ < 0) return false;
    // The folder, since the log comes and goes with the connections to the file.
    if (::inotify_add_watch(writes_, file.parent_path().c_str(), IN_MODIFY | IN_ONLYDIR) < 0) {
        stopWatching();
        return false;
    }
    fileName_ = file.filename();
    return true;
}

bool FileChangeWatch::writesReported() {
    alignas(inotify_event) char buffer[4096];
    bool reported = false;
    bool lost = false;
    ssize_t length;
    while ((length = ::read(writes_, buffer, sizeof buffer)) > 0) {
        for (const char* at = buffer; at < buffer + length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            at += sizeof(inotify_event) + event->len;
            if (event->mask & (IN_Q_OVERFLOW | IN_IGNORED)) {
                lost = true;
                continue;
            }
            // A commit writes the log or, with no log, the file; the -shm is written by reads too.
            const std::string_view name = event->len > 0 ? event->name : "";
            if (name == fileName_ || name == fileName_ + "-wal") reported = true;
        }
    }
    // Events were dropped or the folder is gone: start over at the next look.
    if (lost) stopWatching();
    return reported || lost;
}

int64_t FileChangeWatch::version() {
    struct stat file {};
    if (::stat(path_.c_str(), &file) != 0) return changed();
    const bool writeAheadLog = isWriteAheadLogFile(path_);
    if ((!connection_ && writes_ < 0) || file.st_dev != device_ || file.st_ino != inode_ ||
        writeAheadLog != writeAheadLog_) {
        stopWatching();
        // The data version of one connection says nothing of another file. Where writes cannot
        // be watched, a WAL file is watched through a connection too, side files and all.
        if (!writeAheadLog || !watchWrites()) {
            connection_.emplace(path_, ConnectionKind::ReadOnly, nullptr, ConnectionSharing::Own);
            if (!connection_->isOpen()) return changed();
        }
        device_ = file.st_dev;
        inode_ = file.st_ino;
        writeAheadLog_ = writeAheadLog;
        dataVersion_ = -1;
        ++changes_;
        if (writes_ >= 0) return changes_;
    } else if (writes_ >= 0) {
        if (writesReported()) ++changes_;
        return changes_;
    }
    int64_t dataVersion = -1;
    int rc = forEachRow(connection_->handle(), "pragma data_version", [&](sqlite3_stmt* statement) {
        dataVersion = sqlite3_column_int64(statement, 0);
        return false;
    });
    if (rc != SQLITE_OK || dataVersion < 0) return changed();
    if (dataVersion_ >= 0 && dataVersion != dataVersion_) ++changes_;
    dataVersion_ = dataVersion;
    return changes_;
}
