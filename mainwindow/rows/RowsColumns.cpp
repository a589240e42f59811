// The grid's columns: a row-number column and as many data columns as whole fields fit, with the
// column widths kept per database and table.
#include <QPushButton>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/RowsConsole.h"
#include "platform/ui/QtStrings.h"
#include "settings/ColumnWidths.h"

namespace {
constexpr double kRowidWidth = 60;
constexpr double kNumberWidth = 60;
constexpr double kTimeWidth = 180;
constexpr double kOtherWidth = 100;
}  // namespace

// How many whole fields from startField fit beside the row-number column.
int64_t RowsConsole::dataPortFieldsFrom(FieldIndex startField,
                                        const std::optional<std::string>& tableName) const {
    if (!rowsTableView_) return 0;
    int64_t fieldsPerRow = state_.dataPort.numberOfFieldsPerRow;
    double available = rowsTableView_->viewport()->width();
    double x = numberOfColumns() > 0 ? rowsTableView_->columnWidth(0) : 0;
    if (x >= available || startField.isNone() || fieldsPerRow < 1) return 0;
    std::vector<double> widths = fieldWidthsForTable(tableName);
    int64_t count = 0;
    for (int64_t f = startField.value; f < fieldsPerRow && f < static_cast<int64_t>(widths.size());
         ++f) {
        x += widths[static_cast<size_t>(f)];
        // A first field wider than the grid is still shown, cut off: it is the page's one field.
        if (x >= available) return std::max<int64_t>(count, 1);
        ++count;
    }
    return count;
}

int64_t RowsConsole::numberOfDataPortFields() const {
    return dataPortFieldsFrom(state_.dataPort.firstFieldIndexInDataPort,
                              window_.selectedTableName());
}

int64_t RowsConsole::numberOfDataPortFieldsInFirstPage() const {
    return dataPortFieldsFrom(kFirstFieldIndex, window_.selectedTableNameIfOnlyOne());
}

void RowsConsole::fillFieldWidthsWithDefaultValues(std::vector<double>* widths) const {
    int64_t fieldsPerRow = state_.dataPort.numberOfFieldsPerRow;
    if (fieldsPerRow < 1) return;
    widths->push_back(kRowidWidth);
    for (FieldIndex f = kFirstFieldIndex; f.value < fieldsPerRow; ++f) {
        int type = state_.fieldModel.fieldTypeAtFieldIndexP1(f);
        widths->push_back(type == DBInterface::kFieldTypeNumber ? kNumberWidth
                          : type == DBInterface::kFieldTypeTime ? kTimeWidth
                                                                : kOtherWidth);
    }
}

std::vector<double> RowsConsole::fieldWidthsForTable(
    const std::optional<std::string>& tableName) const {
    if (tableName && state_.databaseFilePath) {
        std::optional<std::vector<double>> stored =
            storedFieldWidths(*state_.databaseFilePath, *tableName);
        if (stored &&
            static_cast<int64_t>(stored->size()) == state_.dataPort.numberOfFieldsPerRow) {
            return *stored;
        }
    }
    std::vector<double> widths;
    fillFieldWidthsWithDefaultValues(&widths);
    return widths;
}

void RowsConsole::reloadRowsConsoleColumns(const std::optional<std::string>& tableName) {
    view();
    auto& port = state_.dataPort;
    bool noFields = port.numberOfFieldsPerRow < 1;
    rowsTableView_->setColumnHidden(0, noFields);
    rowsTableView_->setColumnHidden(1, noFields);
    if (noFields) {
        rowsTableModel_->setNumberOfDataColumns(1);
        rowsTableModel_->setHeader(0, QString());
    } else {
        updateRowsTableViewColumnsAndHeaders();
        updateRowsTableViewColumnWidths(tableName);
    }
    port.dataPortLoadPending = false;
    port.fieldValuesLoaded.clear();
    if (port.totalRows >= 1) loadPage(true);
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
}

void RowsConsole::updateRowsTableViewColumnsAndHeaders() {
    view();
    // The row-number column's width decides how many fields fit beside it.
    resizingRowsTableViewColumns_ = true;
    rowsTableView_->setColumnWidth(0, static_cast<int>(rowNumberWidth()));
    resizingRowsTableViewColumns_ = false;
    int64_t count = numberOfFieldsToShow();
    if (count < 1) return;
    rowsTableModel_->setNumberOfDataColumns(static_cast<int>(count));
    for (int64_t c = 0; c < count; ++c) {
        rowsTableModel_->setHeader(static_cast<int>(c),
                                   toQString(dataPort_.fieldHeaderNameAtFieldIndex(
                                       dataPort_.fieldIndexFromDataColumn(c))));
    }
}

