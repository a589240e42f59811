#pragma once
// A consistent copy of a database file: read through SQLite under a read lock, so a copy made
// while another connection writes holds the last committed state, never a torn mix of pages.
#include <string>

namespace DBInterface {

// Writes the database at sourcePath into the new file destinationPath, which must not exist.
// Returns SQLite's code; on failure no destination file is left behind.
int copyDatabaseSnapshot(const std::string& sourcePath, const std::string& destinationPath,
                         std::string* errorString);

}  // namespace DBInterface
