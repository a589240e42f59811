#pragma once
// The grid's parts without a console or a window: a window that only holds the state, and a
// surface of fixed geometry (rows 20 points high, columns 100 wide, column 0 the row numbers)
// that records what it is asked to redraw and load.
#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <vector>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/GridNavigator.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/RowsDataPort.h"

class StateOnlyWindow : public DatabaseWindow {
  public:
    TablesAndRowsState& state() override { return state_; }
    const TablesAndRowsState& state() const override { return state_; }
    MOCK_METHOD(WindowShell&, shell, (), (const, override));
    int windowIndex() const override { return 0; }
    QWidget* window() const override { return nullptr; }
    std::optional<std::string> selectedTableNameIfOnlyOne() const override { return "t"; }
    std::vector<std::string> selectedTableNames() const override { return {"t"}; }
    std::optional<std::string> selectedTableName() const override { return "t"; }
    MOCK_METHOD(void, selectConsole, (TablesAndRowsState::ConsoleIndex), (override));
    MOCK_METHOD(void, selectAddRowViewAtFieldIndex, (FieldIndex), (override));
    MOCK_METHOD(void, updateNumberOfRowsLabel, (), (override));
    MOCK_METHOD(void, rowsDidChange, (), (override));
    MOCK_METHOD(void, moveFocusedRowBy, (int64_t), (override));
    MOCK_METHOD(void, focusDidMove, (), (override));
    MOCK_METHOD(void, writeRefused, (int, const std::string&, QWidget*), (override));
    MOCK_METHOD(void, pageWasWritten, (), (override));
    MOCK_METHOD(int64_t, fileVersion, (const std::string&), (override));
    MOCK_METHOD(std::optional<QRect>, focusedCellScreenRect, (), (const, override));
    MOCK_METHOD(void, showEditFieldPanel, (), (override));
    MOCK_METHOD(void, showEditFieldSheet, (FieldIndex, const DBValue&), (override));
    MOCK_METHOD(void, editFieldSheetDidEnd, (FieldIndex, const std::optional<std::string>&),
                (override));
    MOCK_METHOD(void, closeEditFieldPanel, (), (override));
    MOCK_METHOD(void, reloadSelectedDatabaseObject, (), (override));
    MOCK_METHOD(void, sortOrSearchDidChange, (), (override));
    MOCK_METHOD(void, updateWindowTitle, (), (override));
    MOCK_METHOD(void, reloadTables, (), (override));
    MOCK_METHOD(void, reloadTablesAndSelectTableNamed, (const std::optional<std::string>&),
                (override));
    MOCK_METHOD(void, enableUIWhileImportingFiles, (bool), (override));
    MOCK_METHOD(void, reloadPickerTypes, (), (override));
    MOCK_METHOD(void, showErrorAlert, (const std::string&, QWidget*), (override));
    MOCK_METHOD(void, showAlert, (const std::string&, const std::string&, QWidget*), (override));
    MOCK_METHOD(void, showInfoAlert, (const std::string&, const std::string&, QWidget*),
                (override));

  private:
    TablesAndRowsState state_;
};

class RecordingSurface : public GridSurface {
  public:
    static constexpr int kRowHeight = 20;
    static constexpr int kColumnWidth = 100;

    // totalRows rows of `fields` fields, the page of pageRows rows loaded from firstRow.
    RecordingSurface(StateOnlyWindow& window, int64_t totalRows, int64_t fields, int64_t pageRows,
                     int64_t firstRow = 0)
        : window_(window), port_(window), pageRows_(pageRows) {
        auto& port = window.state().dataPort;
        port.numberOfFieldsPerRow = fields + 1;
        port.totalRows = totalRows;
        port.firstRowIndexInDataPort = RowIndex(firstRow);
        fillPage();
        selection_ = std::make_unique<GridSelection>(*this, window);
        navigator_ = std::make_unique<GridNavigator>(*this, window);
    }

    // The point in the middle of grid cell (row, column).
    static QPoint cellPoint(int row, int column) {
        return {column * kColumnWidth + kColumnWidth / 2, row * kRowHeight + kRowHeight / 2};
    }

    // Every redraw asked for, as "cell r,c", "row r", "rows a-b", "column c" or "grid" (rows and
    // fields of the object for the *RowIndex variants: "cell@r,f", "row@r").
    std::vector<std::string> redraws;
    int loads = 0;

