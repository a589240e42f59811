#include "app/PerDatabaseDefaults.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Paths.h"

PerDatabaseKey perDatabaseKey(const std::string& databaseFilePath, const char* containerKey,
                              const char* externalKey) {
    if (AppDelegate::isDatabaseInAppContainer(databaseFilePath)) {
        return {containerKey, Paths::lastPathComponent(databaseFilePath)};
    }
    return {externalKey, databaseFilePath};
}
