#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "Common/DBConnection.h"
#include "Common/DBInterface.h"
#include "Common/SQLQuote.h"
#include "design/DropFileNameTextView.h"
#include "design/FieldTypeMenu.h"
#include "design/FormatStyleSheet.h"
#include "design/NameAndFieldsPanel.h"
#include "design/SQLConsole.h"
#include "design/SearchPanel.h"
#include "design/SortPanel.h"
#include "exchange/PrintConsole.h"
#include "exchange/PrintLayoutStore.h"
#include "mainwindow/MenuCheckMarks.h"
#include "tests/design/PanelTest.h"
#include "tests/support/DropEvents.h"
#include "tests/support/Menus.h"
#include "tests/support/OtherProgram.h"

namespace {

class NameAndFieldsPanelTest : public PanelTest {
  protected:
    NameAndFieldsPanel* openOn(TablesAndRowsController* c) {
        auto* panel = &partsOf(c).nameAndFields;
        panel->showNameAndFieldsPanel();
        return panel;
    }
    static std::string message(NameAndFieldsPanel* panel) {
        return panel->nameAndFieldsPanelErrorLabel()->text().toStdString();
    }
    static void setName(NameAndFieldsPanel* panel, const std::string& name) {
        panel->nameAndFieldsPanelTableNameField()->setText(QString::fromStdString(name));
    }
    static void setFieldName(NameAndFieldsPanel* panel, int row, const std::string& name) {
        panel->nameAndFieldsPanelTableView()
            ->item(row, NameAndFieldsPanel::FieldNameColumn)
            ->setText(QString::fromStdString(name));
    }
    static void chooseType(NameAndFieldsPanel* panel, int row, int code) {
        panel->nameAndFieldsPanelChangeFieldTypeButtonClicked(
            FieldTypeMenu::fieldTypeMenuTag(row, code));
    }
    static void selectSpecial(NameAndFieldsPanel* panel, int tag) {
        QComboBox* special = panel->nameAndFieldsPanelSpecialPopUpButton();
        special->setCurrentIndex(special->findData(tag));
    }
    std::vector<std::string> fieldRows(const std::string& table) const {
        return query("select name, type, flags from varnelo_db_fields where table_name = " +
                     quoteLiteral(table) + " order by number");
    }
    std::vector<std::string> columns(const std::string& table) const {
        return query("select name from pragma_table_info(" + quoteLiteral(table) + ")");
    }
    // The bytes of the table's pages in the file.
    std::string tableBytes(const std::string& table) const {
        std::string bytes;
        const int64_t pageSize = std::stoll(query("pragma page_size").at(0));
        std::ifstream file(db, std::ios::binary);
        for (const std::string& page : query("select pageno from dbstat where name = " +
                                             quoteLiteral(table) + " order by pageno")) {
            std::string content(static_cast<size_t>(pageSize), '\0');
            file.seekg((std::stoll(page) - 1) * pageSize);
            file.read(content.data(), pageSize);
            bytes += content;
        }
        return bytes;
    }
    // Deletes the field of the row and presses Change: the confirmation's informative text.
    std::string deleteFieldAndChange(NameAndFieldsPanel* panel, int row) {
        panel->nameAndFieldsPanelTableView()->selectRow(row);
        panel->nameAndFieldsPanelDeleteFieldButtonPressed();
        alerts.clear();
        QTest::mouseClick(panel->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
        EXPECT_EQ(alerts.size(), 1u);
        return alerts.empty() ? std::string() : alerts[0].informativeText;
    }
    std::vector<std::string> tableFlags(const std::string& table) const {
        return query("select flags from varnelo_db_tables where name = " + quoteLiteral(table));
    }
};

TEST_F(NameAndFieldsPanelTest, NewTableIsCreatedWithCleanedNamesAndRefusedWhenTheNameIsTaken) {
    run("create table MyTable (a); create view v as select 1 as x");
    TablesAndRowsController* c = show("MyTable");
    auto* panel = &partsOf(c).nameAndFields;
    panel->addTableButtonPressed();
    EXPECT_EQ(panel->nameAndFieldsPanelTableNameField()->text().toStdString(), "MyTable_2");
    EXPECT_EQ(panel->nameAndFieldsPanelCreateButton()->text().toStdString(), "Create");

    panel->addTableNow();
    EXPECT_EQ(message(panel), "At least one field is required.");
    setName(panel, "  ");
    panel->addTableNow();
    EXPECT_EQ(message(panel), "Table name is required.");

    panel->nameAndFieldsPanelAddFieldButtonPressed();
    panel->nameAndFieldsPanelAddFieldButtonPressed();
    panel->nameAndFieldsPanelAddFieldButtonPressed();
    EXPECT_EQ(panel->fieldRows().names,
              (std::vector<std::string>{"Field 1", "Field 2", "Field 3"}));
    EXPECT_EQ(panel->fieldRows().indices, (std::vector<int64_t>{-1, -1, -1}));
    setFieldName(panel, 0, " when\"d` ");
    chooseType(panel, 0, DBInterface::kFieldTypeDate);
    setFieldName(panel, 1, "it's");
    chooseType(panel, 1, DBInterface::kFieldTypeNumber);
    // A field added and deleted again leaves no trace.
    panel->nameAndFieldsPanelTableView()->selectRow(2);
    panel->nameAndFieldsPanelDeleteFieldButtonPressed();
    setName(panel, " a[b] ");
    selectSpecial(panel, NameAndFieldsPanel::LookupTable);
    panel->addTableNow();
    EXPECT_EQ(message(panel), "Table was created.");
    EXPECT_EQ(columns("a_b_"), (std::vector<std::string>{"when_d_", "it's"}));
    EXPECT_EQ(fieldRows("a_b_"), (std::vector<std::string>{"when_d_", "3", "0", "it's", "2", "0"}));
    EXPECT_EQ(tableFlags("a_b_"), (std::vector<std::string>{"8"}));
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "a_b_");
    // The panel stays in create mode: the same name again is refused.
    panel->addTableNow();
    EXPECT_EQ(message(panel), "Table already exists.");
    // Two fields of one name: the database refuses, the panel says so.
    setName(panel, "twins");
    setFieldName(panel, 1, "when_d_");
    panel->addTableNow();
    EXPECT_EQ(message(panel), "Error creating table.");
    EXPECT_TRUE(
        panel->nameAndFieldsPanelErrorDetailButton()->isVisibleTo(panel->nameAndFieldsPanel()));
    EXPECT_TRUE(columns("twins").empty());
    // So is a view's name, and nothing is made.
    setName(panel, "v");
    panel->addTableNow();
    EXPECT_EQ(message(panel), "Table already exists.");
    EXPECT_EQ(query("select type from sqlite_master where name = 'v'"),
              (std::vector<std::string>{"view"}));
    EXPECT_TRUE(fieldRows("v").empty());
}

// Create and Change read before they write: they wait out another program's write lock as long
// as the window's wait says; a lock that outlasts it fails them, and nothing is written.
TEST_F(NameAndFieldsPanelTest, CreateAndChangeWaitOutAnotherProgramsLockForTheWindowsWait) {
    // Made here, the file has the meta tables that a new table's rows are read from first.
    run("");
    ASSERT_EQ(DBInterface::createTable("t", 0, {"a", "b"}, {1, 1}, nullptr, nullptr, db, nullptr),
              0);
    run("insert into t values (1, 2)");
    TablesAndRowsController* c = show("t");
    NameAndFieldsPanel* p = openOn(c);
    p->nameAndFieldsPanelTableView()->selectRow(1);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    auto lockedFor = [this](std::chrono::milliseconds held, const std::function<void()>& act) {
        OtherProgram other({"hold", db, "begin immediate"});
        ASSERT_EQ(other.told(), "held");
        std::thread ending([&other, held] {
            std::this_thread::sleep_for(held);
            other.end();
        });
        act();
        ending.join();
    };
    const std::vector<std::string> before = query("select type, name, sql from sqlite_master");
    lockedFor(std::chrono::seconds(2), [&] { p->addTableNow(); });
    EXPECT_EQ(message(p), "Could not change fields.");
    EXPECT_EQ(query("select type, name, sql from sqlite_master"), before);

    DBConnection::setLockWaitOnThisThread(std::chrono::seconds(30));
    lockedFor(std::chrono::milliseconds(150), [&] { p->addTableNow(); });
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(columns("t"), std::vector<std::string>{"a"});

    p->addTableButtonPressed();
    p->nameAndFieldsPanelAddFieldButtonPressed();
    setName(p, "made");
    lockedFor(std::chrono::milliseconds(150), [&] { p->addTableNow(); });
    DBConnection::setLockWaitOnThisThread(DBConnection::kWindowLockWait);
    EXPECT_EQ(message(p), "Table was created.");
    EXPECT_EQ(columns("made"), std::vector<std::string>{"Field 1"});

    setName(p, "never");
    lockedFor(std::chrono::seconds(2), [&] { p->addTableNow(); });
    EXPECT_EQ(message(p), "Error creating table.");
    EXPECT_TRUE(columns("never").empty());
    EXPECT_TRUE(fieldRows("never").empty());
}

TEST_F(NameAndFieldsPanelTest, DeleteFieldIsRefusedOnlyWhileOneObjectThatIsNoTableIsSelected) {
    run("create table a (x); create view v as select 1 as y; create index a_x on a (x)");
    TablesAndRowsController* c = show("v");
    auto* panel = &partsOf(c).nameAndFields;
    panel->addTableButtonPressed();
    auto* deleteField =
        panel->nameAndFieldsPanel()->findChild<QPushButton*>("nameAndFieldsPanelDeleteFieldButton");
    ASSERT_TRUE(deleteField);
    EXPECT_FALSE(deleteField->isEnabled());
    c->selectTableWithName("a");
    EXPECT_TRUE(deleteField->isEnabled());
    c->selectTableWithName("a_x");
    EXPECT_FALSE(deleteField->isEnabled());
    // Two objects selected, or none: nothing speaks against it.
    QListWidget* list = c->view()->findChild<QListWidget*>("tablesTableView");
    list->item(rowOf(c, "a"))->setSelected(true);
    EXPECT_TRUE(deleteField->isEnabled());
    list->clearSelection();
    EXPECT_TRUE(deleteField->isEnabled());
    // Changing a table.
    c->selectTableWithName("a");
    panel->showNameAndFieldsPanel();
    EXPECT_TRUE(deleteField->isEnabled());
}

TEST_F(NameAndFieldsPanelTest, AWindowWhoseFileIsGoneSaysSoAndMakesNoNewDatabase) {
    run("create table Items (a)");
    TablesAndRowsController* c = show("Items");
    auto* panel = &partsOf(c).nameAndFields;
    panel->addTableButtonPressed();
    panel->nameAndFieldsPanelAddFieldButtonPressed();
    setName(panel, "fresh");
    std::filesystem::remove(db);
    const std::string gone = "The database file " + db +
                             " no longer exists. It may have been moved or deleted by another "
                             "program.";
    QTest::mouseClick(panel->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
    EXPECT_EQ(message(panel), gone);
    EXPECT_FALSE(std::filesystem::exists(db));
    // Changing the table shown is refused alike.
    openOn(c);
    setName(panel, "Renamed");
    QTest::mouseClick(panel->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
    EXPECT_EQ(message(panel), gone);
    EXPECT_FALSE(std::filesystem::exists(db));
}

TEST_F(NameAndFieldsPanelTest, FieldMenuMarksShowExpandedOverEverySelectedField) {
    run("create table t (a, b)");
    TablesAndRowsController* c = show("t");
    NameAndFieldsPanel* panel = openOn(c);
    chooseType(panel, 1, DBInterface::kFieldTypeNumber);
    QTableWidget* table = panel->nameAndFieldsPanelTableView();
    auto at = [table](int row) { return table->visualItemRect(table->item(row, 0)).center(); };
    auto selectedRows = [table] {
        std::vector<int> rows;
        for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
            rows.push_back(index.row());
        }
        return rows;
    };
    table->selectRow(0);
    ASSERT_TRUE(withContextMenu(table->viewport(), at(0), [&](QMenu* menu) {
        // A Text field has no display format.
        EXPECT_FALSE(menuItemNamed(menu, "nameAndFieldsPanelStyleMenuItemClicked")->isEnabled());
        QAction* expanded = menuItemNamed(menu, "nameAndFieldsPanelShowExpandedMenuItemClicked");
        EXPECT_EQ(menuItemState(expanded), kMenuItemOff);
        clickMenuItem(menu, expanded);
    }));
    // One of two selected fields shown expanded: the mark is mixed.
    table->selectAll();
    ASSERT_TRUE(withContextMenu(table->viewport(), at(1), [&](QMenu* menu) {
        EXPECT_EQ(
            menuItemState(menuItemNamed(menu, "nameAndFieldsPanelShowExpandedMenuItemClicked")),
            kMenuItemMixed);
        EXPECT_FALSE(menuItemNamed(menu, "nameAndFieldsPanelStyleMenuItemClicked")->isEnabled());
    }));
    EXPECT_EQ(selectedRows(), (std::vector<int>{0, 1}));
    // A right click outside the selection selects the row clicked alone.
    table->selectRow(0);
    ASSERT_TRUE(withContextMenu(table->viewport(), at(1), [&](QMenu* menu) {
        EXPECT_EQ(
            menuItemState(menuItemNamed(menu, "nameAndFieldsPanelShowExpandedMenuItemClicked")),
            kMenuItemOff);
        EXPECT_TRUE(menuItemNamed(menu, "nameAndFieldsPanelStyleMenuItemClicked")->isEnabled());
    }));
    EXPECT_EQ(selectedRows(), std::vector<int>{1});
}

TEST_F(NameAndFieldsPanelTest, ChangeReportsNoChangeCaseRenameFlagsAndFormatsOnly) {
    run("create table Items (name text, price number); insert into Items values ('pen', 1.5), "
        "('ink', 2)");
    TablesAndRowsController* c = show("Items");
    NameAndFieldsPanel* p = openOn(c);
    EXPECT_EQ(p->nameAndFieldsPanelCreateButton()->text().toStdString(), "Change");
    EXPECT_EQ(p->nameAndFieldsPanel()->windowTitle().toStdString(), "Table");
    // Without meta rows the first Change writes them.
    p->addTableNow();
    EXPECT_EQ(message(p), "System table was updated.");
    EXPECT_EQ(fieldRows("Items"), (std::vector<std::string>{"name", "1", "0", "price", "1", "0"}));
    p->addTableNow();
    EXPECT_EQ(message(p), "No changes made.");

    setName(p, "items");
    p->addTableNow();
    EXPECT_EQ(message(p), "Cannot change table name case.");
    EXPECT_TRUE(p->nameAndFieldsPanelErrorDetailButton()->isVisibleTo(p->nameAndFieldsPanel()));
    EXPECT_EQ(p->errorDetailString(),
              "To rename a table using different case, first rename it to a temporary name.");
    EXPECT_EQ(query("select name from sqlite_master where type = 'table' and name = 'Items'"),
              (std::vector<std::string>{"Items"}));
    setName(p, "Items");

    selectSpecial(p, NameAndFieldsPanel::ReplacingPickerTable);
    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(tableFlags("Items"), (std::vector<std::string>{"32768"}));

    // A display format alone rewrites the meta rows, not the table.
    const std::vector<std::string> before =
        query("select rootpage, sql from sqlite_master where name = 'Items'");
    const std::string bytes = tableBytes("Items");
    ASSERT_FALSE(bytes.empty());
    chooseType(p, 1, DBInterface::kFieldTypeNumber);
    p->nameAndFieldsPanelTableView()->selectRow(1);
    p->nameAndFieldsPanelShowExpandedMenuItemClicked();
    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(fieldRows("Items"),
              (std::vector<std::string>{"name", "1", "0", "price", "2", "256"}));
    EXPECT_EQ(query("select rootpage, sql from sqlite_master where name = 'Items'"), before);
    EXPECT_EQ(tableBytes("Items"), bytes);
    EXPECT_EQ(query("select rowid, name, price from Items"),
              (std::vector<std::string>{"1", "pen", "1.5", "2", "ink", "2"}));

    // A rename to a taken name is refused and changes nothing; another name takes the meta rows.
    run("create table Other (x)");
    setName(p, "Other");
    p->addTableNow();
    EXPECT_EQ(message(p), "Table already exists.");
    setName(p, "Goods");
    p->addTableNow();
    EXPECT_EQ(message(p), "Table name was changed.");
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "Goods");
    EXPECT_EQ(fieldRows("Goods"),
              (std::vector<std::string>{"name", "1", "0", "price", "2", "256"}));
    EXPECT_EQ(tableFlags("Goods"), (std::vector<std::string>{"32768"}));
    EXPECT_TRUE(fieldRows("Items").empty());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(NameAndFieldsPanelTest, DroppingAFieldAsksNamingItEvenWhenTheCountStaysAndCancelKeepsIt) {
    run("create table t (a text, b text, c text); create index t_b on t (b); insert into t "
        "values ('a1', 'b1', 'c1')");
    TablesAndRowsController* c = show("t");
    NameAndFieldsPanel* p = openOn(c);
    // Renaming and moving rebuild without asking.
    setFieldName(p, 0, "a2");
    EXPECT_TRUE(dropRows(p->nameAndFieldsPanelTableView(), kAddTableViewDataType, {2}, 0));
    EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"c", "a2", "b"}));
    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(query("select * from t"), (std::vector<std::string>{"c1", "a1", "b1"}));
    EXPECT_EQ(p->fieldRows().indices, (std::vector<int64_t>{0, 1, 2}));

    // Delete b and add another: the same count, yet b's data would go.
    p->nameAndFieldsPanelTableView()->selectRow(2);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    p->nameAndFieldsPanelAddFieldButtonPressed();
    alertAnswer = 1;  // Cancel
    p->addTableNow();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Change table definition?");
    EXPECT_TRUE(alerts[0].isSheet);
    EXPECT_NE(alerts[0].informativeText.find("lost: b"), std::string::npos)
        << alerts[0].informativeText;
    EXPECT_NE(alerts[0].informativeText.find("t_b"), std::string::npos);
    EXPECT_EQ(columns("t"), (std::vector<std::string>{"c", "a2", "b"}));
    EXPECT_EQ(query("select b from t"), (std::vector<std::string>{"b1"}));

    alertAnswer = 0;
    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(columns("t"), (std::vector<std::string>{"c", "a2", "Field 3"}));
    EXPECT_EQ(query("select * from t"), (std::vector<std::string>{"c1", "a1", ""}));
    EXPECT_EQ(gridValue(c, 0, 2), "a1");
    EXPECT_EQ(alerts.size(), 2u);
    // Fewer fields: the grid follows.
    p->nameAndFieldsPanelTableView()->selectRow(0);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(gridValue(c, 0, 1), "a1");
    EXPECT_EQ(alerts.size(), 3u);
    EXPECT_TRUE(query("select name from sqlite_master where name = 't_b'").empty());
}

