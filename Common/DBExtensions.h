#pragma once
// What a statement connection offers beyond plain SQLite: the four date functions, the
// varnelo_db_files table, the misc extensions (decimal, ieee754, generate_series, regexp) and a
// substr for which substr(X, 0, N) equals substr(X, 1, N).
#include <sqlite3.h>

#include <string>

// Installs them in order; a failed step skips the rest. Returns the first failure's code.
int installConnectionExtensions(sqlite3* db);

// Puts the connection's file into DELETE journal mode unless it is in WAL mode.
int changeJournalModeIfNecessary(sqlite3* db, std::string* errorString);

// Registration of the parts, each in its own file.
int registerDateFunctions(sqlite3* db);
int registerFilesTable(sqlite3* db);
int registerSubstr(sqlite3* db);
