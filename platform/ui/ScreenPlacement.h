#pragma once
// Every window opens inside the available area of its screen (the screen less the desktop's
// panels): a window placed, restored or cascaded past an edge is moved back, and one larger
// than the area is shrunk to it.
class QRect;
class QSize;
class QWidget;

// The placement rule: the frame moved into the area, shrunk only where it is larger than the
// area, never below the minimum size (a frame that then cannot fit keeps its top-left corner,
// and so its title bar, inside). A frame that fits stays where it is.
QRect frameInsideArea(QRect frame, const QRect& area, const QSize& minimumSize);

// Moves the window, its frame included, inside the available area of the screen it is on,
// shrinking it when it is larger. A window never placed is first centred over its parent
// window, or on the screen.
void placeInsideAvailableScreen(QWidget* window);

// A window's frame is its title bar and borders with the client area inside them: what the user
// sees move. The frame's top-left corner goes where asked and its size is as asked, within the
// available area; a window not yet framed by the window manager gets that frame once it is.
void setWindowFrame(QWidget* window, const QRect& frame);
// The frame the window has, or was given while it waits for the window manager to frame it.
QRect windowFrame(const QWidget* window);
// Whether the window, placed before the window manager framed it, is still to be placed again
// with its frame.
bool awaitsFrame(const QWidget* window);

// From now on every top-level window of the application is placed so as it is shown.
void keepWindowsInsideAvailableScreen();
