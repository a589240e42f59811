#include "design/WebBookmarksWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "Common/DBInterface.h"
#include "design/PanelWindows.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/Workspace.h"

namespace {
constexpr size_t kValuesPerBookmark = 3;  // rowid, title, address
}  // namespace

WebBookmarksWindow::WebBookmarksWindow(DatabaseWindow& window) : window_(window) {}

WebBookmarksWindow::~WebBookmarksWindow() {
    // The panel goes with us, though the database window stays.
    delete bookmarksWindow_.data();
}

QWidget* WebBookmarksWindow::webBrowserBookmarksWindow() {
    if (!bookmarksWindow_) buildWindow();
    return bookmarksWindow_;
}

QTableWidget* WebBookmarksWindow::webBrowserBookmarksWindowTableView() {
    webBrowserBookmarksWindow();
    return table_;
}

QPushButton* WebBookmarksWindow::webBrowserBookmarksWindowDeleteButton() {
    webBrowserBookmarksWindow();
    return deleteButton_;
}

void WebBookmarksWindow::buildWindow() {
    bookmarksWindow_ = makePanelWindow(window_, "webBrowserBookmarksWindow", "Web Bookmarks");
    auto* layout = new QVBoxLayout(bookmarksWindow_);
    table_ = new QTableWidget(0, 2, bookmarksWindow_);
    table_->setObjectName("webBrowserBookmarksWindowTableView");
    table_->setHorizontalHeaderLabels(
        {toQString(localizedString("Title")), toQString(localizedString("URL"))});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::SelectedClicked);
    table_->setColumnWidth(BookmarkTitle, 160);
    layout->addWidget(table_, 1);
    auto* buttons = new QHBoxLayout;
    auto* addButton = new QPushButton(toQString(localizedString("Add")), bookmarksWindow_);
    addButton->setObjectName("webBrowserBookmarksWindowAddButton");
    deleteButton_ = new QPushButton(toQString(localizedString("Delete")), bookmarksWindow_);
    deleteButton_->setObjectName("webBrowserBookmarksWindowDeleteButton");
    deleteButton_->setEnabled(false);
    auto* openButton = new QPushButton(toQString(localizedString("Open")), bookmarksWindow_);
    openButton->setObjectName("webBrowserBookmarksWindowOpenButton");
    buttons->addWidget(addButton);
    buttons->addWidget(deleteButton_);
    buttons->addStretch(1);
    buttons->addWidget(openButton);
    layout->addLayout(buttons);
    bookmarksWindow_->resize(480, 300);
    connect(addButton, &QPushButton::clicked, this,
            [this] { addButtonPressedInBookmarksWindow(); });
    connect(deleteButton_, &QPushButton::clicked, this,
            [this] { deleteButtonPressedInBookmarksWindow(); });
    connect(openButton, &QPushButton::clicked, this,
            [this] { openButtonPressedInBookmarksWindow(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { deleteButton_->setEnabled(!selectedRows().empty()); });
    connect(table_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { bookmarkItemChanged(item); });
}

void WebBookmarksWindow::selectedObjectDidChange() {
    if (!bookmarksWindow_ || !bookmarksWindow_->isVisible() ||
        databaseFilePath() == bookmarksDatabaseFilePath_) {
        return;
    }
    reloadBookmarks();
    reloadTable();
}

void WebBookmarksWindow::windowWillClose() {
    if (bookmarksWindow_) bookmarksWindow_->hide();
}

std::string WebBookmarksWindow::databaseFilePath() const {
    return window_.state().databaseFilePath.value_or(std::string());
}

void WebBookmarksWindow::showWebBrowserBookmarksWindow() {
    reloadBookmarks();
    reloadTable();
    if (!bookmarksWindow_->isVisible()) placePanelBesideTablesList(bookmarksWindow_, window_);
    bringPanelToFront(bookmarksWindow_);
}

void WebBookmarksWindow::reloadBookmarks() {
    bookmarks_.clear();
    bookmarksDatabaseFilePath_ = databaseFilePath();
    std::string error;
    if (DBInterface::getBookmarks(&bookmarks_, databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
    }
}

void WebBookmarksWindow::reloadTable() {
    webBrowserBookmarksWindow();
    QSignalBlocker blocker(table_);
    size_t rows = bookmarks_.size() / kValuesPerBookmark;
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rows));
    for (size_t row = 0; row < rows; ++row) {
        for (int column : {BookmarkTitle, URL}) {
            const std::string& text = bookmarks_[row * kValuesPerBookmark + 1 + column];
            table_->setItem(static_cast<int>(row), column, new QTableWidgetItem(toQString(text)));
        }
    }
    deleteButton_->setEnabled(!selectedRows().empty());
}

std::vector<int> WebBookmarksWindow::selectedRows() const {
    std::vector<int> rows;
    int listed = static_cast<int>(bookmarks_.size() / kValuesPerBookmark);
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        if (index.row() < listed) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void WebBookmarksWindow::addButtonPressedInBookmarksWindow() {
    std::string error;
    if (DBInterface::addBookmark(localizedString("Bookmark"), "", databaseFilePath(), &error) !=
        0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    reloadBookmarks();
    reloadTable();
}

void WebBookmarksWindow::bookmarkItemChanged(QTableWidgetItem* item) {
    size_t row = static_cast<size_t>(item->row());
    if (row >= bookmarks_.size() / kValuesPerBookmark) return;
    const std::string* values = &bookmarks_[row * kValuesPerBookmark];
    std::string typed = toStdString(item->text());
    bool title = item->column() == BookmarkTitle;
    std::string error;
    if (DBInterface::updateBookmark(values[0], title ? typed : values[1], title ? values[2] : typed,
                                    databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
    } else {
        reloadBookmarks();
    }
    // Queued: the table must not be rebuilt under the editor that is closing.
    QMetaObject::invokeMethod(
        this, [this] { reloadTable(); }, Qt::QueuedConnection);
}

void WebBookmarksWindow::deleteButtonPressedInBookmarksWindow() {
    webBrowserBookmarksWindow();
    std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        Alert alert;
        alert.messageText = toQString(localizedString("No bookmark selected"));
        alert.informativeText = toQString(localizedString("Select a bookmark to delete"));
        alert.style = Alert::Style::Informational;
        alert.runModal();
        return;
    }
    Alert alert;
    alert.messageText = toQString(localizedString("Delete selected bookmarks?"));
    alert.informativeText = toQString(localizedString("This cannot be undone!"));
    alert.buttons = {toQString(localizedString("Delete")), toQString(localizedString("Cancel"))};
    if (alert.runModal() != 0) return;
    std::vector<std::string> rowids;
    for (int row : rows)
        rowids.push_back(bookmarks_[static_cast<size_t>(row) * kValuesPerBookmark]);
    std::string error;
    if (DBInterface::deleteBookmarks(rowids, databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    reloadBookmarks();
    reloadTable();
}

void WebBookmarksWindow::openButtonPressedInBookmarksWindow() {
    webBrowserBookmarksWindow();
    std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        window_.showAlert(localizedString("No bookmark selected"),
                          localizedString("Select a bookmark to open"), bookmarksWindow_);
        return;
    }
    for (int row : rows) {
        const std::string& url = bookmarks_[static_cast<size_t>(row) * kValuesPerBookmark + 2];
        if (url.empty()) continue;
        if (!Workspace::openURL(toQString(url))) {
            window_.shell().showErrorAlert(localizedFormat("Could not open %@", {url}));
        }
    }
}
