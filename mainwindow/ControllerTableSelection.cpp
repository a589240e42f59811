// The tables list: which object is selected, loading the selected object's field model and
// first page, renaming and deleting objects from the list.
#include <QListWidget>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/LastTablesShown.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/RowsTableView.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

namespace {
constexpr uint64_t kFieldFormatStyleExpanded = 0x100;
}  // namespace

void TablesAndRowsController::reloadTables() {
    view();
    // An open edit is written while the list and the page still say which row it belongs to.
    rowsTableView_->endEditing();
    QSignalBlocker blocker(tablesList_);
    tablesList_->clear();
    tableNames.clear();
    allTables.clear();
    if (!databaseFilePath_) return;
    DBInterface::MasterTables tables;
    std::string error;
    if (DBInterface::getAllTables(&tables, *databaseFilePath_, &error) != 0) {
        appDelegate_->showErrorAlert(error);
        return;
    }
    UserDefaults& defaults = UserDefaults::standard();
    int64_t typesToShow = defaults.integerForKey("SchemaObjectTypesToShow");
    bool showSystemTables = defaults.boolForKey("ShowSystemTables");
    for (const auto& [name, entry] : tables) {
        int type = DBInterface::tableTypeCodeForSchemaObjectType(&entry.type);
        if (!(typesToShow & (int64_t(1) << type))) continue;
        if (!showSystemTables && DBInterface::isSystemTable(name)) continue;
        tableNames.push_back(name);
        auto* item = new QListWidgetItem(toQString(name), tablesList_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    allTables = std::move(tables);
}

void TablesAndRowsController::reloadTablesAndSelectTableNamed(
    const std::optional<std::string>& tableName, int /*firstFieldIndex*/) {
    reloadTables();
    {
        QSignalBlocker blocker(tablesList_);
        tablesList_->clearSelection();
        auto found = tableName ? std::find(tableNames.begin(), tableNames.end(), *tableName)
                               : tableNames.end();
        if (found != tableNames.end()) {
            tablesList_->setCurrentRow(static_cast<int>(found - tableNames.begin()));
        }
    }
    reloadSelectedDatabaseObject();
}

void TablesAndRowsController::reloadPickerTypes() {}

std::optional<std::string> TablesAndRowsController::selectedTableName() const {
    if (!tablesList_) return std::nullopt;
    QList<QListWidgetItem*> selected = tablesList_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    // The row last added to the selection is the current one.
    QListWidgetItem* item = selected.contains(tablesList_->currentItem())
                                ? tablesList_->currentItem()
                                : selected.last();
    int row = tablesList_->row(item);
    if (row < 0 || row >= static_cast<int>(tableNames.size())) return std::nullopt;
    return tableNames[static_cast<size_t>(row)];
}

std::optional<std::string> TablesAndRowsController::selectedTableNameIfOnlyOne() const {
    if (!tablesList_ || tablesList_->selectedItems().size() != 1) return std::nullopt;
    return selectedTableName();
}

int TablesAndRowsController::selectedTableTypeCode() const {
    std::optional<std::string> name = selectedTableNameIfOnlyOne();
    auto entry = name ? allTables.find(*name) : allTables.end();
    if (entry == allTables.end()) return DBInterface::kSchemaTable;
    return DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type);
}

void TablesAndRowsController::tablesListSelectionDidChange() {
    if (selectedTableNameIfOnlyOne()) {
        tableType = selectedTableTypeCode();
        if (likeString) {
            likeString.reset();
            resetTableSelections();
        }
    }
    updateWindowTitle();
    reloadSelectedDatabaseObject();
}

void TablesAndRowsController::emptyFieldModel() {
    fieldTypes.clear();
    fieldFormatStyles.clear();
    hiddenFields.clear();
    fieldNames.clear();
    fieldLookupTables.clear();
    lookupTableDictionary.clear();
    inverseLookupTableDictionary.clear();
    fieldNumberFormatters.clear();
    fieldDateFormatters.clear();
    pickerTableDictionary.clear();
    specialTableTypeDictionary.clear();
    specialTableNames.clear();
    sortCodes.clear();
    searchFieldIndexes.clear();
    fieldValuesLoaded.clear();
    limitedFieldValuesLoaded.clear();

    mySelectedCells.clear();
    mySelectedRowIndexes.clear();
    mySelectedFieldIndexes.clear();
    fieldIndexesOfDirtyData.clear();
    expandedFieldIndexes.clear();
    likeString.reset();
    numberOfFieldsPerRow = 0;
    totalRows = 0;
    firstFieldIndexInDataPort = 1;
    firstRowIndexInDataPort = 0;
    focusedFieldIndex = firstFieldIndexInDataPort;
    focusedRowIndex = -1;
    // The record editor starts on the first field shown, never on the rowid.
    fieldIndexToEdit = -1;
}

void TablesAndRowsController::readDisplaySettings() {
    UserDefaults& defaults = UserDefaults::standard();
    formatDataInRowsConsole = !defaults.boolForKey("DontFormatDataInRowsView");
    showNULLInRowsView = defaults.boolForKey("ShowNULLInRowsView");
    useUTC = defaults.integerForKey("IfNoTimeZone") == 1;
    auto storageFormat = [&](const char* key) {
        const char* from = defaults.objectForKey(key).is_null() ? "DateTimeStorageFormat" : key;
        return static_cast<uint32_t>(defaults.integerForKey(from));
    };
    dateStorageFormat = storageFormat("DateStorageFormat");
    timeStorageFormat = storageFormat("TimeStorageFormat");
}

void TablesAndRowsController::reloadSelectedDatabaseObject() {
    view();
    rowsTableView_->endEditing();
    emptyFieldModel();
    readDisplaySettings();
    std::optional<std::string> name;
    int row = tablesList_->currentRow();
    if (tablesList_->selectedItems().size() == 1 && row >= 0 &&
        row < static_cast<int>(tableNames.size())) {
        name = tableNames[static_cast<size_t>(row)];
    } else {
        name = selectedTableName();
    }
    if (name && databaseFilePath_) {
        auto entry = allTables.find(*name);
        std::string type = entry != allTables.end() ? entry->second.type : "table";
        tableType = DBInterface::tableTypeCodeForSchemaObjectType(&type);
        if (tableType < DBInterface::kSchemaIndex) {
            bool sorted =
                DBInterface::isObjectSortedOnUniqueKey(*name, *databaseFilePath_, nullptr);
            std::string error;
            if (tableType == DBInterface::kSchemaTable) {
                loadTableFieldModel(*name, sorted, &error);
            } else {
                loadViewFieldModel(*name, sorted, &error);
            }
        }
    }
    makeDisplayFormatters();
    if (databaseFilePath_) setLastTableShown(name, *databaseFilePath_);

    reloadRowsConsoleColumns(name);
    updateMoreFieldsButton();
    if (totalRows >= 1 && numberOfFieldsPerRow >= 1) focusedRowIndex = 0;
    updateWindowTitle();
    updateNumberOfRowsLabel();
}

void TablesAndRowsController::loadTableFieldModel(const std::string& name, bool sorted,
                                                  std::string* error) {
    const std::string& path = *databaseFilePath_;
    switch (DBInterface::tableEditStatus(name, path, error)) {
        case DBInterface::kTableEditable:
            selectedObjectStatus = DBInterface::kObjectEditable;
            break;
        case DBInterface::kNoRowid:
        case DBInterface::kRowidHidden:
            selectedObjectStatus =
                sorted ? DBInterface::kObjectReadOnlyPaged : DBInterface::kObjectLimited;
            break;
        default:
            selectedObjectStatus = DBInterface::kObjectLimited;
            showErrorAlert(*error, window());
            return;
    }
    if (DBInterface::getFieldNames(&fieldNames, &fieldTypes, &fieldFormatStyles, &hiddenFields,
                                   name, path, error) != 0) {
        selectedObjectStatus = DBInterface::kObjectLimited;
        showErrorAlert(*error, window());
        return;
    }
    reloadSpecialTables(name);
    DBInterface::IndexSet storedSearchIndexes;
    uint64_t flags = 0;
    if (DBInterface::getSortCodes(&sortCodes, &storedSearchIndexes, &flags, name, path, error) !=
        0) {
        showErrorAlert(*error, window());
        return;
    }
    numberOfFieldsPerRow = static_cast<int64_t>(fieldTypes.size()) + 1;
    calculateTotalRows();
    sortByROWIDCode =
        static_cast<uint64_t>(DBInterface::sortByROWIDCodeFromFlags(static_cast<int32_t>(flags)));
    searchFieldIndexes.insert(storedSearchIndexes.begin(), storedSearchIndexes.end());
    if (searchFieldIndexes.empty()) searchFieldIndexes.insert(0);
}

void TablesAndRowsController::loadViewFieldModel(const std::string& name, bool sorted,
                                                 std::string* error) {
    const std::string& path = *databaseFilePath_;
    // An empty view shows nothing, but it is never left with the last table's edit status.
    selectedObjectStatus = sorted ? DBInterface::kObjectReadOnlyPaged : DBInterface::kObjectLimited;
    if (!DBInterface::isAtLeastOneRowInTable(name, path, nullptr)) return;
    if (DBInterface::getFieldNames(&fieldNames, &fieldTypes, &fieldFormatStyles, name, path,
                                   error) != 0) {
        showErrorAlert(*error, window());
        return;
    }
    reloadSpecialTables(name);
    numberOfFieldsPerRow = static_cast<int64_t>(fieldTypes.size()) + 1;
    calculateTotalRows();
}

void TablesAndRowsController::makeDisplayFormatters() {
    for (size_t i = 0; i < fieldFormatStyles.size() && i < fieldTypes.size(); ++i) {
        int64_t style = fieldFormatStyles[i];
        auto position = static_cast<int64_t>(i);
        switch (fieldTypes[i]) {
            case DBInterface::kFieldTypeNumber:
                fieldNumberFormatters[position] =
                    DBInterface::numberFormatterForNumberFormatStyleType(style);
                break;
            case DBInterface::kFieldTypeDate:
                fieldDateFormatters[position] =
                    DBInterface::dateFormatterForDateFormatStyleType(style);
                break;
            case DBInterface::kFieldTypeTime:
                fieldDateFormatters[position] =
                    DBInterface::dateFormatterForTimeFormatStyleType(style);
                break;
            default:
                break;
        }
        if (static_cast<uint64_t>(style) & kFieldFormatStyleExpanded) {
            expandedFieldIndexes.insert(position);
        }
    }
}

void TablesAndRowsController::reloadSpecialTables(const std::string& tableName) {
    const std::string& path = *databaseFilePath_;
    std::string error;
    if (DBInterface::getSpecialTableNames(&specialTableNames, &lookupTableDictionary,
                                          &inverseLookupTableDictionary, &pickerTableDictionary,
                                          &specialTableTypeDictionary, path, &error) != 0) {
        showErrorAlert(error);
        return;
    }
    if (DBInterface::getFieldLookupTables(&fieldLookupTables, tableName, fieldNames, path,
                                          &error) != 0) {
        showErrorAlert(error);
    }
    if (fieldLookupTables.empty()) {
        fieldLookupTables.assign(fieldTypes.size(), std::string());
    } else if (fieldLookupTables.size() != fieldTypes.size()) {
        showErrorAlert(localizedString("Invalid number of field lookup tables."));
    }
}

void TablesAndRowsController::resetTableSelections() {
    view();
    firstRowIndexInDataPort = 0;
    calculateTotalRows();
    firstFieldIndexInDataPort = 1;
    focusedRowIndex = totalRows >= 1 ? 0 : -1;
    focusedFieldIndex = firstFieldIndexInDataPort;
    mySelectedCells.clear();
    mySelectedRowIndexes.clear();
    mySelectedFieldIndexes.clear();
    fieldIndexesOfDirtyData.clear();
    fieldValuesLoaded.clear();
    loadFieldValues(&fieldValuesLoaded, 0, numberOfDataPortRows(), true);
    updateRowsTableViewColumnsAndHeaders();
    if (std::optional<std::string> name = selectedTableNameIfOnlyOne()) {
        updateRowsTableViewColumnWidths(name);
    }
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
    if (rowsTableView_->numberOfRows() > 0) rowsTableView_->scrollToTop();
}

void TablesAndRowsController::selectTableWithName(const std::optional<std::string>& name) {
    view();
    auto found = name ? std::find(tableNames.begin(), tableNames.end(), *name) : tableNames.end();
    if (found == tableNames.end()) {
        showAlert(localizedString("Could not select the table."), "");
        return;
    }
    {
        QSignalBlocker blocker(tablesList_);
        tablesList_->clearSelection();
        tablesList_->setCurrentRow(static_cast<int>(found - tableNames.begin()));
    }
    reloadSelectedDatabaseObject();
}

void TablesAndRowsController::reloadTablesMenuItemClicked() {
    reloadTablesAndSelectTableNamed(selectedTableNameIfOnlyOne(), -1);
}

void TablesAndRowsController::deleteTable() {
    view();
    QList<QListWidgetItem*> selected = tablesList_->selectedItems();
    if (selected.isEmpty()) {
        showInfoAlert(localizedString("No table selected"),
                      localizedString("Select a table to delete."));
        return;
    }
    std::vector<int> rows;
    for (QListWidgetItem* item : selected) rows.push_back(tablesList_->row(item));
    std::sort(rows.begin(), rows.end());
    // The names and the file are those the user was asked about; the list may be reloaded
    // before the answer comes.
    std::vector<std::string> names;
    for (int row : rows) {
        if (row >= 0 && row < static_cast<int>(tableNames.size())) {
            names.push_back(tableNames[static_cast<size_t>(row)]);
        }
    }
    if (!databaseFilePath_) return;
    const std::string path = *databaseFilePath_;
    Alert alert;
    alert.messageText = toQString(localizedString("Delete the selected objects?"));
    alert.informativeText = toQString(localizedString("This cannot be undone!"));
    alert.buttons = {toQString(localizedString("Delete")), toQString(localizedString("Cancel"))};
    alert.beginSheetModalForWindow(window(), [this, names, path](int button) {
        if (button != 0 || databaseFilePath_ != path) return;
        for (const std::string& name : names) {
            auto entry = allTables.find(name);
            if (entry == allTables.end() || entry->second.type.empty()) continue;
            int type = DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type);
            std::string error;
            if (DBInterface::deleteObject(name, entry->second.type, path, &error) != 0) {
                showErrorAlert(error);
                break;
            }
            if (type == DBInterface::kSchemaTable) {
                DBInterface::removeRunningStopwatchesForDatabase(&path, &name, nullptr, false);
            }
            // Widths go only with an object that is really gone.
            if (type == DBInterface::kSchemaTable || type == DBInterface::kSchemaView) {
                removeFieldWidthsDefaultsForTable(name);
            }
        }
        reloadTables();
        if (!tableNames.empty()) {
            QSignalBlocker blocker(tablesList_);
            tablesList_->setCurrentRow(0);
        }
        reloadSelectedDatabaseObject();
    });
}

