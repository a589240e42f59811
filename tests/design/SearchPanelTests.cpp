#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <sqlite3.h>

#include "design/SearchPanel.h"
#include "design/SortPanel.h"
#include "tests/design/PanelTest.h"

namespace {

class SearchPanelTest : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        run("create table s (name text, note text); insert into s values ('it''s', 'x'), "
            "('100%', 'x'), ('1000', 'x'), ('a_b', 'x'), ('axb', 'x'), ('back\\slash', 'x'), "
            "('backslash', 'x'), ('plain', 'it''s')");
        c = show("s");
        panel = &partsOf(c).search;
        panel->showSearchPanel();
    }
    // The rows the grid counts after searching for the text.
    int64_t search(const QString& text) {
        panel->searchPanelSearchField()->setText(text);
        QTest::mouseClick(panel->searchPanelSearchButton(), Qt::LeftButton);
        return c->state().dataPort.totalRows;
    }

    TablesAndRowsController* c = nullptr;
    SearchPanel* panel = nullptr;
};

TEST_F(SearchPanelTest, PercentAndUnderscoreAreWildcardsWhileQuoteAndBackslashMatchThemselves) {
    // Without stored search fields the first field is searched.
    EXPECT_EQ(panel->searchPanelSearchField()->placeholderText().toStdString(), "Search name");
    ASSERT_EQ(panel->searchPanelSearchFieldsTableView()->selectedItems().size(), 1);
    EXPECT_EQ(search("'"), 1);
    EXPECT_EQ(gridValue(c, 0, 1), "it's");
    // The text goes into the pattern as typed: "%" and "_" stand for any text and any one
    // character.
    const struct {
        const char* text;
        int64_t rows;
    } cases[] = {{"%", 8},    {"_", 8},       {"1%0", 2}, {"a_b", 2},  {"a%b", 2},
                 {"___", 8},  {"_______", 2}, {"%'%", 1}, {"it_s", 1}, {"\\", 1},
                 {"k\\s", 1}, {"x", 1},       {"%x%", 1}, {"it''s", 0}};
    for (const auto& row : cases) {
        EXPECT_EQ(search(row.text), row.rows) << row.text;
    }
    EXPECT_EQ(search("a_b"), 2);
    EXPECT_EQ(gridValue(c, 0, 1), "a_b");
    EXPECT_EQ(gridValue(c, 1, 1), "axb");
    // Letter case does not matter; no text shows every row.
    EXPECT_EQ(search("PLAIN"), 1);
    EXPECT_EQ(search(""), 8);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(SearchPanelTest, ChosenFieldsAreStoredAndOutliveTheReloadOfASortChange) {
    QListWidget* fields = panel->searchPanelSearchFieldsTableView();
    fields->item(0)->setSelected(true);
    fields->item(1)->setSelected(true);
    EXPECT_EQ(query("select search_field from varnelo_db_tables where name = 's'"),
              (std::vector<std::string>{"0,1;="}));
    EXPECT_EQ(panel->searchPanelSearchField()->placeholderText().toStdString(),
              "Search name, note");
    EXPECT_EQ(search("it's"), 2);

    // A new order reads the object again, which ends the search but keeps the fields; the next
    // search shows its rows in that order.
    SortPanel* sort = &partsOf(c).sort;
    sort->showTableSortFieldsForRowIndex(rowOf(c, "s"));
    sort->sortPanelSortOnButton()->setCurrentIndex(2);  // name descending
    QTest::mouseClick(sort->sortPanelSortButton(), Qt::LeftButton);
    EXPECT_FALSE(c->state().sortAndSearch.likeString);
    EXPECT_EQ(c->state().dataPort.totalRows, 8);
    EXPECT_EQ(fields->selectedItems().size(), 2);
    EXPECT_EQ(search("it's"), 2);
    EXPECT_EQ(gridValue(c, 0, 1), "plain");
    EXPECT_EQ(gridValue(c, 1, 1), "it's");
    EXPECT_TRUE(alerts.empty());
}

}  // namespace

namespace {

// A table of 200 names "n1" to "n200": "n19" finds 11 of them.
class SearchEndTest : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        run("create table n (name text); insert into n select 'n' || value from "
            "generate_series(1, 200)");
        c = show("n");
        panel = &partsOf(c).search;
        panel->showSearchPanel();
    }
    int64_t rows() const { return c->state().dataPort.totalRows; }
    void searchFor(const QString& text) {
        QTest::keyClicks(panel->searchPanelSearchField(), text);
        QTest::keyClick(panel->searchPanelSearchField(), Qt::Key_Return);
    }
    // The field's clear button, shown while it holds text.
    QToolButton* clearButton() const {
        for (auto* button : panel->searchPanelSearchField()->findChildren<QToolButton*>()) {
            if (button->isVisible()) return button;
        }
        return nullptr;
    }

    TablesAndRowsController* c = nullptr;
    SearchPanel* panel = nullptr;
};

