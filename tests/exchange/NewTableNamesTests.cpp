// Names for new tables as SQLite sees them: a name it takes for an existing table, view or index
// (ASCII letters in any case) is refused or stepped around, a name the tables list would hide is
// refused, and an existing table's name is used as it stands. Through the add table sheet, the
// pasted tables and the import; read back through a connection of the test's own.
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "Common/SQLQuote.h"
#include "exchange/AddTableSheet.h"
#include "exchange/DragTablesPanel.h"
#include "exchange/ImportConsole.h"
#include "exchange/ImportDestinationSheet.h"
#include "platform/ui/Pasteboard.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"

using Strings = std::vector<std::string>;

class NewTableNamesTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        run("create table seed (x)");
        std::string error;
        for (const char* table : {"Stuff", "q_1"}) {
            ASSERT_EQ(DBInterface::createTable(table, 0, {"a", "b"}, {1, 1}, nullptr, nullptr, db,
                                               &error),
                      0)
                << error;
        }
        run("insert into Stuff values (1, 2); create index byA on q_1 (a); create table " +
            quoteIdentifier(hostile) + " (a, b)");
    }
    void TearDown() override {
        ImportDestinationSheet::setTestResponder({});
        ControllerTest::TearDown();
    }
    // The button of the dialog with that title.
    static QPushButton* button(QDialog* dialog, const QString& title) {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == title) return button;
        }
        return nullptr;
    }
    // Every object's name and every meta row's table name.
    Strings schema() const {
        return directQuery(db,
                           "select name from sqlite_master union all select name from "
                           "varnelo_db_tables union all select table_name from "
                           "varnelo_db_fields order by 1");
    }

    const std::string hostile = "tab \"q\" [b] 🙂";
};

TEST_F(NewTableNamesTest, AddTableRefusesNamesSQLiteTakesOrTheListHidesAndWritesNothing) {
    const Strings before = schema();
    TablesAndRowsController* c = show("Stuff");
    AddTableSheet* sheet = &partsOf(c).addTable;
    UserDefaults::standard().setInteger(1, "LastImportFileTypeTag");
    for (bool fromClipboard : {false, true}) {
        for (const auto& [typed, status] : {
                 std::pair<QString, std::string>{"STUFF", "Table already exists"},
                 {"Q\"1", "Table already exists"},
                 {"BYA", "Table already exists"},
                 {"varnelo_db_notes", "The name varnelo_db_notes is reserved for the program."},
                 {"Sqlite_x", "The name Sqlite_x is reserved for the program."},
             }) {
            SCOPED_TRACE(typed.toStdString() + (fromClipboard ? " from the clipboard" : ""));
            QGuiApplication::clipboard()->setText("1\t2\n3\t4");
            QDialog* dialog =
                fromClipboard ? sheet->addTableFromClipboard() : sheet->addBlankTable();
            ASSERT_NE(dialog, nullptr);
            sheet->numberOfFieldsTextField()->setText("2");
            sheet->tableNameTextField()->setText(typed);
            QTest::mouseClick(button(dialog, "Add"), Qt::LeftButton);
            EXPECT_EQ(sheet->statusLabel()->text().toStdString(), status);
            EXPECT_TRUE(dialog->isVisible());
            sheet->cancelAddTableNow();
        }
    }
    EXPECT_EQ(schema(), before);
    EXPECT_EQ(directQuery(db, "select * from Stuff"), (Strings{"1", "2"}));
    EXPECT_TRUE(alerts.empty());
}

TEST_F(NewTableNamesTest, APastedTableStepsAroundANameSQLiteTakesInAnotherCase) {
    const std::string other = pathInDocuments("other.db");
    run("create table stuff (a, b); insert into stuff values ('new', 'row'); create table "
        "varnelo_db_notes (n)",
        other);
    TablesAndRowsController* c = show("Stuff");
    DragTablesPanel* panel = &partsOf(c).dragTables;
    ASSERT_TRUE(DragTablesPanel::writeTablesToPasteboard(other, {"stuff", "varnelo_db_notes"}, 1));
    QDialog* dialog = panel->promptWithPasteboard();
    ASSERT_NE(dialog, nullptr);
    panel->copyRowsButton()->setChecked(true);
    QTest::mouseClick(button(dialog, "Paste Tables"), Qt::LeftButton);
    EXPECT_EQ(directQuery(db, "select * from stuff_2"), (Strings{"new", "row"}));
    EXPECT_EQ(directQuery(db, "select * from Stuff"), (Strings{"1", "2"}));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].informativeText, "The name varnelo_db_notes is reserved for the program.");
    EXPECT_EQ(directQuery(db, "select count(*) from sqlite_master where name like 'varnelo_db_n%'"),
              Strings{"0"});
}

