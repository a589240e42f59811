#include "Common/FileChangeWatch.h"

#include <sys/stat.h>

FileChangeWatch::FileChangeWatch(std::string databaseFilePath)
    : path_(std::move(databaseFilePath)) {}

int64_t FileChangeWatch::changed() {
    connection_.reset();
    return ++changes_;
}

int64_t FileChangeWatch::version() {
    struct stat file {};
    if (::stat(path_.c_str(), &file) != 0) return changed();
    if (!connection_ || file.st_dev != device_ || file.st_ino != inode_) {
        // The data version of one connection says nothing of another file.
        connection_.emplace(path_, ConnectionKind::ReadOnly);
        if (!connection_->isOpen()) return changed();
        device_ = file.st_dev;
        inode_ = file.st_ino;
        dataVersion_ = -1;
        ++changes_;
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