TEST_F(NameAndFieldsPanelTest, RebuildKeepsChildRowsAndIndexesAndAFailedChangeWritesNothing) {
    UserDefaults::standard().setInteger(1, "EnableForeignKeyConstraints");
    run("create table parent (id integer primary key, name text, note text); create index "
        "parent_name on parent (name); create table child (pid integer references parent (id), "
        "x); insert into parent values (1, 'one', 'n1'), (2, 'two', 'n2'); insert into child "
        "values (1, 'a'), (2, 'b'), (2, 'c')");
    TablesAndRowsController* c = show("parent");
    NameAndFieldsPanel* p = openOn(c);
    setFieldName(p, 2, "remark");
    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(columns("parent"), (std::vector<std::string>{"id", "name", "remark"}));
    EXPECT_EQ(query("select count(*) from child"), (std::vector<std::string>{"3"}));
    EXPECT_EQ(query("select name from sqlite_master where type = 'index' and tbl_name = 'parent'"),
              (std::vector<std::string>{"parent_name"}));
    EXPECT_TRUE(query("pragma foreign_key_check").empty());
    // The grid reads the rebuilt table.
    EXPECT_EQ(gridValue(c, 1, 3), "n2");
    EXPECT_TRUE(alerts.empty());

    // Dropping the key a child refers to fails: renamed back, no flags, the panel keeps the edit.
    setName(p, "parent2");
    selectSpecial(p, NameAndFieldsPanel::LookupTable);
    p->nameAndFieldsPanelTableView()->selectRow(0);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    p->addTableNow();
    EXPECT_EQ(message(p), "Could not change fields.");
    EXPECT_TRUE(p->errorDetailString().has_value());
    EXPECT_EQ(query("select name from sqlite_master where name like 'parent%' and type = 'table'"),
              (std::vector<std::string>{"parent"}));
    EXPECT_EQ(columns("parent"), (std::vector<std::string>{"id", "name", "remark"}));
    EXPECT_TRUE(tableFlags("parent2").empty());
    EXPECT_EQ(tableFlags("parent"), (std::vector<std::string>{"0"}));
    EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"name", "remark"}));
}