TEST_F(NewTableNamesTest, TheImportWritesIntoTheTableSQLiteNamesAndMakesNoHiddenTable) {
    TablesAndRowsController* c = show("Stuff");
    c->selectConsole(TablesAndRowsState::ImportConsole);
    auto* console = &partsOf(c).import;
    auto file = [this](const std::string& name) {
        writeFile(pathInDocuments(name), "x,y\n");
        return QString::fromStdString(pathInDocuments(name));
    };
    console->addFilePaths({file("typed.csv")}, std::string("STUFF"));
    console->addFilePaths({file("reserved.csv")}, std::string("varnelo_db_notes"));
    console->addFilePaths({file("chosen.csv")}, std::nullopt);
    // The existing table chosen in the destination sheet, by its own name.
    auto* files = console->view()->findChild<QTableWidget*>("importViewFilesTableView");
    files->selectRow(2);
    ImportDestinationSheet::setTestResponder([this](const ImportDestinationSheet&) {
        return std::optional<QString>(QString::fromStdString(hostile));
    });
    console->importViewChangeDestinationMenuItemClicked();

    QTest::mouseClick(console->view()->findChild<QPushButton*>("importViewImportButton"),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    EXPECT_EQ(directQuery(db, "select * from Stuff order by rowid"), (Strings{"1", "2", "x", "y"}));
    EXPECT_EQ(directQuery(db, "select * from " + quoteIdentifier(hostile)), (Strings{"x", "y"}));
    EXPECT_EQ(directQuery(db,
                          "select count(*) from sqlite_master where name in ('tab _q_ _b_ 🙂', "
                          "'varnelo_db_notes')"),
              Strings{"0"});
    EXPECT_EQ(directQuery(db,
                          "select count(*) from varnelo_db_tables where name in ('STUFF', "
                          "'varnelo_db_notes')"),
              Strings{"0"});
    const std::string log = console->importLog().text();
    EXPECT_NE(log.find("The name varnelo_db_notes is reserved for the program."), std::string::npos)
        << log;
    EXPECT_EQ(console->statusText(), "Import completed with issues");
}

// A view or an index already bears the destination's name (in any letter case): the file is
// refused before anything is written, and the view keeps its field settings.
TEST_F(NewTableNamesTest, TheImportRefusesTheNameOfAViewOrAnIndexAndWritesNothing) {
    std::string error;
    ASSERT_EQ(
        DBInterface::createView("VV", "create view VV as select a, b from Stuff", {"a", "b"},
                                {DBInterface::kFieldTypeNumber, DBInterface::kFieldTypeLocation},
                                {0, 0}, nullptr, false, db, &error),
        0)
        << error;
    const Strings before = schema();
    const std::string fields = "select * from varnelo_db_fields order by rowid";
    const Strings fieldRows = directQuery(db, fields);
    TablesAndRowsController* c = show("Stuff");
    c->selectConsole(TablesAndRowsState::ImportConsole);
    auto* console = &partsOf(c).import;
    const std::pair<std::string, std::string> refused[] = {
        {"VV", "A view named \"VV\" already exists"},
        {"vv", "A view named \"VV\" already exists"},
        {"bya", "An index named \"byA\" already exists"},
    };
    for (const auto& [typed, text] : refused) {
        const std::string path = pathInDocuments(typed + ".csv");
        writeFile(path, "x,y\n");
        console->addFilePaths({QString::fromStdString(path)}, typed);
    }
    QTest::mouseClick(console->view()->findChild<QPushButton*>("importViewImportButton"),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    const std::string log = console->importLog().text();
    for (const auto& [typed, text] : refused) {
        EXPECT_NE(log.find(text + "\n"), std::string::npos) << typed << "\n" << log;
    }
    EXPECT_EQ(log.find("Creating table"), std::string::npos) << log;
    EXPECT_EQ(schema(), before);
    EXPECT_EQ(directQuery(db, fields), fieldRows);
    EXPECT_EQ(directQuery(db, "select * from Stuff"), (Strings{"1", "2"}));
    EXPECT_EQ(console->statusText(), "Import completed with issues");
}
