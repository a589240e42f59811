#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <ctime>

#include "Common/SQLQuote.h"
#include "design/SearchPanel.h"
#include "design/SortPanel.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "tests/design/PanelTest.h"

namespace {

// The weird name keeps its settings and indexes under itself, unchanged.
const std::string kTable = "we[ir\"d";

class SortPanelTest : public PanelTest {
  protected:
    SortPanel* showPanel(TablesAndRowsController* c, const std::string& name) {
        SortPanel* panel = &partsOf(c).sort;
        panel->showTableSortFieldsForRowIndex(rowOf(c, name));
        return panel;
    }
    void pressSort(SortPanel* panel) {
        QTest::mouseClick(panel->sortPanelSortButton(), Qt::LeftButton);
    }
    // The meta row of the object: flags and the three sort keys.
    std::vector<std::string> settings(const std::string& name) const {
        return query(
            "select flags, sort_field1, sort_field2, sort_field3 from varnelo_db_tables "
            "where name = " +
            quoteLiteral(name));
    }
    // The query plan of the grid's first page under the window's sort.
    std::string gridPlan(TablesAndRowsController* c, const std::string& table) const {
        DBInterface::GridQuery grid;
        const auto& sort = c->state().sortAndSearch;
        EXPECT_EQ(DBInterface::buildGridQuery(&grid, table, "", {}, sort.sortCodes,
                                              sort.sortByROWIDCode, 0, 0, db, nullptr),
                  0);
        std::string plan;
        for (const std::string& value : query("explain query plan " + grid.select + " limit 20"))
            plan += value + " ";
        return plan;
    }
    std::vector<std::string> sortIndexes(const std::string& table) const {
        return query(
            "select name from sqlite_master where type = 'index' and name glob 'ind*' "
            "and tbl_name = " +
            quoteLiteral(table) + " order by name");
    }
    int64_t dataVersion(sqlite3* connection) const {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(connection, "pragma data_version", -1, &statement, nullptr);
        sqlite3_step(statement);
        int64_t version = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        return version;
    }
};

TEST_F(SortPanelTest, SecondFieldDescendingIsStoredIndexedAndOrdersTheGridThroughItsIndex) {
    run("create table " + quoteIdentifier(kTable) + " (a text, b number); insert into " +
        quoteIdentifier(kTable) + " select 'n' || value, value % 7 from generate_series(1, 50)");
    TablesAndRowsController* c = show(kTable);
    SortPanel* panel = showPanel(c, kTable);
    QComboBox* first = panel->sortPanelSortOnButton();
    ASSERT_EQ(first->count(), 5);
    EXPECT_EQ(first->itemText(0).toStdString(), "(None)");
    EXPECT_EQ(first->itemText(1).toStdString(), "a ↑");
    EXPECT_EQ(first->itemText(4).toStdString(), "b ↓");
    EXPECT_TRUE(first->isEnabled());
    EXPECT_FALSE(panel->sortPanelThenOnButton()->isEnabled());
    EXPECT_FALSE(panel->sortPanelThenOn2Button()->isEnabled());
    // An editable table is always sorted on its rowid: the box shows it and cannot change it.
    EXPECT_TRUE(panel->sortPanelSortedOnUniqueKeyButton()->isChecked());
    EXPECT_FALSE(panel->sortPanelSortedOnUniqueKeyButton()->isEnabled());

    first->setCurrentIndex(4);
    pressSort(panel);
    EXPECT_EQ(settings(kTable), (std::vector<std::string>{"0", "2#4 2", "0#0 0", "0#0 0"}));
    EXPECT_EQ(c->state().sortAndSearch.sortCodes, (std::vector<int>{4, 0, 0}));
    EXPECT_EQ(gridValue(c, 0, 2), "6");
    // Now a second key may be chosen.
    EXPECT_TRUE(panel->sortPanelThenOnButton()->isEnabled());
    std::vector<std::string> indexes =
        query("select name from sqlite_master where type = 'index' and tbl_name = " +
              quoteLiteral(kTable));
    ASSERT_EQ(indexes.size(), 1u);
    EXPECT_EQ(indexes[0].substr(0, 5), "ind1_");
    // The grid's pages walk that index rather than sorting the table: only the rows of equal
    // values are put in the ROWID order shown.
    const std::string plan = gridPlan(c, kTable);
    EXPECT_NE(plan.find("USING INDEX " + indexes[0]), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    EXPECT_TRUE(alerts.empty());
}

// The ROWID pop-up says it orders rows only where no sort field applies: rows tied on the
// fields follow the first field's direction, whatever it shows.
TEST_F(SortPanelTest, TheRowidOrderIsLabelledAsTheOrderWithoutSortFieldsAndTiesFollowField1) {
    run("create table t (name text, amount number); insert into t select 'name ' || (value % 3), "
        "value from generate_series(1, 12)");
    TablesAndRowsController* c = show("t");
    SortPanel* panel = showPanel(c, "t");
    auto* form = qobject_cast<QFormLayout*>(panel->sortPanel()->layout());
    ASSERT_NE(form, nullptr);
    auto* label = qobject_cast<QLabel*>(form->labelForField(panel->sortPanelThenOnROWIDButton()));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), "Without sort fields");
    EXPECT_TRUE(panel->sortPanelThenOnROWIDButton()->isEnabled());

