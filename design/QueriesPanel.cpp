#include "design/QueriesPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "mainwindow/DatabaseWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

QueriesPanel::QueriesPanel(DatabaseWindow& window, QWidget* parent)
    : QDialog(parent, Qt::Tool), window_(window) {
    setObjectName("queriesPanel");
    setWindowTitle(toQString(localizedString("Queries")));
    resize(560, 400);
    searchField_ = new QLineEdit(this);
    searchField_->setObjectName("queriesPanelSearchField");
    searchField_->setPlaceholderText(toQString(localizedString("Search")));
    favoritesButton_ = new QPushButton(toQString(localizedString("Favorites")), this);
    favoritesButton_->setObjectName("queriesPanelFavoritesButton");
    favoritesButton_->setCheckable(true);
    table_ = new QTableWidget(0, 1, this);
    table_->setObjectName("queriesPanelHistoryTableView");
    table_->horizontalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    deleteButton_ = new QPushButton(toQString(localizedString("Delete")), this);
    deleteButton_->setObjectName("queriesPanelDeleteButton");
    deleteButton_->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(searchField_, 1);
    top->addWidget(favoritesButton_);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(deleteButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);

    connect(searchField_, &QLineEdit::textChanged, this, [this] { searchTextDidChange(); });
    connect(favoritesButton_, &QPushButton::clicked, this,
            [this] { queriesPanelFavoritesButtonPressed(); });
    connect(deleteButton_, &QPushButton::clicked, this,
            [this] { queriesPanelDeleteButtonPressed(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { selectionDidChange(); });
    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!reloading_) queriesPanelMakeFavoriteButtonPressed(item->row());
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int, int) {
        if (queryDoubleClicked) queryDoubleClicked();
        hide();
    });
}

std::string QueriesPanel::searchString() const {
    return toStdString(searchField_->text());
}

bool QueriesPanel::favoritesOnly() const {
    return favoritesButton_->isChecked();
}

void QueriesPanel::reloadQueriesArray() {
    std::string error;
    if (queries_.reloadQueriesArray(window_.state().databaseFilePath, &error) != 0) {
        window_.showErrorAlert(error, window_.window());
    }
    reloadTable();
}

void QueriesPanel::showPanel() {
    if (!isVisible()) {
        reloadQueriesArray();
        deleteButton_->setEnabled(!table_->selectedItems().isEmpty());
        if (table_->rowCount() > 0) table_->scrollToTop();
    }
    show();
    raise();
    activateWindow();
}

void QueriesPanel::reloadTable() {
    reloading_ = true;
    const auto& shown = queries_.queryIndexesShownArray();
    table_->clearContents();
    table_->setRowCount(static_cast<int>(shown.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const QueryPanelEntry* entry = queries_.entryAtShownRow(row);
        auto* item = new QTableWidgetItem(
            toQString(entry ? entry->queryString : localizedString("(Unknown)")));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(entry && entry->queryROWID ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(item->text());
        table_->setItem(row, 0, item);
    }
    reloading_ = false;
    deleteButton_->setEnabled(!table_->selectedItems().isEmpty());
}

void QueriesPanel::selectionDidChange() {
    if (reloading_) return;
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    deleteButton_->setEnabled(!selected.isEmpty());
    if (selected.isEmpty()) return;
    const QueryPanelEntry* entry = queries_.entryAtShownRow(table_->currentRow());
    if (entry && querySelected) querySelected(entry->queryString);
}

void QueriesPanel::searchTextDidChange() {
    queries_.reloadQueriesArrayWithSearchString(searchString(), favoritesOnly());
    reloadTable();
}

void QueriesPanel::queriesPanelFavoritesButtonPressed() {
    searchTextDidChange();
}

void QueriesPanel::queriesPanelMakeFavoriteButtonPressed(int row) {
    const auto& path = window_.state().databaseFilePath;
    if (path) {
        std::string error;
        if (queries_.toggleFavoriteAtShownRow(row, *path, searchString(), favoritesOnly(),
                                              &error) != 0) {
            window_.showErrorAlert(error, window_.window());
        }
    }
    reloadTable();
}

void QueriesPanel::queriesPanelDeleteButtonPressed() {
    std::vector<int64_t> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    Alert alert;
    alert.messageText = toQString(localizedString("Delete selected queries?"));
    alert.informativeText = toQString(localizedString("This cannot be undone!"));
    alert.buttons = {toQString(localizedString("Delete")), toQString(localizedString("Cancel"))};
    alert.beginSheetModalForWindow(this, [this, rows](int button) {
        if (button != 0) return;
        std::string error;
        if (queries_.deleteShownRows(rows, window_.state().databaseFilePath, searchString(),
                                     favoritesOnly(), &error) != 0) {
            window_.showErrorAlert(error, window_.window());
        }
        reloadTable();
    });
}
