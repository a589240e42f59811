#pragma once
// The controller of one database window. It holds everything the window knows (the state
// record below, shared by the consoles and panels that read and write it directly) and runs
// the window's life cycle, its consoles, the tables list and the rows grid's data port.
// Its operations are spread over several sources by concern:
//   TablesAndRowsController.cpp   construction, set-up, title, alerts, closing, opening files
//   ControllerConsoles.cpp        consoles, toolbar, tables-list visibility, table-view routers
//   ControllerTableSelection.cpp  tables list, selection, field model loading, rename, delete
//   ControllerDataPort.cpp        counting, page loading, geometry, value access, labels
//   ControllerGridColumns.cpp     grid columns, widths, split view
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/LookupAndPickerTables.h"
#include "Common/SchemaListing.h"
#include "Common/SortSettings.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/NumberFormatter.h"

class AppDelegate;
class FilePanel;
class QDialog;
class QAbstractItemView;
class QListWidget;
class QListWidgetItem;
class QLabel;
class QPushButton;
class QSplitter;
class QToolBar;
class QWidget;
class RowsTableModel;
class RowsTableView;

class TablesAndRowsController : public QObject {
    Q_OBJECT

  public:
    // Consoles of a database window, in toolbar order.
    enum ConsoleIndex {
        RowsConsole,
        RecordConsole,
        SQLConsole,
        ImportConsole,
        ExportConsole,
        PrintConsole
    };
    static constexpr int kNumberOfConsoles = 6;
    static constexpr int64_t kLimitedRows = 1000;
    static constexpr int kTablesViewWidth = 202;

    TablesAndRowsController(AppDelegate* appDelegate, int windowIndex);
    ~TablesAndRowsController() override;

    int windowIndex() const { return windowIndex_; }
    AppDelegate* appDelegate() const { return appDelegate_; }
    // The window's content; the window that shows it owns it.
    QWidget* view();
    QWidget* window() const;

    // The database shown; nullopt while the window shows none (its slot is free).
    const std::optional<std::string>& databaseFilePath() const { return databaseFilePath_; }
    void setDatabaseFilePath(std::optional<std::string> path) {
        databaseFilePath_ = std::move(path);
    }

    // ---- Life cycle, title, alerts ----
    // Set-up each time a database was shown in the window.
    void initializeAfterShown();
    void updateWindowTitle();
    static bool isDatabaseInAppContainer(const std::optional<std::string>& path);
    void showAlert(const std::string& title, const std::string& message);
    void showErrorAlert(const std::string& text);
    void showAlert(const std::string& title, const std::string& message, QWidget* window);
    void showErrorAlert(const std::string& text, QWidget* window);
    void showInfoAlert(const std::string& title, const std::string& info, QWidget* window);
    void showInfoAlert(const std::string& title, const std::string& info);
    void showExternalDatabaseWarning(bool offerToSuppress);
    // Ends a prompt sheet with 1000 (Done) or 1001 (Cancel).
    void promptWindowDoneButtonPressed();
    void promptWindowCancelButtonPressed();
    void prompt2WindowDoneButtonPressed();
    void prompt2WindowCancelButtonPressed();
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
    void selectRowsView();
    void selectAddRowView();
    void selectSQLView();
    void selectImportView();
    void selectExportView();
    void selectPrintView();
    // The console by its index; what the shell calls for the toolbar and at restore.
    void selectConsole(int console);
    void changeConsole(int console);
    void selectAddRowViewAtFieldIndex(int64_t fieldIndex);
    // The toolbar's segmented control mirrors the console.
    void selectSegmentInToolbar(int console);
    int selectedConsole() const { return selectedConsoleIndex; }
    void focusTablesView();
    void showTablesView(bool show);
    void showConsoleToolbar(bool show);
    bool isTablesViewShown() const;
    bool isConsoleToolbarShown() const;
    // The console widget of an index, for its owners to fill.
    QWidget* consoleView(int console) const;
    // Rows of the table views this controller serves.
    int64_t numberOfRowsInTableView(const QAbstractItemView* tableView) const;

    // ---- Tables list and the selected object ----
    void reloadTables();
    // Reloads the tables list and selects the first entry of that name; the field index is kept
    // for callers and has no effect.
    void reloadTablesAndSelectTableNamed(const std::optional<std::string>& tableName,
                                         int firstFieldIndex);
    void reloadPickerTypes();
    std::optional<std::string> selectedTableName() const;
    std::optional<std::string> selectedTableNameIfOnlyOne() const;
    int selectedTableTypeCode() const;
    void tablesListSelectionDidChange();
    void reloadSelectedDatabaseObject();
    void reloadSpecialTables(const std::string& tableName);
    void resetTableSelections();
    void selectTableWithName(const std::optional<std::string>& name);
    void reloadTablesMenuItemClicked();
    void deleteTableButtonPressed() { deleteTable(); }
    void deleteTable();
    // The name typed into the tables list's row.
    void chooseTableTextFieldReturnKeyPressed(int row, const std::string& typedName);
    void updateFieldWidthsRenameTableName(const std::optional<std::string>& oldName,
                                          const std::string& newName);

