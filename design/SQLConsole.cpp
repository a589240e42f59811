#include "design/SQLConsole.h"

#include <QWidget>

SQLConsole::~SQLConsole() {
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* SQLConsole::view() {
    if (!view_) {
        view_ = new QWidget;
        view_->setObjectName("sqlView");
        view_->setFocusPolicy(Qt::StrongFocus);
    }
    return view_;
}

void SQLConsole::consoleDidAppear() {
    view()->setFocus();
}
