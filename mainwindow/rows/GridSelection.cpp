#include "mainwindow/rows/GridSelection.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "Common/ValuePrefix.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/TablesAndRowsState.h"
#include "mainwindow/rows/GridNavigator.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "platform/foundation/SystemLog.h"

GridSelection::GridSelection(GridSurface& rows, DatabaseWindow& window)
    : rows_(rows), window_(window), state_(window.state()), dataPort_(rows.dataPort()) {}

void GridSelection::clearSelectedFieldsAndReload(bool clear) {
    state_.assertConsistent();
    auto& fields = state_.selection.mySelectedFieldIndexes;
    if (rows_.numberOfRows() == 0 || fields.empty()) return;
    std::vector<GridColumn> columns;
    for (GridColumn column(0); column.value < rows_.numberOfColumns(); ++column) {
        if (fields.count(rows_.fieldIndexFromTableViewColumn(column, GridRow(0)))) {
            columns.push_back(column);
        }
    }
    if (clear) fields.clear();
    for (GridColumn column : columns) rows_.reloadRowsTableViewColumn(column);
}

void GridSelection::clearSelectedRowsAndReload(bool clear) {
    state_.assertConsistent();
    auto& selectedRows = state_.selection.mySelectedRowIndexes;
    if (selectedRows.empty()) return;
    // Only the rows on screen need a redraw: the walk never covers a long selection.
    std::vector<GridRow> rows;
    for (GridRow row(0); row.value < rows_.numberOfRows(); ++row) {
        if (selectedRows.contains(dataPort_.rowIndexFromTableViewRow(row))) {
            rows.push_back(row);
        }
    }
    if (clear) {
        selectedRows.clear();
        dropUnselectedShownRows();
    }
    for (GridRow row : rows) rows_.reloadRowsTableViewRow(row);
}

void GridSelection::clearSelectedCellsAndReload(bool clear) {
    state_.assertConsistent();
    auto& cells = state_.selection.mySelectedCells;
    if (cells.empty()) return;
    std::set<GridRow> rows;
    std::set<GridColumn> columns;
    for (const auto& [rowIndex, fields] : cells) {
        for (const auto& field : fields) {
            columns.insert(dataPort_.tableViewColumnFromFieldIndex(field.first));
        }
        if (!columns.empty()) rows.insert(dataPort_.tableViewRowFromRowIndex(rowIndex));
    }
    if (clear) {
        cells.clear();
        dropUnselectedShownRows();
    }
    rows_.reloadDataForRowIndexes(rows, columns);
}

void GridSelection::selectAllFields() {
    state_.assertConsistent();
    auto& selection = state_.selection;
    const auto& port = state_.dataPort;
    selection.mySelectedRowIndexes.clear();
    selection.mySelectedCells.clear();
    dropUnselectedShownRows();
    selection.mySelectedFieldIndexes.insertRange(kFirstFieldIndex, port.lastFieldIndex());
    // An empty table has no top-left cell to focus.
    selection.focusedRowIndex = port.totalRows >= 1 ? port.firstRowIndexInDataPort : RowIndex();
    selection.focusedFieldIndex = port.firstFieldIndexInDataPort;
    rows_.updateRowsViewScrollBars();
    rows_.redrawGrid();
}

void GridSelection::selectCellWithRowIndex(RowIndex rowIndex, FieldIndex field,
                                           bool removeIfPresent) {
    state_.assertConsistent();
    auto& cells = state_.selection.mySelectedCells;
    const DBValue* value = dataPort_.fieldValueObjectForTableViewRowIndex(
        dataPort_.tableViewRowFromRowIndex(rowIndex), field);
    auto row = cells.find(rowIndex);
    if (row == cells.end() || !row->second.count(field)) {
        if (!value) return;
        noteSelecting();
        cells[rowIndex][field] = *value;
        holdShownRow(rowIndex);
        return;
    }
    if (removeIfPresent) row->second.erase(field);
}

