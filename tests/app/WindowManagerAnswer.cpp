#include "tests/app/WindowManagerAnswer.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xlib.h>

namespace {

Display* display() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

}  // namespace

void holdWindowManager() {
    if (Display* x = display()) XGrabServer(x);
}

void releaseWindowManager() {
    if (Display* x = display()) {
        XUngrabServer(x);
        XFlush(x);
    }
}

void sendWindowManagerAnswer(const QWidget* window, const QRect& geometry) {
    Display* x = display();
    if (!x) return;
    XConfigureEvent answer{};
    answer.type = ConfigureNotify;
    answer.display = x;
    answer.event = answer.window = window->winId();
    answer.x = geometry.x();
    answer.y = geometry.y();
    answer.width = geometry.width();
    answer.height = geometry.height();
    XSendEvent(x, answer.window, False, StructureNotifyMask, reinterpret_cast<XEvent*>(&answer));
    XFlush(x);
}
