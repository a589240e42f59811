#include "mainwindow/TablesAndRowsWindow.h"

#include <QCloseEvent>

#include "mainwindow/TablesAndRowsController.h"
#include "platform/ui/MainWindow.h"

TablesAndRowsWindow::TablesAndRowsWindow(int windowIndex) : windowIndex_(windowIndex) {
    resize(900, 600);
    declareWindowRole(this, WindowRole::Document);
}

void TablesAndRowsWindow::closeEvent(QCloseEvent* event) {
    if (delegate_ && !delegate_->windowShouldClose(this)) {
        event->ignore();
        return;
    }
    event->accept();
}
