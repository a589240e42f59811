#pragma once
// Moving the grid's focus and data port: arrow, page and home/end keys, Tab and Shift-Tab with
// their wrap from row to row, clicks on the column headers and jumps to a row.
#include <cstdint>

#include "mainwindow/IndexSpaces.h"

class DatabaseWindow;
class GridSurface;
class RowsDataPort;
struct TablesAndRowsState;

enum class MoveDirection { Up, Down, Left, Right };

class GridNavigator {
  public:
    GridNavigator(GridSurface& rows, DatabaseWindow& window);

    // Moves the port, and the focus with moveFocus, steps rows or fields that way; the first
    // move without a focus only makes one.
    void move(MoveDirection direction, int64_t steps, bool moveFocus);
    // Move the focus inside the grid; the port stays.
    void offsetFocusedCellByRow(int64_t offset);
    void offsetFocusedCellByColumn(int64_t offset);
    void tabKeyPressed();
    void shiftTabKeyPressed();
    // A click on the header of grid column `column`.
    void didClickTableColumn(int column);
    // Jumps the port to the row and focuses it at the field.
    void selectStartRowIndex(RowIndex rowIndex, FieldIndex field, bool makeRowsViewResponder);
    FieldIndex prevFieldIndex(FieldIndex field) const;
    FieldIndex nextFieldIndex(FieldIndex field) const;

  private:
    // Tab and Shift-Tab inside a row: the focus moves offset columns to the field, which is
    // shown first when its column lies before lowestColumn or past the grid.
    void focusNeighbourField(FieldIndex field, GridColumn lowestColumn, int64_t offset);
    // Tab and Shift-Tab across a row's end: the port starts at firstRowIndex and at the field,
    // which is focused in the row.
    void wrapFocus(RowIndex firstRowIndex, RowIndex rowIndex, FieldIndex field);

    GridSurface& rows_;
    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    RowsDataPort& dataPort_;
};
