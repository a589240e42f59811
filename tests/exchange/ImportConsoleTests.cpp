// The import console in a database window: files listed with their own settings, settings
// changed for the clicked and selected files, and runs on their thread that end through the
// event loop.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <sqlite3.h>

#include <filesystem>
#include <random>
#include <thread>

#include "Common/SchemaChanges.h"
#include "exchange/ImportConsole.h"
#include "exchange/ImportDestinationSheet.h"
#include "exchange/TextEntrySheet.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"
#include "tests/support/Menus.h"

class ImportConsoleTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        makeRowsTable(3);
        controller = show("t");
        controller->selectConsole(TablesAndRowsState::ImportConsole);
        console = &partsOf(controller).import;
        table = console->view()->findChild<QTableWidget*>("importViewFilesTableView");
    }
    void TearDown() override {
        TextEntrySheet::setTestResponder({});
        ImportDestinationSheet::setTestResponder({});
        ControllerTest::TearDown();
    }

    QString file(const std::string& name, const std::string& bytes) {
        writeFile(pathInDocuments(name), bytes);
        return QString::fromStdString(pathInDocuments(name));
    }
    const ImportFileSettings& settingsOfRow(size_t row) {
        return *console->settingsForFile(console->urlsToImport().at(row));
    }
    QString cell(int row, int column) { return table->item(row, column)->text(); }
    // A file long enough that a run is still going when the test acts on it.
    QString bigFile() {
        std::string text;
        for (int i = 0; i < 300000; ++i) text += "name\t" + std::to_string(i) + "\n";
        return file("big.txt", text);
    }
    // Another program's connection, holding the file's write lock until it commits.
    sqlite3* lockedByAnotherProgram() {
        sqlite3* other = nullptr;
        EXPECT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
        return other;
    }

    TablesAndRowsController* controller = nullptr;
    ImportConsole* console = nullptr;
    QTableWidget* table = nullptr;
};

