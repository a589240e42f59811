// The grid is loaded and drawn once when the program starts, and loaded again only for a size
// that holds other rows or fields, as soon as the window has taken it.
#include "tests/mainwindow/ControllerTest.h"

#include <QPaintEvent>

#include "mainwindow/TablesAndRowsWindow.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/foundation/Paths.h"

namespace {

// Counts the grid's loads and its paints of its whole viewport.
class GridRedraws : public QObject {
  public:
    explicit GridRedraws(RowsTableView* grid) : viewport_(grid->viewport()) {
        viewport_->installEventFilter(this);
        connect(grid->model(), &QAbstractItemModel::modelReset, this, [this] {
            ++loads;
            if (paints > 0) ++loadsAfterDrawn;
        });
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        ++paints;
        if (QRegion(viewport_->rect())
                .subtracted(static_cast<QPaintEvent*>(event)->region())
                .isEmpty()) {
            ++fullPaints;
        }
        return false;
    }
    int loads = 0;
    int loadsAfterDrawn = 0;
    int paints = 0;
    int fullPaints = 0;

  private:
    QWidget* viewport_;
};

// Frames the first database window as a window manager does once it has mapped it: the client
// area shrinks by the title bar and borders drawn around it, before the window is drawn.
class WindowManagerFraming : public QObject {
  public:
    WindowManagerFraming() { qApp->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (framed || event->type() != QEvent::Expose || !watched->isWindowType()) return false;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowHandle() == watched && dynamic_cast<TablesAndRowsWindow*>(window)) {
                framed = true;
                window->resize(window->size() - QSize(2, 25));
            }
        }
        return false;
    }
    bool framed = false;
};

}  // namespace

class GridLayoutOnResizeTest : public ControllerTest {
  protected:
    // The default database of a home, holding t of 200 rows.
    std::string makeDefaultDatabaseWithRows() {
        std::string path = Paths::documentsFolder() + "/varnelo.db";
        makeRowsTable(200, path);
        return path;
    }

    // Launches as the program starts, then lets the window be drawn and every delay pass: the
    // grid was loaded while the window came up, and must be neither loaded nor drawn whole again.
    // Not the first start: no panel takes the keyboard from the grid.
    void expectOneLoadAndOnePaintAtStart() {
        UserDefaults::standard().setBool(true, "IsFirstLaunch");
        app->applicationDidFinishLaunching();
        TablesAndRowsController* c = app->tablesAndRowsControllerForWindowIndex(0);
        ASSERT_NE(c, nullptr);
        RowsTableView* grid = rowsOf(c)->rowsTableView();
        GridRedraws redraws(grid);
        QTest::qWait(kSettleWaitMs * 2);
        EXPECT_EQ(redraws.loads, 0);
        EXPECT_EQ(redraws.fullPaints, 1);
        EXPECT_EQ(grid->numberOfRows(), rowsOf(c)->numberOfGridRows());
    }
};

TEST_F(GridLayoutOnResizeTest, TheEmptyDefaultDatabaseStartsWithOneLoadAndOnePaint) {
    // A home without a database gets an empty one: the grid shows no fields, its header goes.
    expectOneLoadAndOnePaintAtStart();
}

TEST_F(GridLayoutOnResizeTest, TheTableLastShownStartsWithOneLoadAndOnePaint) {
    makeDefaultDatabaseWithRows();
    UserDefaults::standard().setObject({{"varnelo.db", "t"}}, "LastTablesShown");
    expectOneLoadAndOnePaintAtStart();
    EXPECT_GT(rowsOf(app->tablesAndRowsControllerForWindowIndex(0))->numberOfGridRows(), 5);
}

TEST_F(GridLayoutOnResizeTest, AWindowBroughtBackStartsWithOneLoadAndOnePaint) {
    std::string path = makeDefaultDatabaseWithRows();
    UserDefaults::standard().setObject(
        nlohmann::json::array({{{"LastWindowFrame", {40, 40, 700, 450}},
                                {"LastWindowDatabasePath", path},
                                {"LastWindowSelectedConsole", 0},
                                {"LastWindowSelectedTable", "t"}}}),
        "WindowInfo");
    expectOneLoadAndOnePaintAtStart();
}

TEST_F(GridLayoutOnResizeTest, AFileHandedOverAtStartStartsWithOneLoadAndOnePaint) {
    // Its window is placed after it is shown, and no table of it is selected yet.
    makeRowsTable(200);
    app->applicationOpenFiles({db});
    expectOneLoadAndOnePaintAtStart();
}

