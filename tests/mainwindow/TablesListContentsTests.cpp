// Which objects the tables list shows, in which order, and how a reload keeps the selection.
#include <QListWidget>

#include "mainwindow/TablesListContents.h"
#include "tests/mainwindow/ControllerTest.h"

using Strings = std::vector<std::string>;

namespace {
DBInterface::MasterTables sampleSchema() {
    return {{"b", {"table", "b", ""}},
            {"A", {"table", "A", ""}},
            {"c", {"view", "c", ""}},
            {"ix", {"index", "b", ""}},
            {"tr", {"trigger", "b", ""}},
            {"sqlite_master", {"table", "sqlite_master", ""}},
            {"varnelo_db_tables", {"table", "varnelo_db_tables", ""}}};
}
}  // namespace

TEST(TablesListContents, TypeBitsSystemAndHiddenRulesAndCaseInsensitiveOrder) {
    auto all = sampleSchema();
    TablesListContents contents = tablesListContents(all, {}, 1 | 2, false, false);
    EXPECT_EQ(contents.tableNames, (Strings{"A", "b", "c"}));
    EXPECT_EQ(contents.onlyTableNames, (Strings{"A", "b"}));
    // Tables are real tables even when the list shows views alone.
    contents = tablesListContents(all, {}, 2, false, false);
    EXPECT_EQ(contents.tableNames, Strings{"c"});
    EXPECT_EQ(contents.onlyTableNames, (Strings{"A", "b"}));
    contents = tablesListContents(all, {}, 4 | 8, false, false);
    EXPECT_EQ(contents.tableNames, (Strings{"ix", "tr"}));
    contents = tablesListContents(all, {}, 1, true, false);
    EXPECT_EQ(contents.tableNames, (Strings{"A", "b", "sqlite_master", "varnelo_db_tables"}));

    // Hidden: bit 8192 among others; a hidden system table is listed once hidden objects are.
    std::map<std::string, std::string> flags{
        {"b", "8195"}, {"c", "1"}, {"varnelo_db_tables", "8192"}};
    EXPECT_TRUE(isHiddenObject("b", flags));
    EXPECT_FALSE(isHiddenObject("c", flags));
    contents = tablesListContents(all, flags, 15, false, false);
    EXPECT_EQ(contents.tableNames, (Strings{"A", "c", "ix", "tr"}));
    EXPECT_EQ(contents.onlyTableNames, Strings{"A"});
    contents = tablesListContents(all, flags, 15, false, true);
    EXPECT_EQ(contents.tableNames, (Strings{"A", "b", "c", "ix", "tr", "varnelo_db_tables"}));

    Strings names{"b", "a", "B", "Ä", "A", "c"};
    sortCaseInsensitively(&names);
    EXPECT_EQ(names, (Strings{"A", "a", "B", "b", "c", "Ä"}));
    EXPECT_EQ(rowOfTableNamed({"A", "a"}, "a"), 1);
    EXPECT_EQ(rowOfTableNamed({"A"}, "a"), std::nullopt);
}

class TablesListReloadTest : public ControllerTest {};

TEST_F(TablesListReloadTest, ReloadKeepsTheSelectionByExactNameAndSelectsOnlyExactNames) {
    run("create table b (x); create table \"a b\" (x); create table c (x)");
    TablesAndRowsController* c = show("b");
    run("create table A (x)");
    c->reloadTables();
    EXPECT_EQ(c->state().selectedObject.tableNames, (Strings{"A", "a b", "b", "c"}));
    EXPECT_EQ(c->selectedTableNames(), Strings{"b"});
    EXPECT_EQ(c->tablesTableView()->currentRow(), 2);
    // A name that differs only in case selects nothing.
    c->reloadTablesAndSelectTableNamed("B");
    EXPECT_TRUE(c->selectedTableNames().empty());
    c->reloadTablesAndSelectTableNamed("a b");
    EXPECT_EQ(c->selectedTableNames(), Strings{"a b"});
    // An emptied name renames nothing.
    c->chooseTableTextFieldReturnKeyPressed(1, " \n");
    EXPECT_TRUE(DBInterface::doesTableExist("a b", db));
    EXPECT_EQ(c->tablesTableView()->item(1)->text(), "a b");
    // Each row carries its kind's picture.
    run("create index ib on b (x)");
    c->reloadTables();
    EXPECT_FALSE(c->tablesTableView()->item(0)->icon().isNull());
    EXPECT_FALSE(c->tablesTableView()->item(3)->icon().isNull());
}
