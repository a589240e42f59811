#pragma once
// The header of a database file, read through SQLite's own file layer. On Linux closing any
// descriptor of a file drops every lock the process holds on it; SQLite's layer keeps one record
// of each file for the whole process and defers such a close until no connection of ours holds a
// lock, so a look at the header never lets another program write inside our transactions. The
// -wal, -shm or -journal of a database this process has open is kept outside that record: the
// layer refuses to open it here, and it is taken for no database at all.
#include <string>

// Whether the file's header says it is in WAL mode; reads the header only, creates nothing.
bool isWriteAheadLogFile(const std::string& path);
// Whether the file begins as an SQLite database does. Such a file is never to be read as text:
// closing a descriptor of it would drop the locks this process's connections hold on it.
bool isSQLiteDatabaseFile(const std::string& path);
// Whether the file is SQLite's alone: a database, or the -wal, -shm or -journal of one this
// process has open. Such a file is never opened as a plain file (read as text, copied as bytes).
bool isSQLiteFile(const std::string& path);
