#include "platform/ui/ScreenPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <optional>

namespace {

bool isPlacedWindow(const QWidget* widget) {
    if (!widget->isWindow()) return false;
    switch (widget->windowType()) {
        case Qt::Popup:  // menus and completers place themselves
        case Qt::ToolTip:
        case Qt::Desktop:
        case Qt::ForeignWindow:
            return false;
        default:
            return true;
    }
}

// Set on a window placed before any frame was known, to the frame corner it was placed at: it is
// placed there again once it has a frame.
constexpr const char* kPlacedWithoutFrame = "varneloPlacedWithoutFrame";

bool hasOwnFrame(const QWidget* window) {
    QWindow* handle = window->windowHandle();
    return handle && !handle->frameMargins().isNull();
}

// The window's frame is known once the window manager has framed it; until then another
// framed window of the application's stands in for it. nullopt while no frame is known.
std::optional<QMargins> frameMargins(const QWidget* window) {
    if (hasOwnFrame(window)) return window->windowHandle()->frameMargins();
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && hasOwnFrame(other)) {
            return other->windowHandle()->frameMargins();
        }
    }
    return std::nullopt;
}

QScreen* screenFor(const QWidget* window, const QRect& frame) {
    if (QScreen* screen = QGuiApplication::screenAt(frame.center())) return screen;
    if (QScreen* screen = window->screen()) return screen;
    return QGuiApplication::primaryScreen();
}

// Places the window with its frame inside the available area. frameCorner: where the frame was
// meant to stand, for a window framed after it was placed; else the frame goes where the window
// stands, and a window not placed yet goes to the centre of its parent or screen.
void placeFrame(QWidget* window, std::optional<QPoint> frameCorner) {
    const std::optional<QMargins> known = frameMargins(window);
    const QMargins margins = known.value_or(QMargins());
    const QSize frameExtra(margins.left() + margins.right(), margins.top() + margins.bottom());
    QRect frame = window->geometry().marginsAdded(margins);
    if (frameCorner) {
        frame.moveTopLeft(*frameCorner);
    } else if (!window->testAttribute(Qt::WA_Moved)) {
        const QWidget* parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        frame.moveCenter(parent && parent->isVisible()
                             ? parent->frameGeometry().center()
                             : screenFor(window, frame)->availableGeometry().center());
    }
    const QRect available = screenFor(window, frame)->availableGeometry();
    const QSize client =
        (frame.size().boundedTo(available.size()) - frameExtra).expandedTo(window->minimumSize());
    frame.setSize(client + frameExtra);
    // A window taller or wider than the area keeps its top-left corner, and so its title bar,
    // inside.
    const int x =
        std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width()));
    const int y =
        std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height()));
    window->setProperty(kPlacedWithoutFrame, known ? QVariant() : QVariant(QPoint(x, y)));
    if (client != window->size()) window->resize(client);
    // The frame's corner goes where the frame is; untouched when the window is already there.
    // A window framed after it was placed is always moved: moves asked before the frame came
    // may still be carried out, and the position last reported may be older than the last
    // one asked.
    const QPoint clientCorner(x + margins.left(), y + margins.top());
    if (frameCorner || clientCorner != window->geometry().topLeft() ||
        !window->testAttribute(Qt::WA_Moved)) {
        window->move(x, y);
    }
}

class Placer : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The show event comes before the window is mapped: placed now, it never shows outside.
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (isPlacedWindow(widget)) placeFrame(widget, std::nullopt);
        }
        // The window manager framed and showed a window placed without knowing its frame: the
        // client was kept inside, but its title bar may stand above the screen.
        if (event->type() == QEvent::Expose && watched->isWindowType()) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                const QVariant intended = widget->property(kPlacedWithoutFrame);
                if (widget->windowHandle() == watched && intended.isValid() &&
                    hasOwnFrame(widget)) {
                    placeFrame(widget, intended.toPoint());
                }
            }
        }
        return false;
    }
};

}  // namespace

void placeInsideAvailableScreen(QWidget* window) {
    if (window) placeFrame(window, std::nullopt);
}

void keepWindowsInsideAvailableScreen() {
    static Placer* placer = nullptr;
    if (placer || !qApp) return;
    placer = new Placer;
    placer->setParent(qApp);
    qApp->installEventFilter(placer);
}
