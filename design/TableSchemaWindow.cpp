#include "design/TableSchemaWindow.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>

#include "Common/DBInterface.h"
#include "design/PanelWindows.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

namespace {
constexpr int kSchemaFontSize = 15;
}  // namespace

TableSchemaWindow::TableSchemaWindow(DatabaseWindow& window) : window_(window) {}

TableSchemaWindow::~TableSchemaWindow() {
    delete panel_.data();
}

QWidget* TableSchemaWindow::tableSchemaPanel() {
    if (!panel_) buildPanel();
    return panel_;
}

QPlainTextEdit* TableSchemaWindow::tableSchemaPanelTextView() {
    tableSchemaPanel();
    return textView_;
}

void TableSchemaWindow::buildPanel() {
    panel_ = makePanelWindow(window_, "tableSchemaPanel", "Schema");
    auto* layout = new QVBoxLayout(panel_);
    textView_ = new QPlainTextEdit(panel_);
    textView_->setObjectName("tableSchemaPanelTextView");
    textView_->setReadOnly(true);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(kSchemaFontSize);
    textView_->setFont(font);
    layout->addWidget(textView_);
    panel_->resize(520, 300);
}

void TableSchemaWindow::selectedObjectDidChange() {
    if (!panel_ || !panel_->isVisible()) return;
    std::optional<std::string> name = window_.selectedTableName();
    const auto& tableNames = window_.state().selectedObject.tableNames;
    auto row = name ? std::find(tableNames.begin(), tableNames.end(), *name) : tableNames.end();
    if (row != tableNames.end()) {
        updateTableSchemaWindow(static_cast<int>(row - tableNames.begin()));
    } else {
        // Nothing selected (the object deleted, say): no text of an object no longer shown.
        textView_->clear();
    }
}

void TableSchemaWindow::windowWillClose() {
    if (panel_) panel_->hide();
}

void TableSchemaWindow::updateTableSchemaWindow(int row) {
    const auto& selectedObject = window_.state().selectedObject;
    if (row < 0 || row >= static_cast<int>(selectedObject.tableNames.size())) return;
    const std::string& name = selectedObject.tableNames[static_cast<size_t>(row)];
    auto entry = selectedObject.allTables.find(name);
    std::string text = entry != selectedObject.allTables.end() ? entry->second.sql : "";
    const std::optional<std::string>& path = window_.state().databaseFilePath;
    bool isTable = entry == selectedObject.allTables.end() ||
                   DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type) ==
                       DBInterface::kSchemaTable;
    if (isTable && path) {
        std::vector<std::string> indexes;
        std::string error;
        if (DBInterface::getIndexSchemas(&indexes, name, *path, &error) != 0) {
            window_.shell().showErrorAlert(error);
        } else {
            // Automatic indexes have no text of their own: their CREATE TABLE says it all.
            for (const std::string& index : indexes) {
                if (!index.empty()) text += "\n\n" + index;
            }
        }
    }
    tableSchemaPanelTextView()->setPlainText(toQString(text));
}

void TableSchemaWindow::showTableSchemaForRowIndex(int row) {
    if (row < 0 || row >= static_cast<int>(window_.state().selectedObject.tableNames.size())) {
        return;
    }
    QWidget* panel = tableSchemaPanel();
    if (!panel->isVisible()) placePanelBelowTablesListRow(panel, window_, row);
    updateTableSchemaWindow(row);
    bringPanelToFront(panel);
}

void TableSchemaWindow::showTableSchemaForSelectedRow() {
    std::vector<std::string> names = window_.selectedTableNames();
    if (names.empty()) {
        window_.showInfoAlert(localizedString("No table selected"),
                              localizedString("Select a table in the list."), window_.window());
        return;
    }
    if (names.size() > 1) {
        window_.showInfoAlert(localizedString("Multiple tables selected"),
                              localizedString("Select only one table in the list."),
                              window_.window());
        return;
    }
    const auto& tableNames = window_.state().selectedObject.tableNames;
    if (auto row = std::find(tableNames.begin(), tableNames.end(), names[0]);
        row != tableNames.end()) {
        showTableSchemaForRowIndex(static_cast<int>(row - tableNames.begin()));
    }
}
