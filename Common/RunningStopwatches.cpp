#include "Common/RunningStopwatches.h"

#include <vector>

#include "platform/foundation/UserDefaults.h"

namespace DBInterface {

namespace {
constexpr const char* kKey = "RunningStopwatches";
}

void removeRunningStopwatchesForDatabase(const std::string* databaseFilePath,
                                         const std::string* tableName,
                                         const std::set<std::string>* rowIDSet, bool exclude) {
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json all = defaults.dictionaryForKey(kKey);
    if (all.is_null()) return;
    if (!databaseFilePath) {
        defaults.removeObjectForKey(kKey);
        return;
    }
    if (!tableName) {
        all.erase(*databaseFilePath);
        defaults.setObject(all, kKey);
        return;
    }
    auto database = all.find(*databaseFilePath);
    if (database == all.end() || !database->is_object()) return;
    if (!rowIDSet) {
        database->erase(*tableName);
        defaults.setObject(all, kKey);
        return;
    }
    auto table = database->find(*tableName);
    if (table == database->end() || !table->is_object()) return;
    std::vector<std::string> doomed;
    for (auto& [rowid, record] : table->items()) {
        if (rowIDSet->contains(rowid) != exclude) doomed.push_back(rowid);
    }
    for (const std::string& rowid : doomed) table->erase(rowid);
    defaults.setObject(all, kKey);
}

void removeRunningStopwatchesForDatabase(const std::string& databaseFilePath) {
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json all = defaults.dictionaryForKey(kKey);
    if (all.is_null() || !all.contains(databaseFilePath)) return;
    all.erase(databaseFilePath);
    defaults.setObject(all, kKey);
}

}  // namespace DBInterface
