#pragma once
// While one lives, every database file is opened read-only whatever its opener asks, so that
// writes fail with "attempt to write a readonly database" as for a file the user may not write
// (file modes alone do not stop a test run as root).
#include <sqlite3.h>

#include "Common/SQLiteLibrary.h"

class ReadOnlyDatabases {
  public:
    ReadOnlyDatabases() {
        // The program's own layer first, so that this one lies over it and leaves it in place.
        base() = DBInterface::useFileLayer();
        vfs_ = *base();
        vfs_.zName = "varnelo-test-readonly";
        vfs_.pNext = nullptr;
        vfs_.xOpen = &open;
        sqlite3_vfs_register(&vfs_, 1);
    }
    ~ReadOnlyDatabases() {
        sqlite3_vfs_unregister(&vfs_);
        sqlite3_vfs_register(base(), 1);
    }
    ReadOnlyDatabases(const ReadOnlyDatabases&) = delete;
    ReadOnlyDatabases& operator=(const ReadOnlyDatabases&) = delete;

  private:
    static sqlite3_vfs*& base() {
        static sqlite3_vfs* vfs = nullptr;
        return vfs;
    }
    // The file is opened by the real file system itself, which finds its own state there.
    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                    int* outFlags) {
        if (flags & SQLITE_OPEN_MAIN_DB) {
            flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
        }
        return base()->xOpen(base(), name, file, flags, outFlags);
    }

    sqlite3_vfs vfs_{};
};