    // name ↓ with ROWID ↑ chosen: "name 2" holds rows 11, 8, 5, 2 in that order.
    panel->sortPanelSortOnButton()->setCurrentIndex(2);
    panel->sortPanelThenOnROWIDButton()->setCurrentIndex(0);
    pressSort(panel);
    ASSERT_EQ(c->state().sortAndSearch.sortCodes, (std::vector<int>{2, 0, 0}));
    std::vector<std::string> amounts;
    for (int64_t row = 0; row < 5; ++row) amounts.push_back(gridValue(c, row, 2));
    EXPECT_EQ(amounts, (std::vector<std::string>{"11", "8", "5", "2", "10"}));
    // Without a sort field the ROWID order is the order.
    panel->sortPanelSortOnButton()->setCurrentIndex(0);
    panel->sortPanelThenOnROWIDButton()->setCurrentIndex(1);
    pressSort(panel);
    EXPECT_EQ(gridValue(c, 0, 2), "12");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(SortPanelTest, RowidDescendingReordersTheGridAndAnUnchangedSortStoresNothing) {
    makeRowsTable(30);
    TablesAndRowsController* c = show("t");
    SortPanel* panel = showPanel(c, "t");
    panel->sortPanelThenOnROWIDButton()->setCurrentIndex(1);
    pressSort(panel);
    EXPECT_EQ(settings("t"), (std::vector<std::string>{"2", "0#0 0", "0#0 0", "0#0 0"}));
    EXPECT_EQ(gridValue(c, 0, 0), "30");
    c->reloadSelectedDatabaseObject();
    EXPECT_EQ(c->state().sortAndSearch.sortByROWIDCode, 2u);
    EXPECT_EQ(panel->sortPanelThenOnROWIDButton()->currentData().toInt(), 2);

    // The same choice again: nothing is written and the grid keeps its focus.
    c->state().selection.focusedRowIndex = RowIndex(5);
    sqlite3* watcher = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &watcher), SQLITE_OK);
    int64_t before = dataVersion(watcher);
    pressSort(panel);
    EXPECT_EQ(dataVersion(watcher), before);
    sqlite3_close(watcher);
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(5));
    EXPECT_TRUE(alerts.empty());

    // The menu command needs one object selected.
    c->tablesTableView()->clearSelection();
    panel->sortFieldsMenuItemClicked();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "No table selected|Select a table in the list.");
}

TEST_F(SortPanelTest, ForAViewOnlyTheUniqueKeyMarkIsStored) {
    makeRowsTable(20);
    run("create view v as select * from t");
    TablesAndRowsController* c = show("v");
    EXPECT_EQ(c->state().selectedObject.selectedObjectStatus, DBInterface::kObjectLimited);
    SortPanel* panel = showPanel(c, "v");
    EXPECT_EQ(panel->sortPanelSortOnButton()->count(), 0);
    EXPECT_FALSE(panel->sortPanelSortOnButton()->isEnabled());
    EXPECT_FALSE(panel->sortPanelThenOnROWIDButton()->isEnabled());
    ASSERT_TRUE(panel->sortPanelSortedOnUniqueKeyButton()->isEnabled());
    panel->sortPanelSortedOnUniqueKeyButton()->setChecked(true);
    pressSort(panel);
    EXPECT_EQ(settings("v"), (std::vector<std::string>{"4", "", "", ""}));
    EXPECT_TRUE(query("select name from sqlite_master where name glob 'ind[123]_*'").empty());
    // The mark lets the view be paged.
    EXPECT_EQ(c->state().selectedObject.selectedObjectStatus, DBInterface::kObjectReadOnlyPaged);
    EXPECT_TRUE(panel->sortPanelSortedOnUniqueKeyButton()->isChecked());
    EXPECT_TRUE(alerts.empty());
}