TEST_F(NameAndFieldsPanelTest, TypeMenuTagsLookupsPickersAndEditsOfTheEditedRow) {
    run("create table colours (name text); create table t (a, b, c)");
    std::string error;
    ASSERT_EQ(DBInterface::updateSystemTable("colours", 8, true, db, &error), 0) << error;
    ASSERT_EQ(DBInterface::addPickerType("Sizes", {"S", "M"}, db, &error), 0) << error;
    TablesAndRowsController* c = show("t");
    c->reloadPickerTypes();
    NameAndFieldsPanel* p = openOn(c);
    const auto& special = c->state().fieldModel.specialTableNames;
    ASSERT_EQ(special, (std::vector<std::string>{"colours"}));
    const std::string sizes = c->state().pickerTypes.pickerTypeArrays.at(0).first;
    const int pickerCode = 10000 + std::stoi(sizes);

    chooseType(p, 2, 90000);
    EXPECT_EQ(p->fieldRows().types[2], DBInterface::kFieldTypeText);
    EXPECT_EQ(p->fieldRows().lookupTables[2], "colours");
    chooseType(p, 1, pickerCode);
    EXPECT_EQ(p->fieldRows().types[1], pickerCode);
    // A fresh pop-up preselects the lookup table and the picker, tagged by row.
    QComboBox popUp;
    auto types = p->fieldRows().types;
    auto lookups = p->fieldRows().lookupTables;
    FieldTypeMenu::updateTableCellView(
        &popUp, types, lookups, [](int) {}, 2, c->state());
    ASSERT_EQ(popUp.count(), 11);
    EXPECT_EQ(popUp.currentText().toStdString(), "colours");
    EXPECT_EQ(popUp.currentData().toInt(), 2 * 100000 + 90000);
    QComboBox pickerPopUp;
    FieldTypeMenu::updateTableCellView(
        &pickerPopUp, types, lookups, [](int) {}, 1, c->state());
    EXPECT_EQ(pickerPopUp.currentText().toStdString(), "Sizes");
    EXPECT_EQ(FieldTypeMenu::rowOfTag(pickerPopUp.currentData().toInt()), 1);
    EXPECT_EQ(FieldTypeMenu::codeOfTag(pickerPopUp.currentData().toInt()), pickerCode);
    // A base type afterwards clears the lookup table.
    chooseType(p, 2, DBInterface::kFieldTypeDate);
    EXPECT_EQ(p->fieldRows().lookupTables[2], "");

    // The end of an edit names the row edited, not the row selected meanwhile.
    p->nameAndFieldsPanelTableView()->selectRow(0);
    setFieldName(p, 1, "size");
    EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"a", "size", "c"}));
    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(fieldRows("t"),
              (std::vector<std::string>{"a", "1", "0", "size", std::to_string(pickerCode), "0", "c",
                                        "3", "0"}));
}

}  // namespace

