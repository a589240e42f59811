// The tables list: which object is selected, reloading the selected object, renaming and
// deleting objects from the list.
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "Common/DBInterface.h"
#include "Common/ReadSession.h"
#include "mainwindow/ChooseTableCellView.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesListContents.h"
#include "mainwindow/TablesListIcons.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"
#include "settings/ColumnWidths.h"
#include "settings/LastTablesShown.h"

namespace {

std::string goneObjectText(const std::string& name, const DBInterface::MasterTables& allTables) {
    auto entry = allTables.find(name);
    std::string type = entry != allTables.end() ? entry->second.type : "table";
    switch (DBInterface::tableTypeCodeForSchemaObjectType(&type)) {
        case DBInterface::kSchemaTable:
            return localizedFormat("The table “%@” no longer exists.", {name});
        case DBInterface::kSchemaView:
            return localizedFormat("The view “%@” no longer exists.", {name});
        default:
            return localizedFormat("The object “%@” no longer exists.", {name});
    }
}

}  // namespace

void TablesAndRowsController::reloadTables() {
    tellConsoles(&Console::selectedObjectWillChange);
    std::string error;
    int result = SQLITE_OK;
    std::optional<TablesAndRowsState::SelectedObject> listing = readTablesListing(&error, &result);
    if (!listing) {
        // A file gone lists nothing and says nothing; one that cannot be read says why. Another
        // program's lock passes: the list stays as it was until a reload after it.
        const int primary = result & 0xFF;
        if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED) {
            showTablesListing(TablesAndRowsState::SelectedObject{});
        }
        if (!error.empty()) shell_->showErrorAlert(error);
        return;
    }
    showTablesListing(std::move(*listing));
}

std::optional<TablesAndRowsState::SelectedObject> TablesAndRowsController::readTablesListing(
    std::string* error, int* result) const {
    std::error_code missing;
    if (!state_.databaseFilePath || !std::filesystem::exists(*state_.databaseFilePath, missing)) {
        return std::nullopt;
    }
    const std::string& path = *state_.databaseFilePath;
    TablesAndRowsState::SelectedObject listing;
    if (const int rc = DBInterface::getAllTables(&listing.allTables, path, error); rc != 0) {
        if (result) *result = rc;
        return std::nullopt;
    }
    // Unreadable flags hide nothing.
    DBInterface::getTableFlags(&listing.tableFlags, path, nullptr);
    UserDefaults& defaults = UserDefaults::standard();
    TablesListContents contents = tablesListContents(
        listing.allTables, listing.tableFlags, defaults.integerForKey("SchemaObjectTypesToShow"),
        defaults.boolForKey("ShowSystemTables"), state_.selectedObject.showHiddenObjects);
    listing.tableNames = std::move(contents.tableNames);
    listing.onlyTableNames = std::move(contents.onlyTableNames);
    return listing;
}

