#include "app/DatabasesWindow.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/DatabaseFiles.h"
#include "app/FileTableView.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/MainThread.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/RecentDocuments.h"
#include "settings/DocumentsDatabaseDefaults.h"

DatabasesWindow::DatabasesWindow(AppDelegate& app, int windowIndex)
    : app_(app),
      windowIndex_(windowIndex),
      tableView_(new FileTableView(this)),
      openButton_(new QPushButton(tr("Open"))) {
    setObjectName("databasesWindow");
    setWindowTitle(tr("Databases"));
    resize(560, 360);
    tableView_->setObjectName("databasesWindowTableView");
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* newButton = buttons->addButton(tr("New"), QDialogButtonBox::ActionRole);
    QPushButton* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    buttons->addButton(openButton_, QDialogButtonBox::AcceptRole);
    openButton_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tableView_);
    layout->addWidget(buttons);
    connect(openButton_, &QPushButton::clicked, this,
            [this] { databasesWindowOpenButtonPressed(); });
    connect(newButton, &QPushButton::clicked, this,
            [this] { databasesWindowNewDatabaseButtonPressed(); });
    connect(cancel, &QPushButton::clicked, this, [this] { databasesWindowCancelButtonPressed(); });
    connect(tableView_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { databasesWindowTableViewDoubleClickOnRow(row); });
    connect(tableView_, &FileTableView::headerClicked, this,
            &DatabasesWindow::databasesWindowTableViewDidClickTableColumn);
    connect(tableView_, &FileTableView::nameEdited, this,
            &DatabasesWindow::databasesWindowFileNameEdited);
    connect(tableView_, &QTableWidget::itemSelectionChanged, this,
            &DatabasesWindow::updateOpenButton);
    // Only database files are taken from a drop: another file of the same name as one of ours
    // must never bring up the overwrite question.
    tableView_->acceptsDroppedFiles = [](const QStringList& paths) {
        for (const QString& path : paths) {
            if (DBInterface::isSupportedDatabaseFile(toStdFileName(path))) return true;
        }
        return false;
    };
    tableView_->filesDropped = [this](const QStringList& paths) {
        std::vector<std::string> sources;
        for (const QString& path : paths) {
            if (DBInterface::isSupportedDatabaseFile(toStdFileName(path))) {
                sources.push_back(toStdFileName(path));
            }
        }
        performOnMainThread([this, sources] {
            app_.databaseFiles().copyFiles(sources, DatabaseFiles::DatabasesList);
        });
    };
}

void DatabasesWindow::databasesWindowReloadFiles(const std::set<std::string>* fileNames,
                                                 std::vector<int>* indexes) {
    filteredDatabaseFilesArray_.clear();
    reloadAppFilesInto(filteredDatabaseFilesArray_, databaseFilesFilter(), databasesSortOrder_,
                       fileNames, indexes);
}

void DatabasesWindow::reloadTable() {
    tableView_->showEntries(filteredDatabaseFilesArray_);
    updateOpenButton();
}

void DatabasesWindow::updateOpenButton() {
    int row = tableView_->selectedRow();
    openButton_->setEnabled(row >= 0 && row < static_cast<int>(filteredDatabaseFilesArray_.size()));
}

void DatabasesWindow::windowWillClose() {
    if (isVisible()) reject();
}

void DatabasesWindow::openDatabase(const std::optional<std::string>& fileName) {
    databasesWindowReloadFiles(nullptr, nullptr);
    if (!filteredDatabaseFilesArray_.empty()) {
        std::set<std::string> listed;
        for (const AppFileEntry& entry : filteredDatabaseFilesArray_) listed.insert(entry.fileName);
        pruneRowsTableColumnWidths(listed);
    }
    reloadTable();
    tableView_->clearSelection();
    if (fileName) {
        for (size_t i = 0; i < filteredDatabaseFilesArray_.size(); ++i) {
            if (filteredDatabaseFilesArray_[i].fileName == *fileName) {
                tableView_->selectRows({static_cast<int>(i)});
                break;
            }
        }
    }
    updateOpenButton();
    tableView_->updateFilesTableViewIndicatorImage(databasesSortOrder_);
    if (QWidget* window = app_.databaseWindowForWindowIndex(windowIndex_)) {
        if (parentWidget() != window) setParent(window, Qt::Sheet);
    }
    setWindowModality(Qt::WindowModal);
    open();
}