namespace {

class FormatStyleSheetTest : public NameAndFieldsPanelTest {
  protected:
    // Opens the sheet of the row, as the row's context menu does.
    FormatStyleSheet* openSheet(NameAndFieldsPanel* p, int row) {
        p->nameAndFieldsPanelTableView()->selectRow(row);
        p->nameAndFieldsPanelStyleMenuItemClicked();
        return p->formatStyleSheet();
    }
    static int selectedRow(QTableWidget* list) {
        auto rows = list->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }
};

TEST_F(FormatStyleSheetTest, SheetsComposeCodesAndKeepTheExpandedBit) {
    run("create table t (n, d, tm, x)");
    TablesAndRowsController* c = show("t");
    NameAndFieldsPanel* p = openOn(c);
    chooseType(p, 0, DBInterface::kFieldTypeNumber);
    chooseType(p, 1, DBInterface::kFieldTypeDate);
    chooseType(p, 2, DBInterface::kFieldTypeTime);

    // A Text field has no sheet.
    EXPECT_EQ(openSheet(p, 3), nullptr);

    FormatStyleSheet* number = openSheet(p, 0);
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->styleTableView()->rowCount(), 8);
    EXPECT_EQ(number->minimumField()->value(), 0);
    EXPECT_EQ(number->maximumField()->value(), 2);
    EXPECT_EQ(number->styleTableView()->item(1, 1)->text().toStdString(), "1234.56");
    EXPECT_EQ(number->styleTableView()->item(2, 1)->text().toStdString(), "1235");
    number->styleTableView()->selectRow(3);
    number->minimumField()->setValue(2);
    number->maximumField()->setValue(1);
    QTest::mouseClick(number->doneButton(), Qt::LeftButton);
    EXPECT_EQ(p->fieldRows().formatStyles[0], 3 | (2 << 16) | (2 << 24));
    EXPECT_FALSE(number->isVisible());
    // Only the low byte of a typed digit count is kept.
    number = openSheet(p, 0);
    EXPECT_EQ(number->maximumField()->value(), 2);
    number->minimumField()->setValue(300);
    p->formatStyleWindowDoneButtonPressed();
    EXPECT_EQ(p->fieldRows().formatStyles[0], 3 | (44 << 16) | (44 << 24));

    // The expanded bit survives a new format.
    p->nameAndFieldsPanelTableView()->selectRow(1);
    p->nameAndFieldsPanelShowExpandedMenuItemClicked();
    FormatStyleSheet* date = openSheet(p, 1);
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(selectedRow(date->styleTableView()), 0);
    date->styleTableView()->selectRow(5);
    p->formatStyleWindowDoneButtonPressed();
    EXPECT_EQ(p->fieldRows().formatStyles[1], 5 | 0x100);

    FormatStyleSheet* time = openSheet(p, 2);
    ASSERT_NE(time, nullptr);
    // Done without a style chosen leaves the code.
    time->styleTableView()->clearSelection();
    p->formatStyleWindowDoneButtonPressed();
    EXPECT_EQ(p->fieldRows().formatStyles[2], 0);
    time = openSheet(p, 2);
    time->styleTableView()->selectRow(4);
    time->dateTableView()->selectRow(2);       // Long
    time->timeOfDayTableView()->selectRow(0);  // Short
    p->formatStyleWindowDoneButtonPressed();
    EXPECT_EQ(p->fieldRows().formatStyles[2], 4 + (3 << 16) + (1 << 24));
    // Cancel writes nothing; the parts keep their choice for the next opening.
    time = openSheet(p, 2);
    EXPECT_EQ(selectedRow(time->dateTableView()), 2);
    time->styleTableView()->selectRow(2);
    p->formatStyleWindowCancelButtonPressed();
    EXPECT_EQ(p->fieldRows().formatStyles[2], 4 + (3 << 16) + (1 << 24));

    p->addTableNow();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(fieldRows("t"),
              (std::vector<std::string>{"n", "2", std::to_string(3 | (44 << 16) | (44 << 24)), "d",
                                        "3", "261", "tm", "4",
                                        std::to_string(4 + (3 << 16) + (1 << 24)), "x", "1", "0"}));
}

}  // namespace

TEST_F(NameAndFieldsPanelTest, DraggedLinesMoveTogetherInAllFiveListsToTheLineNearestTheDrop) {
    run("create table f (a text, b integer, c real, d blob, e text)");
    NameAndFieldsPanel* p = openOn(show("f"));
    QTableWidget* list = p->nameAndFieldsPanelTableView();
    const auto before = p->fieldRows();
    // Over the first line, near its top.
    EXPECT_TRUE(dropRows(list, kAddTableViewDataType, {1, 3}, 0, true));
    const auto after = p->fieldRows();
    const std::vector<size_t> order = {1, 3, 0, 2, 4};
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(after.names[i], before.names[order[i]]);
        EXPECT_EQ(after.types[i], before.types[order[i]]);
        EXPECT_EQ(after.formatStyles[i], before.formatStyles[order[i]]);
        EXPECT_EQ(after.lookupTables[i], before.lookupTables[order[i]]);
        EXPECT_EQ(after.indices[i], before.indices[order[i]]);
    }
    EXPECT_EQ(after.indices, (std::vector<int64_t>{1, 3, 0, 2, 4}));
    // After the last line.
    EXPECT_TRUE(dropRows(list, kAddTableViewDataType, {0}, 5));
    EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"d", "a", "c", "e", "b"}));

    // The same with the mouse: a line pressed and dragged, then two lines, one added by a
    // Control-click, dragged by one of them; neither opens the name editor.
    list->clearSelection();
    mouseDragRow(list, 4, 0);
    EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"b", "d", "a", "c", "e"}));
    auto rowCenter = [list](int row) {
        return list->visualRect(list->model()->index(row, 0)).center();
    };
    list->clearSelection();
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCenter(1));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowCenter(3));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    mouseDragRow(list, 3, 5);
    EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"b", "a", "e", "d", "c"}));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_FALSE(hasOpenEditor(list));
}

