#pragma once
// The wait cursor for as long as it lives: a database call may wait on another connection's lock,
// and the window shows it is busy rather than frozen.
#include <QGuiApplication>

class WaitCursor {
  public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
