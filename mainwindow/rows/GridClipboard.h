#pragma once
// The grid's half of copy and paste: which cells a copy takes from the selection, where pasted
// values land in the loaded page, the marks of the paste's destination and the redraws. The
// pasteboard records and texts are made elsewhere.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/rows/GridSelectionResolver.h"

class DatabaseWindow;
class GridSurface;

class GridClipboard {
  public:
    GridClipboard(DatabaseWindow& window, GridSurface& rows) : window_(window), rows_(rows) {}

    // The rows console shows and the grid has the keyboard.
    bool isGridShown() const;
    bool isEditable() const;

    // What a copy takes from the selection (GridSelectionResolver.h): whole fields (the first
    // rows of the table), whole rows, or the focused and selected cells, each value whole;
    // nullopt when nothing is selected or focused, or when the copy was refused or failed (told).
    std::optional<GridSelectionResolver::Resolved> readSelection(int64_t rowLimit);
    // The rows are read again after a write, the port kept in place.
    void reloadRows();

    // The loaded cell that value i of pasted row r reaches from the focused cell, or none.
    bool destinationCell(size_t r, size_t i, RowIndex* rowIndex, FieldIndex* field) const;
    // Whole fields and rows are deselected and the cells the rows reach are marked.
    void markPasteDestinations(const std::vector<DBRow>& rows);
    // How many of the pasted rows, from the first, reach a loaded row of the table.
    size_t rowsReached(const std::vector<DBRow>& rows) const;
    void redrawPasteDestinations();
    // The marks go and their cells are drawn again.
    void endPaste();
    // The table shown again from its first rows, after rows were added.
    void showAddedRows() const;

  private:
    using Marks = std::map<RowIndex, FieldIndexSet>;
    void redrawCells(const Marks& marks);

    DatabaseWindow& window_;
    GridSurface& rows_;
};