TEST_F(NameAndFieldsPanelTest, ThePanelFollowsTheWindowToAnotherDatabase) {
    run("create table people (a, b, c)");
    const std::string other = pathInDocuments("other.db");
    run("create table things (x)", other);
    const std::string empty = pathInDocuments("empty.db");
    writeFile(empty, "");
    show("things", other);  // the table the other database opens with
    TablesAndRowsController* c = show("people");

    // Unchanged, it shows the other database's table, and closes on one without a table.
    NameAndFieldsPanel* panel = openOn(c);
    c->checkAndShowDatabase(other, false);
    ASSERT_TRUE(panel->isNameAndFieldsPanelVisible());
    EXPECT_EQ(panel->fieldRows().names, std::vector<std::string>{"x"});
    c->checkAndShowDatabase(empty, false);
    EXPECT_FALSE(panel->isNameAndFieldsPanelVisible());
    panel->addTableNow();
    EXPECT_EQ(directQuery(empty, "select count(*) from sqlite_master where name = 'people'"),
              std::vector<std::string>{"0"});
    EXPECT_TRUE(alerts.empty());

    // Edited, its edits are reported, not carried into the database shown next.
    c->checkAndShowDatabase(db, false);
    c->selectTableWithName(std::string("people"));
    openOn(c);
    setFieldName(panel, 1, "renamed");
    c->checkAndShowDatabase(empty, false);
    EXPECT_FALSE(panel->isNameAndFieldsPanelVisible());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(),
              "Changes Not Applied|The changes to table \"people\" were not applied: the window "
              "now shows another database.");
    EXPECT_EQ(columns("people"), (std::vector<std::string>{"a", "b", "c"}));

    // A new table's design starts afresh for the other database when nothing was entered.
    alerts.clear();
    panel->addTableButtonPressed();
    c->checkAndShowDatabase(other, false);
    ASSERT_TRUE(panel->isNameAndFieldsPanelVisible());
    EXPECT_TRUE(panel->fieldRows().names.empty());
    panel->nameAndFieldsPanelAddFieldButtonPressed();
    c->checkAndShowDatabase(db, false);
    EXPECT_FALSE(panel->isNameAndFieldsPanelVisible());
    EXPECT_EQ(alerts.size(), 1u);
}

// A table sorted on price descending, then quantity, searched in name, with a current print
// layout that prints name, pid and price.
class FieldSettingsTest : public NameAndFieldsPanelTest {
  protected:
    void SetUp() override {
        NameAndFieldsPanelTest::SetUp();
        run("create table items (id, name, quantity, price, pid); insert into items values "
            "(1, 'apple', 5, 2.5, 'p-10'), (2, 'bread', 1, 4, 'p-20'), (3, 'cheese', 9, 7.25, "
            "'p-30'), (4, 'dates', 3, 1, 'p-40')");
        ASSERT_EQ(DBInterface::updateSortCodes({8, 5, 0}, "items", db, nullptr), 0);
        ASSERT_EQ(DBInterface::updateSearchFields({1}, true, nullptr, "items", db, nullptr), 0);
        PrintLayout labels;
        labels.rowsInPrintView = labels.columnsInPrintView = 1;
        labels.boxObjects = nlohmann::json::array({{{"type", 1}, {"field_index", 1}},
                                                   {{"type", 100001}, {"text", "/"}},
                                                   {{"type", 1}, {"field_index", 4}},
                                                   {{"type", 1}, {"field_index", 3}}});
        PrintLayoutStore::savePrintLayoutToName(labels, std::string("Labels"));
        UserDefaults::standard().setObject(nlohmann::json::array({"Labels"}), "PrintLayouts");
        PrintLayoutStore::setCurrentPrintLayoutName(std::string("Labels"));
        c = show("items");
        p = openOn(c);
    }
    // The names down the grid, name being the field at that position.
    std::vector<std::string> namesInGrid(int64_t namePosition) const {
        std::vector<std::string> names;
        for (int64_t row = 0; row < c->state().dataPort.totalRows; ++row) {
            names.push_back(gridValue(c, row, namePosition + 1));
        }
        return names;
    }
    // The rows the search finds and the field it names.
    std::pair<int64_t, std::string> search(const QString& text) {
        SearchPanel& panel = partsOf(c).search;
        panel.showSearchPanel();
        panel.searchPanelSearchField()->setText(text);
        QTest::mouseClick(panel.searchPanelSearchButton(), Qt::LeftButton);
        std::pair<int64_t, std::string> found(
            c->state().dataPort.totalRows,
            panel.searchPanelSearchField()->placeholderText().toStdString());
        panel.searchPanelSearchField()->clear();
        QTest::mouseClick(panel.searchPanelSearchButton(), Qt::LeftButton);
        return found;
    }
    // The texts of the first box as the print console fills it.
    std::vector<std::string> printedBox() {
        c->selectConsole(TablesAndRowsState::PrintConsole);
        std::vector<std::string> texts;
        for (const auto& object : partsOf(c).print.loadBoxObjects(0)) {
            texts.push_back(object.value("text", std::string()));
        }
        c->selectConsole(TablesAndRowsState::RowsConsole);
        return texts;
    }
    void change() {
        p->addTableNow();
        QApplication::processEvents();
    }

    TablesAndRowsController* c = nullptr;
    NameAndFieldsPanel* p = nullptr;
};