TEST_F(SearchEndTest, ClosingThePanelEndsTheSearchAndOnlyThen) {
    searchFor("n19");
    ASSERT_EQ(rows(), 11);
    panel->searchPanel()->close();
    EXPECT_FALSE(c->state().sortAndSearch.likeString);
    EXPECT_EQ(rows(), 200);
    EXPECT_EQ(gridValue(c, 0, 1), "n1");
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(0));

    // Without a search in force closing leaves the grid as it is.
    panel->showSearchPanel();
    QTest::keyClick(rowsOf(c)->rowsTableView(), Qt::Key_Down);
    QTest::keyClick(rowsOf(c)->rowsTableView(), Qt::Key_Down);
    ASSERT_EQ(c->state().selection.focusedRowIndex, RowIndex(2));
    panel->searchPanel()->close();
    EXPECT_EQ(c->state().selection.focusedRowIndex, RowIndex(2));
    EXPECT_EQ(rows(), 200);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(SearchEndTest, TheFieldsClearButtonShowsEveryRowAgain) {
    searchFor("n19");
    ASSERT_EQ(rows(), 11);
    QToolButton* clear = clearButton();
    ASSERT_TRUE(clear);
    QTest::mouseClick(clear, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(panel->searchPanelSearchField()->text().isEmpty());
    EXPECT_FALSE(c->state().sortAndSearch.likeString);
    EXPECT_EQ(rows(), 200);
    // Another search, then the button again after reopening the panel.
    searchFor("n2");
    ASSERT_EQ(rows(), 12);
    panel->searchPanel()->hide();
    panel->showSearchPanel();
    ASSERT_TRUE(clearButton());
    QTest::mouseClick(clearButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(rows(), 200);
    EXPECT_TRUE(alerts.empty());
}

}  // namespace

namespace {

// 600 names sorted with their index: those holding "zz" (in either case) come last in the order,
// a NULL name first.
class SortedSearchTest : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        run("create table w (name text, note text); insert into w select case when value % 40 = "
            "0 then 'zz' || (value % 7) when value % 41 = 0 then 'ZZ''' || value when value = 5 "
            "then null else 'a' || value end, 'n' || value from generate_series(1, 600)");
        std::string error;
        ASSERT_EQ(DBInterface::updateSortCodes({1}, "w", db, &error), 0) << error;
        ASSERT_EQ(DBInterface::updateTableIndexes("w", {1}, db, &error), 0) << error;
        c = show("w");
        panel = &partsOf(c).search;
        panel->showSearchPanel();
    }
    void searchFor(const QString& text) {
        panel->searchPanelSearchField()->clear();
        QTest::keyClicks(panel->searchPanelSearchField(), text);
        QTest::keyClick(panel->searchPanelSearchField(), Qt::Key_Return);
    }
    // The grid's rows from the top, as ROWID and name.
    std::vector<std::string> shown() const {
        std::vector<std::string> values;
        for (int64_t row = 0; row < rowsOf(c)->rowsTableView()->numberOfRows(); ++row) {
            values.push_back(gridValue(c, row, 0));
            values.push_back(gridValue(c, row, 1));
        }
        return values;
    }
    std::vector<std::string> expected(const std::string& pattern, int64_t rows) const {
        return query("select rowid, name from w where name like '" + pattern +
                     "' order by name collate nocase, rowid limit " + std::to_string(rows));
    }

    TablesAndRowsController* c = nullptr;
    SearchPanel* panel = nullptr;
};

TEST_F(SortedSearchTest, RowsFoundAtTheEndOfTheOrderShowFromTheFirstAndFollowWritesElsewhere) {
    const int64_t pageRows = rowsOf(c)->numberOfDataPortRows();
    searchFor("zz");
    ASSERT_EQ(c->state().dataPort.totalRows, 29);  // 15 "zz" and 14 "ZZ'"
    EXPECT_EQ(shown(), expected("%zz%", pageRows));
    searchFor("Z'");
    ASSERT_EQ(c->state().dataPort.totalRows, 14);
    EXPECT_EQ(shown(), expected("%z''%", pageRows));
    searchFor("no such name");
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_TRUE(shown().empty());

    // Rows written by another connection are found by the next search, the first of them too.
    directExec(db,
               "insert into w values ('no such name', 'x'), ('a zz', 'y'); delete from w where "
               "name = 'zz0'");
    searchFor("no such name");
    EXPECT_EQ(c->state().dataPort.totalRows, 1);
    searchFor("zz");
    ASSERT_EQ(c->state().dataPort.totalRows, 28);
    EXPECT_EQ(gridValue(c, 0, 1), "a zz");
    EXPECT_EQ(shown(), expected("%zz%", pageRows));
    EXPECT_TRUE(alerts.empty());
}

// Another program holds the file while a search is asked: the window says so once, shows no row
// of the search, and finds its rows once the file is free.
TEST_F(SearchEndTest, ASearchWhileAnotherProgramHoldsTheFileSaysSoOnceAndFindsWhenItIsFree) {
    sqlite3* locker = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &locker), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    searchFor("n19");
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].both().find("locked"), std::string::npos) << alerts[0].both();
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(rowsOf(c)->rowsTableView()->numberOfRows(), 0);
    sqlite3_exec(locker, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    QTest::keyClick(panel->searchPanelSearchField(), Qt::Key_Return);
    EXPECT_EQ(rows(), 11);
    EXPECT_EQ(gridValue(c, 0, 1), "n19");
    EXPECT_EQ(alerts.size(), 1u);
}

}  // namespace