    // ---- Data port ----
    void calculateTotalRows();
    // Appends up to limit rows from firstRowIndex; true when read from the database without
    // error (never for a limited object, whose rows come from its cache).
    bool loadFieldValues(std::vector<DBValue>* destination, int64_t firstRowIndex, int64_t limit,
                         bool reloadCachedValues);
    void reloadFieldValues();
    double verticalDataScrollerViewHeight() const;
    int64_t numberOfDataPortRows() const;
    int64_t numberOfDataPortFields() const;
    int64_t numberOfDataPortFieldsInFirstPage() const;
    int64_t numberOfFieldsToShow() const;
    int64_t totalNumberOfRows() const { return totalRows; }
    int64_t totalNumberOfFieldsToShow() const;
    int64_t nextFieldIndexInViewport(int64_t fieldIndex) const;
    int64_t tableViewRowFromRowIndex(int64_t rowIndex) const;
    int64_t rowIndexFromTableViewRow(int64_t row) const;
    int64_t fieldIndexFromDataColumn(int64_t dataColumn) const;
    int64_t tableViewColumnFromFieldIndex(int64_t fieldIndex) const;
    int64_t fieldIndexFromTableViewColumn(int64_t column, int64_t row) const;
    const DBValue* fieldValueObjectForTableViewRowIndex(int64_t row, int64_t fieldIndex) const;
    std::string fieldValueForTableViewRowIndex(int64_t row, int64_t fieldIndex) const;
    std::string fieldValueForDatabaseRowIndex(int64_t rowIndex, int64_t fieldIndex) const;
    std::string fieldHeaderNameAtFieldIndex(int64_t fieldIndex) const;
    int64_t firstFieldIndexOfDataPort() const { return firstFieldIndexInDataPort; }
    int64_t firstRowIndex() const { return firstRowIndexInDataPort; }
    int64_t numberOfRows() const { return totalRows; }
    // Moves the port's first row to rowIndex (0 <= rowIndex < totalRows) and reloads the grid.
    void moveDataPortToRow(int64_t rowIndex);
    // Wheel and scroller moves: merged, so that only the last position asked for before the
    // next turn of the event loop is loaded.
    void requestDataPortRow(int64_t rowIndex);
    // The same, by a number of rows from the last position asked for.
    void requestDataPortMove(int64_t rowDelta);
    void updateNumberOfRowsLabel();
    void updateRowsViewScrollBars();

    // ---- Grid columns, widths, split view ----
    void reloadRowsConsoleColumns(const std::optional<std::string>& tableName);
    void updateRowsTableViewColumnsAndHeaders();
    void updateRowsTableViewColumnWidths(const std::optional<std::string>& tableName);
    void fillFieldWidthsWithDefaultValues(std::vector<double>* widths) const;
    void removeFieldWidthsDefaultsForTable(const std::optional<std::string>& tableName);
    void storeFieldWidths();
    void storeSplitViewWidths();
    void updateTablesRowsSplitViewWidths();
    void updateHorizontalDataScrollerViewX();
    // The stored widths of the table when their count fits the field model, else the defaults.
    std::vector<double> fieldWidthsForTable(const std::optional<std::string>& tableName) const;
    void tableViewColumnDidResize();
    void windowDidEndLiveResize();
    void splitViewDidResizeSubviews();

    RowsTableView* rowsTableView() const { return rowsTableView_; }
    QListWidget* tablesTableView() const { return tablesList_; }
    QSplitter* tablesRowsSplitView() const { return tablesRowsSplitView_; }
    QPushButton* rowsViewNumberOfRowsButton() const { return rowsViewNumberOfRowsButton_; }

