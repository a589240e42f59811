#include "settings/AppContainer.h"

#include "platform/foundation/Paths.h"

bool isDatabaseInAppContainer(const std::string& path) {
    return !path.empty() && Paths::isPathInsideFolder(path, Paths::documentsFolder());
}
