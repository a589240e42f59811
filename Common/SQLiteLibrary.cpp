#include "Common/SQLiteLibrary.h"

#include <mutex>

#include "Common/DBConnection.h"

namespace DBInterface {

namespace {

// The system's file layer, under ours.
sqlite3_vfs* systemFileLayer = nullptr;

// SQLite keeps the -wal, -shm and -journal of a database outside the record it shares among the
// connections of the process: one opened as a database of its own (a main file, an attached one,
// the target of a copy) and closed would drop every lock the process holds on it. It is refused
// as SQLite refuses a file that is not a database.
int openRefusingSideFiles(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                          int* outFlags) {
    if ((flags & SQLITE_OPEN_MAIN_DB) && name && DBConnection::isSideFileOfOpenDatabase(name)) {
        file->pMethods = nullptr;
        return SQLITE_NOTADB;
    }
    return systemFileLayer->xOpen(systemFileLayer, name, file, flags, outFlags);
}

}  // namespace

void configureSQLiteLibrary() {
    static std::once_flag configured;
    std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

sqlite3_vfs* useFileLayer() {
    static sqlite3_vfs layer;
    static std::once_flag registered;
    std::call_once(registered, [] {
        configureSQLiteLibrary();
        systemFileLayer = sqlite3_vfs_find(nullptr);
        // Every call but the open is the system layer's own, which asks nothing of its caller.
        layer = *systemFileLayer;
        layer.zName = "varnelo";
        layer.pNext = nullptr;
        layer.xOpen = &openRefusingSideFiles;
        sqlite3_vfs_register(&layer, 1);
    });
    return &layer;
}

}  // namespace DBInterface
