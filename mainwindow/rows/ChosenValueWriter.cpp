#include "mainwindow/rows/ChosenValueWriter.h"

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/CellWriter.h"
#include "mainwindow/rows/RowsConsole.h"

bool ChosenValueWriter::updateFieldValue(const std::string& value, const std::string& tableName,
                                         RowIndex rowIndex, FieldIndex field) {
    CellWriter writer(window_);
    std::optional<CellTarget> target = writer.targetOfLoadedCell(rowIndex, field);
    if (!target) return false;
    target->table = tableName;
    return writer.write(*target, DBValue(value), {}).written();
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
