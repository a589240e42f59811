// The tables list's rename and delete, the consoles, the window title and the settings the
// window keeps per database.
#include "tests/mainwindow/ControllerTest.h"

#include <QListWidget>
#include <QStyle>
#include <QTest>
#include <QToolBar>

#include <map>

#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/foundation/Paths.h"
#include "settings/LastTablesShown.h"

namespace {

nlohmann::json widthsOf(const std::string& file) {
    return UserDefaults::standard().dictionaryForKey("RowsTableColumnWidths")[file];
}

}  // namespace

class TablesListTest : public ControllerTest {
  protected:
    void storeWidths(const std::string& table, std::vector<double> widths) {
        nlohmann::json all = UserDefaults::standard().dictionaryForKey("RowsTableColumnWidths");
        all["test.db"][table] = widths;
        UserDefaults::standard().setObject(all, "RowsTableColumnWidths");
    }
    int rowOf(TablesAndRowsController* c, const std::string& name) {
        auto found = std::find(c->state().selectedObject.tableNames.begin(),
                               c->state().selectedObject.tableNames.end(), name);
        return found == c->state().selectedObject.tableNames.end()
                   ? -1
                   : static_cast<int>(found - c->state().selectedObject.tableNames.begin());
    }
};

TEST_F(TablesListTest, RenamingATableMovesItsSavedWidths) {
    makeRowsTable(3);
    storeWidths("t", {60, 120, 80});
    TablesAndRowsController* c = show("t");
    c->chooseTableTextFieldReturnKeyPressed(rowOf(c, "t"), "  \"new\" name\n");
    EXPECT_TRUE(DBInterface::doesTableExist("_new_ name", db));
    EXPECT_FALSE(widthsOf("test.db").contains("t"));
    EXPECT_EQ(widthsOf("test.db")["_new_ name"], nlohmann::json({60, 120, 80}));
    EXPECT_NE(rowOf(c, "_new_ name"), -1);
    EXPECT_EQ(c->tablesTableView()->item(rowOf(c, "_new_ name"))->text(), "_new_ name");
    EXPECT_EQ(lastTableShown(db), "_new_ name");  // the next launch shows it under its new name
    EXPECT_TRUE(alerts.empty());
}

TEST_F(TablesListTest, ARenameThatOnlyChangesCaseOrFailsKeepsTheName) {
    makeRowsTable(3);
    run("create table other (x)");
    storeWidths("t", {60, 120, 80});
    TablesAndRowsController* c = show("t");
    c->chooseTableTextFieldReturnKeyPressed(rowOf(c, "t"), "T");
    EXPECT_TRUE(DBInterface::doesTableExist("t", db));
    EXPECT_EQ(c->tablesTableView()->item(rowOf(c, "t"))->text(), "t");
    EXPECT_TRUE(alerts.empty());
    // A name already taken fails: an error, the old name shown, the widths where they were.
    c->chooseTableTextFieldReturnKeyPressed(rowOf(c, "t"), "other");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_EQ(c->tablesTableView()->item(rowOf(c, "t"))->text(), "t");
    EXPECT_TRUE(widthsOf("test.db").contains("t"));
    // A name the list would hide is refused, whatever its letter case.
    c->tablesTableView()->item(rowOf(c, "t"))->setText("Varnelo_DB_t");  // as typed in the list
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].informativeText, "The name Varnelo_DB_t is reserved for the program.");
    EXPECT_EQ(c->tablesTableView()->item(rowOf(c, "t"))->text(), "t");
    EXPECT_TRUE(DBInterface::doesTableExist("t", db));
    alerts.clear();
    // A view is never renamed: the alert says why instead of passing on SQLite's error.
    run("create view v as select name from t");
    c->reloadTables();
    c->tablesTableView()->item(rowOf(c, "v"))->setText("w");  // as typed in the list
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].informativeText.find("view cannot be renamed"), std::string::npos);
    EXPECT_EQ(c->tablesTableView()->item(rowOf(c, "v"))->text(), "v");
    std::vector<std::string> typeAndDefinition;
    DBInterface::getTableTypeAndDefinition(&typeAndDefinition, "v", db, nullptr);
    EXPECT_NE(std::find(typeAndDefinition.begin(), typeAndDefinition.end(), "view"),
              typeAndDefinition.end());  // still there under its name
}

TEST_F(TablesListTest, DeletingAsksFirstAndRemovesTheObjectAndItsWidths) {
    makeRowsTable(3);
    run("create table a (x)");
    storeWidths("t", {60, 120, 80});
    TablesAndRowsController* c = show("t");
    alertAnswer = 1;  // Cancel
    c->deleteTable();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Delete the selected objects?|This cannot be undone!");
    EXPECT_TRUE(DBInterface::doesTableExist("t", db));
    alertAnswer = 0;  // Delete
    c->deleteTable();
    EXPECT_FALSE(DBInterface::doesTableExist("t", db));
    EXPECT_FALSE(widthsOf("test.db").contains("t"));
    EXPECT_EQ(c->state().selectedObject.tableNames, std::vector<std::string>{"a"});
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "a");
    // Deleting the last object leaves nothing selected.
    c->deleteTable();
    EXPECT_TRUE(c->state().selectedObject.tableNames.empty());
    EXPECT_EQ(c->selectedTableName(), std::nullopt);
    EXPECT_EQ(c->state().dataPort.numberOfFieldsPerRow, 0);
    // Nothing selected: nothing to delete.
    alerts.clear();
    c->deleteTable();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "No table selected|Select a table to delete.");
}

