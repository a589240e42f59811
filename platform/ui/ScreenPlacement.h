#pragma once
// Every window opens inside the available area of its screen (the screen less the desktop's
// panels): a window placed, restored or cascaded past an edge is moved back, and one larger
// than the area is shrunk to it.
class QWidget;

// Moves the window, its frame included, inside the available area of the screen it is on,
// shrinking it when it is larger. A window never placed is first centred over its parent
// window, or on the screen.
void placeInsideAvailableScreen(QWidget* window);

// From now on every top-level window of the application is placed so as it is shown.
void keepWindowsInsideAvailableScreen();
