// Moving the grid's focus and data port: arrow, page and home/end keys, Tab and Shift-Tab with
// their wrap from row to row, clicks on the column headers, the horizontal scroller and jumps
// to a row. Row moves change the port at once and leave its page to the merged loader, so that
// keys repeating faster than pages load end where they should without a queue of loads.
#include <QApplication>

#include <algorithm>

#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"

void TablesAndRowsController::layOutGridColumns() {
    updateRowsTableViewColumnsAndHeaders();
    updateRowsTableViewColumnWidths(selectedTableNameIfOnlyOne());
    rowsTableModel_->reload();
}

void TablesAndRowsController::moveSelection(int direction, int64_t offset, bool moveFocus,
                                            int64_t) {
    if (totalRows < 1) return;
    rowsTableView_->endEditing();
    int64_t gridRows = numberOfGridRows();
    int64_t gridColumns = rowsTableView_->numberOfColumns();
    if (focusedRowIndex < 0 || focusedFieldIndex < 0) {
        // The first move only makes a focus, on the top row shown.
        if (gridRows >= 1 && moveFocus && gridColumns >= 2) {
            focusedFieldIndex = std::max<int64_t>(focusedFieldIndex, 1);
            int64_t top = rowIndexFromTableViewRow(0);
            focusedRowIndex = top >= 0 && top < totalRows ? top : 0;
            updateRowsViewScrollBars();
        }
        return;
    }
    int64_t row = tableViewRowFromRowIndex(focusedRowIndex);
    if (gridRows < 1 || row < 0) return;
    if (direction < 2) {
        int64_t first = firstRowIndexInDataPort;
        int64_t moved = first + offset, target = row + offset;
        bool inRange = moved >= 0 && moved < totalRows;
        if (target >= gridRows) first = inRange ? moved : totalRows - 1;
        if (target < 0) first = inRange ? moved : 0;
        if (first != firstRowIndexInDataPort) {
            firstRowIndexInDataPort = first;
            scheduleDataPortLoad();
            updateRowsViewScrollBars();
        }
        if (moveFocus) offsetFocusedCellByRow(offset);
        return;
    }
    int64_t column = tableViewColumnFromFieldIndex(focusedFieldIndex);
    int64_t first = firstFieldIndexInDataPort;
    int64_t moved = first + offset, target = column + offset;
    bool inRange = moved >= 1 && moved < numberOfFieldsPerRow;
    if (target >= gridColumns) first = inRange ? moved : numberOfFieldsPerRow - 1;
    if (target <= 0) first = inRange ? moved : firstFieldIndexToShow();
    if (first != firstFieldIndexInDataPort) {
        firstFieldIndexInDataPort = first;
        layOutGridColumns();
        updateRowsViewScrollBars();
    }
    if (moveFocus) offsetFocusedCellByColumn(offset);
}

void TablesAndRowsController::offsetFocusedCellByRow(int64_t offset) {
    int64_t gridRows = numberOfGridRows();
    if (gridRows < 1 || rowsTableView_->numberOfColumns() < 2 || focusedRowIndex < 0 ||
        focusedFieldIndex < 0) {
        return;
    }
    int64_t row = tableViewRowFromRowIndex(focusedRowIndex);
    int64_t target = row + offset;
    if (offset > 0 && target >= gridRows) target = gridRows - 1;
    if (offset < 0 && target < 0) target = 0;
    if (target >= gridRows || target < 0 || tableViewColumnFromFieldIndex(focusedFieldIndex) < 1) {
        return;
    }
    int64_t oldRowIndex = focusedRowIndex;
    focusedRowIndex = rowIndexFromTableViewRow(target);
    reloadRowsTableViewRowIndex(oldRowIndex, focusedFieldIndex);
    reloadRowsTableViewRowIndex(focusedRowIndex, focusedFieldIndex);
    updateRowsViewScrollBars();
}