SelectionBox GridSelection::selectedCellsBox() const {
    SelectionBox box;
    for (const auto& [rowIndex, fields] : state_.selection.mySelectedCells) {
        for (const auto& field : fields) box.include(rowIndex, field.first);
    }
    // Selected cells are dropped whenever the table or its rows change under them.
    assert(state_.selection.mySelectedCells.empty() ||
           (box.top.value >= 0 && box.bottom.value < state_.dataPort.totalRows &&
            box.left.value >= kFirstFieldIndex.value &&
            positionOfField(box.right).value < state_.fieldModel.numberOfFields()));
    return box;
}

SelectionBox GridSelection::focusedOrSelectedCellsBox() const {
    SelectionBox box = selectedCellsBox();
    // Without a focus the box widens to a negative bound, which selects nothing.
    box.include(state_.selection.focusedRowIndex, state_.selection.focusedFieldIndex);
    return box;
}

void GridSelection::selectRowsTableViewCellAtRow(GridRow row, GridColumn column, bool deselect) {
    state_.assertConsistent();
    if (row.isNone() || column.isNone()) return;
    auto& selection = state_.selection;
    RowIndex rowIndex = dataPort_.rowIndexFromTableViewRow(row);
    if (column.value >= 1) {
        FieldIndex field = rows_.fieldIndexFromTableViewColumn(column, row);
        RowIndex oldRowIndex = selection.focusedRowIndex;
        FieldIndex oldFieldIndex = selection.focusedFieldIndex;
        selection.focusedRowIndex = rowIndex;
        selection.focusedFieldIndex = field;
        if (deselect) {
            clearSelectedCellsAndReload(true);
        } else {
            // Control-clicks build a set of single cells, the old focus among them.
            clearSelectedFieldsAndReload(true);
            selectCellWithRowIndex(oldRowIndex, oldFieldIndex, false);
            selectCellWithRowIndex(rowIndex, field, false);
        }
        rows_.updateRowsViewScrollBars();
        rows_.reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
        rows_.reloadRowsTableViewRow(row, column);
        return;
    }
    clearSelectedCellsAndReload(true);
    clearSelectedFieldsAndReload(true);
    auto& selectedRows = selection.mySelectedRowIndexes;
    if (!deselect) {
        toggleRowSelected(rowIndex);
        rows_.reloadRowsTableViewRow(row);
        return;
    }
    bool onlySelectedRow = selectedRows.size() == 1 && selectedRows.first() == rowIndex;
    clearSelectedRowsAndReload(true);
    // A plain click on the one selected row number deselects it.
    if (!state_.dataPort.holdsRow(rowIndex) || onlySelectedRow) return;
    noteSelecting();
    selectedRows.insert(rowIndex);
    holdShownRow(rowIndex);
    rows_.reloadRowsTableViewRow(row);
    RowIndex oldRowIndex = selection.focusedRowIndex;
    FieldIndex oldFieldIndex = selection.focusedFieldIndex;
    selection.focusedRowIndex = rowIndex;
    selection.focusedFieldIndex = rows_.fieldIndexFromTableViewColumn(GridColumn(1), row);
    rows_.updateRowsViewScrollBars();
    rows_.reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
}

void GridSelection::includeRowIndex(RowIndex rowIndex) {
    state_.assertConsistent();
    if (!state_.dataPort.holdsRow(rowIndex)) {
        systemLog("includeRowIndex: invalid index " + std::to_string(rowIndex.value));
        return;
    }
    includeRowIndexes(rowIndex, rowIndex);
}

void GridSelection::includeRowIndexes(RowIndex first, RowIndex last) {
    state_.assertConsistent();
    int64_t totalRows = state_.dataPort.totalRows;
    if (first.isNone() || last.value >= totalRows) {
        systemLog("includeRowIndexes: invalid indexes " + std::to_string(first.value) + "..." +
                  std::to_string(last.value));
    }
    first = std::max(first, RowIndex(0));
    last = std::min(last, RowIndex(totalRows - 1));
    if (first > last) return;
    noteSelecting();
    state_.selection.mySelectedRowIndexes.insertRange(first, last);
    // Only the rows the page shows are held as shown; the rest of a long span by its places.
    const LoadedPage& page = state_.dataPort.page;
    for (RowIndex row = std::max(first, page.firstRow()); row <= last && page.holds(row); ++row) {
        holdShownRow(row);
    }
    rows_.reloadRowsTableViewRowIndexes(first, last);
}