void TablesAndRowsController::showTablesListing(TablesAndRowsState::SelectedObject listing) {
    auto& selectedObject = state_.selectedObject;
    // The rows selected stay selected by their exact names, wherever the rebuild puts them.
    std::vector<std::string> selectedNames = selectedTableNames();
    std::optional<std::string> currentName = selectedTableName();
    QSignalBlocker blocker(tablesList_);
    tablesList_->clear();
    selectedObject.allTables = std::move(listing.allTables);
    selectedObject.tableFlags = std::move(listing.tableFlags);
    selectedObject.tableNames = std::move(listing.tableNames);
    selectedObject.onlyTableNames = std::move(listing.onlyTableNames);
    for (const std::string& name : selectedObject.tableNames) {
        const std::string& type = selectedObject.allTables[name].type;
        const int kind = DBInterface::tableTypeCodeForSchemaObjectType(&type);
        auto* item =
            new QListWidgetItem(iconForSchemaObjectType(kind), toQString(name), tablesList_);
        item->setData(ChooseTableCellView::ImageNameRole, imageNameForSchemaObjectType(kind));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    for (const std::string& name : selectedNames) {
        if (auto row = rowOfTableNamed(selectedObject.tableNames, name)) {
            tablesList_->item(*row)->setSelected(true);
        }
    }
    if (auto row =
            currentName ? rowOfTableNamed(selectedObject.tableNames, *currentName) : std::nullopt) {
        tablesList_->setCurrentRow(*row, QItemSelectionModel::Current);
    }
}

void TablesAndRowsController::enableUIWhileImportingFiles(bool enable) {
    state_.importing = !enable;
    tablesList_->setEnabled(enable);
    if (QWidget* rows = consoleViews_[TablesAndRowsState::RowsConsole]) rows->setEnabled(enable);
}

void TablesAndRowsController::enableLeftSideButtons() {
    const bool open = state_.databaseFilePath.has_value();
    for (QWidget* button : std::initializer_list<QWidget*>{
             leftSideAddButton_, leftSideDeleteButton_, leftSideActionButton_, warningButton_}) {
        button->setEnabled(open);
    }
}

void TablesAndRowsController::reloadTablesAndSelectTableNamed(
    const std::optional<std::string>& tableName) {
    // The list and the object chosen in it are read as one.
    std::optional<ReadSession> session;
    if (state_.databaseFilePath) session.emplace(*state_.databaseFilePath);
    enableLeftSideButtons();
    reloadTables();
    {
        QSignalBlocker blocker(tablesList_);
        tablesList_->clearSelection();
        std::optional<int> row = tableName
                                     ? rowOfTableNamed(state_.selectedObject.tableNames, *tableName)
                                     : std::nullopt;
        if (row && *row < tablesList_->count()) tablesList_->setCurrentRow(*row);
    }
    reloadSelectedDatabaseObject();
}

void TablesAndRowsController::reloadPickerTypes() {
    auto& pickers = state_.pickerTypes;
    pickers = {};
    if (!state_.databaseFilePath) return;
    const std::string& path = *state_.databaseFilePath;
    std::string error;
    std::vector<std::string> byName;
    if (DBInterface::getPickerTypeDictionaries(&pickers.pickerTypeDictionaries, path, &error) !=
            0 ||
        DBInterface::getPickerTypes(&byName, path, &error) != 0) {
        pickers = {};
        showErrorAlert(error, window());
        return;
    }
    for (size_t i = 0; i + 1 < byName.size(); i += 2) {
        const std::string& rowid = byName[i];
        if (!byName[i + 1].empty()) pickers.pickerTypeArrays.emplace_back(rowid, byName[i + 1]);
        // A type whose values cannot be read offers none.
        std::vector<std::string> values;
        if (DBInterface::getPickerValues(&values, rowid, path, nullptr) == 0) {
            pickers.pickerValues[rowid] = std::move(values);
        }
    }
}

std::optional<std::string> TablesAndRowsController::selectedTableName() const {
    if (!tablesList_) return std::nullopt;
    QList<QListWidgetItem*> selected = tablesList_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    // The row last added to the selection is the current one.
    QListWidgetItem* item = selected.contains(tablesList_->currentItem())
                                ? tablesList_->currentItem()
                                : selected.last();
    int row = tablesList_->row(item);
    const auto& tableNames = state_.selectedObject.tableNames;
    if (row < 0 || row >= static_cast<int>(tableNames.size())) return std::nullopt;
    return tableNames[static_cast<size_t>(row)];
}

std::optional<std::string> TablesAndRowsController::selectedTableNameIfOnlyOne() const {
    if (!tablesList_ || tablesList_->selectedItems().size() != 1) return std::nullopt;
    return selectedTableName();
}

std::vector<std::string> TablesAndRowsController::selectedTableNames() const {
    std::vector<std::string> names;
    if (!tablesList_) return names;
    const auto& tableNames = state_.selectedObject.tableNames;
    std::vector<int> rows;
    for (QListWidgetItem* item : tablesList_->selectedItems())
        rows.push_back(tablesList_->row(item));
    std::sort(rows.begin(), rows.end());
    for (int row : rows) {
        if (row >= 0 && row < static_cast<int>(tableNames.size())) {
            names.push_back(tableNames[static_cast<size_t>(row)]);
        }
    }
    return names;
}

int TablesAndRowsController::selectedTableTypeCode() const {
    std::optional<std::string> name = selectedTableNameIfOnlyOne();
    const auto& allTables = state_.selectedObject.allTables;
    auto entry = name ? allTables.find(*name) : allTables.end();
    if (entry == allTables.end()) return DBInterface::kSchemaTable;
    return DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type);
}

void TablesAndRowsController::tablesListSelectionDidChange() {
    // The search of the object shown ends with it; the reload clears it with the field model.
    if (selectedTableNameIfOnlyOne()) state_.selectedObject.tableType = selectedTableTypeCode();
    updateWindowTitle();
    reloadSelectedDatabaseObject();
}