TEST_F(GridLayoutOnResizeTest, AWindowFramedOnceShownLaysItsGridOutOnceBeforeItIsDrawn) {
    makeDefaultDatabaseWithRows();
    UserDefaults::standard().setObject({{"varnelo.db", "t"}}, "LastTablesShown");
    UserDefaults::standard().setBool(true, "IsFirstLaunch");
    WindowManagerFraming framing;
    app->applicationDidFinishLaunching();
    RowsConsole* rows = rowsOf(app->tablesAndRowsControllerForWindowIndex(0));
    RowsTableView* grid = rows->rowsTableView();
    const int shownHeight = grid->viewport()->height();
    GridRedraws redraws(grid);
    QTest::qWait(kSettleWaitMs * 2);
    ASSERT_TRUE(framing.framed);
    ASSERT_LT(grid->viewport()->height(), shownHeight);
    // The framed size holds fewer rows: the grid lays out for it once, before its first drawing,
    // which is never redrawn whole.
    EXPECT_EQ(redraws.loads, 1);
    EXPECT_EQ(redraws.loadsAfterDrawn, 0);
    EXPECT_EQ(redraws.fullPaints, 1);
    EXPECT_EQ(grid->numberOfRows(), rows->numberOfGridRows());
    EXPECT_LE(grid->rowViewportPosition(grid->numberOfRows() - 1) + grid->rowHeight(),
              grid->viewport()->height());
}

TEST_F(GridLayoutOnResizeTest, OnlyASizeHoldingOtherRowsOrFieldsLoadsTheGridAgain) {
    run("create table wide (a, b, c, d, e, f, g, h, i, j, k, l); insert into wide select value, "
        "value, value, value, value, value, value, value, value, value, value, value from "
        "generate_series(1, 200)");
    TablesAndRowsController* c = show("wide");
    TablesAndRowsWindow* window = app->databaseWindowForWindowIndex(0);
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    GridRedraws redraws(grid);
    const int rowHeight = grid->rowHeight();
    const int spareHeight = rowHeight - 1 - grid->viewport()->height() % rowHeight;
    const int columns = grid->numberOfColumns(), rows = grid->numberOfRows();
    // Every field is as wide as the last one shown.
    const int last = columns - 1;
    const int room =
        grid->viewport()->width() - grid->columnViewportPosition(last) - grid->columnWidth(last);
    const int spareWidth = std::max(0, grid->columnWidth(last) - 1 - room);

    // Taller by less than a row, wider by less than a field: the same page stays, and nothing is
    // drawn again after the resize's own drawing.
    window->resize(window->width() + spareWidth, window->height() + spareHeight);
    QTest::qWait(kSettleWaitMs / 5);
    const int resizePaints = redraws.fullPaints;
    QTest::qWait(kSettleWaitMs);
    EXPECT_EQ(redraws.loads, 0);
    EXPECT_EQ(redraws.fullPaints, resizePaints);
    EXPECT_EQ(grid->numberOfRows(), rows);
    EXPECT_EQ(grid->numberOfColumns(), columns);

    // Sizes that hold more rows, coming faster than the grid lays out (a window dragged): it
    // lays out once, for the last of them, as soon as they have been taken.
    for (int step = 1; step <= 4; ++step) {
        window->resize(window->width() + 30, window->height() + rowHeight);
    }
    EXPECT_EQ(redraws.loads, 0);
    QApplication::processEvents();
    EXPECT_EQ(redraws.loads, 1);
    EXPECT_EQ(grid->numberOfRows(), rows + 4);
    EXPECT_GT(grid->numberOfColumns(), columns);
    QTest::qWait(kSettleWaitMs);
    EXPECT_EQ(redraws.loads, 1);

    // Dragged away and back before the grid lays out: the page held fits again, nothing loads.
    window->resize(window->width(), window->height() - 3 * rowHeight);
    window->resize(window->width(), window->height() + 3 * rowHeight);
    QTest::qWait(kSettleWaitMs);
    EXPECT_EQ(redraws.loads, 1);
    EXPECT_EQ(grid->numberOfRows(), rows + 4);

    // Each size the window stops at is laid out as it comes.
    window->resize(window->width(), window->height() + 2 * rowHeight);
    QApplication::processEvents();
    EXPECT_EQ(redraws.loads, 2);
    EXPECT_EQ(grid->numberOfRows(), rows + 6);
}
