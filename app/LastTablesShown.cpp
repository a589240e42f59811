#include "app/LastTablesShown.h"

#include "app/AppDelegate.h"
#include "app/DefaultsDictionary.h"
#include "platform/foundation/Paths.h"

namespace {

struct Location {
    const char* defaultsKey;
    std::string entryKey;
};

Location locationFor(const std::string& databaseFilePath) {
    if (AppDelegate::isDatabaseInAppContainer(databaseFilePath)) {
        return {"LastTablesShown", Paths::lastPathComponent(databaseFilePath)};
    }
    return {"LastExternalTablesShown", databaseFilePath};
}

}  // namespace

std::optional<std::string> lastTableShown(const std::string& databaseFilePath) {
    Location location = locationFor(databaseFilePath);
    return textInDefaultsDictionary(location.defaultsKey, location.entryKey);
}

void setLastTableShown(const std::string& tableName, const std::string& databaseFilePath) {
    Location location = locationFor(databaseFilePath);
    setTextInDefaultsDictionary(tableName, location.entryKey, location.defaultsKey);
}
