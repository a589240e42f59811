// Drops on a database window: tables from another window, files for the SQL console or the
// import list, and database files on the databases list.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/DatabasesWindow.h"
#include "app/FileTableView.h"
#include "design/DropFileNameTextView.h"
#include "design/SQLConsole.h"
#include "exchange/DragTablesPanel.h"
#include "exchange/ImportConsole.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Pasteboard.h"
#include "tests/support/DropEvents.h"
#include "tests/support/ShellTest.h"

namespace fs = std::filesystem;

class WindowDropsTest : public ShellTest {
  protected:
    TablesAndRowsController* window(int index) {
        return app->tablesAndRowsControllerForWindowIndex(index);
    }
    // Between the rows of the tables list (below the last) or on the middle of a row.
    QPoint tablesListPoint(TablesAndRowsController* c, int row, bool onTheRow) {
        QListWidget* list = c->tablesTableView();
        const QRect rect = list->visualItemRect(list->item(row));
        return onTheRow ? rect.center() : rect.bottomLeft() + QPoint(4, 20);
    }
    bool dropOnTablesList(TablesAndRowsController* c, const QMimeData& data, QPoint at) {
        return sendDrop(c->tablesTableView()->viewport(), data, at);
    }
};

TEST_F(WindowDropsTest, TablesGoOnlyToAnotherWindowWhichCopiesThemThroughItsPanel) {
    const std::string from = makeDatabase(pathInDocuments("from.db"), "orders");
    const std::string to = makeDatabase(pathInDocuments("to.db"), "t");
    app->applicationDidFinishLaunching();
    makeKeyAndOrderFront(
        app->showDatabase(from, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    makeKeyAndOrderFront(
        app->showDatabase(to, 1, false, std::nullopt, TablesAndRowsState::RowsConsole));
    TablesAndRowsController* source = window(0);
    TablesAndRowsController* destination = window(1);
    std::unique_ptr<QMimeData> data(Pasteboard::mimeData(
        kAddTablesFromDatabaseDataType, DragTablesPanel::tablesRecord(from, {"orders"}, 0)));

    EXPECT_FALSE(dropOnTablesList(source, *data, tablesListPoint(source, 0, false)));
    auto* grid = destination->view()->findChild<QAbstractItemView*>("rowsTableView");
    ASSERT_NE(grid, nullptr);
    EXPECT_FALSE(sendDrop(grid->viewport(), *data, QPoint(20, 20)));
    DragTablesPanel* panel = &partsOf(destination).dragTables;
    EXPECT_FALSE(panel->statusLabel() && panel->statusLabel()->isVisible());

    EXPECT_TRUE(dropOnTablesList(destination, *data, tablesListPoint(destination, 0, true)));
    ASSERT_NE(panel->statusLabel(), nullptr);
    EXPECT_TRUE(panel->statusLabel()->window()->isVisible());
    EXPECT_NE(panel->statusLabel()->text().toStdString().find("orders"), std::string::npos);
    panel->dragTablesPanelPasteTablesButtonPressed();
    EXPECT_TRUE(DBInterface::doesTableExist("orders", to));
    EXPECT_FALSE(DBInterface::doesTableExist("t", from));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(WindowDropsTest, SQLFilesGoToTheQueryTextAndOtherFilesToTheImportList) {
    const std::string path = makeDatabase(pathInDocuments("shop.db"), "orders");
    app->applicationDidFinishLaunching();
    makeKeyAndOrderFront(
        app->showDatabase(path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    TablesAndRowsController* c = window(0);
    const std::string notes = home() + "/notes.txt", query = home() + "/X.SQL",
                      empty = home() + "/empty.sql", other = home() + "/other.csv";
    writeFile(notes, "a,b\n");
    writeFile(query, "select 1;");
    writeFile(empty, "");
    writeFile(other, "c,d\n");
    auto* sql = &partsOf(c).sql;
    auto* import = &partsOf(c).import;

    // Only the ".sql" file is read, after "\n\n" since it is not the first path dropped.
    QMimeData files;
    setFileUrls(files, {notes, query});
    EXPECT_TRUE(dropOnTablesList(c, files, tablesListPoint(c, 0, false)));
    EXPECT_EQ(c->state().selectedConsoleIndex, TablesAndRowsState::SQLConsole);
    EXPECT_EQ(sql->queryTextView()->toPlainText().toStdString(), "\n\nselect 1;");
    EXPECT_TRUE(import->urlsToImport().empty());
    // An empty file still replaces the text.
    setFileUrls(files, {empty});
    EXPECT_TRUE(dropOnTablesList(c, files, tablesListPoint(c, 0, false)));
    EXPECT_EQ(sql->queryTextView()->toPlainText().toStdString(), "");

    // On a table's row the files are queued for that table; between rows, each for its own.
    setFileUrls(files, {notes});
    EXPECT_TRUE(dropOnTablesList(c, files, tablesListPoint(c, 0, true)));
    EXPECT_EQ(c->state().selectedConsoleIndex, TablesAndRowsState::ImportConsole);
    setFileUrls(files, {notes, other});
    EXPECT_TRUE(dropOnTablesList(c, files, tablesListPoint(c, 0, false)));
    ASSERT_EQ(import->urlsToImport(), (std::vector<std::string>{notes, other}));
    EXPECT_EQ(import->settingsForFile(notes)->name, "orders");
    EXPECT_EQ(import->settingsForFile(other)->name, "other");

    // The import list itself takes files between its rows; one already listed keeps its table.
    auto* list = import->view()->findChild<QAbstractItemView*>("importViewFilesTableView");
    const QRect last = list->visualRect(list->model()->index(1, 0));
    setFileUrls(files, {notes, query});
    EXPECT_FALSE(sendDrop(list->viewport(), files, last.center()));
    EXPECT_TRUE(sendDrop(list->viewport(), files, last.bottomLeft() + QPoint(4, 20)));
    ASSERT_EQ(import->urlsToImport(), (std::vector<std::string>{notes, other, query}));
    EXPECT_EQ(import->settingsForFile(notes)->name, "orders");

    // Text dropped on the grid is taken and changes nothing.
    QMimeData text;
    text.setText("1\t2");
    auto* grid = c->view()->findChild<QAbstractItemView*>("rowsTableView");
    EXPECT_TRUE(sendDrop(grid->viewport(), text, QPoint(20, 20)));
    EXPECT_EQ(import->urlsToImport().size(), 3u);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(WindowDropsTest, ASQLFileThatIsNotUTF8IsReportedAndTheOthersStillRead) {
    const std::string path = makeDatabase(pathInDocuments("shop.db"), "orders");
    app->applicationDidFinishLaunching();
    makeKeyAndOrderFront(
        app->showDatabase(path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    TablesAndRowsController* c = window(0);
    const std::string latin = home() + "/latin.sql", query = home() + "/query.sql";
    writeFile(latin, "select 'caf\xE9';");
    writeFile(query, "select 1;");
    DropFileNameTextView* text = partsOf(c).sql.queryTextView();

    QMimeData files;
    setFileUrls(files, {latin, query});
    EXPECT_TRUE(dropOnTablesList(c, files, tablesListPoint(c, 0, false)));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_NE(alerts[0].informativeText.find("latin.sql"), std::string::npos);
    EXPECT_EQ(text->toPlainText().toStdString(), "\n\nselect 1;");

    // Dropped on the query text itself it is refused too, and the text stays.
    setFileUrls(files, {latin});
    EXPECT_TRUE(sendDrop(text->viewport(), files, QPoint(10, 10)));
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_NE(alerts[1].messageText.find("latin.sql"), std::string::npos);
    EXPECT_EQ(text->toPlainText().toStdString(), "\n\nselect 1;");

    // Alone on the window, nothing read: the query typed stays as it was.
    text->setPlainText("select 'mine';");
    EXPECT_TRUE(dropOnTablesList(c, files, tablesListPoint(c, 0, false)));
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_NE(alerts[2].informativeText.find("latin.sql"), std::string::npos);
    EXPECT_EQ(text->toPlainText().toStdString(), "select 'mine';");
}

TEST_F(WindowDropsTest, TheDatabasesListCopiesOnlyTheDatabaseFilesOfADrop) {
    const std::string outside = home() + "/outside";
    fs::create_directories(outside);
    makeDatabase(outside + "/real.db", "kept");
    writeFile(outside + "/fake.db", "just text");
    writeFile(outside + "/notes.txt", "text");
    app->showDatabase(std::nullopt, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    DatabasesWindow& databases = databasesWindowOf(0);
    databases.openDatabase(std::nullopt);
    QMimeData files;
    setFileUrls(files, {outside + "/notes.txt"});
    EXPECT_FALSE(sendDrop(databases.tableView()->viewport(), files, QPoint(10, 10)));
    setFileUrls(files, {outside + "/notes.txt", outside + "/fake.db", outside + "/real.db"});
    EXPECT_TRUE(sendDrop(databases.tableView()->viewport(), files, QPoint(10, 10)));
    QApplication::processEvents();
    EXPECT_TRUE(DBInterface::doesTableExist("kept", pathInDocuments("real.db")));
    EXPECT_FALSE(fs::exists(pathInDocuments("fake.db")));
    EXPECT_FALSE(fs::exists(pathInDocuments("notes.txt")));
    // The drop was taken: the file named as a database but none is said not to be copied.
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Not a valid database file|Not copied:\n" + outside + "/fake.db");
}

TEST_F(WindowDropsTest, AClickOnOneOfTheRowsADropSelectedOpensThatRow) {
    const std::string outside = home() + "/outside";
    fs::create_directories(outside);
    app->showDatabase(std::nullopt, 0, false, std::nullopt, TablesAndRowsState::RowsConsole);
    DatabasesWindow& databases = databasesWindowOf(0);
    databases.openDatabase(std::nullopt);
    QMimeData files;
    setFileUrls(files, {makeDatabase(outside + "/a.db"), makeDatabase(outside + "/b.db", "bee")});
    ASSERT_TRUE(sendDrop(databases.tableView()->viewport(), files, QPoint(10, 10)));
    FileTableView* list = databases.tableView();
    ASSERT_EQ(list->selectedRows(), (std::vector<int>{0, 1}));
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{1}));
    QTest::mouseClick(databases.openButton(), Qt::LeftButton);
    EXPECT_EQ(pathInSlot(0), pathInDocuments("b.db"));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(WindowDropsTest, AFileDragEnteringTheImportListOverARowIsDecidedByWhereItMoves) {
    const std::string path = makeDatabase(pathInDocuments("shop.db"), "orders");
    app->applicationDidFinishLaunching();
    makeKeyAndOrderFront(
        app->showDatabase(path, 0, false, std::nullopt, TablesAndRowsState::RowsConsole));
    TablesAndRowsController* c = window(0);
    c->selectConsole(TablesAndRowsState::ImportConsole);
    ImportConsole* import = &partsOf(c).import;
    const std::string first = home() + "/first.csv", second = home() + "/second.csv",
                      third = home() + "/third.csv";
    for (const std::string& file : {first, second, third}) writeFile(file, "a,b\n");
    import->addFilePaths({QString::fromStdString(first), QString::fromStdString(second)},
                         std::nullopt);
    QApplication::processEvents();
    auto* list = import->view()->findChild<QAbstractItemView*>("importViewFilesTableView");
    const QRect row0 = list->visualRect(list->model()->index(0, 0));
    const QRect row1 = list->visualRect(list->model()->index(1, 0));
    const QPoint below = row1.bottomLeft() + QPoint(4, 20);
    QMimeData files;

    // Entered and released over a row's middle: followed, never offered.
    setFileUrls(files, {third});
    {
        DragOver drag(list->viewport(), files, Qt::MoveAction);
        EXPECT_TRUE(drag.enter(row0.center()));
        EXPECT_FALSE(drag.moveTo(row0.center()));
        EXPECT_FALSE(drag.moveTo(row1.center()));
        EXPECT_FALSE(drag.drop(row1.center()));
    }
    EXPECT_EQ(import->urlsToImport().size(), 2u);

    // Entered over a row's middle, then moved below the rows: added there, as a copy even when
    // the file manager proposes a move.
    {
        DragOver drag(list->viewport(), files, Qt::MoveAction);
        drag.enter(row0.center());
        EXPECT_FALSE(drag.moveTo(row0.center()));
        EXPECT_TRUE(drag.moveTo(below));
        EXPECT_EQ(drag.action(), Qt::CopyAction);
        EXPECT_TRUE(drag.drop(below));
        EXPECT_EQ(drag.action(), Qt::CopyAction);
    }
    EXPECT_EQ(import->urlsToImport(), (std::vector<std::string>{first, second, third}));

    // At a row's edge after its middle: offered again, and the files join the list's end.
    const std::string fourth = home() + "/fourth.csv";
    writeFile(fourth, "a,b\n");
    setFileUrls(files, {fourth});
    {
        DragOver drag(list->viewport(), files, Qt::CopyAction);
        drag.enter(row1.center());
        EXPECT_FALSE(drag.moveTo(row1.center()));
        EXPECT_TRUE(drag.moveTo(row1.topLeft() + QPoint(4, 1)));
        EXPECT_TRUE(drag.drop(row1.topLeft() + QPoint(4, 1)));
    }
    EXPECT_EQ(import->urlsToImport(), (std::vector<std::string>{first, second, third, fourth}));
    EXPECT_TRUE(alerts.empty());
}
