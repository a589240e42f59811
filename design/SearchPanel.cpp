#include "design/SearchPanel.h"

#include <QAction>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "Common/DBInterface.h"
#include "design/PanelWindows.h"
#include "mainwindow/DatabaseWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

SearchPanel::SearchPanel(DatabaseWindow& window) : window_(window) {}

SearchPanel::~SearchPanel() {
    // The panel goes with us, though the database window stays.
    delete panel_.data();
}

QWidget* SearchPanel::searchPanel() {
    if (!panel_) buildPanel();
    return panel_;
}

QListWidget* SearchPanel::searchPanelSearchFieldsTableView() {
    searchPanel();
    return fieldsTable_;
}

QLineEdit* SearchPanel::searchPanelSearchField() {
    searchPanel();
    return searchField_;
}

QPushButton* SearchPanel::searchPanelSearchButton() {
    searchPanel();
    return searchButton_;
}

void SearchPanel::buildPanel() {
    panel_ = makePanelWindow(window_, "searchPanel", "Search");
    auto* layout = new QVBoxLayout(panel_);
    fieldsTable_ = new QListWidget(panel_);
    fieldsTable_->setObjectName("searchPanelSearchFieldsTableView");
    fieldsTable_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(fieldsTable_, 1);
    searchField_ = new QLineEdit(panel_);
    searchField_->setObjectName("searchPanelSearchField");
    searchField_->setClearButtonEnabled(true);
    layout->addWidget(searchField_);
    searchButton_ = new QPushButton(toQString(localizedString("Search")), panel_);
    searchButton_->setObjectName("searchPanelSearchButton");
    layout->addWidget(searchButton_);
    // The panel fills the table itself with its signals blocked: a change here is the user's.
    connect(fieldsTable_, &QListWidget::itemSelectionChanged, this,
            [this] { searchPanelSearchFieldsTableViewAction(); });
    connect(searchField_, &QLineEdit::returnPressed, this,
            [this] { searchPanelSearchButtonPressed(); });
    connect(searchButton_, &QPushButton::clicked, this,
            [this] { searchPanelSearchButtonPressed(); });
    // The field's clear button searches for the emptied text, which shows every row again.
    if (auto* clear = searchField_->findChild<QAction*>("_q_qlineeditclearaction")) {
        connect(
            clear, &QAction::triggered, this, [this] { searchPanelSearchButtonPressed(); },
            Qt::QueuedConnection);
    }
    panel_->installEventFilter(this);
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel_ && event->type() == QEvent::Close) searchPanelWillClose();
    return false;
}

void SearchPanel::searchPanelWillClose() {
    // Rows left filtered with no panel to say so would pass for the whole table.
    auto& search = window_.state().sortAndSearch;
    if (!search.likeString) return;
    search.likeString.reset();
    window_.sortOrSearchDidChange();
}

void SearchPanel::selectedObjectDidChange() {
    if (!panel_ || !panel_->isVisible()) return;
    // There is nothing to search in an empty object.
    if (window_.state().dataPort.totalRows < 1) {
        panel_->hide();
        return;
    }
    reloadSearchPanelFieldsTable();
    updateSearchPanel();
    updateSearchPanelSearchFieldPlaceholder();
}

void SearchPanel::windowWillClose() {
    if (panel_) panel_->hide();
}

void SearchPanel::showSearchPanel() {
    if (!searchPanel()->isVisible()) {
        reloadSearchPanelFieldsTable();
        updateSearchPanel();
        updateSearchPanelSearchFieldPlaceholder();
        panel_->adjustSize();
        placePanelBesideTablesList(panel_, window_);
    }
    bringPanelToFront(panel_);
    searchField_->setFocus();
}

void SearchPanel::reloadSearchPanelFieldsTable() {
    searchPanel();
    QSignalBlocker blocker(fieldsTable_);
    fieldsTable_->clear();
    for (const std::string& name : window_.state().fieldModel.fieldNames) {
        fieldsTable_->addItem(toQString(name));
    }
}

void SearchPanel::updateSearchPanel() {
    searchPanel();
    const TablesAndRowsState& state = window_.state();
    bool enabled = window_.selectedTableNameIfOnlyOne() &&
                   state.selectedObject.tableType < DBInterface::kSchemaIndex &&
                   !state.fieldModel.fieldNames.empty();
    if (enabled) {
        QSignalBlocker blocker(fieldsTable_);
        fieldsTable_->clearSelection();
        for (FieldPosition position : state.sortAndSearch.searchFieldIndexes) {
            if (QListWidgetItem* item = fieldsTable_->item(static_cast<int>(position.value))) {
                item->setSelected(true);
            }
        }
    }
    fieldsTable_->setEnabled(enabled);
    searchField_->setEnabled(enabled);
    searchButton_->setEnabled(enabled);
}

void SearchPanel::updateSearchPanelSearchFieldPlaceholder() {
    searchPanel();
    const auto& names = window_.state().fieldModel.fieldNames;
    std::string listed;
    for (FieldPosition position : window_.state().sortAndSearch.searchFieldIndexes) {
        if (position.isNone() || position.value >= static_cast<int64_t>(names.size())) continue;
        listed += (listed.empty() ? "" : ", ") + names[static_cast<size_t>(position.value)];
    }
    searchField_->setPlaceholderText(toQString(localizedString("Search ") + listed));
}

void SearchPanel::searchPanelSearchFieldsTableViewAction() {
    searchPanel();
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    TablesAndRowsState& state = window_.state();
    DBInterface::IndexSet chosen;
    for (QListWidgetItem* item : fieldsTable_->selectedItems()) {
        chosen.insert(fieldsTable_->row(item));
    }
    if (name && state.databaseFilePath && !chosen.empty()) {
        std::string text = toStdString(searchField_->text());
        std::string error;
        if (DBInterface::updateSearchFields(chosen, true, &text, *name, *state.databaseFilePath,
                                            &error) != 0) {
            window_.showErrorAlert(error, panel_);
        } else {
            state.sortAndSearch.searchFieldIndexes = FieldPositionSet(chosen);
        }
    }
    updateSearchPanelSearchFieldPlaceholder();
}

void SearchPanel::searchPanelSearchButtonPressed() {
    if (!window_.selectedTableNameIfOnlyOne()) return;
    // The rows found start again from the first: the cell the panel stood on is gone.
    window_.closeEditFieldPanel();
    searchPanel();
    auto& search = window_.state().sortAndSearch;
    std::string text = toStdString(searchField_->text());
    if (!text.empty() && !search.searchFieldIndexes.empty()) {
        search.likeString = DBInterface::likePatternForSearchText(text);
    } else {
        search.likeString.reset();
    }
    window_.sortOrSearchDidChange();
}
