#pragma once
// What the grid's parts (selection, navigator, in-place editor, cell commands, clipboard) need of
// the grid they work on: redrawing cells, rows and columns, the scroll bars and columns, the
// view's geometry and counts, the page's loads, the keyboard and the in-place editor's cell, and
// the parts beside them. The rows console implements it; a part built on it alone can be built
// and tested without a console.
#include <QPoint>

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "mainwindow/IndexSpaces.h"

class GridNavigator;
class GridSelection;
class QWidget;
class RowsDataPort;

class GridSurface {
  public:
    virtual ~GridSurface() = default;

    // ---- Redraw; out of the grid nothing happens ----
    virtual void redrawGrid() = 0;
    // Paints the cells shown again from what they hold, for highlights that changed.
    virtual void repaintGrid() = 0;
    virtual void reloadRowsTableViewRow(GridRow row, GridColumn column) = 0;
    virtual void reloadRowsTableViewRowIndex(RowIndex rowIndex, FieldIndex field) = 0;
    virtual void reloadRowsTableViewRow(GridRow row) = 0;
    virtual void reloadRowsTableViewRowIndex(RowIndex rowIndex) = 0;
    virtual void reloadRowsTableViewRowIndexes(RowIndex first, RowIndex last) = 0;
    virtual void reloadRowsTableViewColumn(GridColumn column) = 0;
    virtual void reloadDataForRowIndexes(const std::set<GridRow>& rows,
                                         const std::set<GridColumn>& columns) = 0;

    // ---- Scroll bars and columns ----
    virtual void updateRowsViewScrollBars() = 0;
    // Columns, headers and widths after the port's first field changed, then the grid redrawn.
    virtual void layOutGridColumns() = 0;
    virtual void updateColumns(const std::optional<std::string>& tableName) = 0;

    // ---- Geometry and counts ----
    // The grid row and column under a point of the grid's viewport; none off the cells.
    virtual GridRow gridRowAt(QPoint point) const = 0;
    virtual GridColumn gridColumnAt(QPoint point) const = 0;
    virtual int numberOfColumns() const = 0;
    virtual int numberOfRows() const = 0;
    virtual int64_t numberOfGridRows() const = 0;
    virtual int64_t numberOfDataPortRows() const = 0;
    virtual int64_t numberOfDataPortFields() const = 0;
    virtual FieldIndex firstFieldIndexToShow() const = 0;
    virtual FieldIndex fieldIndexFromTableViewColumn(GridColumn column, GridRow row) const = 0;
    virtual FieldIndex nextFieldIndexInViewport(FieldIndex field) const = 0;

    // ---- The page ----
    virtual void calculateTotalRows() = 0;
    virtual void reloadFieldValues() = 0;
    virtual void loadDataPort() = 0;
    virtual void scheduleDataPortLoad() = 0;
    virtual void loadPendingDataPort() = 0;
    virtual void setFirstRowIndexInDataPort(RowIndex rowIndex) = 0;
    virtual void reloadRowsKeepingPort() = 0;
    virtual void resetTableSelections() = 0;
    virtual void rowsDidChange() = 0;

    // ---- Keyboard and the in-place editor ----
    virtual bool isRowsTableViewFirstResponder() const = 0;
    virtual bool isSelectedTableUpdateCapable() const = 0;
    // The grid takes the keyboard.
    virtual void focusGrid() = 0;
    // The widget the grid's keys reach while no cell is edited.
    virtual QWidget* gridWidget() const = 0;
    // Ends the edit in progress, if any, writing it.
    virtual void endEditing() = 0;
    virtual void editCell(GridRow row, GridColumn column) = 0;
    // The open in-place editor; nullptr while no cell is edited.
    virtual QWidget* cellEditor() const = 0;
    // Control: the cell alone is focused and the edit-field panel shows it; Alt: the record
    // editor opens on it.
    virtual void rowsTableModifiedDoubleClickOnRow(QPoint point, bool control) = 0;

    // ---- The parts beside each other ----
    virtual RowsDataPort& dataPort() = 0;
    virtual GridSelection& selection() = 0;
    virtual GridNavigator& navigator() = 0;
};
