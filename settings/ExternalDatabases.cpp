#include "settings/ExternalDatabases.h"

#include <vector>

#include "platform/foundation/UserDefaults.h"

namespace {
constexpr size_t kMaxExternalDatabases = 30;
}  // namespace

void rememberExternalDatabase(const std::string& path) {
    UserDefaults& defaults = UserDefaults::standard();
    std::vector<std::string> paths;
    nlohmann::json stored = defaults.arrayForKey("LastExternalDatabases");
    for (const auto& entry : stored.is_array() ? stored : nlohmann::json::array()) {
        if (entry.is_string() && entry.get<std::string>() != path) {
            paths.push_back(entry.get<std::string>());
        }
    }
    paths.push_back(path);
    size_t dropped =
        paths.size() > kMaxExternalDatabases ? paths.size() - kMaxExternalDatabases : 0;
    if (dropped > 0) {
        for (const char* key : {"LastExternalTablesShown", "LastExternalRowsTableColumnWidths",
                                "ExternalTablesRowsSplitViewWidths"}) {
            nlohmann::json settings = defaults.dictionaryForKey(key);
            if (!settings.is_object()) continue;
            for (size_t i = 0; i < dropped; ++i) settings.erase(paths[i]);
            defaults.setObject(settings, key);
        }
        paths.erase(paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(dropped));
    }
    defaults.setObject(paths, "LastExternalDatabases");
}
