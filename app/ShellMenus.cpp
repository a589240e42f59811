#include "app/ShellMenus.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

#include "app/AppDelegate.h"

void addShellMenus(QMainWindow* window, AppDelegate* appDelegate) {
    QMenu* file = window->menuBar()->addMenu(QObject::tr("&File"));
    file->addAction(QObject::tr("New Window"), QKeySequence::New, appDelegate,
                    &AppDelegate::openNewWindow);
    file->addAction(QObject::tr("Open…"), QKeySequence::Open, appDelegate,
                    &AppDelegate::openDocument);
    file->addAction(QObject::tr("Open External Database…"), appDelegate,
                    &AppDelegate::openExternalDatabase);
    file->addSeparator();
    file->addAction(QObject::tr("Close"), QKeySequence::Close, window, &QWidget::close);
    file->addAction(QObject::tr("Quit"), QKeySequence::Quit, qApp, &QApplication::quit);
    QMenu* windows = window->menuBar()->addMenu(QObject::tr("&Window"));
    windows->addAction(QObject::tr("Diagnostics"), appDelegate,
                       &AppDelegate::showDiagnosticsWindow);
}
