// In-place editing of grid cells: which cells may be edited, what the editor starts with, the
// keys inside an edited cell, and writing the edited value to its row.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/CellTags.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/QtStrings.h"

bool TablesAndRowsController::isSelectedTableUpdateCapable() const {
    return selectedTableNameIfOnlyOne() && selectedObjectStatus == DBInterface::kObjectEditable;
}

bool TablesAndRowsController::editableFocusedCell(int64_t* row, int64_t* column) const {
    if (!isSelectedTableUpdateCapable() || !rowsTableView_ ||
        rowsTableView_->numberOfColumns() < 2 || focusedRowIndex < 0 || focusedFieldIndex < 0) {
        return false;
    }
    *row = tableViewRowFromRowIndex(focusedRowIndex);
    *column = tableViewColumnFromFieldIndex(focusedFieldIndex);
    if (*row < 0 || *column < 0) return false;
    // Raw values are never edited in place; a cell off the grid is not edited at all.
    int64_t fieldIndex = fieldIndexFromTableViewColumn(*column, *row);
    return fieldIndex >= 0 && fieldTypeAtFieldIndexP1(fieldIndex) != DBInterface::kFieldTypeRaw;
}

std::optional<TablesAndRowsController::EditTarget> TablesAndRowsController::editTargetOfCell(
    int64_t row, int64_t column) const {
    std::optional<std::string> table = selectedTableNameIfOnlyOne();
    int64_t fieldIndex = fieldIndexFromTableViewColumn(column, row);
    if (!table || !databaseFilePath_ || fieldIndex < 1 ||
        fieldIndex > static_cast<int64_t>(fieldNames.size())) {
        return std::nullopt;
    }
    const DBValue* loaded = fieldValueObjectForTableViewRowIndex(row, fieldIndex);
    const DBValue* rowid = fieldValueObjectForTableViewRowIndex(row, 0);
    if (!loaded || !rowid || !*rowid) return std::nullopt;
    return EditTarget{*databaseFilePath_,
                      *table,
                      fieldNames[static_cast<size_t>(fieldIndex - 1)],
                      **rowid,
                      *loaded,
                      rowIndexFromTableViewRow(row),
                      fieldIndex};
}

void TablesAndRowsController::beginEditingCell(int64_t row, int64_t column) {
    // A previous edit still open is ended first, so that it is written to its own target.
    rowsTableView_->endEditing();
    editTarget_ = editTargetOfCell(row, column);
    if (!editTarget_) return;
    rowsTableView_->setFocus();
    rowsTableView_->editCell(static_cast<int>(row), static_cast<int>(column));
}

void TablesAndRowsController::rowsTableViewReturnKeyPressed() {
    startEditingFocusedCellThread();
}

void TablesAndRowsController::startEditingFocusedCellThread() {
    int64_t row = -1, column = -1;
    if (editableFocusedCell(&row, &column)) beginEditingCell(row, column);
}

void TablesAndRowsController::rowsTableDoubleClickOnRow(QPoint point) {
    if (QApplication::keyboardModifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
        return;
    }
    int64_t row = rowsTableView_->rowAt(point.y());
    if (row < 0 || !isSelectedTableUpdateCapable()) return;
    int64_t column = rowsTableView_->columnAt(point.x());
    selectRowsTableViewCellAtRow(row, column, true);
    int64_t fieldIndex = fieldIndexFromTableViewColumn(column, row);
    if (fieldIndex >= 0 && fieldTypeAtFieldIndexP1(fieldIndex) != DBInterface::kFieldTypeRaw) {
        beginEditingCell(row, column);
    }
}

bool TablesAndRowsController::controlTextViewDoCommandBySelector(QLineEdit* control,
                                                                 TextCommand command) {
    int64_t tag = SpreadsheetTableCellView::textFieldTag(control);
    if (tag < kCellTagBase || tag > kCellTagLast || !selectedTableNameIfOnlyOne() ||
        totalRows < 1) {
        return false;
    }
    if (command == TextCommand::Cancel) editTarget_.reset();
    if (command == TextCommand::Cancel || command == TextCommand::InsertNewline) return false;
    moveFocusForEditing(command);
    // After the current edit has fully ended; the next one passes the same checks as Return.
    QTimer::singleShot(0, this, [this] { startEditingFocusedCellThread(); });
    return false;
}