void GridSelection::clickedOnPoint(QPoint point) {
    state_.assertConsistent();
    if (state_.dataPort.totalRows < 1) return;
    GridColumn column = rows_.gridColumnAt(point);
    // A row number clears the rows itself, after noting whether it was the one selected row:
    // a second click on it deselects it.
    if (column != kRowNumberColumn) {
        clearSelectedRowsAndReload(true);
        clearSelectedFieldsAndReload(true);
    }
    selectRowsTableViewCellAtRow(rows_.gridRowAt(point), column, true);
}

void GridSelection::commandClickedOnPoint(QPoint point) {
    state_.assertConsistent();
    if (state_.dataPort.totalRows < 1) return;
    selectRowsTableViewCellAtRow(rows_.gridRowAt(point), rows_.gridColumnAt(point), false);
}

RowIndex GridSelection::rowIndexOfRowNumberAt(QPoint point) const {
    GridRow row = rows_.gridRowAt(point);
    if (state_.dataPort.totalRows < 1 || row.isNone() ||
        rows_.gridColumnAt(point) != kRowNumberColumn) {
        return RowIndex();
    }
    RowIndex rowIndex = dataPort_.rowIndexFromTableViewRow(row);
    return state_.dataPort.holdsRow(rowIndex) ? rowIndex : RowIndex();
}

void GridSelection::alternateClickedOnPoint(QPoint point) {
    state_.assertConsistent();
    RowIndex rowIndex = rowIndexOfRowNumberAt(point);
    if (!rowIndex.isNone()) {
        rows_.navigator().selectStartRowIndex(rowIndex, state_.dataPort.firstFieldIndexInDataPort,
                                              false);
    }
}

void GridSelection::shiftAlternateClickedOnPoint(QPoint point) {
    state_.assertConsistent();
    RowIndex rowIndex = rowIndexOfRowNumberAt(point);
    if (rowIndex.isNone()) return;
    auto& selection = state_.selection;
    int64_t portRows = rows_.numberOfDataPortRows();
    RowIndex oldRowIndex = selection.focusedRowIndex;
    selection.focusedRowIndex = rowIndex;
    if (rowIndex.value >= portRows - 1) {
        state_.dataPort.firstRowIndexInDataPort = rowIndex - (portRows - 1);
        rows_.reloadFieldValues();
        rows_.layOutGridColumns();
    } else {
        rows_.reloadRowsTableViewRowIndex(oldRowIndex, selection.focusedFieldIndex);
        rows_.reloadRowsTableViewRowIndex(rowIndex, selection.focusedFieldIndex);
    }
    rows_.updateRowsViewScrollBars();
}

void GridSelection::shiftClickedOnPoint(QPoint point) {
    state_.assertConsistent();
    if (state_.dataPort.totalRows < 1) return;
    GridRow row = rows_.gridRowAt(point);
    GridColumn column = rows_.gridColumnAt(point);
    if (row.isNone() || column.isNone()) return;
    if (column == kRowNumberColumn) {
        extendSelectedRowsTo(dataPort_.rowIndexFromTableViewRow(row));
    } else {
        selectRectangleTo(row, column);
    }
}

void GridSelection::selectCellsInBox(const SelectionBox& box) {
    // Cells are added only while fewer rows than this hold selected cells.
    constexpr size_t kMaxRowsOfSelectedCells = 1000;
    auto& cells = state_.selection.mySelectedCells;
    if (box.left.isNone() || box.top.isNone()) return;
    // Only loaded rows have values to select, so the walk covers no row beyond the port's.
    RowIndex firstRow = state_.dataPort.firstRowIndexInDataPort;
    RowIndex from = std::max(box.top, firstRow);
    RowIndex to = std::min(box.bottom, firstRow + (rows_.numberOfGridRows() - 1));
    for (FieldIndex field = box.left; field <= box.right; ++field) {
        for (RowIndex row = from; row <= to; ++row) {
            if (cells.size() >= kMaxRowsOfSelectedCells) return;
            selectCellWithRowIndex(row, field, false);
        }
    }
}

