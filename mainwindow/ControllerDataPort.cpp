// The data port: the rows of the selected object under its search are counted, and only the
// rows that fit in the grid are read, one LIMIT/OFFSET page at a time (a limited object's first
// rows are read once per reload and paged from memory).
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "Common/DBInterface.h"
#include "Common/SQLQuote.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/QtStrings.h"

namespace {
constexpr size_t kLimitedCacheCapacity = 20000;

// Appends a page of rows laid out flat. Rows of another width than the field model (a field
// added or dropped elsewhere) would shift every value into the wrong field and row, rowid
// included, so such a page is refused whole.
int appendPage(std::vector<DBValue>* destination, const std::string& query, int64_t limit,
               int64_t offset, int64_t fieldsPerRow, const std::string& databaseFilePath,
               std::string* error) {
    std::vector<DBRow> rows;
    int rc =
        DBInterface::getArrayOfRows(&rows, query, true, limit, offset, databaseFilePath, error);
    if (rc != 0) return rc;
    for (const DBRow& row : rows) {
        if (static_cast<int64_t>(row.size()) != fieldsPerRow) {
            appendError(error, localizedString("The fields of the table have changed. Reload "
                                               "the table to see its rows."));
            return -1;
        }
    }
    for (DBRow& row : rows) {
        destination->insert(destination->end(), std::make_move_iterator(row.begin()),
                            std::make_move_iterator(row.end()));
    }
    return 0;
}
}  // namespace

std::string TablesAndRowsController::countStatementForLimitedObject(const std::string& name) const {
    // The cap is inside the statement, so a large limited object is never counted in full.
    std::string rows = "select 1 from " + quoteIdentifier(name);
    std::vector<std::string> searchNames;
    for (int64_t index : searchFieldIndexes) {
        if (index >= 0 && index < static_cast<int64_t>(fieldNames.size())) {
            searchNames.push_back(fieldNames[static_cast<size_t>(index)]);
        }
    }
    if (likeString && !likeString->empty() && !searchNames.empty()) {
        rows += " where " + DBInterface::whereExpressionForLikeString(*likeString, searchNames);
    }
    return "select count(*) from (" + rows + " limit " + std::to_string(kLimitedRows) + ")";
}

void TablesAndRowsController::calculateTotalRows() {
    std::optional<std::string> name = selectedTableNameIfOnlyOne();
    if (!name || !databaseFilePath_) {
        totalRows = 0;
        return;
    }
    std::string error;
    int64_t count = selectedObjectStatus == DBInterface::kObjectLimited
                        ? DBInterface::getNumberWithQueryString(
                              countStatementForLimitedObject(*name), *databaseFilePath_, &error)
                        : DBInterface::calculateTotalRowsForTable(
                              *name, likeString.value_or(std::string()), searchFieldIndexes,
                              *databaseFilePath_, &error);
    if (count < 0) {
        showErrorAlert(error, window());
        totalRows = 0;
        return;
    }
    totalRows = count;
}

bool TablesAndRowsController::loadFieldValues(std::vector<DBValue>* destination,
                                              int64_t firstRowIndex, int64_t limit,
                                              bool reloadCachedValues) {
    std::optional<std::string> name = selectedTableNameIfOnlyOne();
    if (!name || !databaseFilePath_) return false;
    bool noROWID = selectedObjectStatus == DBInterface::kObjectReadOnlyPaged ||
                   selectedObjectStatus == DBInterface::kObjectLimited;
    std::string query;
    std::string error;
    if (DBInterface::getQueryString(&query, *name, likeString.value_or(std::string()), sortCodes,
                                    sortByROWIDCode, searchFieldIndexes, noROWID,
                                    *databaseFilePath_, &error) != 0) {
        showErrorAlert(error, window());
        return false;
    }
    switch (selectedObjectStatus) {
        case DBInterface::kObjectEditable:
        case DBInterface::kObjectReadOnlyPaged:
            if (appendPage(destination, query, limit, firstRowIndex, numberOfFieldsPerRow,
                           *databaseFilePath_, &error) != 0) {
                showErrorAlert(error, window());
                return false;
            }
            return true;
        case DBInterface::kObjectLimited: {
            if (numberOfFieldsPerRow < 1) return false;
            if (reloadCachedValues) {
                limitedFieldValuesLoaded.clear();
                limitedFieldValuesLoaded.reserve(kLimitedCacheCapacity);
                if (appendPage(&limitedFieldValuesLoaded, query, kLimitedRows, 0,
                               numberOfFieldsPerRow, *databaseFilePath_, &error) != 0) {
                    showErrorAlert(error, window());
                }
            }
            int64_t cachedRows =
                static_cast<int64_t>(limitedFieldValuesLoaded.size()) / numberOfFieldsPerRow;
            int64_t end = std::min(firstRowIndex + limit, cachedRows);
            if (firstRowIndex >= 0 && end > firstRowIndex) {
                auto from = limitedFieldValuesLoaded.begin() + firstRowIndex * numberOfFieldsPerRow;
                auto to = limitedFieldValuesLoaded.begin() + end * numberOfFieldsPerRow;
                destination->insert(destination->end(), from, to);
            }
            return false;
        }
        default:
            return false;
    }
}

