#include "mainwindow/TablesAndRowsWindow.h"

#include <QCloseEvent>

#include "mainwindow/TablesAndRowsController.h"
#include "platform/ui/MainWindow.h"

TablesAndRowsWindow::TablesAndRowsWindow(int windowIndex) : windowIndex_(windowIndex) {
    resize(900, 600);
}

void TablesAndRowsWindow::closeEvent(QCloseEvent* event) {
    if (delegate_ && !delegate_->windowShouldClose(this)) {
        event->ignore();
        return;
    }
    event->accept();
}

void TablesAndRowsWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) setMainWindow(this);
    QMainWindow::changeEvent(event);
}

void TablesAndRowsWindow::hideEvent(QHideEvent* event) {
    resignMainWindow(this);
    QMainWindow::hideEvent(event);
}
