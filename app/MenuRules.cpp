#include "app/MenuRules.h"

#include <algorithm>
#include <map>

#include "mainwindow/TablesAndRowsState.h"
#include "platform/foundation/Localized.h"

namespace {

constexpr int kNumberOfSlots = 5;

using WindowRule = bool (*)(const MenuWindowState&);

// The items whose enabling the main window's grid state decides.
const std::map<std::string, WindowRule>& windowRules() {
    static const std::map<std::string, WindowRule> rules = {
        {"editFieldInPanelMenuItemClicked", shouldEnableEditFieldInPanelMenuItem},
        {"copyForExportMenuItemClicked", shouldEnableEditFieldInPanelMenuItem},
        {"setToNULLMenuItemClicked", shouldEnableSetToNULLMenuItem},
        {"goToRowMenuItemClicked", shouldEnableGoToRowMenuItem},
        {"deselectAllMenuItemClicked", shouldEnableDeselectAllMenuItem},
        {"clearMenuItemClicked", shouldEnableClearReplaceMenuItem},
        {"replaceMenuItemClicked", shouldEnableClearReplaceMenuItem},
        {"addOneBlankRowItemClicked", shouldEnableAddBlankRowsMenuItem},
        {"addBlankRowsItemClicked", shouldEnableAddBlankRowsMenuItem},
        {"pasteRowsMenuItemClicked", shouldEnableAddBlankRowsMenuItem},
        {"deleteAllRowsMenuItemClicked", shouldEnableDeleteAllRowsMenuItem},
    };
    return rules;
}

const std::map<std::string, GridCommand>& gridCommands() {
    static const std::map<std::string, GridCommand> commands = {
        {"cut", GridCommand::Cut},
        {"paste", GridCommand::Paste},
        {"delete", GridCommand::Delete},
    };
    return commands;
}

const std::map<std::string, ObjectCommand>& objectCommands() {
    static const std::map<std::string, ObjectCommand> commands = {
        {"nameAndFieldsMenuItemClicked", ObjectCommand::NameAndFields},
        {"schemaMenuItemClicked", ObjectCommand::Schema},
        {"sortFieldsMenuItemClicked", ObjectCommand::SortFields},
        {"searchMenuItemClicked", ObjectCommand::Search},
        {"duplicateTableMenuItemPressed", ObjectCommand::DuplicateTable},
        {"createViewMenuItemPressed", ObjectCommand::CreateView},
    };
    return commands;
}

bool isSlotFlagSet(const nlohmann::json& flags, int slot) {
    if (!flags.is_array() || slot < 0 || slot >= static_cast<int>(flags.size())) return false;
    const nlohmann::json& flag = flags[static_cast<size_t>(slot)];
    return flag.is_boolean() ? flag.get<bool>() : flag.is_number() && flag.get<double>() != 0;
}

}  // namespace

bool isMenuItemEnabled(const std::string& action, int tag, const MainWindowMenuContext& main) {
    bool hasMain = main.slot >= 0;
    if (action == "renameDatabaseMenuItemClicked") {
        return main.hasController && main.hasDatabase && main.databaseInAppContainer;
    }
    if (auto rule = windowRules().find(action); rule != windowRules().end()) {
        return main.hasController && rule->second(main.window);
    }
    if (action == "copy") {
        // The SQL console copies its result rows; every other console is the grid's.
        return main.hasController &&
               (main.window.console == TablesAndRowsState::SQLConsole
                    ? isResultsCopyEnabled(main.window, main.resultRowsSelected)
                    : isGridCopyEnabled(main.window));
    }
    if (action == "hiddenMenuItemClicked") return main.hasController && main.hidden.enabled;
    if (auto command = gridCommands().find(action); command != gridCommands().end()) {
        // Only the grid answers for the clipboard commands; a text field handles its own.
        return main.hasController && main.window.responder == MenuResponder::RowsGrid &&
               rowsTableViewValidateMenuItem(main.window, command->second);
    }
    if (auto command = objectCommands().find(action); command != objectCommands().end()) {
        return main.hasController && isObjectCommandEnabled(command->second, main.objects);
    }
    if (tag >= kNeedsMainWindowFirstTag && tag <= kNeedsMainWindowLastTag) return hasMain;
    if (tag >= kNeedsDatabaseFirstTag && tag <= kNeedsDatabaseLastTag) {
        return hasMain && main.hasDatabase;
    }
    return true;
}

std::string tablesListToggleTitle(const nlohmann::json& hiddenTablesViews, int slot) {
    return localizedString(isSlotFlagSet(hiddenTablesViews, slot) ? "Show Tables List"
                                                                  : "Hide Tables List");
}

std::string toolbarToggleTitle(const nlohmann::json& hiddenToolbars, int slot) {
    return localizedString(isSlotFlagSet(hiddenToolbars, slot) ? "Show Toolbar" : "Hide Toolbar");
}

std::string expandedFieldsToggleTitle(bool expandedFieldsPanelHidden) {
    return localizedString(expandedFieldsPanelHidden ? "Show Expanded Fields"
                                                     : "Hide Expanded Fields");
}

nlohmann::json toggledSlotFlags(const nlohmann::json& stored, int slot, bool* wasHidden) {
    nlohmann::json flags = nlohmann::json::array();
    for (int i = 0; i < kNumberOfSlots; ++i) flags.push_back(false);
    bool hidden = false;
    if (stored.is_array() && stored.size() == kNumberOfSlots) {
        for (int i = 0; i < kNumberOfSlots; ++i) flags[i] = isSlotFlagSet(stored, i);
        hidden = isSlotFlagSet(stored, slot);
    }
    if (slot >= 0 && slot < kNumberOfSlots) flags[static_cast<size_t>(slot)] = !hidden;
    if (wasHidden) *wasHidden = hidden;
    return flags;
}

const std::array<const char*, 6>& consoleMenuItemActions() {
    static_assert(TablesAndRowsState::kNumberOfConsoles == 6);
    static const std::array<const char*, 6> actions = {
        "rowsViewMenuItemClicked",   "addRowViewMenuItemClicked", "sqlViewMenuItemClicked",
        "importViewMenuItemClicked", "exportViewMenuItemClicked", "printViewMenuItemClicked"};
    return actions;
}

std::optional<TablesAndRowsState::ConsoleIndex> consoleOfMenuItem(const std::string& action) {
    const auto& actions = consoleMenuItemActions();
    auto found = std::find(actions.begin(), actions.end(), action);
    if (found == actions.end()) return std::nullopt;
    return TablesAndRowsState::consoleIndexFromNumber(static_cast<double>(found - actions.begin()));
}

TablesAndRowsState::ConsoleIndex nextConsoleInCycle(TablesAndRowsState::ConsoleIndex console) {
    return TablesAndRowsState::consoleIndexFromNumber((console + 1) %
                                                      TablesAndRowsState::kNumberOfConsoles);
}

TablesAndRowsState::ConsoleIndex previousConsoleInCycle(TablesAndRowsState::ConsoleIndex console) {
    return TablesAndRowsState::consoleIndexFromNumber(
        (console + TablesAndRowsState::kNumberOfConsoles - 1) %
        TablesAndRowsState::kNumberOfConsoles);
}
