// The window's loaded page read and patched by row index and field index, on a page far from the
// first row and while a moved port waits for its next page.
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "tests/mainwindow/GridTest.h"

class LoadedPageTest : public GridTest {
  protected:
    // Table t of 5000 rows shown from row 1000 on.
    TablesAndRowsController* showFarDown() {
        makeRowsTable(5000);
        TablesAndRowsController* c = showGrid("t");
        rowsOf(c)->navigator().selectStartRowIndex(RowIndex(1000), kFirstFieldIndex, true);
        QApplication::processEvents();
        return c;
    }
};

TEST_F(LoadedPageTest, CellsAreFoundByRowIndexOnlyInsideThePage) {
    TablesAndRowsController* c = showFarDown();
    const LoadedPage& page = c->state().dataPort.page;
    const RowIndex first = page.firstRow();
    const RowIndex last = first + (page.numberOfRows() - 1);
    ASSERT_GT(first.value, page.numberOfRows());
    ASSERT_EQ(page.fieldsPerRow(), 3);
    auto text = [&](RowIndex row, int64_t field) -> std::string {
        const DBValue* value = page.cell(row, FieldIndex(field));
        return !value ? "<none>" : value->value_or("<null>");
    };
    const std::string firstName = "name " + std::to_string(first.value + 1);
    const std::string lastName = "name " + std::to_string(last.value + 1);
    struct Case {
        RowIndex row;
        int64_t field;
        std::string expected;
    };
    for (const Case& cell : {Case{first, 0, std::to_string(first.value + 1)},
                             {first, 1, firstName},
                             {last, 1, lastName},
                             {first - 1, 1, "<none>"},
                             {last + 1, 1, "<none>"},
                             {RowIndex(), 1, "<none>"},
                             {RowIndex(first.value - page.numberOfRows()), 1, "<none>"},
                             {first, 3, "<none>"},
                             {first, -1, "<none>"}}) {
        EXPECT_EQ(text(cell.row, cell.field), cell.expected) << cell.row.value << "," << cell.field;
    }
    EXPECT_EQ(page.values(first + 1),
              (std::vector<DBValue>{
                  std::to_string(first.value + 2), "name " + std::to_string(first.value + 2),
                  c->state().dataPort.page.cell(first + 1, FieldIndex(2))->value_or("")}));
    EXPECT_TRUE(page.values(last + 1).empty());
}

TEST_F(LoadedPageTest, APatchTakesOnlyTheRowItWasWrittenFor) {
    TablesAndRowsController* c = showFarDown();
    LoadedPage& page = c->state().dataPort.page;
    const RowIndex row = page.firstRow() + 2;
    const std::string rowid = std::to_string(row.value + 1);
    // Another row by now, or a field or row the page does not hold: nothing changes.
    EXPECT_FALSE(page.patch(row, FieldIndex(1), "1", "x", "1"));
    EXPECT_FALSE(page.patch(row, FieldIndex(3), rowid, "x", rowid));
    EXPECT_FALSE(page.patch(page.firstRow() - 1, FieldIndex(1), rowid, "x", rowid));
    EXPECT_EQ(*page.cell(row, FieldIndex(1)), "name " + rowid);
    // The row written, which a new INTEGER PRIMARY KEY moved to another rowid.
    EXPECT_TRUE(page.patch(row, FieldIndex(1), rowid, "x", "9999"));
    EXPECT_EQ(*page.cell(row, FieldIndex(1)), "x");
    EXPECT_EQ(*page.rowid(row), "9999");
    EXPECT_EQ(*page.rowid(row + 1), std::to_string(row.value + 2));
}

TEST_F(LoadedPageTest, AMovedPortWaitingForItsPageNeverShowsAnotherRowsValues) {
    TablesAndRowsController* c = showFarDown();
    auto& state = c->state();
    state.fieldModel.expandedFieldIndexes.insert(FieldPosition(0));
    state.display.formatDataInRowsConsole = false;
    ASSERT_EQ(expandedFieldsText(state, true), "name 1001");
    // The wheel moves the port, and the focus with it, at once and reads the port's page once the
    // events waiting are done.
    wheel(QPoint(0, -120));
    ASSERT_NE(state.dataPort.firstRowIndexInDataPort, state.dataPort.page.firstRow());
    const std::string focusedName =
        "name " + std::to_string(state.selection.focusedRowIndex.value + 1);
    EXPECT_EQ(expandedFieldsText(state, true), focusedName);
    QApplication::processEvents();
    EXPECT_EQ(state.dataPort.firstRowIndexInDataPort, state.dataPort.page.firstRow());
    EXPECT_EQ(expandedFieldsText(state, true), focusedName);
}