TEST_F(ImportConsoleTest, FilesGetTheirOwnSettingsAndMenusChangeClickedAndSelectedFiles) {
    console->addFilePaths({file("data.csv", ""), file("DATA.CSV", ""), file("notes.txt", "")},
                          std::nullopt);
    console->addFilePaths({file("data.csv", "")}, std::string("ignored"));  // listed already
    ASSERT_EQ(console->urlsToImport().size(), 3u);
    EXPECT_EQ(settingsOfRow(0).name, "data");
    EXPECT_EQ(settingsOfRow(0).fieldSeparator, ImportFileSettings::Comma);
    EXPECT_EQ(settingsOfRow(0).removeSurroundingQuotes, 1);
    EXPECT_EQ(settingsOfRow(1).name, "DATA");
    EXPECT_EQ(settingsOfRow(1).fieldSeparator, ImportFileSettings::Tab);
    EXPECT_EQ(settingsOfRow(1).removeSurroundingQuotes, 0);

    // Clicked row 1 with rows 0 and 2 selected: all three change.
    table->selectRow(0);
    table->selectionModel()->select(table->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    console->setClickedRow(1);
    console->importView1stLineMenuItemClicked(ImportFileSettings::FieldNames);
    console->importViewTextEncodingMenuItemClicked(2);
    for (size_t row = 0; row < 3; ++row) EXPECT_EQ(settingsOfRow(row).line1, 2);
    EXPECT_EQ(cell(0, 2), "CSV, Mac Roman, 1. Field names");
    EXPECT_EQ(cell(1, 2), "Tab, Mac Roman, 1. Field names");

    // CSV turns quote removal on; Pipe afterwards leaves it on. Only row 1 is acted on now.
    table->clearSelection();
    console->importViewFieldSeparatorMenuItemClicked(ImportFileSettings::Comma);
    console->importViewFieldSeparatorMenuItemClicked(ImportFileSettings::Pipe);
    EXPECT_EQ(settingsOfRow(1).removeSurroundingQuotes, 1);
    EXPECT_EQ(settingsOfRow(1).fieldSeparator, ImportFileSettings::Pipe);
    EXPECT_EQ(settingsOfRow(2).fieldSeparator, ImportFileSettings::Tab);

    // The Other separator: an empty answer is stored as empty (a comma to the run).
    TextEntrySheet::setTestResponder([](const TextEntrySheet&) { return QString(); });
    console->importViewFieldSeparatorMenuItemClicked(ImportFileSettings::Other);
    EXPECT_EQ(settingsOfRow(1).fieldSeparatorString, "");
    EXPECT_EQ(settingsOfRow(1).separatorString(), ",");
    EXPECT_EQ(cell(1, 2), "Other, Mac Roman, 1. Field names");

    // Removing the selected files drops their settings; adding one again makes new ones.
    console->setClickedRow(-1);
    table->selectRow(1);
    console->importViewDeleteButtonPressed();
    ASSERT_EQ(console->urlsToImport().size(), 2u);
    EXPECT_EQ(console->settingsForFile(pathInDocuments("DATA.CSV")), nullptr);
    EXPECT_EQ(cell(1, 0).toStdString(), pathInDocuments("notes.txt"));
}

TEST_F(ImportConsoleTest, FilesMenuMarksOnlyWhatEveryFileActedOnShares) {
    console->addFilePaths({file("data.csv", ""), file("DATA.CSV", ""), file("notes.txt", "")},
                          std::nullopt);
    auto at = [this](int row) { return table->visualItemRect(table->item(row, 0)).center(); };
    // The submenu's checked tags, for the files of a right click on the row.
    auto marks = [&](int row) {
        std::map<std::string, std::string> checked;
        EXPECT_TRUE(withContextMenu(table->viewport(), at(row), [&](QMenu* menu) {
            for (QAction* item : menu->actions()) {
                if (item->menu())
                    checked[item->text().toStdString()] = checkedMenuTags(item->menu());
            }
        }));
        return checked;
    };
    std::map<std::string, std::string> checked = marks(0);
    EXPECT_EQ(checked["Field Separator"], "2,1111");
    EXPECT_EQ(checked["1st Line"], "1");
    // A comma file and a tab file: no separator and no quote removal is marked.
    table->selectRow(0);
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    checked = marks(1);
    EXPECT_EQ(checked["Field Separator"], "");
    EXPECT_EQ(checked["Text Encoding"], "0");
    // A right click outside the selection acts on that file alone.
    checked = marks(2);
    EXPECT_EQ(checked["Field Separator"], "1");
}

TEST_F(ImportConsoleTest, SettingsMenuTogglesDefaultsAndTheDeleteAllRowsBox) {
    console->importViewChangeSetting(1411);
    console->importViewChangeSetting(1422);
    console->importViewChangeSetting(1433);
    console->importViewChangeSetting(1433);
    EXPECT_TRUE(UserDefaults::standard().boolForKey("BatchLinesDuringImport"));
    EXPECT_TRUE(console->view()->findChild<QCheckBox*>("importViewCheckBox102")->isChecked());
    EXPECT_EQ(UserDefaults::standard().integerForKey("DataTypesToConvert"), 2);
    EXPECT_EQ(UserDefaults::standard().integerForKey("BailFlags"), 0);
    console->importViewChangeSetting(1414);
    auto* box = console->view()->findChild<QCheckBox*>("importViewDeleteAllRowsCheckBox");
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(box->text(), "DELETE ALL ROWS BEFORE IMPORT");
    // The settings menu, as it opens, marks the choices in force.
    auto* menu = console->view()->findChild<QMenu*>("importViewSettingsMenu");
    popUpAndClose(menu);
    EXPECT_EQ(checkedMenuTags(menu), "1411,1414,1422");
    box->click();
    EXPECT_FALSE(console->deleteAllRowsFirst());
    popUpAndClose(menu);
    EXPECT_EQ(checkedMenuTags(menu), "1411,1422");
}

TEST_F(ImportConsoleTest, ARunOnItsThreadEndsThroughTheEventLoop) {
    console->addFilePaths({file("first.csv", "a,b\n1,2\n3,4\n"), file("second.csv", "x,y\n5\n")},
                          std::nullopt);
    table->selectAll();
    console->importView1stLineMenuItemClicked(ImportFileSettings::FieldNames);
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    auto* tablesList = controller->view()->findChild<QListWidget*>("tablesTableView");
    button->click();
    EXPECT_TRUE(console->isImporting());
    EXPECT_EQ(button->text(), "Stop");
    EXPECT_FALSE(tablesList->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    EXPECT_EQ(console->statusText(), "Import completed without issues");  // "5" padded
    EXPECT_EQ(button->text(), "Import");
    EXPECT_TRUE(tablesList->isEnabled());
    EXPECT_FALSE(
        console->view()->findChild<QProgressBar*>("importViewProgressIndicator")->isVisible());
    EXPECT_TRUE(tablesListed(0).contains("first"));
    EXPECT_TRUE(tablesListed(0).contains("second"));
    EXPECT_EQ(controller->selectedTableNameIfOnlyOne(), "t");
    auto* log = console->view()->findChild<QListView*>("importViewLogTableView");
    EXPECT_EQ(static_cast<size_t>(log->model()->rowCount()), console->importLog().count());
    EXPECT_EQ(log->model()
                  ->index(static_cast<int>(console->importLog().count()) - 1, 0)
                  .data()
                  .toString()
                  .left(12),
              "Elapsed time");
    EXPECT_EQ(directQuery(db, "select a || b from first union all select x || y from second"),
              (std::vector<std::string>{"12", "34", "5"}));
}

// Stop takes the place of Import, so a second click on the same spot stops the run.
TEST_F(ImportConsoleTest, DeleteAllRowsIsAskedFirstAndAClickOnTheSameSpotStopsTheRun) {
    console->addFilePaths({bigFile()}, std::string("t"));
    console->importViewChangeSetting(1414);
    QWidget* window = console->view()->window();
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    QApplication::processEvents();
    const QPoint at = button->mapTo(window, button->rect().center());
    const QRect frame(button->mapTo(window, QPoint(0, 0)), button->size());
    alertAnswer = 1;  // Cancel
    QTest::mouseClick(window->childAt(at), Qt::LeftButton);
    EXPECT_FALSE(console->isImporting());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Delete ALL Rows?");

    alertAnswer = 0;
    QTest::mouseClick(window->childAt(at), Qt::LeftButton);
    ASSERT_TRUE(console->isImporting());
    QApplication::processEvents();
    EXPECT_EQ(button->text(), "Stop");
    EXPECT_EQ(QRect(button->mapTo(window, QPoint(0, 0)), button->size()), frame);
    QTest::mouseClick(window->childAt(at), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    EXPECT_EQ(console->statusText(), "Import stopped by user");
    EXPECT_EQ(QRect(button->mapTo(window, QPoint(0, 0)), button->size()), frame);
    EXPECT_EQ(directQuery(db, "select count(*) < 300000 from t"), std::vector<std::string>{"1"});
}

TEST_F(ImportConsoleTest, ClosingTheWindowDuringARunStopsItAndKeepsTheFileWhole) {
    console->addFilePaths({bigFile()}, std::string("t"));
    console->importViewImportButtonPressed();
    ASSERT_TRUE(console->isImporting());
    app->databaseWindowForWindowIndex(0)->close();
    QTest::qWait(200);  // whatever the run posted arrives now, and must find nothing gone
    EXPECT_EQ(directQuery(db, "pragma integrity_check"), std::vector<std::string>{"ok"});
}

// Ctrl+W on the importing window, the last one or not, and Ctrl+Q end the run at once, its SQL
// interrupted as the console lets it go: whatever moment they come at, in either journal mode,
// the table keeps lines 1 to n of the file, none missing before the last. The console is left as
// the run's end leaves it, its log telling that end, and takes the next run.
TEST_F(ImportConsoleTest, CloseOrQuitAtAnyMomentKeepsLinesOneToNOfTheFile) {
    constexpr int kLines = 1000000;
    std::string text;
    for (int i = 1; i <= kLines; ++i) text += std::to_string(i) + "\tline\n";
    console->addFilePaths({file("lines.txt", text)}, std::string("lines"));
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    enum class Way { CloseTheLastWindow, CloseBesideAnother, Quit };
    std::mt19937 random(62);
    int cut = 0;
    for (const std::string mode : {"delete", "wal"}) {
        for (const Way way : {Way::CloseTheLastWindow, Way::CloseBesideAnother, Way::Quit}) {
            for (int attempt = 0; attempt < 2; ++attempt) {
                const int moment = static_cast<int>(random() % 400);
                SCOPED_TRACE(mode + " way " + std::to_string(static_cast<int>(way)) + " after " +
                             std::to_string(moment) + " ms");
                // Once the run's task is stopped, its progress handler interrupts a statement
                // of many rows, which the trigger makes long, and not a row alone.
                run("drop table if exists lines; drop table if exists tally; "
                    "pragma journal_mode = " +
                    mode +
                    "; create table lines (\"Field 1\", \"Field 2\"); create table tally (n); "
                    "insert into tally values (0); create trigger g after insert on lines "
                    "begin update tally set n = n + 1; update tally set n = n + new.rowid; end");
                controller = show("t");
                if (way == Way::CloseBesideAnother) {
                    app->showDatabase(db, 1, false, std::nullopt, TablesAndRowsState::RowsConsole);
                }
                controller->selectConsole(TablesAndRowsState::ImportConsole);
                QWidget* window = app->databaseWindowForWindowIndex(0);
                window->activateWindow();
                ASSERT_TRUE(
                    QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }));
                console->importViewImportButtonPressed();
                ASSERT_TRUE(console->isImporting());
                bool importingThen = false;
                auto press = [&](Qt::Key key) {
                    importingThen = console->isImporting();
                    QWidget* focus = QApplication::focusWidget();
                    QTest::keyClick(focus ? focus : window, key, Qt::ControlModifier);
                };
                if (way == Way::Quit) {
                    QTimer::singleShot(moment, window, [&] { press(Qt::Key_Q); });
                    QTimer noQuit;  // fails the test rather than hanging it
                    noQuit.setSingleShot(true);
                    QObject::connect(&noQuit, &QTimer::timeout, [] { QCoreApplication::exit(1); });
                    noQuit.start(60000);
                    EXPECT_EQ(QCoreApplication::exec(), 0);
                } else {
                    QTest::qWait(moment);
                    press(Qt::Key_W);
                }
                EXPECT_FALSE(window->isVisible());
                EXPECT_FALSE(console->isImporting());
                EXPECT_EQ(button->text(), "Import");
                EXPECT_TRUE(console->importLog().entries().back().message.starts_with("Elapsed"));
                const std::vector<std::string> lines =
                    directQuery(db,
                                "select count(*), count(distinct \"Field 1\"), "
                                "coalesce(max(\"Field 1\" + 0), 0), "
                                "coalesce(sum(rowid = \"Field 1\" + 0), 0) from lines");
                ASSERT_EQ(lines.size(), 4u);
                EXPECT_EQ(lines[1], lines[0]);
                EXPECT_EQ(lines[2], lines[0]);
                EXPECT_EQ(lines[3], lines[0]);
                // A run may still end whole between the look and the key.
                if (importingThen && lines[0] != std::to_string(kLines)) {
                    ++cut;
                    EXPECT_EQ(console->statusText(), "Import stopped by user");
                }
                if (way == Way::CloseBesideAnother) app->databaseWindowForWindowIndex(1)->close();
            }
        }
    }
    EXPECT_GT(cut, 0);

    // Shown again, the window's console takes a run to its end.
    controller = show("t");
    controller->selectConsole(TablesAndRowsState::ImportConsole);
    run("delete from lines");
    button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 60000));
    EXPECT_EQ(console->statusText(), "Import completed without issues");
    EXPECT_EQ(directQuery(db, "select count(*) from lines"),
              std::vector<std::string>{std::to_string(kLines)});
}