void TablesAndRowsController::offsetFocusedCellByColumn(int64_t offset) {
    int64_t gridColumns = rowsTableView_->numberOfColumns();
    int64_t gridRows = numberOfGridRows();
    if (gridColumns < 2 || gridRows < 1 || focusedRowIndex < 0 || focusedFieldIndex < 0) return;
    int64_t row = tableViewRowFromRowIndex(focusedRowIndex);
    int64_t target = tableViewColumnFromFieldIndex(focusedFieldIndex) + offset;
    if (offset > 0 && target >= gridColumns) target = gridColumns - 1;
    // Never onto the row-number column.
    if (offset < 0 && target <= 1) target = 1;
    if (target >= 1 && target < gridColumns && row >= 0 && row < gridRows) {
        int64_t oldFieldIndex = focusedFieldIndex;
        focusedFieldIndex = fieldIndexFromDataColumn(target - 1);
        reloadRowsTableViewRowIndex(focusedRowIndex, oldFieldIndex);
        reloadRowsTableViewRowIndex(focusedRowIndex, focusedFieldIndex);
    }
}

int64_t TablesAndRowsController::prevFieldIndex(int64_t fieldIndex) const {
    return fieldIndex > 1 ? fieldIndex - 1 : 1;
}

int64_t TablesAndRowsController::nextFieldIndex(int64_t fieldIndex) const {
    return std::min(fieldIndex + 1, numberOfFieldsPerRow - 1);
}

void TablesAndRowsController::focusNeighbourField(int64_t fieldIndex, int64_t lowestColumn,
                                                  int64_t offset) {
    int64_t column = tableViewColumnFromFieldIndex(fieldIndex);
    if (fieldIndex >= 0 && fieldIndex < numberOfFieldsPerRow &&
        (column < lowestColumn || column >= rowsTableView_->numberOfColumns())) {
        firstFieldIndexInDataPort = fieldIndex;
        layOutGridColumns();
    }
    if (fieldIndex != focusedFieldIndex) offsetFocusedCellByColumn(offset);
}

void TablesAndRowsController::wrapFocus(int64_t firstRowIndex, int64_t rowIndex,
                                        int64_t fieldIndex) {
    focusedRowIndex = rowIndex;
    focusedFieldIndex = fieldIndex;
    firstFieldIndexInDataPort = fieldIndex;
    if (firstRowIndex != firstRowIndexInDataPort) {
        firstRowIndexInDataPort = firstRowIndex;
        scheduleDataPortLoad();
    }
    updateRowsViewScrollBars();
    layOutGridColumns();
}

void TablesAndRowsController::rowsTableViewTabKeyPressed() {
    if (!selectedTableName() || totalRows < 1 || focusedRowIndex < 0 || focusedFieldIndex < 0) {
        return;
    }
    int64_t lastField = numberOfFieldsPerRow - 1;
    if (focusedFieldIndex != lastField) {
        focusNeighbourField(nextFieldIndex(focusedFieldIndex), 0, 1);
        return;
    }
    int64_t row = tableViewRowFromRowIndex(focusedRowIndex);
    int64_t gridRows = numberOfGridRows();
    if (focusedRowIndex >= totalRows - 1 || gridRows < 1 || row < 0) return;
    // Past the last field of the bottom row shown the port moves down one row.
    int64_t first = firstRowIndexInDataPort;
    if (row >= gridRows - 1) first = std::min(first + 1, totalRows - 1);
    wrapFocus(first, focusedRowIndex + 1, firstFieldIndexToShow());
}

void TablesAndRowsController::rowsTableViewShiftTabKeyPressed() {
    if (!selectedTableName() || totalRows < 1 || focusedRowIndex < 0 || focusedFieldIndex < 0) {
        return;
    }
    if (focusedFieldIndex != firstFieldIndexToShow()) {
        focusNeighbourField(prevFieldIndex(focusedFieldIndex), 1, -1);
        return;
    }
    int64_t row = tableViewRowFromRowIndex(focusedRowIndex);
    int64_t gridRows = numberOfGridRows();
    if (focusedRowIndex < 1 || gridRows < 1 || row < 0) return;
    // Before field 1 of the top row shown the port moves up one row and starts at the last
    // field.
    int64_t first = firstRowIndexInDataPort;
    bool valid = first >= 1 && first <= totalRows;
    if (row == 0) first = valid ? first - 1 : 0;
    if (row > gridRows) first = valid ? first - 1 : totalRows - 1;
    wrapFocus(first, focusedRowIndex - 1, numberOfFieldsPerRow - 1);
}

void TablesAndRowsController::moveDataPortToFieldIndex(int64_t fieldIndex) {
    changeFirstFieldFieldIndexToShow(fieldIndex);
    updateRowsViewScrollBars();
}

