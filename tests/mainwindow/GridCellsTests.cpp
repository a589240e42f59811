// What the grid's cells show: display texts by field type, lookups, NULL placeholders,
// alignment, row numbers, highlights and size-to-fit.
#include "tests/mainwindow/GridTest.h"

#include <QMenu>
#include <QStyle>
#include <QToolButton>

namespace {

NumberFormatter decimalFormatter() {
    NumberFormatter formatter;
    formatter.setNumberStyle(NumberFormatter::Style::Decimal);
    formatter.setLocale("en_US");
    return formatter;
}

DateFormatter utcPattern(const std::string& pattern) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    formatter.setTimeZone("UTC");
    return formatter;
}

}  // namespace

class GridCellsTest : public GridTest {
  protected:
    // Table d: a number, a date, a time and a looked-up code, typed through the field model.
    TablesAndRowsController* showTypedTable() {
        run("create table d (n number, day text, moment text, code text);"
            "insert into d values ('1234.5', '2021-03-05 +0000', '2021-03-05 18:30:45 +0000', "
            "'1'), (' 42 ', 'soon', 'later', '9'), ('abc', '', '  ', NULL)");
        TablesAndRowsController* c = showGrid("d");
        c->state().fieldModel.fieldTypes = {
            DBInterface::kFieldTypeNumber, DBInterface::kFieldTypeDate, DBInterface::kFieldTypeTime,
            DBInterface::kFieldTypeText};
        c->state().fieldModel.fieldLookupTables = {"", "", "", "colors"};
        c->state().fieldModel.lookupTableDictionary["colors"] = {{"1", "red"}};
        c->state().display.displayNumberFormatter = decimalFormatter();
        c->state().display.displayDateFormatter = utcPattern("dd.MM.yyyy");
        c->state().display.displayTimeFormatter = utcPattern("HH:mm");
        c->state().fieldModel.fieldNumberFormatters.clear();
        c->state().fieldModel.fieldDateFormatters.clear();
        return c;
    }
};

TEST_F(GridCellsTest, DisplayTextsFollowTheFieldTypes) {
    TablesAndRowsController* c = showTypedTable();
    EXPECT_EQ(shown(0, 1), "1,234.5");
    EXPECT_EQ(shown(1, 1), "42");  // read through the spaces around it
    EXPECT_EQ(shown(2, 1), "abc");
    EXPECT_EQ(shown(0, 2), "05.03.2021");
    EXPECT_EQ(shown(1, 2), "soon");  // no stored format reads it
    EXPECT_EQ(shown(2, 2), "");
    EXPECT_EQ(shown(0, 3), "18:30");
    EXPECT_EQ(shown(1, 3), "later");
    EXPECT_EQ(shown(2, 3), "  ");
    EXPECT_EQ(shown(0, 4), "red");
    EXPECT_EQ(shown(1, 4), "9");  // not in the lookup table
    // Numbers stand on the right, everything else and NULL on the left.
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 1), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 2), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(grid->model()->data(grid->model()->index(2, 4), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignLeft | Qt::AlignVCenter));
    // The editor always starts with the stored text.
    EXPECT_EQ(shown(0, 1, Qt::EditRole), "1234.5");
    EXPECT_EQ(shown(0, 4, Qt::EditRole), "1");

    // A field formatted "as stored" and formatting switched off show the stored text.
    c->state().fieldModel.fieldNumberFormatters[FieldPosition(0)] = std::nullopt;
    EXPECT_EQ(shown(0, 1), "1234.5");
    c->state().display.formatDataInRowsConsole = false;
    EXPECT_EQ(shown(0, 2), "2021-03-05 +0000");
    EXPECT_EQ(shown(0, 4), "1");
}

TEST_F(GridCellsTest, NullIsAPlaceholderOnlyWhenAskedFor) {
    TablesAndRowsController* c = showTypedTable();
    c->state().display.showNULLInRowsView = false;
    EXPECT_EQ(shown(2, 4), "");
    EXPECT_EQ(shown(2, 4, RowsTableModel::PlaceholderRole), "");
    c->state().display.showNULLInRowsView = true;
    EXPECT_EQ(shown(2, 4), "");
    EXPECT_EQ(shown(2, 4, RowsTableModel::PlaceholderRole), "NULL");
    EXPECT_EQ(shown(1, 4, RowsTableModel::PlaceholderRole), "");
    EXPECT_EQ(shown(2, 4, Qt::EditRole), "");
}