    // ---- The state record ----
    // Console and tables list.
    int selectedConsoleIndex = RowsConsole;
    DBInterface::MasterTables allTables;
    std::vector<std::string> tableNames;
    // Field model of the selected object (field index i is element i - 1).
    std::vector<std::string> fieldNames;
    std::vector<int> fieldTypes;
    std::vector<int64_t> fieldFormatStyles;
    std::vector<std::string> fieldLookupTables;
    std::set<std::string> hiddenFields;
    // By field position; nullopt for a Number field shown as stored.
    std::map<int64_t, std::optional<NumberFormatter>> fieldNumberFormatters;
    std::map<int64_t, DateFormatter> fieldDateFormatters;
    DBInterface::IndexSet expandedFieldIndexes;
    uint32_t selectedObjectStatus = 0;
    int32_t tableType = 0;
    // Special tables of the database.
    std::vector<std::string> specialTableNames;
    std::map<std::string, int> specialTableTypeDictionary;
    std::map<std::string, DBInterface::LookupDictionary> lookupTableDictionary;
    std::map<std::string, DBInterface::LookupDictionary> inverseLookupTableDictionary;
    std::map<std::string, std::vector<std::string>> pickerTableDictionary;
    // Sort and search.
    std::vector<int> sortCodes;
    uint64_t sortByROWIDCode = 1;
    std::optional<std::string> likeString;
    DBInterface::IndexSet searchFieldIndexes;
    // The data port.
    std::vector<DBValue> fieldValuesLoaded;
    std::vector<DBValue> limitedFieldValuesLoaded;
    int64_t totalRows = 0;
    int64_t firstRowIndexInDataPort = 0;
    int64_t firstFieldIndexInDataPort = 1;
    int64_t numberOfFieldsPerRow = 0;
    int64_t fieldIndexToEdit = -1;
    bool resizingRowsTableViewColumns = false;
    // Grid selection.
    int64_t focusedRowIndex = -1;
    int64_t focusedFieldIndex = -1;
    DBInterface::IndexSet mySelectedRowIndexes;
    DBInterface::IndexSet mySelectedFieldIndexes;
    std::map<int64_t, std::map<int64_t, DBValue>> mySelectedCells;
    std::map<int64_t, DBInterface::IndexSet> pasteDestinationCells;
    DBInterface::IndexSet fieldIndexesOfDirtyData;
    // Display and storage settings.
    std::string displayStringForNULLValue;
    DateFormatter displayDateFormatter, displayTimeFormatter;
    std::optional<NumberFormatter> displayNumberFormatter;
    DateFormatter defaultDBDateFormatter, defaultDBTimeFormatter;
    DateFormatter alternateDBDateFormatter, alternateDBTimeFormatter;
    bool showNULLInRowsView = false;
    bool formatDataInRowsConsole = true;
    bool useUTC = false;
    uint32_t dateStorageFormat = 0;
    uint32_t timeStorageFormat = 0;
    // The prompt sheets, run by the commands that ask; their codes: 1000 Done, 1001 Cancel.
    QPointer<QDialog> promptWindow;
    QPointer<QDialog> prompt2Window;
    bool printPreviewMode = false;
    bool designMode = false;

  private:
    void buildView();
    void showOnlyConsole(int console);
    // Runs the panel as a sheet on the window and shows the database chosen.
    void showChosenDatabase(FilePanel panel);
    void pruneLastTablesShown();
    void rememberExternalDatabase();
    static void endPrompt(QDialog* prompt, int returnCode);
    void readDisplaySettings();
    void emptyFieldModel();
    void loadTableFieldModel(const std::string& name, bool sorted, std::string* error);
    void loadViewFieldModel(const std::string& name, bool sorted, std::string* error);
    void makeDisplayFormatters();
    void refreshGrid();
    void updateDataColumnHeaders();
    int64_t dataPortFieldsFrom(int64_t startField,
                               const std::optional<std::string>& tableName) const;
    std::optional<std::vector<double>> storedFieldWidths(const std::string& tableName) const;
    // nullopt forgets the table's widths.
    void setStoredFieldWidths(const std::string& tableName,
                              const std::optional<std::vector<double>>& widths);
    std::string countStatementForLimitedObject(const std::string& name) const;
    void tablesTableViewItemChanged(QListWidgetItem* item);

    AppDelegate* appDelegate_;
    int windowIndex_;
    std::optional<std::string> databaseFilePath_;
    std::optional<int64_t> pendingDataPortRow_;
    // The view's widgets live as long as the view, which lives as long as its window.
    QPointer<QWidget> view_;
    QListWidget* tablesList_ = nullptr;
    QSplitter* tablesRowsSplitView_ = nullptr;
    QToolBar* consoleToolbar_ = nullptr;
    RowsTableView* rowsTableView_ = nullptr;
    RowsTableModel* rowsTableModel_ = nullptr;  // owned by the view
    QWidget* rowsScrollView_ = nullptr;
    QPushButton* rowsViewNumberOfRowsButton_ = nullptr;
    QPushButton* warningButton_ = nullptr;
    QWidget* bottomDrawerView_ = nullptr;
    QLabel* importViewNumberOfRowsLabel_ = nullptr;
    QLabel* exportViewNumberOfRowsLabel_ = nullptr;
    std::vector<QWidget*> consoleViews_;  // by console index
    bool toolbarShown_ = true;
};
