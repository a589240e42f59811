#include "mainwindow/rows/GridClipboard.h"

#include <algorithm>
#include <map>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/HeldValues.h"
#include "mainwindow/rows/RowsConsole.h"

bool GridClipboard::isGridShown() const {
    return window_.state().selectedConsoleIndex == TablesAndRowsState::RowsConsole &&
           rows_.isRowsTableViewFirstResponder();
}

bool GridClipboard::isEditable() const {
    return rows_.isSelectedTableUpdateCapable();
}

void GridClipboard::readRows(const std::vector<RowIndex>& rowIndexes, const FieldIndexSet* fields,
                             int64_t rowLimit, std::vector<TakenRow>* rows) {
    const int64_t fieldsPerRow = window_.state().dataPort.numberOfFieldsPerRow;
    const int64_t wanted = std::min<int64_t>(std::ssize(rowIndexes), rowLimit);
    int64_t loaded = 0;
    for (size_t i = 0; i < rowIndexes.size() && loaded < wanted;) {
        size_t end = i + 1;
        while (end < rowIndexes.size() && rowIndexes[end] == rowIndexes[end - 1] + 1) ++end;
        int64_t count = std::min<int64_t>(static_cast<int64_t>(end - i), wanted - loaded);
        std::vector<DBValue> values;
        std::string error;
        if (rows_.dataPort().loadFieldValues(&values, rowIndexes[i], count, false, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
            break;
        }
        for (size_t at = 0; at + static_cast<size_t>(fieldsPerRow) <= values.size();
             at += static_cast<size_t>(fieldsPerRow)) {
            TakenRow row{values[at].value_or(""), {}};
            for (FieldIndex field = kFirstFieldIndex; field.value < fieldsPerRow; ++field) {
                if (!fields || fields->count(field)) {
                    row.values.emplace_back(field, values[at + static_cast<size_t>(field.value)]);
                }
            }
            rows->push_back(std::move(row));
        }
        loaded += count;
        i = end;
    }
}

std::optional<GridClipboard::Selection> GridClipboard::readSelection(int64_t rowLimit) {
    const TablesAndRowsState& state = window_.state();
    const auto& selection = state.selection;
    const RowsDataPort& port = rows_.dataPort();
    Selection taken;
    if (!selection.mySelectedFieldIndexes.empty()) {
        taken.taken = Taken::Fields;
        std::vector<RowIndex> rowIndexes;
        for (RowIndex row(0); row.value < std::min(state.dataPort.totalRows, rowLimit); ++row) {
            rowIndexes.push_back(row);
        }
        readRows(rowIndexes, &selection.mySelectedFieldIndexes, rowLimit, &taken.rows);
        taken.fields.assign(selection.mySelectedFieldIndexes.begin(),
                            selection.mySelectedFieldIndexes.end());
        return taken;
    }
    if (!selection.mySelectedRowIndexes.empty()) {
        taken.taken = Taken::Rows;
        std::vector<RowIndex> rowIndexes(selection.mySelectedRowIndexes.begin(),
                                         selection.mySelectedRowIndexes.end());
        readRows(rowIndexes, nullptr, rowLimit, &taken.rows);
        for (FieldIndex field = kFirstFieldIndex; field <= state.dataPort.lastFieldIndex();
             ++field) {
            taken.fields.push_back(field);
        }
        return taken;
    }
    const bool focused =
        !selection.focusedRowIndex.isNone() && !selection.focusedFieldIndex.isNone();
    if (!focused && selection.mySelectedCells.empty()) return std::nullopt;
    std::map<RowIndex, std::map<FieldIndex, DBValue>> cells = selection.mySelectedCells;
    if (focused) {
        GridRow row = port.tableViewRowFromRowIndex(selection.focusedRowIndex);
        const DBValue* value =
            port.fieldValueObjectForTableViewRowIndex(row, selection.focusedFieldIndex);
        if (value) cells[selection.focusedRowIndex][selection.focusedFieldIndex] = *value;
    }
    for (const auto& [rowIndex, fields] : cells) {
        // The rowid, for a cut: from the loaded page, else read alone.
        const DBValue* rowid = port.fieldValueObjectForTableViewRowIndex(
            port.tableViewRowFromRowIndex(rowIndex), kRowidFieldIndex);
        std::vector<DBValue> values;
        std::string error;
        if (!rowid && rows_.dataPort().loadFieldValues(&values, rowIndex, 1, false, &error) == 0 &&
            !values.empty()) {
            rowid = &values[0];
        }
        taken.rows.push_back(
            {rowid ? rowid->value_or("") : std::string(), {fields.begin(), fields.end()}});
        // The page holds only the first part of a long value; a copy takes all of it.
        for (auto& [field, value] : taken.rows.back().values) {
            std::string readError;
            if (isCutValue(value) &&
                rows_.dataPort().readWholeValue(rowIndex, taken.rows.back().rowid, field, &value,
                                                &readError) != 0) {
                window_.showErrorAlert(readError, window_.window());
                return std::nullopt;
            }
        }
    }
    return taken;
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
    Marks marks;
    marks.swap(window_.state().selection.pasteDestinationCells);
    redrawCells(marks);
}

void GridClipboard::showAddedRows() const {
    rows_.resetTableSelections();
}
