#include "exchange/RunButtonPresses.h"

#include <QAbstractButton>
#include <QInputEvent>

RunButtonPresses::RunButtonPresses(QAbstractButton* button) : QObject(button) {
    clock_.start();
    button->installEventFilter(this);
}

void RunButtonPresses::runEnded() {
    if (!lastPress_) {
        runEnd_.reset();
        return;
    }
    runEnd_ = lastPress_->time + static_cast<quint64>(clock_.elapsed() - lastPress_->arrivedMs);
}

bool RunButtonPresses::takeClickMeantForStop() {
    const bool meantForStop =
        pressOfClick_ && runEnd_ && *pressOfClick_ < *runEnd_ + kMeantForStopMs;
    pressOfClick_.reset();
    return meantForStop;
}

bool RunButtonPresses::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress: {
            const quint64 time = static_cast<QInputEvent*>(event)->timestamp();
            lastPress_ = Press{time, clock_.elapsed()};
            pressOfClick_ = time;
            break;
        }
        default:
            break;
    }
    return false;
}
