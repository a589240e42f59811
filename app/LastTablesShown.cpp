#include "app/LastTablesShown.h"

#include "app/DefaultsDictionary.h"
#include "app/PerDatabaseDefaults.h"

namespace {

PerDatabaseKey locationFor(const std::string& databaseFilePath) {
    return perDatabaseKey(databaseFilePath, "LastTablesShown", "LastExternalTablesShown");
}

}  // namespace

std::optional<std::string> lastTableShown(const std::string& databaseFilePath) {
    PerDatabaseKey location = locationFor(databaseFilePath);
    return textInDefaultsDictionary(location.defaultsKey, location.entryKey);
}

void setLastTableShown(const std::optional<std::string>& tableName,
                       const std::string& databaseFilePath) {
    PerDatabaseKey location = locationFor(databaseFilePath);
    if (tableName) {
        setTextInDefaultsDictionary(*tableName, location.entryKey, location.defaultsKey);
    } else {
        removeEntryFromDefaultsDictionary(location.entryKey, location.defaultsKey);
    }
}
