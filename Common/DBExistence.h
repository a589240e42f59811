#pragma once
// Existence and validity tests, and whether a new table or view may take a name; none reports
// anything. And what a window says when its database file is gone.
#include <optional>
#include <string>

namespace DBInterface {

// A table (not a view) of exactly that name.
bool doesTableExist(const std::string& name, const std::string& databaseFilePath);
// A table or view of exactly that name.
bool doesTableOrViewExist(const std::string& name, const std::string& databaseFilePath);
// Whether SQLite takes the two names for one: ASCII letters compare without case, every other
// character as it is.
bool isSameSQLiteName(const std::string& a, const std::string& b);
// Whether a table, view or index of the file bears the name as SQLite compares names: a new
// table or view cannot take it.
bool isNameTaken(const std::string& name, const std::string& databaseFilePath);
// A table, view or index: its name as the file spells it, and its type ("table", "view",
// "index").
struct NamedObject {
    std::string name;
    std::string type;
};
// The table, view or index that bears the name as SQLite compares names; nothing when the name
// is free.
std::optional<NamedObject> objectBearingName(const std::string& name,
                                             const std::string& databaseFilePath);
// What keeps a new or renamed table or view from a name: the listings hide it, or SQLite
// takes it for an object the file has.
enum class NewNameUse { Free, Reserved, Taken };
NewNameUse newObjectNameUse(const std::string& name, const std::string& databaseFilePath);
// "The name %@ is reserved for the program."
std::string reservedNameMessage(const std::string& name);
// A row of exactly that name in varnelo_db_tables.
bool doesTableExistInMetadataTable(const std::string& name, const std::string& databaseFilePath);

// Whether the file is a readable SQLite database, one only locked by another connection for now,
// or none; never creates a file. A file left with a hot journal by a crash is recovered (rolled
// back to its last commit) on the way. Why it could not be read is appended to errorString.
enum class DatabaseFileCheck { Valid, Locked, Invalid };
DatabaseFileCheck checkDatabaseFile(const std::string& path, std::string* errorString = nullptr);
bool isValidDatabaseFile(const std::string& path, std::string* errorString = nullptr);
// The title of the alert that refuses a file: "database is locked" or "Not a valid database file".
std::string refusedDatabaseFileTitle(DatabaseFileCheck check);
// Whether anything is at the path: a database file moved or deleted by another program is not,
// and a change of it must not make a new file there.
bool doesDatabaseFileExist(const std::string& path);
// "The database file %@ no longer exists. It may have been moved or deleted by another program."
std::string databaseFileGoneMessage(const std::string& path);
// Whether a file name ends in .db, .db3, .sqlite or .sqlite3 (any letter case); touches no file.
bool isSupportedDatabaseFile(const std::string& name);

}  // namespace DBInterface
