// Every window the program opens lies inside the available area of the screen, frame included:
// also when the database window it belongs to stands in a corner of the screen, when a window
// is restored from a larger screen and when dropped files cascade past the last window. A window
// comes back at the next start with the frame it had, and a new one stands beside its main window,
// as does one handed over by a second start; a start without files brings a minimized window back.
// The map and math panels float above every database window, not above other programs' windows.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>

#include "app/DatabasesWindow.h"
#include "app/InstanceStart.h"
#include "app/MathPanel.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/ui/InstanceHandover.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/ScreenPlacement.h"
#include "tests/app/WindowManagerAnswer.h"
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

std::string describe(const QRect& frame) {
    return std::to_string(frame.x()) + "," + std::to_string(frame.y()) + " " +
           std::to_string(frame.width()) + "x" + std::to_string(frame.height());
}

// The window's frame as the window system has it now. The widget's own frame keeps the borders
// it had at its last move or resize, so it may not follow the window manager's later redecoration
// (a maximized window loses its borders after its new size is known).
QRect frameOf(const QWidget* window) {
    return window->windowHandle()->frameGeometry();
}

// The shown windows whose frame passes an edge of the available area.
std::string outsideTheScreen() {
    std::string outside;
    for (QWidget* window : visibleWindows()) {
        const QRect frame = frameOf(window);
        if (!window->screen()->availableGeometry().contains(frame)) {
            outside += window->objectName().toStdString() + " \"" +
                       window->windowTitle().toStdString() + "\" at " + describe(frame) + "; ";
        }
    }
    return outside;
}

// The program's windows in the stacking order the window manager keeps, bottom first.
std::vector<WId> stackingOrder() {
    QProcess xprop;
    xprop.start("xprop", {"-root", "-notype", "_NET_CLIENT_LIST_STACKING"});
    xprop.waitForFinished(10000);
    std::vector<WId> order;
    static const QRegularExpression id("0x[0-9a-fA-F]+");
    for (auto found = id.globalMatch(QString::fromUtf8(xprop.readAllStandardOutput()));
         found.hasNext();) {
        order.push_back(found.next().captured().toULongLong(nullptr, 16));
    }
    return order;
}

// The window manager's state of the window: "Normal" or "Iconic".
QString windowManagerState(const QWidget* window) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "WM_STATE"});
    xprop.waitForFinished(10000);
    static const QRegularExpression state("window state: (\\w+)");
    return state.match(QString::fromUtf8(xprop.readAllStandardOutput())).captured(1);
}

// The program started once more in the test's home, as the desktop starts it; true when it
// handed its files over and ended well. Waits with events running, for this process answers it.
bool startAgain(const QStringList& files) {
    QProcess start;
    start.start(VARNELO_APP_PATH, files);
    return start.waitForStarted() &&
           QTest::qWaitFor([&] { return start.state() == QProcess::NotRunning; }, 30000) &&
           start.exitStatus() == QProcess::NormalExit && start.exitCode() == 0;
}

// As on a busy machine, the window manager takes the window on only after the program gave it
// its frame, and tells it the place and size it was shown with (held from the showing until then).
// Keeps the frame the program gives the window as it is framed: the window system may still
// carry out the program's earlier request afterwards and hide a wrong one.
class LateFirstAnswer : public QObject {
  public:
    explicit LateFirstAnswer(QWidget* window) : window_(window) {
        window->installEventFilter(this);
    }
    ~LateFirstAnswer() override {
        if (held_) releaseWindowManager();
    }
    std::optional<QRect> frameOnceFramed() const { return frameOnceFramed_; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!frameOnceFramed_ && event->type() == QEvent::Expose &&
            watched == window_->windowHandle() && !awaitsFrame(window_)) {
            frameOnceFramed_ = windowFrame(window_);
        }
        if (watched != window_ || answered_ || event->spontaneous()) return false;
        if (event->type() == QEvent::Show) {
            shown_ = window_->geometry();
            window_->windowHandle()->installEventFilter(this);
            holdWindowManager();
            held_ = true;
        } else if (event->type() == QEvent::Resize && held_) {
            sendWindowManagerAnswer(window_, shown_);
            releaseWindowManager();
            held_ = false;
            answered_ = true;
        }
        return false;
    }

  private:
    QWidget* window_;
    QRect shown_;
    bool held_ = false;
    bool answered_ = false;
    std::optional<QRect> frameOnceFramed_;
};

