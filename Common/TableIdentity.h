#pragma once
// The sqlite_master row a table was shown with, root page included: a table dropped, renamed
// away or made again since (a vacuum that moved its root page counts too) is not the one shown,
// and the commands on the whole table refuse it until the table is shown again.
#include <cstdint>
#include <optional>
#include <string>

class DBConnection;

namespace DBInterface {

// Results of a command on a whole table that is not the one shown any longer; nothing was done.
inline constexpr int kTableGone = -5;
inline constexpr int kTableMadeAgain = -6;

struct TableIdentity {
    std::string type, name, tableName, sql;
    int64_t rootPage = 0;
    bool operator==(const TableIdentity&) const = default;
};

std::string tableGoneMessage(const std::string& table);
std::string tableMadeAgainMessage(const std::string& table);

// The table's sqlite_master row now; nullopt (and 0) when there is none.
int readTableIdentity(std::optional<TableIdentity>* identity, const std::string& table,
                      const DBConnection& connection, std::string* errorString);
int readTableIdentity(std::optional<TableIdentity>* identity, const std::string& table,
                      const std::string& databaseFilePath, std::string* errorString);
// 0 while the table is the one shown; kTableGone or kTableMadeAgain with the message; the code
// of a read that failed. On the connection of a write, inside its transaction. Without its
// definition only its type and root page are compared, so that a check of its fields can speak
// first of fields renamed or added.
int checkTableIdentity(const TableIdentity& shown, const DBConnection& connection,
                       std::string* errorString, bool withDefinition = true);
int checkTableIdentity(const TableIdentity& shown, const std::string& databaseFilePath,
                       std::string* errorString);

}  // namespace DBInterface
