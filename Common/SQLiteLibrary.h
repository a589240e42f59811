#pragma once
// How SQLite itself is set up in this process, once, before its first use.
#include <sqlite3.h>

namespace DBInterface {

// Turns off SQLite's count of the memory it holds: that count takes one lock of the whole process
// for every allocation, so connections read side by side would wait on each other for it. Has
// no effect once SQLite has started; every first use of SQLite here calls it before.
void configureSQLiteLibrary();

// The file layer every connection of this process opens files through, made the default on the
// first call (which starts SQLite; every open here calls it before): the system's, except that
// it refuses, as no database, the -wal, -shm or -journal of a database this process has open
// (see DBConnection::isSideFileOfOpenDatabase).
sqlite3_vfs* useFileLayer();

}  // namespace DBInterface
