// The Documents folder's file list, the databases window, renames, copies into the folder and
// deletion.
#include <sys/stat.h>

#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/DatabaseFiles.h"
#include "app/DatabasesWindow.h"
#include "app/FileTableView.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Workspace.h"
#include "tests/support/ShellTest.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesOf(const std::vector<AppFileEntry>& files) {
    std::vector<std::string> names;
    for (const AppFileEntry& entry : files) names.push_back(entry.fileName);
    return names;
}

std::vector<std::string> listed(const FileNameFilter& filter, int order) {
    std::vector<AppFileEntry> files;
    reloadAppFilesInto(files, filter, order);
    return namesOf(files);
}

void setAge(const std::string& path, int secondsAgo) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(secondsAgo));
}

}  // namespace

class DocumentsFilesTest : public ShellTest {
  protected:
    std::string documents(const std::string& name) { return pathInDocuments(name); }
    DatabaseFiles& files() { return app->databaseFiles(); }
};

TEST_F(DocumentsFilesTest, ListsOnlyRegularFilesOfTheWantedEndingsInEachOrder) {
    writeFile(documents("b.db"), std::string(10, 'x'));
    writeFile(documents("A.SQLITE3"), std::string(30, 'x'));
    writeFile(documents("c.sqlite"), std::string(20, 'x'));
    writeFile(documents("notes.db.txt"), "x");
    fs::create_directory(documents("folder.db"));
    fs::create_symlink(documents("b.db"), documents("link.db"));
    setAge(documents("A.SQLITE3"), 300);
    setAge(documents("b.db"), 200);
    setAge(documents("c.sqlite"), 100);
    const FileNameFilter& databases = databaseFilesFilter();
    using V = std::vector<std::string>;
    EXPECT_EQ(listed(databases, NameAscending), (V{"A.SQLITE3", "b.db", "c.sqlite"}));
    EXPECT_EQ(listed(databases, NameDescending), (V{"c.sqlite", "b.db", "A.SQLITE3"}));
    EXPECT_EQ(listed(databases, DateAscending), (V{"A.SQLITE3", "b.db", "c.sqlite"}));
    EXPECT_EQ(listed(databases, DateDescending), (V{"c.sqlite", "b.db", "A.SQLITE3"}));
    EXPECT_EQ(listed(databases, SizeAscending), (V{"b.db", "c.sqlite", "A.SQLITE3"}));
    EXPECT_EQ(listed(databases, SizeDescending), (V{"A.SQLITE3", "c.sqlite", "b.db"}));

    // Positions count within the appended run, after what the list already held.
    std::vector<AppFileEntry> list(2);
    std::set<std::string> names{"c.sqlite", "A.SQLITE3"};
    std::vector<int> indexes;
    reloadAppFilesInto(list, databases, SizeAscending, &names, &indexes);
    EXPECT_EQ(list.size(), 5u);
    EXPECT_EQ(indexes, (std::vector<int>{1, 2}));
    EXPECT_EQ(list[2].fileSize, 10);

    writeFile(documents("photo.JPG"), "x");
    writeFile(documents("thumbphoto.JPG"), "x");
    writeFile(documents("Thumbs up.png"), "x");
    EXPECT_EQ(listed(imageFilesFilter(false), NameAscending), (V{"photo.JPG"}));
    EXPECT_EQ(listed(imageFilesFilter(true), NameAscending),
              (V{"photo.JPG", "thumbphoto.JPG", "Thumbs up.png"}));

    // Header clicks: Name toggles, Size after Name starts ascending, the date column from 3.
    EXPECT_EQ(sortOrderAfterHeaderClick(NameAscending, "Name"), NameDescending);
    EXPECT_EQ(sortOrderAfterHeaderClick(NameDescending, "Name"), NameAscending);
    EXPECT_EQ(sortOrderAfterHeaderClick(NameDescending, "Size"), SizeAscending);
    EXPECT_EQ(sortOrderAfterHeaderClick(DateDescending, "DateModified"), DateAscending);
}

