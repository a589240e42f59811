// The grid's own focus and selection, kept by data row index so that it survives paging: the
// focused cell, single cells, whole rows and whole fields, and the clicks that change them.
#include <QApplication>
#include <QListWidget>

#include <algorithm>
#include <limits>
#include <vector>

#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"
#include "platform/foundation/SystemLog.h"

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
    // Only the rows on screen need a redraw: the walk never covers a long selection.
    std::vector<int64_t> rows;
    int64_t shownRows = rowsTableView_ ? rowsTableView_->numberOfRows() : 0;
    for (int64_t row = 0; row < shownRows; ++row) {
        if (mySelectedRowIndexes.contains(rowIndexFromTableViewRow(row))) rows.push_back(row);
    }
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
    mySelectedFieldIndexes.insertRange(1, numberOfFieldsPerRow - 1);
    // An empty table has no top-left cell to focus.
    focusedRowIndex = totalRows >= 1 ? firstRowIndexInDataPort : -1;
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
        mySelectedRowIndexes.size() == 1 && mySelectedRowIndexes.first() == rowIndex;
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

void TablesAndRowsController::includeRowIndex(int64_t rowIndex) {
    includeRowIndexes(rowIndex, rowIndex);
}

void TablesAndRowsController::includeRowIndexes(int64_t first, int64_t last) {
    if (first < 0 || last >= totalRows) {
        systemLog("includeRowIndexes: invalid indexes " + std::to_string(first) + "..." +
                  std::to_string(last));
    }
    first = std::max<int64_t>(first, 0);
    last = std::min(last, totalRows - 1);
    if (first > last) return;
    mySelectedRowIndexes.insertRange(first, last);
    reloadRowsTableViewRowIndexes(first, last);
}

void TablesAndRowsController::rowsTableViewClickedOnPoint(QPoint point) {
    if (totalRows < 1) return;
    int64_t column = rowsTableView_->columnAt(point.x());
    // A row number clears the rows itself, after noting whether it was the one selected row:
    // a second click on it deselects it.
    if (column != 0) {
        clearSelectedRowsAndReload(true);
        clearSelectedFieldsAndReload(true);
    }
    selectRowsTableViewCellAtRow(rowsTableView_->rowAt(point.y()), column, true);
}

void TablesAndRowsController::rowsTableViewCommandClickedOnPoint(QPoint point) {
    if (totalRows < 1) return;
    selectRowsTableViewCellAtRow(rowsTableView_->rowAt(point.y()),
                                 rowsTableView_->columnAt(point.x()), false);
}

int64_t TablesAndRowsController::rowIndexOfRowNumberAt(QPoint point) const {
    int64_t row = rowsTableView_->rowAt(point.y());
    if (totalRows < 1 || row < 0 || rowsTableView_->columnAt(point.x()) != 0) return -1;
    int64_t rowIndex = rowIndexFromTableViewRow(row);
    return rowIndex < totalRows ? rowIndex : -1;
}

void TablesAndRowsController::rowsTableViewAlternateClickedOnPoint(QPoint point) {
    int64_t rowIndex = rowIndexOfRowNumberAt(point);
    if (rowIndex >= 0) selectStartRowIndex(rowIndex, firstFieldIndexInDataPort, false);
}

void TablesAndRowsController::rowsTableViewShiftAlternateClickedOnPoint(QPoint point) {
    int64_t rowIndex = rowIndexOfRowNumberAt(point);
    if (rowIndex < 0) return;
    int64_t portRows = numberOfDataPortRows();
    int64_t oldRowIndex = focusedRowIndex;
    focusedRowIndex = rowIndex;
    if (rowIndex >= portRows - 1) {
        firstRowIndexInDataPort = rowIndex - portRows + 1;
        reloadFieldValues();
        layOutGridColumns();
    } else {
        reloadRowsTableViewRowIndex(oldRowIndex, focusedFieldIndex);
        reloadRowsTableViewRowIndex(rowIndex, focusedFieldIndex);
    }
    updateRowsViewScrollBars();
}

void TablesAndRowsController::rowsTableViewShiftClickedOnPoint(QPoint point) {
    if (totalRows < 1) return;
    int64_t row = rowsTableView_->rowAt(point.y());
    int64_t column = rowsTableView_->columnAt(point.x());
    if (row < 0 || column < 0) return;
    if (column == 0) {
        extendSelectedRowsTo(rowIndexFromTableViewRow(row));
    } else {
        selectRectangleTo(row, column);
    }
}

void TablesAndRowsController::extendSelectedRowsTo(int64_t rowIndex) {
    int64_t first = focusedRowIndex, last = focusedRowIndex;
    if (!mySelectedRowIndexes.empty()) {
        first = mySelectedRowIndexes.first();
        last = mySelectedRowIndexes.last();
    }
    // Without a focus or a selected row the span starts at the top.
    if (rowIndex > last) {
        includeRowIndexes(std::max<int64_t>(last, 0), rowIndex);
    } else if (rowIndex < first) {
        includeRowIndexes(rowIndex, first);
    }
}

void TablesAndRowsController::selectRectangleTo(int64_t row, int64_t column) {
    clearSelectedFieldsAndReload(true);
    clearSelectedRowsAndReload(true);
    int64_t rowIndex = rowIndexFromTableViewRow(row);
    int64_t fieldIndex = fieldIndexFromTableViewColumn(column, row);
    // Cells are added only while fewer rows than this hold selected cells.
    constexpr size_t kMaxRowsOfSelectedCells = 1000;
    if (mySelectedCells.size() < kMaxRowsOfSelectedCells) {
        selectCellWithRowIndex(rowIndex, fieldIndex, false);
    }
    int64_t left, right, top, bottom;
    getFocusedOrSelectedCellsLeft(&left, &right, &top, &bottom);
    // Only loaded rows have values to select, so the walk covers no row beyond the port's.
    int64_t from = std::max(top, firstRowIndexInDataPort);
    int64_t to = std::min(bottom, firstRowIndexInDataPort + numberOfGridRows() - 1);
    if (left >= 0 && top >= 0 && left <= right) {
        for (int64_t f = left; f <= right; ++f) {
            for (int64_t r = from; r <= to; ++r) {
                if (mySelectedCells.size() >= kMaxRowsOfSelectedCells) break;
                selectCellWithRowIndex(r, f, false);
            }
        }
    }
    int64_t oldRowIndex = focusedRowIndex, oldFieldIndex = focusedFieldIndex;
    focusedRowIndex = rowIndex;
    focusedFieldIndex = fieldIndex;
    reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
    clearSelectedCellsAndReload(false);
    updateRowsViewScrollBars();
}
