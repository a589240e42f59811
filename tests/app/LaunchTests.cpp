// Launch, bring-back of the last run's windows, files handed over and termination.
#include <QCoreApplication>
#include <QListWidget>
#include <QTimer>

#include <filesystem>

#include "platform/foundation/Paths.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/ScreenPlacement.h"
#include "tests/support/ShellTest.h"

namespace {

nlohmann::json windowInfoEntry(const std::string& path, nlohmann::json frame, int console = 0) {
    return {{"LastWindowFrame", std::move(frame)},
            {"LastWindowDatabasePath", path},
            {"LastWindowSelectedConsole", console}};
}

bool hasLogEntry(const std::string& message, int code) {
    for (const ErrorLogEntry& entry : applicationErrorLog().snapshot()) {
        if (entry.code == code && entry.message == message) return true;
    }
    return false;
}

}  // namespace

using LaunchTest = ShellTest;

TEST_F(LaunchTest, FirstLaunchOpensTheDefaultDatabaseInSlotZero) {
    app->applicationDidFinishLaunching();
    UserDefaults& defaults = UserDefaults::standard();
    std::string defaultPath = pathInDocuments("varnelo.db");
    EXPECT_TRUE(defaults.boolForKey("IsFirstLaunch"));
    EXPECT_EQ(defaults.integerForKey("SchemaObjectTypesToShow"), 3);
    EXPECT_EQ(pathInSlot(0), defaultPath);
    EXPECT_TRUE(DBInterface::isValidDatabaseFile(defaultPath));
    for (int i = 1; i < AppDelegate::kNumberOfWindowSlots; ++i) EXPECT_FALSE(pathInSlot(i));
    TablesAndRowsWindow* window = app->databaseWindowForWindowIndex(0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "varnelo.db");
    EXPECT_EQ(app->mainDatabaseWindow(), window);
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(0)->selectedConsole(),
              TablesAndRowsState::RowsConsole);
    EXPECT_TRUE(app->isApplicationLaunched());
    EXPECT_FALSE(app->sqliteFunctions().empty());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(LaunchTest, TheDefaultDatabaseListsItsTablesAndViewsButNoIndexesOrSystemTables) {
    std::string path = makeDatabase(pathInDocuments("varnelo.db"), "people");
    std::string error;
    ASSERT_EQ(DBInterface::execMultipleQueryString(
                  "CREATE VIEW \"a \"\"quoted\"\" view\" AS SELECT * FROM people;"
                  "CREATE INDEX people_a ON people(a);"
                  "CREATE TABLE varnelo_db_tables(name);",
                  nullptr, nullptr, path, &error),
              0)
        << error;
    app->applicationDidFinishLaunching();
    EXPECT_EQ(tablesListed(0), (QStringList{"a \"quoted\" view", "people"}));
}

TEST_F(LaunchTest, SettingsMigrations) {
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setBool(true, "CSV");
    defaults.setInteger(1, "SchemaObjectTypesToShow");
    app->applicationDidFinishLaunching();
    EXPECT_EQ(defaults.integerForKey("ExportDelimiter"), 1);
    EXPECT_TRUE(defaults.objectForKey("CSV").is_null());
    EXPECT_EQ(defaults.integerForKey("SchemaObjectTypesToShow"), 1);

    defaults.setBool(false, "CSV");
    defaults.removeObjectForKey("ExportDelimiter");
    relaunch();
    EXPECT_FALSE(defaults.objectForKey("CSV").is_null());
    EXPECT_EQ(defaults.integerForKey("ExportDelimiter"), 0);
}

TEST_F(LaunchTest, WindowsOfSlotsOneAndThreeComeBackInSlotsZeroAndOne) {
    std::string inDocuments = makeDatabase(pathInDocuments("one.db"), "first");
    std::string external = makeDatabase(pathInHome("elsewhere.sqlite"), "second");
    app->applicationDidFinishLaunching();
    app->databaseWindowForWindowIndex(0)->close();
    app->showDatabase(inDocuments, 1, true, std::string("first"), TablesAndRowsState::SQLConsole);
    app->showDatabase(external, 3, true, std::nullopt, TablesAndRowsState::RowsConsole);
    // Frames, title bars included, are what is saved and restored.
    setWindowFrame(app->databaseWindowForWindowIndex(1), QRect(100, 120, 700, 500));
    setWindowFrame(app->databaseWindowForWindowIndex(3), QRect(140, 160, 720, 520));
    app->applicationWillTerminate();

    nlohmann::json saved = UserDefaults::standard().arrayForKey("WindowInfo");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0]["LastWindowDatabasePath"], inDocuments);
    EXPECT_EQ(saved[0]["LastWindowFrame"], nlohmann::json({100.0, 120.0, 700.0, 500.0}));
    EXPECT_EQ(saved[0]["LastWindowSelectedConsole"], 2);
    EXPECT_EQ(saved[0]["LastWindowSelectedTable"], "first");
    EXPECT_EQ(saved[1]["LastWindowDatabasePath"], external);
    EXPECT_FALSE(saved[1].contains("LastWindowSelectedTable"));

    relaunch();
    EXPECT_EQ(pathInSlot(0), inDocuments);
    EXPECT_EQ(pathInSlot(1), external);
    EXPECT_FALSE(pathInSlot(2));
    EXPECT_FALSE(pathInSlot(3));
    EXPECT_EQ(app->databaseWindowForWindowIndex(0)->frameGeometry(), QRect(100, 120, 700, 500));
    EXPECT_EQ(app->databaseWindowForWindowIndex(1)->frameGeometry(), QRect(140, 160, 720, 520));
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(0)->selectedConsole(),
              TablesAndRowsState::SQLConsole);
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(0)->selectedTableNameIfOnlyOne(), "first");
    EXPECT_EQ(app->mainDatabaseWindow(), app->databaseWindowForWindowIndex(1));

    // Written again at once, the entries are the same.
    app->applicationWillTerminate();
    EXPECT_EQ(UserDefaults::standard().arrayForKey("WindowInfo"), saved);
    EXPECT_TRUE(applicationErrorLog().snapshot().empty());
}

