// What the grid's cells show and how they are highlighted: display texts of stored values, the
// highlight questions of the cell views, backgrounds, redraw of cells, rows and columns, and
// column size-to-fit.
#include <QApplication>
#include <QFontMetrics>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

#include <algorithm>

#include "Common/DBInterface.h"
#include "Common/DecimalText.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/CellTags.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr double kMinimumFitWidth = 40;
constexpr double kFitPadding = 6;
constexpr int kFitFontSize = 13;

std::string trimmedOfSpacesAndTabs(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string TablesAndRowsController::formattedFieldValueObject(
    const DBValue& value, int64_t fieldIndexP1, int fieldType,
    const std::string& fieldLookupTable) const {
    const std::string text = value.value_or(std::string());
    const std::string trimmed = trimmedOfSpacesAndTabs(text);
    const int64_t position = fieldIndexP1 - 1;
    switch (fieldType) {
        case DBInterface::kFieldTypeText: {
            auto table = lookupTableDictionary.find(fieldLookupTable);
            if (table == lookupTableDictionary.end()) return text;
            auto entry = table->second.find(text);
            return entry != table->second.end() ? entry->second : text;
        }
        case DBInterface::kFieldTypeNumber: {
            auto own = fieldNumberFormatters.find(position);
            const std::optional<NumberFormatter>& formatter =
                own != fieldNumberFormatters.end() ? own->second : displayNumberFormatter;
            if (!formatter || trimmed.empty()) return text;
            std::optional<double> number = DBInterface::numberFromDatabaseString(trimmed);
            return number ? formatter->stringFromNumber(*number) : text;
        }
        case DBInterface::kFieldTypeDate:
        case DBInterface::kFieldTypeTime: {
            if (trimmed.empty()) return text;
            bool date = fieldType == DBInterface::kFieldTypeDate;
            std::optional<Date> moment = DBInterface::dateFromDatabaseString(
                trimmed, date ? &defaultDBDateFormatter : &defaultDBTimeFormatter,
                date ? &alternateDBDateFormatter : &alternateDBTimeFormatter);
            if (!moment) return text;
            auto own = fieldDateFormatters.find(position);
            const DateFormatter& formatter = own != fieldDateFormatters.end() ? own->second
                                             : date                           ? displayDateFormatter
                                                    : displayTimeFormatter;
            return formatter.stringFromDate(*moment);
        }
        default:
            return text;
    }
}

int TablesAndRowsController::fieldTypeAtFieldIndexP1(int64_t fieldIndex) const {
    if (fieldIndex < 1 || fieldIndex > static_cast<int64_t>(fieldTypes.size())) return 0;
    return fieldTypes[static_cast<size_t>(fieldIndex - 1)];
}

std::string TablesAndRowsController::fieldLookupTableAtFieldIndexP1(int64_t fieldIndex) const {
    if (fieldIndex < 1 || fieldIndex > static_cast<int64_t>(fieldLookupTables.size())) return {};
    return fieldLookupTables[static_cast<size_t>(fieldIndex - 1)];
}

bool TablesAndRowsController::isFocusedCellForTextFieldTag(int64_t textFieldTag,
                                                           int64_t imageViewTag) const {
    return focusedRowIndex == imageViewTag - kCellTagBase &&
           focusedFieldIndex == textFieldTag - kCellTagBase;
}

bool TablesAndRowsController::highlightFocusedCellForTextFieldTag(int64_t textFieldTag,
                                                                  int64_t imageViewTag) const {
    return isFocusedCellForTextFieldTag(textFieldTag, imageViewTag);
}

bool TablesAndRowsController::highlightSelectedCellForTextFieldTag(int64_t textFieldTag,
                                                                   int64_t imageViewTag) const {
    int64_t fieldIndex = textFieldTag - kCellTagBase;
    auto row = mySelectedCells.find(imageViewTag - kCellTagBase);
    return (row != mySelectedCells.end() && row->second.count(fieldIndex)) ||
           mySelectedFieldIndexes.count(fieldIndex);
}

bool TablesAndRowsController::highlightSelectedRowForTextFieldTag(int64_t,
                                                                  int64_t imageViewTag) const {
    return mySelectedRowIndexes.count(imageViewTag - kCellTagBase) > 0;
}

bool TablesAndRowsController::highlightRowNumberCellForTextFieldTag(int64_t textFieldTag,
                                                                    int64_t imageViewTag) const {
    return textFieldTag == -1 && highlightSelectedRowForTextFieldTag(textFieldTag, imageViewTag);
}

bool TablesAndRowsController::highlightPasteDestinationCellForTextFieldTag(
    int64_t textFieldTag, int64_t imageViewTag) const {
    auto row = pasteDestinationCells.find(imageViewTag - kCellTagBase);
    return row != pasteDestinationCells.end() && row->second.count(textFieldTag - kCellTagBase);
}

double TablesAndRowsController::lastColumnPosition() const {
    if (!rowsTableView_ || rowsTableView_->numberOfColumns() < 1) return 0;
    int last = rowsTableView_->numberOfColumns() - 1;
    return rowsTableView_->columnViewportPosition(last) + rowsTableView_->columnWidth(last);
}

double TablesAndRowsController::lastRowPosition() const {
    if (!rowsTableView_ || rowsTableView_->numberOfRows() < 1) return 0;
    int last = rowsTableView_->numberOfRows() - 1;
    return rowsTableView_->rowViewportPosition(last) + rowsTableView_->rowHeight();
}

QColor TablesAndRowsController::spreadsheetTableRowViewBackgroundColor(QWidget*) const {
    return RowsTableView::backgroundColor();
}

double TablesAndRowsController::tableViewSizeToFitWidthOfColumn(int64_t column) const {
    double width = kMinimumFitWidth;
    if (!rowsTableView_ || rowsTableView_->numberOfRows() < 1) return width;
    int64_t fieldIndex = fieldIndexFromTableViewColumn(column, 0);
    QFont font = QApplication::font();
    font.setPointSize(kFitFontSize);
    QFontMetrics metrics(font);
    for (int row = 0; row < rowsTableView_->numberOfRows(); ++row) {
        QString text = toQString(fieldValueForTableViewRowIndex(row, fieldIndex));
        width = std::max(width, metrics.horizontalAdvance(text) + kFitPadding);
    }
    return width;
}

void TablesAndRowsController::reloadRowsTableViewRow(int64_t row, int64_t column) {
    if (!rowsTableView_ || row < 0 || column < 0 || row >= rowsTableView_->numberOfRows() ||
        column >= rowsTableView_->numberOfColumns()) {
        return;
    }
    rowsTableModel_->cellsChanged(int(row), int(row), int(column), int(column));
}

void TablesAndRowsController::reloadRowsTableViewRowIndex(int64_t rowIndex, int64_t fieldIndex) {
    reloadRowsTableViewRow(tableViewRowFromRowIndex(rowIndex),
                           tableViewColumnFromFieldIndex(fieldIndex));
}

void TablesAndRowsController::reloadRowsTableViewRow(int64_t row) {
    if (!rowsTableView_ || row < 0 || row >= rowsTableView_->numberOfRows()) return;
    rowsTableModel_->cellsChanged(int(row), int(row), 0, rowsTableView_->numberOfColumns() - 1);
}

void TablesAndRowsController::reloadRowsTableViewRowIndex(int64_t rowIndex) {
    reloadRowsTableViewRow(tableViewRowFromRowIndex(rowIndex));
}

void TablesAndRowsController::reloadRowsTableViewRowIndexes(int64_t first, int64_t last) {
    if (!rowsTableView_) return;
    // Clipped to the rows on screen first, so a long span costs no more than a short one.
    int64_t from = std::max<int64_t>(tableViewRowFromRowIndex(first), 0);
    int64_t to =
        std::min<int64_t>(tableViewRowFromRowIndex(last), rowsTableView_->numberOfRows() - 1);
    if (from > to) return;
    rowsTableModel_->cellsChanged(int(from), int(to), 0, rowsTableView_->numberOfColumns() - 1);
}

void TablesAndRowsController::reloadRowsTableViewColumn(int64_t column) {
    if (!rowsTableView_ || column < 0 || column >= rowsTableView_->numberOfColumns()) return;
    rowsTableModel_->cellsChanged(0, rowsTableView_->numberOfRows() - 1, int(column), int(column));
}

void TablesAndRowsController::reloadDataForRowIndexes(const std::set<int64_t>& rows,
                                                      const std::set<int64_t>& columns) {
    for (int64_t row : rows) {
        for (int64_t column : columns) reloadRowsTableViewRow(row, column);
    }
}

void TablesAndRowsController::updateMoreFieldsButton() {
    QMenu* menu = rowsViewMoreFieldsPopUpButton_->menu();
    menu->clear();
    bool tableOrView = selectedTableNameIfOnlyOne() && (tableType == DBInterface::kSchemaTable ||
                                                        tableType == DBInterface::kSchemaView);
    rowsViewMoreFieldsPopUpButton_->setEnabled(tableOrView);
    if (!tableOrView) return;
    for (size_t position = 0; position < fieldNames.size(); ++position) {
        auto fieldIndex = static_cast<int64_t>(position) + 1;
        menu->addAction(toQString(fieldNames[position]), this,
                        [this, fieldIndex] { changeFirstFieldFieldIndexToShow(fieldIndex); });
    }
}

void TablesAndRowsController::changeFirstFieldFieldIndexToShow(int64_t fieldIndex) {
    std::optional<std::string> table = selectedTableNameIfOnlyOne();
    if (!table || totalRows < 1 || fieldIndex < 1 || fieldIndex >= numberOfFieldsPerRow) return;
    rowsTableView_->endEditing();
    if (focusedRowIndex >= 0 && focusedFieldIndex >= 0) {
        if (firstFieldIndexInDataPort == fieldIndex) return;
        firstFieldIndexInDataPort = fieldIndex;
        focusedFieldIndex = fieldIndex;
        layOutGridColumns();
    } else if (rowsTableView_->numberOfRows() >= 1 && rowsTableView_->numberOfColumns() >= 2) {
        focusedFieldIndex = fieldIndex;
        reloadRowsTableViewRowIndex(focusedRowIndex, fieldIndex);
        updateRowsViewScrollBars();
    }
}
