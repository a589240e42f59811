#include "mainwindow/SchemaChangeWatch.h"

#include <sys/stat.h>

#include "Common/DBConnection.h"
#include "Common/FileChangeWatch.h"

SchemaChangeWatch::SchemaChangeWatch(std::function<bool()> schemaDidChange, QObject* parent)
    : QObject(parent), schemaDidChange_(std::move(schemaDidChange)) {
    timer_.setInterval(kLookIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &SchemaChangeWatch::look);
}

SchemaChangeWatch::~SchemaChangeWatch() = default;

void SchemaChangeWatch::watchFile(const std::optional<std::string>& path) {
    timer_.stop();
    fileWatch_.reset();
    stamp_.reset();
    if (!path) return;
    path_ = *path;
    fileWatch_ = std::make_unique<FileChangeWatch>(path_, FileChangeWatch::LockWait::Never);
    fileVersion_ = fileWatch_->version();
    stamp_ = readStamp();
    timer_.start();
}

void SchemaChangeWatch::look() {
    if (!fileWatch_) return;
    const int64_t version = fileWatch_->version();
    if (version == fileVersion_) return;
    std::optional<Stamp> stamp = readStamp();
    // Locked or unreadable for now: looked at again next time.
    if (!stamp) return;
    if (stamp != stamp_ && !schemaDidChange_()) return;
    fileVersion_ = version;
    stamp_ = stamp;
}

std::optional<SchemaChangeWatch::Stamp> SchemaChangeWatch::readStamp() const {
    struct stat file {};
    if (::stat(path_.c_str(), &file) != 0) return std::nullopt;
    DBConnection connection(path_, ConnectionKind::ReadOnly, nullptr, ConnectionSharing::Own);
    if (!connection.isOpen()) return std::nullopt;
    // A look never waits on a lock held elsewhere; the next one comes soon enough.
    sqlite3_busy_handler(connection.handle(), nullptr, nullptr);
    std::optional<Stamp> stamp;
    int rc = forEachRow(connection.handle(), "pragma schema_version", [&](sqlite3_stmt* row) {
        stamp = Stamp{sqlite3_column_int64(row, 0), file.st_dev, file.st_ino};
        return false;
    });
    if (rc != SQLITE_OK) return std::nullopt;
    return stamp;
}
