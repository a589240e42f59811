#include "mainwindow/MenuCheckMarks.h"

#include <algorithm>

#include "Common/FieldTypes.h"
#include "Common/SchemaListing.h"
#include "mainwindow/SettingsMenuTags.h"
#include "platform/foundation/UserDefaults.h"

namespace {

constexpr int64_t kNothingYet = -1;
constexpr int64_t kShowInExpandedFields = 0x100;

int onWhen(bool condition) {
    return condition ? kMenuItemOn : kMenuItemOff;
}

// Each tag is on when the code equals the value paired with it.
MenuStates statesFor(int64_t code, const std::vector<std::pair<int, int64_t>>& tagValues) {
    MenuStates states;
    for (auto [tag, value] : tagValues) states[tag] = onWhen(code == value);
    return states;
}

// Each tag is on when its bit is set in the value.
void addBitStates(MenuStates* states, int64_t value, const std::vector<std::pair<int, int>>& bits) {
    for (auto [tag, bit] : bits) (*states)[tag] = onWhen((value & bit) != 0);
}

int64_t foldedSetting(const std::vector<nlohmann::json>& files, const std::string& key) {
    int64_t code = kNothingYet;
    for (const nlohmann::json& file : files) {
        std::optional<int64_t> number;
        if (file.is_object() && file.contains(key) && file[key].is_number()) {
            number = file[key].get<int64_t>();
        }
        code = menuCheckedCodeForNumber(number, code);
    }
    return code;
}

// Tags that equal the values they stand for.
MenuStates statesForSetting(const std::vector<nlohmann::json>& files, const std::string& key,
                            const std::vector<int>& tags) {
    std::vector<std::pair<int, int64_t>> tagValues;
    for (int tag : tags) tagValues.emplace_back(tag, tag);
    return statesFor(foldedSetting(files, key), tagValues);
}

}  // namespace

int64_t menuCheckedCodeForNumber(const std::optional<int64_t>& number, int64_t previousCode) {
    if (!number) return previousCode;
    if (previousCode == kNothingYet || previousCode == *number) return *number;
    return -2;
}

ItemDecision hiddenMenuItemState(const std::vector<TablesListRow>& selectedRows) {
    int hidden = 0;
    int shown = 0;
    for (const TablesListRow& row : selectedRows) {
        // A name without an entry counts as a table.
        int32_t type = row.objectType.value_or(DBInterface::kSchemaTable);
        if (type != DBInterface::kSchemaTable && type != DBInterface::kSchemaView) continue;
        ++(row.hidden ? hidden : shown);
    }
    if (hidden + shown == 0) return {false, kMenuItemOff};
    int count = static_cast<int>(selectedRows.size());
    if (hidden == count) return {true, kMenuItemOn};
    if (shown == count) return {true, kMenuItemOff};
    return {true, kMenuItemMixed};
}

bool isObjectCommandEnabled(ObjectCommand command, const ObjectCommandContext& context) {
    if (context.selectedRowCount != 1) return false;
    bool allowed = true;
    if (context.objectType == DBInterface::kSchemaView) {
        allowed = command != ObjectCommand::DuplicateTable;
    } else if (context.objectType == DBInterface::kSchemaIndex ||
               context.objectType == DBInterface::kSchemaTrigger) {
        allowed = command == ObjectCommand::Schema;
    }
    if (allowed && command == ObjectCommand::NameAndFields && context.nameAndFieldsPanelVisible) {
        return context.changeExistingTable;
    }
    return allowed;
}

bool isAddTableEnabled(bool nameAndFieldsPanelVisible, bool changeExistingTable) {
    return !(nameAndFieldsPanelVisible && changeExistingTable);
}

bool isDeleteFieldEnabled(int selectedRowCount, const std::optional<int32_t>& objectType) {
    return !(selectedRowCount == 1 && objectType && *objectType != DBInterface::kSchemaTable);
}

