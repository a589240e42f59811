// The tables list's schema window, hiding objects, duplicating tables and deleting all rows.
#include <QCheckBox>
#include <QDialog>
#include <QFontDatabase>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPlainTextEdit>

#include "Common/SQLQuote.h"
#include "design/DeleteAllRows.h"
#include "design/DuplicateTablesSheet.h"
#include "design/HiddenObjects.h"
#include "design/TableSchemaWindow.h"
#include "tests/design/PanelTest.h"

using Strings = std::vector<std::string>;

class TablesListPanelsTest : public PanelTest {
  protected:
    // As one extended click selects them.
    void select(TablesAndRowsController* c, const Strings& names) {
        QItemSelection selection;
        for (const std::string& name : names) {
            QModelIndex index = c->tablesTableView()->model()->index(rowOf(c, name), 0);
            selection.select(index, index);
        }
        c->tablesTableView()->selectionModel()->select(selection,
                                                       QItemSelectionModel::ClearAndSelect);
    }
    bool listed(TablesAndRowsController* c, const std::string& name) {
        return rowOf(c, name) < static_cast<int>(c->state().selectedObject.tableNames.size());
    }
};

TEST_F(TablesListPanelsTest, SchemaWindowShowsTheCreateTextWithItsIndexes) {
    run("create table t (a, b unique); create index ta on t (a);"
        "create table plain (x); create view v as select a from t");
    TablesAndRowsController* c = show("t");
    auto* schema = &partsOf(c).tableSchema;
    schema->schemaMenuItemClicked();
    EXPECT_TRUE(schema->tableSchemaPanel()->isVisible());
    // The text stands in the user's fixed-pitch font, at a size that reads.
    const QFont font = schema->tableSchemaPanelTextView()->font();
    EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(font.pointSize(), 15);
    EXPECT_EQ(schema->tableSchemaPanelTextView()->toPlainText().toStdString(),
              "CREATE TABLE t (a, b unique)\n\nCREATE INDEX ta on t (a)");
    schema->showTableSchemaForRowIndex(rowOf(c, "plain"));
    EXPECT_EQ(schema->tableSchemaPanelTextView()->toPlainText(), "CREATE TABLE plain (x)");
    schema->showTableSchemaForRowIndex(rowOf(c, "v"));
    EXPECT_EQ(schema->tableSchemaPanelTextView()->toPlainText(),
              "CREATE VIEW v as select a from t");
    schema->showTableSchemaForRowIndex(99);  // outside the list: nothing changes
    EXPECT_EQ(schema->tableSchemaPanelTextView()->toPlainText(),
              "CREATE VIEW v as select a from t");
    EXPECT_TRUE(alerts.empty());
    select(c, {"t", "plain"});
    schema->schemaMenuItemClicked();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Multiple tables selected");
}

TEST_F(TablesListPanelsTest, HidingWritesTheFlagBitAndShowingHiddenListsThemAgain) {
    run("create table t (a); create index ta on t (a); create table u (a);"
        "create table varnelo_db_tables (name not null default '', number int not null default "
        "0, flags int not null default 0, search_field not null default '', sort_field1 not null "
        "default '', sort_field2 not null default '', sort_field3 not null default '');"
        "insert into varnelo_db_tables (name, flags) values ('u', 3)");
    TablesAndRowsController* c = show("t");
    auto* hidden = &partsOf(c).hiddenObjects;
    select(c, {"t", "ta", "u"});
    hidden->hiddenMenuItemClicked();
    EXPECT_EQ(query("select name, flags from varnelo_db_tables order by name"),
              (Strings{"t", "8192", "u", "8195"}));
    EXPECT_FALSE(listed(c, "t"));
    EXPECT_FALSE(listed(c, "u"));
    EXPECT_TRUE(listed(c, "ta"));
    EXPECT_TRUE(c->selectedTableNames().empty());

    select(c, {"ta"});
    hidden->showHiddenTablesMenuItemClicked();
    EXPECT_TRUE(listed(c, "t"));
    EXPECT_EQ(c->selectedTableNames(), Strings{"ta"});  // the selection stays
    select(c, {"u"});
    hidden->hiddenMenuItemClicked();
    EXPECT_EQ(query("select flags from varnelo_db_tables where name = 'u'"), Strings{"3"});
    EXPECT_TRUE(alerts.empty());
}