TEST_F(FieldSettingsTest, SortSearchAndLayoutFollowMovedRenamedAndDeletedFields) {
    using Names = std::vector<std::string>;
    const Names byPrice = {"cheese", "bread", "apple", "dates"};
    EXPECT_EQ(namesInGrid(1), byPrice);
    EXPECT_EQ(search("p-"), std::make_pair(int64_t{0}, std::string("Search name")));
    EXPECT_EQ(printedBox(), (Names{"cheese", "/", "p-30", "7.25"}));

    // pid dragged up to the second line.
    EXPECT_TRUE(dropRows(p->nameAndFieldsPanelTableView(), kAddTableViewDataType, {4}, 1));
    change();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(columns("items"), (Names{"id", "pid", "name", "quantity", "price"}));
    EXPECT_EQ(c->state().sortAndSearch.sortCodes, (std::vector<int>{10, 7, 0}));
    EXPECT_EQ(namesInGrid(2), byPrice);
    EXPECT_EQ(search("p-"), std::make_pair(int64_t{0}, std::string("Search name")));
    EXPECT_EQ(search("bread").first, 1);
    EXPECT_EQ(printedBox(), (Names{"cheese", "/", "p-30", "7.25"}));

    // A renamed field keeps its settings; one added at the end changes none.
    setFieldName(p, 2, "title");
    p->nameAndFieldsPanelAddFieldButtonPressed();
    change();
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(columns("items"), (Names{"id", "pid", "title", "quantity", "price", "Field 6"}));
    EXPECT_EQ(c->state().sortAndSearch.sortCodes, (std::vector<int>{10, 7, 0}));
    EXPECT_EQ(search("apple"), std::make_pair(int64_t{1}, std::string("Search title")));
    EXPECT_EQ(printedBox(), (Names{"cheese", "/", "p-30", "7.25"}));

    // Deleting price drops the sort on it, quantity sorting first, and the layout's price.
    p->nameAndFieldsPanelTableView()->selectRow(4);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    change();
    EXPECT_EQ(message(p),
              "Table was changed. Dropped with the deleted fields: sort on price, "
              "fields of print layout Labels.");
    EXPECT_EQ(c->state().sortAndSearch.sortCodes, (std::vector<int>{7, 0, 0}));
    EXPECT_EQ(namesInGrid(2), (Names{"bread", "dates", "apple", "cheese"}));
    EXPECT_EQ(printedBox(), (Names{"bread", "/", "p-20"}));
    // Deleting the searched field: the search falls back to the first field.
    p->nameAndFieldsPanelTableView()->selectRow(2);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    change();
    EXPECT_EQ(message(p),
              "Table was changed. Dropped with the deleted fields: search in title, "
              "fields of print layout Labels.");
    EXPECT_EQ(query("select search_field from varnelo_db_tables where name = 'items'"),
              (Names{";="}));
    EXPECT_EQ(printedBox(), (Names{"/", "p-20"}));
    EXPECT_EQ(alerts.size(), 3u);
}

// The field objects of the stored layout, by their field positions.
static std::vector<int64_t> storedFieldPositions(const std::string& layout) {
    PrintLayout stored;
    PrintLayoutStore::restorePrintLayoutFromName(&stored, layout);
    std::vector<int64_t> positions;
    for (const auto& object : stored.boxObjects) {
        if (object.contains("field_index")) positions.push_back(object["field_index"]);
    }
    return positions;
}

TEST_F(FieldSettingsTest, ALayoutPanelLeftOpenOverTheGridShowsAndSavesTheMovedFields) {
    c->selectConsole(TablesAndRowsState::PrintConsole);
    PrintConsole& print = partsOf(c).print;
    QTest::mouseClick(print.view()->findChild<QPushButton*>("printViewLayoutButton"),
                      Qt::LeftButton);
    LayoutPanel* layoutPanel = print.layoutPanel();
    ASSERT_NE(layoutPanel, nullptr);
    auto* objects = layoutPanel->findChild<QListWidget*>("layoutPanelObjectsTableView");
    auto* rows = layoutPanel->findChild<QLineEdit*>("layoutPanelPageGridRowsTextField");
    auto listed = [objects] {
        std::vector<std::string> texts;
        for (int row = 0; row < objects->count(); ++row) {
            texts.push_back(objects->item(row)->text().toStdString());
        }
        return texts;
    };
    // An edit of the panel saves the layout it holds.
    auto saveFromPanel = [rows](const char* count) {
        rows->setText(count);
        QTest::keyClick(rows, Qt::Key_Return);
    };
    c->selectConsole(TablesAndRowsState::RowsConsole);
    ASSERT_TRUE(layoutPanel->isVisible());

    // pid dragged up to the second line.
    EXPECT_TRUE(dropRows(p->nameAndFieldsPanelTableView(), kAddTableViewDataType, {4}, 1));
    change();
    ASSERT_EQ(storedFieldPositions("Labels"), (std::vector<int64_t>{2, 1, 4}));
    std::vector<std::string> shown = listed();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], "F  3. name");
    EXPECT_EQ(shown[2], "F  2. pid");
    EXPECT_EQ(shown[3], "F  5. price");
    saveFromPanel("2");
    EXPECT_EQ(storedFieldPositions("Labels"), (std::vector<int64_t>{2, 1, 4}));

    // price deleted: its object does not come back with the next save.
    p->nameAndFieldsPanelTableView()->selectRow(4);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    change();
    EXPECT_EQ(listed().size(), 3u);
    saveFromPanel("3");
    EXPECT_EQ(storedFieldPositions("Labels"), (std::vector<int64_t>{2, 1}));
    for (const std::string& text : listed()) EXPECT_EQ(text.find("(No Field)"), std::string::npos);
}

TEST_F(FieldSettingsTest, ARebuildRemakesTheSortIndexesOfTheOrderItMoved) {
    // The stored order's indexes are built by sorting the same way.
    SortPanel& sort = partsOf(c).sort;
    sort.showTableSortFieldsForRowIndex(rowOf(c, "items"));
    QTest::mouseClick(sort.sortPanelSortButton(), Qt::LeftButton);
    ASSERT_TRUE(DBInterface::hasSortIndexes({8, 5, 0}, "items", db));
    // price, key 1, deleted: quantity sorts first, on its text without regard to case.
    p->nameAndFieldsPanelTableView()->selectRow(3);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    change();
    ASSERT_EQ(c->state().sortAndSearch.sortCodes, (std::vector<int>{5, 0, 0}));
    EXPECT_TRUE(DBInterface::hasSortIndexes({5, 0, 0}, "items", db));
    DBInterface::GridQuery grid;
    ASSERT_EQ(DBInterface::buildGridQuery(&grid, "items", "", {}, {5, 0, 0}, 1, 0, 0, db, nullptr),
              0);
    std::string plan;
    for (const std::string& step : query("explain query plan " + grid.select + " limit 20"))
        plan += step + " ";
    EXPECT_NE(plan.find("USING INDEX ind1_"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
}

TEST_F(NameAndFieldsPanelTest, DeletingFieldsNamesTheViewsThatReadThem) {
    run("create table t (name, price, \"we\"\"ight\", note); insert into t values ('a', 1, 2, "
        "'n'); create view v_price as select name, price from t; create view v_weight as select "
        "\"we\"\"ight\" * 2 as twice from t; create view v_case as select name from t where "
        "PRICE > 0; create view v_plain as select name, note from t; create view v_literal as "
        "select 'price' as price, 'we\"ight' as label, name from t; create view v_nested as "
        "select twice from v_weight");
    TablesAndRowsController* c = show("t");
    NameAndFieldsPanel* p = openOn(c);
    // Deleting note: no view but v_plain reads it.
    p->nameAndFieldsPanelTableView()->selectRow(3);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    alertAnswer = 1;
    p->addTableNow();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].informativeText.find("These views read the deleted fields: v_plain"),
              std::string::npos)
        << alerts[0].informativeText;

    openOn(c);
    p->nameAndFieldsPanelTableView()->selectRow(1);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    p->nameAndFieldsPanelTableView()->selectRow(1);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"name", "note"}));
    p->addTableNow();
    ASSERT_EQ(alerts.size(), 2u);
    const std::string& text = alerts[1].informativeText;
    EXPECT_NE(text.find("lost: price, we\"ight"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.rfind("\n\n") + 2),
              "These views read the deleted fields: v_price, v_weight, v_case, v_nested");
}