void TablesAndRowsController::reloadFieldValues() {
    dataPortLoadPending_ = false;
    fieldValuesLoaded.clear();
    loadFieldValues(&fieldValuesLoaded, firstRowIndexInDataPort, numberOfDataPortRows(), false);
}

double TablesAndRowsController::verticalDataScrollerViewHeight() const {
    if (!rowsTableView_) return 1.0;
    return std::max(1.0, double(rowsTableView_->viewport()->height()));
}

int64_t TablesAndRowsController::numberOfDataPortRows() const {
    int rowHeight = rowsTableView_ ? std::max(rowsTableView_->rowHeight(), 1) : 1;
    return std::max<int64_t>(
        1, static_cast<int64_t>(std::trunc(verticalDataScrollerViewHeight() / rowHeight)));
}

// How many whole fields from startField fit beside the row-number column.
int64_t TablesAndRowsController::dataPortFieldsFrom(
    int64_t startField, const std::optional<std::string>& tableName) const {
    if (!rowsTableView_) return 0;
    double available = rowsTableView_->viewport()->width();
    double x = rowsTableView_->numberOfColumns() > 0 ? rowsTableView_->columnWidth(0) : 0;
    if (x >= available || startField < 0 || numberOfFieldsPerRow < 1) return 0;
    std::vector<double> widths = fieldWidthsForTable(tableName);
    int64_t count = 0;
    for (int64_t f = startField;
         f < numberOfFieldsPerRow && f < static_cast<int64_t>(widths.size()); ++f) {
        x += widths[static_cast<size_t>(f)];
        // A first field wider than the grid is still shown, cut off: it is the page's one field.
        if (x >= available) return std::max<int64_t>(count, 1);
        ++count;
    }
    return count;
}

int64_t TablesAndRowsController::numberOfDataPortFields() const {
    return dataPortFieldsFrom(firstFieldIndexInDataPort, selectedTableName());
}

int64_t TablesAndRowsController::numberOfDataPortFieldsInFirstPage() const {
    return dataPortFieldsFrom(1, selectedTableNameIfOnlyOne());
}

int64_t TablesAndRowsController::numberOfFieldsToShow() const {
    return std::max<int64_t>(
        0, std::min(numberOfFieldsPerRow - firstFieldIndexInDataPort, numberOfDataPortFields()));
}

int64_t TablesAndRowsController::totalNumberOfFieldsToShow() const {
    return std::max<int64_t>(numberOfFieldsPerRow, 1) - 1;
}

int64_t TablesAndRowsController::nextFieldIndexInViewport(int64_t fieldIndex) const {
    return fieldIndex + 1 < numberOfFieldsPerRow ? fieldIndex + 1 : 1;
}

int64_t TablesAndRowsController::tableViewRowFromRowIndex(int64_t rowIndex) const {
    return rowIndex - firstRowIndexInDataPort;
}

int64_t TablesAndRowsController::rowIndexFromTableViewRow(int64_t row) const {
    return firstRowIndexInDataPort + row;
}

int64_t TablesAndRowsController::fieldIndexFromDataColumn(int64_t dataColumn) const {
    return firstFieldIndexInDataPort + dataColumn;
}

int64_t TablesAndRowsController::tableViewColumnFromFieldIndex(int64_t fieldIndex) const {
    return fieldIndex - firstFieldIndexInDataPort + 1;
}

int64_t TablesAndRowsController::fieldIndexFromTableViewColumn(int64_t column, int64_t row) const {
    if (!rowsTableView_ || column < 1 || column >= rowsTableView_->numberOfColumns() || row < 0 ||
        row >= rowsTableView_->numberOfRows()) {
        return -1;
    }
    return fieldIndexFromDataColumn(column - 1);
}

