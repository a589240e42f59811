#pragma once
// The controller of one database window: its life cycle, title, toolbar, the tables list and the
// selected object, whose field model its FieldModelLoader reads. It owns the window's state and its
// consoles, which the application hands to it; it routes to them and never does their work. Its
// operations are spread over several sources by concern:
//   TablesAndRowsController.cpp   construction, set-up, title, alerts, closing, opening files
//   ControllerConsoles.cpp        consoles, toolbar, tables-list visibility, row counts
//   ControllerTableSelection.cpp  tables list, selection, reloading the object, rename, delete
#include <QObject>
#include <QPointer>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/Console.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/FieldModelLoader.h"
#include "mainwindow/GridRequests.h"
#include "mainwindow/RecordEditorRequests.h"
#include "mainwindow/TablesAndRowsState.h"
#include "mainwindow/WindowPanel.h"

class FilePanel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;
class QVBoxLayout;
class QWidget;
class WindowShell;

class TablesAndRowsController : public QObject, public DatabaseWindow {
    Q_OBJECT

  public:
    using ConsoleIndex = TablesAndRowsState::ConsoleIndex;
    static constexpr int kNumberOfConsoles = TablesAndRowsState::kNumberOfConsoles;
    static constexpr int kTablesViewWidth = 202;

    TablesAndRowsController(WindowShell* shell, int windowIndex);
    ~TablesAndRowsController() override;

    // The consoles in toolbar order, with the grid's and the record editor's own requests: what
    // the application hands over once. The window's view is built with them.
    using Consoles = std::array<std::unique_ptr<Console>, TablesAndRowsState::kNumberOfConsoles>;
    void setConsoles(Consoles consoles, GridRequests& grid, RecordEditorRequests& recordEditor);
    // The floating panels of the window, handed over by the application like the consoles;
    // they hear of every load of the selected object and of the window's closing.
    void addPanel(std::unique_ptr<WindowPanel> panel);

    int windowIndex() const override { return windowIndex_; }
    // The window's content; the window that shows it owns it.
    QWidget* view() const { return view_; }

    // ---- DatabaseWindow ----
    TablesAndRowsState& state() override { return state_; }
    const TablesAndRowsState& state() const override { return state_; }
    WindowShell& shell() const override { return *shell_; }
    QWidget* window() const override;
    std::optional<std::string> selectedTableName() const override;
    std::optional<std::string> selectedTableNameIfOnlyOne() const override;
    std::vector<std::string> selectedTableNames() const override;
    void selectConsole(ConsoleIndex console) override;
    void selectAddRowViewAtFieldIndex(FieldIndex field) override;
    void updateNumberOfRowsLabel() override;
    void rowsDidChange() override;
    void moveFocusedRowBy(int64_t offset) override;
    void reloadSelectedDatabaseObject() override;
    void sortOrSearchDidChange() override;
    void focusDidMove() override;
    void writeRefused(int refusal, const std::string& message, QWidget* alertWindow) override;
    void pageWasWritten() override;
    int64_t fileVersion(const std::string& databaseFilePath) override;
    std::optional<QRect> focusedCellScreenRect() const override;
    void showEditFieldPanel() override;
    void showEditFieldSheet(FieldIndex field, const DBValue& value) override;
    void closeEditFieldPanel() override;
    void editFieldSheetDidEnd(FieldIndex field, const std::optional<std::string>& text) override;
    void showErrorAlert(const std::string& text, QWidget* window) override;
    void showAlert(const std::string& title, const std::string& message, QWidget* window) override;

    // The database shown; nullopt while the window shows none (its slot is free).
    const std::optional<std::string>& databaseFilePath() const { return state_.databaseFilePath; }
    void setDatabaseFilePath(std::optional<std::string> path) {
        state_.databaseFilePath = std::move(path);
    }

    // ---- Life cycle, title, alerts ----
    // Set-up each time a database was shown in the window.
    void initializeAfterShown();
    void updateWindowTitle() override;
    bool isDatabaseInAppContainer() const;
    void showAlert(const std::string& title, const std::string& message);
    void showErrorAlert(const std::string& text);
    void showInfoAlert(const std::string& title, const std::string& info, QWidget* window) override;
    void showInfoAlert(const std::string& title, const std::string& info);
    void showExternalDatabaseWarning(bool offerToSuppress);
    // The window is about to close; the shell frees the slot. Every window always closes.
    bool windowShouldClose(QWidget* window);

