// Opening files in the five window slots, closing windows and the bookmarks of outside files.
#include <filesystem>

#include "app/DatabasesWindow.h"
#include "app/FileTableView.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/ScreenPlacement.h"
#include "tests/support/ShellTest.h"

namespace {

bool hasBookmark(const std::string& path) {
    nlohmann::json bookmarks = UserDefaults::standard().dictionaryForKey("FileBookmarks");
    return bookmarks.is_object() && bookmarks.contains(path);
}

}  // namespace

class WindowSlotTest : public ShellTest {
  protected:
    // n valid database files outside the Documents folder.
    std::vector<std::string> databases(int n, const std::string& prefix = "db") {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            paths.push_back(makeDatabase(pathInHome(prefix + std::to_string(i) + ".db")));
        }
        return paths;
    }
};

TEST_F(WindowSlotTest, SixDroppedFilesOpenFiveWindowsAndNoMoreWindowsOpen) {
    std::vector<std::string> paths = databases(6);
    setWindowFrame(app->databaseWindowForWindowIndex(0), QRect(50, 60, 800, 500));
    app->openDroppedFiles(paths, true);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pathInSlot(i), paths[i]);
        // The first takes window 0's frame, each further one stands 20 right and below.
        EXPECT_EQ(app->databaseWindowForWindowIndex(i)->frameGeometry(),
                  QRect(50 + 20 * i, 60 + 20 * i, 800, 500));
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Up to 5 database windows can be displayed.|");
    EXPECT_FALSE(alerts[0].isSheet);
    EXPECT_EQ(app->getNextAvailableWindowIndex(), -1);
    EXPECT_EQ(app->mainDatabaseWindow(), app->databaseWindowForWindowIndex(4));
    EXPECT_FALSE(hasBookmark(paths[5]));
    // A new window needs a free slot too: no panel is shown.
    app->openNewWindow();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].both(),
              "Up to 5 database windows allowed|Close one of the database windows first.");
    EXPECT_TRUE(panelTitles.empty());
}

TEST_F(WindowSlotTest, ATextFileIsRefusedAndTheOthersStillOpen) {
    std::vector<std::string> paths = databases(2);
    std::string text = pathInHome("readme.db");
    writeFile(text, "Just some text that is no SQLite database, long enough to hold a header.");
    std::string missing = pathInHome("missing.db");
    app->openDroppedFiles({paths[0], text, missing, paths[1]}, false);
    EXPECT_EQ(pathInSlot(0), paths[0]);
    EXPECT_EQ(pathInSlot(1), paths[1]);
    EXPECT_FALSE(pathInSlot(2));
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].messageText, "Not a valid database file");
    EXPECT_EQ(alerts[0].informativeText, text);
    EXPECT_EQ(alerts[1].informativeText, missing);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(hasBookmark(text));
}

TEST_F(WindowSlotTest, DroppedFilesCascadeFromTheHighestVisibleWindow) {
    std::vector<std::string> paths = databases(3);
    app->applicationDidFinishLaunching();
    app->showDatabase(paths[0], 2, false, std::nullopt, TablesAndRowsState::RowsConsole);
    app->databaseWindowForWindowIndex(2)->setGeometry(300, 200, 640, 480);
    app->openDroppedFiles({paths[1], paths[2]}, true);
    EXPECT_EQ(pathInSlot(1), paths[1]);
    EXPECT_EQ(pathInSlot(3), paths[2]);
    EXPECT_EQ(app->databaseWindowForWindowIndex(1)->geometry(), QRect(320, 220, 640, 480));
    EXPECT_EQ(app->databaseWindowForWindowIndex(3)->geometry(), QRect(340, 240, 640, 480));
}

TEST_F(WindowSlotTest, ClosingAWindowFreesItsSlotForTheNextFile) {
    std::vector<std::string> paths = databases(4);
    app->openDroppedFiles({paths[0], paths[1], paths[2]}, true);
    TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(1);
    TablesAndRowsWindow* window = app->databaseWindowForWindowIndex(1);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(pathInSlot(1));
    EXPECT_EQ(app->getNextAvailableWindowIndex(), 1);
    EXPECT_FALSE(hasBookmark(paths[1]));
    EXPECT_TRUE(hasBookmark(paths[0]));

    app->openDroppedFiles({paths[3]}, true);
    EXPECT_EQ(pathInSlot(1), paths[3]);
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(1), controller);
    EXPECT_TRUE(window->isVisible());
    // A database outside the Documents folder is titled by its full path.
    EXPECT_EQ(window->windowTitle().toStdString(), paths[3]);
}

