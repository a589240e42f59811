// The menu bar on real windows: commands reach the main database window only when their rule
// allows it at that moment, also by key equivalent; toggles keep their per-slot arrays; menus
// enable and retitle their items as they open.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "app/MenuRouter.h"
#include "app/PreferencesWindow.h"
#include "design/DropFileNameTextView.h"
#include "design/NameAndFieldsPanel.h"
#include "design/PickerTypesWindow.h"
#include "design/SQLConsole.h"
#include "design/SearchPanel.h"
#include "design/SortPanel.h"
#include "design/SqlResultsTableView.h"
#include "design/TableSchemaWindow.h"
#include "design/WebBookmarksWindow.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/Workspace.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"

class MenuShellTest : public ControllerTest {
  protected:
    void TearDown() override {
        Workspace::setTestRecorder({});
        ControllerTest::TearDown();
    }

    QAction* item(const char* action, int windowIndex = 0) const {
        return app->databaseWindowForWindowIndex(windowIndex)
            ->menuBar()
            ->findChild<QAction*>(action);
    }
    QMenu* menuOf(const char* action, int windowIndex = 0) const {
        return qobject_cast<QMenu*>(item(action, windowIndex)->parent());
    }
    // The menu holding the item as it opens.
    void open(const char* action, int windowIndex = 0) const {
        emit menuOf(action, windowIndex)->aboutToShow();
    }
    void keys(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(app->databaseWindowForWindowIndex(0), Qt::Key(key), modifiers);
        QApplication::processEvents();
    }
    TablesAndRowsController* showActive(const std::string& table) {
        TablesAndRowsController* c = show(table);
        makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
        QApplication::processEvents();
        return c;
    }
};

TEST_F(MenuShellTest, KeyEquivalentsDoNothingWithoutAMainDatabaseWindowOrAgainstTheirRule) {
    makeRowsTable(5);
    run("create table u (x)");
    TablesAndRowsController* c = showActive("t");
    int setToNULL = 0;
    app->menuRouter().bindWindowCommand("setToNULLMenuItemClicked",
                                        [&](WindowParts&) { ++setToNULL; });

    c->tablesTableView()->setFocus();
    keys(Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(setToNULL, 0);  // the grid does not have the focus
    rowsOf(c)->rowsTableView()->setFocus();
    keys(Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(setToNULL, 1);

    keys(Qt::Key_A, Qt::ControlModifier);  // the grid selects all its fields
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.size(), 2u);
    c->tablesTableView()->setFocus();
    keys(Qt::Key_A, Qt::ControlModifier);  // the tables list selects all its tables
    EXPECT_EQ(c->tablesTableView()->selectedItems().size(), 2);
    rowsOf(c)->rowsTableView()->setFocus();

    keys(Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::SQLConsole);
    keys(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::ImportConsole);

    // The diagnostics window, an application window of its own, leaves no database window main.
    app->showDiagnosticsWindow();
    EXPECT_EQ(app->windowIndexForMainDatabaseWindow(), -1);
    for (const char* action :
         {"setToNULLMenuItemClicked", "rowsViewMenuItemClicked", "selectNextViewMenuItemClicked",
          "showTablesViewMenuItemClicked", "reloadTablesMenuItemClicked"}) {
        item(action)->trigger();
    }
    EXPECT_EQ(setToNULL, 1);
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::ImportConsole);
    EXPECT_TRUE(UserDefaults::standard().objectForKey("HiddenTablesViews").is_null());
    open("setToNULLMenuItemClicked");
    EXPECT_FALSE(item("setToNULLMenuItemClicked")->isEnabled());
    open("rowsViewMenuItemClicked");
    EXPECT_FALSE(item("rowsViewMenuItemClicked")->isEnabled());
    open("showPreferences");
    EXPECT_TRUE(item("showPreferences")->isEnabled());
    EXPECT_TRUE(item("performClose")->isEnabled());  // it closes the window in front
}

TEST_F(MenuShellTest, TheConsoleCycleWraps) {
    makeRowsTable(3);
    TablesAndRowsController* c = showActive("t");
    item("printViewMenuItemClicked")->trigger();
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::PrintConsole);
    item("selectNextViewMenuItemClicked")->trigger();
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::RowsConsole);
    item("selectPreviousViewMenuItemClicked")->trigger();
    EXPECT_EQ(c->selectedConsole(), TablesAndRowsState::PrintConsole);
}

