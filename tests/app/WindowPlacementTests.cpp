// Every window the program opens lies inside the available area of the screen, frame included:
// also when the database window it belongs to stands in a corner of the screen, when a window
// is restored from a larger screen and when dropped files cascade past the last window.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <set>

#include "app/DatabasesWindow.h"
#include "platform/ui/MainWindow.h"
#include "tests/mainwindow/ControllerTest.h"

namespace {

nlohmann::json windowInfoEntry(const std::string& path, nlohmann::json frame) {
    return {{"LastWindowFrame", std::move(frame)},
            {"LastWindowDatabasePath", path},
            {"LastWindowSelectedConsole", 0}};
}

std::set<QWidget*> visibleWindows() {
    std::set<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowType() != Qt::Popup &&
            widget->windowType() != Qt::ToolTip) {
            windows.insert(widget);
        }
    }
    return windows;
}

// The shown windows whose frame passes an edge of the available area.
std::string outsideTheScreen() {
    std::string outside;
    for (QWidget* window : visibleWindows()) {
        const QRect frame = window->frameGeometry();
        if (!window->screen()->availableGeometry().contains(frame)) {
            outside += window->objectName().toStdString() + " \"" +
                       window->windowTitle().toStdString() + "\" at " + std::to_string(frame.x()) +
                       "," + std::to_string(frame.y()) + " " + std::to_string(frame.width()) + "x" +
                       std::to_string(frame.height()) + "; ";
        }
    }
    return outside;
}

}  // namespace

class WindowPlacementTest : public ControllerTest {
  protected:
    QAction* item(const char* action) const {
        return app->databaseWindowForWindowIndex(0)->menuBar()->findChild<QAction*>(action);
    }
};

TEST_F(WindowPlacementTest, WindowsAndPanelsOfAWindowInTheScreensCornerOpenInside) {
    makeRowsTable(5);
    TablesAndRowsController* c = show("t");
    TablesAndRowsWindow* window = app->databaseWindowForWindowIndex(0);
    const QRect available = window->screen()->availableGeometry();
    for (QPoint corner : {available.bottomRight(), available.topLeft()}) {
        // The database window fills the corner, frame and all.
        window->resize(700, 450);
        QRect frame = window->frameGeometry();
        frame.moveBottomRight(available.bottomRight());
        if (corner == available.topLeft()) frame.moveTopLeft(available.topLeft());
        window->move(frame.topLeft());
        QApplication::processEvents();
        ASSERT_EQ(outsideTheScreen(), "");
        rowsOf(c)->rowsTableView()->setFocus();
        for (const char* action :
             {"showPreferences", "showMapPanel", "mathMenuItemClicked",
              "imagesWindowMenuItemClicked", "gettingStartedMenuItemClicked",
              "showDiagnosticsWindow", "clipboardContentsWindowMenuItemClicked",
              "sortFieldsMenuItemClicked", "searchMenuItemClicked", "nameAndFieldsMenuItemClicked",
              "schemaMenuItemClicked", "pickerTypesMenuItemClicked",
              "webBrowserBookmarksMenuItemClicked", "openDocument"}) {
            // Chosen from the database window's menu bar.
            makeKeyAndOrderFront(window);
            const std::set<QWidget*> before = visibleWindows();
            emit qobject_cast<QMenu*>(item(action)->parent())->aboutToShow();
            item(action)->trigger();
            QApplication::processEvents();
            EXPECT_GT(visibleWindows().size(), before.size()) << action << " showed no window";
            EXPECT_EQ(outsideTheScreen(), "") << action;
        }
        // Dragged partly past the screen's corner and closed, they come back inside.
        for (QWidget* shown : visibleWindows()) {
            if (shown == window) continue;
            shown->move(available.bottomRight() - QPoint(60, 40));
            shown->close();
        }
        partsOf(c).databases.reject();
    }
    EXPECT_TRUE(alerts.empty());
}

TEST_F(WindowPlacementTest, RestoredAndCascadedWindowsStayInsideAndLargerOnesShrinkToTheScreen) {
    const std::string fromLargerScreen = makeDatabase(pathInDocuments("wide.db"));
    const std::string tooLarge = makeDatabase(pathInDocuments("large.db"));
    UserDefaults::standard().setObject(
        nlohmann::json::array({windowInfoEntry(fromLargerScreen, {2300, 1300, 700, 500}),
                               windowInfoEntry(tooLarge, {-400, -80, 2600, 1700})}),
        "WindowInfo");
    app->applicationDidFinishLaunching();
    EXPECT_EQ(outsideTheScreen(), "");
    const QRect available = app->databaseWindowForWindowIndex(0)->screen()->availableGeometry();
    EXPECT_EQ(app->databaseWindowForWindowIndex(0)->size(), QSize(700, 500));
    EXPECT_EQ(app->databaseWindowForWindowIndex(1)->frameGeometry().topLeft(), available.topLeft());
    EXPECT_LE(app->databaseWindowForWindowIndex(1)->frameGeometry().height(), available.height());

    // Files dropped cascade from the last window, which stands at the bottom of the screen.
    app->databaseWindowForWindowIndex(1)->resize(700, 500);
    QApplication::processEvents();
    app->databaseWindowForWindowIndex(1)->move(available.right() - 720, available.bottom() - 520);
    app->openDroppedFiles({makeDatabase(pathInHome("one.db")), makeDatabase(pathInHome("two.db"))},
                          true);
    EXPECT_TRUE(pathInSlot(3));
    EXPECT_EQ(outsideTheScreen(), "");
    EXPECT_EQ(app->databaseWindowForWindowIndex(3)->size(), QSize(700, 500));
}

TEST_F(WindowPlacementTest, EveryConsoleFitsTheWindowAsItIsAndImportStaysWithinReach) {
    makeRowsTable(5);
    TablesAndRowsController* c = show("t");
    TablesAndRowsWindow* window = app->databaseWindowForWindowIndex(0);
    // Near the screen's right edge, as narrow as a window is often kept.
    window->resize(700, 600);
    window->move(880, 100);
    QApplication::processEvents();
    const QSize size = window->size();
    for (auto console : {TablesAndRowsState::ImportConsole, TablesAndRowsState::SQLConsole,
                         TablesAndRowsState::ExportConsole, TablesAndRowsState::PrintConsole,
                         TablesAndRowsState::RecordConsole, TablesAndRowsState::RowsConsole}) {
        c->changeConsole(console);
        QTest::qWait(50);  // the layout requests that would resize the window
        EXPECT_EQ(window->size(), size) << console;
        EXPECT_EQ(outsideTheScreen(), "") << console;
        if (console != TablesAndRowsState::ImportConsole) continue;
        auto* import = window->findChild<QPushButton*>("importViewImportButton");
        ASSERT_NE(import, nullptr);
        const QRect shown(import->mapTo(window, QPoint(0, 0)), import->size());
        EXPECT_TRUE(window->rect().contains(shown));
        EXPECT_EQ(window->childAt(shown.center()), import);
    }
    // Narrower than any console needs: the console scrolls, the window keeps its size.
    window->resize(420, 600);
    for (auto console : {TablesAndRowsState::SQLConsole, TablesAndRowsState::ImportConsole}) {
        c->changeConsole(console);
        QTest::qWait(50);
        EXPECT_EQ(window->width(), 420) << console;
    }
}