TEST_F(DocumentsFilesTest, TheDatabasesWindowOpensCreatesAndPrunesWidths) {
    makeDatabase(documents("varnelo.db"));
    makeDatabase(documents("varnelo_2.db"));
    UserDefaults::standard().setObject({{"varnelo.db", {}}, {"gone.db", {}}},
                                       "RowsTableColumnWidths");
    app->openNewWindowExternal(false, std::string("varnelo_2.db"));
    DatabasesWindow& window = databasesWindowOf(0);
    ASSERT_TRUE(window.isVisible());
    const std::vector<AppFileEntry>& shown = window.filteredDatabaseFilesArray();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(window.tableView()->selectedRows(),
              (std::vector<int>{shown[0].fileName == "varnelo_2.db" ? 0 : 1}));
    EXPECT_TRUE(window.openButton()->isEnabled());
    EXPECT_EQ(UserDefaults::standard().dictionaryForKey("RowsTableColumnWidths"),
              nlohmann::json({{"varnelo.db", {}}}));

    window.databasesWindowNewDatabaseButtonPressed();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(pathInSlot(0), documents("varnelo_3.db"));
    ASSERT_TRUE(fs::exists(documents("varnelo_3.db")));
    EXPECT_EQ(fs::file_size(documents("varnelo_3.db")), 0u);
    EXPECT_TRUE(alerts.empty());

    for (int i = 4; i <= 99; ++i) writeFile(documents("varnelo_" + std::to_string(i) + ".db"), "");
    EXPECT_EQ(DatabaseFiles::fileNameForNewDatabase(), std::nullopt);
    app->tablesAndRowsControllerForWindowIndex(0)->openDatabase(std::nullopt);
    EXPECT_FALSE(window.openButton()->isEnabled());
    window.databasesWindowNewDatabaseButtonPressed();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Error|Too many files with that name: varnelo.db");
    EXPECT_TRUE(alerts[0].isSheet);
    EXPECT_TRUE(window.isVisible());

    // Open takes the selected row into the sheet's window.
    window.tableView()->selectRows({0});
    window.databasesWindowOpenButtonPressed();
    EXPECT_EQ(pathInSlot(0), documents(window.filteredDatabaseFilesArray()[0].fileName));
    window.reject();
}

TEST_F(DocumentsFilesTest, ANewDatabaseOpensEmptyWithoutAlertsWhateverTheWindowShowed) {
    UserDefaults::standard().setInteger(15, "SchemaObjectTypesToShow");
    std::string shop = documents("shop.db");
    ASSERT_EQ(DBInterface::execMultipleQueryString(
                  "create table t (a, b, c); insert into t values (1, 2, 3)", nullptr, nullptr,
                  shop, nullptr, DBInterface::MissingFile::Create),
              0);
    // Each console the window can show when the user asks for a new database.
    for (auto console : {TablesAndRowsState::RowsConsole, TablesAndRowsState::RecordConsole,
                         TablesAndRowsState::SQLConsole}) {
        SCOPED_TRACE(console);
        TablesAndRowsWindow* window =
            app->showDatabase(shop, 0, false, std::string("t"), TablesAndRowsState::RowsConsole);
        window->resize(900, 500);
        TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(0);
        controller->selectTableWithName(std::string("t"));
        controller->changeConsole(console);
        QApplication::processEvents();
        controller->openDatabase(std::nullopt);
        DatabasesWindow& databases = partsOf(controller).databases;
        QPushButton* newButton = nullptr;
        for (QPushButton* button : databases.findChildren<QPushButton*>()) {
            if (button->text() == "New") newButton = button;
        }
        ASSERT_NE(newButton, nullptr);
        QTest::mouseClick(newButton, Qt::LeftButton);
        QTest::qWait(50);
        EXPECT_TRUE(alerts.empty()) << alerts[0].both();
        alerts.clear();
        ASSERT_TRUE(pathInSlot(0).has_value());
        EXPECT_NE(*pathInSlot(0), shop);
        EXPECT_TRUE(tablesListed(0).isEmpty());
        EXPECT_EQ(fs::file_size(*pathInSlot(0)), 0u);
    }
    // The database left behind is untouched.
    EXPECT_EQ(DBInterface::getNumberWithQueryString("select count(*) from t", shop, nullptr), 1);
}

