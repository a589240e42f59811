#pragma once
// Copying a table or view under another name inside its database, and the rewriting of its
// stored CREATE and CREATE INDEX texts that a copy needs (also used for tables pasted from
// another database). Names enter the patterns escaped and the new texts quoted, so any name
// copies.
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "Common/SchemaListing.h"

namespace DBInterface {

// The first of "base_2" ... "base_99" that is not taken; nullopt when all are.
std::optional<std::string> nextAvailableName(const std::string& base,
                                             const std::function<bool(const std::string&)>& taken);
std::optional<std::string> nextAvailableTableName(const std::string& base,
                                                  const std::set<std::string>& names);

// How the old name is written in a stored text: in quotes ("", [] or ``) or bare.
enum class NameForm { Quoted, Bare };
// Matches, case-insensitively at the start, "create table|view <name>".
std::string createHeadPattern(bool isTable, const std::string& oldName, NameForm form);
// Matches, case-insensitively, " on <name> (" of a CREATE INDEX text.
std::string indexTargetPattern(const std::string& oldName, NameForm form);

// Appends the statement with its head replaced by CREATE TABLE|VIEW "newTableName" when the
// pattern matches at its start; the rest stays byte for byte. False when nothing matched or
// the pattern is invalid (logged).
bool createTableSQLString(std::string* sql, const std::string& newTableName,
                          const std::string& fromQueryString, const std::string& pattern,
                          bool isTable);
// Appends CREATE [UNIQUE] INDEX "indexName" ON "newTableName" followed by the statement's text
// after the pattern's first match (its column list and all after it).
bool createIndexSQLString(std::string* sql, const std::string& newTableName,
                          const std::string& indexName, const std::string& fromQueryString,
                          const std::string& pattern);
// Both forms tried, quoted first; nullopt when neither matches.
std::optional<std::string> rewriteCreateStatement(const std::string& statement,
                                                  const std::string& oldName,
                                                  const std::string& newName, bool isTable);
std::optional<std::string> rewriteCreateIndexStatement(const std::string& statement,
                                                       const std::string& oldTableName,
                                                       const std::string& newTableName,
                                                       const std::string& indexName);
// The index name of a CREATE INDEX text, unquoted; empty when the text has none.
std::string indexNameInStatement(const std::string& statement, const std::string& tableName);

// Makes the copy described (createStatement: the description's CREATE text rewritten for
// newName) in one transaction: the CREATE, the field meta rows, the table's meta row, for a
// table the rows when asked and then its indexes when asked, each index under a free name
// made from its own ("byname" gives "byname_2"). A failure leaves nothing of the copy.
int copyTable(const TableDictionary& description, const std::string& createStatement,
              const std::string& newName, bool includeIndexes, bool copyRows,
              const std::string& databaseFilePath, std::string* errorString);
// The same for a description read from another file (or the same), whose rows are read from
// that file.
int copyTableFromDatabase(const TableDictionary& description, const std::string& createStatement,
                          const std::string& newName, bool includeIndexes, bool copyRows,
                          const std::string& sourceDatabaseFilePath,
                          const std::string& databaseFilePath, std::string* errorString);

}  // namespace DBInterface
