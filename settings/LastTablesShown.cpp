#include "settings/LastTablesShown.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "Common/DBExistence.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/DefaultsDictionary.h"
#include "settings/PerDatabaseDefaults.h"

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

void pruneLastTablesShown() {
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json tables = defaults.dictionaryForKey("LastTablesShown");
    if (!tables.is_object()) return;
    std::set<std::string> databaseFiles;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(Paths::documentsFolder(), error), end;
         !error && entry != end; entry.increment(error)) {
        std::string name = entry->path().filename().string();
        std::string lowered = name;
        std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (DBInterface::isSupportedDatabaseFile(lowered)) databaseFiles.insert(name);
    }
    if (error) {
        systemLog(localizedFormat("Error in reading files: %@", {error.message()}));
        return;
    }
    nlohmann::json kept = nlohmann::json::object();
    for (auto& [file, table] : tables.items()) {
        if (databaseFiles.count(file)) kept[file] = table;
    }
    if (kept != tables) defaults.setObject(kept, "LastTablesShown");
}