TEST_F(WindowSlotTest, ABookmarkStaysWhileAnotherWindowShowsTheSameFile) {
    std::vector<std::string> paths = databases(2);
    app->showDatabase(paths[0], 0, true, std::nullopt, TablesAndRowsState::RowsConsole);
    app->showDatabase(paths[0], 1, true, std::nullopt, TablesAndRowsState::RowsConsole);
    app->showDatabase(paths[1], 2, true, std::nullopt, TablesAndRowsState::RowsConsole);
    ASSERT_TRUE(hasBookmark(paths[0]));
    app->databaseWindowForWindowIndex(0)->close();
    EXPECT_TRUE(hasBookmark(paths[0]));
    app->databaseWindowForWindowIndex(1)->close();
    EXPECT_FALSE(hasBookmark(paths[0]));
    // The last window's bookmark is kept: that window comes back at the next launch.
    app->databaseWindowForWindowIndex(2)->close();
    EXPECT_TRUE(hasBookmark(paths[1]));
}

TEST_F(WindowSlotTest, OnlyFilesOutsideTheDocumentsFolderGetBookmarks) {
    std::string inside = makeDatabase(pathInDocuments("inside.db"));
    std::filesystem::create_directories(home() + "/Documents2");
    std::string sibling = makeDatabase(home() + "/Documents2/sibling.db");
    std::filesystem::create_directories(home() + "/documents");
    std::string otherCase = makeDatabase(home() + "/documents/lower.db");
    app->openDroppedFiles({inside, sibling, otherCase}, true);
    EXPECT_FALSE(hasBookmark(inside));
    EXPECT_TRUE(hasBookmark(sibling));
    EXPECT_TRUE(hasBookmark(otherCase));
    EXPECT_TRUE(AppDelegate::isDatabaseInAppContainer(inside));
    EXPECT_FALSE(AppDelegate::isDatabaseInAppContainer(sibling));
    EXPECT_FALSE(AppDelegate::isDatabaseInAppContainer(""));
}

TEST_F(WindowSlotTest, LastTableShownIsKeptByFileNameInsideAndByPathOutside) {
    std::string inside = makeDatabase(pathInDocuments("shop.db"), "orders");
    std::string outside = makeDatabase(pathInHome("shop.db"), "stock");
    app->applicationDidFinishLaunching();
    app->showDatabase(inside, 0, false, std::string("orders"), TablesAndRowsState::RowsConsole);
    app->showDatabase(outside, 1, false, std::string("stock"), TablesAndRowsState::RowsConsole);
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(defaults.dictionaryForKey("LastTablesShown")["shop.db"], "orders");
    EXPECT_EQ(defaults.dictionaryForKey("LastExternalTablesShown")[outside], "stock");
    EXPECT_EQ(AppDelegate::lastTableSelectedForDatabaseFilePath(inside), "orders");
    EXPECT_EQ(AppDelegate::lastTableSelectedForDatabaseFilePath(outside), "stock");
    EXPECT_EQ(AppDelegate::lastTableSelectedForDatabaseFilePath(std::nullopt), std::nullopt);
}

TEST_F(WindowSlotTest, TheOpenPanelsShowTheChosenFileInTheirWindow) {
    std::string external = databases(1)[0];
    panelAnswer = {QString::fromStdString(external)};
    app->openExternalDatabase();  // no main window: a new window chooses the file
    ASSERT_EQ(panelTitles.size(), 1u);
    EXPECT_EQ(panelTitles[0], "Open External Database");
    EXPECT_EQ(pathInSlot(0), external);
    EXPECT_TRUE(hasBookmark(external));

    std::string inside = makeDatabase(pathInDocuments("chosen.db"));
    app->openDocument();  // the main window's databases sheet chooses
    DatabasesWindow& databases = databasesWindowOf(0);
    databases.tableView()->selectRows({0});
    databases.databasesWindowOpenButtonPressed();
    EXPECT_EQ(pathInSlot(0), inside);
    EXPECT_FALSE(pathInSlot(1));

    app->openNewWindow();  // preselects the main window's file; cancelled: the window shows nothing
    DatabasesWindow& second = databasesWindowOf(1);
    EXPECT_EQ(second.tableView()->selectedRows(), std::vector<int>{0});
    second.databasesWindowCancelButtonPressed();
    EXPECT_FALSE(pathInSlot(1));
    EXPECT_TRUE(app->databaseWindowForWindowIndex(1)->isVisible());
    EXPECT_EQ(app->databaseWindowForWindowIndex(1)->windowTitle(), "Window 2");
}