void TablesAndRowsController::moveFocusForEditing(TextCommand command) {
    int64_t rowIndex = focusedRowIndex, fieldIndex = focusedFieldIndex;
    int64_t lastField = numberOfFieldsPerRow - 1;
    switch (command) {
        case TextCommand::MoveUp:
            rowIndex = std::max<int64_t>(0, rowIndex - 1);
            break;
        case TextCommand::MoveDown:
            rowIndex = std::min(totalRows - 1, rowIndex + 1);
            break;
        case TextCommand::InsertTab:
            if (fieldIndex < lastField) {
                fieldIndex = nextFieldIndexInViewport(fieldIndex);
            } else if (rowIndex < totalRows - 1) {
                ++rowIndex;
                fieldIndex = 1;
            }
            break;
        case TextCommand::InsertBacktab:
            if (fieldIndex > 1) {
                --fieldIndex;
            } else if (rowIndex >= 1) {
                --rowIndex;
                fieldIndex = lastField;
            }
            break;
        default:
            return;
    }
    focusCellShowingIt(rowIndex, fieldIndex);
}

void TablesAndRowsController::focusCellShowingIt(int64_t rowIndex, int64_t fieldIndex) {
    if (rowIndex < 0 || rowIndex >= totalRows || fieldIndex < 1) return;
    int64_t oldRowIndex = focusedRowIndex, oldFieldIndex = focusedFieldIndex;
    focusedRowIndex = rowIndex;
    focusedFieldIndex = fieldIndex;
    int64_t rows = numberOfDataPortRows();
    int64_t firstRow = firstRowIndexInDataPort;
    if (rowIndex < firstRow) firstRow = rowIndex;
    if (rowIndex >= firstRow + rows) firstRow = rowIndex - rows + 1;
    int64_t column = tableViewColumnFromFieldIndex(fieldIndex);
    bool fieldsMove = column < 1 || column >= rowsTableView_->numberOfColumns();
    if (fieldsMove) {
        firstFieldIndexInDataPort = fieldIndex;
        updateRowsTableViewColumnsAndHeaders();
        updateRowsTableViewColumnWidths(selectedTableNameIfOnlyOne());
    }
    if (firstRow != firstRowIndexInDataPort || fieldsMove) {
        firstRowIndexInDataPort = firstRow;
        reloadFieldValues();
        rowsTableModel_->reload();
        updateRowsViewScrollBars();
        return;
    }
    reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
    reloadRowsTableViewRowIndex(rowIndex, fieldIndex);
}

void TablesAndRowsController::controlTextDidEndEditing(QLineEdit* control) {
    int64_t tag = SpreadsheetTableCellView::textFieldTag(control);
    std::optional<EditTarget> target = std::move(editTarget_);
    editTarget_.reset();
    if (tag < kCellTagBase || tag > kCellTagLast || !target ||
        target->fieldIndex != tag - kCellTagBase ||
        target->rowIndex != SpreadsheetTableCellView::imageViewTag(control) - kCellTagBase) {
        return;
    }
    std::string text = toStdString(control->text());
    // An untouched NULL stays NULL: its placeholder is never the text.
    bool changed = target->loaded ? *target->loaded != text : !text.empty();
    if (!changed) return;
    std::string error;
    if (DBInterface::updateField(DBInterface::FieldValue(text), target->table, target->fieldName,
                                 target->rowid, target->databaseFilePath, &error) != 0) {
        showErrorAlert(error, tablesList_->window());
        // The cell shows the loaded value again, NULL included.
        reloadRowsTableViewRowIndex(target->rowIndex, target->fieldIndex);
        return;
    }
    // The page shown takes the new value only when it still holds the edited row.
    int64_t row = tableViewRowFromRowIndex(target->rowIndex);
    const DBValue* rowid = fieldValueObjectForTableViewRowIndex(row, 0);
    if (databaseFilePath_ == target->databaseFilePath &&
        selectedTableNameIfOnlyOne() == target->table && rowid && *rowid == target->rowid &&
        fieldValueObjectForTableViewRowIndex(row, target->fieldIndex)) {
        fieldValuesLoaded[static_cast<size_t>(row * numberOfFieldsPerRow + target->fieldIndex)] =
            text;
        reloadRowsTableViewRowIndex(target->rowIndex, target->fieldIndex);
    }
    if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
        appDelegate_->reloadSelectedDatabaseObjectInVisibleWindowsExcept(window());
    }
}