TEST_F(LaunchTest, AVanishedExternalFileIsLoggedAndTheDefaultDatabaseOpens) {
    std::string external = makeDatabase(pathInHome("gone.db"));
    app->applicationDidFinishLaunching();
    app->showDatabase(external, 1, true, std::nullopt, TablesAndRowsState::RowsConsole);
    app->applicationWillTerminate();
    std::filesystem::remove(external);

    relaunch();
    EXPECT_TRUE(hasLogEntry("Not a valid database file: " + external, -1));
    EXPECT_EQ(applicationErrorLog().snapshot().back().message,
              "Not a valid database file: " + external);
    EXPECT_EQ(pathInSlot(0), pathInDocuments("varnelo.db"));
    EXPECT_FALSE(pathInSlot(1));
}

TEST_F(LaunchTest, AnExternalFileWithoutBookmarkIsNotRestored) {
    std::string external = makeDatabase(pathInHome("never-bookmarked.db"));
    UserDefaults::standard().setObject(
        nlohmann::json::array({windowInfoEntry(external, {0, 0, 600, 400})}), "WindowInfo");
    app->applicationDidFinishLaunching();
    EXPECT_TRUE(hasLogEntry("Not a valid database file: " + external, -1));
    EXPECT_EQ(pathInSlot(0), pathInDocuments("varnelo.db"));
}

TEST_F(LaunchTest, AReplacedExternalFileGetsANewBookmarkAndIsRestored) {
    std::string external = makeDatabase(pathInHome("replaced.db"));
    app->applicationDidFinishLaunching();
    app->showDatabase(external, 0, true, std::nullopt, TablesAndRowsState::RowsConsole);
    app->applicationWillTerminate();
    nlohmann::json before = UserDefaults::standard().dictionaryForKey("FileBookmarks");
    std::filesystem::rename(external, pathInHome("replaced-old.db"));
    makeDatabase(external, "again");

    relaunch();
    EXPECT_EQ(pathInSlot(0), external);
    EXPECT_EQ(tablesListed(0), QStringList{"again"});
    EXPECT_NE(UserDefaults::standard().dictionaryForKey("FileBookmarks"), before);
}

TEST_F(LaunchTest, MalformedEntriesAreSkippedAndOddConsolesBecomeTheRowsConsole) {
    std::string first = makeDatabase(pathInDocuments("first.db"));
    std::string second = makeDatabase(pathInDocuments("second.db"));
    std::string third = makeDatabase(pathInDocuments("third.db"));
    std::string notADatabase = pathInDocuments("notes.db");
    writeFile(notADatabase, "plain text, not a database at all..........................");
    UserDefaults::standard().setObject(
        nlohmann::json::array({windowInfoEntry(first, {0, 0, 600}),  // three numbers
                               windowInfoEntry(second, {10, 10, 600, 400}, 7),
                               windowInfoEntry(notADatabase, {0, 0, 600, 400}),
                               windowInfoEntry(third, {20, 20, 600, 400}, -1), "not an entry",
                               windowInfoEntry(first, {0, 0, 600, 400})}),
        "WindowInfo");
    app->applicationDidFinishLaunching();
    EXPECT_FALSE(pathInSlot(0));
    EXPECT_EQ(pathInSlot(1), second);
    EXPECT_FALSE(pathInSlot(2));
    EXPECT_EQ(pathInSlot(3), third);
    EXPECT_FALSE(pathInSlot(4));  // entries past the fifth are ignored
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(1)->selectedConsole(),
              TablesAndRowsState::RowsConsole);
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(3)->selectedConsole(),
              TablesAndRowsState::RowsConsole);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(LaunchTest, FilesHandedOverBeforeLaunchReplaceRestoreAndDefault) {
    std::string saved = makeDatabase(pathInDocuments("saved.db"));
    std::string first = makeDatabase(pathInHome("first.db"));
    std::string second = makeDatabase(pathInHome("second.db"));
    UserDefaults::standard().setObject(
        nlohmann::json::array({windowInfoEntry(saved, {0, 0, 600, 400})}), "WindowInfo");
    app->applicationOpenFiles({first});
    app->applicationOpenFiles({second});  // replaces the earlier list
    EXPECT_FALSE(pathInSlot(0));
    app->applicationDidFinishLaunching();
    EXPECT_EQ(pathInSlot(0), second);
    EXPECT_FALSE(pathInSlot(1));

    // After the launch they open at once.
    app->applicationOpenFiles({first});
    EXPECT_EQ(pathInSlot(1), first);
    EXPECT_EQ(app->mainDatabaseWindow(), app->databaseWindowForWindowIndex(1));
}

