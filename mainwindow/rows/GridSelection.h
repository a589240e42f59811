#pragma once
// The grid's own focus and selection, kept by row index in the window's state so that it
// survives paging: the focused cell, single cells, whole rows and whole fields, the clicks that
// change them, and what the cell views ask to highlight themselves. A row selected while the page
// shows it is held with its rowid and values as shown, so that no command, scroll or page read
// takes another row for it (GridSelectionResolver.h).
#include <QPoint>

#include <cstdint>
#include <functional>

#include "mainwindow/IndexSpaces.h"

class DatabaseWindow;
class GridSurface;
class RowsDataPort;
struct TablesAndRowsState;

class GridSelection {
  public:
    GridSelection(GridSurface& rows, DatabaseWindow& window);

    void clearSelectedFieldsAndReload(bool clear);
    void clearSelectedRowsAndReload(bool clear);
    void clearSelectedCellsAndReload(bool clear);
    // Forgets the selected cells, rows and fields without a redraw; the focus stays.
    void forgetSelected();
    // Around readBack, which reads the page again after this window's own write: the rows held
    // as shown stay selected where the page read back shows their rowids, with the values it
    // shows; the rest of the selection goes, since the write may have moved rows under a sort or
    // search.
    void keepShownRowsAcross(const std::function<void()>& readBack);
    void selectAllFields();
    // Empties the selected cells, fields and rows; the focus stays.
    void deselectAll();
    bool isSomethingFocused() const;
    bool isSomethingSelected() const;
    bool isSomethingSelectedOrFocused() const;
    // A selection of any kind or a focused cell: what the selection's commands act on.
    bool isAtLeastOneCellSelected() const { return isSomethingSelectedOrFocused(); }
    // A cell is focused and the grid itself has the keyboard, not an editor inside it.
    bool isFocusOnCellAndNotEditing() const;
    // Toggles the whole row; a row selected without extending replaces the selected rows and
    // takes the focus. Indexes outside the table are logged and change nothing.
    void selectMyRowIndex(RowIndex rowIndex, bool extendSelection);
    void selectTableViewRow(GridRow row, bool extendSelection);
    // A click on grid cell (row, column): deselect is a plain click, else a Control-click.
    void selectRowsTableViewCellAtRow(GridRow row, GridColumn column, bool deselect);
    void selectCellWithRowIndex(RowIndex rowIndex, FieldIndex field, bool removeIfPresent);
    // The boxes of the selected cells, and of those and the focused cell.
    SelectionBox selectedCellsBox() const;
    SelectionBox focusedOrSelectedCellsBox() const;
    // Adds a row, or the rows first...last, of the table to the whole selected rows; indexes
    // outside the table are logged and left out.
    void includeRowIndex(RowIndex rowIndex);
    void includeRowIndexes(RowIndex first, RowIndex last);

    // Clicks in the grid's viewport.
    void clickedOnPoint(QPoint point);
    void commandClickedOnPoint(QPoint point);
    // On a row number: extends the selected rows to it; on a cell: selects the rectangle from
    // the focus and the selected cells to it.
    void shiftClickedOnPoint(QPoint point);
    // On a row number: starts the port at that row.
    void alternateClickedOnPoint(QPoint point);
    // On a row number: focuses that row, moving the port so that it is shown last when needed.
    void shiftAlternateClickedOnPoint(QPoint point);

    // What a cell view asks to highlight itself.
    bool isFocusedCell(CellIdentity cell) const;
    bool highlightPasteDestinationCell(CellIdentity cell) const;
    bool highlightRowNumberCell(CellIdentity cell) const;
    bool highlightSelectedRow(CellIdentity cell) const;
    bool highlightSelectedCell(CellIdentity cell) const;

  private:
    // A row or cell is about to be selected: the selection's file version is the page's if it
    // starts now, and marked changed if the page was read at another since it started.
    void noteSelecting();
    // The row is selected while the page may show it: held with its rowid and values as shown.
    void holdShownRow(RowIndex rowIndex);
    // Selects the row, held as shown, or lets it go when it was selected; whether it is now.
    bool toggleRowSelected(RowIndex rowIndex);
    // Whether the place shows the row held selected there (or holds none): a row that moved
    // elsewhere is not drawn selected at its old place over another row.
    bool showsRowSelectedAt(RowIndex rowIndex) const;
    // The held rows go once neither whole rows nor cells are selected.
    void dropUnselectedShownRows();
    // The data row of a clicked row number that holds one, else none.
    RowIndex rowIndexOfRowNumberAt(QPoint point) const;
    void extendSelectedRowsTo(RowIndex rowIndex);
    void selectRectangleTo(GridRow row, GridColumn column);
    // Selects the loaded cells of the box, while fewer rows than the limit hold selected cells;
    // a box reaching below row or field 0 selects nothing.
    void selectCellsInBox(const SelectionBox& box);

    GridSurface& rows_;
    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    RowsDataPort& dataPort_;
};
