#pragma once
// The sort panel of a database window: up to three sort fields with their directions, the ROWID
// order used without them, and the mark of an object sorted on a unique key (which lets a
// read-only table or view be paged). The choice is stored in the object's varnelo_db_tables row
// and a table's sort indexes are rebuilt; only what changed is stored.
#include <QObject>
#include <QPointer>

#include <array>
#include <string>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QCheckBox;
class QComboBox;
class QPushButton;
class QWidget;

class SortPanel : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    explicit SortPanel(DatabaseWindow& window);
    ~SortPanel() override;

    // ---- WindowPanel ----
    void selectedObjectDidChange() override;
    void windowWillClose() override;

    // The menu command: the panel for the one object selected, else an information alert.
    void sortFieldsMenuItemClicked();
    // Brings the panel to the front; when it was hidden it is placed below the row of the
    // tables list and filled first. Nothing for a row outside the list.
    void showTableSortFieldsForRowIndex(int row);
    void updateSortPanel();
    // The sort pop-ups offer "(None)" and each field up and down, for a table only.
    void updateSortPanelSortOnPopUpButtons();
    void updateSortPanelSortButtons();
    // Stores the unique-key mark when it changed, then for a table the changed sort codes with
    // their indexes (a stored order missing its indexes counts as changed) and the changed ROWID
    // order; the grid follows.
    void sortPanelSortButtonPressed();

    // Made on first use.
    QWidget* sortPanel();
    QComboBox* sortPanelSortOnButton() { return sortOnButton(0); }
    QComboBox* sortPanelThenOnButton() { return sortOnButton(1); }
    QComboBox* sortPanelThenOn2Button() { return sortOnButton(2); }
    QComboBox* sortPanelThenOnROWIDButton();
    QCheckBox* sortPanelSortedOnUniqueKeyButton();
    QPushButton* sortPanelSortButton();

  private:
    void buildPanel();
    QComboBox* sortOnButton(size_t level);
    // Stores the sort codes with their indexes in one transaction (a failure keeps the old
    // order) and the ROWID order of table `name` as far as they changed; whether anything was
    // stored.
    bool storeSortChoice(const std::string& name, const std::string& path);

    DatabaseWindow& window_;
    QPointer<QWidget> panel_;
    std::array<QComboBox*, 3> sortOnButtons_{};
    QComboBox* thenOnROWIDButton_ = nullptr;
    QCheckBox* sortedOnUniqueKeyButton_ = nullptr;
    QPushButton* sortButton_ = nullptr;
};