TEST_F(TablesListTest, AFailedDeletionKeepsTheWidthsAndStopsTheRest) {
    run("create table s (id integer primary key autoincrement, x); insert into s (x) values (1)");
    UserDefaults::standard().setBool(true, "ShowSystemTables");
    storeWidths("sqlite_sequence", {60, 100, 100});
    TablesAndRowsController* c = show("sqlite_sequence");
    c->deleteTable();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].messageText, "Error");
    EXPECT_TRUE(widthsOf("test.db").contains("sqlite_sequence"));
    EXPECT_TRUE(DBInterface::doesTableExist("s", db));
}

TEST_F(TablesListTest, EachConsoleIsShownAlone) {
    makeRowsTable(3);
    TablesAndRowsController* c = show("t");
    for (int number = TablesAndRowsController::kNumberOfConsoles - 1; number >= 0; --number) {
        const auto console = TablesAndRowsState::consoleIndexFromNumber(number);
        c->selectConsole(console);
        EXPECT_EQ(c->selectedConsole(), console);
        int shown = 0;
        for (int other = 0; other < TablesAndRowsController::kNumberOfConsoles; ++other) {
            bool visible =
                c->consoleView(TablesAndRowsState::consoleIndexFromNumber(other))->isVisible();
            shown += visible;
            EXPECT_EQ(visible, other == console) << "console " << other;
        }
        EXPECT_EQ(shown, 1);
    }
    c->selectAddRowViewAtFieldIndex(FieldIndex(2));
    EXPECT_EQ(c->state().selection.fieldIndexToEdit.value, 2);
    EXPECT_TRUE(c->consoleView(TablesAndRowsState::RecordConsole)->isVisible());
    EXPECT_FALSE(c->consoleView(TablesAndRowsState::RowsConsole)->isVisible());
}

TEST_F(TablesListTest, TitlesOfEmptyAndExternalWindows) {
    TablesAndRowsWindow* window =
        app->showDatabase(std::nullopt, 2, false, std::nullopt, TablesAndRowsState::RowsConsole);
    EXPECT_EQ(window->windowTitle(), "Window 3");
    std::string external = pathInHome("outside.db");
    makeRowsTable(2, external);
    show("t", external);
    EXPECT_EQ(title(), external + " - t");
}

TEST_F(TablesListTest, AHiddenToolbarNeverGrowsTheWindow) {
    UserDefaults::standard().setObject(nlohmann::json::array({true, false}), "HiddenToolbars");
    UserDefaults::standard().setObject(nlohmann::json::array({true}), "HiddenTablesViews");
    makeRowsTable(2);
    TablesAndRowsController* c = show("t");
    QSize size = app->databaseWindowForWindowIndex(0)->size();
    for (int i = 0; i < 3; ++i) c->initializeAfterShown();
    EXPECT_EQ(app->databaseWindowForWindowIndex(0)->size(), size);
    EXPECT_FALSE(c->isConsoleToolbarShown());
    EXPECT_FALSE(c->isTablesViewShown());
    c->showTablesView(true);
    EXPECT_TRUE(c->isTablesViewShown());
}

TEST_F(TablesListTest, ExternalDatabasesAreRememberedOnceAndPrunedWithTheirSettings) {
    UserDefaults& defaults = UserDefaults::standard();
    auto path = [this](int i) { return pathInHome("db" + std::to_string(i) + ".db"); };
    TablesAndRowsController* c = show("t", [&] {
        makeRowsTable(1, path(0));
        return path(0);
    }());
    nlohmann::json tablesShown = defaults.dictionaryForKey("LastExternalTablesShown");
    ASSERT_EQ(tablesShown[path(0)], "t");
    for (int i = 1; i <= 30; ++i) {
        // Showing db0 again each time keeps it the most recent.
        c->setDatabaseFilePath(path(i));
        c->initializeAfterShown();
        c->setDatabaseFilePath(path(0));
        c->initializeAfterShown();
    }
    nlohmann::json paths = defaults.arrayForKey("LastExternalDatabases");
    ASSERT_EQ(paths.size(), 30u);
    EXPECT_EQ(paths.back(), path(0));
    EXPECT_EQ(std::count(paths.begin(), paths.end(), path(0)), 1);
    EXPECT_EQ(std::count(paths.begin(), paths.end(), path(1)), 0);
    EXPECT_TRUE(defaults.dictionaryForKey("LastExternalTablesShown").contains(path(0)));
}

