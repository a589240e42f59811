// The grid's own focus and selection, changed by real clicks.
#include "tests/mainwindow/GridTest.h"

#include <limits>

class GridSelectionTest : public GridTest {};

TEST_F(GridSelectionTest, APlainClickFocusesTheCellAndClearsSingleCells) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    click(3, 2);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 3);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    EXPECT_TRUE(c->state().selection.mySelectedCells.empty());
    // Control-clicks collect single cells, the old focus among them, with their loaded values.
    click(5, 1, Qt::ControlModifier);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 5);
    ASSERT_EQ(c->state().selection.mySelectedCells.size(), 2u);
    EXPECT_EQ(c->state().selection.mySelectedCells[RowIndex(3)][FieldIndex(2)], DBValue("6"));
    EXPECT_EQ(c->state().selection.mySelectedCells[RowIndex(5)][FieldIndex(1)], DBValue("name 6"));
    click(9, 2, Qt::ControlModifier);  // a NULL amount is selected as NULL
    ASSERT_TRUE(c->state().selection.mySelectedCells[RowIndex(9)].count(FieldIndex(2)));
    EXPECT_FALSE(c->state().selection.mySelectedCells[RowIndex(9)][FieldIndex(2)].has_value());
    EXPECT_EQ(rowsOf(c)->selection().selectedCellsBox(),
              (SelectionBox{RowIndex(3), RowIndex(9), FieldIndex(1), FieldIndex(2)}));
    // A plain click drops the single cells, whole rows and whole fields.
    c->state().selection.mySelectedRowIndexes = {RowIndex(12)};
    c->state().selection.mySelectedFieldIndexes = {FieldIndex(1)};
    click(0, 1);
    EXPECT_TRUE(c->state().selection.mySelectedCells.empty());
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
    EXPECT_TRUE(c->state().selection.mySelectedFieldIndexes.empty());
}

TEST_F(GridSelectionTest, RowNumberClicksSelectRowsAndMoveTheFocusOnlyWhenPlain) {
    makeRowsTable(20);
    TablesAndRowsController* c = showGrid("t");
    click(2, 2);
    click(4, 0);
    EXPECT_EQ(c->state().selection.mySelectedRowIndexes.indexes(), DBInterface::IndexSet({4}));
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 4);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    // Control-clicks add and remove rows without moving the focus.
    click(7, 0, Qt::ControlModifier);
    click(8, 0, Qt::ControlModifier);
    click(4, 0, Qt::ControlModifier);
    EXPECT_EQ(c->state().selection.mySelectedRowIndexes.indexes(), DBInterface::IndexSet({7, 8}));
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 4);
    // A plain click makes one row the selection; clicking it again leaves none.
    click(8, 0);
    EXPECT_EQ(c->state().selection.mySelectedRowIndexes.indexes(), DBInterface::IndexSet({8}));
    click(8, 0);
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 8);
}

TEST_F(GridSelectionTest, ClicksOffTheRowsAndCellsOffThePortChangeNothing) {
    makeRowsTable(3);
    TablesAndRowsController* c = showGrid("t");
    click(1, 1);
    QPoint below(cellPoint(2, 1).x(), rowsOf(c)->rowsTableView()->viewport()->height() - 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, below);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 1);
    // The old focus has no loaded value when the port moved away from it.
    run("insert into t select 'more', value from generate_series(1, 600)");
    rowsOf(c)->reloadRowsKeepingPort();
    c->state().selection.focusedRowIndex.value = 500;
    click(0, 2, Qt::ControlModifier);
    EXPECT_EQ(c->state().selection.mySelectedCells.size(), 1u);
    rowsOf(c)->selection().selectCellWithRowIndex(RowIndex(900), FieldIndex(1), false);
    EXPECT_EQ(c->state().selection.mySelectedCells.size(), 1u);
    rowsOf(c)->selection().selectCellWithRowIndex(RowIndex(0), FieldIndex(2), true);
    EXPECT_TRUE(c->state().selection.mySelectedCells[RowIndex(0)].empty());
    EXPECT_EQ(c->state().selection.mySelectedCells.size(), 1u);  // an emptied row stays
}

