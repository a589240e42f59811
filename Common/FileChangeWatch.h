#pragma once
// Tells whether a database file changed since it was last looked at: a commit of any other
// connection (SQLite's data version, read on a connection kept open for it) or another file put
// in its place.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "Common/DBConnection.h"

class FileChangeWatch {
  public:
    explicit FileChangeWatch(std::string databaseFilePath);

    // A number that stays the same for as long as the file is seen unchanged. A file that cannot
    // be read counts as changed at every look.
    int64_t version();

  private:
    int64_t changed();

    std::string path_;
    std::optional<DBConnection> connection_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    int64_t dataVersion_ = -1;
    int64_t changes_ = 0;
};
