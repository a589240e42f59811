#pragma once
// A floating panel of a database window (sort, search, bookmarks): the application makes one of
// each per window and hands it to the window, which tells it what happens to the selection.
class WindowPanel {
  public:
    virtual ~WindowPanel() = default;

    // The window's state holds a newly loaded object (or none): a panel shown follows it.
    virtual void selectedObjectDidChange() {}
    // The window closes: the panel goes with it.
    virtual void windowWillClose() {}
};