TEST_F(GridSelectionTest, BoundingBoxesAndSelectAllFields) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(rowsOf(c)->selection().selectedCellsBox(),
              (SelectionBox{RowIndex(kMax), RowIndex(-1), FieldIndex(kMax), FieldIndex(-1)}));
    c->state().selection.focusedRowIndex = RowIndex(3);
    c->state().selection.focusedFieldIndex = FieldIndex(2);
    EXPECT_EQ(rowsOf(c)->selection().focusedOrSelectedCellsBox(),
              (SelectionBox{RowIndex(3), RowIndex(3), FieldIndex(2), FieldIndex(2)}));
    c->state().selection.mySelectedRowIndexes = {RowIndex(1)};
    rowsOf(c)->selectAllFields();
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.indexes(), DBInterface::IndexSet({1, 2}));
    EXPECT_TRUE(c->state().selection.mySelectedRowIndexes.empty());
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 0);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 1);
    // A Control-click clears whole fields before collecting cells.
    click(2, 1, Qt::ControlModifier);
    EXPECT_TRUE(c->state().selection.mySelectedFieldIndexes.empty());
}

TEST_F(GridSelectionTest, KeysAndMenuCommandsSelectAndDeselect) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    RowsConsole* rows = rowsOf(c);
    auto& selection = c->state().selection;
    selection.focusedRowIndex = RowIndex();
    EXPECT_FALSE(rows->isAtLeastOneCellSelected());
    click(1, 1);
    EXPECT_TRUE(rows->isAtLeastOneCellSelected());
    EXPECT_TRUE(rows->selection().isFocusOnCellAndNotEditing());
    EXPECT_FALSE(rows->selection().isSomethingSelected());
    // Shift-arrows only move the focus; a Shift-click selects the rectangle to the cell.
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(selection.focusedRowIndex.value, 2);
    EXPECT_EQ(selection.focusedFieldIndex.value, 2);
    EXPECT_TRUE(selection.mySelectedCells.empty());
    click(1, 1);
    click(2, 2, Qt::ShiftModifier);
    EXPECT_EQ(selection.focusedRowIndex.value, 2);
    ASSERT_EQ(selection.mySelectedCells.size(), 2u);
    EXPECT_EQ(selection.mySelectedCells[RowIndex(2)].size(), 2u);
    EXPECT_EQ(selection.mySelectedCells[RowIndex(2)][FieldIndex(2)], DBValue("4.5"));
    // Control+A selects every field.
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(selection.mySelectedFieldIndexes.indexes(), DBInterface::IndexSet({1, 2}));
    // Whole rows: a row selected alone replaces the others, extending adds to them.
    rows->selection().selectMyRowIndex(RowIndex(3), false);
    rows->selection().selectTableViewRow(GridRow(4), true);
    rows->selection().selectMyRowIndex(RowIndex(9), false);
    EXPECT_EQ(selection.mySelectedRowIndexes.indexes(), DBInterface::IndexSet({3, 4}));
    EXPECT_EQ(selection.focusedRowIndex.value, 4);
    rows->selection().selectMyRowIndex(RowIndex(4), true);
    EXPECT_EQ(selection.mySelectedRowIndexes.indexes(), DBInterface::IndexSet({3}));
    rows->deselectAllMenuItemClicked();
    EXPECT_FALSE(rows->selection().isSomethingSelected());
    EXPECT_TRUE(rows->selection().isSomethingFocused());
}

TEST_F(GridSelectionTest, AnEmptyTableNeverGetsAFocusedRow) {
    run("create table t(a, b)");
    TablesAndRowsController* c = showGrid("t");
    ASSERT_EQ(c->state().dataPort.totalRows, 0);
    // The row-number header selects every field, but there is no top row to focus.
    clickHeader(0);
    EXPECT_EQ(c->state().selection.mySelectedFieldIndexes.indexes(), DBInterface::IndexSet({1, 2}));
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, -1);
    // A table emptied under the window loses its focus on a jump to a row.
    run("insert into t values (1, 2), (3, 4)");
    rowsOf(c)->calculateTotalRows();
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(0), FieldIndex(1), false);
    ASSERT_EQ(c->state().selection.focusedRowIndex.value, 0);
    run("delete from t");
    rowsOf(c)->navigator().selectStartRowIndex(RowIndex(1), FieldIndex(1), false);
    EXPECT_EQ(c->state().dataPort.totalRows, 0);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, -1);
}
