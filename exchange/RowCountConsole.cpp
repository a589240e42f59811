#include "exchange/RowCountConsole.h"

#include <QLabel>
#include <QVBoxLayout>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/RowCountText.h"
#include "platform/ui/QtStrings.h"

RowCountConsole::RowCountConsole(DatabaseWindow& window, std::string viewName,
                                 std::string labelName)
    : window_(window), viewName_(std::move(viewName)), labelName_(std::move(labelName)) {}

RowCountConsole::~RowCountConsole() {
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* RowCountConsole::view() {
    if (!view_) {
        view_ = new QWidget;
        view_->setObjectName(toQString(viewName_));
        auto* layout = new QVBoxLayout(view_);
        numberOfRowsLabel_ = new QLabel(view_);
        numberOfRowsLabel_->setObjectName(toQString(labelName_));
        numberOfRowsLabel_->hide();
        layout->addWidget(numberOfRowsLabel_);
        layout->addStretch(1);
    }
    return view_;
}

void RowCountConsole::numberOfRowsDidChange() {
    view();
    if (!window_.selectedTableName()) {
        numberOfRowsLabel_->hide();
        return;
    }
    numberOfRowsLabel_->setText(toQString(numberOfRowsText(window_.state().dataPort.totalRows)));
    numberOfRowsLabel_->show();
}

void RowCountConsole::consoleDidAppear() {
    view()->setFocus();
}
