#pragma once
// The X11 part of the framed placement tests: the window manager held back, and what it tells a
// window it takes on, sent by the test itself so that it comes when the test needs it.
#include <QRect>

class QWidget;

// While held, the X server serves this process alone: the window manager does nothing.
void holdWindowManager();
void releaseWindowManager();

// Sends the window the ConfigureNotify a window manager sends as it takes the window on: the
// window stands at this place and size. Qt reads it as the window system's own report.
void sendWindowManagerAnswer(const QWidget* window, const QRect& geometry);