void TablesAndRowsController::selectStartRowIndex(int64_t rowIndex, int64_t fieldIndex,
                                                  bool makeRowsViewResponder) {
    if (rowIndex < 0 || rowIndex >= totalRows || fieldIndex < 0 ||
        fieldIndex >= numberOfFieldsPerRow) {
        return;
    }
    firstRowIndexInDataPort = rowIndex;
    if (firstFieldIndexInDataPort != fieldIndex) {
        firstFieldIndexInDataPort = std::max(fieldIndex, firstFieldIndexToShow());
        focusedFieldIndex = firstFieldIndexInDataPort;
        updateRowsTableViewColumnsAndHeaders();
        updateRowsTableViewColumnWidths(selectedTableNameIfOnlyOne());
    }
    calculateTotalRows();
    // The recount may have left fewer rows than the row asked for.
    int64_t row = std::clamp<int64_t>(rowIndex, 0, std::max<int64_t>(totalRows - 1, 0));
    if (totalRows >= 1 && rowsTableView_->numberOfColumns() >= 2 && focusedFieldIndex >= 0) {
        focusedRowIndex = row;
    }
    setFirstRowIndexInDataPort(row);
    loadDataPort();
    if (makeRowsViewResponder) rowsTableView_->setFocus();
}

void TablesAndRowsController::rowsTableViewDidClickTableColumn(int column) {
    if (!selectedTableNameIfOnlyOne() || numberOfFieldsPerRow < 1) return;
    rowsTableView_->setFocus();
    loadPendingDataPort();
    Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    int gridColumns = rowsTableView_->numberOfColumns();
    bool dataColumn = column >= 1 && column < gridColumns;
    if (modifiers & Qt::AltModifier) {
        if (!dataColumn) return;
        int64_t fieldIndex = fieldIndexFromDataColumn(column - 1);
        if (modifiers & Qt::ShiftModifier) {
            // The clicked field becomes the last one shown.
            int64_t first = fieldIndex - numberOfDataPortFields() + 1;
            if (first >= 1) {
                firstFieldIndexInDataPort = first;
                focusedFieldIndex = fieldIndex;
            } else {
                firstFieldIndexInDataPort = 1;
            }
        } else {
            firstFieldIndexInDataPort = fieldIndex;
            focusedFieldIndex = fieldIndex;
        }
        layOutGridColumns();
        updateRowsViewScrollBars();
        return;
    }
    if (column == 0) {
        selectAllFields();
        return;
    }
    if (!dataColumn) return;
    clearSelectedCellsAndReload(true);
    clearSelectedRowsAndReload(true);
    int64_t fieldIndex = fieldIndexFromDataColumn(column - 1);
    if (fieldIndex < 1 || fieldIndex >= numberOfFieldsPerRow) return;
    if (modifiers & Qt::ControlModifier) {
        if (!mySelectedFieldIndexes.erase(fieldIndex)) mySelectedFieldIndexes.insert(fieldIndex);
    } else if (modifiers & Qt::ShiftModifier) {
        if (mySelectedFieldIndexes.empty()) return;
        int64_t low = mySelectedFieldIndexes.first(), high = mySelectedFieldIndexes.last();
        int64_t from = fieldIndex < low ? fieldIndex : high + 1;
        int64_t to = fieldIndex < low ? low - 1 : fieldIndex;
        mySelectedFieldIndexes.insertRange(from, to);
        rowsTableView_->viewport()->update();
    } else {
        bool onlySelected =
            mySelectedFieldIndexes.size() == 1 && mySelectedFieldIndexes.first() == fieldIndex;
        if (numberOfGridRows() >= 1) {
            int64_t oldRowIndex = focusedRowIndex, oldFieldIndex = focusedFieldIndex;
            focusedRowIndex = firstRowIndexInDataPort;
            focusedFieldIndex = fieldIndex;
            updateRowsViewScrollBars();
            reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
            clearSelectedFieldsAndReload(true);
        }
        if (!onlySelected) mySelectedFieldIndexes.insert(fieldIndex);
    }
    reloadRowsTableViewColumn(column);
}

void TablesAndRowsController::rowsTableViewAlternateReturnKeyPressed() {
    if (focusedRowIndex < 0 || focusedFieldIndex < 0) return;
    selectAddRowViewAtFieldIndex(focusedFieldIndex);
}
