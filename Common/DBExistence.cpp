#include "Common/DBExistence.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "Common/DBConnection.h"
#include "Common/DBExecution.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaListing.h"
#include "platform/foundation/Localized.h"

namespace DBInterface {

namespace {
bool yieldsARow(const std::string& query, const std::string& databaseFilePath) {
    std::vector<std::string> values;
    return getRows(&values, query, databaseFilePath, nullptr) == 0 && !values.empty();
}
}  // namespace

bool doesTableExist(const std::string& name, const std::string& databaseFilePath) {
    return yieldsARow(
        "select sql from sqlite_master where name=" + quoteLiteral(name) + " and type='table'",
        databaseFilePath);
}

bool doesTableOrViewExist(const std::string& name, const std::string& databaseFilePath) {
    return yieldsARow("select sql from sqlite_master where name=" + quoteLiteral(name) +
                          " and (type='table' or type='view')",
                      databaseFilePath);
}

bool isSameSQLiteName(const std::string& a, const std::string& b) {
    return sqlite3_stricmp(a.c_str(), b.c_str()) == 0;
}

std::optional<NamedObject> objectBearingName(const std::string& name,
                                             const std::string& databaseFilePath) {
    // Triggers have names of their own: a table may share one with a trigger.
    std::vector<std::string> values;
    if (getRows(&values,
                "select name, type from sqlite_master where type in ('table', 'view', 'index') "
                "and name = " +
                    quoteLiteral(name) + " collate nocase limit 1",
                databaseFilePath, nullptr) != 0 ||
        values.size() < 2) {
        return std::nullopt;
    }
    return NamedObject{values[0], values[1]};
}

bool isNameTaken(const std::string& name, const std::string& databaseFilePath) {
    return objectBearingName(name, databaseFilePath).has_value();
}

NewNameUse newObjectNameUse(const std::string& name, const std::string& databaseFilePath) {
    if (isHiddenByListings(name)) return NewNameUse::Reserved;
    return isNameTaken(name, databaseFilePath) ? NewNameUse::Taken : NewNameUse::Free;
}

std::string reservedNameMessage(const std::string& name) {
    return localizedFormat("The name %@ is reserved for the program.", {name});
}

bool doesTableExistInMetadataTable(const std::string& name, const std::string& databaseFilePath) {
    return yieldsARow("select name from varnelo_db_tables where name=" + quoteLiteral(name),
                      databaseFilePath);
}

DatabaseFileCheck checkDatabaseFile(const std::string& path, std::string* errorString) {
    if (path.empty()) return DatabaseFileCheck::Invalid;
    // Read-write without create: a hot journal left by a writer that crashed is rolled back, as
    // the next change would do anyway, where a read-only connection could only refuse the file;
    // a missing path is still left missing.
    DBConnection connection(path, ConnectionKind::Plain);
    int rc = connection.openResult();
    if (rc == SQLITE_OK) {
        rc = forEachRow(connection.handle(), "select name from sqlite_master limit 1",
                        [](sqlite3_stmt*) { return false; });
        if (rc == SQLITE_OK) return DatabaseFileCheck::Valid;
    }
    appendError(errorString, connection.errorMessage());
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? DatabaseFileCheck::Locked
                                                              : DatabaseFileCheck::Invalid;
}

bool isValidDatabaseFile(const std::string& path, std::string* errorString) {
    return checkDatabaseFile(path, errorString) == DatabaseFileCheck::Valid;
}

std::string refusedDatabaseFileTitle(DatabaseFileCheck check) {
    return localizedString(check == DatabaseFileCheck::Locked ? "database is locked"
                                                              : "Not a valid database file");
}

bool doesDatabaseFileExist(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

std::string databaseFileGoneMessage(const std::string& path) {
    return localizedFormat(
        "The database file %@ no longer exists. It may have been moved or deleted by another "
        "program.",
        {path});
}

bool isSupportedDatabaseFile(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* extension : {".db", ".db3", ".sqlite", ".sqlite3"}) {
        std::string_view ending(extension);
        if (lower.size() >= ending.size() &&
            lower.compare(lower.size() - ending.size(), ending.size(), ending) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace DBInterface