TEST_F(LaunchTest, HandedOverFilesThatAllFailFallBackToTheSavedWindowsThenTheDefault) {
    std::string text = pathInHome("notes.db");
    writeFile(text, "Just some text that is no SQLite database, long enough to hold a header.");
    std::string missing = pathInHome("missing.db");
    app->applicationOpenFiles({text, missing});
    app->applicationDidFinishLaunching();
    EXPECT_EQ(alerts.size(), 2u);
    EXPECT_EQ(pathInSlot(0), pathInDocuments("varnelo.db"));
    EXPECT_EQ(app->mainDatabaseWindow(), app->databaseWindowForWindowIndex(0));

    std::string saved = makeDatabase(pathInDocuments("saved.db"));
    UserDefaults::standard().setObject(
        nlohmann::json::array({windowInfoEntry(saved, {0, 0, 600, 400})}), "WindowInfo");
    app = std::make_unique<AppDelegate>();
    app->applicationOpenFiles({missing});
    app->applicationDidFinishLaunching();
    EXPECT_EQ(pathInSlot(0), saved);
    EXPECT_FALSE(pathInSlot(1));
    EXPECT_EQ(app->mainDatabaseWindow(), app->databaseWindowForWindowIndex(0));
}

TEST_F(LaunchTest, OnlyVisibleWindowsAreSavedAndAnEmptyListIsStillWritten) {
    UserDefaults::standard().setObject(nlohmann::json::array({1, 2}), "WindowInfo");
    app->applicationDidFinishLaunching();
    app->databaseWindowForWindowIndex(0)->close();
    app->applicationWillTerminate();
    EXPECT_EQ(UserDefaults::standard().arrayForKey("WindowInfo"), nlohmann::json::array());
}

TEST_F(LaunchTest, QuittingOrClosingTheLastWindowKeepsTheWindowsAndBookmarksForTheNextLaunch) {
    std::string inDocuments = makeDatabase(pathInDocuments("kept.db"));
    std::string external = makeDatabase(pathInHome("kept-outside.db"));
    app->applicationOpenFiles({inDocuments, external});
    app->applicationDidFinishLaunching();
    ASSERT_EQ(pathInSlot(1), external);

    // Quitting closes every window before the event loop ends.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    EXPECT_EQ(UserDefaults::standard().arrayForKey("WindowInfo").size(), 2u);

    relaunch();
    EXPECT_EQ(pathInSlot(0), inDocuments);
    EXPECT_EQ(pathInSlot(1), external);

    // Closing the last window by its close box ends the application; that window comes back.
    app->databaseWindowForWindowIndex(0)->close();
    QTimer::singleShot(0, app->databaseWindowForWindowIndex(1), &QWidget::close);
    QTimer::singleShot(10000, app.get(), [] { QCoreApplication::exit(1); });  // no quit: fail
    EXPECT_EQ(QCoreApplication::exec(), 0);
    relaunch();
    EXPECT_EQ(pathInSlot(0), external);
    EXPECT_FALSE(pathInSlot(1));
    EXPECT_TRUE(applicationErrorLog().snapshot().empty());
}

TEST_F(LaunchTest, NumbersBeyondAnyRangeAreMalformedFramesAndTheRowsConsole) {
    std::string saved = makeDatabase(pathInDocuments("far.db"));
    nlohmann::json farConsole = windowInfoEntry(saved, {0, 0, 600, 400});
    farConsole["LastWindowSelectedConsole"] = 1e300;
    UserDefaults::standard().setObject(
        nlohmann::json::array({windowInfoEntry(saved, {1e300, 0, 600, 400}),
                               windowInfoEntry(saved, {0, 0, 600, -3e12}), farConsole}),
        "WindowInfo");
    app->applicationDidFinishLaunching();
    EXPECT_FALSE(pathInSlot(0));
    EXPECT_FALSE(pathInSlot(1));
    EXPECT_EQ(pathInSlot(2), saved);
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(2)->selectedConsole(),
              TablesAndRowsState::RowsConsole);
}
