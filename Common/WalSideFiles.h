#pragma once
// The -wal and -shm of a WAL file that SQLite could open only for reading: SQLite removes them
// through the checkpoint of the last connection to close, which such a file never gets, so every
// read would leave them beside it.
#include <string>

// Removes the database's -wal and -shm when the -wal holds no frames and no other program has the
// -shm open; whether none is left. Only while this process holds no connection to the file: the
// look opens and closes the -shm, which drops every lock the process holds on it.
bool removeIdleWalSideFiles(const std::string& databaseFilePath);
