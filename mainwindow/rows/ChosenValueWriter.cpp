#include "mainwindow/rows/ChosenValueWriter.h"

#include "Common/RowWriting.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/rows/RowsConsole.h"
#include "mainwindow/rows/RowsDataPort.h"

bool ChosenValueWriter::updateFieldValue(const std::string& value, const std::string& tableName,
                                         RowIndex rowIndex, FieldIndex field) {
    TablesAndRowsState& state = window_.state();
    if (rowIndex.isNone() || field.isNone() || field == kRowidFieldIndex) return false;
    if (positionOfField(field).value >= state.fieldModel.numberOfFields()) return false;
    RowsDataPort& port = rows_.dataPort();
    GridRow row = port.tableViewRowFromRowIndex(rowIndex);
    DBValue* rowid = port.loadedValue(row, kRowidFieldIndex);
    DBValue* loaded = port.loadedValue(row, field);
    if (!rowid || !*rowid || !loaded || !state.databaseFilePath) return false;
    std::string error;
    const std::string& fieldName =
        state.fieldModel.fieldNames[static_cast<size_t>(positionOfField(field).value)];
    DBValue stored;
    std::string rowidAfter = **rowid;
    int rc = DBInterface::updateField(DBInterface::FieldValue(value), tableName, fieldName, **rowid,
                                      &stored, &rowidAfter, *state.databaseFilePath, &error);
    if (rc == DBInterface::kRowGone) {
        window_.rowNoLongerExists(nullptr);
        return false;
    }
    if (rc != 0) {
        window_.shell().showErrorAlert(error);
        return false;
    }
    *loaded = stored;
    *rowid = rowidAfter;  // a new INTEGER PRIMARY KEY moved the row
    rows_.reloadRowsTableViewRowIndex(rowIndex, field);
    return true;
}

bool ChosenValueWriter::updateFocusedCell(const std::string& value) {
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    const TablesAndRowsState::GridSelection& selection = window_.state().selection;
    if (!table || selection.focusedRowIndex.isNone() || selection.focusedFieldIndex.isNone() ||
        !rows_.isSelectedTableUpdateCapable()) {
        return false;
    }
    return updateFieldValue(value, *table, selection.focusedRowIndex, selection.focusedFieldIndex);
}