void DatabasesWindow::reloadDatabasesWindow(const std::set<std::string>& fileNames) {
    if (!isVisible()) return;
    std::vector<int> indexes;
    databasesWindowReloadFiles(&fileNames, &indexes);
    reloadTable();
    tableView_->selectRows(indexes);
}

void DatabasesWindow::databasesWindowTableViewDidClickTableColumn(const QString& identifier) {
    databasesSortOrder_ = sortOrderAfterHeaderClick(databasesSortOrder_, toStdString(identifier));
    tableView_->updateFilesTableViewIndicatorImage(databasesSortOrder_);
    databasesWindowReloadFiles(nullptr, nullptr);
    reloadTable();
}

void DatabasesWindow::showDatabaseAndClose(const std::string& fileName) {
    const std::string path = Paths::documentsFolder() + "/" + fileName;
    RecentDocuments::noteNewRecentDocument(path);
    if (TablesAndRowsController* controller =
            app_.tablesAndRowsControllerForWindowIndex(windowIndex_)) {
        controller->checkAndShowDatabase(path, false);
    }
    accept();
}

void DatabasesWindow::databasesWindowOpenButtonPressed() {
    int row = tableView_->selectedRow();
    if (row < 0 || row >= static_cast<int>(filteredDatabaseFilesArray_.size())) {
        app_.showErrorAlert(localizedFormat("Invalid selected index %ld", {std::to_string(row)}));
        return;
    }
    showDatabaseAndClose(filteredDatabaseFilesArray_[static_cast<size_t>(row)].fileName);
}

void DatabasesWindow::databasesWindowTableViewDoubleClickOnRow(int row) {
    if (row >= 0 && row < static_cast<int>(filteredDatabaseFilesArray_.size())) {
        databasesWindowOpenButtonPressed();
    }
}

void DatabasesWindow::databasesWindowCancelButtonPressed() {
    reject();
}

void DatabasesWindow::showSheetError(const std::string& text) {
    Alert alert;
    alert.messageText = toQString(localizedString("Error"));
    alert.informativeText = toQString(text);
    alert.beginSheetModalForWindow(this);
}

void DatabasesWindow::databasesWindowNewDatabaseButtonPressed() {
    std::optional<std::string> name = DatabaseFiles::fileNameForNewDatabase();
    if (!name) {
        showSheetError(localizedFormat("Too many files with that name: %@",
                                       {DatabaseFiles::kDefaultDatabaseFileName}));
        return;
    }
    std::string path = Paths::documentsFolder() + "/" + *name;
    // A new database is an empty file; the first connection makes it a database.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        showSheetError(localizedFormat("Could not create %@", {path}));
        return;
    }
    ::close(fd);
    showDatabaseAndClose(*name);
}

void DatabasesWindow::databasesWindowFileNameEdited(int row, const QString& text) {
    if (row < 0 || row >= static_cast<int>(filteredDatabaseFilesArray_.size())) return;
    std::string oldName = filteredDatabaseFilesArray_[static_cast<size_t>(row)].fileName;
    std::string error;
    std::optional<std::string> newName =
        DatabaseFiles::checkedFileName(toStdString(text), true, &error);
    if (newName && *newName == oldName) return;
    if (!newName || !app_.databaseFiles().renameDocumentsFile(oldName, *newName, &error)) {
        showSheetError(error);
        reloadTable();  // the old name shows again
        return;
    }
    std::set<std::string> names{*newName};
    std::vector<int> indexes;
    databasesWindowReloadFiles(&names, &indexes);
    reloadTable();
    tableView_->selectRows(indexes);
}