bool isNameAndFieldsStyleEnabled(const std::vector<int>& selectedRows,
                                 const std::vector<int>& fieldTypes,
                                 const std::vector<int64_t>& fieldFormatStyles) {
    if (selectedRows.size() != 1) return false;
    int row = selectedRows.front();
    if (row < 0 || row >= static_cast<int>(fieldTypes.size()) ||
        row >= static_cast<int>(fieldFormatStyles.size())) {
        return false;
    }
    int type = fieldTypes[static_cast<size_t>(row)];
    return type == DBInterface::kFieldTypeNumber || type == DBInterface::kFieldTypeDate ||
           type == DBInterface::kFieldTypeTime;
}

int showExpandedMenuItemState(const std::vector<int64_t>& selectedFormatStyles) {
    auto expanded =
        std::count_if(selectedFormatStyles.begin(), selectedFormatStyles.end(),
                      [](int64_t style) { return (style & kShowInExpandedFields) != 0; });
    if (expanded == 0) return kMenuItemOff;
    if (expanded == static_cast<int64_t>(selectedFormatStyles.size())) return kMenuItemOn;
    return kMenuItemMixed;
}

MenuStates editFieldPanelActionMenuStates(bool isEditFieldPanelHex) {
    return {{0, onWhen(!isEditFieldPanelHex)}, {1, onWhen(isEditFieldPanelHex)}};
}

MenuStates importSettingsMenuStates(const UserDefaults& defaults, bool deleteAllRowsFirst) {
    using namespace ImportSettingsTag;
    MenuStates states = {
        {BatchLines, onWhen(defaults.boolForKey("BatchLinesDuringImport"))},
        {TruncateExcessFields, onWhen(defaults.boolForKey("TruncateExcessFieldsDuringImport"))},
        {AddMissingFields, onWhen(defaults.boolForKey("AddMissingFieldsDuringImport"))},
        {DeleteAllRowsFirst, onWhen(deleteAllRowsFirst)},
    };
    addBitStates(&states, defaults.integerForKey("DataTypesToConvert"),
                 {{ConvertDates, 1}, {ConvertTimes, 2}, {ConvertNULL, 4}});
    addBitStates(&states, defaults.integerForKey("BailFlags"),
                 {{StopAtErrors, 1}, {StopAtMissingFields, 2}, {StopAtExcessFields, 4}});
    return states;
}

MenuStates importFieldSeparatorMenuStates(const std::vector<nlohmann::json>& files) {
    MenuStates states = statesForSetting(files, "field_separator", {1, 2, 3, 5});
    states[1111] = onWhen(foldedSetting(files, "remove_surrounding_quotes") == 1);
    return states;
}

MenuStates importLineSeparatorMenuStates(const std::vector<nlohmann::json>& files) {
    return statesForSetting(files, "line_separator", {0, 1});
}

MenuStates importTextEncodingMenuStates(const std::vector<nlohmann::json>& files) {
    return statesForSetting(files, "text_encoding", {0, 1, 2});
}

MenuStates importLineMenuStates(const std::vector<nlohmann::json>& files, const std::string& line) {
    return statesForSetting(files, line, {1, 2, 4, 8});
}

MenuStates exportFieldSeparatorMenuStates(const UserDefaults& defaults) {
    using namespace ExportSettingsTag;
    return statesFor(defaults.integerForKey("ExportSurroundingQuotes"),
                     {{QuoteWhenNeeded, 0}, {QuoteEveryValue, 1}, {NeverQuote, 2}});
}

MenuStates exportSettingsMenuStates(const UserDefaults& defaults) {
    using namespace ExportSettingsTag;
    MenuStates states =
        statesFor(defaults.integerForKey("ExportDelimiter"),
                  {{Comma, 1}, {Tab, 0}, {VerticalBar, 2}, {OtherFieldSeparator, 3}});
    bool windowsFormat = defaults.boolForKey("WindowsFormat");
    states[LineFeed] = onWhen(!windowsFormat);
    states[CarriageReturnLineFeed] = onWhen(windowsFormat);
    states[FieldNames] = onWhen(!defaults.boolForKey("DontExportFieldNames"));
    states[FieldTypes] = onWhen(defaults.boolForKey("ExportFieldTypes"));
    return states;
}
