#include "mainwindow/TablesAndRowsController.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/LastTablesShown.h"
#include "app/TablesAndRowsWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/QtStrings.h"

TablesAndRowsController::TablesAndRowsController(AppDelegate* appDelegate, int windowIndex)
    : appDelegate_(appDelegate), windowIndex_(windowIndex) {}

TablesAndRowsController::~TablesAndRowsController() {
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* TablesAndRowsController::view() {
    if (!view_) {
        view_ = new QWidget;
        tablesList_ = new QListWidget(view_);
        tablesList_->setObjectName("tablesTableView");
        tablesList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
        connect(tablesList_, &QListWidget::itemSelectionChanged, this,
                &TablesAndRowsController::reloadSelectedDatabaseObject);
        auto* layout = new QVBoxLayout(view_);
        layout->addWidget(tablesList_);
    }
    return view_;
}

void TablesAndRowsController::initializeAfterShown() {
    updateWindowTitle();
}

void TablesAndRowsController::updateWindowTitle() {
    if (TablesAndRowsWindow* window = appDelegate_->databaseWindowForWindowIndex(windowIndex_)) {
        window->setWindowTitle(databaseFilePath_
                                   ? toQString(Paths::lastPathComponent(*databaseFilePath_))
                                   : tr("No Database"));
    }
}

void TablesAndRowsController::reloadTablesAndSelectTableNamed(
    const std::optional<std::string>& tableName, int /*firstFieldIndex*/) {
    reloadTables();
    QSignalBlocker blocker(tablesList_);
    tablesList_->clearSelection();
    if (tableName) {
        QList<QListWidgetItem*> found =
            tablesList_->findItems(toQString(*tableName), Qt::MatchExactly);
        if (!found.isEmpty()) tablesList_->setCurrentItem(found.first());
    }
    blocker.unblock();
    reloadSelectedDatabaseObject();
}

void TablesAndRowsController::reloadTables() {
    view();
    QSignalBlocker blocker(tablesList_);
    tablesList_->clear();
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
        tablesList_->addItem(toQString(name));
    }
}

void TablesAndRowsController::reloadPickerTypes() {}

void TablesAndRowsController::reloadSelectedDatabaseObject() {
    std::optional<std::string> table = selectedTableNameIfOnlyOne();
    // Remembered so that the table comes back when the database is shown again.
    if (table && databaseFilePath_) setLastTableShown(*table, *databaseFilePath_);
}

void TablesAndRowsController::updateNumberOfRowsLabel() {}

void TablesAndRowsController::selectConsole(int console) {
    selectedConsole_ = console >= 0 && console < kNumberOfConsoles ? console : RowsConsole;
}

std::optional<std::string> TablesAndRowsController::selectedTableNameIfOnlyOne() const {
    if (!tablesList_) return std::nullopt;
    QList<QListWidgetItem*> selected = tablesList_->selectedItems();
    if (selected.size() != 1) return std::nullopt;
    return toStdString(selected.first()->text());
}

bool TablesAndRowsController::windowShouldClose(QWidget* window) {
    return appDelegate_->closeDatabaseWindow(window);
}

void TablesAndRowsController::openExternalDatabase() {
    FilePanel panel;
    panel.title = tr("Open External Database");
    showChosenDatabase(panel);
}

void TablesAndRowsController::openDatabase(const std::optional<std::string>& fileName) {
    FilePanel panel;
    panel.title = tr("Open Database");
    panel.directory = toQString(Paths::documentsFolder());
    if (fileName) panel.nameFieldStringValue = toQString(*fileName);
    showChosenDatabase(panel);
}

void TablesAndRowsController::showChosenDatabase(FilePanel panel) {
    panel.allowedFileTypes = {"db", "sqlite", "db3", "sqlite3"};
    panel.beginSheetModalForWindow(appDelegate_->databaseWindowForWindowIndex(windowIndex_),
                                   [this](const QStringList& paths) {
                                       if (!paths.isEmpty())
                                           checkAndShowDatabase(toStdString(paths.first()), true);
                                   });
}

void TablesAndRowsController::checkAndShowDatabase(const std::string& path, bool bookmark) {
    if (path.empty()) return;
    if (bookmark && !AppDelegate::isDatabaseInAppContainer(path)) {
        appDelegate_->updateFileBookmark(
            path, [this](const std::string& message, const std::string& error, bool) {
                runErrorAlert(message, error);
            });
    }
    databaseFilePath_ = path;
    initializeAfterShown();
    reloadTablesAndSelectTableNamed(AppDelegate::lastTableSelectedForDatabaseFilePath(path), -1);
    reloadPickerTypes();
    selectRowsView();
    updateNumberOfRowsLabel();
}

void TablesAndRowsController::runErrorAlert(const std::string& message,
                                            const std::string& errorDescription) {
    appDelegate_->showAlert(message, errorDescription);
}