TEST_F(MenuShellTest, TogglesStoreOneFlagPerSlotAndRetitleTheirItems) {
    makeRowsTable(3);
    UserDefaults::standard().setObject(nlohmann::json::array({true, false, false, true}),
                                       "HiddenTablesViews");
    app->showDatabase(db, 1, false, std::string("t"), TablesAndRowsState::RowsConsole);
    makeKeyAndOrderFront(app->databaseWindowForWindowIndex(1));
    TablesAndRowsController* c = app->tablesAndRowsControllerForWindowIndex(1);
    ASSERT_EQ(app->windowIndexForMainDatabaseWindow(), 1);

    open("showTablesViewMenuItemClicked", 1);
    EXPECT_EQ(item("showTablesViewMenuItemClicked", 1)->text(), "Hide Tables List");
    item("showTablesViewMenuItemClicked", 1)->trigger();
    EXPECT_EQ(UserDefaults::standard().objectForKey("HiddenTablesViews"),
              nlohmann::json::array({false, true, false, false, false}));
    EXPECT_FALSE(c->isTablesViewShown());
    open("showTablesViewMenuItemClicked", 1);
    EXPECT_EQ(item("showTablesViewMenuItemClicked", 1)->text(), "Show Tables List");
    item("showTablesViewMenuItemClicked", 1)->trigger();
    EXPECT_TRUE(c->isTablesViewShown());

    item("showToolbarMenuItemClicked", 1)->trigger();
    EXPECT_EQ(UserDefaults::standard().objectForKey("HiddenToolbars"),
              nlohmann::json::array({false, true, false, false, false}));
    EXPECT_FALSE(c->isConsoleToolbarShown());
    open("showToolbarMenuItemClicked", 1);
    EXPECT_EQ(item("showToolbarMenuItemClicked", 1)->text(), "Show Toolbar");
    // Shown again in the window, the database keeps its hidden toolbar.
    app->showDatabase(db, 1, false, std::string("t"), TablesAndRowsState::RowsConsole);
    EXPECT_FALSE(c->isConsoleToolbarShown());
}