// A build cut short leaves the order stored without its indexes: the same choice builds them.
TEST_F(SortPanelTest, SortingAsStoredBuildsTheIndexesTheStoredOrderIsMissing) {
    makeRowsTable(50);
    ASSERT_EQ(DBInterface::updateSortCodes({2, 3, 0}, "t", db, nullptr), 0);
    TablesAndRowsController* c = show("t");
    EXPECT_NE(gridPlan(c, "t").find("TEMP B-TREE"), std::string::npos);
    SortPanel* panel = showPanel(c, "t");
    ASSERT_EQ(panel->sortPanelSortOnButton()->currentIndex(), 2);
    pressSort(panel);
    const std::vector<std::string> built = sortIndexes("t");
    ASSERT_EQ(built.size(), 3u);
    EXPECT_EQ(built[0].substr(0, 6), "ind12d");
    const std::string plan = gridPlan(c, "t");
    EXPECT_NE(plan.find("INDEX " + built[0]), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    // Built, the same choice writes nothing.
    sqlite3* watcher = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &watcher), SQLITE_OK);
    const int64_t before = dataVersion(watcher);
    pressSort(panel);
    EXPECT_EQ(dataVersion(watcher), before);
    sqlite3_close(watcher);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(SortPanelTest, AnIndexThatCannotBeBuiltLeavesTheOrderStoredBefore) {
    makeRowsTable(30);
    ASSERT_EQ(DBInterface::updateSortCodes({1, 0, 0}, "t", db, nullptr), 0);
    run("create index ind1_5 on t (name collate nocase)");
    // The name the next index of key 1 takes, for the next two minutes, is a view's already.
    const std::string root =
        query("select rootpage from sqlite_master where type = 'table' and name = 't'").at(0);
    const int64_t stamp = std::time(nullptr) - 1261440000;
    std::string views;
    for (int64_t s = stamp - 2; s < stamp + 120; ++s) {
        views += "create view ind1_" + std::to_string(s) + "_" + root + " as select 1; ";
    }
    run(views);
    TablesAndRowsController* c = show("t");
    SortPanel* panel = showPanel(c, "t");
    panel->sortPanelSortOnButton()->setCurrentIndex(4);
    pressSort(panel);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].informativeText.find("already"), std::string::npos)
        << alerts[0].informativeText;
    EXPECT_EQ(settings("t"), (std::vector<std::string>{"0", "1#1 1", "0#0 0", "0#0 0"}));
    EXPECT_EQ(sortIndexes("t"), std::vector<std::string>{"ind1_5"});
    EXPECT_EQ(c->state().sortAndSearch.sortCodes, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(gridValue(c, 0, 1), "name 1");
}

}  // namespace

TEST_F(SortPanelTest, FieldPopUpsShowTheLongestFieldWithItsArrow) {
    run("create table s (id integer, a text); create table orders (id integer, "
        "order_date_of_first_shipment text, n number); insert into s values (1, 'x'); "
        "insert into orders values (1, '2024-01-01', 3)");
    TablesAndRowsController* c = show("s");
    SortPanel* panel = showPanel(c, "s");
    // Where a pop-up shows its text: its box less the arrow button and the frame.
    auto fits = [](QComboBox* button, const QString& text) {
        QStyleOptionComboBox option;
        option.initFrom(button);
        option.editable = false;
        option.frame = true;
        const QRect field = button->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                            QStyle::SC_ComboBoxEditField, button);
        return button->fontMetrics().horizontalAdvance(text) <= field.width();
    };
    // Shown first for a short table, then following the selection to a long field name.
    EXPECT_TRUE(fits(panel->sortPanelSortOnButton(), "id ↓"));
    c->selectTableWithName("orders");
    QApplication::processEvents();
    QComboBox* first = panel->sortPanelSortOnButton();
    ASSERT_EQ(first->count(), 7);
    first->setCurrentIndex(4);
    EXPECT_EQ(first->currentText().toStdString(), "order_date_of_first_shipment ↓");
    EXPECT_TRUE(fits(first, first->currentText()));
    EXPECT_TRUE(fits(panel->sortPanelThenOn2Button(), first->currentText()));
}

// The edit-field panel stands on a cell the new order or the search moves away: it closes.
TEST_F(SortPanelTest, AnyChangedSortAndASearchCloseTheEditFieldPanelAnUnchangedSortDoesNot) {
    makeRowsTable(30);
    run("create view v as select * from t");
    TablesAndRowsController* c = show("t");
    EditFieldPanel& editField = partsOf(c).editField;
    // Control-Return on a cell of the grid, as the user opens it.
    auto openEditField = [&] {
        RowsTableView* grid = rowsOf(c)->rowsTableView();
        grid->setFocus();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(2, 1)).center());
        QTest::keyClick(grid, Qt::Key_Return, Qt::ControlModifier);
        QApplication::processEvents();
        return editField.isShown();
    };
    SortPanel* panel = showPanel(c, "t");
    ASSERT_TRUE(openEditField());
    panel->sortPanelThenOnROWIDButton()->setCurrentIndex(1);
    pressSort(panel);
    EXPECT_FALSE(editField.isShown());
    ASSERT_TRUE(openEditField());
    pressSort(panel);
    EXPECT_TRUE(editField.isShown());
    panel->sortPanelSortOnButton()->setCurrentIndex(3);  // amount ascending
    pressSort(panel);
    EXPECT_FALSE(editField.isShown());

    ASSERT_TRUE(openEditField());
    SearchPanel& search = partsOf(c).search;
    search.showSearchPanel();
    search.searchPanelSearchField()->setText("name 2");
    QTest::mouseClick(search.searchPanelSearchButton(), Qt::LeftButton);
    EXPECT_EQ(c->state().dataPort.totalRows, 11);
    EXPECT_FALSE(editField.isShown());
    search.searchPanel()->hide();

    // The unique-key mark of a view.
    c->selectTableWithName("v");
    panel = showPanel(c, "v");
    ASSERT_TRUE(openEditField());
    panel->sortPanelSortedOnUniqueKeyButton()->setChecked(true);
    pressSort(panel);
    EXPECT_FALSE(editField.isShown());
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
}
