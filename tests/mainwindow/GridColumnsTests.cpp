// The grid's columns and the column widths kept per database and table.
#include "tests/mainwindow/ControllerTest.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QSplitter>

#include "mainwindow/rows/views/RowsTableView.h"

class GridColumnsTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        writeFile(db, "");  // a new, empty database file
        std::string error;
        ASSERT_EQ(
            DBInterface::createTable("typed", 0, {"label", "amount", "at"},
                                     {DBInterface::kFieldTypeText, DBInterface::kFieldTypeNumber,
                                      DBInterface::kFieldTypeTime},
                                     nullptr, nullptr, db, &error),
            0)
            << error;
        run("insert into typed values ('a', 1, '2024-01-01 10:00:00 +0000')");
    }
    nlohmann::json storedWidths() {
        return UserDefaults::standard().dictionaryForKey("RowsTableColumnWidths")["test.db"];
    }
};

TEST_F(GridColumnsTest, DefaultWidthsFollowTheFieldTypes) {
    TablesAndRowsController* c = show("typed");
    EXPECT_EQ(rowsOf(c)->columnLayout().fieldWidthsForTable("typed"),
              (std::vector<double>{60, 100, 60, 180}));
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    ASSERT_EQ(grid->numberOfColumns(), 4);
    EXPECT_EQ(grid->columnWidth(1), 100);
    EXPECT_EQ(grid->columnWidth(3), 180);
    // Nothing was stored by laying the columns out.
    EXPECT_TRUE(storedWidths().is_null());
}

TEST_F(GridColumnsTest, AStoredListOfAnotherLengthIsDroppedAndTheDefaultsApply) {
    UserDefaults::standard().setObject({{"test.db", {{"typed", {60, 150, 70}}}}},
                                       "RowsTableColumnWidths");
    TablesAndRowsController* c = show("typed");
    EXPECT_EQ(rowsOf(c)->rowsTableView()->columnWidth(1), 100);
    EXPECT_FALSE(storedWidths().contains("typed"));
}

TEST_F(GridColumnsTest, ADraggedWidthIsStoredUnderTheFieldTheColumnShows) {
    UserDefaults::standard().setObject({{"test.db", {{"typed", {60, 150, 70, 200}}}}},
                                       "RowsTableColumnWidths");
    TablesAndRowsController* c = show("typed");
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    EXPECT_EQ(grid->columnWidth(1), 150);
    // With the port starting at field 2, column 1 shows field 2.
    c->state().dataPort.firstFieldIndexInDataPort.value = 2;
    rowsOf(c)->updateColumns("typed");
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "amount");
    grid->setColumnWidth(1, 90);
    rowsOf(c)->tableViewColumnDidResize();
    EXPECT_EQ(storedWidths()["typed"], nlohmann::json({60, 150, 90, 200}));
}

TEST_F(GridColumnsTest, TheSplitWidthIsKeptPerDatabase) {
    TablesAndRowsController* c = show("typed");
    c->tablesRowsSplitView()->setSizes({250, 650});
    c->storeSplitViewWidths();
    EXPECT_EQ(UserDefaults::standard().dictionaryForKey("TablesRowsSplitViewWidths")["test.db"],
              250);
    c->tablesRowsSplitView()->setSizes({100, 800});
    c->updateTablesRowsSplitViewWidths();
    EXPECT_EQ(c->tablesRowsSplitView()->sizes().value(0), 250);
    // A stored 0 is ignored.
    UserDefaults::standard().setObject({{"test.db", 0}}, "TablesRowsSplitViewWidths");
    c->updateTablesRowsSplitViewWidths();
    EXPECT_EQ(c->tablesRowsSplitView()->sizes().value(0), 250);
}

TEST_F(GridColumnsTest, AResizedWindowKeepsTheTablesListWidthAndRefillsThePort) {
    run("insert into typed select 'x' || value, value, '' from generate_series(1, 200)");
    TablesAndRowsController* c = show("typed");
    TablesAndRowsWindow* window = app->databaseWindowForWindowIndex(0);
    int tablesWidth = c->tablesRowsSplitView()->sizes().value(0);
    int64_t rows = rowsOf(c)->rowsTableView()->numberOfRows();
    window->resize(1200, 900);
    // The port is refilled for the new size.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(c->tablesRowsSplitView()->sizes().value(0), tablesWidth);
    EXPECT_GT(rowsOf(c)->rowsTableView()->numberOfRows(), rows);
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), rowsOf(c)->numberOfDataPortRows());
}

