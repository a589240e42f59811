#pragma once
// The web bookmarks window of a database window: the titles and addresses kept in the
// database's varnelo_db_bookmarks table, edited in place, added, deleted and opened with the
// desktop. The list is read again whenever the window is shown and after every change.
#include <QObject>
#include <QPointer>

#include <string>
#include <vector>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

class WebBookmarksWindow : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    // The table's columns: the title and the address.
    enum Column { BookmarkTitle, URL };

    explicit WebBookmarksWindow(DatabaseWindow& window);
    ~WebBookmarksWindow() override;

    // ---- WindowPanel ----
    // A window shown shows the bookmarks of the database the window shows now.
    void selectedObjectDidChange() override;
    void windowWillClose() override;

    // The menu command.
    void webBrowserBookmarksMenuItemClicked() { showWebBrowserBookmarksWindow(); }
    // Reads the bookmarks and brings the window to the front, placed beside the tables list
    // when it was hidden.
    void showWebBrowserBookmarksWindow();
    // The bookmarks of the database by title; a failure is shown, the list kept as far as read.
    void reloadBookmarks();
    // Adds a bookmark titled "Bookmark" without an address.
    void addButtonPressedInBookmarksWindow();
    // Deletes the selected bookmarks once the user confirms.
    void deleteButtonPressedInBookmarksWindow();
    // Opens the address of each selected bookmark with the desktop.
    void openButtonPressedInBookmarksWindow();

    // Rowid, title and address of each bookmark, flat.
    const std::vector<std::string>& bookmarks() const { return bookmarks_; }
    // Made on first use.
    QWidget* webBrowserBookmarksWindow();
    QTableWidget* webBrowserBookmarksWindowTableView();
    QPushButton* webBrowserBookmarksWindowDeleteButton();

  private:
    void buildWindow();
    void reloadTable();
    // The end of an in-place edit: the bookmark of the item's row gets the typed text.
    void bookmarkItemChanged(QTableWidgetItem* item);
    std::vector<int> selectedRows() const;
    std::string databaseFilePath() const;

    DatabaseWindow& window_;
    std::vector<std::string> bookmarks_;
    std::string bookmarksDatabaseFilePath_;  // whose bookmarks were read
    QPointer<QWidget> bookmarksWindow_;
    QTableWidget* table_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
};
