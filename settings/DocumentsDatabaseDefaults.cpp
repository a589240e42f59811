#include "settings/DocumentsDatabaseDefaults.h"

#include "platform/foundation/UserDefaults.h"

void renameDocumentsDatabaseDefaults(const std::string& oldName, const std::string& newName) {
    UserDefaults& defaults = UserDefaults::standard();
    for (const char* key :
         {"LastTablesShown", "RowsTableColumnWidths", "TablesRowsSplitViewWidths"}) {
        nlohmann::json settings = defaults.dictionaryForKey(key);
        if (!settings.is_object() || !settings.contains(oldName)) continue;
        settings[newName] = settings[oldName];
        settings.erase(oldName);
        defaults.setObject(settings, key);
    }
}

void pruneRowsTableColumnWidths(const std::set<std::string>& listedNames) {
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json widths = defaults.dictionaryForKey("RowsTableColumnWidths");
    if (!widths.is_object()) return;
    bool removed = false;
    for (auto it = widths.begin(); it != widths.end();) {
        if (listedNames.count(it.key())) {
            ++it;
        } else {
            it = widths.erase(it);
            removed = true;
        }
    }
    if (removed) defaults.setObject(widths, "RowsTableColumnWidths");
}