TEST_F(ImportConsoleTest, ImportIntoOffersTheTablesOnly) {
    run("create view v as select 1; create index byName on t (name); create trigger tr after "
        "insert on t begin select 1; end; create table b (x)");
    std::string error;
    ASSERT_EQ(DBInterface::createTable("hidden", 8192, {"x"}, {1}, nullptr, nullptr, db, &error), 0)
        << error;
    controller->reloadTables();
    console->addFilePaths({file("data.csv", "1\n")}, std::nullopt);
    table->selectRow(0);
    std::vector<std::string> offered;
    ImportDestinationSheet::setTestResponder([&](const ImportDestinationSheet& sheet) {
        offered = sheet.tableNames;
        return std::optional<QString>("b");
    });
    console->importViewChangeDestinationMenuItemClicked();
    EXPECT_EQ(offered, (std::vector<std::string>{"b", "t"}));
    EXPECT_EQ(settingsOfRow(0).name, "b");
}

TEST_F(ImportConsoleTest, WhileARunWritesTheRecordEditorAddsNoRow) {
    console->addFilePaths({bigFile()}, std::nullopt);
    console->importViewImportButtonPressed();
    ASSERT_TRUE(console->isImporting());
    controller->selectConsole(TablesAndRowsState::RecordConsole);
    auto* add = controller->view()->findChild<QPushButton*>("addRowViewAddButton");
    EXPECT_FALSE(add->isEnabled());
    auto* record = &partsOf(controller).record;
    QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Period, Qt::ControlModifier);
    console->importViewImportButtonPressed();  // Stop
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    EXPECT_EQ(directQuery(db, "select count(*) from t"), std::vector<std::string>{"3"});
    EXPECT_TRUE(add->isEnabled());
}