void TablesAndRowsController::reloadSelectedDatabaseObject() {
    // Whatever a selection reads, the consoles and panels included, shares one connection.
    std::optional<ReadSession> session;
    if (state_.databaseFilePath) session.emplace(*state_.databaseFilePath);
    tellConsoles(&Console::selectedObjectWillChange);
    fieldModelLoader_.emptyFieldModel();
    fieldModelLoader_.readDisplaySettings();
    std::optional<std::string> name = nameOfObjectToShow();
    // Renamed or dropped elsewhere: the list is brought up to date and nothing is shown.
    if (name && state_.databaseFilePath &&
        DBInterface::isObjectGone(*name, *state_.databaseFilePath)) {
        showErrorAlert(goneObjectText(*name, state_.selectedObject.allTables), window());
        reloadTables();
        name.reset();
    }
    if (name && state_.databaseFilePath) fieldModelLoader_.loadFieldModel(*name);
    fieldModelLoader_.makeDisplayFormatters();
    if (state_.databaseFilePath) setLastTableShown(name, *state_.databaseFilePath);

    tellConsoles(&Console::selectedObjectDidChange);
    for (auto& panel : panels_) panel->selectedObjectDidChange();
    updateWindowTitle();
    updateNumberOfRowsLabel();
}

std::optional<std::string> TablesAndRowsController::nameOfObjectToShow() const {
    const auto& tableNames = state_.selectedObject.tableNames;
    int row = tablesList_->currentRow();
    if (tablesList_->selectedItems().size() == 1 && row >= 0 &&
        row < static_cast<int>(tableNames.size())) {
        return tableNames[static_cast<size_t>(row)];
    }
    return selectedTableName();
}

void TablesAndRowsController::selectTableWithName(const std::optional<std::string>& name) {
    const auto& tableNames = state_.selectedObject.tableNames;
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
    reloadTablesAndSelectTableNamed(selectedTableNameIfOnlyOne());
}

void TablesAndRowsController::deleteTable() {
    // The names and the file are those the user was asked about; the list may be reloaded
    // before the answer comes.
    std::vector<std::string> names = selectedTableNames();
    if (names.empty()) {
        showInfoAlert(localizedString("No table selected"),
                      localizedString("Select a table to delete."));
        return;
    }
    if (!state_.databaseFilePath) return;
    const std::string path = *state_.databaseFilePath;
    Alert alert;
    alert.messageText = toQString(localizedString("Delete the selected objects?"));
    alert.informativeText = toQString(localizedString("This cannot be undone!"));
    alert.buttons = {toQString(localizedString("Delete")), toQString(localizedString("Cancel"))};
    alert.beginSheetModalForWindow(window(), [this, names, path](int button) {
        if (button != 0 || state_.databaseFilePath != path) return;
        const auto& allTables = state_.selectedObject.allTables;
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
                setStoredFieldWidths(path, name, std::nullopt);
            }
        }
        reloadTables();
        if (!state_.selectedObject.tableNames.empty()) {
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
    auto& tableNames = state_.selectedObject.tableNames;
    if (row < 0 || row >= static_cast<int>(tableNames.size()) || !state_.databaseFilePath) return;
    const std::string& path = *state_.databaseFilePath;
    const std::string oldName = tableNames[static_cast<size_t>(row)];
    std::string newName = DBInterface::nameWithoutQuotingCharacters(typedName);
    auto showOldName = [this, row, &oldName] {
        QSignalBlocker blocker(tablesList_);
        if (QListWidgetItem* item = tablesList_->item(row)) item->setText(toQString(oldName));
    };
    // An emptied row is a slip, never a name.
    if (newName == oldName || newName.empty()) {
        showOldName();
        return;
    }
    if (DBInterface::isSameSQLiteName(newName, oldName)) {
        showOldName();
        return;
    }
    if (DBInterface::isHiddenByListings(newName)) {
        showOldName();
        showErrorAlert(DBInterface::reservedNameMessage(newName));
        return;
    }
    // SQLite alters no view: its CREATE text would have to be written again under the new name.
    auto listed = state_.selectedObject.allTables.find(oldName);
    if (listed != state_.selectedObject.allTables.end() &&
        DBInterface::tableTypeCodeForSchemaObjectType(&listed->second.type) ==
            DBInterface::kSchemaView) {
        showOldName();
        showErrorAlert(localizedString("A view cannot be renamed in the tables list."));
        return;
    }
    std::string error;
    if (DBInterface::renameTable(oldName, newName, path, &error) != 0) {
        showOldName();
        showErrorAlert(error);
        return;
    }
    tableNames[static_cast<size_t>(row)] = newName;
    auto& allTables = state_.selectedObject.allTables;
    if (auto entry = allTables.extract(oldName)) {
        entry.key() = newName;
        allTables.insert(std::move(entry));
    }
    // SQLite rewrote the CREATE texts that name the table: the listing holds them as they are.
    if (auto listing = readTablesListing(nullptr)) allTables = std::move(listing->allTables);
    {
        QSignalBlocker blocker(tablesList_);
        tablesList_->item(row)->setText(toQString(newName));
    }
    renameStoredFieldWidths(path, oldName, newName);
    // The table shown at the next launch follows its new name.
    if (lastTableShown(path) == oldName) setLastTableShown(newName, path);
    updateWindowTitle();
}
