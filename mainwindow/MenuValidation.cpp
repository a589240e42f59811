#include "mainwindow/MenuValidation.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

#include "Common/GridQuery.h"
#include "Common/SchemaListing.h"
#include "mainwindow/DatabaseWindow.h"

namespace {

using State = TablesAndRowsState;

int32_t objectTypeNamed(const State& state, const std::optional<std::string>& name) {
    if (!name) return DBInterface::kSchemaTable;
    const auto& allTables = state.selectedObject.allTables;
    auto entry = allTables.find(*name);
    if (entry == allTables.end()) return DBInterface::kSchemaTable;
    return DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type);
}

bool inGrid(const MenuWindowState& state) {
    return state.console == State::RowsConsole;
}
bool gridHasFocus(const MenuWindowState& state) {
    return state.responder == MenuResponder::RowsGrid;
}
bool listOrGridHasFocus(const MenuWindowState& state) {
    return state.responder == MenuResponder::TablesList ||
           state.responder == MenuResponder::RowsGrid;
}
bool somethingSelectedOrFocused(const MenuWindowState& state) {
    return state.somethingSelected || state.somethingFocused;
}
// The tables list's selection is not the one the user means to copy, and a text input copies
// its own text.
bool copiesAGridsSelection(const MenuWindowState& state) {
    return state.responder != MenuResponder::TablesList &&
           state.responder != MenuResponder::TextInput;
}

}  // namespace

MenuResponder menuResponder(const DatabaseWindow& window) {
    QWidget* top = window.window();
    // The window's own focus: a menu opening or a panel in front does not move it.
    QWidget* focus = top ? top->focusWidget() : nullptr;
    if (!focus) return MenuResponder::Other;
    if (focus->objectName() == "tablesTableView") return MenuResponder::TablesList;
    if (focus->objectName() == "rowsTableView") return MenuResponder::RowsGrid;
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QTextEdit*>(focus) ||
        qobject_cast<QPlainTextEdit*>(focus) || qobject_cast<QAbstractSpinBox*>(focus)) {
        return MenuResponder::TextInput;
    }
    return MenuResponder::Other;
}

MenuWindowState menuWindowState(const DatabaseWindow& window) {
    const State& state = window.state();
    const auto& selection = state.selection;
    MenuWindowState snapshot;
    snapshot.console = state.selectedConsoleIndex;
    snapshot.oneObjectSelected = window.selectedTableNameIfOnlyOne().has_value();
    snapshot.tableType = state.selectedObject.tableType;
    snapshot.selectedObjectType = objectTypeNamed(state, window.selectedTableName());
    snapshot.selectedObjectStatus = state.selectedObject.selectedObjectStatus;
    snapshot.totalRows = state.dataPort.totalRows;
    snapshot.responder = menuResponder(window);
    snapshot.somethingFocused =
        !selection.focusedRowIndex.isNone() && !selection.focusedFieldIndex.isNone();
    snapshot.rowsSelected = !selection.mySelectedRowIndexes.empty();
    snapshot.somethingSelected = snapshot.rowsSelected ||
                                 !selection.mySelectedFieldIndexes.empty() ||
                                 !selection.mySelectedCells.empty();
    return snapshot;
}

bool isSelectedTableUpdateCapable(const MenuWindowState& state) {
    return state.oneObjectSelected && state.selectedObjectStatus == DBInterface::kObjectEditable;
}

bool isSelectedTableInsertCapable(const MenuWindowState& state) {
    return state.oneObjectSelected && state.tableType == DBInterface::kSchemaTable;
}

bool isSelectedTableDeleteCapable(const MenuWindowState& state) {
    return isSelectedTableUpdateCapable(state);
}

bool shouldEnableSetToNULLMenuItem(const MenuWindowState& state) {
    if (state.console == State::RecordConsole) {
        return isSelectedTableUpdateCapable(state) || isSelectedTableInsertCapable(state);
    }
    return inGrid(state) && state.oneObjectSelected && state.totalRows >= 1 &&
           gridHasFocus(state) && state.somethingFocused && isSelectedTableUpdateCapable(state);
}

bool shouldEnableEditFieldInPanelMenuItem(const MenuWindowState& state) {
    if (state.console == State::RecordConsole) {
        return isSelectedTableUpdateCapable(state) || isSelectedTableInsertCapable(state);
    }
    return inGrid(state) && state.oneObjectSelected && state.totalRows >= 1 &&
           gridHasFocus(state) && state.somethingFocused;
}

bool shouldEnableGoToRowMenuItem(const MenuWindowState& state) {
    return inGrid(state) && state.totalRows > 0;
}

bool shouldEnableDeselectAllMenuItem(const MenuWindowState& state) {
    return inGrid(state) && gridHasFocus(state) && state.somethingSelected;
}

bool shouldEnableAddBlankRowsMenuItem(const MenuWindowState& state) {
    return inGrid(state) && listOrGridHasFocus(state) && isSelectedTableInsertCapable(state);
}

bool shouldEnableDeleteAllRowsMenuItem(const MenuWindowState& state) {
    return inGrid(state) && listOrGridHasFocus(state) && isSelectedTableDeleteCapable(state) &&
           state.totalRows > 0;
}

bool shouldEnableClearReplaceMenuItem(const MenuWindowState& state) {
    return inGrid(state) && gridHasFocus(state) && somethingSelectedOrFocused(state) &&
           isSelectedTableUpdateCapable(state);
}

bool rowsTableViewValidateMenuItem(const MenuWindowState& state, GridCommand command) {
    bool table = state.selectedObjectType == DBInterface::kSchemaTable;
    switch (command) {
        case GridCommand::Cut:
            return table && inGrid(state) && somethingSelectedOrFocused(state) &&
                   isSelectedTableUpdateCapable(state);
        case GridCommand::Copy:
            return (table || state.selectedObjectType == DBInterface::kSchemaView) &&
                   inGrid(state) && somethingSelectedOrFocused(state);
        case GridCommand::Paste:
            return table && inGrid(state) && state.somethingFocused &&
                   isSelectedTableUpdateCapable(state);
        case GridCommand::Delete:
            return isSelectedTableDeleteCapable(state) && state.rowsSelected;
        case GridCommand::Other:
            return true;
    }
    return true;
}

bool isGridCopyEnabled(const MenuWindowState& state) {
    return copiesAGridsSelection(state) && rowsTableViewValidateMenuItem(state, GridCommand::Copy);
}

bool isResultsCopyEnabled(const MenuWindowState& state, bool resultRowsSelected) {
    return state.console == State::SQLConsole && resultRowsSelected && copiesAGridsSelection(state);
}