TEST_F(GridColumnsTest, TheFirstShowLaysOutOnceAndAWidenedGridFillsItsRoom) {
    run("insert into typed select 'x' || value, value, '' from generate_series(1, 200)");
    auto settle = [] {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kSettleWaitMs) QApplication::processEvents();
    };
    TablesAndRowsWindow* window =
        app->showDatabase(db, 0, false, "typed", TablesAndRowsState::RowsConsole);
    TablesAndRowsController* c = app->tablesAndRowsControllerForWindowIndex(0);
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    // The page shown first is laid out for the window's first size: nothing reloads it later.
    int reloads = 0;
    QObject::connect(grid->model(), &QAbstractItemModel::modelReset, [&reloads] { ++reloads; });
    settle();
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(grid->numberOfRows(), rowsOf(c)->numberOfDataPortRows());
    // Narrowed, moved to the last field and widened again, the grid shows every field rather
    // than the last one beside blank space.
    window->resize(450, 500);
    settle();
    rowsOf(c)->moveDataPortToFieldIndex(FieldIndex(3));
    EXPECT_EQ(grid->numberOfColumns(), 2);
    window->resize(900, 500);
    settle();
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    EXPECT_EQ(grid->numberOfColumns(), 4);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "label");
}

// Whether the row number's text fits the text room a row-number cell of the grid draws it in.
static bool rowNumberFits(RowsTableView* grid, qlonglong rowNumber) {
    QStyleOptionViewItem option;
    option.initFrom(grid);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = QString::number(rowNumber);
    option.rect = grid->visualRect(grid->model()->index(0, 0));
    QRect room = grid->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, grid);
    return grid->fontMetrics().horizontalAdvance(option.text) <= room.width();
}

TEST_F(GridColumnsTest, TheRowNumberColumnFitsTheLargestRowNumberWithoutStoringIt) {
    run("create table big (x); insert into big select null from generate_series(1, 1999999)");
    // A desktop whose font is larger than the offscreen one.
    struct LargerFont {
        QFont before = QApplication::font();
        LargerFont() {
            QFont larger = before;
            larger.setPointSize(16);
            QApplication::setFont(larger);
        }
        ~LargerFont() { QApplication::setFont(before); }
    } largerFont;
    TablesAndRowsController* c = show("big");
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    EXPECT_TRUE(rowNumberFits(grid, 1999999)) << grid->columnWidth(0);
    EXPECT_TRUE(UserDefaults::standard().objectForKey("RowNumberWidth").is_null());
    // A small table keeps the usual width.
    c->selectTableWithName("typed");
    QApplication::processEvents();
    EXPECT_EQ(grid->columnWidth(0), 60);
}

TEST_F(GridColumnsTest, ARowNumberWidthDraggedWiderIsKeptForEveryTable) {
    TablesAndRowsController* c = show("typed");
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    grid->setColumnWidth(0, 90);  // as a drag of the column's divider does
    rowsOf(c)->tableViewColumnDidResize();
    EXPECT_EQ(UserDefaults::standard().doubleForKey("RowNumberWidth"), 90);
    run("create table other (x); insert into other values (1)");
    c->reloadTables();
    c->selectTableWithName("other");
    QApplication::processEvents();
    EXPECT_EQ(grid->columnWidth(0), 90);
}

TEST_F(GridColumnsTest, ClickingATableAfterNoneKeepsItsStoredWidths) {
    run("create table u (x); insert into u values (1)");
    UserDefaults::standard().setObject({{"test.db", {{"u", {60, 90}}}}}, "RowsTableColumnWidths");
    TablesAndRowsController* c = show("typed");
    QListWidget* list = c->tablesTableView();
    auto clickRow = [list](const char* name, Qt::KeyboardModifiers modifiers) {
        QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualItemRect(items[0]).center());
        QApplication::processEvents();
    };
    // The selected table Ctrl-clicked leaves none selected, and the grid without columns.
    clickRow("typed", Qt::ControlModifier);
    ASSERT_EQ(c->selectedTableName(), std::nullopt);
    clickRow("u", Qt::NoModifier);
    ASSERT_EQ(c->selectedTableName(), "u");
    EXPECT_EQ(storedWidths()["u"], nlohmann::json({60, 90}));
    EXPECT_EQ(rowsOf(c)->rowsTableView()->columnWidth(1), 90);
}
