#pragma once
// The application's menu rules: which main-menu items are enabled for the main database
// window as it stands, the titles of the toggle items, the per-slot arrays the toggles keep and
// the console cycle. Pure functions; MenuRouter applies them to the menus.
#include <array>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "mainwindow/MenuCheckMarks.h"
#include "mainwindow/MenuValidation.h"
#include "mainwindow/TablesAndRowsState.h"

// Items tagged in these ranges need a main database window, or one showing a database.
inline constexpr int kNeedsMainWindowFirstTag = 730;
inline constexpr int kNeedsMainWindowLastTag = 739;
inline constexpr int kNeedsDatabaseFirstTag = 720;
inline constexpr int kNeedsDatabaseLastTag = 729;

// The main database window as the menus see it; slot -1 when none is main.
struct MainWindowMenuContext {
    int slot = -1;
    bool hasController = false;
    bool hasDatabase = false;
    bool databaseInAppContainer = false;
    MenuWindowState window;
    ObjectCommandContext objects;
    ItemDecision hidden;              // the Hidden item over the tables list's selection
    bool resultRowsSelected = false;  // the SQL console's results grid has a selected row
};

// Whether the item of that action and tag is enabled. Actions are the items' names without
// the trailing colon, e.g. "setToNULLMenuItemClicked".
bool isMenuItemEnabled(const std::string& action, int tag, const MainWindowMenuContext& main);

// Titles of the toggle items for the main window's slot.
std::string tablesListToggleTitle(const nlohmann::json& hiddenTablesViews, int slot);
std::string toolbarToggleTitle(const nlohmann::json& hiddenToolbars, int slot);
std::string expandedFieldsToggleTitle(bool expandedFieldsPanelHidden);

// Flips the slot's element of a per-slot array (HiddenTablesViews, HiddenToolbars): a stored
// value that is not an array of one element per slot starts again from all NO. wasHidden
// receives the slot's state before the flip.
nlohmann::json toggledSlotFlags(const nlohmann::json& stored, int slot, bool* wasHidden);

// The View menu's item that shows the console, by console index.
const std::array<const char*, 6>& consoleMenuItemActions();
// The console the item shows; nullopt for any other item.
std::optional<TablesAndRowsState::ConsoleIndex> consoleOfMenuItem(const std::string& action);

// The console after or before this one, wrapping around.
TablesAndRowsState::ConsoleIndex nextConsoleInCycle(TablesAndRowsState::ConsoleIndex console);
TablesAndRowsState::ConsoleIndex previousConsoleInCycle(TablesAndRowsState::ConsoleIndex console);
