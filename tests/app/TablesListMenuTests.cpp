// The tables list's buttons and menu on a real window: Add, Delete and Action clicked, the
// context menu opened by a right click; objects deleted are read back from the file by a
// connection of the test's own. The menu offers each object only what applies to it, and the
// menu bar's Hidden item shows the state of the selection.
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "design/NameAndFieldsPanel.h"
#include "design/TableSchemaWindow.h"
#include "mainwindow/MenuCheckMarks.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Pasteboard.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"
#include "tests/support/Menus.h"

namespace {

// The names of the file's schema objects, in name order, read by a connection of our own.
std::string objectsInFile(const std::string& path) {
    std::string names;
    for (const std::string& name :
         directQuery(path, "select name from sqlite_master order by name")) {
        names += (names.empty() ? "" : " ") + name;
    }
    return names;
}

}  // namespace

class TablesListMenuTest : public ControllerTest {
  protected:
    TablesAndRowsController* showActive(const std::string& table) {
        TablesAndRowsController* c = show(table);
        makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
        QApplication::processEvents();
        list = c->tablesTableView();
        return c;
    }
    QPoint rowPoint(const char* name) const {
        QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        return items.isEmpty() ? QPoint() : list->visualItemRect(items.first()).center();
    }
    void clickRow(const char* name, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rowPoint(name));
        QApplication::processEvents();
    }
    // The enabled items of the list's menu opened on the row, e.g. "tablesSchemaMenuItemClicked".
    std::set<std::string> enabledOn(const char* name) {
        std::set<std::string> enabled;
        EXPECT_TRUE(withContextMenu(list->viewport(), rowPoint(name), [&](QMenu* menu) {
            for (QAction* item : menu->actions()) {
                if (!item->isSeparator() && item->isEnabled()) {
                    enabled.insert(item->objectName().toStdString());
                }
            }
        }));
        return enabled;
    }
    QAction* menuBarItem(const char* action) const {
        return app->databaseWindowForWindowIndex(0)->menuBar()->findChild<QAction*>(action);
    }
    // The menu bar's item as its menu opens.
    QAction* openedMenuBarItem(const char* action) const {
        QAction* item = menuBarItem(action);
        emit qobject_cast<QMenu*>(item->parent())->aboutToShow();
        return item;
    }

    QListWidget* list = nullptr;
};

TEST_F(TablesListMenuTest, TheDeleteButtonAndTheMenuDeleteTheObjectsAfterAsking) {
    run("create table a (x); create table b (x); create table c (x); create view v as select x "
        "from a; insert into a values (1)");
    TablesAndRowsController* c = showActive("b");
    QToolButton* deleteButton = c->leftSideDeleteButton();
    ASSERT_TRUE(deleteButton->isVisible());
    ASSERT_TRUE(deleteButton->isEnabled());

    // Cancel deletes nothing.
    alertAnswer = 1;
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Delete the selected objects?|This cannot be undone!");
    EXPECT_TRUE(alerts[0].isSheet);
    EXPECT_EQ(objectsInFile(db), "a b c v");
    // Delete deletes the selected table; the list shows what is left with its first row
    // selected.
    alertAnswer = 0;
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    EXPECT_EQ(objectsInFile(db), "a c v");
    EXPECT_EQ(tablesListed(0), QStringList({"a", "c", "v"}));
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "a");

    // A right click on a row outside the selection deletes that object alone.
    ASSERT_TRUE(withContextMenu(list->viewport(), rowPoint("c"), [&](QMenu* menu) {
        clickMenuItem(menu, menuItemNamed(menu, "deleteTableButtonPressed"));
    }));
    EXPECT_EQ(objectsInFile(db), "a v");
    // Within the selection it deletes every selected object.
    clickRow("a");
    clickRow("v", Qt::ControlModifier);
    ASSERT_TRUE(withContextMenu(list->viewport(), rowPoint("a"), [&](QMenu* menu) {
        clickMenuItem(menu, menuItemNamed(menu, "deleteTableButtonPressed"));
    }));
    EXPECT_EQ(objectsInFile(db), "");
    EXPECT_EQ(list->count(), 0);

    // With nothing selected the button says so.
    QTest::mouseClick(deleteButton, Qt::LeftButton);
    EXPECT_EQ(alerts.back().both(), "No table selected|Select a table to delete.");
    // A window showing no database offers no list buttons.
    app->showDatabase(std::nullopt, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    EXPECT_FALSE(deleteButton->isEnabled());
    EXPECT_FALSE(c->leftSideAddButton()->isEnabled());
    EXPECT_FALSE(c->leftSideActionButton()->isEnabled());
}