bool isOurs(WId window) {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->internalWinId() == window) return true;
    }
    return false;
}

bool stacksAbove(const QWidget* upper, const QWidget* lower) {
    const std::vector<WId> order = stackingOrder();
    auto at = [&](const QWidget* window) {
        return std::find(order.begin(), order.end(), window->winId()) - order.begin();
    };
    const auto size = static_cast<std::ptrdiff_t>(order.size());
    return at(upper) < size && at(lower) < size && at(upper) > at(lower);
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
    // The frame saved, title bar included, is the frame restored.
    EXPECT_EQ(app->databaseWindowForWindowIndex(0)->frameGeometry().size(), QSize(700, 500));
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

// Under a real window manager a window is framed only after it is shown, so the first placement
// cannot know the frame. These run in a child process of this test program on a virtual X
// display with a window manager (see below).
class FramedWindowPlacementTest : public WindowPlacementTest {
  protected:
    void SetUp() override {
        if (!std::getenv("VARNELO_FRAMED_CHILD")) GTEST_SKIP() << "runs on a virtual display";
        WindowPlacementTest::SetUp();
    }

    // Waits for the window manager to frame each window, then for it to be placed inside with
    // its frame; then for no window of the program to pass an edge, as the window manager's
    // answers to the program's requests arrive (a move asked before a frame came is answered
    // before the placement asked after it).
    static void expectFramedInside(const std::vector<QWidget*>& windows) {
        for (QWidget* window : windows) {
            const QRect available = window->screen()->availableGeometry();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return !window->windowHandle()->frameMargins().isNull(); }, 10000));
            EXPECT_TRUE(QTest::qWaitFor([&] { return !awaitsFrame(window); }, 10000));
            EXPECT_TRUE(QTest::qWaitFor([&] { return available.contains(frameOf(window)); }, 10000))
                << describe(frameOf(window));
        }
        EXPECT_TRUE(QTest::qWaitFor([] { return outsideTheScreen().empty(); }, 10000))
            << outsideTheScreen();
    }

    // The window manager maximized the window. Its client area tells: the frame it reports may
    // still have the borders of the window as it was.
    static bool isMaximizedOver(const QWidget* window, const QRect& available) {
        return window->isMaximized() && window->geometry().width() == available.width();
    }
};

TEST_F(FramedWindowPlacementTest, TheWindowsOfAStartWithFilesShowTheirTitleBars) {
    app->applicationOpenFiles({makeDatabase(pathInHome("first.db")),
                               makeDatabase(pathInHome("second.db")),
                               makeDatabase(pathInHome("third.db"))});
    app->applicationDidFinishLaunching();
    expectFramedInside({app->databaseWindowForWindowIndex(0), app->databaseWindowForWindowIndex(1),
                        app->databaseWindowForWindowIndex(2)});
}

TEST_F(FramedWindowPlacementTest, WindowsRestoredAtTheTopLeftOrTooLargeShowTheirTitleBars) {
    UserDefaults::standard().setObject(
        nlohmann::json::array(
            {windowInfoEntry(makeDatabase(pathInDocuments("corner.db")), {0, 0, 700, 500}),
             windowInfoEntry(makeDatabase(pathInDocuments("large.db")), {-400, -80, 2600, 1700})}),
        "WindowInfo");
    app->applicationDidFinishLaunching();
    expectFramedInside(
        {app->databaseWindowForWindowIndex(0), app->databaseWindowForWindowIndex(1)});
}

