// Reordering a list by dragging its rows: the placeholder move and the drops a list takes.
#include <gtest/gtest.h>

#include <QTableWidget>

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

TEST(ReorderDragTest, ListTakesOnlyItsOwnRowsDroppedBetweenRows) {
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

    EXPECT_FALSE(sendDrop(view.viewport(), *data, row0.center(), Qt::MoveAction));
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

    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], std::make_pair(std::vector<int>{1, 3}, 0));
    EXPECT_EQ(moves[1], std::make_pair(std::vector<int>{1, 3}, 5));
}
