#pragma once
// Copy, copy for export and cut of the rows grid's selection: whole fields (the first 1000 rows),
// whole rows (the first 1000) or the focused and selected cells go on the general pasteboard as
// the program's own grid record beside delimited text.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Common/ShownRows.h"
#include "mainwindow/rows/GridClipboard.h"

class DatabaseWindow;
class GridSurface;

class GridCopy {
  public:
    static constexpr int64_t kCopyRowLimit = 1000;

    GridCopy(DatabaseWindow& window, GridSurface& rows) : window_(window), grid_(window, rows) {}

    // The cells a copy took, row by row, so that a cut clears exactly these.
    struct CopiedRow {
        std::string rowid;
        std::vector<std::string> fieldNames;
    };
    struct Copied {
        std::vector<CopiedRow> rows;
        // The rows as the copy took them, for the cut's write to check.
        DBInterface::ShownRows shown;
        // The pasteboard took the record and the text.
        bool written = false;
    };

    // Replace the clipboard with the grid's selection while the rows console shows and the
    // tables list has not the focus; else, or when the copy is refused, the clipboard is left
    // alone.
    void rowsTableViewCopy() { copyCommand(false); }
    void copyForExportMenuItemClicked() { copyCommand(true); }
    // Asks, copies, and clears exactly the copied values once the pasteboard holds them; the
    // clipboard is untouched until the user confirms, and put back when the clear is refused.
    void rowsTableViewCut();
    // Writes the record and the text of the selection; nullopt when there was nothing to copy.
    std::optional<Copied> copyRowsToPasteboard(bool forExport);

  private:
    void copyCommand(bool forExport);
    // Sets the copied cells to the empty string while they hold the values copied, up to the
    // first row that fails; the grid and the other windows show the rows again once one was
    // written. False when nothing was written.
    bool clearCopiedCells(const Copied& copied, const std::string& table);

    DatabaseWindow& window_;
    GridClipboard grid_;
};
