#include "design/DuplicateTablesSheet.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

namespace {
constexpr int kDuplicateReturnCode = 1000;
constexpr int kCancelReturnCode = 1001;
// The close and other buttons of a title bar, beside its title.
constexpr int kTitleBarButtonsWidth = 140;
}  // namespace

DuplicateTablesSheet::DuplicateTablesSheet(DatabaseWindow& window) : window_(window) {}

DuplicateTablesSheet::~DuplicateTablesSheet() {
    delete sheet_.data();
}

QDialog* DuplicateTablesSheet::duplicateTablesWindow() {
    if (!sheet_) buildSheet();
    return sheet_;
}

QCheckBox* DuplicateTablesSheet::duplicateTablesWindowIncludeIndexesButton() {
    duplicateTablesWindow();
    return includeIndexesButton_;
}

QCheckBox* DuplicateTablesSheet::duplicateTablesWindowCopyRowsButton() {
    duplicateTablesWindow();
    return copyRowsButton_;
}

void DuplicateTablesSheet::buildSheet() {
    sheet_ = new QDialog(window_.window());
    sheet_->setObjectName("duplicateTablesWindow");
    const QString title = toQString(localizedString("Duplicate Tables"));
    sheet_->setWindowTitle(title);
    // The window manager cuts a title wider than the window; the title bar's buttons need room.
    sheet_->setMinimumWidth(sheet_->fontMetrics().horizontalAdvance(title) + kTitleBarButtonsWidth);
    sheet_->setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(sheet_);
    includeIndexesButton_ = new QCheckBox(toQString(localizedString("Include indexes")), sheet_);
    includeIndexesButton_->setObjectName("duplicateTablesWindowIncludeIndexesButton");
    includeIndexesButton_->setChecked(true);
    copyRowsButton_ = new QCheckBox(toQString(localizedString("Copy rows")), sheet_);
    copyRowsButton_->setObjectName("duplicateTablesWindowCopyRowsButton");
    copyRowsButton_->setChecked(true);
    layout->addWidget(includeIndexesButton_);
    layout->addWidget(copyRowsButton_);
    auto* buttons = new QDialogButtonBox(sheet_);
    QPushButton* duplicate =
        buttons->addButton(toQString(localizedString("Duplicate")), QDialogButtonBox::AcceptRole);
    duplicate->setDefault(true);
    buttons->addButton(toQString(localizedString("Cancel")), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this,
            [this] { duplicateTablesWindowDuplicateButtonPressed(); });
    connect(buttons, &QDialogButtonBox::rejected, this,
            [this] { duplicateTablesWindowCancelButtonPressed(); });
}

void DuplicateTablesSheet::duplicateTable() {
    std::vector<std::string> names = window_.selectedTableNames();
    if (names.empty()) {
        window_.showInfoAlert(localizedString("No table selected"),
                              localizedString("Select a table in the list."), window_.window());
        return;
    }
    const auto& allTables = window_.state().selectedObject.allTables;
    for (const std::string& name : names) {
        auto entry = allTables.find(name);
        if (entry != allTables.end() && DBInterface::tableTypeCodeForSchemaObjectType(
                                            &entry->second.type) != DBInterface::kSchemaTable) {
            window_.showInfoAlert(
                localizedString("Only tables can be duplicated"),
                localizedString("At least one of the selected database objects is not a "
                                "table.\n\nUse SQL to create a duplicate view, index, or trigger."),
                window_.window());
            return;
        }
    }
    duplicateTablesWindow()->open();
}

void DuplicateTablesSheet::duplicateTablesWindowDuplicateButtonPressed() {
    duplicateTablesWindow()->done(kDuplicateReturnCode);
    duplicateSelectedTablesNowIncludeIndexes(includeIndexesButton_->isChecked(),
                                             copyRowsButton_->isChecked());
}

void DuplicateTablesSheet::duplicateTablesWindowCancelButtonPressed() {
    duplicateTablesWindow()->done(kCancelReturnCode);
}

void DuplicateTablesSheet::duplicateSelectedTablesNowIncludeIndexes(bool includeIndexes,
                                                                    bool copyRows) {
    std::vector<std::string> names = window_.selectedTableNames();
    if (names.empty() || !window_.state().databaseFilePath) return;
    duplicateTablesNow(names, includeIndexes, copyRows);
}

void DuplicateTablesSheet::duplicateTablesNow(const std::vector<std::string>& names,
                                              bool includeIndexes, bool copyRows) {
    for (const std::string& name : names) duplicateOneTable(name, includeIndexes, copyRows);
}

void DuplicateTablesSheet::duplicateOneTable(const std::string& name, bool includeIndexes,
                                             bool copyRows) {
    if (!window_.state().databaseFilePath) return;
    const std::string path = *window_.state().databaseFilePath;
    WindowShell& shell = window_.shell();
    std::string error;
    DBInterface::TableDictionary description;
    if (DBInterface::getTableDictionary(&description, name, path, &error) != 0) {
        shell.showErrorAlert(error);
        return;
    }
    if (!description.sql || !description.type) {
        shell.showErrorAlert(DBInterface::tableGoneMessage(name));
        return;
    }
    // The table shown must be the one the user saw, not one made again under its name.
    const auto& shown = window_.state().fieldModel.tableIdentity;
    if (shown && shown->name == name &&
        DBInterface::checkTableIdentity(*shown, path, &error) != 0) {
        shell.showErrorAlert(error);
        return;
    }
    bool isTable = *description.type == "table";
    const auto& tableNames = window_.state().selectedObject.tableNames;
    std::string newName = name;
    std::string createStatement = *description.sql;
    if (std::find(tableNames.begin(), tableNames.end(), name) != tableNames.end()) {
        // Hidden objects and other letter cases count too, as SQLite sees names.
        std::optional<std::string> freeName =
            DBInterface::nextAvailableName(name, [&path](const std::string& candidate) {
                return DBInterface::isNameTaken(candidate, path);
            });
        if (!freeName) {
            shell.showErrorAlert(localizedString("Exhausted all possible new table names"));
            shell.showErrorAlert(localizedString("Could not construct the CREATE SQL statement"));
            return;
        }
        auto rewritten =
            DBInterface::rewriteCreateStatement(createStatement, name, *freeName, isTable);
        if (!rewritten) {
            shell.showErrorAlert(localizedString("Could not re-format the CREATE SQL statement"));
            shell.showErrorAlert(localizedString("Could not construct the CREATE SQL statement"));
            return;
        }
        newName = *freeName;
        createStatement = *rewritten;
    }
    if (DBInterface::isHiddenByListings(newName)) {
        shell.showErrorAlert(DBInterface::reservedNameMessage(newName));
        return;
    }
    if (DBInterface::copyTable(description, createStatement, newName, includeIndexes, copyRows,
                               path, &error) != 0) {
        shell.showErrorAlert(error);
        return;
    }
    window_.reloadTablesAndSelectTableNamed(newName);
}