void GridSelection::extendSelectedRowsTo(RowIndex rowIndex) {
    const auto& selectedRows = state_.selection.mySelectedRowIndexes;
    RowIndex first = state_.selection.focusedRowIndex, last = first;
    if (!selectedRows.empty()) {
        first = selectedRows.first();
        last = selectedRows.last();
    }
    // Without a focus or a selected row the span starts at the top.
    if (rowIndex > last) {
        includeRowIndexes(std::max(last, RowIndex(0)), rowIndex);
    } else if (rowIndex < first) {
        includeRowIndexes(rowIndex, first);
    }
}

void GridSelection::selectRectangleTo(GridRow row, GridColumn column) {
    clearSelectedFieldsAndReload(true);
    clearSelectedRowsAndReload(true);
    auto& selection = state_.selection;
    RowIndex rowIndex = dataPort_.rowIndexFromTableViewRow(row);
    FieldIndex field = rows_.fieldIndexFromTableViewColumn(column, row);
    SelectionBox clicked;
    clicked.include(rowIndex, field);
    selectCellsInBox(clicked);
    selectCellsInBox(focusedOrSelectedCellsBox());
    RowIndex oldRowIndex = selection.focusedRowIndex;
    FieldIndex oldFieldIndex = selection.focusedFieldIndex;
    selection.focusedRowIndex = rowIndex;
    selection.focusedFieldIndex = field;
    rows_.reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
    clearSelectedCellsAndReload(false);
    rows_.updateRowsViewScrollBars();
}

void GridSelection::forgetSelected() {
    auto& selection = state_.selection;
    selection.mySelectedCells.clear();
    selection.mySelectedRowIndexes.clear();
    selection.mySelectedFieldIndexes.clear();
    dropUnselectedShownRows();
}

void GridSelection::dropUnselectedShownRows() {
    auto& selection = state_.selection;
    if (!selection.mySelectedRowIndexes.empty() || !selection.mySelectedCells.empty()) return;
    selection.shownSelectedRows.clear();
    selection.selectedAtVersion = -1;
}

void GridSelection::noteSelecting() {
    auto& selection = state_.selection;
    const int64_t version = state_.dataPort.page.fileVersion();
    if (selection.mySelectedRowIndexes.empty() && selection.mySelectedCells.empty()) {
        selection.shownSelectedRows.clear();
        selection.selectedAtVersion = version;
    } else if (selection.selectedAtVersion != version) {
        selection.selectedAtVersion = TablesAndRowsState::kSelectionVersionChanged;
    }
}

bool GridSelection::toggleRowSelected(RowIndex rowIndex) {
    auto& selection = state_.selection;
    if (selection.mySelectedRowIndexes.erase(rowIndex)) {
        selection.shownSelectedRows.erase(rowIndex);
        return false;
    }
    noteSelecting();
    selection.mySelectedRowIndexes.insert(rowIndex);
    holdShownRow(rowIndex);
    return true;
}

void GridSelection::holdShownRow(RowIndex rowIndex) {
    const auto& port = state_.dataPort;
    // A moved port's page is another page's until its own is read.
    if (port.dataPortLoadPending) return;
    DBRow values = port.page.values(rowIndex);
    if (values.empty()) return;
    for (DBValue& value : values) holdPrefixOfValue(&value);
    state_.selection.shownSelectedRows[rowIndex] = std::move(values);
}

bool GridSelection::showsRowSelectedAt(RowIndex rowIndex) const {
    const auto& held = state_.selection.shownSelectedRows;
    auto entry = held.find(rowIndex);
    if (entry == held.end()) return true;
    const DBValue* rowid = state_.dataPort.page.rowid(rowIndex);
    return !rowid || *rowid == entry->second.front();
}

