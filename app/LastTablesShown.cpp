#include "app/LastTablesShown.h"

#include "app/PerDatabaseDefaults.h"
#include "platform/foundation/UserDefaults.h"

namespace {

PerDatabaseKey locationFor(const std::string& databaseFilePath) {
    return perDatabaseKey(databaseFilePath, "LastTablesShown", "LastExternalTablesShown");
}

}  // namespace

std::optional<std::string> lastTableShown(const std::string& databaseFilePath) {
    PerDatabaseKey location = locationFor(databaseFilePath);
    nlohmann::json tables = UserDefaults::standard().dictionaryForKey(location.defaultsKey);
    if (!tables.is_object()) return std::nullopt;
    auto found = tables.find(location.entryKey);
    if (found == tables.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

void setLastTableShown(const std::optional<std::string>& tableName,
                       const std::string& databaseFilePath) {
    PerDatabaseKey location = locationFor(databaseFilePath);
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json tables = defaults.dictionaryForKey(location.defaultsKey);
    if (!tables.is_object()) {
        if (!tableName) return;
        tables = nlohmann::json::object();
    }
    if (tableName) {
        tables[location.entryKey] = *tableName;
    } else {
        tables.erase(location.entryKey);
    }
    defaults.setObject(tables, location.defaultsKey);
}
