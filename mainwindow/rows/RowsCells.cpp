// What the grid's cells show: display texts of stored values, backgrounds, redraw of cells, rows
// and columns, column size-to-fit and the first-field menu.
#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <vector>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/FieldDisplayText.h"
#include "mainwindow/HeldValues.h"
#include "mainwindow/rows/RowsConsole.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr double kMinimumFitWidth = 40;
constexpr double kFitPadding = 6;
constexpr int kFitFontSize = 13;

}  // namespace

std::string RowsConsole::displayTextOfFieldValue(const std::string& value, FieldIndex field) const {
    // A long value is no number or date: its first characters are all a cell can show.
    std::string held;
    std::string_view text = heldTextOfValue(value, &held);
    if (text.size() != value.size()) return std::string(text);
    if (!state_.display.formatDataInRowsConsole) return value;
    return formattedFieldValueObject(state_, value, field);
}

bool RowsConsole::isNumberField(FieldIndex field) const {
    return state_.fieldModel.fieldTypeAtFieldIndexP1(field) == DBInterface::kFieldTypeNumber;
}

std::optional<std::string> RowsConsole::nullPlaceholder() const {
    if (!state_.display.showNULLInRowsView) return std::nullopt;
    return state_.display.displayStringForNULLValue;
}

double RowsConsole::lastColumnPosition() const {
    if (numberOfColumns() < 1) return 0;
    int last = numberOfColumns() - 1;
    return rowsTableView_->columnViewportPosition(last) + rowsTableView_->columnWidth(last);
}

double RowsConsole::lastRowPosition() const {
    if (numberOfRows() < 1) return 0;
    int last = numberOfRows() - 1;
    return rowsTableView_->rowViewportPosition(last) + rowsTableView_->rowHeight();
}

QColor RowsConsole::spreadsheetTableRowViewBackgroundColor(QWidget*) const {
    return RowsTableView::backgroundColor();
}

double RowsConsole::tableViewSizeToFitWidthOfColumn(GridColumn column) const {
    double width = kMinimumFitWidth;
    if (numberOfRows() < 1) return width;
    FieldIndex field = fieldIndexFromTableViewColumn(column, GridRow(0));
    QFont font = QApplication::font();
    font.setPointSize(kFitFontSize);
    QFontMetrics metrics(font);
    for (GridRow row(0); row.value < numberOfRows(); ++row) {
        std::string held;
        QString text =
            toQString(heldTextOfValue(dataPort_.fieldValueForTableViewRowIndex(row, field), &held));
        width = std::max(width, metrics.horizontalAdvance(text) + kFitPadding);
    }
    return width;
}

void RowsConsole::reloadRowsTableViewRow(GridRow row, GridColumn column) {
    if (row.isNone() || column.isNone() || row.value >= numberOfRows() ||
        column.value >= numberOfColumns()) {
        return;
    }
    rowsTableModel_->cellsChanged(int(row.value), int(row.value), int(column.value),
                                  int(column.value));
}

void RowsConsole::pageWasWritten() {
    const LoadedPage& page = state_.dataPort.page;
    auto rowids = [&page] {
        std::vector<DBValue> ids;
        for (RowIndex row = page.firstRow(); page.holds(row); ++row)
            ids.push_back(*page.rowid(row));
        return ids;
    };
    const std::vector<DBValue> before = rowids();
    const std::optional<std::string> focused = focusedRowid();
    // Generated columns and triggers may have changed other cells of the row, or other rows: the
    // page is read back. Redrawn in place, it keeps the selection, the scroll position and an
    // editor still closing. The focus stays on its row where the sort now puts it, so that the key
    // that ended an edit moves on from there; a row that left the search takes no next edit.
    bool moved = false;
    bool left = false;
    selection_->keepShownRowsAcross([&] {
        reloadFieldValues();
        moved = rowids() != before;
        left = moved && focused && !followRow(*focused);
    });
    if (left) editor_->editedRowLeft();
    rowsTableModel_->cellsChanged(0, numberOfRows() - 1, 0, numberOfColumns() - 1);
    // A row that left the search or moved in the sort shifts the rows after it, and the count may
    // be off: both are taken again once the write's event has ended.
    if (moved) QTimer::singleShot(0, this, [this] { reloadRowsKeepingPort(); });
}