TEST_F(TablesListPanelsTest, DuplicateSheetCopiesUnderAFreeNameAndSelectsTheCopy) {
    const std::string hostile = "x\"; drop table \"y";
    run("create table Items (name, n); create unique index byname on Items (name);"
        "insert into Items values ('a', 1), ('b', 2); create table Items_2 (z);"
        "create table y (k); insert into y values (1);"
        "create table " +
        quoteIdentifier(hostile) + " (v); insert into " + quoteIdentifier(hostile) +
        " values ('kept');"
        "create view v as select n from Items");
    TablesAndRowsController* c = show("Items");
    auto* duplicate = &partsOf(c).duplicateTables;
    select(c, {"Items", hostile});
    duplicate->duplicateTableMenuItemPressed();
    ASSERT_TRUE(duplicate->duplicateTablesWindow()->isVisible());
    // Wide enough for its whole title beside the title bar's buttons.
    QDialog* sheet = duplicate->duplicateTablesWindow();
    EXPECT_GE(sheet->width(), sheet->fontMetrics().horizontalAdvance(sheet->windowTitle()) + 120);
    duplicate->duplicateTablesWindowIncludeIndexesButton()->setChecked(true);
    duplicate->duplicateTablesWindowCopyRowsButton()->setChecked(true);
    duplicate->duplicateTablesWindowDuplicateButtonPressed();
    EXPECT_FALSE(duplicate->duplicateTablesWindow()->isVisible());
    EXPECT_TRUE(alerts.empty()) << alerts[0].informativeText;
    EXPECT_EQ(query("select name, n from Items_3 order by rowid"), (Strings{"a", "1", "b", "2"}));
    EXPECT_EQ(query("select name from sqlite_master where tbl_name = 'Items_3' and "
                    "type = 'index'"),
              Strings{"byname_2"});
    EXPECT_EQ(query("select v from " + quoteIdentifier(hostile + "_2")), Strings{"kept"});
    EXPECT_EQ(query("select k from y"), Strings{"1"});
    EXPECT_EQ(c->selectedTableNames(), Strings{hostile + "_2"});  // the last copy made

    // The check boxes keep their states; a view refuses the whole request.
    duplicate->duplicateTablesWindowCopyRowsButton()->setChecked(false);
    select(c, {"Items", "v"});
    duplicate->duplicateTableMenuItemPressed();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Only tables can be duplicated");
    EXPECT_FALSE(duplicate->duplicateTablesWindow()->isVisible());
    select(c, {"Items"});
    duplicate->duplicateTableMenuItemPressed();
    EXPECT_FALSE(duplicate->duplicateTablesWindowCopyRowsButton()->isChecked());
    duplicate->duplicateTablesWindowCancelButtonPressed();
    EXPECT_FALSE(listed(c, "Items_4"));
}

TEST_F(TablesListPanelsTest, AFailedDuplicateIsShownAndLeavesNoCopy) {
    directExec(db,
               "create table t (a check (a > 0)); pragma ignore_check_constraints = 1;"
               "insert into t values (-1)");
    TablesAndRowsController* c = show("t");
    partsOf(c).duplicateTables.duplicateTablesNow({"t"}, true, true);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Error");
    EXPECT_NE(alerts[0].informativeText.find("CHECK"), std::string::npos);
    EXPECT_EQ(query("select count(*) from sqlite_master where name = 't_2'"), Strings{"0"});
    EXPECT_FALSE(listed(c, "t_2"));
}

TEST_F(TablesListPanelsTest, DeleteAllRowsNamesCascadingChildrenAndDeletesOnlyWhenAsked) {
    UserDefaults::standard().setBool(true, "EnableForeignKeyConstraints");
    run("create table parent (id integer primary key, name); insert into parent values (1, 'p');"
        "create table kid (p references parent on delete cascade); insert into kid values (1);"
        "create view pv as select * from parent");
    TablesAndRowsController* c = show("pv");
    auto* deleteAll = &partsOf(c).deleteAllRows;
    deleteAll->deleteAllRowsMenuItemClicked();  // a view's rows are never deleted
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].informativeText, "Select one or more tables to delete rows from.");
    alerts.clear();
    c->selectTableWithName("parent");
    alertAnswer = 1;  // Cancel
    deleteAll->deleteAllRowsMenuItemClicked();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Delete ALL rows in table \"parent\"?");
    EXPECT_NE(alerts[0].informativeText.find("“kid”"), std::string::npos);
    EXPECT_NE(alerts[0].informativeText.find("This cannot be undone!"), std::string::npos);
    EXPECT_EQ(query("select count(*) from parent"), Strings{"1"});
    alertAnswer = 0;
    deleteAll->deleteAllRowsMenuItemClicked();
    EXPECT_EQ(query("select count(*) from parent"), Strings{"0"});
    EXPECT_EQ(query("select count(*) from kid"), Strings{"0"});
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    deleteAll->deleteAllRowsMenuItemClicked();  // nothing left to delete
    EXPECT_EQ(alerts.back().messageText, "No table selected");
}
