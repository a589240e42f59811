#pragma once
// User defaults kept per database: a dictionary keyed by the file name for databases of the
// Documents folder, and another keyed by the full path for the others.
#include <string>

struct PerDatabaseKey {
    std::string defaultsKey;  // the user default holding the dictionary
    std::string entryKey;     // the database's key inside it
};

PerDatabaseKey perDatabaseKey(const std::string& databaseFilePath, const char* containerKey,
                              const char* externalKey);