const DBValue* TablesAndRowsController::fieldValueObjectForTableViewRowIndex(
    int64_t row, int64_t fieldIndex) const {
    // Until a moved port's page is loaded the values held are another page's: none is given,
    // so that nothing is shown, selected or written for the wrong row.
    if (dataPortLoadPending_) return nullptr;
    if (row < 0 || fieldIndex < 0 || fieldIndex >= numberOfFieldsPerRow) return nullptr;
    int64_t position = row * numberOfFieldsPerRow + fieldIndex;
    if (position >= static_cast<int64_t>(fieldValuesLoaded.size())) return nullptr;
    return &fieldValuesLoaded[static_cast<size_t>(position)];
}

std::string TablesAndRowsController::fieldValueForTableViewRowIndex(int64_t row,
                                                                    int64_t fieldIndex) const {
    const DBValue* value = fieldValueObjectForTableViewRowIndex(row, fieldIndex);
    return value && *value ? **value : std::string();
}

std::string TablesAndRowsController::fieldValueForDatabaseRowIndex(int64_t rowIndex,
                                                                   int64_t fieldIndex) const {
    if (rowIndex < 0 || fieldIndex < 0) return std::string();
    return fieldValueForTableViewRowIndex(rowIndex - firstRowIndexInDataPort, fieldIndex);
}

std::string TablesAndRowsController::fieldHeaderNameAtFieldIndex(int64_t fieldIndex) const {
    if (fieldIndex == 0) return localizedString("ROWID");
    if (fieldIndex >= 1 && fieldIndex <= static_cast<int64_t>(fieldNames.size())) {
        return fieldNames[static_cast<size_t>(fieldIndex - 1)];
    }
    return localizedString("(Unknown)");
}

void TablesAndRowsController::setFirstRowIndexInDataPort(int64_t rowIndex) {
    firstRowIndexInDataPort = rowIndex;
    // A table emptied under the window keeps no focus on a row that is gone.
    if (totalRows < 1) {
        focusedRowIndex = -1;
    } else if (focusedRowIndex >= 0) {
        int64_t lastRow = std::min(rowIndex + numberOfDataPortRows(), totalRows) - 1;
        focusedRowIndex = std::clamp(focusedRowIndex, rowIndex, std::max(lastRow, rowIndex));
    }
}

void TablesAndRowsController::moveDataPortToRow(int64_t rowIndex) {
    if (rowIndex < 0 || rowIndex >= totalRows) return;
    setFirstRowIndexInDataPort(rowIndex);
    loadDataPort();
}

void TablesAndRowsController::moveDataPortToRowIndex(int64_t rowIndex) {
    if (rowIndex < 0 || rowIndex >= totalRows) return;
    // An edit in progress is written before its row leaves the grid.
    rowsTableView_->endEditing();
    setFirstRowIndexInDataPort(rowIndex);
    scheduleDataPortLoad();
    updateRowsViewScrollBars();
}

void TablesAndRowsController::scheduleDataPortLoad() {
    if (dataPortLoadPending_) return;
    dataPortLoadPending_ = true;
    // Runs after the events already waiting, so a burst of moves loads one page.
    QTimer::singleShot(0, this, [this] { loadPendingDataPort(); });
}

void TablesAndRowsController::loadPendingDataPort() {
    if (dataPortLoadPending_) loadDataPort();
}

void TablesAndRowsController::loadDataPort() {
    reloadFieldValues();
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
}

int64_t TablesAndRowsController::numberOfGridRows() const {
    if (numberOfFieldsPerRow < 1) return 0;
    return std::clamp<int64_t>(totalRows - firstRowIndexInDataPort, 0, numberOfDataPortRows());
}

void TablesAndRowsController::updateNumberOfRowsLabel() {
    view();
    if (tablesList_->selectedItems().isEmpty()) {
        rowsViewNumberOfRowsButton_->setText(QString());
        importViewNumberOfRowsLabel_->hide();
        exportViewNumberOfRowsLabel_->hide();
        return;
    }
    std::string text = totalRows < 1    ? localizedString("0 rows")
                       : totalRows == 1 ? localizedString("1 row")
                                        : localizedFormat("%ld rows", {std::to_string(totalRows)});
    for (QLabel* label : {importViewNumberOfRowsLabel_, exportViewNumberOfRowsLabel_}) {
        label->setText(toQString(text));
        label->show();
    }
    rowsViewNumberOfRowsButton_->setText(
        toQString(localizedFormat("%ld", {std::to_string(totalRows)})));
}

void TablesAndRowsController::updateRowsViewScrollBars() {
    updateNumberOfRowsLabel();
    rowsTableView_->viewport()->update();
    verticalDataScrollerView_->update();
    horizontalDataScrollerView_->update();
}
