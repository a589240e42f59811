#include "app/LastTablesShown.h"

#include "app/AppDelegate.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"

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
    nlohmann::json tables = UserDefaults::standard().dictionaryForKey(location.defaultsKey);
    if (!tables.is_object()) return std::nullopt;
    auto found = tables.find(location.entryKey);
    if (found == tables.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

void setLastTableShown(const std::string& tableName, const std::string& databaseFilePath) {
    Location location = locationFor(databaseFilePath);
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json tables = defaults.dictionaryForKey(location.defaultsKey);
    if (!tables.is_object()) tables = nlohmann::json::object();
    tables[location.entryKey] = tableName;
    defaults.setObject(tables, location.defaultsKey);
}