    // Lets the user choose a database file anywhere and shows it here.
    void openExternalDatabase();
    // Lets the user choose a database of the Documents folder, preselecting fileName.
    void openDatabase(const std::optional<std::string>& fileName);
    // Shows the file in this window; with bookmark set a file outside the Documents folder gets
    // its bookmark brought up to date first. No validity test is made.
    void checkAndShowDatabase(const std::string& path, bool bookmark);
    // An application-modal alert with the error's description as informative text.
    void runErrorAlert(const std::string& message, const std::string& errorDescription);

    // ---- Consoles and toolbar ----
    void changeConsole(ConsoleIndex console);
    // The toolbar's segmented control mirrors the console.
    void selectSegmentInToolbar(ConsoleIndex console);
    ConsoleIndex selectedConsole() const { return state_.selectedConsoleIndex; }
    void focusTablesView();
    void showTablesView(bool show);
    void showConsoleToolbar(bool show);
    bool isTablesViewShown() const;
    bool isConsoleToolbarShown() const;
    // The console widget of an index.
    QWidget* consoleView(ConsoleIndex console);
    void storeSplitViewWidths();
    void updateTablesRowsSplitViewWidths();
    void splitViewDidResizeSubviews();

    // ---- Tables list and the selected object ----
    void reloadTables() override;
    // Reloads the tables list and selects the first entry of that name.
    void reloadTablesAndSelectTableNamed(const std::optional<std::string>& tableName) override;
    void enableUIWhileImportingFiles(bool enable) override;
    void reloadPickerTypes() override;
    int selectedTableTypeCode() const;
    void tablesListSelectionDidChange();
    void selectTableWithName(const std::optional<std::string>& name);
    void reloadTablesMenuItemClicked();
    void deleteTableButtonPressed() { deleteTable(); }
    void deleteTable();
    // The name typed into the tables list's row.
    void chooseTableTextFieldReturnKeyPressed(int row, const std::string& typedName);

    QListWidget* tablesTableView() const { return tablesList_; }
    // The buttons below the tables list, enabled while a database is shown.
    QToolButton* leftSideAddButton() const { return leftSideAddButton_; }
    QToolButton* leftSideDeleteButton() const { return leftSideDeleteButton_; }
    QToolButton* leftSideActionButton() const { return leftSideActionButton_; }
    QSplitter* tablesRowsSplitView() const { return tablesRowsSplitView_; }

  private:
    Console* console(ConsoleIndex console) const;
    void buildView();
    void showOnlyConsole(ConsoleIndex console);
    // Runs the panel as a sheet on the window and shows the database chosen.
    void showChosenDatabase(FilePanel panel);
    // The listing of the database's objects; nullopt (with the error, if any, and SQLite's code)
    // when the file is gone or cannot be read.
    std::optional<TablesAndRowsState::SelectedObject> readTablesListing(
        std::string* error, int* result = nullptr) const;
    // Puts the listing into the state and the list, the selection kept by name; tells no one.
    void showTablesListing(TablesAndRowsState::SelectedObject listing);
    // The object the grid shows for the list's selection.
    std::optional<std::string> nameOfObjectToShow() const;
    void tablesTableViewItemChanged(QListWidgetItem* item);
    void enableLeftSideButtons();
    // Calls the event on every console.
    void tellConsoles(void (Console::*event)());
    // A fault of the window's state is logged and the object read again, once however many
    // checks meet it before the reload.
    void recoverFromInconsistency(const char* fault);

    WindowShell* shell_;
    int windowIndex_;
    TablesAndRowsState state_;
    FieldModelLoader fieldModelLoader_{*this};
    Consoles consoles_;
    GridRequests* grid_ = nullptr;
    RecordEditorRequests* recordEditor_ = nullptr;
    std::vector<std::unique_ptr<WindowPanel>> panels_;
    // The view's widgets live as long as the view, which lives as long as its window.
    QPointer<QWidget> view_;
    QListWidget* tablesList_ = nullptr;
    QSplitter* tablesRowsSplitView_ = nullptr;
    QToolBar* consoleToolbar_ = nullptr;
    QToolButton* leftSideAddButton_ = nullptr;
    QToolButton* leftSideDeleteButton_ = nullptr;
    QToolButton* leftSideActionButton_ = nullptr;
    QPushButton* warningButton_ = nullptr;
    QWidget* consolesSide_ = nullptr;
    std::array<QWidget*, TablesAndRowsState::kNumberOfConsoles> consoleViews_{};
    bool toolbarShown_ = true;
    bool inconsistencyReloadPending_ = false;
};
