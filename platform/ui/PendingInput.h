#pragma once
// Keys and clicks the window system holds for the windows while the main thread was held up (a
// wait on a lock) are handed out now. A sheet opened before would block its window, and the
// input given to it meanwhile would be dropped.
#include <QCoreApplication>

inline void deliverPendingInput() {
    QCoreApplication::processEvents();
}
