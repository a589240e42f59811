#pragma once
// The search panel of a database window: the fields a search of the selected table or view
// looks in (stored in its varnelo_db_tables row) and the search itself, which lives only in the
// window's state until the object is loaded again.
#include <QObject>
#include <QPointer>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

class SearchPanel : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    explicit SearchPanel(DatabaseWindow& window);
    ~SearchPanel() override;

    // ---- WindowPanel ----
    void selectedObjectDidChange() override;
    void windowWillClose() override;

    // The menu command.
    void searchMenuItemClicked() { showSearchPanel(); }
    // Brings the panel to the front with its search field ready for typing; when it was hidden
    // it is filled and placed beside the tables list first.
    void showSearchPanel();
    // One row per field of the selected object.
    void reloadSearchPanelFieldsTable();
    // Enabled for the one table or view selected that has fields, its searched fields selected.
    void updateSearchPanel();
    // "Search " and the names of the searched fields.
    void updateSearchPanelSearchFieldPlaceholder();
    // Stores the fields selected in the table as the object's searched fields.
    void searchPanelSearchFieldsTableViewAction();
    // Shows the rows whose searched fields contain the text as typed; no text shows every row.
    void searchPanelSearchButtonPressed();

    // Made on first use.
    QWidget* searchPanel();
    QListWidget* searchPanelSearchFieldsTableView();
    QLineEdit* searchPanelSearchField();
    QPushButton* searchPanelSearchButton();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildPanel();
    // The close box ends the search in force.
    void searchPanelWillClose();

    DatabaseWindow& window_;
    QPointer<QWidget> panel_;
    QListWidget* fieldsTable_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QPushButton* searchButton_ = nullptr;
};
