// Row moves change the port at once and leave its page to the merged loader, so that keys
// repeating faster than pages load end where they should without a queue of loads.
#include "mainwindow/rows/GridNavigator.h"

#include <QApplication>

#include <algorithm>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/TablesAndRowsState.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/RowsDataPort.h"

GridNavigator::GridNavigator(GridSurface& rows, DatabaseWindow& window)
    : rows_(rows), window_(window), state_(window.state()), dataPort_(rows.dataPort()) {}

void GridNavigator::move(MoveDirection direction, int64_t steps, bool moveFocus) {
    state_.assertConsistent();
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    if (port.totalRows < 1) return;
    rows_.endEditing();
    int64_t gridRows = rows_.numberOfGridRows();
    int64_t gridColumns = rows_.numberOfColumns();
    if (selection.focusedRowIndex.isNone() || selection.focusedFieldIndex.isNone()) {
        // The first move only makes a focus, on the top row shown.
        if (gridRows >= 1 && moveFocus && gridColumns >= 2) {
            selection.focusedFieldIndex = std::max(selection.focusedFieldIndex, kFirstFieldIndex);
            RowIndex top = dataPort_.rowIndexFromTableViewRow(GridRow(0));
            selection.focusedRowIndex = port.holdsRow(top) ? top : RowIndex(0);
            rows_.updateRowsViewScrollBars();
        }
        return;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    if (gridRows < 1 || row.isNone()) return;
    const int64_t offset =
        direction == MoveDirection::Up || direction == MoveDirection::Left ? -steps : steps;
    if (direction == MoveDirection::Up || direction == MoveDirection::Down) {
        RowIndex first = port.firstRowIndexInDataPort;
        RowIndex moved = first + offset;
        int64_t target = row.value + offset;
        bool inRange = port.holdsRow(moved);
        // A move past the end starts the port at the last row, which the grid then shows alone
        // at its top.
        if (target >= gridRows) first = inRange ? moved : RowIndex(port.totalRows - 1);
        if (target < 0) first = inRange ? moved : RowIndex(0);
        if (first != port.firstRowIndexInDataPort) {
            port.firstRowIndexInDataPort = first;
            rows_.scheduleDataPortLoad();
            rows_.updateRowsViewScrollBars();
        }
        if (moveFocus) offsetFocusedCellByRow(offset);
        return;
    }
    GridColumn column = dataPort_.tableViewColumnFromFieldIndex(selection.focusedFieldIndex);
    FieldIndex first = port.firstFieldIndexInDataPort;
    FieldIndex moved = first + offset;
    int64_t target = column.value + offset;
    bool inRange = moved.value >= 1 && moved.value < port.numberOfFieldsPerRow;
    if (target >= gridColumns) first = inRange ? moved : port.lastFieldIndex();
    if (target <= 0) first = inRange ? moved : rows_.firstFieldIndexToShow();
    if (first != port.firstFieldIndexInDataPort) {
        port.firstFieldIndexInDataPort = first;
        rows_.layOutGridColumns();
        rows_.updateRowsViewScrollBars();
    }
    if (moveFocus) offsetFocusedCellByColumn(offset);
}

void GridNavigator::offsetFocusedCellByRow(int64_t offset) {
    state_.assertConsistent();
    auto& selection = state_.selection;
    int64_t gridRows = rows_.numberOfGridRows();
    if (gridRows < 1 || rows_.numberOfColumns() < 2 || selection.focusedRowIndex.isNone() ||
        selection.focusedFieldIndex.isNone()) {
        return;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    int64_t target = row.value + offset;
    if (offset > 0 && target >= gridRows) target = gridRows - 1;
    if (offset < 0 && target < 0) target = 0;
    if (target >= gridRows || target < 0 ||
        dataPort_.tableViewColumnFromFieldIndex(selection.focusedFieldIndex).value < 1) {
        return;
    }
    RowIndex oldRowIndex = selection.focusedRowIndex;
    selection.focusedRowIndex = dataPort_.rowIndexFromTableViewRow(GridRow(target));
    rows_.reloadRowsTableViewRowIndex(oldRowIndex, selection.focusedFieldIndex);
    rows_.reloadRowsTableViewRowIndex(selection.focusedRowIndex, selection.focusedFieldIndex);
    rows_.updateRowsViewScrollBars();
}

void GridNavigator::offsetFocusedCellByColumn(int64_t offset) {
    state_.assertConsistent();
    auto& selection = state_.selection;
    int64_t gridColumns = rows_.numberOfColumns();
    int64_t gridRows = rows_.numberOfGridRows();
    if (gridColumns < 2 || gridRows < 1 || selection.focusedRowIndex.isNone() ||
        selection.focusedFieldIndex.isNone()) {
        return;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    int64_t target =
        dataPort_.tableViewColumnFromFieldIndex(selection.focusedFieldIndex).value + offset;
    if (offset > 0 && target >= gridColumns) target = gridColumns - 1;
    // Never onto the row-number column.
    if (offset < 0 && target <= 1) target = 1;
    if (target >= 1 && target < gridColumns && !row.isNone() && row.value < gridRows) {
        FieldIndex oldFieldIndex = selection.focusedFieldIndex;
        selection.focusedFieldIndex = dataPort_.fieldIndexFromDataColumn(target - 1);
        rows_.reloadRowsTableViewRowIndex(selection.focusedRowIndex, oldFieldIndex);
        rows_.reloadRowsTableViewRowIndex(selection.focusedRowIndex, selection.focusedFieldIndex);
    }
}

FieldIndex GridNavigator::prevFieldIndex(FieldIndex field) const {
    return field > kFirstFieldIndex ? field - 1 : kFirstFieldIndex;
}

FieldIndex GridNavigator::nextFieldIndex(FieldIndex field) const {
    return std::min(field + 1, state_.dataPort.lastFieldIndex());
}

void GridNavigator::focusNeighbourField(FieldIndex field, GridColumn lowestColumn, int64_t offset) {
    auto& port = state_.dataPort;
    GridColumn column = dataPort_.tableViewColumnFromFieldIndex(field);
    if (port.holdsField(field) &&
        (column < lowestColumn || column.value >= rows_.numberOfColumns())) {
        port.firstFieldIndexInDataPort = field;
        rows_.layOutGridColumns();
    }
    if (field != state_.selection.focusedFieldIndex) offsetFocusedCellByColumn(offset);
}

void GridNavigator::wrapFocus(RowIndex firstRowIndex, RowIndex rowIndex, FieldIndex field) {
    auto& port = state_.dataPort;
    state_.selection.focusedRowIndex = rowIndex;
    state_.selection.focusedFieldIndex = field;
    port.firstFieldIndexInDataPort = field;
    if (firstRowIndex != port.firstRowIndexInDataPort) {
        port.firstRowIndexInDataPort = firstRowIndex;
        rows_.scheduleDataPortLoad();
    }
    rows_.updateRowsViewScrollBars();
    rows_.layOutGridColumns();
}

void GridNavigator::tabKeyPressed() {
    state_.assertConsistent();
    const auto& port = state_.dataPort;
    const auto& selection = state_.selection;
    if (!window_.selectedTableName() || port.totalRows < 1 || selection.focusedRowIndex.isNone() ||
        selection.focusedFieldIndex.isNone()) {
        return;
    }
    if (selection.focusedFieldIndex != port.lastFieldIndex()) {
        focusNeighbourField(nextFieldIndex(selection.focusedFieldIndex), GridColumn(0), 1);
        return;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    int64_t gridRows = rows_.numberOfGridRows();
    if (selection.focusedRowIndex.value >= port.totalRows - 1 || gridRows < 1 || row.isNone()) {
        return;
    }
    // Past the last field of the bottom row shown the port moves down one row.
    RowIndex first = port.firstRowIndexInDataPort;
    if (row.value >= gridRows - 1) first = std::min(first + 1, RowIndex(port.totalRows - 1));
    wrapFocus(first, selection.focusedRowIndex + 1, rows_.firstFieldIndexToShow());
}

void GridNavigator::shiftTabKeyPressed() {
    state_.assertConsistent();
    const auto& port = state_.dataPort;
    const auto& selection = state_.selection;
    if (!window_.selectedTableName() || port.totalRows < 1 || selection.focusedRowIndex.isNone() ||
        selection.focusedFieldIndex.isNone()) {
        return;
    }
    if (selection.focusedFieldIndex != rows_.firstFieldIndexToShow()) {
        focusNeighbourField(prevFieldIndex(selection.focusedFieldIndex), GridColumn(1), -1);
        return;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    int64_t gridRows = rows_.numberOfGridRows();
    if (selection.focusedRowIndex.value < 1 || gridRows < 1 || row.isNone()) return;
    // Before field 1 of the top row shown the port moves up one row and starts at the last
    // field.
    RowIndex first = port.firstRowIndexInDataPort;
    bool valid = first.value >= 1 && first.value <= port.totalRows;
    if (row.value == 0) first = valid ? first - 1 : RowIndex(0);
    if (row.value > gridRows) first = valid ? first - 1 : RowIndex(port.totalRows - 1);
    wrapFocus(first, selection.focusedRowIndex - 1, port.lastFieldIndex());
}

void GridNavigator::selectStartRowIndex(RowIndex rowIndex, FieldIndex field,
                                        bool makeRowsViewResponder) {
    state_.assertConsistent();
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    if (!port.holdsRow(rowIndex) || !port.holdsField(field)) {
        return;
    }
    port.firstRowIndexInDataPort = rowIndex;
    if (port.firstFieldIndexInDataPort != field) {
        port.firstFieldIndexInDataPort = std::max(field, rows_.firstFieldIndexToShow());
        selection.focusedFieldIndex = port.firstFieldIndexInDataPort;
        rows_.updateColumns(window_.selectedTableNameIfOnlyOne());
    }
    rows_.calculateTotalRows();
    // The recount may have left fewer rows than the row asked for.
    RowIndex row =
        std::clamp(rowIndex, RowIndex(0), RowIndex(std::max<int64_t>(port.totalRows - 1, 0)));
    if (port.totalRows >= 1 && rows_.numberOfColumns() >= 2 &&
        !selection.focusedFieldIndex.isNone()) {
        selection.focusedRowIndex = row;
    }
    rows_.setFirstRowIndexInDataPort(row);
    rows_.loadDataPort();
    if (makeRowsViewResponder) rows_.focusGrid();
}

void GridNavigator::didClickTableColumn(int clicked) {
    state_.assertConsistent();
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    if (!window_.selectedTableNameIfOnlyOne() || port.numberOfFieldsPerRow < 1) return;
    rows_.focusGrid();
    rows_.loadPendingDataPort();
    GridColumn column(clicked);
    Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    bool dataColumn = column.value >= 1 && column.value < rows_.numberOfColumns();
    if (modifiers & Qt::AltModifier) {
        if (!dataColumn) return;
        FieldIndex field = dataPort_.fieldIndexFromDataColumn(column.value - 1);
        if (modifiers & Qt::ShiftModifier) {
            // The clicked field becomes the last one shown.
            FieldIndex first = field - (rows_.numberOfDataPortFields() - 1);
            if (first >= kFirstFieldIndex) {
                port.firstFieldIndexInDataPort = first;
                selection.focusedFieldIndex = field;
            } else {
                port.firstFieldIndexInDataPort = kFirstFieldIndex;
            }
        } else {
            port.firstFieldIndexInDataPort = field;
            selection.focusedFieldIndex = field;
        }
        rows_.layOutGridColumns();
        rows_.updateRowsViewScrollBars();
        return;
    }
    if (column == kRowNumberColumn) {
        rows_.selection().selectAllFields();
        return;
    }
    if (!dataColumn) return;
    rows_.selection().clearSelectedCellsAndReload(true);
    rows_.selection().clearSelectedRowsAndReload(true);
    FieldIndex field = dataPort_.fieldIndexFromDataColumn(column.value - 1);
    if (field < kFirstFieldIndex || field.value >= port.numberOfFieldsPerRow) return;
    auto& fields = selection.mySelectedFieldIndexes;
    if (modifiers & Qt::ControlModifier) {
        if (!fields.erase(field)) fields.insert(field);
    } else if (modifiers & Qt::ShiftModifier) {
        if (fields.empty()) return;
        FieldIndex low = fields.first(), high = fields.last();
        if (field < low) {
            fields.insertRange(field, low - 1);
        } else {
            fields.insertRange(high + 1, field);
        }
        rows_.repaintGrid();
    } else {
        bool onlySelected = fields.size() == 1 && fields.first() == field;
        if (rows_.numberOfGridRows() >= 1) {
            RowIndex oldRowIndex = selection.focusedRowIndex;
            FieldIndex oldFieldIndex = selection.focusedFieldIndex;
            selection.focusedRowIndex = port.firstRowIndexInDataPort;
            selection.focusedFieldIndex = field;
            rows_.updateRowsViewScrollBars();
            rows_.reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
            rows_.selection().clearSelectedFieldsAndReload(true);
        }
        if (!onlySelected) fields.insert(field);
    }
    rows_.reloadRowsTableViewColumn(column);
}