TEST_F(MenuShellTest, MenusEnableTheirItemsAsTheyOpenAndKeyEquivalentsStayLive) {
    makeRowsTable(3);
    TablesAndRowsController* c = showActive("t");
    open("reloadTablesMenuItemClicked");
    EXPECT_TRUE(item("reloadTablesMenuItemClicked")->isEnabled());
    c->tablesTableView()->setFocus();
    open("setToNULLMenuItemClicked");
    EXPECT_FALSE(item("setToNULLMenuItemClicked")->isEnabled());  // the grid lacks the focus
    emit menuOf("setToNULLMenuItemClicked")->aboutToHide();
    EXPECT_TRUE(item("setToNULLMenuItemClicked")->isEnabled());

    // A window showing no database is main: items needing a database are disabled.
    app->showDatabase(std::nullopt, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
    open("reloadTablesMenuItemClicked");
    EXPECT_FALSE(item("reloadTablesMenuItemClicked")->isEnabled());
    open("rowsViewMenuItemClicked");
    EXPECT_TRUE(item("rowsViewMenuItemClicked")->isEnabled());
}

TEST_F(MenuShellTest, HelpPagesOpenTheInstalledPagesAndAFailureSaysSo) {
    // The pages as the set-up installs them for the user; the build's own copies stand beside
    // the built program.
    QProcess install;
    install.start(VARNELO_SOURCE_DIR "/scripts/install-help-pages", {});
    ASSERT_TRUE(install.waitForFinished(30000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    const QString installed = toQString(pathInHome("doc/varnelo"));
    std::vector<QString> opened;
    bool desktopAccepts = true;
    Workspace::setTestRecorder([&](const QString& kind, const QString& url) {
        opened.push_back(kind + " " + url);
        return desktopAccepts;
    });
    const std::pair<const char*, const char*> pages[] = {
        {"sampleDatabasesMenuItemClicked", "sample-databases.html"},
        {"tutorialsMenuItemClicked", "tour.html"},
        {"supportMenuItemClicked", "support.html"}};
    for (const auto& [action, page] : pages) {
        opened.clear();
        item(action)->trigger();
        ASSERT_EQ(opened.size(), 1u) << action;
        const QString file = installed + "/" + page;
        EXPECT_EQ(opened[0], "url " + QUrl::fromLocalFile(file).toString());
        QFile text(file);
        ASSERT_TRUE(text.open(QIODevice::ReadOnly)) << action;
        EXPECT_TRUE(text.readAll().contains("<title>Varnelo: ")) << action;
        EXPECT_TRUE(QFileInfo::exists(QFileInfo(VARNELO_APP_PATH).absolutePath() + "/help/" + page))
            << page;
    }
    EXPECT_TRUE(alerts.empty());

    // The desktop cannot show them.
    desktopAccepts = false;
    for (const auto& [action, page] : pages) {
        alerts.clear();
        item(action)->trigger();
        ASSERT_EQ(alerts.size(), 1u) << action;
        EXPECT_EQ(alerts[0].both(), "Could not open URL|");
        EXPECT_FALSE(alerts[0].isSheet);
    }
    // A page that is nowhere to be found is not handed to the desktop.
    ASSERT_TRUE(QFile::remove(installed + "/tour.html"));
    desktopAccepts = true;
    opened.clear();
    alerts.clear();
    item("tutorialsMenuItemClicked")->trigger();
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Could not open URL|");
}

TEST_F(MenuShellTest, PanelAndConsoleCommandsReachTheirPanels) {
    makeRowsTable(5);
    TablesAndRowsController* c = showActive("t");
    rowsOf(c)->rowsTableView()->setFocus();
    // Built panels are reached from the menu bar too, not only from the tables list.
    for (const char* action : {"sortFieldsMenuItemClicked", "searchMenuItemClicked",
                               "webBrowserBookmarksMenuItemClicked", "nameAndFieldsMenuItemClicked",
                               "schemaMenuItemClicked", "pickerTypesMenuItemClicked"}) {
        open(action);
        ASSERT_TRUE(item(action)->isEnabled()) << action;
        item(action)->trigger();
        QApplication::processEvents();
    }
    for (const char* action :
         {"schemaMenuItemClicked", "nameAndFieldsMenuItemClicked", "pickerTypesMenuItemClicked"}) {
        open(action);
        ASSERT_TRUE(item(action)->isEnabled()) << action;
        item(action)->trigger();
        QApplication::processEvents();
    }
    EXPECT_TRUE(partsOf(c).tableSchema.tableSchemaPanel()->isVisible());
    EXPECT_TRUE(partsOf(c).nameAndFields.nameAndFieldsPanel()->isVisible());
    EXPECT_TRUE(partsOf(c).pickerTypes.pickerTypesWindow()->isVisible());
    EXPECT_TRUE(partsOf(c).sort.sortPanel()->isVisible());
    EXPECT_TRUE(partsOf(c).search.searchPanel()->isVisible());
    EXPECT_TRUE(partsOf(c).webBookmarks.webBrowserBookmarksWindow()->isVisible());
    EXPECT_TRUE(partsOf(c).nameAndFields.nameAndFieldsPanel()->isVisible());
    EXPECT_TRUE(partsOf(c).tableSchema.tableSchemaPanel()->isVisible());
    EXPECT_TRUE(partsOf(c).pickerTypes.pickerTypesWindow()->isVisible());
    for (const char* action :
         {"duplicateTableMenuItemPressed", "hiddenMenuItemClicked",
          "showHiddenTablesMenuItemClicked", "deleteAllRowsMenuItemClicked",
          "imagesWindowMenuItemClicked", "databasesWindowMenuItemClicked",
          "shareCurrentDatabaseUsingEmail", "copyDatabaseToFolder", "uploadToDropbox"}) {
        open(action);
        EXPECT_TRUE(item(action)->isEnabled()) << action;
    }
    // Deselect All clears the grid's selection.
    c->state().selection.mySelectedRowIndexes = {RowIndex(1), RowIndex(2)};
    open("deselectAllMenuItemClicked");
    item("deselectAllMenuItemClicked")->trigger();
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
}

TEST_F(MenuShellTest, CellCommandsOfTheMenuActOnTheFocusedCell) {
    makeRowsTable(5);
    TablesAndRowsController* c = showActive("t");
    rowsOf(c)->rowsTableView()->setFocus();
    c->state().selection.focusedRowIndex = RowIndex(1);
    c->state().selection.focusedFieldIndex = FieldIndex(2);
    open("setToNULLMenuItemClicked");
    ASSERT_TRUE(item("setToNULLMenuItemClicked")->isEnabled());
    item("setToNULLMenuItemClicked")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(DBInterface::getNumberWithQueryString(
                  "select count(*) from t where amount is null and rowid = 2", db, nullptr),
              1);
    open("addOneBlankRowItemClicked");
    item("addOneBlankRowItemClicked")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(DBInterface::getNumberWithQueryString("select count(*) from t", db, nullptr), 6);
}

TEST_F(MenuShellTest, AddOneBlankRowActsOnlyFromTheRowsConsole) {
    makeRowsTable(3);
    TablesAndRowsController* c = showActive("t");
    auto rowsInFile = [this] {
        return std::stoll(directQuery(db, "select count(*) from t").at(0));
    };
    auto addOneBlankRowKeys = [] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QApplication::processEvents();
    };
    // Typed in the SQL console, the keys add no row the user cannot see.
    item("sqlViewMenuItemClicked")->trigger();
    QWidget* query = c->view()->findChild<QWidget*>("sqlViewQueryTextView");
    query->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), query);
    addOneBlankRowKeys();
    EXPECT_EQ(rowsInFile(), 3);
    open("addOneBlankRowItemClicked");
    EXPECT_FALSE(item("addOneBlankRowItemClicked")->isEnabled());
    emit menuOf("addOneBlankRowItemClicked")->aboutToHide();
    // In the rows console, with the grid or the tables list focused, they add one.
    item("rowsViewMenuItemClicked")->trigger();
    c->tablesTableView()->setFocus();
    addOneBlankRowKeys();
    EXPECT_EQ(rowsInFile(), 4);
    EXPECT_EQ(c->state().dataPort.totalRows, 4);
}

