#pragma once
// What the window asks of its grid beyond a console's life cycle: the record editor moves the
// grid's focus, and the edit-field panel stands over the focused cell and writes into it.
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>

#include "mainwindow/IndexSpaces.h"

class GridRequests {
  public:
    virtual ~GridRequests() = default;

    // Moves the focus by rows (negative up), its page loaded at once.
    virtual void moveFocusedRowBy(int64_t offset) = 0;
    // The focused cell on the screen; nullopt while none is shown.
    virtual std::optional<QRect> focusedCellScreenRect() const = 0;
    // Values were written into cells of the page: the page shows what the file holds now.
    virtual void pageWasWritten() = 0;
    // The version of the database file now, by the watch the pages are read by (LoadedPage.h);
    // -1 for a file the grid does not show.
    virtual int64_t fileVersion(const std::string& databaseFilePath) = 0;
};
