// The grid's columns: a row-number column and as many data columns as whole fields fit; the
// column widths kept per database and table; the split between the tables list and the grid.
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>

#include "Common/DBInterface.h"
#include "app/PerDatabaseDefaults.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr double kRowidWidth = 60;
constexpr double kNumberWidth = 60;
constexpr double kTimeWidth = 180;
constexpr double kOtherWidth = 100;
constexpr double kDefaultRowNumberWidth = 60;

PerDatabaseKey widthsKey(const std::string& databaseFilePath) {
    return perDatabaseKey(databaseFilePath, "RowsTableColumnWidths",
                          "LastExternalRowsTableColumnWidths");
}

PerDatabaseKey splitKey(const std::string& databaseFilePath) {
    return perDatabaseKey(databaseFilePath, "TablesRowsSplitViewWidths",
                          "ExternalTablesRowsSplitViewWidths");
}

double rowNumberWidth() {
    double stored = UserDefaults::standard().doubleForKey("RowNumberWidth");
    return stored > 0 ? stored : kDefaultRowNumberWidth;
}

}  // namespace

std::optional<std::vector<double>> TablesAndRowsController::storedFieldWidths(
    const std::string& tableName) const {
    if (!databaseFilePath_) return std::nullopt;
    PerDatabaseKey key = widthsKey(*databaseFilePath_);
    nlohmann::json all = UserDefaults::standard().dictionaryForKey(key.defaultsKey);
    if (!all.is_object() || !all.contains(key.entryKey)) return std::nullopt;
    const nlohmann::json& tables = all[key.entryKey];
    if (!tables.is_object() || !tables.contains(tableName)) return std::nullopt;
    const nlohmann::json& list = tables[tableName];
    if (!list.is_array()) return std::nullopt;
    std::vector<double> widths;
    for (const auto& width : list) widths.push_back(width.is_number() ? width.get<double>() : 0);
    return widths;
}

void TablesAndRowsController::setStoredFieldWidths(
    const std::string& tableName, const std::optional<std::vector<double>>& widths) {
    if (!databaseFilePath_) return;
    PerDatabaseKey key = widthsKey(*databaseFilePath_);
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json all = defaults.dictionaryForKey(key.defaultsKey);
    if (!all.is_object()) {
        if (!widths) return;
        all = nlohmann::json::object();
    }
    nlohmann::json& tables = all[key.entryKey];
    if (!tables.is_object()) {
        if (!widths) return;
        tables = nlohmann::json::object();
    }
    if (widths) {
        tables[tableName] = *widths;
    } else {
        if (!tables.contains(tableName)) return;
        tables.erase(tableName);
    }
    defaults.setObject(all, key.defaultsKey);
}

void TablesAndRowsController::fillFieldWidthsWithDefaultValues(std::vector<double>* widths) const {
    if (numberOfFieldsPerRow < 1) return;
    widths->push_back(kRowidWidth);
    for (int64_t f = 1; f < numberOfFieldsPerRow; ++f) {
        int type = f - 1 < static_cast<int64_t>(fieldTypes.size())
                       ? fieldTypes[static_cast<size_t>(f - 1)]
                       : static_cast<int>(DBInterface::kFieldTypeText);
        widths->push_back(type == DBInterface::kFieldTypeNumber ? kNumberWidth
                          : type == DBInterface::kFieldTypeTime ? kTimeWidth
                                                                : kOtherWidth);
    }
}

std::vector<double> TablesAndRowsController::fieldWidthsForTable(
    const std::optional<std::string>& tableName) const {
    if (tableName) {
        std::optional<std::vector<double>> stored = storedFieldWidths(*tableName);
        if (stored && static_cast<int64_t>(stored->size()) == numberOfFieldsPerRow) return *stored;
    }
    std::vector<double> widths;
    fillFieldWidthsWithDefaultValues(&widths);
    return widths;
}

void TablesAndRowsController::reloadRowsConsoleColumns(
    const std::optional<std::string>& tableName) {
    view();
    bool noFields = numberOfFieldsPerRow < 1;
    rowsTableView_->setColumnHidden(0, noFields);
    rowsTableView_->setColumnHidden(1, noFields);
    if (noFields) {
        rowsTableModel_->setNumberOfDataColumns(1);
        rowsTableModel_->setHeader(0, QString());
    } else {
        updateRowsTableViewColumnsAndHeaders();
        updateRowsTableViewColumnWidths(tableName);
    }
    fieldValuesLoaded.clear();
    if (totalRows >= 1) {
        loadFieldValues(&fieldValuesLoaded, firstRowIndexInDataPort, numberOfDataPortRows(), true);
    }
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
}

void TablesAndRowsController::updateRowsTableViewColumnsAndHeaders() {
    view();
    // The row-number column's width decides how many fields fit beside it.
    resizingRowsTableViewColumns = true;
    rowsTableView_->setColumnWidth(0, static_cast<int>(rowNumberWidth()));
    resizingRowsTableViewColumns = false;
    int64_t count = numberOfFieldsToShow();
    if (count < 1) return;
    rowsTableModel_->setNumberOfDataColumns(static_cast<int>(count));
    for (int64_t c = 0; c < count; ++c) {
        rowsTableModel_->setHeader(
            static_cast<int>(c),
            toQString(fieldHeaderNameAtFieldIndex(fieldIndexFromDataColumn(c))));
    }
}