TEST_F(MenuShellTest, EditCopyAndItsKeyCopyTheSQLConsolesSelectedResultRows) {
    run("create table q (a, b); insert into q values ('x', 'say \"hi\"'), ('y', 'z'), ('w', 'v')");
    TablesAndRowsController* c = showActive("q");
    item("sqlViewMenuItemClicked")->trigger();
    SQLConsole& sql = partsOf(c).sql;
    sql.queryTextView()->setPlainText("select * from q");
    QTest::mouseClick(c->view()->findChild<QPushButton*>("sqlViewExecuteButton"), Qt::LeftButton);
    SqlResultsTableView* grid = sql.resultsTableView();
    ASSERT_EQ(grid->model()->rowCount(), 3);
    auto clickRow = [grid](int row, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers,
                          grid->visualRect(grid->model()->index(row, 0)).center());
    };
    auto copyKeys = [grid] {
        QApplication::clipboard()->setText("before");
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QApplication::processEvents();
        return QApplication::clipboard()->text().toStdString();
    };
    auto copyEnabled = [this] {
        open("copy");
        bool enabled = item("copy")->isEnabled();
        emit menuOf("copy")->aboutToHide();
        return enabled;
    };

    // Nothing selected: nothing to copy.
    grid->setFocus();
    EXPECT_FALSE(copyEnabled());
    EXPECT_EQ(copyKeys(), "before");

    // The first and the last row, clicked as the user does.
    clickRow(0, {});
    clickRow(2, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), grid);
    EXPECT_TRUE(copyEnabled());
    const std::pair<int, const char*> delimited[] = {
        {1, "\"x\",\"say \"\"hi\"\"\"\n\"w\",\"v\""},
        {2, "x|say \"hi\"\nw|v"},
        {0, "x\tsay \"hi\"\nw\tv"},
        {3, "x\tsay \"hi\"\nw\tv"},
    };
    for (const auto& [delimiter, text] : delimited) {
        SCOPED_TRACE(delimiter);
        UserDefaults::standard().setInteger(delimiter, "ExportDelimiter");
        EXPECT_EQ(copyKeys(), text);
        std::optional<nlohmann::json> record = Pasteboard::record(kAddRowsFromSQLViewDataType);
        ASSERT_TRUE(record);
        EXPECT_EQ(*record, (nlohmann::json{{"database", db},
                                           {"source_view", 2},
                                           {"window", 0},
                                           {"export_delimiter", delimiter},
                                           {"encoding", 0}}));
        QApplication::clipboard()->setText("before");
        item("copy")->trigger();
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text);
    }

    // Another console shown: its copy is not the results'.
    item("addRowViewMenuItemClicked")->trigger();
    EXPECT_FALSE(copyEnabled());
    QApplication::clipboard()->setText("before");
    item("copy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}
