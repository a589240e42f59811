#include "platform/ui/ScreenPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QResizeEvent>
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

// Set on a window placed before its own frame was known, to the frame it was given, the client
// area that frame was guessed to hold and the client size the program last gave the window.
constexpr const char* kIntendedFrame = "varneloIntendedFrame";
constexpr qsizetype kIntendedFrameParts = 3;

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

// The frame given to a window not framed yet; nullopt once the window was moved or resized since.
std::optional<QRect> intendedFrame(const QWidget* window) {
    const QVariantList intended = window->property(kIntendedFrame).toList();
    if (intended.size() != kIntendedFrameParts || intended[1].toRect() != window->geometry()) {
        return std::nullopt;
    }
    return intended[0].toRect();
}

// The frame a window just framed is to have: the frame given, wherever the window manager put the
// client meanwhile; a window that resized itself since keeps its new size. The window's size now
// may still be the window manager's answer to an earlier request, so it does not count.
std::optional<QRect> frameOnceFramed(const QWidget* window) {
    const QVariantList intended = window->property(kIntendedFrame).toList();
    if (intended.size() != kIntendedFrameParts) return std::nullopt;
    QRect frame = intended[0].toRect();
    const QSize ownSize = intended[2].toSize();
    if (ownSize != intended[1].toRect().size()) {
        frame.setSize(ownSize.grownBy(window->windowHandle()->frameMargins()));
    }
    return frame;
}

// A resize the program made, not one the window manager reported, while the window awaits its
// frame.
void rememberOwnResize(QWidget* window, const QResizeEvent& event) {
    QVariantList intended = window->property(kIntendedFrame).toList();
    if (event.spontaneous() || intended.size() != kIntendedFrameParts) return;
    intended[2] = event.size();
    window->setProperty(kIntendedFrame, intended);
}

QScreen* screenFor(const QWidget* window, const QRect& frame) {
    if (QScreen* screen = QGuiApplication::screenAt(frame.center())) return screen;
    if (QScreen* screen = window->screen()) return screen;
    return QGuiApplication::primaryScreen();
}

// Gives the window the frame wanted, or, without one, the frame it has where it stands (a window
// not placed yet centred over its parent or on its screen), inside the available area.
void placeFrame(QWidget* window, std::optional<QRect> wanted) {
    const bool framed = hasOwnFrame(window);
    const QMargins margins = frameMargins(window).value_or(QMargins());
    const QSize frameExtra(margins.left() + margins.right(), margins.top() + margins.bottom());
    QRect frame = wanted.value_or(window->geometry().marginsAdded(margins));
    if (!wanted && !window->testAttribute(Qt::WA_Moved)) {
        const QWidget* parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        frame.moveCenter(parent && parent->isVisible()
                             ? parent->frameGeometry().center()
                             : screenFor(window, frame)->availableGeometry().center());
    }
    frame = frameInsideArea(frame, screenFor(window, frame)->availableGeometry(),
                            window->minimumSize() + frameExtra);
    // Placed by its client area, which means the same before and after the window manager has
    // framed the window; a frame position would be taken for the client's until then. Untouched
    // when the window is already there: a window framed after it was placed is always placed,
    // since moves asked before the frame came may still be carried out.
    const QRect clientArea = frame.marginsRemoved(margins);
    window->setProperty(
        kIntendedFrame,
        framed ? QVariant() : QVariant(QVariantList{frame, clientArea, clientArea.size()}));
    if (wanted || clientArea != window->geometry() || !window->testAttribute(Qt::WA_Moved)) {
        window->setGeometry(clientArea);
    }
}

class Placer : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow()) rememberOwnResize(widget, *static_cast<QResizeEvent*>(event));
        }
        // The show event comes before the window is mapped: placed now, it never shows outside.
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (isPlacedWindow(widget)) placeFrame(widget, intendedFrame(widget));
        }
        // The window manager framed and showed a window placed before its frame was known: its
        // frame may differ from the one guessed, and its title bar stand above the screen.
        if (event->type() == QEvent::Expose && watched->isWindowType()) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->windowHandle() != watched || !hasOwnFrame(widget)) continue;
                if (std::optional<QRect> frame = frameOnceFramed(widget)) placeFrame(widget, frame);
            }
        }
        return false;
    }
};

}  // namespace

QRect frameInsideArea(QRect frame, const QRect& area, const QSize& minimumSize) {
    frame.setSize(frame.size().boundedTo(area.size()).expandedTo(minimumSize));
    // A frame taller or wider than the area keeps its top-left corner, and so its title bar,
    // inside.
    frame.moveTopLeft(
        QPoint(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())),
               std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()))));
    return frame;
}

void placeInsideAvailableScreen(QWidget* window) {
    if (window) placeFrame(window, std::nullopt);
}

void setWindowFrame(QWidget* window, const QRect& frame) {
    if (window) placeFrame(window, frame);
}

QRect windowFrame(const QWidget* window) {
    if (std::optional<QRect> intended = intendedFrame(window)) return *intended;
    return window->geometry().marginsAdded(frameMargins(window).value_or(QMargins()));
}

bool awaitsFrame(const QWidget* window) {
    return window->property(kIntendedFrame).toList().size() == kIntendedFrameParts;
}

void keepWindowsInsideAvailableScreen() {
    static Placer* placer = nullptr;
    if (placer || !qApp) return;
    placer = new Placer;
    placer->setParent(qApp);
    qApp->installEventFilter(placer);
}
