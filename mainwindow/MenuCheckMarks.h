#pragma once
// Check marks and enabling of the menus that belong to a database window's own panels and
// consoles: the tables list's and Name and Fields list's context menus, the import and export
// settings menus and the edit-field panel's action menu. Pure functions over what the panel
// holds, so the console or panel that owns a menu binds them when it opens the menu.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class UserDefaults;

// A menu item's state.
enum MenuItemState { kMenuItemMixed = -1, kMenuItemOff = 0, kMenuItemOn = 1 };
// Item tag -> state.
using MenuStates = std::map<int, int>;

// Folds one file's setting into the running code of several files: -1 nothing yet, -2 mixed.
int64_t menuCheckedCodeForNumber(const std::optional<int64_t>& number, int64_t previousCode);

// ---- Tables list ----
struct TablesListRow {
    std::optional<int32_t> objectType;  // none when the name has no entry
    bool hidden = false;                // its table flags carry the hidden bit
};
struct ItemDecision {
    bool enabled = true;
    int state = kMenuItemOff;
};
// The Hidden item over the selected rows: tables and views count, indexes and triggers do not.
ItemDecision hiddenMenuItemState(const std::vector<TablesListRow>& selectedRows);

// The object commands of the main menu and their context-menu twins.
enum class ObjectCommand {
    NameAndFields,  // nameAndFieldsMenuItemClicked and its twin
    Schema,         // schemaMenuItemClicked and its twin
    SortFields,
    Search,
    DuplicateTable,
    CreateView,
};
struct ObjectCommandContext {
    int selectedRowCount = 0;
    // The row acted on (the clicked row for the twins); none when out of range or unknown.
    std::optional<int32_t> objectType;
    bool nameAndFieldsPanelVisible = false;
    bool changeExistingTable = false;
};
bool isObjectCommandEnabled(ObjectCommand command, const ObjectCommandContext& context);
bool isAddTableEnabled(bool nameAndFieldsPanelVisible, bool changeExistingTable);
// Delete Field: disabled only for one selected object that is known and not a table.
bool isDeleteFieldEnabled(int selectedRowCount, const std::optional<int32_t>& objectType);

// ---- Name and Fields list ----
// The style item: one selected field of type Number, Date or Time.
bool isNameAndFieldsStyleEnabled(const std::vector<int>& selectedRows,
                                 const std::vector<int>& fieldTypes,
                                 const std::vector<int64_t>& fieldFormatStyles);
// The Show Expanded item's state over the selected fields' format styles.
int showExpandedMenuItemState(const std::vector<int64_t>& selectedFormatStyles);

// ---- Edit-field panel ----
MenuStates editFieldPanelActionMenuStates(bool isEditFieldPanelHex);

// ---- Import console ----
// The settings menu, from the defaults and the window's delete-all-rows-first choice.
MenuStates importSettingsMenuStates(const UserDefaults& defaults, bool deleteAllRowsFirst);
// The per-file menus over the settings of the files acted on (each an ImportFileSettings
// object); a mixed or empty set checks nothing.
MenuStates importFieldSeparatorMenuStates(const std::vector<nlohmann::json>& files);
MenuStates importLineSeparatorMenuStates(const std::vector<nlohmann::json>& files);
MenuStates importTextEncodingMenuStates(const std::vector<nlohmann::json>& files);
// line is "line1" or "line2".
MenuStates importLineMenuStates(const std::vector<nlohmann::json>& files, const std::string& line);

// ---- Export console ----
MenuStates exportFieldSeparatorMenuStates(const UserDefaults& defaults);
MenuStates exportSettingsMenuStates(const UserDefaults& defaults);
