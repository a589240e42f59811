#pragma once
// The queries panel of the SQL console: the history and the favourites, a search field, a
// favourites-only switch, a favourite check box a row and Delete.
#include <QDialog>

#include <functional>
#include <string>

#include "design/QueriesList.h"

class DatabaseWindow;
class QLineEdit;
class QPushButton;
class QTableWidget;

class QueriesPanel : public QDialog {
  public:
    QueriesPanel(DatabaseWindow& window, QWidget* parent);

    // Reads the list again and shows every entry.
    void reloadQueriesArray();
    // Shows the panel; a hidden one reads its list first.
    void showPanel();

    void queriesPanelMakeFavoriteButtonPressed(int row);
    void queriesPanelFavoritesButtonPressed();
    // Asks first; deletes the selected queries.
    void queriesPanelDeleteButtonPressed();

    // The selected query, for the query text.
    std::function<void(const std::string& queryString)> querySelected;
    // A double click: the selected query is run.
    std::function<void()> queryDoubleClicked;

    const QueriesList& queries() const { return queries_; }
    QTableWidget* queriesPanelHistoryTableView() const { return table_; }
    QLineEdit* queriesPanelSearchField() const { return searchField_; }
    QPushButton* queriesPanelFavoritesButton() const { return favoritesButton_; }

  private:
    void reloadTable();
    void selectionDidChange();
    void searchTextDidChange();
    std::string searchString() const;
    bool favoritesOnly() const;

    DatabaseWindow& window_;
    QueriesList queries_;
    QTableWidget* table_;
    QLineEdit* searchField_;
    QPushButton* favoritesButton_;
    QPushButton* deleteButton_;
    // Set while the table is refilled, so that its signals change nothing.
    bool reloading_ = false;
};
