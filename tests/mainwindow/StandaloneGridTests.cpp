// The grid's selection and navigator on a surface of their own, without a console or a window:
// what they change in the state and what they ask the grid to redraw and load.
#include <gtest/gtest.h>

#include "mainwindow/rows/GridClipboard.h"
#include "tests/mainwindow/StandaloneGrid.h"

using testing::ElementsAre;

class StandaloneGridTest : public testing::Test {
  protected:
    testing::NiceMock<StateOnlyWindow> window;
    TablesAndRowsState::GridSelection& selection = window.state().selection;
    TablesAndRowsState::DataPort& port = window.state().dataPort;
};

TEST_F(StandaloneGridTest, ClicksFocusSelectAndRedrawOnlyTheCellsTheyChange) {
    RecordingSurface grid(window, 100, 3, 10, 20);
    grid.selection().clickedOnPoint(RecordingSurface::cellPoint(2, 3));
    EXPECT_EQ(selection.focusedRowIndex, RowIndex(22));
    EXPECT_EQ(selection.focusedFieldIndex, FieldIndex(3));
    EXPECT_THAT(grid.redraws, ElementsAre("cell@-1,-1", "cell 2,3"));
    // Control-clicks collect the old focus and the cell clicked.
    grid.redraws.clear();
    grid.selection().commandClickedOnPoint(RecordingSurface::cellPoint(5, 1));
    EXPECT_EQ(selection.mySelectedCells.size(), 2u);
    EXPECT_EQ(selection.mySelectedCells[RowIndex(22)][FieldIndex(3)], DBValue("22.3"));
    EXPECT_EQ(selection.mySelectedCells[RowIndex(25)][FieldIndex(1)], DBValue("25.1"));
    EXPECT_THAT(grid.redraws, testing::Contains("cell 5,1"));
    // A row number selects the row and takes the focus to its first field; the cells go.
    grid.redraws.clear();
    grid.selection().clickedOnPoint(RecordingSurface::cellPoint(7, 0));
    EXPECT_TRUE(selection.mySelectedCells.empty());
    EXPECT_EQ(selection.mySelectedRowIndexes, RowIndexSet{RowIndex(27)});
    EXPECT_EQ(selection.focusedRowIndex, RowIndex(27));
    EXPECT_EQ(selection.focusedFieldIndex, FieldIndex(1));
    EXPECT_THAT(grid.redraws, testing::Contains("row 7"));
    // Below the last row and off the columns the focus stays.
    grid.selection().clickedOnPoint(QPoint(50, 10 * RecordingSurface::kRowHeight + 5));
    grid.selection().clickedOnPoint(QPoint(4 * RecordingSurface::kColumnWidth + 5, 10));
    EXPECT_EQ(selection.focusedRowIndex, RowIndex(27));
    EXPECT_EQ(selection.focusedFieldIndex, FieldIndex(1));
    EXPECT_EQ(window.state().consistencyFault(), nullptr);
}

TEST_F(StandaloneGridTest, ArrowsPageOneRowAtTheEdgeAndLoadOnceWhenAsked) {
    RecordingSurface grid(window, 25, 2, 10);
    grid.selection().clickedOnPoint(RecordingSurface::cellPoint(9, 1));
    grid.navigator().move(MoveDirection::Down, 1, true);
    EXPECT_EQ(port.firstRowIndexInDataPort, RowIndex(1));
    EXPECT_EQ(selection.focusedRowIndex, RowIndex(10));
    EXPECT_TRUE(port.dataPortLoadPending);
    grid.navigator().move(MoveDirection::Down, 1, true);
    EXPECT_EQ(grid.loads, 0);
    grid.loadPendingDataPort();
    grid.loadPendingDataPort();
    EXPECT_EQ(grid.loads, 1);
    EXPECT_EQ(*port.page.rowid(RowIndex(2)), DBValue("3"));
    EXPECT_EQ(window.state().consistencyFault(), nullptr);
}

TEST_F(StandaloneGridTest, PastedRowsLandOnlyOnLoadedCellsFromTheFocus) {
    RecordingSurface grid(window, 100, 3, 10, 20);
    GridClipboard clipboard(window, grid);
    grid.selection().clickedOnPoint(RecordingSurface::cellPoint(8, 2));  // row 28, field 2
    const std::vector<DBRow> pasted{{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}};
    clipboard.markPasteDestinations(pasted);
    std::map<RowIndex, FieldIndexSet> expected{{RowIndex(28), {FieldIndex(2), FieldIndex(3)}},
                                               {RowIndex(29), {FieldIndex(2), FieldIndex(3)}}};
    EXPECT_EQ(selection.pasteDestinationCells, expected);
    EXPECT_EQ(clipboard.rowsReached(pasted), 2u);
    EXPECT_EQ(window.state().consistencyFault(), nullptr);
    grid.redraws.clear();
    clipboard.endPaste();
    EXPECT_TRUE(selection.pasteDestinationCells.empty());
    EXPECT_THAT(grid.redraws, ElementsAre("cell@28,2", "cell@28,3", "cell@29,2", "cell@29,3"));
}