TEST_F(TablesListMenuTest, AddOpensTheNewTablePanelAndActionShowsTheListMenuOnTheSelection) {
    run("create table t (a); create index i on t(a)");
    TablesAndRowsController* c = showActive("t");
    auto* panel = &partsOf(c).nameAndFields;
    QTest::mouseClick(c->leftSideAddButton(), Qt::LeftButton);
    ASSERT_TRUE(panel->isNameAndFieldsPanelVisible());
    EXPECT_FALSE(panel->changeExistingTable());
    EXPECT_EQ(panel->nameAndFieldsPanelCreateButton()->text(), "Create");

    // While the panel designs a new table its Name and Fields twins wait; the Action button's
    // menu acts on the selected row.
    auto actionMenu = [&](const std::function<void(QMenu*)>& act) {
        return withOpenMenu([&] { QTest::mouseClick(c->leftSideActionButton(), Qt::LeftButton); },
                            act);
    };
    ASSERT_TRUE(actionMenu([&](QMenu* menu) {
        EXPECT_FALSE(menuItemNamed(menu, "tablesNamesAndFieldsMenuItemClicked")->isEnabled());
        EXPECT_TRUE(menuItemNamed(menu, "addTableButtonPressed")->isEnabled());
        clickMenuItem(menu, menuItemNamed(menu, "tablesSchemaMenuItemClicked"));
    }));
    auto* schema = &partsOf(c).tableSchema;
    ASSERT_TRUE(schema->tableSchemaPanel()->isVisible());
    EXPECT_EQ(schema->tableSchemaPanelTextView()->toPlainText().toStdString(),
              "CREATE TABLE t (a)\n\nCREATE INDEX i on t(a)");
    // Menu bar and list alike: once the panel shows the table, Name and Fields is offered and
    // New Table waits.
    panel->showNameAndFieldsPanel();
    EXPECT_TRUE(openedMenuBarItem("nameAndFieldsMenuItemClicked")->isEnabled());
    std::set<std::string> enabled = enabledOn("t");
    EXPECT_TRUE(enabled.count("tablesNamesAndFieldsMenuItemClicked"));
    EXPECT_FALSE(enabled.count("addTableButtonPressed"));
}

TEST_F(TablesListMenuTest, EachObjectIsOfferedOnlyWhatAppliesToIt) {
    run("create table t (a); insert into t values (1); create view v as select a from t; "
        "create index i on t(a); create trigger tr after insert on t begin select 1; end; "
        "create table lk (key, value); insert into lk values (1, 'one')");
    std::string error;
    ASSERT_EQ(DBInterface::updateSystemTable("lk", 8, true, db, &error), 0) << error;
    TablesAndRowsController* c = showActive("t");
    const std::set<std::string> objectCommands = {
        "tablesSchemaMenuItemClicked",         "tablesNamesAndFieldsMenuItemClicked",
        "tablesSpecialTableMenuItemClicked",   "tablesSortFieldsMenuItemClicked",
        "tablesDuplicateTableMenuItemClicked", "tablesCreateViewMenuItemClicked"};
    auto offered = [&](const char* name) {
        std::set<std::string> commands;
        for (const std::string& action : enabledOn(name)) {
            if (objectCommands.count(action)) commands.insert(action);
        }
        return commands;
    };
    EXPECT_EQ(offered("t"), objectCommands);
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "t");
    EXPECT_TRUE(enabledOn("t").count("deleteAllRowsMenuItemClicked"));
    std::set<std::string> view = objectCommands;
    view.erase("tablesDuplicateTableMenuItemClicked");
    EXPECT_EQ(offered("v"), view);
    // An index or a trigger has its schema and nothing to hide, sort or empty.
    for (const char* name : {"i", "tr"}) {
        EXPECT_EQ(offered(name), std::set<std::string>{"tablesSchemaMenuItemClicked"}) << name;
        EXPECT_EQ(c->selectedTableNameIfOnlyOne(), name);
        std::set<std::string> enabled = enabledOn(name);
        EXPECT_FALSE(enabled.count("hiddenMenuItemClicked"));
        EXPECT_FALSE(enabled.count("deleteAllRowsMenuItemClicked"));
        EXPECT_TRUE(enabled.count("deleteTableButtonPressed"));
    }
    // Two rows selected: no command for one object.
    clickRow("t");
    clickRow("v", Qt::ControlModifier);
    EXPECT_TRUE(offered("v").empty());
    EXPECT_EQ(list->selectedItems().size(), 2);

    // A lookup table carries the special-table mark; an ordinary table does not.
    auto special = [&](const char* name) {
        int state = -2;
        withContextMenu(list->viewport(), rowPoint(name), [&](QMenu* menu) {
            state = menuItemState(menuItemNamed(menu, "tablesSpecialTableMenuItemClicked"));
        });
        return state;
    };
    EXPECT_EQ(special("lk"), kMenuItemOn);
    EXPECT_EQ(special("t"), kMenuItemOff);
}

