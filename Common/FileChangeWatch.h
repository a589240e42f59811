#pragma once
// Tells whether a database file changed since it was last looked at: a commit of any other
// connection or another file put in its place. A file with a rollback journal is watched through
// SQLite's data version, read on a connection kept open for it. A file in WAL mode is watched
// through the writes to it and to its log that the system reports, since a connection kept open
// on it would keep its -wal and -shm files for as long as the watch lives.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "Common/DBConnection.h"

class FileChangeWatch {
  public:
    explicit FileChangeWatch(std::string databaseFilePath);
    ~FileChangeWatch();
    FileChangeWatch(const FileChangeWatch&) = delete;
    FileChangeWatch& operator=(const FileChangeWatch&) = delete;

    // A number that stays the same for as long as the file is seen unchanged, and that no other
    // watch gives. A file that cannot be read counts as changed at every look.
    int64_t version();

  private:
    int64_t changed();
    void stopWatching();
    // Starts watching the writes of the file and its log; false when the system cannot.
    bool watchWrites();
    // Whether a write was reported since the last look.
    bool writesReported();

    std::string path_;
    std::optional<DBConnection> connection_;
    int writes_ = -1;       // the notification descriptor watching the file's folder
    std::string fileName_;  // the file's name in that folder, links resolved
    bool writeAheadLog_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    int64_t dataVersion_ = -1;
    int64_t changes_ = 0;
};