TEST_F(WindowSlotTest, ABrokenBookmarkIsReportedAndTheDatabaseStillShows) {
    std::string external = databases(1)[0];
    UserDefaults::standard().setObject({{external, "garbage"}}, "FileBookmarks");
    app->showDatabase(external, 0, true, std::nullopt, TablesAndRowsState::RowsConsole);
    EXPECT_EQ(pathInSlot(0), external);
    std::vector<ErrorLogEntry> log = applicationErrorLog().snapshot();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].code, -1);
    EXPECT_EQ(log[0].message, "The bookmark data is not valid.");
    EXPECT_TRUE(alerts.empty());

    // A window's own open panel shows the failure instead.
    panelAnswer = {QString::fromStdString(external)};
    app->tablesAndRowsControllerForWindowIndex(0)->openExternalDatabase();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(),
              "Error invalid bookmark URL to file|The bookmark data is not valid.");
    EXPECT_EQ(pathInSlot(0), external);
}

TEST_F(WindowSlotTest, AFileNameThatIsNotUtf8StillShowsWithoutABookmark) {
    std::string latin1 = makeDatabase(pathInHome("caf\xE9.db"));
    app->openDroppedFiles({latin1}, true);
    EXPECT_EQ(pathInSlot(0), latin1);
    EXPECT_FALSE(hasBookmark(latin1));
    std::vector<ErrorLogEntry> log = applicationErrorLog().snapshot();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].code, -1);
    EXPECT_EQ(log[0].message, "The file name is not valid UTF-8.");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(WindowSlotTest, AnExternalFileThatIsNoDatabaseIsRefusedAndTheWindowKeepsItsOwn) {
    UserDefaults::standard().setInteger(15, "SchemaObjectTypesToShow");
    std::string own = databases(1)[0];
    app->showDatabase(own, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(0);
    const QString title = app->databaseWindowForWindowIndex(0)->windowTitle();
    const std::vector<std::string> tables = controller->state().selectedObject.tableNames;
    ASSERT_FALSE(tables.empty());

    std::string truncated = pathInHome("truncated.db");
    writeFile(truncated, readFile(makeDatabase(pathInHome("whole.db"))).substr(0, 1000));
    std::string text = pathInHome("not_a_db.db");
    writeFile(text, "Just some text that is no SQLite database, long enough to hold a header.");
    std::string csv = pathInHome("rows.sqlite");
    writeFile(csv, "a,b\n1,2\n3,4\n");
    for (const std::string& file : {text, truncated, csv}) {
        alerts.clear();
        panelAnswer = {QString::fromStdString(file)};
        controller->openExternalDatabase();
        ASSERT_EQ(alerts.size(), 1u) << file;
        EXPECT_EQ(alerts[0].both(), "Not a valid database file|" + file);
        EXPECT_EQ(pathInSlot(0), own);
        EXPECT_EQ(app->databaseWindowForWindowIndex(0)->windowTitle(), title);
        EXPECT_EQ(controller->state().selectedObject.tableNames, tables);
        EXPECT_FALSE(hasBookmark(file));
    }
}

TEST_F(WindowSlotTest, AnExternalFileWhoseNameIsNotUtf8OpensUnderItsOwnName) {
    std::string own = databases(1)[0];
    app->showDatabase(own, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    std::string latin1 = makeDatabase(pathInHome("caf\xE9.db"));
    panelAnswer = {toQFileName(latin1)};
    app->tablesAndRowsControllerForWindowIndex(0)->openExternalDatabase();
    // No bookmark can hold the name; the window's own panel says so, and the file opens.
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Error invalid bookmark to file|The file name is not valid UTF-8.");
    EXPECT_EQ(pathInSlot(0), latin1);
}