void TablesAndRowsController::updateRowsTableViewColumnWidths(
    const std::optional<std::string>& tableName) {
    view();
    resizingRowsTableViewColumns = true;
    if (tableName) {
        std::optional<std::vector<double>> stored = storedFieldWidths(*tableName);
        // A list of another length belongs to the table before its fields changed.
        if (stored && static_cast<int64_t>(stored->size()) != numberOfFieldsPerRow) {
            removeFieldWidthsDefaultsForTable(tableName);
        }
    }
    std::vector<double> widths = fieldWidthsForTable(tableName);
    for (int64_t f = firstFieldIndexInDataPort;
         f < numberOfFieldsPerRow && f < static_cast<int64_t>(widths.size()); ++f) {
        int column = static_cast<int>(tableViewColumnFromFieldIndex(f));
        if (column < rowsTableView_->numberOfColumns()) {
            rowsTableView_->setColumnWidth(column,
                                           static_cast<int>(widths[static_cast<size_t>(f)]));
        }
    }
    if (rowsTableView_->numberOfColumns() > 0) {
        rowsTableView_->setColumnWidth(0, static_cast<int>(rowNumberWidth()));
    }
    resizingRowsTableViewColumns = false;
    updateHorizontalDataScrollerViewX();
}

void TablesAndRowsController::removeFieldWidthsDefaultsForTable(
    const std::optional<std::string>& tableName) {
    if (tableName) setStoredFieldWidths(*tableName, std::nullopt);
}

void TablesAndRowsController::updateFieldWidthsRenameTableName(
    const std::optional<std::string>& oldName, const std::string& newName) {
    if (!oldName || !databaseFilePath_) return;
    std::optional<std::vector<double>> widths = storedFieldWidths(*oldName);
    if (!widths) return;
    setStoredFieldWidths(newName, widths);
    setStoredFieldWidths(*oldName, std::nullopt);
}

void TablesAndRowsController::storeFieldWidths() {
    std::optional<std::string> table = selectedTableNameIfOnlyOne();
    if (!table || !databaseFilePath_ || !rowsTableView_ || numberOfFieldsPerRow < 1 ||
        rowsTableView_->numberOfColumns() < 1) {
        return;
    }
    UserDefaults::standard().setDouble(rowsTableView_->columnWidth(0), "RowNumberWidth");
    std::vector<double> widths;
    if (std::optional<std::vector<double>> stored = storedFieldWidths(*table)) {
        widths = *stored;
    } else {
        fillFieldWidthsWithDefaultValues(&widths);
    }
    // Each column's width goes under the field it shows, not under its position.
    for (int column = 1; column < rowsTableView_->numberOfColumns(); ++column) {
        int64_t f = fieldIndexFromDataColumn(column - 1);
        if (f < static_cast<int64_t>(widths.size())) {
            widths[static_cast<size_t>(f)] = rowsTableView_->columnWidth(column);
        }
    }
    setStoredFieldWidths(*table, widths);
}

void TablesAndRowsController::storeSplitViewWidths() {
    if (!databaseFilePath_ || !tablesRowsSplitView_) return;
    PerDatabaseKey key = splitKey(*databaseFilePath_);
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json widths = defaults.dictionaryForKey(key.defaultsKey);
    if (!widths.is_object()) widths = nlohmann::json::object();
    widths[key.entryKey] = tablesRowsSplitView_->sizes().value(0);
    defaults.setObject(widths, key.defaultsKey);
}

void TablesAndRowsController::updateTablesRowsSplitViewWidths() {
    if (!databaseFilePath_ || !tablesRowsSplitView_) return;
    PerDatabaseKey key = splitKey(*databaseFilePath_);
    nlohmann::json widths = UserDefaults::standard().dictionaryForKey(key.defaultsKey);
    if (!widths.is_object() || !widths.contains(key.entryKey) ||
        !widths[key.entryKey].is_number()) {
        return;
    }
    double width = widths[key.entryKey].get<double>();
    if (width <= 0.0001) return;
    QList<int> sizes = tablesRowsSplitView_->sizes();
    int total = std::max(sizes.value(0) + sizes.value(1), static_cast<int>(width) + 1);
    tablesRowsSplitView_->setSizes({static_cast<int>(width), total - static_cast<int>(width)});
}

void TablesAndRowsController::updateHorizontalDataScrollerViewX() {
    if (!rowsTableView_ || rowsTableView_->numberOfColumns() < 1) return;
    rowsViewNumberOfRowsButton_->setFixedWidth(rowsTableView_->columnWidth(0));
}

void TablesAndRowsController::tableViewColumnDidResize() {
    if (resizingRowsTableViewColumns) return;
    storeFieldWidths();
    updateHorizontalDataScrollerViewX();
}

void TablesAndRowsController::windowDidEndLiveResize() {
    if (std::optional<std::string> table = selectedTableNameIfOnlyOne()) {
        reloadRowsConsoleColumns(table);
    } else {
        reloadFieldValues();
        rowsTableModel_->reload();
    }
}

void TablesAndRowsController::splitViewDidResizeSubviews() {
    storeSplitViewWidths();
}
