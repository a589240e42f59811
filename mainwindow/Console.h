#pragma once
// A console of a database window: the part below the toolbar that the toolbar switches to. The
// window owns its consoles, shows one at a time and tells each what happens to the selection.
// What only the grid or the record editor serves is an interface of its own (GridRequests,
// RecordEditorRequests).
class QWidget;

class Console {
  public:
    virtual ~Console() = default;

    // Made by the time the window takes its consoles; the window's content owns it from then on.
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
    // The grid's focus, its page or the values loaded changed.
    virtual void focusDidMove() {}
    // The console became the one shown.
    virtual void consoleDidAppear() {}
    // The window closes while it still knows its database.
    virtual void windowWillClose() {}
};
