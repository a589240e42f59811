#include "platform/ui/MainWindow.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <optional>

namespace {

constexpr const char* kRoleProperty = "varneloWindowRole";

QPointer<QWidget>& current() {
    static QPointer<QWidget> window;
    return window;
}

std::optional<WindowRole> roleOf(const QWidget* window) {
    QVariant role = window->property(kRoleProperty);
    if (!role.isValid()) return std::nullopt;
    return static_cast<WindowRole>(role.toInt());
}

void activated(QWidget* window, WindowRole role) {
    if (role == WindowRole::Document) setMainWindow(window);
    if (role == WindowRole::Auxiliary) setMainWindow(nullptr);
}

// Watches the activation and hiding of every window that declared its role.
class WindowTracker : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::WindowActivate && event->type() != QEvent::Hide) {
            return false;
        }
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || !window->isWindow()) return false;
        std::optional<WindowRole> role = roleOf(window);
        if (!role) return false;
        if (event->type() == QEvent::Hide) {
            resignMainWindow(window);
        } else {
            activated(window, *role);
        }
        return false;
    }
};

void installTracker() {
    static WindowTracker* tracker = nullptr;
    if (tracker || !qApp) return;
    tracker = new WindowTracker;
    tracker->setParent(qApp);
    qApp->installEventFilter(tracker);
}

}  // namespace

void declareWindowRole(QWidget* window, WindowRole role) {
    if (!window) return;
    window->setProperty(kRoleProperty, static_cast<int>(role));
    installTracker();
}

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
    // A minimized window comes back as it was before, maximized or not.
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    // Activation arrives later and not at all without a window manager; the request is enough.
    activated(window, roleOf(window).value_or(WindowRole::Document));
}
