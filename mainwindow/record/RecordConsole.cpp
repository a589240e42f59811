#include "mainwindow/record/RecordConsole.h"

#include <QWidget>

RecordConsole::~RecordConsole() {
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* RecordConsole::view() {
    if (!view_) {
        view_ = new QWidget;
        view_->setObjectName("addRowView");
        view_->setFocusPolicy(Qt::StrongFocus);
    }
    return view_;
}

void RecordConsole::consoleDidAppear() {
    view()->setFocus();
}
