#pragma once
// Which schema objects the tables list shows and in what order: the object types chosen, system
// tables, hidden objects (flag bit 8192) and a case-insensitive order. No widgets here.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Common/SchemaListing.h"

inline constexpr uint64_t kHiddenObjectFlag = 8192;

struct TablesListContents {
    // The names listed, in list order.
    std::vector<std::string> tableNames;
    // The real tables that pass the hidden and system rules, whatever types are listed.
    std::vector<std::string> onlyTableNames;
};

// Whether the object's flags (text of varnelo_db_tables.flags, by name) carry the hidden bit.
bool isHiddenObject(const std::string& name, const std::map<std::string, std::string>& tableFlags);
// typesToShow: bits 1 tables, 2 views, 4 indexes, 8 triggers. A hidden object is listed only
// while hidden objects are shown, and then also when it is a system table.
TablesListContents tablesListContents(const DBInterface::MasterTables& allTables,
                                      const std::map<std::string, std::string>& tableFlags,
                                      int64_t typesToShow, bool showSystemTables,
                                      bool showHiddenObjects);
// Case-insensitive alphabetical order; names equal but for case keep a fixed order.
void sortCaseInsensitively(std::vector<std::string>* names);
// The row of the name, by exact comparison.
std::optional<int> rowOfTableNamed(const std::vector<std::string>& tableNames,
                                   const std::string& name);