void GridSelection::keepShownRowsAcross(const std::function<void()>& readBack) {
    auto& selection = state_.selection;
    std::map<RowIndex, DBRow> held;
    held.swap(selection.shownSelectedRows);
    const RowIndexSet rows = selection.mySelectedRowIndexes;
    const auto cells = selection.mySelectedCells;
    selection.mySelectedRowIndexes.clear();
    selection.mySelectedCells.clear();
    dropUnselectedShownRows();
    readBack();
    const LoadedPage& page = state_.dataPort.page;
    if (state_.dataPort.dataPortLoadPending || held.empty()) return;
    std::map<std::string, RowIndex> shownAt;
    for (RowIndex at = page.firstRow(); page.holds(at); ++at) {
        if (*page.rowid(at)) shownAt.emplace(**page.rowid(at), at);
    }
    for (const auto& [at, shown] : held) {
        auto to = shown.front() ? shownAt.find(*shown.front()) : shownAt.end();
        if (to == shownAt.end()) continue;
        const RowIndex now = to->second;
        if (rows.contains(at)) {
            noteSelecting();
            selection.mySelectedRowIndexes.insert(now);
            holdShownRow(now);
        }
        auto rowCells = cells.find(at);
        if (rowCells == cells.end()) continue;
        for (const auto& cell : rowCells->second) {
            const DBValue* value = page.cell(now, cell.first);
            if (!value) continue;
            noteSelecting();
            selection.mySelectedCells[now][cell.first] = *value;
            holdShownRow(now);
        }
    }
}

void GridSelection::deselectAll() {
    state_.assertConsistent();
    clearSelectedCellsAndReload(true);
    clearSelectedFieldsAndReload(true);
    clearSelectedRowsAndReload(true);
}

bool GridSelection::isSomethingFocused() const {
    return !state_.selection.focusedRowIndex.isNone() &&
           !state_.selection.focusedFieldIndex.isNone();
}

bool GridSelection::isSomethingSelected() const {
    const auto& selection = state_.selection;
    return !selection.mySelectedRowIndexes.empty() || !selection.mySelectedFieldIndexes.empty() ||
           !selection.mySelectedCells.empty();
}

bool GridSelection::isSomethingSelectedOrFocused() const {
    return isSomethingSelected() || isSomethingFocused();
}

bool GridSelection::isFocusOnCellAndNotEditing() const {
    return isSomethingFocused() && rows_.isRowsTableViewFirstResponder();
}

void GridSelection::selectMyRowIndex(RowIndex rowIndex, bool extendSelection) {
    state_.assertConsistent();
    auto& selection = state_.selection;
    if (!state_.dataPort.holdsRow(rowIndex)) {
        systemLog("selectMyRowIndex: invalid index " + std::to_string(rowIndex.value));
        return;
    }
    if (rowIndex != selection.focusedRowIndex && !extendSelection) {
        clearSelectedRowsAndReload(true);
    }
    RowIndex oldRowIndex = selection.focusedRowIndex;
    FieldIndex oldFieldIndex = selection.focusedFieldIndex;
    if (toggleRowSelected(rowIndex)) {
        selection.focusedRowIndex = rowIndex;
        selection.focusedFieldIndex = state_.dataPort.firstFieldIndexInDataPort;
        rows_.updateRowsViewScrollBars();
    }
    rows_.reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
    rows_.reloadRowsTableViewRowIndex(rowIndex);
}

void GridSelection::selectTableViewRow(GridRow row, bool extendSelection) {
    selectMyRowIndex(dataPort_.rowIndexFromTableViewRow(row), extendSelection);
}

bool GridSelection::isFocusedCell(CellIdentity cell) const {
    return state_.selection.focusedRowIndex == cell.row &&
           state_.selection.focusedFieldIndex == cell.field;
}

bool GridSelection::highlightSelectedCell(CellIdentity cell) const {
    const auto& selection = state_.selection;
    auto row = selection.mySelectedCells.find(cell.row);
    return (row != selection.mySelectedCells.end() && row->second.count(cell.field) &&
            showsRowSelectedAt(cell.row)) ||
           selection.mySelectedFieldIndexes.count(cell.field);
}

bool GridSelection::highlightSelectedRow(CellIdentity cell) const {
    return state_.selection.mySelectedRowIndexes.count(cell.row) > 0 &&
           showsRowSelectedAt(cell.row);
}

bool GridSelection::highlightRowNumberCell(CellIdentity cell) const {
    return cell.field.isNone() && highlightSelectedRow(cell);
}

bool GridSelection::highlightPasteDestinationCell(CellIdentity cell) const {
    const auto& destinations = state_.selection.pasteDestinationCells;
    auto row = destinations.find(cell.row);
    return row != destinations.end() && row->second.count(cell.field);
}
