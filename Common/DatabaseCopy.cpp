#include "Common/DatabaseCopy.h"

#include <filesystem>
#include <system_error>

#include "Common/DBConnection.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {

int copyPages(const DBConnection& source, const std::string& destinationPath,
              std::string* errorString) {
    sqlite3* destination = nullptr;
    int rc = sqlite3_open_v2(destinationPath.c_str(), &destination,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(destination, "main", source.handle(), "main");
        if (!backup) {
            rc = sqlite3_errcode(destination);
        } else {
            // One step under one read lock: every page comes from the same committed state.
            sqlite3_backup_step(backup, -1);
            rc = sqlite3_backup_finish(backup);
        }
    }
    if (rc != SQLITE_OK) {
        const char* message = destination ? sqlite3_errmsg(destination) : "out of memory";
        appendError(errorString, message ? message : sqlite3_errstr(rc));
    }
    sqlite3_close_v2(destination);
    return rc;
}

}  // namespace

int copyDatabaseSnapshot(const std::string& sourcePath, const std::string& destinationPath,
                         std::string* errorString) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(destinationPath, ec))) {
        appendError(errorString, localizedFormat("The file %@ already exists", {destinationPath}));
        return SQLITE_CANTOPEN;
    }
    DBConnection source(sourcePath, ConnectionKind::ReadOnly);
    if (!source.isOpen()) {
        appendError(errorString, localizedFormat("Could not open the database %@", {sourcePath}));
        return source.openResult();
    }
    int rc = copyPages(source, destinationPath, errorString);
    if (rc != SQLITE_OK) {
        std::filesystem::remove(destinationPath, ec);
        std::filesystem::remove(destinationPath + "-journal", ec);
    }
    return rc;
}

}  // namespace DBInterface