TEST_F(DocumentsFilesTest, RenamesRefuseUnsafeNamesAndWindowsFollowTheFile) {
    std::string old = makeDatabase(documents("shop.db"));
    writeFile(documents("other.db"), "keep me");
    std::string error;
    for (const char* bad : {"a/b.db", "../x.db", ".hidden.db", ""}) {
        EXPECT_EQ(DatabaseFiles::checkedFileName(bad, true, &error), std::nullopt) << bad;
    }
    EXPECT_EQ(DatabaseFiles::checkedFileName("store", true, &error), "store.db");
    EXPECT_EQ(DatabaseFiles::checkedFileName("store.txt", true, &error), "store.txt");
    EXPECT_EQ(DatabaseFiles::checkedFileName("store", false, &error), "store");

    // Onto an existing file: refused, both files unchanged.
    EXPECT_FALSE(files().renameDocumentsFile("shop.db", "other.db", &error));
    EXPECT_EQ(readFile(documents("other.db")), "keep me");
    EXPECT_TRUE(DBInterface::doesTableExist("t", old));

    // Shown in two windows: both follow the file through the menu's sheet.
    app->showDatabase(old, 0, false, std::string("t"), TablesAndRowsState::RowsConsole);
    app->showDatabase(old, 1, false, std::string("t"), TablesAndRowsState::RowsConsole);
    UserDefaults::standard().setObject({{"shop.db", {{"t", {40, 80}}}}}, "RowsTableColumnWidths");
    Alert::setTestResponder([this](const Alert& alert, QWidget* window) {
        alerts.push_back({alert.messageText.toStdString(), "", window != nullptr});
        if (alert.textField) *alert.textField = "market";
        return 0;
    });
    makeKeyAndOrderFront(app->databaseWindowForWindowIndex(1));
    files().renameDatabaseMenuItemClicked();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Rename Database");
    std::string renamed = documents("market.db");
    EXPECT_EQ(pathInSlot(0), renamed);
    EXPECT_EQ(pathInSlot(1), renamed);
    EXPECT_EQ(app->databaseWindowForWindowIndex(0)->windowTitle().toStdString(), "market.db");
    EXPECT_FALSE(fs::exists(old));
    EXPECT_EQ(UserDefaults::standard().dictionaryForKey("RowsTableColumnWidths"),
              nlohmann::json({{"market.db", {{"t", {40, 80}}}}}));
    // A write from the window reaches the renamed file; no new file appears at the old path.
    ASSERT_EQ(DBInterface::execMultipleQueryString("INSERT INTO t VALUES(1);", nullptr, nullptr,
                                                   *pathInSlot(0), &error),
              0)
        << error;
    EXPECT_FALSE(fs::exists(old));

    // While a journal shows the database being written, it keeps its name.
    writeFile(renamed + "-journal", "");
    EXPECT_FALSE(files().renameDocumentsFile("market.db", "mall.db", &error));
    EXPECT_TRUE(fs::exists(renamed));
    EXPECT_EQ(pathInSlot(0), renamed);
}

TEST_F(DocumentsFilesTest, CopyingInAsksOnceAndAFailedReplaceKeepsTheOldFile) {
    std::string existing = makeDatabase(documents("old.db"), "kept");
    std::string outside = home() + "/outside";
    fs::create_directory(outside);
    std::string fresh = makeDatabase(outside + "/fresh.db");
    std::string replacement = makeDatabase(outside + "/old.db", "replaced");
    writeFile(outside + "/varnelo.db", "not a database at all, only text of some length here");
    makeDatabase(documents("varnelo.db"), "mine");
    writeFile(outside + "/notes.txt", "text");

    alertAnswer = 1;  // Cancel
    files().copyFiles({fresh, replacement, outside + "/varnelo.db", outside + "/notes.txt"},
                      DatabaseFiles::DatabasesList);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].messageText, "Overwrite Existing Files?");
    EXPECT_EQ(alerts[1].both(),
              "Not a valid database file|Not copied:\n" + outside + "/varnelo.db");
    EXPECT_TRUE(DBInterface::doesTableExist("t", documents("fresh.db")));
    EXPECT_TRUE(DBInterface::doesTableExist("kept", existing));
    EXPECT_TRUE(DBInterface::doesTableExist("mine", documents("varnelo.db")));
    EXPECT_FALSE(fs::exists(documents("notes.txt")));

    alertAnswer = 0;  // Overwrite
    files().copyFiles({replacement}, DatabaseFiles::DatabasesList);
    EXPECT_TRUE(DBInterface::doesTableExist("replaced", existing));

    // A replace whose copy fails is reported and leaves the file it was to replace.
    writeFile(documents("pic.jpg"), "old picture");
    fs::create_directory(outside + "/pic.jpg");
    alerts.clear();
    files().copyFiles({outside + "/pic.jpg", existing}, DatabaseFiles::ImagesWindow);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].messageText, "Overwrite Existing Files?");
    EXPECT_EQ(alerts[1].messageText, "Error");
    EXPECT_EQ(readFile(documents("pic.jpg")), "old picture");
    for (const auto& item : fs::directory_iterator(Paths::documentsFolder())) {
        EXPECT_EQ(item.path().filename().string().find(".copying"), std::string::npos);
    }
}

