#pragma once
// Picker types and their fixed value lists (varnelo_db_picker_types, varnelo_db_picker_values).
// Both tables are created by the scripts that add a type; every reader answers 0 with nothing
// when they are missing. Rowids must be integers. Values are numbered within their type.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace DBInterface {

inline constexpr const char* kPickerTypesTable = "varnelo_db_picker_types";
inline constexpr const char* kPickerValuesTable = "varnelo_db_picker_values";

struct PickerTypeDictionary {
    std::string name;
    std::string flags;  // "0" for files whose picker types predate flags
    bool operator==(const PickerTypeDictionary&) const = default;
};

int addPickerType(const std::string& name, const std::string& databaseFilePath,
                  std::string* errorString);
// The type and its values in list order, all in one transaction.
int addPickerType(const std::string& name, const std::vector<std::string>& values,
                  const std::string& databaseFilePath, std::string* errorString);
// Rowid and name pairs, by name ignoring case.
int getPickerTypes(std::vector<std::string>* rows, const std::string& databaseFilePath,
                   std::string* errorString);
int getPickerTypeDictionaries(std::map<std::string, PickerTypeDictionary>* dictionaries,
                              const std::string& databaseFilePath, std::string* errorString);
// Leaves flags untouched when the type has none.
int getFlags(int64_t* flags, const std::string& pickerType, const std::string& databaseFilePath,
             std::string* errorString);
// Sets or clears flag bits, adding the flags column to older files first.
int changePickerType(const std::string& pickerType, int64_t flag, bool enable,
                     const std::string& databaseFilePath, std::string* errorString);
int updatePickerType(const std::string& name, const std::string& rowid,
                     const std::string& databaseFilePath, std::string* errorString);
// The types and all their values; an empty list does nothing.
int deletePickerTypes(const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                      std::string* errorString);

// Appends the value after the last value of its type.
int addPickerValue(const std::string& value, const std::string& pickerType,
                   const std::string& databaseFilePath, std::string* errorString);
// Rowid and name pairs in list order.
int getPickerValues(std::vector<std::string>* rows, const std::string& pickerType,
                    const std::string& databaseFilePath, std::string* errorString);
int updatePickerValue(const std::string& name, const std::string& rowid,
                      const std::string& databaseFilePath, std::string* errorString);
// Replaces the type's list, numbered 1, 2, 3, ... (new rowids).
int updatePickerValues(const std::vector<std::string>& values, const std::string& pickerType,
                       const std::string& databaseFilePath, std::string* errorString);
int deletePickerValues(const std::vector<std::string>& rowids, const std::string& databaseFilePath,
                       std::string* errorString);

}  // namespace DBInterface
