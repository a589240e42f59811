#pragma once
// The rows console: the grid of the selected object's rows over the data port, with its two data
// scrollers, the row count and the first-field menu. It keeps the view, its life cycle and
// paging, and hands what the view asks to the objects it is made of:
//   GridSelection       the grid's own focus and selection, clicks, highlights
//   GridNavigator       keys, Tab, header clicks and jumps moving the focus and port
//   InPlaceEditor       starting, ending and writing in-place edits
//   GridColumnLayout    the grid's columns and their widths
//   CellCommands        the commands of the selection; SelectionStatistics, its numbers
//   GridClipboard       the grid's half of copy and paste (made by its users)
// The parts reach the console only through the GridSurface it implements.
// Its own sources: RowsConsole.cpp (view, life cycle, paging, page loader), RowsColumns.cpp
// (laying the columns out again), RowsCells.cpp (display texts, redraw, size-to-fit, the
// first-field menu), RowsRelays.cpp (what the grid tells the window's panels).
#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mainwindow/Console.h"
#include "mainwindow/GridRequests.h"
#include "mainwindow/TablesAndRowsState.h"
#include "mainwindow/rows/CellCommands.h"
#include "mainwindow/rows/GridColumnLayout.h"
#include "mainwindow/rows/GridNavigator.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/InPlaceEditor.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "mainwindow/rows/SelectionStatistics.h"
#include "mainwindow/rows/views/HorizontalDataScrollerView.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "mainwindow/rows/views/VerticalDataScrollerView.h"

class DatabaseWindow;
class QPushButton;
class QToolButton;
class QWidget;

