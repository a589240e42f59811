#pragma once
#include <optional>
#include <string>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"

// A floating panel of a database window (sort, search, bookmarks): the application makes one of
// each per window and hands it to the window, which tells it what happens to the selection.
class WindowPanel {
  public:
    virtual ~WindowPanel() = default;

    // The window's state holds a newly loaded object (or none): a panel shown follows it.
    virtual void selectedObjectDidChange() {}
    // The grid's focus, its page or the values loaded changed: a panel that shows the focused
    // cell follows it.
    virtual void focusDidMove() {}
    // The edit-field panel over the grid's focused cell, and as a sheet over the record editor's
    // field with the buffer's value; only that panel acts.
    virtual void showEditFieldPanel() {}
    virtual void showEditFieldSheet(FieldIndex, const DBValue&) {}
    // The console changes: a panel that belongs to the grid closes.
    virtual void closeEditFieldPanel() {}
    // The window closes: the panel goes with it.
    virtual void windowWillClose() {}
};