TEST_F(FramedWindowPlacementTest, FiveQuitsAndStartsLeaveEveryWindowWhereItWas) {
    app->applicationOpenFiles(
        {makeDatabase(pathInHome("first.db")), makeDatabase(pathInHome("second.db")),
         makeDatabase(pathInHome("third.db")), makeDatabase(pathInHome("fourth.db"))});
    app->applicationDidFinishLaunching();
    std::vector<QWidget*> windows;
    for (int i = 0; i < 4; ++i) windows.push_back(app->databaseWindowForWindowIndex(i));
    expectFramedInside(windows);
    // One window the user moved, one maximized.
    windows[1]->move(300, 240);
    windows[3]->showMaximized();
    const QRect available = windows[3]->screen()->availableGeometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return isMaximizedOver(windows[3], available); }, 10000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return frameOf(windows[1]).topLeft() == QPoint(300, 240); }, 5000))
        << describe(frameOf(windows[1]));
    // The maximized one comes back as large as the area, its title bar at the top.
    std::vector<QRect> frames;
    for (QWidget* window : windows) frames.push_back(frameOf(window));
    frames[3] = available;
    for (int start = 1; start <= 5; ++start) {
        app->applicationWillTerminate();
        relaunch();
        for (int i = 0; i < 4; ++i) {
            QWidget* window = app->databaseWindowForWindowIndex(i);
            ASSERT_TRUE(QTest::qWaitFor([&] { return frameOf(window) == frames[i]; }, 10000))
                << "start " << start << ", window " << i << " at " << describe(frameOf(window))
                << " instead of " << describe(frames[i]);
        }
    }
}

TEST_F(FramedWindowPlacementTest, ANewWindowStandsBesideTheMainWindowWithItsTitleBarOnScreen) {
    app->applicationOpenFiles({makeDatabase(pathInHome("first.db"))});
    app->applicationDidFinishLaunching();
    TablesAndRowsWindow* main = app->databaseWindowForWindowIndex(0);
    expectFramedInside({main});
    // Beside a maximized main window the new one stays on the screen, title bar and all.
    main->showMaximized();
    const QRect available = main->screen()->availableGeometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return isMaximizedOver(main, available); }, 10000));
    item("openNewWindow")->trigger();
    QWidget* beside = app->databaseWindowForWindowIndex(1);
    expectFramedInside({beside});
    EXPECT_EQ(frameOf(beside).topLeft(), available.topLeft());
    beside->close();

    // Beside a window where the user put it, the frame, title bar included, is what moves.
    main->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameOf(main) != available; }, 5000));
    main->resize(700, 500);
    main->move(200, 150);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameOf(main).topLeft() == QPoint(200, 150); }, 5000));
    makeKeyAndOrderFront(main);
    item("openNewWindow")->trigger();
    expectFramedInside({beside});
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return frameOf(beside) == frameOf(main).translated(20, 20); }, 5000));
}

TEST_F(FramedWindowPlacementTest, NewWindowsBesideALargeMainWindowStayInsideTheScreen) {
    app->applicationOpenFiles({makeDatabase(pathInHome("first.db"))});
    app->applicationDidFinishLaunching();
    TablesAndRowsWindow* main = app->databaseWindowForWindowIndex(0);
    expectFramedInside({main});
    const QRect available = main->screen()->availableGeometry();
    const QRect large(available.topLeft() + QPoint(20, 30), QSize(1540, 920));
    setWindowFrame(main, large);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameOf(main) == large; }, 10000))
        << describe(frameOf(main));
    // Each from the window made last: 20 further while that fits, moved back in once it would not.
    for (int i = 1; i < 5; ++i) {
        const QRect before = frameOf(app->mainDatabaseWindow());
        item("openNewWindow")->trigger();
        QWidget* beside = app->databaseWindowForWindowIndex(i);
        expectFramedInside({beside});
        databasesWindowOf(i).reject();
        const QRect expected = frameInsideArea(before.translated(20, 20), available, {});
        EXPECT_TRUE(QTest::qWaitFor([&] { return frameOf(beside) == expected; }, 10000))
            << "window " << i << " at " << describe(frameOf(beside)) << " instead of "
            << describe(expected);
    }
}

TEST_F(FramedWindowPlacementTest, AHandedOverDatabaseCascadesAndAStartWithoutFilesRestoresIt) {
    app->applicationDidFinishLaunching();
    InstanceHandover handover;
    ASSERT_EQ(handover.start({}, nullptr), InstanceHandover::Start::Instance);
    receiveHandedOverFiles(handover, *app);
    TablesAndRowsWindow* main = app->databaseWindowForWindowIndex(0);
    expectFramedInside({main});
    const QRect frame(200, 150, 700, 450);
    setWindowFrame(main, frame);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frameOf(main) == frame; }, 10000));

    // A second start hands a file over: its window takes the last one's frame moved by 20.
    const std::string file = makeDatabase(pathInHome("handed over.db"));
    LateFirstAnswer late(app->databaseWindowForWindowIndex(1));
    ASSERT_TRUE(startAgain({toQString(file)}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pathInSlot(1) == file; }, 10000));
    TablesAndRowsWindow* handed = app->databaseWindowForWindowIndex(1);
    expectFramedInside({handed});
    const QRect cascaded = frame.translated(20, 20);
    EXPECT_EQ(late.frameOnceFramed(), cascaded)
        << describe(late.frameOnceFramed().value_or(QRect()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frameOf(handed) == cascaded; }, 10000))
        << describe(frameOf(handed));

    // Minimized, it comes back where it was and in front at a start without files.
    handed->showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return windowManagerState(handed) == "Iconic"; }, 10000));
    ASSERT_TRUE(startAgain({}));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return windowManagerState(handed) == "Normal" && stacksAbove(handed, main); }, 10000))
        << windowManagerState(handed).toStdString();
    EXPECT_EQ(frameOf(handed), cascaded) << describe(frameOf(handed));
}