class RowsConsole : public QObject,
                    public Console,
                    public GridRequests,
                    public RowsTableViewController,
                    public VerticalDataScrollerViewDelegate,
                    public HorizontalDataScrollerViewDelegate,
                    public GridSurface {
    Q_OBJECT

  public:
    explicit RowsConsole(DatabaseWindow& window);
    ~RowsConsole() override;

    // ---- Console ----
    QWidget* view() override;
    void selectedObjectWillChange() override;
    void selectedObjectDidChange() override;
    void numberOfRowsDidChange() override;
    void consoleDidAppear() override;
    void windowWillClose() override;
    // The rows under the new sort or search, from the first; an open edit is written first.
    void sortOrSearchDidChange() override {
        selectedObjectWillChange();
        resetTableSelections();
    }

    void rowsDidChange() override;

    // ---- GridRequests ----
    void moveFocusedRowBy(int64_t offset) override;
    std::optional<QRect> focusedCellScreenRect() const override;
    void pageWasWritten() override;
    int64_t fileVersion(const std::string& databaseFilePath) override {
        return dataPort_.fileVersion(databaseFilePath);
    }
    // The menu's "Edit Field in Panel" while the grid is shown.
    void editFieldInPanelMenuItemClicked();

    // The commands of the selection and the statistics of the selected cells.
    CellCommands& cellCommands() { return *cellCommands_; }
    SelectionStatistics selectionStatistics() const { return {state_, dataPort_}; }

    RowsDataPort& dataPort() override { return dataPort_; }
    const RowsDataPort& dataPort() const { return dataPort_; }

    // ---- Data port ----
    void calculateTotalRows() override;
    void reloadFieldValues() override;
    // Loads the port's page now and redraws the grid.
    void loadDataPort() override;
    // Counts and loads the rows again, the port kept in place as far as the rows reach; the focus
    // stays on its row (followRow).
    void reloadRowsKeepingPort() override;
    // Clears the selection and shows the object's first rows and fields, recounted.
    void resetTableSelections() override;
    double verticalDataScrollerViewHeight() const;
    int64_t numberOfDataPortRows() const override;
    int64_t numberOfDataPortFields() const override { return columns_.numberOfDataPortFields(); }
    int64_t numberOfDataPortFieldsInFirstPage() const override {
        return columns_.numberOfDataPortFieldsInFirstPage();
    }
    int64_t totalNumberOfRows() const override { return state_.dataPort.totalRows; }
    int64_t totalNumberOfFieldsToShow() const override;
    FieldIndex nextFieldIndexInViewport(FieldIndex field) const override;
    FieldIndex firstFieldIndexOfDataPort() const override {
        return state_.dataPort.firstFieldIndexInDataPort;
    }
    RowIndex firstRowIndex() const override { return state_.dataPort.firstRowIndexInDataPort; }
    // The field a grid column shows; none outside the grid's data columns.
    FieldIndex fieldIndexFromTableViewColumn(GridColumn column, GridRow row) const override;
    // Moves the port's first row to rowIndex (0 <= rowIndex < totalRows) and reloads the grid.
    void moveDataPortToRow(RowIndex rowIndex);
    // The same for the wheel and the scrollers, whose moves come faster than pages load: the
    // position changes at once, the page of the last position is loaded once the moves already
    // waiting have been handled.
    void moveDataPortToRowIndex(RowIndex rowIndex) override;
    void moveDataPortToFieldIndex(FieldIndex field) override;
    // Loads now the page a move left waiting, if any.
    void loadPendingDataPort() override;
    // The port's first row becomes rowIndex, the focus kept inside the port; nothing is loaded.
    void setFirstRowIndexInDataPort(RowIndex rowIndex) override;
    // Loads the port's page once the moves already waiting have been handled.
    void scheduleDataPortLoad() override;
    // Rows the grid shows once the port's page is loaded.
    int64_t numberOfGridRows() const override;
    void updateNumberOfRowsLabel();
    void updateRowsViewScrollBars() override;

    // ---- Grid columns and widths ----
    GridColumnLayout& columnLayout() { return columns_; }
    void reloadRowsConsoleColumns(const std::optional<std::string>& tableName);
    // Data columns, headers and widths for the port's first field.
    void updateColumns(const std::optional<std::string>& tableName) override;
    void updateHorizontalDataScrollerViewX();
    void tableViewColumnDidResize() override;
    void windowDidEndLiveResize() override;
    bool isGridLaidOutForItsSize() const override;

    // ---- Grid cells: display texts, highlights, redraw ----
    bool isFocusedCell(CellIdentity cell) const override { return selection_->isFocusedCell(cell); }
    bool highlightPasteDestinationCell(CellIdentity cell) const override {
        return selection_->highlightPasteDestinationCell(cell);
    }
    bool highlightRowNumberCell(CellIdentity cell) const override {
        return selection_->highlightRowNumberCell(cell);
    }
    bool highlightFocusedCell(CellIdentity cell) const override { return isFocusedCell(cell); }
    bool highlightSelectedRow(CellIdentity cell) const override {
        return selection_->highlightSelectedRow(cell);
    }
    bool highlightSelectedCell(CellIdentity cell) const override {
        return selection_->highlightSelectedCell(cell);
    }
    double lastColumnPosition() const override;
    double lastRowPosition() const override;
    QColor spreadsheetTableRowViewBackgroundColor(QWidget* window) const override;
    // Width that shows every loaded value of the grid column, at least 40.
    double tableViewSizeToFitWidthOfColumn(GridColumn column) const override;
    // Redraws one cell, one row or one column of the grid; out of the grid nothing happens.
    void reloadRowsTableViewRow(GridRow row, GridColumn column) override;
    void reloadRowsTableViewRowIndex(RowIndex rowIndex, FieldIndex field) override;
    void reloadRowsTableViewRow(GridRow row) override;
    void reloadRowsTableViewRowIndex(RowIndex rowIndex) override;
    void reloadRowsTableViewRowIndexes(RowIndex first, RowIndex last) override;
    void reloadRowsTableViewColumn(GridColumn column) override;
    // The first-field menu: one item per field of the selected table or view.
    void updateMoreFieldsButton();
    // Makes the field the grid's first data column.
    void changeFirstFieldFieldIndexToShow(FieldIndex field);

    // ---- The grid's data source ----
    int64_t numberOfLoadedRows() const override { return state_.dataPort.numberOfLoadedRows(); }
    RowIndex rowIndexFromTableViewRow(GridRow row) const override {
        return dataPort_.rowIndexFromTableViewRow(row);
    }
    FieldIndex fieldIndexFromDataColumn(int64_t dataColumn) const override {
        return dataPort_.fieldIndexFromDataColumn(dataColumn);
    }
    const DBValue* fieldValueObjectForTableViewRowIndex(GridRow row,
                                                        FieldIndex field) const override {
        return dataPort_.fieldValueObjectForTableViewRowIndex(row, field);
    }
    std::string displayTextOfFieldValue(const std::string& value, FieldIndex field) const override;
    bool isNumberField(FieldIndex field) const override;
    std::optional<std::string> nullPlaceholder() const override;

    // ---- Grid selection and focus ----
    GridSelection& selection() override { return *selection_; }
    const GridSelection& selection() const { return *selection_; }
    FieldIndex firstFieldIndexToShow() const override { return kFirstFieldIndex; }
    void selectAllFields() { selection_->selectAllFields(); }
    void rowsTableViewSelectAllMenuItemClicked() override { selectAllFields(); }
    void deselectAllMenuItemClicked() { selection_->deselectAll(); }
    bool isAtLeastOneCellSelected() const { return selection_->isAtLeastOneCellSelected(); }
    bool isRowsTableViewFirstResponder() const override;
    void rowsTableViewClickedOnPoint(QPoint point) override { selection_->clickedOnPoint(point); }
    void rowsTableViewCommandClickedOnPoint(QPoint point) override {
        selection_->commandClickedOnPoint(point);
    }
    void rowsTableViewShiftClickedOnPoint(QPoint point) override {
        selection_->shiftClickedOnPoint(point);
    }
    void rowsTableViewAlternateClickedOnPoint(QPoint point) override {
        selection_->alternateClickedOnPoint(point);
    }
    void rowsTableViewShiftAlternateClickedOnPoint(QPoint point) override {
        selection_->shiftAlternateClickedOnPoint(point);
    }

    // ---- In-place editing ----
    InPlaceEditor& editor() { return *editor_; }
    bool isSelectedTableUpdateCapable() const override {
        return editor_->isSelectedTableUpdateCapable();
    }
    void rowsTableViewReturnKeyPressed() override { editor_->startEditingFocusedCellThread(); }
    void rowsTableDoubleClickOnRow(QPoint point) override { editor_->doubleClickOnRow(point); }
    // Control: the cell alone is focused and the edit-field panel shows it; Alt: the record
    // editor opens on it.
    void rowsTableModifiedDoubleClickOnRow(QPoint point, bool control) override;
    bool controlTextViewDoCommandBySelector(QLineEdit* control, TextCommand command) override {
        return editor_->controlTextViewDoCommandBySelector(control, command);
    }
    bool controlTextWillBeginEditing(CellTextField* control) override {
        return editor_->controlTextWillBeginEditing(control);
    }
    void controlTextDidEndEditing(QLineEdit* control) override {
        editor_->controlTextDidEndEditing(control);
    }

    // ---- Keyboard and mouse navigation ----
    GridNavigator& navigator() override { return *navigator_; }
    void moveDataPortLeftOneColumn(bool moveFocus) override {
        navigator_->move(MoveDirection::Left, 1, moveFocus);
    }
    void moveDataPortRightOneColumn(bool moveFocus) override {
        navigator_->move(MoveDirection::Right, 1, moveFocus);
    }
    void rowsTableViewUpKeyPressed() override { navigator_->move(MoveDirection::Up, 1, true); }
    void rowsTableViewDownKeyPressed() override { navigator_->move(MoveDirection::Down, 1, true); }
    void rowsTableViewAlternateUpKeyPressed() override {
        navigator_->move(MoveDirection::Up, numberOfDataPortRows(), true);
    }
    void rowsTableViewAlternateDownKeyPressed() override {
        navigator_->move(MoveDirection::Down, numberOfDataPortRows(), true);
    }
    void rowsTableViewCommandUpKeyPressed() override {
        navigator_->move(MoveDirection::Up, state_.dataPort.totalRows, true);
    }
    void rowsTableViewCommandDownKeyPressed() override {
        navigator_->move(MoveDirection::Down, state_.dataPort.totalRows, true);
    }
    void rowsTableViewLeftKeyPressed() override { moveDataPortLeftOneColumn(true); }
    void rowsTableViewRightKeyPressed() override { moveDataPortRightOneColumn(true); }
    void rowsTableViewAlternateLeftKeyPressed() override {
        navigator_->move(MoveDirection::Left, numberOfDataPortFields(), true);
    }
    void rowsTableViewAlternateRightKeyPressed() override {
        navigator_->move(MoveDirection::Right, numberOfDataPortFields(), true);
    }
    void rowsTableViewCommandLeftKeyPressed() override {
        navigator_->move(MoveDirection::Left, state_.dataPort.numberOfFieldsPerRow, true);
    }
    void rowsTableViewCommandRightKeyPressed() override {
        navigator_->move(MoveDirection::Right, state_.dataPort.numberOfFieldsPerRow, true);
    }
    // Shift extends nothing: the Shift-arrows are the plain arrows.
    void rowsTableViewShiftUpKeyPressed() override { rowsTableViewUpKeyPressed(); }
    void rowsTableViewShiftDownKeyPressed() override { rowsTableViewDownKeyPressed(); }
    void rowsTableViewShiftLeftKeyPressed() override { rowsTableViewLeftKeyPressed(); }
    void rowsTableViewShiftRightKeyPressed() override { rowsTableViewRightKeyPressed(); }
    // Rows are deleted through the Delete command, never by the key.
    void rowsTableViewDeleteKeyPressed() override {}
    void rowsTableViewTabKeyPressed() override { navigator_->tabKeyPressed(); }
    void rowsTableViewShiftTabKeyPressed() override { navigator_->shiftTabKeyPressed(); }
    void rowsTableViewDidClickTableColumn(int column) override {
        navigator_->didClickTableColumn(column);
    }
    // Opens the record editor on the focused cell's row and field.
    void rowsTableViewAlternateReturnKeyPressed() override;
    // Shows the edit-field panel over the rows console.
    void rowsTableViewCommandReturnKeyPressed() override;
    // ---- For the grid's parts: redraw and layout ----
    // Asks the grid to draw every cell again.
    void redrawGrid() override;
    // Columns, headers and widths after the port's first field changed, then the grid redrawn.
    void layOutGridColumns() override;
    // Asks the grid to draw these grid rows and columns again.
    void reloadDataForRowIndexes(const std::set<GridRow>& rows,
                                 const std::set<GridColumn>& columns) override;
    int numberOfColumns() const override;
    int numberOfRows() const override;

    // ---- GridSurface: the view's geometry and editing ----
    GridRow gridRowAt(QPoint point) const override;
    GridColumn gridColumnAt(QPoint point) const override;
    void repaintGrid() override;
    void focusGrid() override;
    QWidget* gridWidget() const override;
    void endEditing() override;
    void editCell(GridRow row, GridColumn column) override;
    QWidget* cellEditor() const override;

    RowsTableView* rowsTableView() const { return rowsTableView_; }
    QPushButton* rowsViewNumberOfRowsButton() const { return rowsViewNumberOfRowsButton_; }
    QToolButton* rowsViewMoreFieldsPopUpButton() const { return rowsViewMoreFieldsPopUpButton_; }

  private:
    void buildView();
    // The window hears once, after the events that redrew the grid, that its focus, page or
    // values may have changed.
    void noticeFocusMove();
    // Shows the failure of a read in a sheet on the window.
    void showReadError(const std::string& error);
    // Loads the page at the port's first row into the grid's values.
    void loadPage(bool reloadCachedValues);
    // The rowid of the focused row as the page holds it; nullopt without one.
    std::optional<std::string> focusedRowid() const;
    // The focus goes to the row of the rowid where the order now puts it, the port moved to show
    // it and its page loaded, the grid not yet redrawn; false, the focus left at its place, when
    // the row is no longer among the rows under the search.
    bool followRow(const std::string& rowid);

    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    RowsDataPort dataPort_;
    GridColumnLayout columns_;
    std::unique_ptr<CellCommands> cellCommands_;
    std::unique_ptr<GridSelection> selection_;
    std::unique_ptr<GridNavigator> navigator_;
    std::unique_ptr<InPlaceEditor> editor_;
    bool focusNoticePending_ = false;
    // The last count failed (its error shown): no row is shown, and no page read, until a count
    // succeeds.
    bool countFailed_ = false;
    // The view's widgets live as long as the view, which lives as long as its window.
    QPointer<QWidget> view_;
    RowsTableView* rowsTableView_ = nullptr;
    RowsTableModel* rowsTableModel_ = nullptr;  // owned by the view
    QPushButton* rowsViewNumberOfRowsButton_ = nullptr;
    VerticalDataScrollerView* verticalDataScrollerView_ = nullptr;
    HorizontalDataScrollerView* horizontalDataScrollerView_ = nullptr;
    QToolButton* rowsViewMoreFieldsPopUpButton_ = nullptr;
};