TEST_F(TablesListMenuTest, CopyTablesTakesOnlyTheSelectedTablesAndViews) {
    run("create table items (a); create view v as select a from items; "
        "create index i on items(a); create trigger tr after insert on items begin select 1; end");
    showActive("items");
    auto copyOn = [&](const char* name, bool choose) {
        bool enabled = false;
        EXPECT_TRUE(withContextMenu(list->viewport(), rowPoint(name), [&](QMenu* menu) {
            QAction* item = menuItemNamed(menu, "copyTablesMenuItemClicked");
            enabled = item->isEnabled();
            if (choose && enabled) clickMenuItem(menu, item);
        }));
        return enabled;
    };
    auto copied = [] {
        const std::optional<nlohmann::json> record =
            Pasteboard::record(kAddTablesFromDatabaseDataType);
        return record ? record->value("tables", std::vector<std::string>())
                      : std::vector<std::string>();
    };
    Pasteboard::clear();
    EXPECT_FALSE(copyOn("i", true));
    EXPECT_FALSE(copyOn("tr", true));
    EXPECT_TRUE(copied().empty());
    EXPECT_TRUE(copyOn("v", true));
    EXPECT_EQ(copied(), std::vector<std::string>{"v"});
    // With an index among the selection only the table and the view are copied.
    clickRow("i");
    clickRow("items", Qt::ControlModifier);
    clickRow("v", Qt::ControlModifier);
    ASSERT_EQ(list->selectedItems().size(), 3);
    EXPECT_TRUE(copyOn("v", true));
    EXPECT_EQ(copied(), (std::vector<std::string>{"items", "v"}));
}

TEST_F(TablesListMenuTest, HiddenShowsTheStateOfTheSelectedTablesAndViews) {
    run("create table a (x); create table b (x); create view v as select x from a; "
        "create index i on a(x)");
    std::string error;
    ASSERT_EQ(DBInterface::updateSystemTable("b", 8192, true, db, &error), 0) << error;
    showActive("a");
    ASSERT_FALSE(tablesListed(0).contains("b"));
    list->clearSelection();
    QApplication::processEvents();
    EXPECT_FALSE(openedMenuBarItem("hiddenMenuItemClicked")->isEnabled());
    // Hidden objects listed: the mark follows the tables and views selected.
    ASSERT_TRUE(withContextMenu(list->viewport(), rowPoint("a"), [&](QMenu* menu) {
        clickMenuItem(menu, menuItemNamed(menu, "showHiddenTablesMenuItemClicked"));
    }));
    ASSERT_TRUE(tablesListed(0).contains("b"));
    clickRow("b");
    EXPECT_EQ(menuItemState(openedMenuBarItem("hiddenMenuItemClicked")), kMenuItemOn);
    clickRow("a", Qt::ControlModifier);
    QAction* hidden = openedMenuBarItem("hiddenMenuItemClicked");
    EXPECT_TRUE(hidden->isEnabled());
    EXPECT_EQ(menuItemState(hidden), kMenuItemMixed);
    clickRow("i");
    EXPECT_FALSE(openedMenuBarItem("hiddenMenuItemClicked")->isEnabled());
    // The list's own item says the same, and choosing it flips the object's flag.
    clickRow("v");
    ASSERT_TRUE(withContextMenu(list->viewport(), rowPoint("v"), [&](QMenu* menu) {
        QAction* item = menuItemNamed(menu, "hiddenMenuItemClicked");
        EXPECT_EQ(menuItemState(item), kMenuItemOff);
        clickMenuItem(menu, item);
    }));
    std::map<std::string, std::string> flags;
    DBInterface::getTableFlags(&flags, db, nullptr);
    EXPECT_EQ(flags["v"], "8192");
}

TEST_F(TablesListMenuTest, TheSchemaWindowFollowsTheSelection) {
    run("create table a (x); create table b (y); create index i on b(y)");
    TablesAndRowsController* c = showActive("a");
    // A double click on a row opens the schema window.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowPoint("a"));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowPoint("a"));
    QApplication::processEvents();
    auto* schema = &partsOf(c).tableSchema;
    ASSERT_TRUE(schema->tableSchemaPanel()->isVisible());
    auto text = [schema] {
        return schema->tableSchemaPanelTextView()->toPlainText().toStdString();
    };
    EXPECT_EQ(text(), "CREATE TABLE a (x)");
    clickRow("b");
    EXPECT_EQ(text(), "CREATE TABLE b (y)\n\nCREATE INDEX i on b(y)");
    clickRow("i");
    EXPECT_EQ(text(), "CREATE INDEX i on b(y)");
    // A deleted object's text goes with it.
    alertAnswer = 0;
    QTest::mouseClick(c->leftSideDeleteButton(), Qt::LeftButton);
    EXPECT_EQ(text(), "CREATE TABLE a (x)");
    list->clearSelection();
    QApplication::processEvents();
    EXPECT_EQ(text(), "");
}
