// The grid is loaded and drawn once when the program starts, and loaded again only for a size
// that holds other rows or fields.
#include "tests/mainwindow/ControllerTest.h"

#include <QPaintEvent>

#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/foundation/Paths.h"

namespace {

// Counts the grid's loads and its paints of its whole viewport.
class GridRedraws : public QObject {
  public:
    explicit GridRedraws(RowsTableView* grid) : viewport_(grid->viewport()) {
        viewport_->installEventFilter(this);
        connect(grid->model(), &QAbstractItemModel::modelReset, this, [this] { ++loads; });
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint &&
            QRegion(viewport_->rect())
                .subtracted(static_cast<QPaintEvent*>(event)->region())
                .isEmpty()) {
            ++fullPaints;
        }
        return false;
    }
    int loads = 0;
    int fullPaints = 0;

  private:
    QWidget* viewport_;
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

    // A drag through sizes that hold more rows loads once, when it has settled.
    for (int step = 1; step <= 4; ++step) {
        window->resize(window->width() + 30, window->height() + rowHeight);
        QApplication::processEvents();
    }
    EXPECT_EQ(redraws.loads, 0);
    QTest::qWait(kSettleWaitMs);
    EXPECT_EQ(redraws.loads, 1);
    EXPECT_EQ(grid->numberOfRows(), rows + 4);
    EXPECT_GT(grid->numberOfColumns(), columns);

    // Dragged away and back before it settles: the page held fits again, nothing loads.
    window->resize(window->width(), window->height() - 3 * rowHeight);
    QApplication::processEvents();
    window->resize(window->width(), window->height() + 3 * rowHeight);
    QTest::qWait(kSettleWaitMs);
    EXPECT_EQ(redraws.loads, 1);
    EXPECT_EQ(grid->numberOfRows(), rows + 4);
}
