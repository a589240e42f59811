#pragma once
// Which row commands of a database window the menus enable, decided from a snapshot of the
// window: its console, the selected object's kind and status, its row count, which view has the
// keyboard focus and what the grid has focused or selected. The rules are pure functions of the
// snapshot; the menus ask them when a menu opens and again when a command runs, since a key
// equivalent fires without its menu being shown.
#include <cstdint>

#include "mainwindow/TablesAndRowsState.h"

class DatabaseWindow;

// The view of the window that has the keyboard focus. A text input handles its own clipboard
// commands.
enum class MenuResponder { Other, TablesList, RowsGrid, TextInput };

struct MenuWindowState {
    TablesAndRowsState::ConsoleIndex console = TablesAndRowsState::RowsConsole;
    // Exactly one object is selected in the tables list.
    bool oneObjectSelected = false;
    // The kind of the object shown (SchemaObjectTypeCode).
    int32_t tableType = 0;
    // The kind of the tables list's selected row; 0 when no row is selected.
    int32_t selectedObjectType = 0;
    uint32_t selectedObjectStatus = 0;  // SelectedObjectStatus
    int64_t totalRows = 0;
    MenuResponder responder = MenuResponder::Other;
    bool somethingFocused = false;
    bool somethingSelected = false;
    // Whole rows are selected in the grid.
    bool rowsSelected = false;
};

// The snapshot of a window as it stands.
MenuWindowState menuWindowState(const DatabaseWindow& window);
// Which view of the window has its keyboard focus.
MenuResponder menuResponder(const DatabaseWindow& window);

bool isSelectedTableUpdateCapable(const MenuWindowState& state);
bool isSelectedTableInsertCapable(const MenuWindowState& state);
bool isSelectedTableDeleteCapable(const MenuWindowState& state);

bool shouldEnableSetToNULLMenuItem(const MenuWindowState& state);
// Also Copy for Export.
bool shouldEnableEditFieldInPanelMenuItem(const MenuWindowState& state);
bool shouldEnableGoToRowMenuItem(const MenuWindowState& state);
bool shouldEnableDeselectAllMenuItem(const MenuWindowState& state);
// Also Paste Rows.
bool shouldEnableAddBlankRowsMenuItem(const MenuWindowState& state);
bool shouldEnableDeleteAllRowsMenuItem(const MenuWindowState& state);
// Clear and Replace.
bool shouldEnableClearReplaceMenuItem(const MenuWindowState& state);

// The grid's own clipboard commands.
enum class GridCommand { Cut, Copy, Paste, Delete, Other };
bool rowsTableViewValidateMenuItem(const MenuWindowState& state, GridCommand command);
// Copy of the grid's selection: refused only in another console, while the tables list has
// the focus (it is not the grid's selection the user means) or while a text input has it (it
// copies its own text).
bool isGridCopyEnabled(const MenuWindowState& state);
// Copy of the SQL console's selected result rows: only while that console is shown, refused
// for the same views as the grid's copy.
bool isResultsCopyEnabled(const MenuWindowState& state, bool resultRowsSelected);