// Triggers that read a deleted field, of other tables and views or through a view, are named
// beside the views and kept as they are; the table's own triggers that read it themselves are
// among the objects deleted.
TEST_F(NameAndFieldsPanelTest, DeletingAFieldNamesTheTriggersOfOtherObjectsThatReadIt) {
    run("create table u (a, b); insert into u values (1, 2); create table other (x); create "
        "table log (v); create view v_b as select b from u; create view v_log as select v from "
        "log; create trigger t_other after insert on other begin insert into log select b from "
        "u; end; create trigger t_a after delete on other begin insert into log select a from u; "
        "end; create trigger t_view instead of insert on v_log begin insert into log select "
        "\"B\" from v_b; end; create trigger t_own after insert on u begin insert into log "
        "values (new.b); end; create trigger t_own_view after delete on u begin insert into log "
        "select * from v_b; end");
    const std::string kept =
        "select name, sql from sqlite_master where name in ('t_other', "
        "'t_a', 't_view', 't_own_view') order by name";
    const std::vector<std::string> before = query(kept);
    TablesAndRowsController* c = show("u");
    NameAndFieldsPanel* p = openOn(c);
    p->nameAndFieldsPanelTableView()->selectRow(1);
    p->nameAndFieldsPanelDeleteFieldButtonPressed();
    QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
    ASSERT_EQ(alerts.size(), 1u);
    const std::string& text = alerts[0].informativeText;
    EXPECT_NE(text.find("These indexes and triggers will be deleted: t_own"), std::string::npos)
        << text;
    EXPECT_EQ(text.substr(text.find("These views")),
              "These views read the deleted fields: v_b\n\nThese triggers use the deleted "
              "fields: t_other, t_view, t_own_view");
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(query(kept), before);
    EXPECT_TRUE(query("select name from sqlite_master where name = 't_own'").empty());
}

// A trigger that writes a deleted field reads nothing of it, yet fails once it is gone: the
// table's own are deleted, those of other tables named and kept, and the table takes rows.
TEST_F(NameAndFieldsPanelTest, DeletingAFieldDropsItsOwnTriggersThatWriteItAndNamesTheOthers) {
    run("create table u2 (a, b); create trigger t_set after insert on u2 begin update u2 set b "
        "= 'x' where rowid = new.rowid; end; create table o2 (y); create trigger t_ins after "
        "insert on o2 begin insert into u2 (a, b) values (new.y, new.y); end; create trigger "
        "t_upd after insert on o2 begin update u2 set b = new.y; end; create table u3 (a, b); "
        "insert into u3 values (1, 2), (3, 4); create trigger t_again after delete on u3 begin "
        "insert into u3 (a, b) values (old.a, 'again'); end");
    TablesAndRowsController* c = show("u2");
    NameAndFieldsPanel* p = openOn(c);
    const std::string text = deleteFieldAndChange(p, 1);
    EXPECT_NE(text.find("These indexes and triggers will be deleted: t_set\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.substr(text.rfind("\n\n") + 2),
              "These triggers use the deleted fields: t_ins, t_upd");
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(query("select name from sqlite_master where type = 'trigger' order by name"),
              (std::vector<std::string>{"t_again", "t_ins", "t_upd"}));
    // u2 takes rows again; o2's named triggers fail its inserts, as the user was told.
    run("insert into u2 values ('n')");
    EXPECT_EQ(query("select a from u2"), std::vector<std::string>{"n"});
    std::string error;
    EXPECT_NE(DBInterface::execCommandString("insert into o2 values ('z')", db, &error), 0);
    EXPECT_TRUE(error == "table u2 has no column named b" || error == "no such column: b") << error;

    c->selectTableWithName("u3");
    const std::string own = deleteFieldAndChange(openOn(c), 1);
    EXPECT_EQ(own.substr(own.rfind("\n\n") + 2),
              "These indexes and triggers will be deleted: t_again");
    EXPECT_EQ(message(p), "Table was changed.");
    run("delete from u3 where a = 1");
    EXPECT_EQ(query("select a from u3"), (std::vector<std::string>{"3"}));
}

TEST_F(NameAndFieldsPanelTest, DeletingAFieldDropsAndNamesTheIndexesAndTriggersReadingItInside) {
    // Each object on its table u_<name> (a, b) reads b only inside an expression; kept, it
    // would read "b" as a text.
    const std::pair<std::string, std::string> objects[] = {
        {"ue", "create unique index ue on u_ue (lower(\"b\"))"},
        {"up", "create unique index up on u_up (a) where \"b\" > 0"},
        {"uw", "create unique index uw on u_uw (a) where b > 0"},
        {"tq",
         "create trigger tq after insert on u_tq begin update u_tq set a = a || "
         "lower(\"b\") where a = new.a; end"},
        {"tn",
         "create trigger tn after insert on u_tn begin update u_tn set a = a || "
         "coalesce(new.b, '') where a = new.a; end"},
    };
    for (const auto& [name, sql] : objects) run("create table u_" + name + " (a, b); " + sql);
    TablesAndRowsController* c = show("u_ue");
    for (const auto& [name, sql] : objects) {
        SCOPED_TRACE(name);
        const std::string table = "u_" + name;
        c->selectTableWithName(table);
        NameAndFieldsPanel* p = openOn(c);
        p->nameAndFieldsPanelTableView()->selectRow(1);
        QTest::mouseClick(
            p->nameAndFieldsPanel()->findChild<QPushButton*>("nameAndFieldsPanelDeleteFieldButton"),
            Qt::LeftButton);
        alerts.clear();
        QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_NE(
            alerts[0].informativeText.find("These indexes and triggers will be deleted: " + name),
            std::string::npos)
            << alerts[0].informativeText;
        EXPECT_EQ(message(p), "Table was changed.");
        EXPECT_EQ(query("select count(*) from sqlite_master where tbl_name = '" + table +
                        "' and type in ('index', 'trigger')"),
                  (std::vector<std::string>{"0"}));
        run("insert into " + table + " values ('x'), ('x')");
        EXPECT_EQ(query("select a from " + table), (std::vector<std::string>{"x", "x"}));
    }
}

// Change writes the meta rows a table made elsewhere lacks under the table's own name, once;
// no table of a cleaned name is made and no other table's rows are touched.
TEST_F(NameAndFieldsPanelTest, MetaRowsOfATableNamedWithQuotingCharactersGoUnderItsOwnName) {
    run("create table \"r[s]\" (a, b); insert into \"r[s]\" values (1, 2); create table n_m (x); "
        "create table \"n\"\"m\" (x)");
    std::string error;
    ASSERT_EQ(DBInterface::changeFieldsForTable("n_m", {"x"}, {2}, nullptr, {""}, db, &error), 0)
        << error;
    TablesAndRowsController* c = show("r[s]");
    NameAndFieldsPanel* p = openOn(c);
    QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
    EXPECT_EQ(message(p), "System table was updated.");
    QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
    EXPECT_EQ(message(p), "No changes made.");
    EXPECT_EQ(fieldRows("r[s]"), (std::vector<std::string>{"a", "1", "0", "b", "1", "0"}));
    EXPECT_EQ(query("select count(*) from varnelo_db_tables where name = 'r[s]'"),
              std::vector<std::string>{"1"});
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), "r[s]");

    c->selectTableWithName("n\"m");
    openOn(c);
    setFieldName(p, 0, "z");
    QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(fieldRows("n\"m"), (std::vector<std::string>{"z", "1", "0"}));
    EXPECT_EQ(fieldRows("n_m"), (std::vector<std::string>{"x", "2", "0"}));
    EXPECT_EQ(query("select name from sqlite_master where type = 'table' and name not like "
                    "'varnelo%' order by name"),
              (std::vector<std::string>{"n\"m", "n_m", "r[s]"}));
    EXPECT_EQ(query("select name from varnelo_db_tables order by name"),
              (std::vector<std::string>{"n\"m", "r[s]"}));
    EXPECT_EQ(query("select * from \"r[s]\""), (std::vector<std::string>{"1", "2"}));
}

