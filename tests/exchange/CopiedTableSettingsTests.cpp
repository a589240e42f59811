// A table duplicated in its window or pasted from another window's database keeps its settings:
// each sort key in its own place with its direction, the search fields, the flags and the field
// descriptions; the copy's grid shows its rows in the original's order. Read back through a
// connection of the test's own.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Common/DBInterface.h"
#include "Common/SQLQuote.h"
#include "design/DropFileNameTextView.h"
#include "design/DuplicateTablesSheet.h"
#include "design/SQLConsole.h"
#include "exchange/DragTablesPanel.h"
#include "platform/ui/Pasteboard.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"
#include "tests/support/DropEvents.h"

using namespace DBInterface;
using Strings = std::vector<std::string>;

namespace {

// The stored settings of a table: its meta row, then its field rows.
Strings storedSettings(const std::string& path, const std::string& table) {
    Strings settings = directQuery(path,
                                   "select flags, search_field, sort_field1, sort_field2, "
                                   "sort_field3 from varnelo_db_tables where name = " +
                                       quoteLiteral(table));
    const Strings fields = directQuery(path,
                                       "select name, number, type, flags from varnelo_db_fields "
                                       "where table_name = " +
                                           quoteLiteral(table) + " order by number");
    settings.insert(settings.end(), fields.begin(), fields.end());
    return settings;
}

}  // namespace

class CopiedTableSettingsTest : public ControllerTest {
  protected:
    // people (last, first, age) sorted on last ascending, then age descending, then first
    // ascending, each key giving an order of its own: in that order the rowids are
    // kSortedRowids; any two keys swapped, a direction turned or the third key lost gives
    // another order.
    void makePeople(const std::string& path) {
        run("create table people (last text, first text, age number);"
            "insert into people (rowid, last, first, age) values (1, 'Berg', 'Cy', 30), "
            "(2, 'Adams', 'Bo', 20), (3, 'Berg', 'Al', 40), (4, 'Adams', 'Zed', 50), "
            "(5, 'Berg', 'Ann', 30), (6, 'Adams', 'Al', 20)",
            path);
        std::string error;
        const std::vector<int64_t> styles{0, 0, 12};
        ASSERT_EQ(createTable("people", 0, {"last", "first", "age"},
                              {kFieldTypeText, kFieldTypeText, kFieldTypeNumber}, &styles, nullptr,
                              path, &error),
                  0)
            << error;
        const std::vector<int> keys{sortCodeFromIndex(0, 1), sortCodeFromIndex(2, 2),
                                    sortCodeFromIndex(1, 1)};
        ASSERT_EQ(updateSortCodes(keys, "people", path, &error), 0) << error;
        ASSERT_EQ(updateSortByROWIDCode(2, "people", path, &error), 0) << error;
        ASSERT_EQ(updateSearchFields(IndexSet{0, 2}, false, nullptr, "people", path, &error), 0)
            << error;
    }
    static inline const Strings kSortedRowids{"4", "6", "2", "3", "5", "1"};

    // The rowids of the first rows of the window's grid, top down.
    Strings gridRowids(TablesAndRowsController* c, int64_t rows) const {
        Strings rowids;
        for (int64_t row = 0; row < rows; ++row) {
            rowids.push_back(
                rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(row), FieldIndex(0)));
        }
        return rowids;
    }

    static void click(QWidget* button) {
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

TEST_F(CopiedTableSettingsTest, ADuplicateKeepsEachSortKeyInItsPlaceWithSearchAndFieldSettings) {
    makePeople(db);
    TablesAndRowsController* c = show("people");
    ASSERT_EQ(gridRowids(c, 6), kSortedRowids);
    const Strings original = storedSettings(db, "people");
    ASSERT_EQ(original.size(), 5u + 3 * 4);

    auto* duplicate = &partsOf(c).duplicateTables;
    duplicate->duplicateTableMenuItemPressed();
    QDialog* sheet = duplicate->duplicateTablesWindow();
    ASSERT_TRUE(sheet->isVisible());
    QPushButton* button = nullptr;
    for (QAbstractButton* candidate : sheet->findChild<QDialogButtonBox*>()->buttons()) {
        if (candidate->text() == "Duplicate") button = qobject_cast<QPushButton*>(candidate);
    }
    click(button);
    EXPECT_TRUE(alerts.empty()) << alerts[0].both();

    EXPECT_EQ(storedSettings(db, "people_2"), original);
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "people_2");
    EXPECT_EQ(gridRowids(c, 6), kSortedRowids);
    // The original's settings are left as they were.
    EXPECT_EQ(storedSettings(db, "people"), original);

    // The copy sorted and typed otherwise, then dropped with SQL, which leaves its meta rows
    // behind: the next copy under that name takes the original's settings, not those.
    std::string error;
    ASSERT_EQ(updateSortCodes({sortCodeFromIndex(1, 2)}, "people_2", db, &error), 0) << error;
    run("update varnelo_db_fields set type = 3 where table_name = 'people_2'");
    c->selectConsole(TablesAndRowsState::SQLConsole);
    auto* sql = &partsOf(c).sql;
    sql->queryTextView()->setPlainText("drop table people_2");
    sql->executeButtonPressed();
    ASSERT_EQ(directQuery(db, "select count(*) from sqlite_master where name = 'people_2'"),
              Strings{"0"});
    c->selectConsole(TablesAndRowsState::RowsConsole);
    QTest::qWait(kSettleWaitMs);  // the grid takes its full height again
    c->selectTableWithName("people");
    duplicate->duplicateTableMenuItemPressed();
    click(button);
    EXPECT_TRUE(alerts.empty()) << alerts[0].both();
    EXPECT_EQ(storedSettings(db, "people_2"), original);
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "people_2");
    EXPECT_EQ(gridRowids(c, 6), kSortedRowids);
}

TEST_F(CopiedTableSettingsTest, ATablePastedFromAnotherWindowKeepsEachSortKeyInItsPlace) {
    const std::string other = pathInDocuments("other.db");
    makePeople(other);
    const Strings original = storedSettings(other, "people");
    // The destination has no meta tables yet, and a table of the same name.
    run("create table people (x)");
    TablesAndRowsController* destination = show("people");
    TablesAndRowsWindow* sourceWindow =
        app->showDatabase(other, 1, false, std::nullopt, TablesAndRowsState::RowsConsole);
    sourceWindow->show();

    std::unique_ptr<QMimeData> data(Pasteboard::mimeData(
        kAddTablesFromDatabaseDataType, DragTablesPanel::tablesRecord(other, {"people"}, 1)));
    QListWidget* list = destination->tablesTableView();
    ASSERT_TRUE(sendDrop(list->viewport(), *data, list->visualItemRect(list->item(0)).center()));
    DragTablesPanel* panel = &partsOf(destination).dragTables;
    panel->copyRowsButton()->setChecked(true);
    ASSERT_NE(panel->statusLabel(), nullptr);
    click(panel->statusLabel()->window()->findChild<QPushButton*>(
        "dragTablesPanelPasteTablesButton"));
    EXPECT_TRUE(alerts.empty()) << alerts[0].both();

    EXPECT_EQ(storedSettings(db, "people_2"), original);
    EXPECT_EQ(destination->selectedTableNameIfOnlyOne(), "people_2");
    EXPECT_EQ(gridRowids(destination, 6), kSortedRowids);
    EXPECT_EQ(storedSettings(other, "people"), original);
}