    void redrawGrid() override { redraws.push_back("grid"); }
    void reloadRowsTableViewRow(GridRow row, GridColumn column) override {
        redraws.push_back("cell " + std::to_string(row.value) + "," + std::to_string(column.value));
    }
    void reloadRowsTableViewRowIndex(RowIndex rowIndex, FieldIndex field) override {
        redraws.push_back("cell@" + std::to_string(rowIndex.value) + "," +
                          std::to_string(field.value));
    }
    void reloadRowsTableViewRow(GridRow row) override {
        redraws.push_back("row " + std::to_string(row.value));
    }
    void reloadRowsTableViewRowIndex(RowIndex rowIndex) override {
        redraws.push_back("row@" + std::to_string(rowIndex.value));
    }
    void reloadRowsTableViewRowIndexes(RowIndex first, RowIndex last) override {
        redraws.push_back("rows@" + std::to_string(first.value) + "-" + std::to_string(last.value));
    }
    void reloadRowsTableViewColumn(GridColumn column) override {
        redraws.push_back("column " + std::to_string(column.value));
    }
    void reloadDataForRowIndexes(const std::set<GridRow>&, const std::set<GridColumn>&) override {
        redraws.push_back("cells");
    }
    void updateRowsViewScrollBars() override {}
    void repaintGrid() override { redraws.push_back("paint"); }
    void layOutGridColumns() override { redraws.push_back("grid"); }
    void updateColumns(const std::optional<std::string>&) override {}

    GridRow gridRowAt(QPoint point) const override {
        int row = point.y() / kRowHeight;
        return point.y() >= 0 && row < numberOfRows() ? GridRow(row) : GridRow();
    }
    GridColumn gridColumnAt(QPoint point) const override {
        int column = point.x() / kColumnWidth;
        return point.x() >= 0 && column < numberOfColumns() ? GridColumn(column) : GridColumn();
    }
    int numberOfColumns() const override {
        return static_cast<int>(window_.state().dataPort.numberOfFieldsPerRow);
    }
    int numberOfRows() const override { return static_cast<int>(numberOfGridRows()); }
    int64_t numberOfGridRows() const override {
        const auto& port = window_.state().dataPort;
        return std::clamp<int64_t>(port.totalRows - port.firstRowIndexInDataPort.value, 0,
                                   pageRows_);
    }
    int64_t numberOfDataPortRows() const override { return pageRows_; }
    int64_t numberOfDataPortFields() const override { return numberOfColumns() - 1; }
    FieldIndex firstFieldIndexToShow() const override { return kFirstFieldIndex; }
    FieldIndex fieldIndexFromTableViewColumn(GridColumn column, GridRow row) const override {
        if (column.value < 1 || column.value >= numberOfColumns() || row.isNone() ||
            row.value >= numberOfRows()) {
            return FieldIndex();
        }
        return port_.fieldIndexFromDataColumn(column.value - 1);
    }
    FieldIndex nextFieldIndexInViewport(FieldIndex field) const override {
        return field.value + 1 < window_.state().dataPort.numberOfFieldsPerRow ? field + 1
                                                                               : kFirstFieldIndex;
    }

    void calculateTotalRows() override {}
    void reloadFieldValues() override {
        window_.state().dataPort.dataPortLoadPending = false;
        fillPage();
        ++loads;
    }
    void loadDataPort() override { reloadFieldValues(); }
    void scheduleDataPortLoad() override { window_.state().dataPort.dataPortLoadPending = true; }
    void loadPendingDataPort() override {
        if (window_.state().dataPort.dataPortLoadPending) loadDataPort();
    }
    void setFirstRowIndexInDataPort(RowIndex rowIndex) override {
        window_.state().dataPort.firstRowIndexInDataPort = rowIndex;
    }
    void reloadRowsKeepingPort() override { loadDataPort(); }
    void resetTableSelections() override {}
    void rowsDidChange() override {}

    bool isRowsTableViewFirstResponder() const override { return true; }
    bool isSelectedTableUpdateCapable() const override { return false; }
    void focusGrid() override {}
    QWidget* gridWidget() const override { return nullptr; }
    void endEditing() override {}
    void editCell(GridRow, GridColumn) override {}
    QWidget* cellEditor() const override { return nullptr; }
    void rowsTableModifiedDoubleClickOnRow(QPoint, bool) override {}

    RowsDataPort& dataPort() override { return port_; }
    GridSelection& selection() override { return *selection_; }
    GridNavigator& navigator() override { return *navigator_; }

  private:
    // The page's values: "r.f" for row r and field f of the object, the rowid r + 1.
    void fillPage() {
        const auto& port = window_.state().dataPort;
        std::vector<DBValue> values;
        for (int64_t row = port.firstRowIndexInDataPort.value;
             row < std::min(port.totalRows, port.firstRowIndexInDataPort.value + pageRows_);
             ++row) {
            values.emplace_back(std::to_string(row + 1));
            for (int64_t field = 1; field < port.numberOfFieldsPerRow; ++field) {
                values.emplace_back(std::to_string(row) + "." + std::to_string(field));
            }
        }
        port_.takePage(std::move(values));
    }

    StateOnlyWindow& window_;
    RowsDataPort port_;
    int64_t pageRows_;
    std::unique_ptr<GridSelection> selection_;
    std::unique_ptr<GridNavigator> navigator_;
};
