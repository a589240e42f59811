// Files imported through the import console into a table that is already there: values are
// converted by the table's own field types, whatever the file's format line says, and land in
// the table's fields in order past a generated one. Read back through a connection of the
// test's own.
#include <QPushButton>
#include <QTableWidget>

#include "Common/DBInterface.h"
#include "exchange/ImportConsole.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"
#include "tests/support/FixedLocale.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

class ImportIntoExistingTableTest : public ControllerTest {
  protected:
    QString file(const std::string& name, const std::string& bytes) {
        writeFile(pathInDocuments(name), bytes);
        return QString::fromStdString(pathInDocuments(name));
    }

    FixedLocale locale{"en_US", "UTC"};
};

TEST_F(ImportIntoExistingTableTest, ValuesAreConvertedByTheTablesFieldTypesNotTheFilesFormats) {
    // Text, Date, Time and Text fields behind a generated one; a field dropped with SQL left its
    // description behind, so the descriptions' numbers no longer match the positions.
    run("create table events (title, old, label as (upper(title)), day, at, note)");
    std::string error;
    ASSERT_EQ(createTable("events", 0, {"title", "old", "label", "day", "at", "note"},
                          {kFieldTypeText, kFieldTypeDate, kFieldTypeText, kFieldTypeDate,
                           kFieldTypeTime, kFieldTypeText},
                          nullptr, nullptr, db, &error),
              0)
        << error;
    run("alter table events drop column old");

    TablesAndRowsController* controller = show("events");
    controller->selectConsole(TablesAndRowsState::ImportConsole);
    auto* console = &partsOf(controller).import;
    // A format line that says the opposite of the table, and a file with names only (its
    // formats all Text).
    console->addFilePaths({file("typed.csv",
                                "title,day,at,note\n"
                                "Date,Text,Text,Date\n"
                                "3/5/2021,3/5/2021,3/5/2021 23:30,3/5/2021\n"),
                           file("plain.csv",
                                "title,day,at,note\n"
                                "7/4/2022,7/4/2022,7/4/2022 8:15,7/4/2022\n")},
                          std::string("events"));
    auto* files = console->view()->findChild<QTableWidget*>("importViewFilesTableView");
    files->selectAll();
    console->importView1stLineMenuItemClicked(ImportFileSettings::FieldNames);
    files->selectRow(0);
    console->importView2ndLineMenuItemClicked(ImportFileSettings::FieldFormats);
    console->importViewChangeSetting(1421);  // Convert Dates
    console->importViewChangeSetting(1422);  // Convert Times

    QTest::mouseClick(console->view()->findChild<QPushButton*>("importViewImportButton"),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->isImporting(); }, 10000));
    EXPECT_EQ(console->statusText(), "Import completed without issues");

    EXPECT_EQ(directQuery(db, "select title, label, day, at, note from events order by rowid"),
              (Strings{"3/5/2021", "3/5/2021", "2021-03-05 +0000", "2021-03-05 23:30:00 +0000",
                       "3/5/2021",  //
                       "7/4/2022", "7/4/2022", "2022-07-04 +0000", "2022-07-04 08:15:00 +0000",
                       "7/4/2022"}));
    // The table keeps its own descriptions.
    EXPECT_EQ(directQuery(db,
                          "select name, type from varnelo_db_fields where table_name = 'events' "
                          "and name <> 'old' order by number"),
              (Strings{"title", "1", "label", "1", "day", "3", "at", "4", "note", "1"}));
}
