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
//   ControllerGridCells.cpp       display texts, highlights, redraw, size-to-fit, row backgrounds
//   ControllerGridSelection.cpp   the grid's own focus and selection, clicks
//   ControllerCellEditing.cpp     starting, ending and writing in-place edits
//   ControllerNavigation.cpp      keys, Tab, header clicks and jumps moving the focus and port
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
#include "mainwindow/views/HorizontalDataScrollerView.h"
#include "mainwindow/views/RowsTableViewDelegate.h"
#include "mainwindow/views/SpreadsheetTableCellView.h"
#include "mainwindow/views/SpreadsheetTableRowView.h"
#include "mainwindow/views/VerticalDataScrollerView.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/NumberFormatter.h"

class AppDelegate;
class FilePanel;
class QDialog;
class QAbstractItemView;
class QListWidget;
class QListWidgetItem;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;
class QWidget;
class RowsTableModel;
class RowsTableView;

class TablesAndRowsController : public QObject,
                                public RowsTableViewDelegate,
                                public SpreadsheetTableCellViewDelegate,
                                public SpreadsheetTableRowViewDelegate,
                                public CellTextFieldDelegate,
                                public VerticalDataScrollerViewDelegate,
                                public HorizontalDataScrollerViewDelegate {
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
    int64_t numberOfDataPortRows() const override;
    int64_t numberOfDataPortFields() const;
    int64_t numberOfDataPortFieldsInFirstPage() const override;
    int64_t numberOfFieldsToShow() const;
    int64_t totalNumberOfRows() const override { return totalRows; }
    int64_t totalNumberOfFieldsToShow() const override;
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
    int64_t firstFieldIndexOfDataPort() const override { return firstFieldIndexInDataPort; }
    int64_t firstRowIndex() const override { return firstRowIndexInDataPort; }
    int64_t numberOfRows() const { return totalRows; }
    // Moves the port's first row to rowIndex (0 <= rowIndex < totalRows) and reloads the grid.
    void moveDataPortToRow(int64_t rowIndex);
    // The same for the wheel and the scrollers, whose moves come faster than pages load: the
    // position changes at once, the page of the last position is loaded once the moves already
    // waiting have been handled.
    void moveDataPortToRowIndex(int64_t rowIndex) override;
    void moveDataPortToFieldIndex(int64_t fieldIndex) override;
    // Loads now the page a move left waiting, if any.
    void loadPendingDataPort() override;
    // Rows the grid shows once the port's page is loaded.
    int64_t numberOfGridRows() const;
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

    // ---- Grid cells: display texts, highlights, redraw ----
    // The display text of a stored value of the field (its index, ROWID being 0).
    std::string formattedFieldValueObject(const DBValue& value, int64_t fieldIndexP1, int fieldType,
                                          const std::string& fieldLookupTable) const;
    int fieldTypeAtFieldIndexP1(int64_t fieldIndex) const;
    std::string fieldLookupTableAtFieldIndexP1(int64_t fieldIndex) const;
    bool isFocusedCellForTextFieldTag(int64_t textFieldTag, int64_t imageViewTag) const override;
    bool highlightPasteDestinationCellForTextFieldTag(int64_t textFieldTag,
                                                      int64_t imageViewTag) const override;
    bool highlightRowNumberCellForTextFieldTag(int64_t textFieldTag,
                                               int64_t imageViewTag) const override;
    bool highlightFocusedCellForTextFieldTag(int64_t textFieldTag,
                                             int64_t imageViewTag) const override;
    bool highlightSelectedRowForTextFieldTag(int64_t textFieldTag,
                                             int64_t imageViewTag) const override;
    bool highlightSelectedCellForTextFieldTag(int64_t textFieldTag,
                                              int64_t imageViewTag) const override;
    double lastColumnPosition() const override;
    double lastRowPosition() const override;
    QColor spreadsheetTableRowViewBackgroundColor(QWidget* window) const override;
    // Width that shows every loaded value of the grid column, at least 40.
    double tableViewSizeToFitWidthOfColumn(int64_t column) const;
    // Redraws one cell, one row or one column of the grid (grid coordinates); out of the grid
    // nothing happens.
    void reloadRowsTableViewRow(int64_t row, int64_t column);
    void reloadRowsTableViewRowIndex(int64_t rowIndex, int64_t fieldIndex);
    void reloadRowsTableViewRow(int64_t row);
    void reloadRowsTableViewRowIndex(int64_t rowIndex);
    void reloadRowsTableViewRowIndexes(int64_t first, int64_t last);
    void reloadRowsTableViewColumn(int64_t column);
    int64_t printViewFirstRowIndex() const { return focusedRowIndex; }
    // The first-field menu: one item per field of the selected table or view.
    void updateMoreFieldsButton();
    // Makes the field (its index) the grid's first data column.
    void changeFirstFieldFieldIndexToShow(int64_t fieldIndex);
    QToolButton* rowsViewMoreFieldsPopUpButton() const { return rowsViewMoreFieldsPopUpButton_; }

    // ---- Grid selection and focus ----
    int64_t firstFieldIndexToShow() const override { return 1; }
    int64_t lastFieldIndexToShow() const { return numberOfFieldsPerRow - 1; }
    void clearSelectedFieldsAndReload(bool clear);
    void clearSelectedRowsAndReload(bool clear);
    void clearSelectedCellsAndReload(bool clear);
    void selectAllFields();
    bool isRowsTableViewFirstResponder() const override;
    bool isChooseTableViewOrRowsTableViewFirstResponder() const;
    // A click on grid cell (row, column): deselect is a plain click, else a Control-click.
    void selectRowsTableViewCellAtRow(int64_t row, int64_t column, bool deselect);
    void selectCellWithRowIndex(int64_t rowIndex, int64_t fieldIndex, bool removeIfPresent);
    // Bounding boxes; an empty one is left = top = INT64_MAX, right = bottom = -1.
    void getSelectedCellsLeft(int64_t* left, int64_t* right, int64_t* top, int64_t* bottom) const;
    void getFocusedOrSelectedCellsLeft(int64_t* left, int64_t* right, int64_t* top,
                                       int64_t* bottom) const;
    // Adds a row, or the rows first...last, of the table to the whole selected rows; indexes
    // outside the table are logged and left out.
    void includeRowIndex(int64_t rowIndex);
    void includeRowIndexes(int64_t first, int64_t last);
    void rowsTableViewClickedOnPoint(QPoint point) override;
    void rowsTableViewCommandClickedOnPoint(QPoint point) override;
    // On a row number: extends the selected rows to it; on a cell: selects the rectangle from
    // the focus and the selected cells to it.
    void rowsTableViewShiftClickedOnPoint(QPoint point) override;
    // On a row number: starts the port at that row.
    void rowsTableViewAlternateClickedOnPoint(QPoint point) override;
    // On a row number: focuses that row, moving the port so that it is shown last when needed.
    void rowsTableViewShiftAlternateClickedOnPoint(QPoint point) override;

    // ---- In-place editing ----
    bool isSelectedTableUpdateCapable() const;
    void rowsTableViewReturnKeyPressed() override;
    void rowsTableDoubleClickOnRow(QPoint point) override;
    // Puts the focused cell into editing when it may be edited; what a command from an edited
    // cell queues after moving the focus.
    void startEditingFocusedCellThread();
    bool controlTextViewDoCommandBySelector(QLineEdit* control, TextCommand command) override;
    void controlTextDidEndEditing(QLineEdit* control) override;

    // ---- Keyboard and mouse navigation ----
    // Direction 0 or 1 moves along rows, 2 or 3 along fields; the sign of offset gives the way.
    void moveSelection(int direction, int64_t offset, bool moveFocus, int64_t fieldIndex);
    void moveSelectionUpOneRow(int64_t fieldIndex) { moveSelection(0, -1, true, fieldIndex); }
    void moveSelectionDownOneRow(int64_t fieldIndex) { moveSelection(1, 1, true, fieldIndex); }
    void moveSelectionUpOnePage(int64_t fieldIndex) {
        moveSelection(0, -numberOfDataPortRows(), true, fieldIndex);
    }
    void moveSelectionDownOnePage(int64_t fieldIndex) {
        moveSelection(1, numberOfDataPortRows(), true, fieldIndex);
    }
    void moveSelectionUpAllTheWay(int64_t fieldIndex) {
        moveSelection(0, -totalRows, true, fieldIndex);
    }
    void moveSelectionDownAllTheWay(int64_t fieldIndex) {
        moveSelection(1, totalRows, true, fieldIndex);
    }
    void moveDataPortLeftOneColumn(bool moveFocus) override {
        moveSelection(2, -1, moveFocus, fieldIndexToEdit);
    }
    void moveDataPortRightOneColumn(bool moveFocus) override {
        moveSelection(3, 1, moveFocus, fieldIndexToEdit);
    }
    void moveDataPortLeftOnePage() {
        moveSelection(2, -numberOfDataPortFields(), true, fieldIndexToEdit);
    }
    void moveDataPortRightOnePage() {
        moveSelection(3, numberOfDataPortFields(), true, fieldIndexToEdit);
    }
    void moveViewportLeftAllTheWay() {
        moveSelection(2, -numberOfFieldsPerRow, true, fieldIndexToEdit);
    }
    void moveViewportRightAllTheWay() {
        moveSelection(3, numberOfFieldsPerRow, true, fieldIndexToEdit);
    }
    // Move the focus inside the grid; the port stays.
    void offsetFocusedCellByRow(int64_t offset);
    void offsetFocusedCellByColumn(int64_t offset);
    void rowsTableViewUpKeyPressed() override { moveSelectionUpOneRow(fieldIndexToEdit); }
    void rowsTableViewDownKeyPressed() override { moveSelectionDownOneRow(fieldIndexToEdit); }
    void rowsTableViewAlternateUpKeyPressed() override { moveSelectionUpOnePage(fieldIndexToEdit); }
    void rowsTableViewAlternateDownKeyPressed() override {
        moveSelectionDownOnePage(fieldIndexToEdit);
    }
    void rowsTableViewCommandUpKeyPressed() override { moveSelectionUpAllTheWay(fieldIndexToEdit); }
    void rowsTableViewCommandDownKeyPressed() override {
        moveSelectionDownAllTheWay(fieldIndexToEdit);
    }
    void rowsTableViewLeftKeyPressed() override { moveDataPortLeftOneColumn(true); }
    void rowsTableViewRightKeyPressed() override { moveDataPortRightOneColumn(true); }
    void rowsTableViewAlternateLeftKeyPressed() override { moveDataPortLeftOnePage(); }
    void rowsTableViewAlternateRightKeyPressed() override { moveDataPortRightOnePage(); }
    void rowsTableViewCommandLeftKeyPressed() override { moveViewportLeftAllTheWay(); }
    void rowsTableViewCommandRightKeyPressed() override { moveViewportRightAllTheWay(); }
    // Shift extends nothing: the Shift-arrows are the plain arrows.
    void rowsTableViewShiftUpKeyPressed() override { rowsTableViewUpKeyPressed(); }
    void rowsTableViewShiftDownKeyPressed() override { rowsTableViewDownKeyPressed(); }
    void rowsTableViewShiftLeftKeyPressed() override { rowsTableViewLeftKeyPressed(); }
    void rowsTableViewShiftRightKeyPressed() override { rowsTableViewRightKeyPressed(); }
    // Rows are deleted through the Delete command, never by the key.
    void rowsTableViewDeleteKeyPressed() override {}
    void rowsTableViewTabKeyPressed() override;
    void rowsTableViewShiftTabKeyPressed() override;
    // A click on the header of grid column `column`.
    void rowsTableViewDidClickTableColumn(int column) override;
    // Opens the record editor on the focused cell's row and field.
    void rowsTableViewAlternateReturnKeyPressed() override;
    // Shows the edit-field panel over the rows console; the window has no such panel yet.
    void rowsTableViewCommandReturnKeyPressed() override {}
    // Jumps the port to the row and focuses it at the field.
    void selectStartRowIndex(int64_t rowIndex, int64_t fieldIndex, bool makeRowsViewResponder);
    int64_t prevFieldIndex(int64_t fieldIndex) const;
    int64_t nextFieldIndex(int64_t fieldIndex) const;

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
    // The port's first row becomes rowIndex, the focus kept inside the port; nothing is loaded.
    void setFirstRowIndexInDataPort(int64_t rowIndex);
    void scheduleDataPortLoad();
    void loadDataPort();
    // Columns, headers and widths after the port's first field changed, then the grid redrawn.
    void layOutGridColumns();
    // The data row of a clicked row number that holds one, else -1.
    int64_t rowIndexOfRowNumberAt(QPoint point) const;
    void extendSelectedRowsTo(int64_t rowIndex);
    void selectRectangleTo(int64_t row, int64_t column);
    // Tab and Shift-Tab inside a row: the focus moves offset columns to the field, which is
    // shown first when its column lies before lowestColumn or past the grid.
    void focusNeighbourField(int64_t fieldIndex, int64_t lowestColumn, int64_t offset);
    // Tab and Shift-Tab across a row's end: the port starts at firstRowIndex and at the field,
    // which is focused in the row.
    void wrapFocus(int64_t firstRowIndex, int64_t rowIndex, int64_t fieldIndex);
    void tablesTableViewItemChanged(QListWidgetItem* item);
    // The grid row and column of the focused cell when an edit may start there.
    bool editableFocusedCell(int64_t* row, int64_t* column) const;
    void beginEditingCell(int64_t row, int64_t column);
    // What an open in-place edit writes to, taken when it starts: whatever reloads, pages or
    // selects before it ends, the text goes to this row and field or nowhere.
    struct EditTarget {
        std::string databaseFilePath;
        std::string table;
        std::string fieldName;
        std::string rowid;
        DBValue loaded;
        int64_t rowIndex = -1;
        int64_t fieldIndex = -1;
    };
    // Gives the cell's target; nullopt when it has no loaded row or field.
    std::optional<EditTarget> editTargetOfCell(int64_t row, int64_t column) const;
    // Moves the focus by rows or fields, bringing the data port along, for the edit that follows.
    void moveFocusForEditing(TextCommand command);
    void focusCellShowingIt(int64_t rowIndex, int64_t fieldIndex);
    // Asks the grid to draw these grid rows and columns again.
    void reloadDataForRowIndexes(const std::set<int64_t>& rows, const std::set<int64_t>& columns);

    AppDelegate* appDelegate_;
    int windowIndex_;
    std::optional<std::string> databaseFilePath_;
    bool dataPortLoadPending_ = false;
    std::optional<EditTarget> editTarget_;
    // The view's widgets live as long as the view, which lives as long as its window.
    QPointer<QWidget> view_;
    QListWidget* tablesList_ = nullptr;
    QSplitter* tablesRowsSplitView_ = nullptr;
    QToolBar* consoleToolbar_ = nullptr;
    RowsTableView* rowsTableView_ = nullptr;
    RowsTableModel* rowsTableModel_ = nullptr;  // owned by the view
    QWidget* rowsScrollView_ = nullptr;
    QPushButton* rowsViewNumberOfRowsButton_ = nullptr;
    VerticalDataScrollerView* verticalDataScrollerView_ = nullptr;
    HorizontalDataScrollerView* horizontalDataScrollerView_ = nullptr;
    QPushButton* warningButton_ = nullptr;
    QToolButton* rowsViewMoreFieldsPopUpButton_ = nullptr;
    QWidget* bottomDrawerView_ = nullptr;
    QLabel* importViewNumberOfRowsLabel_ = nullptr;
    QLabel* exportViewNumberOfRowsLabel_ = nullptr;
    std::vector<QWidget*> consoleViews_;  // by console index
    bool toolbarShown_ = true;
};
