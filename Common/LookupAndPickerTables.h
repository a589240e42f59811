#pragma once
// Lookup tables (a key column shown through a value column) and picker tables (a list of values
// to choose from): tables or views whose varnelo_db_tables flags mark them. Each reader takes at
// most LookupTableRowsLimit rows (below 1: 50).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace DBInterface {

inline constexpr uint64_t kTableFlagLookupTable = 8;
inline constexpr uint64_t kTableFlagPickerAppends = 0x4000;
inline constexpr uint64_t kTableFlagPickerReplaces = 0x8000;

enum SpecialTableType {
    kLookupSpecialTable = 1,
    kAppendingPickerTable = 2,
    kReplacingPickerTable = 3
};

using LookupDictionary = std::map<std::string, std::string>;

int64_t lookupTableRowsLimit();
// First column to second column, or ROWID to the only column.
int getLookupDictionary(LookupDictionary* dictionary, const std::string& table,
                        const std::string& databaseFilePath, std::string* errorString);
// The values of the first column.
int getPickerTableValues(std::vector<std::string>* values, const std::string& table,
                         const std::string& databaseFilePath, std::string* errorString);
// The names of the special tables, and for each what was asked for: its lookup dictionary and
// inverse (lookup tables), its values (picker tables) and its kind. Every collection is optional.
int getSpecialTableNames(std::vector<std::string>* names,
                         std::map<std::string, LookupDictionary>* lookupTableDictionary,
                         std::map<std::string, LookupDictionary>* inverseLookupTableDictionary,
                         std::map<std::string, std::vector<std::string>>* pickerTableDictionary,
                         std::map<std::string, int>* specialTableTypeDictionary,
                         const std::string& databaseFilePath, std::string* errorString);
int getSpecialTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                         std::string* errorString);

}  // namespace DBInterface
