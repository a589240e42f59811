#include "Common/LookupAndPickerTables.h"

#include "Common/DBExecution.h"
#include "Common/DBExistence.h"
#include "Common/FieldModel.h"
#include "Common/MetaTables.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaListing.h"
#include "platform/foundation/UserDefaults.h"

namespace DBInterface {

namespace {
constexpr int kRefused = -1;

struct ColumnMessages {
    const char* view;
    const char* table;
};

// The columns of a table (hidden ones included) or view; a view needs `needed` of them, a table
// one (its rowid can serve as the key). *isObject is false for any other kind of object.
int readColumns(std::vector<std::string>* columns, bool* isObject, const std::string& object,
                size_t needed, ColumnMessages messages, const std::string& databaseFilePath,
                std::string* errorString) {
    std::vector<std::string> typeAndDefinition;
    int rc = getTableTypeAndDefinition(&typeAndDefinition, object, databaseFilePath, errorString);
    if (rc != 0) return rc;
    std::string type = typeAndDefinition.empty() ? "" : typeAndDefinition.front();
    *isObject = type == "view" || type == "table";
    if (!*isObject) return 0;
    rc = getFieldNames(columns, nullptr, nullptr, nullptr, object, databaseFilePath, errorString);
    if (rc != 0) return rc;
    size_t least = type == "view" ? needed : 1;
    if (columns->size() < least) {
        appendError(errorString, type == "view" ? messages.view : messages.table);
        return kRefused;
    }
    return 0;
}
}  // namespace

int64_t lookupTableRowsLimit() {
    int64_t limit = UserDefaults::standard().integerForKey("LookupTableRowsLimit");
    return limit < 1 ? 50 : limit;
}

int getLookupDictionary(LookupDictionary* dictionary, const std::string& table,
                        const std::string& databaseFilePath, std::string* errorString) {
    std::vector<std::string> columns;
    bool isObject = false;
    int rc = readColumns(&columns, &isObject, table, 2,
                         {"Lookup views require at least 2 fields.",
                          "Lookup tables require at least 2 fields, or 1 field and a system ROWID "
                          "field."},
                         databaseFilePath, errorString);
    if (rc != 0 || !isObject) return rc;
    std::string key = columns.size() == 1 ? "ROWID" : quoteIdentifier(columns[0]);
    std::string value = quoteIdentifier(columns.size() == 1 ? columns[0] : columns[1]);
    std::vector<std::string> rows;
    rc = getRows(&rows, "select " + key + ", " + value + " from " + quoteIdentifier(table),
                 lookupTableRowsLimit(), 0, databaseFilePath, errorString);
    for (size_t i = 0; rc == 0 && i + 2 <= rows.size(); i += 2) {
        (*dictionary)[rows[i]] = rows[i + 1];
    }
    return rc;
}

int getPickerTableValues(std::vector<std::string>* values, const std::string& table,
                         const std::string& databaseFilePath, std::string* errorString) {
    std::vector<std::string> columns;
    bool isObject = false;
    int rc = readColumns(
        &columns, &isObject, table, 1,
        {"Picker views require at least 1 field.", "Lookup tables require at least 1 field."},
        databaseFilePath, errorString);
    if (rc != 0 || !isObject) return rc;
    return getRows(values,
                   "select " + quoteIdentifier(columns[0]) + " from " + quoteIdentifier(table),
                   lookupTableRowsLimit(), 0, databaseFilePath, errorString);
}

int getSpecialTableNames(std::vector<std::string>* names,
                         std::map<std::string, LookupDictionary>* lookupTableDictionary,
                         std::map<std::string, LookupDictionary>* inverseLookupTableDictionary,
                         std::map<std::string, std::vector<std::string>>* pickerTableDictionary,
                         std::map<std::string, int>* specialTableTypeDictionary,
                         const std::string& databaseFilePath, std::string* errorString) {
    if (!doesTableExist(kTablesMetaTable, databaseFilePath)) return 0;
    std::map<std::string, std::string> allFlags;
    int rc = getTableFlags(&allFlags, databaseFilePath, errorString);
    if (rc != 0) return rc;
    constexpr uint64_t kPicker = kTableFlagPickerAppends | kTableFlagPickerReplaces;
    for (const auto& [name, flagsText] : allFlags) {
        uint64_t flags = std::strtoull(flagsText.c_str(), nullptr, 10);
        if ((flags & (kTableFlagLookupTable | kPicker)) == 0) continue;
        names->push_back(name);
        if (flags & kTableFlagLookupTable) {
            if (lookupTableDictionary) {
                LookupDictionary lookup;
                rc = getLookupDictionary(&lookup, name, databaseFilePath, errorString);
                if (rc != 0) break;
                if (inverseLookupTableDictionary) {
                    LookupDictionary& inverse = (*inverseLookupTableDictionary)[name];
                    for (const auto& [key, value] : lookup) inverse[value] = key;
                }
                (*lookupTableDictionary)[name] = std::move(lookup);
            }
            if (specialTableTypeDictionary)
                (*specialTableTypeDictionary)[name] = kLookupSpecialTable;
        }
        if (flags & kPicker) {
            if (pickerTableDictionary) {
                std::vector<std::string> values;
                rc = getPickerTableValues(&values, name, databaseFilePath, errorString);
                if (rc != 0) break;
                (*pickerTableDictionary)[name] = std::move(values);
            }
            if (specialTableTypeDictionary) {
                (*specialTableTypeDictionary)[name] = (flags & kTableFlagPickerAppends)
                                                          ? kAppendingPickerTable
                                                          : kReplacingPickerTable;
            }
        }
    }
    return rc;
}

int getSpecialTableNames(std::vector<std::string>* names, const std::string& databaseFilePath,
                         std::string* errorString) {
    return getSpecialTableNames(names, nullptr, nullptr, nullptr, nullptr, databaseFilePath,
                                errorString);
}

}  // namespace DBInterface
