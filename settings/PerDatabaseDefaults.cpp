#include "settings/PerDatabaseDefaults.h"

#include "platform/foundation/Paths.h"
#include "settings/AppContainer.h"

PerDatabaseKey perDatabaseKey(const std::string& databaseFilePath, const char* containerKey,
                              const char* externalKey) {
    if (isDatabaseInAppContainer(databaseFilePath)) {
        return {containerKey, Paths::lastPathComponent(databaseFilePath)};
    }
    return {externalKey, databaseFilePath};
}