TEST_F(NameAndFieldsPanelTest, NamesSQLiteTakesOrTheListsHideAreRefusedAndAnExistingNameStands) {
    run("create table \"tab \"\"q\"\" [b] 🙂\" (a, b)");
    std::string error;
    for (const char* table : {"Stuff", "q_1"}) {
        ASSERT_EQ(DBInterface::createTable(table, 0, {"a"}, {1}, nullptr, nullptr, db, &error), 0);
    }
    run("create index byA on Stuff (a)");
    const std::string reserved = "The name varnelo_db_notes is reserved for the program.";
    const std::pair<const char*, std::string> refused[] = {
        {"STUFF", "Table already exists."},
        {"Q\"1", "Table already exists."},
        {"bya", "Table already exists."},
        {"varnelo_db_notes", reserved},
        {"VARNELO_DB_x", "The name VARNELO_DB_x is reserved for the program."},
    };
    const auto schema = [this] {
        return query(
            "select name from sqlite_master union all select name from "
            "varnelo_db_tables union all select table_name from varnelo_db_fields");
    };
    const std::vector<std::string> before = schema();
    TablesAndRowsController* c = show("q_1");
    NameAndFieldsPanel* p = &partsOf(c).nameAndFields;
    p->addTableButtonPressed();
    p->nameAndFieldsPanelAddFieldButtonPressed();
    for (const auto& [typed, text] : refused) {
        setName(p, typed);
        QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
        EXPECT_EQ(message(p), text) << "create " << typed;
    }
    // Renaming q_1 to any of them is refused alike (but for its own name in another case).
    openOn(c);
    for (const auto& [typed, text] : refused) {
        if (std::string(typed) == "Q\"1") continue;
        setName(p, typed);
        QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
        EXPECT_EQ(message(p), text) << "rename to " << typed;
    }
    EXPECT_EQ(schema(), before);

    // Renaming a field of a table named elsewhere keeps the table's name.
    const std::string hostile = "tab \"q\" [b] 🙂";
    c->selectTableWithName(hostile);
    openOn(c);
    setFieldName(p, 1, "c");
    QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
    EXPECT_EQ(message(p), "Table was changed.");
    EXPECT_EQ(columns(hostile), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(c->selectedTableNameIfOnlyOne(), hostile);
}

TEST_F(NameAndFieldsPanelTest, AFieldAddedElsewhereIsKeptWithItsValuesAndTheChangeRefused) {
    const std::string fieldsChanged =
        "The fields of the table have changed. Reload the table to see its rows.";
    const std::string addC = "alter table t add column c; update t set c = 'c' || rowid";
    struct Case {
        const char* elsewhere;
        // Adds the column once the panel is open, or, with sheet, while the question is asked.
        std::function<void()> addColumn;
        bool whileAsked = false;
    };
    const std::vector<Case> cases = {
        {"another program", [&] { directExec(db, addC); }},
        {"another window",
         [&] {
             TablesAndRowsWindow* other =
                 app->showDatabase(db, 1, false, std::string("t"), TablesAndRowsState::SQLConsole);
             auto* console = &partsOf(app->tablesAndRowsControllerForWindowIndex(1)).sql;
             console->queryTextView()->setPlainText(QString::fromStdString(addC));
             console->executeButtonPressed();
             other->close();
         }},
        {"while the question is asked", [&] { directExec(db, addC); }, true},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.elsewhere);
        run("drop table if exists t; create table t (a, b); insert into t select value, value "
            "from generate_series(1, 20)");
        TablesAndRowsController* c = show("t");
        if (!each.whileAsked) each.addColumn();
        QWidget* window = app->databaseWindowForWindowIndex(0);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        NameAndFieldsPanel* p = &partsOf(c).nameAndFields;
        ASSERT_EQ(p->fieldRows().names, (std::vector<std::string>{"a", "b"}));
        setFieldName(p, 1, "b2");
        if (each.whileAsked) {
            // Adding a field asks; the other program writes while the sheet is open.
            p->nameAndFieldsPanelAddFieldButtonPressed();
            whileAlertShown = each.addColumn;
        }
        alerts.clear();
        QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(message(p), fieldsChanged);
        EXPECT_EQ(alerts.size(), each.whileAsked ? 1u : 0u);
        EXPECT_EQ(columns("t"), (std::vector<std::string>{"a", "b", "c"}));
        EXPECT_EQ(query("select count(*) from t where c = 'c' || rowid"),
                  std::vector<std::string>{"20"});
        // The edits stay; the reloaded table lists its fields.
        EXPECT_EQ(p->fieldRows().names[1], "b2");
        QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier);
        EXPECT_EQ(p->fieldRows().names, (std::vector<std::string>{"a", "b", "c"}));
    }
}

// A panel filled before another window or program changed a field's type, format or lookup
// table renames another field: the rebuild would write the old setting back, so it is refused.
TEST_F(NameAndFieldsPanelTest, AFieldSettingChangedElsewhereIsNotWrittenBackByAStalePanel) {
    const std::string fieldsChanged =
        "The fields of the table have changed. Reload the table to see its rows.";
    struct Case {
        const char* elsewhere;
        std::function<void()> change;
        const char* rowOfB;
    };
    const std::vector<Case> cases = {
        {"another window sets b to Number",
         [&] {
             app->showDatabase(db, 1, false, std::string("t"), TablesAndRowsState::RowsConsole);
             NameAndFieldsPanel* other = openOn(app->tablesAndRowsControllerForWindowIndex(1));
             chooseType(other, 1, DBInterface::kFieldTypeNumber);
             QTest::mouseClick(other->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
             QApplication::processEvents();
             app->databaseWindowForWindowIndex(1)->close();
         },
         "b|2|0|"},
        {"another program shows b in the expanded panel",
         [&] { directExec(db, "update varnelo_db_fields set flags = 256 where name = 'b'"); },
         "b|1|256|"},
        {"another program gives b a lookup table",
         [&] {
             directExec(db, "update varnelo_db_fields set lookup_table = 'l' where name = 'b'");
         },
         "b|1|0|l"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.elsewhere);
        run("drop table if exists t; create table t (a, b); insert into t values (1, 2); "
            "drop table if exists varnelo_db_fields");
        ASSERT_EQ(DBInterface::changeFieldsForTable("t", {"a", "b"}, {1, 1}, nullptr, {"", ""}, db,
                                                    nullptr),
                  0);
        TablesAndRowsController* c = show("t");
        NameAndFieldsPanel* p = openOn(c);
        ASSERT_EQ(p->fieldRows().types, (std::vector<int>{1, 1}));
        each.change();
        const auto metaOfB = [this] {
            return query(
                "select name || '|' || type || '|' || flags || '|' || lookup_table from "
                "varnelo_db_fields where table_name = 't' and name = 'b'");
        };
        ASSERT_EQ(metaOfB(), std::vector<std::string>{each.rowOfB});
        setFieldName(p, 0, "a2");
        QTest::mouseClick(p->nameAndFieldsPanelCreateButton(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(message(p), fieldsChanged);
        EXPECT_EQ(columns("t"), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(metaOfB(), std::vector<std::string>{each.rowOfB});
    }
}
