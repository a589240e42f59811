#pragma once
// The databases window of one database window: a sheet on it listing the databases of the
// Documents folder; it opens the chosen one in that window, creates a new one there, renames a
// file whose name is edited in the list and copies in database files dropped on it. Each window
// has its own, with its own sort order; the listing is the application's.
#include <QDialog>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/AppFileList.h"
#include "mainwindow/WindowPanel.h"

class AppDelegate;
class FileTableView;
class QPushButton;

class DatabasesWindow : public QDialog, public WindowPanel {
    Q_OBJECT

  public:
    // The databases window of the slot's database window.
    DatabasesWindow(AppDelegate& app, int windowIndex);

    // ---- WindowPanel ----
    void windowWillClose() override;

    // Shows the sheet on its window, preselecting the file of that name.
    void openDatabase(const std::optional<std::string>& fileName);
    // Refills the list in the current order; positions of the named files go to indexes.
    void databasesWindowReloadFiles(const std::set<std::string>* fileNames,
                                    std::vector<int>* indexes);
    // After files were copied in: when shown, the list is read again with those names selected.
    void reloadDatabasesWindow(const std::set<std::string>& fileNames);

    void databasesWindowOpenButtonPressed();
    void databasesWindowNewDatabaseButtonPressed();
    void databasesWindowCancelButtonPressed();
    void databasesWindowTableViewDoubleClickOnRow(int row);
    void databasesWindowTableViewDidClickTableColumn(const QString& identifier);
    // The end of editing of a name in the list.
    void databasesWindowFileNameEdited(int row, const QString& text);

    const std::vector<AppFileEntry>& filteredDatabaseFilesArray() const {
        return filteredDatabaseFilesArray_;
    }
    int databasesSortOrder() const { return databasesSortOrder_; }
    FileTableView* tableView() const { return tableView_; }
    QPushButton* openButton() const { return openButton_; }

  private:
    void reloadTable();
    void updateOpenButton();
    // Opens the Documents file in the sheet's window and ends the sheet.
    void showDatabaseAndClose(const std::string& fileName);
    void showSheetError(const std::string& text);

    AppDelegate& app_;
    const int windowIndex_;
    std::vector<AppFileEntry> filteredDatabaseFilesArray_;
    int databasesSortOrder_ = NameAscending;
    FileTableView* tableView_;
    QPushButton* openButton_;
};
