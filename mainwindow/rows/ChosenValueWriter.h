#pragma once
// Writes a value chosen in another window (a location, an image file name) into one cell of the
// grid: the database row is found by the rowid loaded for the cell's row, and the loaded value
// and the cell show what was stored. A row outside the loaded page is not written; a row deleted
// elsewhere is told and the rows are read again.
#include <string>

#include "mainwindow/IndexSpaces.h"

class DatabaseWindow;
class RowsConsole;

class ChosenValueWriter {
  public:
    ChosenValueWriter(DatabaseWindow& window, RowsConsole& rows) : window_(window), rows_(rows) {}

    // True when the row was written; a failure shows "Error" with the message.
    bool updateFieldValue(const std::string& value, const std::string& tableName, RowIndex rowIndex,
                          FieldIndex field);
    // Into the grid's focused cell, when one object that can be updated is shown.
    bool updateFocusedCell(const std::string& value);

  private:
    DatabaseWindow& window_;
    RowsConsole& rows_;
};