TEST_F(GridCellsTest, RowNumbersAndTagsFollowTheDataPort) {
    makeRowsTable(300);
    TablesAndRowsController* c = showGrid("t");
    rowsOf(c)->moveDataPortToRow(RowIndex(100));
    EXPECT_EQ(shown(4, 0), "105");
    QAbstractItemModel* model = grid->model();
    EXPECT_EQ(model->data(model->index(4, 0), RowsTableModel::FieldIndexRole).toLongLong(), -1);
    EXPECT_EQ(model->data(model->index(4, 0), RowsTableModel::RowIndexRole).toLongLong(), 104);
    EXPECT_EQ(model->data(model->index(4, 2), RowsTableModel::FieldIndexRole).toLongLong(), 2);
    // Only data cells are editable, and only when the controller opens them.
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(GridCellsTest, HighlightsAnswerForTheCellsTheyName) {
    makeRowsTable(10);
    TablesAndRowsController* c = showGrid("t");
    c->state().selection.focusedRowIndex.value = 2;
    c->state().selection.focusedFieldIndex.value = 1;
    c->state().selection.mySelectedCells[RowIndex(4)][FieldIndex(2)] = std::string("x");
    c->state().selection.mySelectedRowIndexes = {RowIndex(6)};
    c->state().selection.mySelectedFieldIndexes = {FieldIndex(2)};
    c->state().selection.pasteDestinationCells[RowIndex(7)] = {FieldIndex(1)};
    EXPECT_TRUE(rowsOf(c)->selection().isFocusedCell({RowIndex(2), FieldIndex(1)}));
    EXPECT_FALSE(rowsOf(c)->selection().isFocusedCell({RowIndex(3), FieldIndex(1)}));
    EXPECT_TRUE(rowsOf(c)->selection().highlightSelectedCell({RowIndex(4), FieldIndex(2)}));
    EXPECT_TRUE(rowsOf(c)->selection().highlightSelectedCell(
        {RowIndex(9), FieldIndex(2)}));  // a whole field
    EXPECT_FALSE(rowsOf(c)->selection().highlightSelectedCell({RowIndex(4), FieldIndex(1)}));
    EXPECT_TRUE(rowsOf(c)->selection().highlightSelectedRow({RowIndex(6), FieldIndex(1)}));
    EXPECT_TRUE(rowsOf(c)->selection().highlightRowNumberCell({RowIndex(6), FieldIndex(-1)}));
    EXPECT_FALSE(rowsOf(c)->selection().highlightRowNumberCell({RowIndex(6), FieldIndex(1)}));
    EXPECT_FALSE(rowsOf(c)->selection().highlightRowNumberCell({RowIndex(5), FieldIndex(-1)}));
    EXPECT_TRUE(rowsOf(c)->selection().highlightPasteDestinationCell({RowIndex(7), FieldIndex(1)}));
    EXPECT_FALSE(
        rowsOf(c)->selection().highlightPasteDestinationCell({RowIndex(7), FieldIndex(2)}));
    // Filled highlights (a selected row, its number, a paste destination) are framed in their
    // fill's own colour, edge to edge; the focus is a frame alone.
    QImage image = grid->viewport()->grab().toImage();
    for (auto [row, column] : {std::pair{6, 1}, {6, 0}, {7, 1}, {4, 2}}) {
        QRect cell = grid->visualRect(grid->model()->index(row, column));
        QColor fill = image.pixelColor(cell.center());
        EXPECT_NE(fill, grid->palette().base().color()) << row << ", " << column;
        for (QPoint edge :
             {QPoint(cell.left(), cell.center().y()), QPoint(cell.right(), cell.center().y()),
              QPoint(cell.center().x(), cell.top()), QPoint(cell.center().x(), cell.bottom())}) {
            EXPECT_EQ(image.pixelColor(edge), fill) << row << ", " << column;
        }
    }
    QRect focused = grid->visualRect(grid->model()->index(2, 1));
    EXPECT_NE(image.pixelColor(focused.left() + 1, focused.center().y()),
              image.pixelColor(focused.center()));
    // The first-field button shows its whole title inside the window.
    QToolButton* button = rowsOf(c)->rowsViewMoreFieldsPopUpButton();
    EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) +
                                   button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator));
    EXPECT_LT(button->mapTo(button->window(), QPoint(button->width(), 0)).x(),
              button->window()->width());
}

TEST_F(GridCellsTest, SizeToFitMeasuresTheLoadedValuesAndRedrawIgnoresCellsOffTheGrid) {
    run("create table t (name text)");
    TablesAndRowsController* c = showGrid("t");
    EXPECT_EQ(rowsOf(c)->tableViewSizeToFitWidthOfColumn(GridColumn(1)), 40);
    run("insert into t values ('a much longer text than forty points could ever hold')");
    rowsOf(c)->resetTableSelections();
    EXPECT_GT(rowsOf(c)->tableViewSizeToFitWidthOfColumn(GridColumn(1)), 100);
    EXPECT_GT(rowsOf(c)->lastRowPosition(), 0);
    EXPECT_GT(rowsOf(c)->lastColumnPosition(), 0);
    // Redraws outside the grid are ignored rather than reaching the model.
    rowsOf(c)->reloadRowsTableViewRow(GridRow(-1), GridColumn(1));
    rowsOf(c)->reloadRowsTableViewRow(GridRow(5), GridColumn(1));
    rowsOf(c)->reloadRowsTableViewColumn(GridColumn(9));
    rowsOf(c)->reloadRowsTableViewRowIndex(RowIndex(-3));
}

TEST_F(GridCellsTest, TheFirstFieldMenuListsTheFieldsAndMovesTheFirstColumn) {
    run("create table w (a text, b text, c text); insert into w values ('1', '2', '3');"
        "create index w_a on w (a)");
    TablesAndRowsController* c = showGrid("w");
    QToolButton* button = rowsOf(c)->rowsViewMoreFieldsPopUpButton();
    ASSERT_TRUE(button->isEnabled());
    QList<QAction*> items = button->menu()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[2]->text(), "c");
    items[1]->trigger();
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 2);
    EXPECT_EQ(c->state().selection.focusedFieldIndex.value, 2);
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "b");
    EXPECT_EQ(shown(0, 1), "2");
    c->selectTableWithName("w_a");
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(button->menu()->actions().isEmpty());
}
