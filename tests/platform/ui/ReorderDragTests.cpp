// Reordering a list by dragging its rows: the placeholder move and the drops a list takes.
#include <gtest/gtest.h>

#include <QRubberBand>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <memory>

#include <string>
#include <vector>

#include "platform/ui/ReorderDrag.h"
#include "tests/support/DropEvents.h"
#include "tests/support/QtApplication.h"

namespace {

std::vector<std::string> moved(std::vector<int> rows, int destination) {
    const std::vector<std::string> list = {"0", "1", "2", "3", "4"};
    return reordered(list, placeholderOrder(list.size(), std::move(rows), destination));
}

using Names = std::vector<std::string>;

}  // namespace

TEST(ReorderDragTest, PlaceholderMovePutsTheDraggedRowsWhereTheDropLineWas) {
    EXPECT_EQ(moved({1, 3}, 0), (Names{"1", "3", "0", "2", "4"}));
    EXPECT_EQ(moved({3, 1}, 0), (Names{"1", "3", "0", "2", "4"}));
    // One row down lands above the row it was dropped on, not one further.
    EXPECT_EQ(moved({1}, 3), (Names{"0", "2", "1", "3", "4"}));
    EXPECT_EQ(moved({0, 2}, 5), (Names{"1", "3", "4", "0", "2"}));
    EXPECT_EQ(moved({1, 2}, 2), (Names{"0", "1", "2", "3", "4"}));
    // Rows outside the list and a drop line past the end change nothing of the rest.
    EXPECT_EQ(moved({-1, 7, 4}, 99), (Names{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(moved({}, 0), (Names{"0", "1", "2", "3", "4"}));
    EXPECT_EQ(placeholderBlockStart(5, {1, 3}, 4), 2);
    EXPECT_EQ(placeholderBlockStart(5, {1, 3}, 0), 0);
}

TEST(ReorderDragTest, ListTakesOnlyItsOwnRowsOnTheLineNearestTheDrop) {
    ensureQApplication();
    QTableWidget view(5, 1);
    view.resize(200, 300);
    view.show();
    std::vector<std::pair<std::vector<int>, int>> moves;
    bool enabled = true;
    new ReorderDrag(
        &view, kAddTableViewDataType,
        [&](const std::vector<int>& rows, int destination) {
            moves.emplace_back(rows, destination);
        },
        [&] { return enabled; });
    const QRect row0 = view.visualRect(view.model()->index(0, 0));
    const QRect row4 = view.visualRect(view.model()->index(4, 0));
    std::unique_ptr<QMimeData> data(reorderMimeData(kAddTableViewDataType, {1, 3}));

    // Anywhere over a row, the drop lands on the row's nearer edge.
    EXPECT_TRUE(sendDrop(view.viewport(), *data, row0.center() + QPoint(0, row0.height() / 4),
                         Qt::MoveAction));
    EXPECT_TRUE(sendDrop(view.viewport(), *data, row4.center() - QPoint(0, row4.height() / 4),
                         Qt::MoveAction));
    EXPECT_TRUE(sendDrop(view.viewport(), *data, row0.topLeft() + QPoint(5, 1), Qt::MoveAction));
    EXPECT_TRUE(
        sendDrop(view.viewport(), *data, row4.bottomLeft() + QPoint(5, 40), Qt::MoveAction));
    std::unique_ptr<QMimeData> other(reorderMimeData(kCreateViewTableViewDataType, {1}));
    EXPECT_FALSE(sendDrop(view.viewport(), *other, row0.topLeft() + QPoint(5, 1), Qt::MoveAction));
    QMimeData garbage;
    garbage.setData(kAddTableViewDataType, "not rows");
    EXPECT_FALSE(sendDrop(view.viewport(), garbage, row0.topLeft() + QPoint(5, 1), Qt::MoveAction));
    enabled = false;
    EXPECT_FALSE(sendDrop(view.viewport(), *data, row0.topLeft() + QPoint(5, 1), Qt::MoveAction));

    ASSERT_EQ(moves.size(), 4u);
    EXPECT_EQ(moves[0], std::make_pair(std::vector<int>{1, 3}, 1));
    EXPECT_EQ(moves[1], std::make_pair(std::vector<int>{1, 3}, 4));
    EXPECT_EQ(moves[2], std::make_pair(std::vector<int>{1, 3}, 0));
    EXPECT_EQ(moves[3], std::make_pair(std::vector<int>{1, 3}, 5));
}

TEST(ReorderDragTest, AMouseDragMovesTheSelectedLinesWithoutSelectingOrEditing) {
    ensureQApplication();
    QTableWidget view(5, 1);
    for (int row = 0; row < 5; ++row)
        view.setItem(row, 0, new QTableWidgetItem(QString::number(row)));
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked);
    view.resize(200, 300);
    view.show();
    std::vector<std::pair<std::vector<int>, int>> moves;
    bool enabled = true;
    new ReorderDrag(
        &view, kAddTableViewDataType,
        [&](const std::vector<int>& rows, int destination) {
            moves.emplace_back(rows, destination);
        },
        [&] { return enabled; });
    auto selected = [&] {
        std::vector<int> rows;
        for (const QModelIndex& index : view.selectionModel()->selectedRows()) {
            rows.push_back(index.row());
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    };

    // An unselected line is taken alone and moved, not swept into the selection; while it is
    // dragged a line shows where it would land.
    view.selectRow(0);
    const QPoint start = view.visualRect(view.model()->index(1, 0)).center();
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(view.viewport(), start + QPoint(0, 20));
    QTest::mouseMove(view.viewport(), lineAboveRow(&view, 4));
    auto* dropLine = view.viewport()->findChild<QRubberBand*>();
    ASSERT_TRUE(dropLine && dropLine->isVisible());
    EXPECT_NEAR(dropLine->geometry().center().y(), view.visualRect(view.model()->index(4, 0)).top(),
                2);
    // Over a row, the line stands at the row's nearer edge.
    QTest::mouseMove(view.viewport(), lineAboveRow(&view, 3, true));
    EXPECT_TRUE(dropLine->isVisible());
    EXPECT_NEAR(dropLine->geometry().center().y(), view.visualRect(view.model()->index(3, 0)).top(),
                2);
    EXPECT_EQ(selected(), std::vector<int>{1});
    QTest::mouseMove(view.viewport(), lineAboveRow(&view, 4));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, lineAboveRow(&view, 4));
    EXPECT_FALSE(dropLine->isVisible());
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_pair(std::vector<int>{1}, 4));
    // Pressed on one line of a selection of two: both move, and no editor opens.
    view.selectionModel()->select(view.model()->index(3, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(selected(), (std::vector<int>{1, 3}));
    mouseDragRow(&view, 3, 0);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1], std::make_pair(std::vector<int>{1, 3}, 0));
    EXPECT_EQ(selected(), (std::vector<int>{1, 3}));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_FALSE(hasOpenEditor(&view));
    // Released over a line, they land at its nearer edge.
    mouseDragRow(&view, 3, 2, true);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[2], std::make_pair(std::vector<int>{1, 3}, 2));
    // A click on a selected line is still the view's click: it edits that line.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      view.visualRect(view.model()->index(3, 0)).center());
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    EXPECT_TRUE(hasOpenEditor(&view));
    EXPECT_EQ(moves.size(), 3u);
    // Where reordering is refused, a press-drag is the view's own again.
    enabled = false;
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    mouseDragRow(&view, 0, 3);
    EXPECT_EQ(moves.size(), 3u);
    EXPECT_GE(selected().size(), 3u);
}
