// The grid's own focus and selection, kept by data row index so that it survives paging: the
// focused cell, single cells, whole rows and whole fields, and the clicks that change them.
#include <QApplication>
#include <QListWidget>

#include <algorithm>
#include <limits>

#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"

void TablesAndRowsController::clearSelectedFieldsAndReload(bool clear) {
    int64_t rows = rowsTableView_ ? rowsTableView_->numberOfRows() : 0;
    if (rows == 0 || mySelectedFieldIndexes.empty()) return;
    std::set<int64_t> columns;
    for (int64_t column = 0; column < rowsTableView_->numberOfColumns(); ++column) {
        if (mySelectedFieldIndexes.count(fieldIndexFromTableViewColumn(column, 0))) {
            columns.insert(column);
        }
    }
    if (clear) mySelectedFieldIndexes.clear();
    for (int64_t column : columns) reloadRowsTableViewColumn(column);
}

void TablesAndRowsController::clearSelectedRowsAndReload(bool clear) {
    if (mySelectedRowIndexes.empty()) return;
    std::set<int64_t> rows;
    for (int64_t rowIndex : mySelectedRowIndexes) rows.insert(tableViewRowFromRowIndex(rowIndex));
    if (clear) mySelectedRowIndexes.clear();
    for (int64_t row : rows) reloadRowsTableViewRow(row);
}

void TablesAndRowsController::clearSelectedCellsAndReload(bool clear) {
    if (mySelectedCells.empty()) return;
    std::set<int64_t> rows, columns;
    for (const auto& [rowIndex, fields] : mySelectedCells) {
        for (const auto& field : fields) columns.insert(tableViewColumnFromFieldIndex(field.first));
        if (!columns.empty()) rows.insert(tableViewRowFromRowIndex(rowIndex));
    }
    if (clear) mySelectedCells.clear();
    reloadDataForRowIndexes(rows, columns);
}

void TablesAndRowsController::selectAllFields() {
    mySelectedRowIndexes.clear();
    mySelectedCells.clear();
    for (int64_t f = 1; f < numberOfFieldsPerRow; ++f) mySelectedFieldIndexes.insert(f);
    focusedRowIndex = firstRowIndexInDataPort;
    focusedFieldIndex = firstFieldIndexInDataPort;
    updateRowsViewScrollBars();
    rowsTableModel_->reload();
}

bool TablesAndRowsController::isRowsTableViewFirstResponder() const {
    return rowsTableView_ && QApplication::focusWidget() == rowsTableView_;
}

bool TablesAndRowsController::isChooseTableViewOrRowsTableViewFirstResponder() const {
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == rowsTableView_ || focus == tablesList_);
}

void TablesAndRowsController::selectCellWithRowIndex(int64_t rowIndex, int64_t fieldIndex,
                                                     bool removeIfPresent) {
    const DBValue* value =
        fieldValueObjectForTableViewRowIndex(tableViewRowFromRowIndex(rowIndex), fieldIndex);
    auto row = mySelectedCells.find(rowIndex);
    if (row == mySelectedCells.end()) {
        if (value) mySelectedCells[rowIndex][fieldIndex] = *value;
        return;
    }
    auto field = row->second.find(fieldIndex);
    if (field == row->second.end()) {
        if (value) row->second[fieldIndex] = *value;
    } else if (removeIfPresent) {
        row->second.erase(field);
    }
}

void TablesAndRowsController::getSelectedCellsLeft(int64_t* left, int64_t* right, int64_t* top,
                                                   int64_t* bottom) const {
    *left = *top = std::numeric_limits<int64_t>::max();
    *right = *bottom = -1;
    for (const auto& [rowIndex, fields] : mySelectedCells) {
        *top = std::min(*top, rowIndex);
        *bottom = std::max(*bottom, rowIndex);
        for (const auto& field : fields) {
            *left = std::min(*left, field.first);
            *right = std::max(*right, field.first);
        }
    }
}

void TablesAndRowsController::getFocusedOrSelectedCellsLeft(int64_t* left, int64_t* right,
                                                            int64_t* top, int64_t* bottom) const {
    getSelectedCellsLeft(left, right, top, bottom);
    // Without a focus the -1s widen the box to a negative bound, which callers read as empty.
    *top = std::min(*top, focusedRowIndex);
    *bottom = std::max(*bottom, focusedRowIndex);
    *left = std::min(*left, focusedFieldIndex);
    *right = std::max(*right, focusedFieldIndex);
}

void TablesAndRowsController::selectRowsTableViewCellAtRow(int64_t row, int64_t column,
                                                           bool deselect) {
    if (row < 0) return;
    int64_t rowIndex = rowIndexFromTableViewRow(row);
    if (column < 0) return;
    if (column >= 1) {
        int64_t fieldIndex = fieldIndexFromTableViewColumn(column, row);
        int64_t oldRowIndex = focusedRowIndex, oldFieldIndex = focusedFieldIndex;
        focusedRowIndex = rowIndex;
        focusedFieldIndex = fieldIndex;
        if (deselect) {
            clearSelectedCellsAndReload(true);
        } else {
            // Control-clicks build a set of single cells, the old focus among them.
            clearSelectedFieldsAndReload(true);
            selectCellWithRowIndex(oldRowIndex, oldFieldIndex, false);
            selectCellWithRowIndex(rowIndex, fieldIndex, false);
        }
        updateRowsViewScrollBars();
        reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
        reloadRowsTableViewRow(row, column);
        return;
    }
    clearSelectedCellsAndReload(true);
    clearSelectedFieldsAndReload(true);
    if (!deselect) {
        if (!mySelectedRowIndexes.erase(rowIndex)) mySelectedRowIndexes.insert(rowIndex);
        reloadRowsTableViewRow(row);
        return;
    }
    bool onlySelectedRow =
        mySelectedRowIndexes.size() == 1 && *mySelectedRowIndexes.begin() == rowIndex;
    clearSelectedRowsAndReload(true);
    // A plain click on the one selected row number deselects it.
    if (rowIndex < 0 || rowIndex >= totalRows || onlySelectedRow) return;
    mySelectedRowIndexes.insert(rowIndex);
    reloadRowsTableViewRow(row);
    int64_t oldRowIndex = focusedRowIndex, oldFieldIndex = focusedFieldIndex;
    focusedRowIndex = rowIndex;
    focusedFieldIndex = fieldIndexFromTableViewColumn(1, row);
    updateRowsViewScrollBars();
    reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
}

void TablesAndRowsController::rowsTableViewClickedOnPoint(QPoint point) {
    selectRowsTableViewCellAtRow(rowsTableView_->rowAt(point.y()),
                                 rowsTableView_->columnAt(point.x()), true);
}

void TablesAndRowsController::rowsTableViewCommandClickedOnPoint(QPoint point) {
    selectRowsTableViewCellAtRow(rowsTableView_->rowAt(point.y()),
                                 rowsTableView_->columnAt(point.x()), false);
}
