// The grid console's side of its column layout: laying the columns out again when the object,
// the port's first field or the grid's size changed, and keeping the widths the user drags.
#include <QPushButton>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/RowsConsole.h"

void RowsConsole::updateColumns(const std::optional<std::string>& tableName) {
    columns_.updateRowsTableViewColumnsAndHeaders();
    columns_.updateRowsTableViewColumnWidths(tableName);
    updateHorizontalDataScrollerViewX();
}

void RowsConsole::layOutGridColumns() {
    updateColumns(window_.selectedTableNameIfOnlyOne());
    rowsTableModel_->reload();
}

void RowsConsole::reloadRowsConsoleColumns(const std::optional<std::string>& tableName) {
    auto& port = state_.dataPort;
    bool noFields = port.numberOfFieldsPerRow < 1;
    columns_.setColumnsHidden(noFields);
    if (noFields) {
        rowsTableModel_->setNumberOfDataColumns(1);
        rowsTableModel_->setHeader(0, QString());
    } else {
        updateColumns(tableName);
    }
    port.dataPortLoadPending = false;
    dataPort_.clearPage();
    if (port.totalRows >= 1) loadPage(true);
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
}

void RowsConsole::updateHorizontalDataScrollerViewX() {
    if (numberOfColumns() < 1) return;
    rowsViewNumberOfRowsButton_->setFixedWidth(rowsTableView_->columnWidth(0));
}

void RowsConsole::tableViewColumnDidResize() {
    if (columns_.isResizingColumns()) return;
    columns_.storeFieldWidths();
    updateHorizontalDataScrollerViewX();
}

bool RowsConsole::isGridLaidOutForItsSize() const {
    const auto& port = state_.dataPort;
    if (port.dataPortLoadPending || numberOfGridRows() != port.numberOfLoadedRows()) return false;
    // Only a table's columns are laid out again for a new size.
    if (port.numberOfFieldsPerRow < 1 || !window_.selectedTableNameIfOnlyOne()) return true;
    FieldIndex first = columns_.firstFieldFillingRoom();
    return first == port.firstFieldIndexInDataPort &&
           columns_.numberOfFieldsToShowFrom(first) == rowsTableModel_->numberOfDataColumns();
}

void RowsConsole::windowDidEndLiveResize() {
    if (std::optional<std::string> table = window_.selectedTableNameIfOnlyOne()) {
        columns_.fillRoomBeforeFirstField();
        reloadRowsConsoleColumns(table);
    } else {
        reloadFieldValues();
        rowsTableModel_->reload();
    }
}
