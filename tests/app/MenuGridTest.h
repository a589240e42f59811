#pragma once
// The grid of the main database window with the application's menu bar: its items picked as the
// user picks them.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "platform/ui/MainWindow.h"
#include "tests/mainwindow/GridTest.h"

class MenuGridTest : public GridTest {
  protected:
    // The grid of the main window on the table, the window active for its key equivalents.
    TablesAndRowsController* showMain(const std::string& table) {
        TablesAndRowsController* c = showGrid(table);
        makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
        grid->setFocus();
        // A reload still to come would put other rows under the focus.
        QTest::qWait(kSettleWaitMs);
        return c;
    }
    QAction* item(const char* action) const {
        return app->databaseWindowForWindowIndex(0)->menuBar()->findChild<QAction*>(action);
    }
    // The menu item as the user picks it: its menu opens first, which enables it.
    void pick(const char* action) {
        emit qobject_cast<QMenu*>(item(action)->parent())->aboutToShow();
        ASSERT_TRUE(item(action)->isEnabled()) << action;
        item(action)->trigger();
        QApplication::processEvents();
    }
};