void RowsConsole::reloadRowsTableViewRowIndex(RowIndex rowIndex, FieldIndex field) {
    reloadRowsTableViewRow(dataPort_.tableViewRowFromRowIndex(rowIndex),
                           dataPort_.tableViewColumnFromFieldIndex(field));
}

void RowsConsole::reloadRowsTableViewRow(GridRow row) {
    if (row.isNone() || row.value >= numberOfRows()) return;
    rowsTableModel_->cellsChanged(int(row.value), int(row.value), 0, numberOfColumns() - 1);
}

void RowsConsole::reloadRowsTableViewRowIndex(RowIndex rowIndex) {
    reloadRowsTableViewRow(dataPort_.tableViewRowFromRowIndex(rowIndex));
}

void RowsConsole::reloadRowsTableViewRowIndexes(RowIndex first, RowIndex last) {
    // Clipped to the rows on screen first, so a long span costs no more than a short one.
    int64_t from = std::max<int64_t>(dataPort_.tableViewRowFromRowIndex(first).value, 0);
    int64_t to =
        std::min<int64_t>(dataPort_.tableViewRowFromRowIndex(last).value, numberOfRows() - 1);
    if (from > to) return;
    rowsTableModel_->cellsChanged(int(from), int(to), 0, numberOfColumns() - 1);
}

void RowsConsole::reloadRowsTableViewColumn(GridColumn column) {
    if (column.isNone() || column.value >= numberOfColumns()) return;
    rowsTableModel_->cellsChanged(0, numberOfRows() - 1, int(column.value), int(column.value));
}

void RowsConsole::reloadDataForRowIndexes(const std::set<GridRow>& rows,
                                          const std::set<GridColumn>& columns) {
    for (GridRow row : rows) {
        for (GridColumn column : columns) reloadRowsTableViewRow(row, column);
    }
}

void RowsConsole::updateMoreFieldsButton() {
    QMenu* menu = rowsViewMoreFieldsPopUpButton_->menu();
    menu->clear();
    int32_t tableType = state_.selectedObject.tableType;
    bool tableOrView =
        window_.selectedTableNameIfOnlyOne() &&
        (tableType == DBInterface::kSchemaTable || tableType == DBInterface::kSchemaView);
    rowsViewMoreFieldsPopUpButton_->setEnabled(tableOrView);
    if (!tableOrView) return;
    const auto& names = state_.fieldModel.fieldNames;
    for (FieldPosition position(0); position.value < static_cast<int64_t>(names.size());
         ++position) {
        FieldIndex field = fieldAtPosition(position);
        menu->addAction(toQString(names[static_cast<size_t>(position.value)]), this,
                        [this, field] { changeFirstFieldFieldIndexToShow(field); });
    }
}

void RowsConsole::changeFirstFieldFieldIndexToShow(FieldIndex field) {
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || port.totalRows < 1 || field.value < 1 ||
        field.value >= port.numberOfFieldsPerRow) {
        return;
    }
    rowsTableView_->endEditing();
    if (!selection.focusedRowIndex.isNone() && !selection.focusedFieldIndex.isNone()) {
        if (port.firstFieldIndexInDataPort == field) return;
        port.firstFieldIndexInDataPort = field;
        selection.focusedFieldIndex = field;
        layOutGridColumns();
    } else if (numberOfRows() >= 1 && numberOfColumns() >= 2) {
        selection.focusedFieldIndex = field;
        reloadRowsTableViewRowIndex(selection.focusedRowIndex, field);
        updateRowsViewScrollBars();
    }
}
