#pragma once
// A console of a database window: the part below the toolbar that the toolbar switches to. The
// window owns its consoles, shows one at a time and tells each what happens to the selection.
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>

#include "mainwindow/IndexSpaces.h"

class QWidget;

class Console {
  public:
    virtual ~Console() = default;

    // Made on first use; the window's content owns it from then on.
    virtual QWidget* view() = 0;
    // Anything the console holds for the object shown (an edit in progress) is written now: the
    // selected object is about to be reloaded or replaced.
    virtual void selectedObjectWillChange() {}
    // The window's state holds a newly loaded object (or none).
    virtual void selectedObjectDidChange() {}
    // The selected object's row count changed.
    virtual void numberOfRowsDidChange() {}
    // The sort or the search in the window's state changed while the object stayed loaded.
    virtual void sortOrSearchDidChange() {}
    // Rows of the shown object were added, written or deleted outside the grid: the grid counts
    // and loads its rows again where it stands, its selection emptied.
    virtual void rowsDidChange() {}
    // Moves the grid's focus by rows (negative up), its page loaded at once; only the grid acts.
    virtual void moveFocusedRowBy(int64_t) {}
    // The grid's focus, its page or the values loaded changed.
    virtual void focusDidMove() {}
    // The grid's focused cell on the screen; nullopt while none is shown.
    virtual std::optional<QRect> focusedCellScreenRect() const { return std::nullopt; }
    // One cell of the grid's page took a new value written outside the grid.
    virtual void cellDidChange(RowIndex, FieldIndex) {}
    // The menu's "Edit Field in Panel" while this console is shown.
    virtual void editFieldInPanelMenuItemClicked() {}
    // The edit-field sheet over the record editor ended: Done with its text, Cancel with none.
    virtual void editFieldSheetDidEnd(FieldIndex, const std::optional<std::string>&) {}
    // The console became the one shown.
    virtual void consoleDidAppear() {}
    // The window closes while it still knows its database.
    virtual void windowWillClose() {}
};