TEST_F(DocumentsFilesTest, DeletionKeepsFilesShownInAWindow) {
    std::string shown = makeDatabase(documents("shown.db"));
    writeFile(documents("a.png"), "a");
    app->showDatabase(shown, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    std::vector<AppFileEntry> list;
    reloadAppFilesInto(list, FileNameFilter{}, NameAscending);
    ASSERT_EQ(namesOf(list), (std::vector<std::string>{"a.png", "shown.db"}));
    files().deleteSelectedFilesNow({0, 1, 7}, list);
    EXPECT_FALSE(fs::exists(documents("a.png")));
    EXPECT_TRUE(fs::exists(shown));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].informativeText.rfind("Could not delete " + shown + ":\n\n", 0), 0u);
}

TEST_F(DocumentsFilesTest, EachWindowOpensAndCreatesThroughItsOwnDatabasesWindow) {
    const std::string a = makeDatabase(documents("a.db"));
    const std::string b = makeDatabase(documents("b.db"));
    app->showDatabase(a, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    app->showDatabase(b, 1, false, std::nullopt, TablesAndRowsState::RowsConsole);
    app->tablesAndRowsControllerForWindowIndex(0)->openDatabase(std::string("a.db"));
    app->tablesAndRowsControllerForWindowIndex(1)->openDatabase(std::string("b.db"));
    DatabasesWindow& first = databasesWindowOf(0);
    DatabasesWindow& second = databasesWindowOf(1);
    ASSERT_NE(&first, &second);
    EXPECT_TRUE(first.isVisible() && second.isVisible());
    EXPECT_EQ(first.parentWidget(), app->databaseWindowForWindowIndex(0));
    EXPECT_EQ(second.parentWidget(), app->databaseWindowForWindowIndex(1));

    // Sorting one list leaves the other's order and selection alone.
    second.databasesWindowTableViewDidClickTableColumn("Name");
    EXPECT_EQ(second.databasesSortOrder(), NameDescending);
    EXPECT_EQ(first.databasesSortOrder(), NameAscending);
    EXPECT_EQ(first.tableView()->selectedRows(), std::vector<int>{0});

    // New in the second window creates the file there; the first keeps its file and its sheet.
    second.databasesWindowNewDatabaseButtonPressed();
    EXPECT_EQ(pathInSlot(1), documents("varnelo.db"));
    EXPECT_EQ(pathInSlot(0), a);
    EXPECT_TRUE(first.isVisible());
    EXPECT_FALSE(second.isVisible());
    first.tableView()->selectRows({1});
    first.databasesWindowOpenButtonPressed();
    EXPECT_EQ(pathInSlot(0), b);
    EXPECT_EQ(pathInSlot(1), documents("varnelo.db"));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(DocumentsFilesTest, ShowingTheDatabasesFolderSelectsTheMainWindowsOwnFile) {
    std::vector<std::string> revealed;
    Workspace::setTestRecorder([&](const QString& kind, const QString& argument) {
        revealed.push_back((kind + " " + argument).toStdString());
        return true;
    });
    fs::create_directories(documents("sub"));
    const std::string top = makeDatabase(documents("top.db"));
    const std::string nested = makeDatabase(documents("sub/nested.db"));
    app->showDatabase(top, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    makeKeyAndOrderFront(
        app->showDatabase(nested, 1, false, std::nullopt, TablesAndRowsState::RowsConsole));
    files().databasesWindowMenuItemClicked();
    makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
    files().databasesWindowMenuItemClicked();
    Workspace::setTestRecorder({});
    EXPECT_EQ(revealed, (std::vector<std::string>{"reveal file://" + documents("sub"),
                                                  "reveal file://" + home() + "/Documents"}));
}
