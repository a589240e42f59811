#include "platform/ui/MainWindow.h"

#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget>& current() {
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

QWidget* mainWindow() {
    return current().data();
}

void setMainWindow(QWidget* window) {
    current() = window;
}

void resignMainWindow(QWidget* window) {
    if (current() == window) current() = nullptr;
}

void makeKeyAndOrderFront(QWidget* window) {
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
    // Activation arrives later and not at all without a window manager; the request is enough.
    setMainWindow(window);
}