void RowsConsole::updateRowsTableViewColumnWidths(const std::optional<std::string>& tableName) {
    view();
    const auto& port = state_.dataPort;
    resizingRowsTableViewColumns_ = true;
    if (tableName && state_.databaseFilePath) {
        std::optional<std::vector<double>> stored =
            storedFieldWidths(*state_.databaseFilePath, *tableName);
        // A list of another length belongs to the table before its fields changed.
        if (stored && static_cast<int64_t>(stored->size()) != port.numberOfFieldsPerRow) {
            setStoredFieldWidths(*state_.databaseFilePath, *tableName, std::nullopt);
        }
    }
    std::vector<double> widths = fieldWidthsForTable(tableName);
    for (FieldIndex f = port.firstFieldIndexInDataPort;
         f.value < port.numberOfFieldsPerRow && f.value < static_cast<int64_t>(widths.size());
         ++f) {
        GridColumn column = dataPort_.tableViewColumnFromFieldIndex(f);
        if (column.value < numberOfColumns()) {
            rowsTableView_->setColumnWidth(static_cast<int>(column.value),
                                           static_cast<int>(widths[static_cast<size_t>(f.value)]));
        }
    }
    if (numberOfColumns() > 0) {
        rowsTableView_->setColumnWidth(0, static_cast<int>(rowNumberWidth()));
    }
    resizingRowsTableViewColumns_ = false;
    updateHorizontalDataScrollerViewX();
}

void RowsConsole::storeFieldWidths() {
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || !state_.databaseFilePath || !rowsTableView_ ||
        state_.dataPort.numberOfFieldsPerRow < 1 || numberOfColumns() < 1) {
        return;
    }
    const std::string& path = *state_.databaseFilePath;
    setRowNumberWidth(rowsTableView_->columnWidth(0));
    std::vector<double> widths;
    if (std::optional<std::vector<double>> stored = storedFieldWidths(path, *table)) {
        widths = *stored;
    } else {
        fillFieldWidthsWithDefaultValues(&widths);
    }
    // Each column's width goes under the field it shows, not under its position.
    for (int column = 1; column < numberOfColumns(); ++column) {
        FieldIndex f = dataPort_.fieldIndexFromDataColumn(column - 1);
        if (f.value < static_cast<int64_t>(widths.size())) {
            widths[static_cast<size_t>(f.value)] = rowsTableView_->columnWidth(column);
        }
    }
    setStoredFieldWidths(path, *table, widths);
}

void RowsConsole::updateHorizontalDataScrollerViewX() {
    if (numberOfColumns() < 1) return;
    rowsViewNumberOfRowsButton_->setFixedWidth(rowsTableView_->columnWidth(0));
}

void RowsConsole::tableViewColumnDidResize() {
    if (resizingRowsTableViewColumns_) return;
    storeFieldWidths();
    updateHorizontalDataScrollerViewX();
}

void RowsConsole::fillRoomBeforeFirstField() {
    auto& port = state_.dataPort;
    if (!rowsTableView_ || numberOfColumns() < 1 || port.numberOfFieldsPerRow < 1) return;
    std::vector<double> widths = fieldWidthsForTable(window_.selectedTableName());
    if (static_cast<int64_t>(widths.size()) < port.numberOfFieldsPerRow) return;
    // As numberOfDataPortFields counts: a field fits while the grid's width stays beyond it.
    double room = rowsTableView_->viewport()->width() - rowsTableView_->columnWidth(0);
    FieldIndex first = port.firstFieldIndexInDataPort;
    for (FieldIndex f = first; f.value < port.numberOfFieldsPerRow; ++f) {
        room -= widths[static_cast<size_t>(f.value)];
    }
    while (first > kFirstFieldIndex && room - widths[static_cast<size_t>(first.value - 1)] > 0) {
        --first;
        room -= widths[static_cast<size_t>(first.value)];
    }
    port.firstFieldIndexInDataPort = first;
}

void RowsConsole::windowDidEndLiveResize() {
    if (std::optional<std::string> table = window_.selectedTableNameIfOnlyOne()) {
        fillRoomBeforeFirstField();
        reloadRowsConsoleColumns(table);
    } else {
        reloadFieldValues();
        rowsTableModel_->reload();
    }
}
