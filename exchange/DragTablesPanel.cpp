#include "exchange/DragTablesPanel.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <filesystem>

#include "Common/CommaLists.h"
#include "Common/DBExistence.h"
#include "Common/SchemaListing.h"
#include "Common/TableCopy.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/QtStrings.h"
#include "settings/AppContainer.h"

DragTablesPanel::DragTablesPanel(DatabaseWindow& window) : window_(window) {}

DragTablesPanel::~DragTablesPanel() {
    delete panel_;
}

bool DragTablesPanel::writeTablesToPasteboard(const std::string& databaseFilePath,
                                              const std::vector<std::string>& tables,
                                              int windowIndex) {
    return Pasteboard::write(kAddTablesFromDatabaseDataType,
                             tablesRecord(databaseFilePath, tables, windowIndex), std::nullopt);
}

nlohmann::json DragTablesPanel::tablesRecord(const std::string& databaseFilePath,
                                             const std::vector<std::string>& tables,
                                             int windowIndex) {
    return {{"database", databaseFilePath}, {"tables", tables}, {"window", windowIndex}};
}

void DragTablesPanel::buildPanel() {
    panel_ = new QDialog(window_.window());
    panel_->setObjectName("dragTablesPanel");
    panel_->setWindowTitle(tr("Paste Tables"));
    statusLabel_ = new QLabel(panel_);
    statusLabel_->setObjectName("dragTablesPanelStatusLabel");
    statusLabel_->setWordWrap(true);
    sourceDatabaseLabel_ = new QLabel(panel_);
    sourceDatabaseLabel_->setObjectName("dragTablesPanelSourceDatabaseLabel");
    includeIndexesButton_ = new QCheckBox(tr("Include indexes"), panel_);
    includeIndexesButton_->setObjectName("dragTablesPanelIncludeIndexesButton");
    copyRowsButton_ = new QCheckBox(tr("Copy rows"), panel_);
    copyRowsButton_->setObjectName("dragTablesPanelCopyRowsButton");
    auto* paste = new QPushButton(tr("Paste Tables"), panel_);
    paste->setObjectName("dragTablesPanelPasteTablesButton");
    paste->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), panel_);
    connect(paste, &QPushButton::clicked, this,
            &DragTablesPanel::dragTablesPanelPasteTablesButtonPressed);
    connect(cancel, &QPushButton::clicked, this,
            &DragTablesPanel::dragTablesPanelCancelButtonPressed);
    connect(panel_, &QDialog::rejected, this, [this] { dragTablesPasteboard_.reset(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(paste);
    auto* layout = new QVBoxLayout(panel_);
    layout->addWidget(statusLabel_);
    layout->addWidget(sourceDatabaseLabel_);
    layout->addWidget(includeIndexesButton_);
    layout->addWidget(copyRowsButton_);
    layout->addLayout(buttons);
}

QDialog* DragTablesPanel::promptWithPasteboard() {
    return promptWithRecord(Pasteboard::record(kAddTablesFromDatabaseDataType));
}

QDialog* DragTablesPanel::promptWithRecord(std::optional<nlohmann::json> record) {
    if (!record || !(*record)["database"].is_string() || !(*record)["tables"].is_array()) {
        return nullptr;
    }
    std::vector<std::string> tables;
    for (const nlohmann::json& name : (*record)["tables"]) {
        if (name.is_string()) tables.push_back(name.get<std::string>());
    }
    const std::string source = (*record)["database"].get<std::string>();
    dragTablesPasteboard_ = std::move(record);
    if (!panel_) buildPanel();
    statusLabel_->setText(toQString(
        localizedFormat("The Clipboard has the %@ %@ from",
                        {localizedString(tables.size() == 1 ? "table" : "tables"),
                         DBInterface::commaSeparatedStringForStringArray(&tables, true)})));
    sourceDatabaseLabel_->setText(toQString(isDatabaseInAppContainer(source)
                                                ? std::filesystem::path(source).filename().string()
                                                : source));
    panel_->setWindowModality(Qt::WindowModal);
    panel_->show();
    return panel_;
}

void DragTablesPanel::closePanel() {
    if (panel_) panel_->hide();
    dragTablesPasteboard_.reset();
}

void DragTablesPanel::dragTablesPanelPasteTablesButtonPressed() {
    std::optional<nlohmann::json> record = std::move(dragTablesPasteboard_);
    bool includeIndexes = includeIndexesButton_->isChecked();
    bool copyRows = copyRowsButton_->isChecked();
    closePanel();
    if (record) pasteTables(*record, includeIndexes, copyRows);
}

void DragTablesPanel::dragTablesPanelCancelButtonPressed() {
    closePanel();
}

void DragTablesPanel::windowWillClose() {
    closePanel();
}

void DragTablesPanel::pasteTables(const nlohmann::json& record, bool includeIndexes,
                                  bool copyRows) {
    auto database = record.find("database");
    auto tables = record.find("tables");
    if (database == record.end() || !database->is_string() || tables == record.end() ||
        !tables->is_array() || !window_.state().databaseFilePath) {
        return;
    }
    for (const nlohmann::json& name : *tables) {
        if (name.is_string()) {
            pasteTable(database->get<std::string>(), name.get<std::string>(), includeIndexes,
                       copyRows);
        }
    }
}

void DragTablesPanel::pasteTable(const std::string& source, const std::string& name,
                                 bool includeIndexes, bool copyRows) {
    DBInterface::TableDictionary description;
    std::string error;
    DBInterface::getTableDictionary(&description, name, source, &error);
    // A table that cannot be described is left out without a word.
    if (!description.type || !description.sql || description.name.empty()) return;
    const bool isTable = *description.type == "table";
    const std::string& destination = *window_.state().databaseFilePath;
    // Hidden objects and other letter cases count too, as SQLite sees names.
    auto taken = [&destination](const std::string& candidate) {
        return DBInterface::isNameTaken(candidate, destination);
    };
    std::string newName = description.name;
    std::string createStatement = *description.sql;
    WindowShell& shell = window_.shell();
    if (taken(newName)) {
        std::optional<std::string> freeName = DBInterface::nextAvailableName(newName, taken);
        std::optional<std::string> rewritten =
            freeName ? DBInterface::rewriteCreateStatement(*description.sql, description.name,
                                                           *freeName, isTable)
                     : std::nullopt;
        if (!rewritten) {
            shell.showErrorAlert(
                localizedString(freeName ? "Could not re-format the CREATE SQL statement"
                                         : "Exhausted all possible new table names"));
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
    if (DBInterface::copyTableFromDatabase(description, createStatement, newName,
                                           isTable && includeIndexes, isTable && copyRows, source,
                                           destination, &error) != 0) {
        shell.showErrorAlert(error);
        return;
    }
    window_.reloadTablesAndSelectTableNamed(newName);
}