TEST_F(TablesListTest, TheExternalDatabaseWarningOffersWhatFitsItsState) {
    std::string external = pathInHome("outside.db");
    makeRowsTable(1, external);
    TablesAndRowsController* c = show("t", external);
    std::vector<QStringList> buttons;
    QString text;
    Alert::setTestResponder([&](const Alert& alert, QWidget*) {
        buttons.push_back(alert.buttons);
        text = alert.informativeText;
        return 1;
    });
    c->showExternalDatabaseWarning(false);  // the warning button: the default button only
    c->showExternalDatabaseWarning(true);   // answered "Don't Show This Warning Again"
    EXPECT_TRUE(UserDefaults::standard().boolForKey("SuppressExternalDatabaseWarning"));
    c->showExternalDatabaseWarning(false);  // answered "Restore Warning"
    EXPECT_FALSE(UserDefaults::standard().boolForKey("SuppressExternalDatabaseWarning"));
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_TRUE(buttons[0].isEmpty());
    EXPECT_EQ(buttons[1].value(1), "Don't Show This Warning Again");
    EXPECT_EQ(buttons[2].value(1), "Restore Warning");
    // Every file keeps its journal on disk: the warning says nothing about journaling.
    EXPECT_EQ(text.toStdString(),
              "It is advisable to backup this database before changing it because it is outside "
              "this app's container.");
}

TEST_F(TablesListTest, DeletionRemovesTheObjectsAskedAboutEvenIfTheListChangedMeanwhile) {
    makeRowsTable(3);
    run("create table b (x)");
    TablesAndRowsController* c = show("t");
    Alert::setTestResponder([&](const Alert&, QWidget*) {
        // The list is reloaded while the question is open: a new table now stands where t was.
        run("create table s (x)");
        c->reloadTables();
        return 0;
    });
    c->deleteTable();
    EXPECT_FALSE(DBInterface::doesTableExist("t", db));
    EXPECT_TRUE(DBInterface::doesTableExist("s", db));
    EXPECT_TRUE(DBInterface::doesTableExist("b", db));
}

TEST_F(TablesListTest, AnObjectRenamedOrDroppedElsewhereIsReportedAndNoStaleGridIsLeft) {
    makeRowsTable(3);
    run("create table u (x, y, z); insert into u values (1, 2, 3); create view v as select x "
        "from u");
    TablesAndRowsController* c = show("u");
    run("alter table t rename to t2");
    QListWidget* list = c->tablesTableView();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(rowOf(c, "t"))).center());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_EQ(alerts[0].informativeText, "The table “t” no longer exists.");
    EXPECT_EQ(rowOf(c, "t"), -1);
    EXPECT_NE(rowOf(c, "t2"), -1);
    EXPECT_EQ(c->selectedTableName(), std::nullopt);
    EXPECT_TRUE(c->state().fieldModel.fieldNames.empty());
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    EXPECT_EQ(grid->numberOfRows(), 0);
    for (int column = 0; column < grid->numberOfColumns(); ++column) {
        EXPECT_TRUE(grid->isColumnHidden(column) ||
                    grid->model()->headerData(column, Qt::Horizontal).toString().isEmpty())
            << column;
    }
    // A view dropped while shown: its reload says so too.
    c->selectTableWithName("v");
    run("drop view v");
    c->reloadSelectedDatabaseObject();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].informativeText, "The view “v” no longer exists.");
    EXPECT_EQ(rowOf(c, "v"), -1);
    EXPECT_EQ(c->state().dataPort.numberOfFieldsPerRow, 0);
}

TEST_F(TablesListTest, IndexAndTriggerIconsTurnWhiteOnTheSelectionWhileTheListHasTheKeyboard) {
    run("create table a (x); create view v as select x from a; create index a_x on a (x); "
        "create trigger a_t after insert on a begin select 1; end");
    TablesAndRowsController* c = show("a");
    QListWidget* list = c->tablesTableView();
    list->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(list->window()));
    list->selectAll();
    // The icon of each row, as drawn with the list focused and then with the grid focused.
    auto icons = [&] {
        QApplication::processEvents();
        QImage image = list->viewport()->grab().toImage();
        std::map<std::string, QImage> shown;
        for (const std::string name : {"a", "v", "a_x", "a_t"}) {
            QRect icon = list->visualItemRect(list->item(rowOf(c, name)));
            icon.setWidth(list->style()->pixelMetric(QStyle::PM_SmallIconSize) + 4);
            shown[name] = image.copy(icon.adjusted(2, 2, -2, -2));
            EXPECT_FALSE(shown[name].isNull());
        }
        return shown;
    };
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    auto emphasized = icons();
    rowsOf(c)->rowsTableView()->setFocus();
    auto plain = icons();
    EXPECT_EQ(emphasized["a"], plain["a"]);
    EXPECT_EQ(emphasized["v"], plain["v"]);
    EXPECT_NE(emphasized["a_x"], plain["a_x"]);
    EXPECT_NE(emphasized["a_t"], plain["a_t"]);
}