// Stop clicked as the run ends lands on Import: a click pressed before the end, or less than half
// a second after it, starts nothing, even when it is handled or released after the end; one
// pressed half a second or more after it starts a run.
TEST_F(ImportConsoleTest, AClickMeantForStopNeverStartsASecondRun) {
    run("create table once (a, b)");
    console->addFilePaths({file("rows.txt", "1\t2\n3\t4\n")}, std::string("once"));
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    // The window system's clock, whose start is its own; readings are whole milliseconds.
    QElapsedTimer clock;
    clock.start();
    auto eventTimeNow = [&clock] { return 7'000'000 + static_cast<quint64>(clock.elapsed()) + 3; };
    auto send = [button](QEvent::Type type, quint64 time) {
        const QPoint at = button->rect().center();
        QMouseEvent event(type, at, button->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        event.setTimestamp(time);
        QApplication::sendEvent(button, &event);
    };
    auto click = [&send](quint64 time) {
        send(QEvent::MouseButtonPress, time);
        send(QEvent::MouseButtonRelease, time + 80);
    };
    auto waitForTheEnd = [&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    };

    const quint64 started = eventTimeNow();
    click(started);
    ASSERT_TRUE(console->isImporting());
    waitForTheEnd();
    // Made while the run went, handled after its end.
    click(started + 1);
    EXPECT_FALSE(console->isImporting());

    // Made a tenth of a second after the end: meant for Stop too.
    click(eventTimeNow() + 100);
    EXPECT_FALSE(console->isImporting());
    // Made half a second after the end: a run starts.
    click(eventTimeNow() + 500);
    ASSERT_TRUE(console->isImporting());
    // Pressed during the run, released after it ended.
    send(QEvent::MouseButtonPress, eventTimeNow());
    waitForTheEnd();
    send(QEvent::MouseButtonRelease, eventTimeNow());
    EXPECT_FALSE(console->isImporting());
    EXPECT_EQ(directQuery(db, "select count(*) from once"), std::vector<std::string>{"4"});

    click(eventTimeNow() + 500);
    EXPECT_TRUE(console->isImporting());
    waitForTheEnd();
    EXPECT_EQ(directQuery(db, "select count(*) from once"), std::vector<std::string>{"6"});
}

// The database file deleted while a run writes: the run ends at the first write that fails, says
// why with its totals, and gives the console back, to the next database opened in the window too.
TEST_F(ImportConsoleTest, AFileDeletedDuringARunEndsItAndGivesTheConsoleBack) {
    std::string text;
    // Long enough to outlast the first commit, after which no write goes into the lost file.
    for (int i = 0; i < 2000000; ++i) text += "name\t" + std::to_string(i) + "\n";
    console->addFilePaths({file("lines.txt", text)}, std::string("lines"));
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    auto* tablesList = controller->view()->findChild<QListWidget*>("tablesTableView");
    QTest::mouseClick(button, Qt::LeftButton);
    // Deleted as the rows begin; the log is read without handling the window's events, which
    // would keep the test busy until the run is nearly done.
    for (int waited = 0; console->importLog().text().find("Number of lines") == std::string::npos;
         waited += 5) {
        ASSERT_LT(waited, 10000);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::filesystem::remove(db);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    EXPECT_EQ(button->text(), "Import");
    EXPECT_TRUE(tablesList->isEnabled());
    EXPECT_FALSE(
        console->view()->findChild<QProgressBar*>("importViewProgressIndicator")->isVisible());
    EXPECT_EQ(console->statusText(), "Import completed with issues");
    const std::string log = console->importLog().text();
    for (const std::string told :
         {"The database cannot be written, so the import ends: attempt to write a readonly "
          "database\n",
          "was deleted or replaced during the import",
          "Total number of imported lines: ", "Total number of failed lines: "}) {
        EXPECT_NE(log.find(told), std::string::npos) << told;
    }

    const std::string other = pathInDocuments("other.db");
    run("create table lines (a, b)", other);
    controller->checkAndShowDatabase(other, false);
    controller->selectConsole(TablesAndRowsState::ImportConsole);
    table->selectRow(0);
    console->importViewDeleteButtonPressed();
    console->addFilePaths({file("two.txt", "a\t1\nb\t2\n")}, std::string("lines"));
    button->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    EXPECT_EQ(console->statusText(), "Import completed without issues");
    EXPECT_EQ(directQuery(other, "select count(*) from lines"), std::vector<std::string>{"2"});
}

// Another program holds the lock as Import is pressed: while the run waits the status says so,
// and Stop ends the wait long before it would run out.
TEST_F(ImportConsoleTest, StopEndsTheWaitForAnotherProgramsLock) {
    console->addFilePaths({file("locked.csv", "a,b\n1,2\n")}, std::nullopt);
    sqlite3* other = lockedByAnotherProgram();
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    QTest::mouseClick(button, Qt::LeftButton);
    const int halfAWait = static_cast<int>(DBConnection::kBackgroundLockWait.count() / 2);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return console->statusText() == "Waiting for the database: database is locked"; },
        halfAWait));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, halfAWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 30000));
    EXPECT_EQ(console->statusText(), "Import stopped by user");
    sqlite3_exec(other, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

TEST_F(ImportConsoleTest, WithoutADatabaseNoFileCanBeAddedRemovedOrImported) {
    // A new window whose databases sheet is cancelled shows no database.
    app->openNewWindow();
    databasesWindowOf(1).databasesWindowCancelButtonPressed();
    ASSERT_FALSE(pathInSlot(1));
    TablesAndRowsController* empty = app->tablesAndRowsControllerForWindowIndex(1);
    empty->selectConsole(TablesAndRowsState::ImportConsole);
    ImportConsole& import = partsOf(empty).import;
    auto enabled = [&import] {
        std::string states;
        for (const char* name :
             {"importViewAddFileToImportButton", "importViewDeleteFileToImportButton",
              "importViewSettingsButton", "importViewImportButton"}) {
            states += import.view()->findChild<QWidget*>(name)->isEnabled() ? '1' : '0';
        }
        return states;
    };
    EXPECT_EQ(enabled(), "0000");
    import.addFilePaths({file("data.txt", "a\tb\n")}, std::nullopt);
    import.view()->findChild<QTableWidget*>("importViewFilesTableView")->selectRow(0);
    EXPECT_EQ(enabled(), "0000");

    // With a database shown they are back; Remove needs a file selected.
    empty->checkAndShowDatabase(db, false);
    EXPECT_EQ(enabled(), "1111");
    import.view()->findChild<QTableWidget*>("importViewFilesTableView")->clearSelection();
    EXPECT_EQ(enabled(), "1011");
}

TEST_F(ImportConsoleTest, TheHintNamesTheRightClickThatOpensAFilesOptions) {
    auto* hint = console->view()->findChild<QLabel*>("importViewHelpLabel");
    EXPECT_EQ(hint->text(), "Drag and drop text files into the box above.");
    console->addFilePaths({file("data.csv", "a,b\n")}, std::nullopt);
    EXPECT_EQ(hint->text(), "Right-click a file above to change its options.");
    QApplication::processEvents();
    const QPoint row = table->visualRect(table->model()->index(0, 0)).center();
    QStringList titles;
    EXPECT_TRUE(withContextMenu(table->viewport(), row, [&](QMenu* menu) {
        for (QAction* item : menu->actions()) titles << item->text();
    }));
    EXPECT_TRUE(titles.contains("Field Separator"));
}

// Control characters other than NUL are text: a vertical tab or escape inside a value, the unit
// separator chosen to part the fields. Only a NUL byte says a file is not text.
TEST_F(ImportConsoleTest, ControlCharactersAreImportedAsTextAndOnlyNulBytesAreRefused) {
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    auto importListed = [&] {
        EXPECT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, 5000));
        button->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
        const QString status = console->statusText();
        table->selectAll();
        console->importViewDeleteButtonPressed();
        return status;
    };
    console->addFilePaths(
        {file("tabs.txt", "1\tfirst\vsecond\n2\t\x1B[1mbold\x1B[0m del\x7F\n"), file("units.txt",
                                                                                     "3\x1F"
                                                                                     "a\x1E"
                                                                                     "b\n4\x1F"
                                                                                     "c\n")},
        std::nullopt);
    table->clearSelection();
    console->setClickedRow(1);
    TextEntrySheet::setTestResponder([](const TextEntrySheet&) { return QString("\x1F"); });
    console->importViewFieldSeparatorMenuItemClicked(ImportFileSettings::Other);
    console->setClickedRow(-1);
    EXPECT_EQ(importListed(), "Import completed without issues");
    EXPECT_EQ(directQuery(db,
                          "select \"Field 1\" || '|' || \"Field 2\" from tabs union all "
                          "select \"Field 1\" || '|' || \"Field 2\" from units"),
              (std::vector<std::string>{"1|first\vsecond", "2|\x1B[1mbold\x1B[0m del\x7F",
                                        "3|a\x1E"
                                        "b",
                                        "4|c"}));

    // Random bytes without a NUL go in, their invalid UTF-8 warned about; with one NUL they
    // are refused.
    std::mt19937 random(11);
    std::string bytes;
    while (bytes.size() < 4000) {
        if (const char c = static_cast<char>(random() % 256)) bytes += c;
    }
    console->addFilePaths({file("noise.bin", bytes)}, std::nullopt);
    EXPECT_EQ(importListed(), "Import completed with issues");
    EXPECT_EQ(directQuery(db, "select count(*) > 0 from noise"), std::vector<std::string>{"1"});
    bool warned = false;
    for (const auto& entry : console->importLog().entries()) {
        warned |= entry.type == ActivityLog::Warning &&
                  entry.message.find("Invalid") != std::string::npos;
    }
    EXPECT_TRUE(warned);

    bytes[2000] = '\0';
    console->addFilePaths({file("nul.bin", bytes)}, std::nullopt);
    EXPECT_EQ(importListed(), "Import completed with issues");
    EXPECT_EQ(directQuery(db, "select count(*) from sqlite_master where name = 'nul'"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(console->importLog().entries().at(2).message,
              "\"nul.bin\" is not a delimited text file: it holds NUL bytes");
    EXPECT_TRUE(console->urlsToImport().empty());
}

// Another program holds the write lock through a run: the log says the database is locked, and
// the tables list keeps its tables until a reload after the lock shows them again.
TEST_F(ImportConsoleTest, AnotherProgramsLockIsNamedAndTheTablesListKeepsItsTables) {
    const QStringList listed = tablesListed(0);
    ASSERT_TRUE(listed.contains("t"));
    console->addFilePaths({file("locked.csv", "a,b\n1,2\n")}, std::nullopt);
    sqlite3* other = lockedByAnotherProgram();
    auto* button = console->view()->findChild<QPushButton*>("importViewImportButton");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 60000));
    bool named = false;
    for (const auto& entry : console->importLog().entries()) {
        if (entry.message.starts_with("Could not open the database")) {
            EXPECT_EQ(entry.message, "Could not open the database " + db + ": database is locked");
            named = true;
        }
    }
    EXPECT_TRUE(named);
    EXPECT_EQ(tablesListed(0), listed);
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.front().both(), "Error|database is locked");

    auto* reload = app->databaseWindowForWindowIndex(0)->menuBar()->findChild<QAction*>(
        "reloadTablesMenuItemClicked");
    reload->trigger();
    EXPECT_EQ(tablesListed(0), listed);
    sqlite3_exec(other, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    reload->trigger();
    EXPECT_EQ(tablesListed(0), listed);
    EXPECT_EQ(controller->selectedTableNameIfOnlyOne(), "t");
}