TEST_F(FramedWindowPlacementTest, TheMathPanelStaysAboveWhicheverDatabaseWindowIsClicked) {
    std::vector<std::string> paths{pathInHome("first.db"), pathInHome("second.db")};
    run("create table t (n number); insert into t values (10)", paths[0]);
    run("create table t (n number); insert into t values (20)", paths[1]);
    app->applicationOpenFiles(paths);
    app->applicationDidFinishLaunching();
    std::vector<TablesAndRowsWindow*> windows{app->databaseWindowForWindowIndex(0),
                                              app->databaseWindowForWindowIndex(1)};
    expectFramedInside({windows[0], windows[1]});
    makeKeyAndOrderFront(windows[0]);
    emit qobject_cast<QMenu*>(item("mathMenuItemClicked")->parent())->aboutToShow();
    item("mathMenuItemClicked")->trigger();
    MathPanel& panel = app->mathPanel();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stacksAbove(&panel, windows[0]); }, 10000));
    for (int i : {1, 0, 1}) {
        // A click in a window: the window manager raises it, and the grid selects the cell. (The
        // window manager may keep the focus where it was against a request of the program's.)
        makeKeyAndOrderFront(windows[i]);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return stacksAbove(windows[i], windows[1 - i]); }, 10000));
        TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(i);
        controller->selectTableWithName("t");
        RowsTableView* grid = partsOf(controller).rows.rowsTableView();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(0, 1)).center());
        EXPECT_TRUE(panel.isVisible());
        EXPECT_TRUE(stacksAbove(&panel, windows[i])) << "window " << i;
        QTest::mouseClick(panel.findChild<QPushButton*>(), Qt::LeftButton);
        EXPECT_EQ(panel.totalField()->text(), i == 0 ? "10" : "20");
    }
    // Another program's window opened now stands above it: the panel floats over this program's
    // windows only.
    QProcess other;
    other.start("xmessage", {"another program"});
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const std::vector<WId> order = stackingOrder();
            return !order.empty() && !isOurs(order.back());
        },
        10000));
    other.kill();
    other.waitForFinished();
}

TEST(FramedWindowPlacement, RunsUnderAWindowManagerOnAVirtualDisplay) {
    if (std::getenv("VARNELO_FRAMED_CHILD")) GTEST_SKIP();
    ensureQApplication();
    for (const char* program : {"xvfb-run", "openbox", "xprop", "xmessage"}) {
        if (QStandardPaths::findExecutable(program).isEmpty()) GTEST_SKIP() << "needs " << program;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VARNELO_FRAMED_CHILD", "1");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    child.setProcessChannelMode(QProcess::MergedChannels);
    // The windows are shown once the window manager has started.
    QTemporaryDir folder;
    environment.insert("VARNELO_WM_READY", folder.filePath("ready"));
    child.setProcessEnvironment(environment);
    child.start(
        "xvfb-run",
        {"-a", "-s", "-screen 0 1600x1000x24", "sh", "-c",
         "openbox --startup \"touch $VARNELO_WM_READY\" >/dev/null 2>&1 &"
         " for i in $(seq 600); do [ -e \"$VARNELO_WM_READY\" ] && break; sleep 0.1; done;"
         " exec \"$0\" \"$@\"",
         QCoreApplication::applicationFilePath(), "--gtest_filter=FramedWindowPlacementTest.*"});
    ASSERT_TRUE(child.waitForFinished(300000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 7 tests")) << output.toStdString();
}
