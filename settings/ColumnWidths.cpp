#include "settings/ColumnWidths.h"

#include "platform/foundation/UserDefaults.h"
#include "settings/PerDatabaseDefaults.h"

namespace {

constexpr double kDefaultRowNumberWidth = 60;

PerDatabaseKey widthsKey(const std::string& databaseFilePath) {
    return perDatabaseKey(databaseFilePath, "RowsTableColumnWidths",
                          "LastExternalRowsTableColumnWidths");
}

PerDatabaseKey splitKey(const std::string& databaseFilePath) {
    return perDatabaseKey(databaseFilePath, "TablesRowsSplitViewWidths",
                          "ExternalTablesRowsSplitViewWidths");
}

}  // namespace

std::optional<std::vector<double>> storedFieldWidths(const std::string& databaseFilePath,
                                                     const std::string& tableName) {
    PerDatabaseKey key = widthsKey(databaseFilePath);
    nlohmann::json all = UserDefaults::standard().dictionaryForKey(key.defaultsKey);
    if (!all.is_object() || !all.contains(key.entryKey)) return std::nullopt;
    const nlohmann::json& tables = all[key.entryKey];
    if (!tables.is_object() || !tables.contains(tableName)) return std::nullopt;
    const nlohmann::json& list = tables[tableName];
    if (!list.is_array()) return std::nullopt;
    std::vector<double> widths;
    for (const auto& width : list) widths.push_back(width.is_number() ? width.get<double>() : 0);
    return widths;
}

void setStoredFieldWidths(const std::string& databaseFilePath, const std::string& tableName,
                          const std::optional<std::vector<double>>& widths) {
    PerDatabaseKey key = widthsKey(databaseFilePath);
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json all = defaults.dictionaryForKey(key.defaultsKey);
    if (!all.is_object()) {
        if (!widths) return;
        all = nlohmann::json::object();
    }
    nlohmann::json& tables = all[key.entryKey];
    if (!tables.is_object()) {
        if (!widths) return;
        tables = nlohmann::json::object();
    }
    if (widths) {
        tables[tableName] = *widths;
    } else {
        if (!tables.contains(tableName)) return;
        tables.erase(tableName);
    }
    defaults.setObject(all, key.defaultsKey);
}

void renameStoredFieldWidths(const std::string& databaseFilePath, const std::string& oldName,
                             const std::string& newName) {
    std::optional<std::vector<double>> widths = storedFieldWidths(databaseFilePath, oldName);
    if (!widths) return;
    setStoredFieldWidths(databaseFilePath, newName, widths);
    setStoredFieldWidths(databaseFilePath, oldName, std::nullopt);
}

double rowNumberWidth() {
    double stored = UserDefaults::standard().doubleForKey("RowNumberWidth");
    return stored > 0 ? stored : kDefaultRowNumberWidth;
}

void setRowNumberWidth(double width) {
    UserDefaults::standard().setDouble(width, "RowNumberWidth");
}

std::optional<double> storedTablesListWidth(const std::string& databaseFilePath) {
    PerDatabaseKey key = splitKey(databaseFilePath);
    nlohmann::json widths = UserDefaults::standard().dictionaryForKey(key.defaultsKey);
    if (!widths.is_object() || !widths.contains(key.entryKey) ||
        !widths[key.entryKey].is_number()) {
        return std::nullopt;
    }
    double width = widths[key.entryKey].get<double>();
    if (width <= 0.0001) return std::nullopt;
    return width;
}

void setStoredTablesListWidth(const std::string& databaseFilePath, double width) {
    PerDatabaseKey key = splitKey(databaseFilePath);
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json widths = defaults.dictionaryForKey(key.defaultsKey);
    if (!widths.is_object()) widths = nlohmann::json::object();
    widths[key.entryKey] = width;
    defaults.setObject(widths, key.defaultsKey);
}
