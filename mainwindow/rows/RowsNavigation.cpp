// Moving the grid's focus and data port: arrow, page and home/end keys, Tab and Shift-Tab with
// their wrap from row to row, clicks on the column headers, the horizontal scroller and jumps
// to a row. Row moves change the port at once and leave its page to the merged loader, so that
// keys repeating faster than pages load end where they should without a queue of loads.
#include <QApplication>

#include <algorithm>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/RowsConsole.h"

void RowsConsole::layOutGridColumns() {
    updateColumns(window_.selectedTableNameIfOnlyOne());
    rowsTableModel_->reload();
}

void RowsConsole::moveSelection(int direction, int64_t offset, bool moveFocus) {
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    if (port.totalRows < 1) return;
    rowsTableView_->endEditing();
    int64_t gridRows = numberOfGridRows();
    int64_t gridColumns = numberOfColumns();
    if (selection.focusedRowIndex.isNone() || selection.focusedFieldIndex.isNone()) {
        // The first move only makes a focus, on the top row shown.
        if (gridRows >= 1 && moveFocus && gridColumns >= 2) {
            selection.focusedFieldIndex = std::max(selection.focusedFieldIndex, kFirstFieldIndex);
            RowIndex top = dataPort_.rowIndexFromTableViewRow(GridRow(0));
            selection.focusedRowIndex =
                !top.isNone() && top.value < port.totalRows ? top : RowIndex(0);
            updateRowsViewScrollBars();
        }
        return;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    if (gridRows < 1 || row.isNone()) return;
    if (direction < 2) {
        RowIndex first = port.firstRowIndexInDataPort;
        RowIndex moved = first + offset;
        int64_t target = row.value + offset;
        bool inRange = !moved.isNone() && moved.value < port.totalRows;
        // A move past the end shows the last page full, not the last row alone.
        RowIndex lastPage(std::max<int64_t>(0, port.totalRows - numberOfDataPortRows()));
        if (target >= gridRows) first = inRange ? moved : lastPage;
        if (target < 0) first = inRange ? moved : RowIndex(0);
        if (first != port.firstRowIndexInDataPort) {
            port.firstRowIndexInDataPort = first;
            scheduleDataPortLoad();
            updateRowsViewScrollBars();
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
    if (target <= 0) first = inRange ? moved : firstFieldIndexToShow();
    if (first != port.firstFieldIndexInDataPort) {
        port.firstFieldIndexInDataPort = first;
        layOutGridColumns();
        updateRowsViewScrollBars();
    }
    if (moveFocus) offsetFocusedCellByColumn(offset);
}

void RowsConsole::offsetFocusedCellByRow(int64_t offset) {
    auto& selection = state_.selection;
    int64_t gridRows = numberOfGridRows();
    if (gridRows < 1 || numberOfColumns() < 2 || selection.focusedRowIndex.isNone() ||
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
    reloadRowsTableViewRowIndex(oldRowIndex, selection.focusedFieldIndex);
    reloadRowsTableViewRowIndex(selection.focusedRowIndex, selection.focusedFieldIndex);
    updateRowsViewScrollBars();
}

void RowsConsole::offsetFocusedCellByColumn(int64_t offset) {
    auto& selection = state_.selection;
    int64_t gridColumns = numberOfColumns();
    int64_t gridRows = numberOfGridRows();
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
        reloadRowsTableViewRowIndex(selection.focusedRowIndex, oldFieldIndex);
        reloadRowsTableViewRowIndex(selection.focusedRowIndex, selection.focusedFieldIndex);
    }
}

FieldIndex RowsConsole::prevFieldIndex(FieldIndex field) const {
    return field > kFirstFieldIndex ? field - 1 : kFirstFieldIndex;
}

FieldIndex RowsConsole::nextFieldIndex(FieldIndex field) const {
    return std::min(field + 1, state_.dataPort.lastFieldIndex());
}

void RowsConsole::focusNeighbourField(FieldIndex field, GridColumn lowestColumn, int64_t offset) {
    auto& port = state_.dataPort;
    GridColumn column = dataPort_.tableViewColumnFromFieldIndex(field);
    if (!field.isNone() && field.value < port.numberOfFieldsPerRow &&
        (column < lowestColumn || column.value >= numberOfColumns())) {
        port.firstFieldIndexInDataPort = field;
        layOutGridColumns();
    }
    if (field != state_.selection.focusedFieldIndex) offsetFocusedCellByColumn(offset);
}

void RowsConsole::wrapFocus(RowIndex firstRowIndex, RowIndex rowIndex, FieldIndex field) {
    auto& port = state_.dataPort;
    state_.selection.focusedRowIndex = rowIndex;
    state_.selection.focusedFieldIndex = field;
    port.firstFieldIndexInDataPort = field;
    if (firstRowIndex != port.firstRowIndexInDataPort) {
        port.firstRowIndexInDataPort = firstRowIndex;
        scheduleDataPortLoad();
    }
    updateRowsViewScrollBars();
    layOutGridColumns();
}

void RowsConsole::rowsTableViewTabKeyPressed() {
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
    int64_t gridRows = numberOfGridRows();
    if (selection.focusedRowIndex.value >= port.totalRows - 1 || gridRows < 1 || row.isNone()) {
        return;
    }
    // Past the last field of the bottom row shown the port moves down one row.
    RowIndex first = port.firstRowIndexInDataPort;
    if (row.value >= gridRows - 1) first = std::min(first + 1, RowIndex(port.totalRows - 1));
    wrapFocus(first, selection.focusedRowIndex + 1, firstFieldIndexToShow());
}

void RowsConsole::rowsTableViewShiftTabKeyPressed() {
    const auto& port = state_.dataPort;
    const auto& selection = state_.selection;
    if (!window_.selectedTableName() || port.totalRows < 1 || selection.focusedRowIndex.isNone() ||
        selection.focusedFieldIndex.isNone()) {
        return;
    }
    if (selection.focusedFieldIndex != firstFieldIndexToShow()) {
        focusNeighbourField(prevFieldIndex(selection.focusedFieldIndex), GridColumn(1), -1);
        return;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    int64_t gridRows = numberOfGridRows();
    if (selection.focusedRowIndex.value < 1 || gridRows < 1 || row.isNone()) return;
    // Before field 1 of the top row shown the port moves up one row and starts at the last
    // field.
    RowIndex first = port.firstRowIndexInDataPort;
    bool valid = first.value >= 1 && first.value <= port.totalRows;
    if (row.value == 0) first = valid ? first - 1 : RowIndex(0);
    if (row.value > gridRows) first = valid ? first - 1 : RowIndex(port.totalRows - 1);
    wrapFocus(first, selection.focusedRowIndex - 1, port.lastFieldIndex());
}

void RowsConsole::moveDataPortToFieldIndex(FieldIndex field) {
    changeFirstFieldFieldIndexToShow(field);
    updateRowsViewScrollBars();
}

void RowsConsole::selectStartRowIndex(RowIndex rowIndex, FieldIndex field,
                                      bool makeRowsViewResponder) {
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    if (rowIndex.isNone() || rowIndex.value >= port.totalRows || field.isNone() ||
        field.value >= port.numberOfFieldsPerRow) {
        return;
    }
    port.firstRowIndexInDataPort = rowIndex;
    if (port.firstFieldIndexInDataPort != field) {
        port.firstFieldIndexInDataPort = std::max(field, firstFieldIndexToShow());
        selection.focusedFieldIndex = port.firstFieldIndexInDataPort;
        updateColumns(window_.selectedTableNameIfOnlyOne());
    }
    calculateTotalRows();
    // The recount may have left fewer rows than the row asked for.
    RowIndex row =
        std::clamp(rowIndex, RowIndex(0), RowIndex(std::max<int64_t>(port.totalRows - 1, 0)));
    if (port.totalRows >= 1 && numberOfColumns() >= 2 && !selection.focusedFieldIndex.isNone()) {
        selection.focusedRowIndex = row;
    }
    setFirstRowIndexInDataPort(row);
    loadDataPort();
    if (makeRowsViewResponder) rowsTableView_->setFocus();
}

void RowsConsole::rowsTableViewDidClickTableColumn(int clicked) {
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    if (!window_.selectedTableNameIfOnlyOne() || port.numberOfFieldsPerRow < 1) return;
    rowsTableView_->setFocus();
    loadPendingDataPort();
    GridColumn column(clicked);
    Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    bool dataColumn = column.value >= 1 && column.value < numberOfColumns();
    if (modifiers & Qt::AltModifier) {
        if (!dataColumn) return;
        FieldIndex field = dataPort_.fieldIndexFromDataColumn(column.value - 1);
        if (modifiers & Qt::ShiftModifier) {
            // The clicked field becomes the last one shown.
            FieldIndex first = field - (numberOfDataPortFields() - 1);
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
        layOutGridColumns();
        updateRowsViewScrollBars();
        return;
    }
    if (column == kRowNumberColumn) {
        selection_->selectAllFields();
        return;
    }
    if (!dataColumn) return;
    selection_->clearSelectedCellsAndReload(true);
    selection_->clearSelectedRowsAndReload(true);
    FieldIndex field = dataPort_.fieldIndexFromDataColumn(column.value - 1);
    if (field < kFirstFieldIndex || field.value >= port.numberOfFieldsPerRow) return;
    auto& fields = selection.mySelectedFieldIndexes;
    if (modifiers & Qt::ControlModifier) {
        if (!fields.erase(field.value)) fields.insert(field.value);
    } else if (modifiers & Qt::ShiftModifier) {
        if (fields.empty()) return;
        int64_t low = fields.first(), high = fields.last();
        int64_t from = field.value < low ? field.value : high + 1;
        int64_t to = field.value < low ? low - 1 : field.value;
        fields.insertRange(from, to);
        rowsTableView_->viewport()->update();
    } else {
        bool onlySelected = fields.size() == 1 && fields.first() == field.value;
        if (numberOfGridRows() >= 1) {
            RowIndex oldRowIndex = selection.focusedRowIndex;
            FieldIndex oldFieldIndex = selection.focusedFieldIndex;
            selection.focusedRowIndex = port.firstRowIndexInDataPort;
            selection.focusedFieldIndex = field;
            updateRowsViewScrollBars();
            reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
            selection_->clearSelectedFieldsAndReload(true);
        }
        if (!onlySelected) fields.insert(field.value);
    }
    reloadRowsTableViewColumn(column);
}

void RowsConsole::rowsTableViewAlternateReturnKeyPressed() {
    const auto& selection = state_.selection;
    if (selection.focusedRowIndex.isNone() || selection.focusedFieldIndex.isNone()) return;
    window_.selectAddRowViewAtFieldIndex(selection.focusedFieldIndex);
}
