#include "Common/DatabaseFileHeader.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "Common/DBConnection.h"
#include "Common/SQLiteLibrary.h"

namespace {

// The first size bytes of the file; false when it is shorter or cannot be read.
bool readHeader(const std::string& path, char* buffer, int size) {
    // Only a regular file can be a database; opening a pipe would wait for a writer.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    sqlite3_vfs* vfs = DBInterface::useFileLayer();
    std::vector<char> fullPath(static_cast<size_t>(vfs->mxPathname) + 1);
    if (vfs->xFullPathname(vfs, path.c_str(), vfs->mxPathname + 1, fullPath.data()) != SQLITE_OK) {
        return false;
    }
    // The layer may read URI parameters off a database's name, which wants the form SQLite gives.
    sqlite3_filename name = sqlite3_create_filename(fullPath.data(), "", "", 0, nullptr);
    auto* file = static_cast<sqlite3_file*>(sqlite3_malloc(vfs->szOsFile));
    bool read = false;
    if (name && file) {
        std::memset(file, 0, static_cast<size_t>(vfs->szOsFile));
        int openedAs = 0;
        // Opened as a main database, the one kind whose locks the layer keeps for the process.
        const int rc =
            vfs->xOpen(vfs, name, file, SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_READONLY, &openedAs);
        if (rc == SQLITE_OK) read = file->pMethods->xRead(file, buffer, size, 0) == SQLITE_OK;
        if (file->pMethods) file->pMethods->xClose(file);
    }
    sqlite3_free(file);
    sqlite3_free_filename(name);
    return read;
}

// The magic text that begins every database file, its final NUL included.
constexpr char kMagic[] = "SQLite format 3";

}  // namespace

bool isWriteAheadLogFile(const std::string& path) {
    // The magic text, then the write and read format versions at offsets 18 and 19: 2 is WAL.
    char header[20];
    return readHeader(path, header, sizeof header) &&
           std::memcmp(header, kMagic, sizeof kMagic) == 0 && header[18] == 2 && header[19] == 2;
}

bool isSQLiteDatabaseFile(const std::string& path) {
    char header[sizeof kMagic];
    return readHeader(path, header, sizeof header) &&
           std::memcmp(header, kMagic, sizeof kMagic) == 0;
}

bool isSQLiteFile(const std::string& path) {
    return DBConnection::isSideFileOfOpenDatabase(path) || isSQLiteDatabaseFile(path);
}
