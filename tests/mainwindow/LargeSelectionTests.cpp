// Whole-row selections over tens of millions of rows stay a handful of ranges in memory.
#include "tests/mainwindow/GridTest.h"

class LargeSelectionTest : public GridTest {
  protected:
    // Whether the grid paints row `row` of the screen as a selected row, asked the way its
    // cells ask: with the tags the model gives them.
    bool shownSelected(TablesAndRowsController* c, int row, int column) const {
        QModelIndex index = grid->model()->index(row, column);
        return rowsOf(c)->selection().highlightSelectedRow(
            SpreadsheetTableCellView::cellOfIndex(index));
    }
};

TEST_F(LargeSelectionTest, ShiftClickOnRowNumbersAcrossTenMillionRowsIsOneRange) {
    run("create table t (n integer); insert into t select value from generate_series(1, "
        "10000000)");
    TablesAndRowsController* c = showGrid("t");
    ASSERT_EQ(c->state().dataPort.totalRows, 10'000'000);
    rowsOf(c)->selection().includeRowIndex(RowIndex(9'999'999));
    click(2, 0, Qt::ShiftModifier);
    const DBInterface::IndexSet& rows = c->state().selection.mySelectedRowIndexes.indexes();
    EXPECT_EQ(rows.rangeCount(), 1u);
    EXPECT_EQ(rows.size(), 9'999'998u);
    EXPECT_EQ(rows.first(), 2);
    EXPECT_EQ(rows.last(), 9'999'999);
    int shownRows = grid->model()->rowCount();
    ASSERT_GT(shownRows, 4);
    EXPECT_FALSE(shownSelected(c, 1, 0));
    for (int row = 2; row < shownRows; ++row) {
        EXPECT_TRUE(shownSelected(c, row, 0)) << row;
        EXPECT_TRUE(shownSelected(c, row, 1)) << row;
    }
    // A Control-click on a row number inside the span splits it; the top joins it again.
    click(3, 0, Qt::ControlModifier);
    EXPECT_EQ(rows.rangeCount(), 2u);
    EXPECT_FALSE(shownSelected(c, 3, 1));
    click(0, 0, Qt::ShiftModifier);
    EXPECT_EQ(rows.rangeCount(), 2u);
    EXPECT_EQ(rows.size(), 9'999'999u);
    EXPECT_TRUE(shownSelected(c, 0, 1));
    // A plain click on a cell drops the whole selection at once.
    click(4, 1);
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(shownSelected(c, 4, 0));
}
