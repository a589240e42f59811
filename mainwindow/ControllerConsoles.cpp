// Consoles of the database window, its toolbar, the tables list's visibility and the row
// counts of the table views the controller serves.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>

#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableView.h"

void TablesAndRowsController::selectRowsView() {
    view();
    if (selectedConsoleIndex == RowsConsole && rowsScrollView_->isVisibleTo(view_)) {
        if (QWidget* window = rowsTableView_->window()) window->activateWindow();
        rowsTableView_->setFocus();
        return;
    }
    changeConsole(RowsConsole);
}

void TablesAndRowsController::selectAddRowView() {
    if (selectedConsoleIndex != RecordConsole) changeConsole(RecordConsole);
}
void TablesAndRowsController::selectSQLView() {
    if (selectedConsoleIndex != SQLConsole) changeConsole(SQLConsole);
}
void TablesAndRowsController::selectImportView() {
    if (selectedConsoleIndex != ImportConsole) changeConsole(ImportConsole);
}
void TablesAndRowsController::selectExportView() {
    if (selectedConsoleIndex != ExportConsole) changeConsole(ExportConsole);
}
void TablesAndRowsController::selectPrintView() {
    if (selectedConsoleIndex != PrintConsole) changeConsole(PrintConsole);
}

void TablesAndRowsController::selectConsole(int console) {
    switch (console) {
        case RecordConsole:
            selectAddRowView();
            break;
        case SQLConsole:
            selectSQLView();
            break;
        case ImportConsole:
            selectImportView();
            break;
        case ExportConsole:
            selectExportView();
            break;
        case PrintConsole:
            selectPrintView();
            break;
        default:
            selectRowsView();
            break;
    }
}

void TablesAndRowsController::changeConsole(int console) {
    view();
    if (console < RowsConsole || console >= kNumberOfConsoles) console = RowsConsole;
    if (console == RecordConsole) {
        selectAddRowViewAtFieldIndex(-1);
        return;
    }
    showOnlyConsole(console);
    if (console == RowsConsole) rowsTableView_->setFocus();
    if (console == SQLConsole) consoleViews_[SQLConsole]->setFocus();
}

void TablesAndRowsController::selectAddRowViewAtFieldIndex(int64_t fieldIndex) {
    view();
    // The rowid is never a field to edit: it stands for the first field shown.
    fieldIndexToEdit = fieldIndex < 1 ? -1 : fieldIndex;
    showOnlyConsole(RecordConsole);
    consoleViews_[RecordConsole]->setFocus();
}

void TablesAndRowsController::showOnlyConsole(int console) {
    selectedConsoleIndex = console;
    for (int other = RecordConsole; other < kNumberOfConsoles; ++other) {
        consoleViews_[static_cast<size_t>(other)]->setVisible(other == console);
    }
    bool rows = console == RowsConsole;
    bottomDrawerView_->setVisible(!rows);
    rowsScrollView_->setVisible(rows);
    rowsViewNumberOfRowsButton_->setVisible(rows);
    selectSegmentInToolbar(console);
}

void TablesAndRowsController::selectSegmentInToolbar(int console) {
    auto* segments = consoleToolbar_->findChild<QButtonGroup*>();
    if (QAbstractButton* button = segments ? segments->button(console) : nullptr) {
        button->setChecked(true);
    }
}

QWidget* TablesAndRowsController::consoleView(int console) const {
    if (console < 0 || console >= static_cast<int>(consoleViews_.size())) return nullptr;
    return consoleViews_[static_cast<size_t>(console)];
}

void TablesAndRowsController::focusTablesView() {
    view();
    tablesList_->setFocus();
}

void TablesAndRowsController::showTablesView(bool show) {
    view();
    QList<int> sizes = tablesRowsSplitView_->sizes();
    int total = std::max(sizes.value(0) + sizes.value(1), kTablesViewWidth + 1);
    int tablesWidth = show ? kTablesViewWidth : 0;
    tablesRowsSplitView_->setSizes({tablesWidth, total - tablesWidth});
}

bool TablesAndRowsController::isTablesViewShown() const {
    return tablesRowsSplitView_ && tablesRowsSplitView_->sizes().value(0) > 0;
}

void TablesAndRowsController::showConsoleToolbar(bool show) {
    view();
    toolbarShown_ = show;
    consoleToolbar_->setVisible(show);
}

bool TablesAndRowsController::isConsoleToolbarShown() const {
    return toolbarShown_;
}

int64_t TablesAndRowsController::numberOfRowsInTableView(const QAbstractItemView* tableView) const {
    if (!tableView) return 0;
    if (tableView == tablesList_) return static_cast<int64_t>(tableNames.size());
    if (tableView == rowsTableView_) {
        if (numberOfFieldsPerRow < 1) return 0;
        return static_cast<int64_t>(fieldValuesLoaded.size()) / numberOfFieldsPerRow;
    }
    if (tableView->objectName() == "addRowTableView") {
        return numberOfFieldsPerRow < 1 ? 0 : numberOfFieldsPerRow - 1;
    }
    return 0;
}
