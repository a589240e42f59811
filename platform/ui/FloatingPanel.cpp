#include "platform/ui/FloatingPanel.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace {

// Under X11 a window transient for the root window is transient for its whole application (its
// window group): window managers keep it above each of the application's windows. A desktop
// window of Qt's is that root window. Made once, never destroyed: it owns no window of its own.
QWindow* applicationGroupWindow() {
    static QWindow* group = [] {
        auto* desktop = new QWindow;
        desktop->setFlags(Qt::Desktop);
        desktop->create();
        return desktop;
    }();
    return group;
}

}  // namespace

void floatAboveApplicationWindows(QWidget* panel) {
    // Elsewhere a tool window without a parent floats as the window system has it.
    if (!panel || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    panel->winId();  // the native window, which holds the transient parent when shown
    panel->windowHandle()->setTransientParent(applicationGroupWindow());
}
