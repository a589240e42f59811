// Consoles of the database window, its toolbar, and the tables list's visibility and width.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QListWidget>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>

#include "Common/ShownRows.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/foundation/Localized.h"
#include "settings/ColumnWidths.h"

void TablesAndRowsController::selectConsole(ConsoleIndex console) {
    if (console != state_.selectedConsoleIndex) {
        changeConsole(console);
    } else if (console == TablesAndRowsState::RowsConsole) {
        // The grid chosen again takes the keyboard back; hidden, it is shown.
        if (consoleViews_[TablesAndRowsState::RowsConsole]->isVisibleTo(view_)) {
            consoles_[TablesAndRowsState::RowsConsole]->consoleDidAppear();
        } else {
            changeConsole(console);
        }
    }
}

void TablesAndRowsController::changeConsole(ConsoleIndex console) {
    if (console == TablesAndRowsState::RecordConsole) {
        selectAddRowViewAtFieldIndex(FieldIndex());
        return;
    }
    showOnlyConsole(console);
}

void TablesAndRowsController::selectAddRowViewAtFieldIndex(FieldIndex field) {
    // The rowid is never a field to edit: it stands for the first field shown.
    state_.selection.fieldIndexToEdit = field < kFirstFieldIndex ? FieldIndex() : field;
    showOnlyConsole(TablesAndRowsState::RecordConsole);
}

void TablesAndRowsController::showOnlyConsole(ConsoleIndex console) {
    if (console != state_.selectedConsoleIndex) closeEditFieldPanel();
    state_.selectedConsoleIndex = console;
    for (int other = 0; other < kNumberOfConsoles; ++other) {
        consoleViews_[static_cast<size_t>(other)]->setVisible(other == console);
    }
    selectSegmentInToolbar(console);
    if (Console* shown = this->console(console)) {
        shown->consoleDidAppear();
    } else {
        consoleViews_[static_cast<size_t>(console)]->setFocus();
    }
}

void TablesAndRowsController::selectSegmentInToolbar(ConsoleIndex console) {
    auto* segments = consoleToolbar_->findChild<QButtonGroup*>();
    if (QAbstractButton* button = segments ? segments->button(console) : nullptr) {
        button->setChecked(true);
    }
}

QWidget* TablesAndRowsController::consoleView(ConsoleIndex console) {
    return consoleViews_[static_cast<size_t>(console)];
}

void TablesAndRowsController::updateNumberOfRowsLabel() {
    tellConsoles(&Console::numberOfRowsDidChange);
}

void TablesAndRowsController::rowsDidChange() {
    tellConsoles(&Console::rowsDidChange);
}

void TablesAndRowsController::moveFocusedRowBy(int64_t offset) {
    grid_->moveFocusedRowBy(offset);
}

void TablesAndRowsController::sortOrSearchDidChange() {
    tellConsoles(&Console::sortOrSearchDidChange);
}

void TablesAndRowsController::focusDidMove() {
    tellConsoles(&Console::focusDidMove);
    for (const auto& panel : panels_) panel->focusDidMove();
}

void TablesAndRowsController::writeRefused(int refusal, const std::string& message,
                                           QWidget* alertWindow) {
    if (refusal == DBInterface::kRowsChanged) {
        showAlert(localizedString("Rows Changed"), message, alertWindow);
    } else {
        showErrorAlert(message, alertWindow);
    }
    // Read again with its fields as they were, the page would show the values under other names.
    if (refusal == DBInterface::kFieldsChanged) return;
    // An in-place editor may still be closing: the page shown is read again after it.
    QTimer::singleShot(0, this, [this] { rowsDidChange(); });
}

void TablesAndRowsController::pageWasWritten() {
    grid_->pageWasWritten();
}

int64_t TablesAndRowsController::fileVersion(const std::string& databaseFilePath) {
    return grid_ ? grid_->fileVersion(databaseFilePath) : -1;
}

std::optional<QRect> TablesAndRowsController::focusedCellScreenRect() const {
    return grid_->focusedCellScreenRect();
}

void TablesAndRowsController::showEditFieldPanel() {
    for (const auto& panel : panels_) panel->showEditFieldPanel();
}

void TablesAndRowsController::showEditFieldSheet(FieldIndex field, const DBValue& value) {
    for (const auto& panel : panels_) panel->showEditFieldSheet(field, value);
}

void TablesAndRowsController::closeEditFieldPanel() {
    for (const auto& panel : panels_) panel->closeEditFieldPanel();
}

void TablesAndRowsController::editFieldSheetDidEnd(FieldIndex field,
                                                   const std::optional<std::string>& text) {
    recordEditor_->editFieldSheetDidEnd(field, text);
}

void TablesAndRowsController::focusTablesView() {
    tablesList_->setFocus();
}

void TablesAndRowsController::showTablesView(bool show) {
    QList<int> sizes = tablesRowsSplitView_->sizes();
    int total = std::max(sizes.value(0) + sizes.value(1), kTablesViewWidth + 1);
    int tablesWidth = show ? kTablesViewWidth : 0;
    tablesRowsSplitView_->setSizes({tablesWidth, total - tablesWidth});
}

bool TablesAndRowsController::isTablesViewShown() const {
    return tablesRowsSplitView_ && tablesRowsSplitView_->sizes().value(0) > 0;
}

void TablesAndRowsController::showConsoleToolbar(bool show) {
    toolbarShown_ = show;
    consoleToolbar_->setVisible(show);
}

bool TablesAndRowsController::isConsoleToolbarShown() const {
    return toolbarShown_;
}

void TablesAndRowsController::storeSplitViewWidths() {
    if (!state_.databaseFilePath || !tablesRowsSplitView_) return;
    setStoredTablesListWidth(*state_.databaseFilePath, tablesRowsSplitView_->sizes().value(0));
}

void TablesAndRowsController::updateTablesRowsSplitViewWidths() {
    if (!state_.databaseFilePath || !tablesRowsSplitView_) return;
    std::optional<double> stored = storedTablesListWidth(*state_.databaseFilePath);
    if (!stored) return;
    int width = static_cast<int>(*stored);
    QList<int> sizes = tablesRowsSplitView_->sizes();
    int total = std::max(sizes.value(0) + sizes.value(1), width + 1);
    tablesRowsSplitView_->setSizes({width, total - width});
}

void TablesAndRowsController::splitViewDidResizeSubviews() {
    storeSplitViewWidths();
}
