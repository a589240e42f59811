#include "mainwindow/TablesListContents.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

bool isHiddenObject(const std::string& name, const std::map<std::string, std::string>& tableFlags) {
    auto entry = tableFlags.find(name);
    if (entry == tableFlags.end()) return false;
    int64_t flags = std::strtoll(entry->second.c_str(), nullptr, 10);
    return (static_cast<uint64_t>(flags) & kHiddenObjectFlag) != 0;
}

TablesListContents tablesListContents(const DBInterface::MasterTables& allTables,
                                      const std::map<std::string, std::string>& tableFlags,
                                      int64_t typesToShow, bool showSystemTables,
                                      bool showHiddenObjects) {
    TablesListContents contents;
    for (const auto& [name, entry] : allTables) {
        bool hidden = isHiddenObject(name, tableFlags);
        if (hidden && !showHiddenObjects) continue;
        if (!hidden && !showSystemTables && DBInterface::isSystemTable(name)) continue;
        int bit = 0;
        if (entry.type == "table") {
            contents.onlyTableNames.push_back(name);
            bit = 1;
        } else if (entry.type == "view") {
            bit = 2;
        } else if (entry.type == "index") {
            bit = 4;
        } else if (entry.type == "trigger") {
            bit = 8;
        }
        if (typesToShow & bit) contents.tableNames.push_back(name);
    }
    sortCaseInsensitively(&contents.tableNames);
    sortCaseInsensitively(&contents.onlyTableNames);
    return contents;
}

void sortCaseInsensitively(std::vector<std::string>* names) {
    std::vector<std::pair<icu::UnicodeString, std::string>> keyed;
    keyed.reserve(names->size());
    for (std::string& name : *names) {
        keyed.emplace_back(icu::UnicodeString::fromUTF8(name), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        int order = a.first.caseCompare(b.first, U_FOLD_CASE_DEFAULT);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    names->clear();
    for (auto& entry : keyed) names->push_back(std::move(entry.second));
}

std::optional<int> rowOfTableNamed(const std::vector<std::string>& tableNames,
                                   const std::string& name) {
    auto found = std::find(tableNames.begin(), tableNames.end(), name);
    if (found == tableNames.end()) return std::nullopt;
    return static_cast<int>(found - tableNames.begin());
}
