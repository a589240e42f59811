#pragma once
// Paste into the rows grid's table: over the loaded cells from the focused cell on (one UPDATE a
// cell, the destination marked while the user is asked), or by adding each pasted row.
#include <map>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"

#include "mainwindow/rows/GridClipboard.h"

class DatabaseWindow;
class GridSurface;

class GridPaste {
  public:
    GridPaste(DatabaseWindow& window, GridSurface& rows) : window_(window), grid_(window, rows) {}

    // Lets grid pastes of every window update cells without asking; not stored.
    static bool suppressPasteUpdate();
    static void suppressPasteUpdateAlert(bool suppress);

    // The grid's Paste: asks first unless the asking was suppressed.
    void rowsTableViewPaste() { pasteFromClipboardToSelectedCell(suppressPasteUpdate()); }
    // With now, writes at once without asking.
    void pasteFromClipboardToSelectedCell(bool now);
    // Adds the pasteboard's rows to the selected table after asking.
    void pasteByAddingRowsFromPasteboard();

  private:
    // Names the pasted rows past the reached ones; "" when all are reached.
    static std::string leftOutText(size_t reached, size_t pasted);
    // "5", "5 to 7", "2, 5 to 7": ascending numbers as runs.
    static std::string rowNumbersText(const std::vector<int64_t>& numbers);
    // Which marked rows took the paste that stopped at the row (which took some of its values
    // when partly), and which did not.
    std::string writtenRowsText(RowIndex stoppedAt, bool stoppedRowPartly) const;
    void pasteArrayOver(const std::vector<DBRow>& rows, const std::string& table);

    DatabaseWindow& window_;
    GridClipboard grid_;
};
