#include "mainwindow/rows/GridClipboard.h"

#include <algorithm>
#include <map>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/RowsDataPort.h"

bool GridClipboard::isGridShown() const {
    return window_.state().selectedConsoleIndex == TablesAndRowsState::RowsConsole &&
           rows_.isRowsTableViewFirstResponder();
}

bool GridClipboard::isEditable() const {
    return rows_.isSelectedTableUpdateCapable();
}

std::optional<GridSelectionResolver::Resolved> GridClipboard::readSelection(int64_t rowLimit) {
    return GridSelectionResolver(rows_, window_)
        .resolve(GridSelectionResolver::Purpose::Copy, rowLimit);
}

void GridClipboard::reloadRows() {
    rows_.reloadRowsKeepingPort();
}

bool GridClipboard::destinationCell(size_t r, size_t i, RowIndex* rowIndex,
                                    FieldIndex* field) const {
    const TablesAndRowsState& state = window_.state();
    *rowIndex = state.selection.focusedRowIndex + static_cast<int64_t>(r);
    *field = state.selection.focusedFieldIndex + static_cast<int64_t>(i);
    return state.dataPort.page.cell(*rowIndex, *field) != nullptr;
}

void GridClipboard::markPasteDestinations(const std::vector<DBRow>& rows) {
    window_.state().assertConsistent();
    rows_.selection().clearSelectedFieldsAndReload(true);
    rows_.selection().clearSelectedRowsAndReload(true);
    auto& marks = window_.state().selection.pasteDestinationCells;
    marks.clear();
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t i = 0; i < rows[r].size(); ++i) {
            RowIndex rowIndex;
            FieldIndex field;
            if (!destinationCell(r, i, &rowIndex, &field)) continue;
            marks[rowIndex].insert(field);
            rows_.reloadRowsTableViewRowIndex(rowIndex, field);
        }
    }
}

size_t GridClipboard::rowsReached(const std::vector<DBRow>& rows) const {
    const RowsDataPort& port = rows_.dataPort();
    size_t reached = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        RowIndex rowIndex;
        FieldIndex field;
        if (rows[r].empty() || !destinationCell(r, 0, &rowIndex, &field)) continue;
        const DBValue* rowid = port.fieldValueObjectForTableViewRowIndex(
            port.tableViewRowFromRowIndex(rowIndex), kRowidFieldIndex);
        if (rowid && *rowid) reached = r + 1;
    }
    return reached;
}

void GridClipboard::redrawCells(const Marks& marks) {
    for (const auto& [rowIndex, fields] : marks) {
        for (FieldIndex field : fields) rows_.reloadRowsTableViewRowIndex(rowIndex, field);
    }
}

void GridClipboard::redrawPasteDestinations() {
    redrawCells(window_.state().selection.pasteDestinationCells);
}

void GridClipboard::endPaste() {
    window_.state().assertConsistent();
    Marks marks;
    marks.swap(window_.state().selection.pasteDestinationCells);
    redrawCells(marks);
}

void GridClipboard::showAddedRows() const {
    rows_.resetTableSelections();
}
