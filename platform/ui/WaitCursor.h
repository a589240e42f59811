#pragma once
// The wait cursor for as long as it lives: a database call may wait on another connection's lock,
// and the window shows it is busy rather than frozen. While no window is on the screen yet (the
// reads at start) there is nothing to show it on, and the first one would cost the loading of the
// cursor theme before the window is drawn: none is set then.
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>

class WaitCursor {
  public:
    WaitCursor() : shown_(isAnyWindowOnScreen()) {
        if (shown_) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() {
        if (shown_) QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    static bool isAnyWindowOnScreen() {
        const QWindowList windows = QGuiApplication::topLevelWindows();
        return std::any_of(windows.begin(), windows.end(),
                           [](const QWindow* window) { return window->isExposed(); });
    }

    bool shown_;
};