void TablesAndRowsController::tablesTableViewItemChanged(QListWidgetItem* item) {
    chooseTableTextFieldReturnKeyPressed(tablesList_->row(item), toStdString(item->text()));
}

void TablesAndRowsController::chooseTableTextFieldReturnKeyPressed(int row,
                                                                   const std::string& typedName) {
    view();
    if (row < 0 || row >= static_cast<int>(tableNames.size()) || !databaseFilePath_) return;
    const std::string oldName = tableNames[static_cast<size_t>(row)];
    std::string newName = DBInterface::nameWithoutQuotingCharacters(typedName);
    auto showOldName = [this, row, &oldName] {
        QSignalBlocker blocker(tablesList_);
        if (QListWidgetItem* item = tablesList_->item(row)) item->setText(toQString(oldName));
    };
    if (newName == oldName) {
        showOldName();
        return;
    }
    if (QString::compare(toQString(newName), toQString(oldName), Qt::CaseInsensitive) == 0) {
        showOldName();
        return;
    }
    std::string error;
    if (DBInterface::renameTable(oldName, newName, *databaseFilePath_, &error) != 0) {
        showOldName();
        showErrorAlert(error);
        return;
    }
    tableNames[static_cast<size_t>(row)] = newName;
    if (auto entry = allTables.extract(oldName)) {
        entry.key() = newName;
        allTables.insert(std::move(entry));
    }
    {
        QSignalBlocker blocker(tablesList_);
        tablesList_->item(row)->setText(toQString(newName));
    }
    updateFieldWidthsRenameTableName(oldName, newName);
    // The table shown at the next launch follows its new name.
    if (lastTableShown(*databaseFilePath_) == oldName)
        setLastTableShown(newName, *databaseFilePath_);
    updateWindowTitle();
}
