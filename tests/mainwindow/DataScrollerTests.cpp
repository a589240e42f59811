// The grid's own scrollers: knob size and place, drags, clicks beside the knob.
#include "tests/mainwindow/ControllerTest.h"

#include <QTest>

#include <limits>
#include <vector>

#include "mainwindow/rows/views/HorizontalDataScrollerView.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "mainwindow/rows/views/VerticalDataScrollerView.h"

class DataScrollerTest : public ControllerTest {
  protected:
    TablesAndRowsController* showRows(int64_t rows) {
        makeRowsTable(rows);
        TablesAndRowsController* c = show("t");
        vertical = c->view()->findChild<VerticalDataScrollerView*>();
        horizontal = c->view()->findChild<HorizontalDataScrollerView*>();
        return c;
    }

    static void drag(QWidget* view, QPointF from, QPointF to,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view, Qt::LeftButton, modifiers, from.toPoint());
        QTest::mouseMove(view, to.toPoint());
        // mouseMove sends no button state offscreen; a drag event carries the button.
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         modifiers);
        QApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, modifiers, to.toPoint());
    }

    static void click(QWidget* view, QPointF at, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(view, Qt::LeftButton, modifiers, at.toPoint());
    }

    VerticalDataScrollerView* vertical = nullptr;
    HorizontalDataScrollerView* horizontal = nullptr;
};

TEST_F(DataScrollerTest, TheVerticalKnobShowsThePortAmongAllRows) {
    TablesAndRowsController* c = showRows(1000);
    ASSERT_NE(vertical, nullptr);
    int64_t page = rowsOf(c)->numberOfDataPortRows();
    double h = vertical->height();
    double pages = std::ceil(1000.0 / double(page));
    EXPECT_DOUBLE_EQ(vertical->scrollerHeight(), std::max(30.0, h / pages));
    QRectF knob = vertical->knobRect();
    EXPECT_DOUBLE_EQ(knob.top(), 0);
    EXPECT_DOUBLE_EQ(knob.left(), 4.5);
    EXPECT_DOUBLE_EQ(knob.width(), vertical->width() - 9.0);
    // On the last page the knob sits at the bottom, and is hit there.
    rowsOf(c)->moveDataPortToRow(RowIndex(1000 - page));
    knob = vertical->knobRect();
    EXPECT_DOUBLE_EQ(knob.bottom(), h);
    QTest::mousePress(vertical, Qt::LeftButton, {}, knob.center().toPoint());
    EXPECT_TRUE(vertical->scrolling());
    QTest::mouseRelease(vertical, Qt::LeftButton, {}, knob.center().toPoint());
    EXPECT_FALSE(vertical->scrolling());
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 1000 - page);
}

TEST_F(DataScrollerTest, DraggingTheVerticalKnobMovesThePortOverTheWholeTable) {
    TablesAndRowsController* c = showRows(10000);
    rowsOf(c)->rowsTableView()->window()->activateWindow();
    rowsOf(c)->rowsTableView()->setFocus();
    int64_t page = rowsOf(c)->numberOfDataPortRows();
    QRectF knob = vertical->knobRect();
    // Below the view: the last page; loaded once the drag's moves are handled.
    drag(vertical, knob.center(), QPointF(knob.center().x(), vertical->height() + 20));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 10000 - page);
    QApplication::processEvents();
    EXPECT_EQ(rowsOf(c)->dataPort().fieldValueForTableViewRowIndex(GridRow(0), FieldIndex(0)),
              std::to_string(10000 - page + 1));
    // Above the view: row 0.
    knob = vertical->knobRect();
    drag(vertical, knob.center(), QPointF(knob.center().x(), -20));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    // The knob follows the pointer where it was grabbed: half the travel is half the rows.
    knob = vertical->knobRect();
    double travel = vertical->height() - knob.height();
    drag(vertical, knob.center(), knob.center() + QPointF(0, travel / 2));
    EXPECT_NEAR(double(c->state().dataPort.firstRowIndexInDataPort.value), (10000 - page) / 2.0,
                10000.0 / travel);
    EXPECT_NEAR(vertical->knobRect().center().y(), knob.center().y() + travel / 2, 1.0);
    // A press beside the knob starts no drag.
    QTest::mousePress(vertical, Qt::LeftButton, {}, QPoint(8, 1));
    EXPECT_FALSE(vertical->scrolling());
    QTest::mouseRelease(vertical, Qt::LeftButton, {}, QPoint(8, 1));
    // The drags left the keyboard with the grid: End still reaches the last row.
    EXPECT_EQ(QApplication::focusWidget(), rowsOf(c)->rowsTableView());
    QTest::keyClick(rowsOf(c)->rowsTableView(), Qt::Key_End);
    QApplication::processEvents();
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 9999);
}

TEST_F(DataScrollerTest, ClicksBesideTheVerticalKnobPageOrCentreIt) {
    TablesAndRowsController* c = showRows(10000);
    int64_t page = rowsOf(c)->numberOfDataPortRows();
    double bottom = vertical->height() - 2;
    click(vertical, QPointF(8, bottom));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, page);
    click(vertical, QPointF(8, bottom));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 2 * page);
    // Above the knob: one page up, never above row 0.
    rowsOf(c)->moveDataPortToRow(RowIndex(3));
    click(vertical, QPointF(8, 0));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    rowsOf(c)->moveDataPortToRow(RowIndex(5000));
    click(vertical, QPointF(8, 1));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 5000 - page);
    // Alt centres the knob on the pointer.
    click(vertical, QPointF(8, bottom), Qt::AltModifier);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 10000 - page);
    click(vertical, QPointF(8, vertical->height() / 2.0), Qt::AltModifier);
    EXPECT_NEAR(vertical->knobRect().center().y(), vertical->height() / 2.0, 1.0);
}

TEST_F(DataScrollerTest, NoKnobWhenEverythingFits) {
    TablesAndRowsController* c = showRows(5);
    EXPECT_TRUE(vertical->knobRect().isEmpty());
    EXPECT_TRUE(horizontal->knobRect().isEmpty());
    QTest::mousePress(vertical, Qt::LeftButton, {}, QPoint(8, 10));
    QTest::mouseMove(vertical, QPoint(8, 200));
    QTest::mouseRelease(vertical, Qt::LeftButton, {}, QPoint(8, 200));
    click(horizontal, QPointF(horizontal->width() - 2, 8));
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
}

TEST_F(DataScrollerTest, TheHorizontalKnobStepsOneFieldAtATime) {
    std::string columns;
    for (int f = 1; f <= 30; ++f) columns += (f > 1 ? ", c" : "c") + std::to_string(f);
    run("create table w (" + columns + "); insert into w (c1) values (1), (2)");
    TablesAndRowsController* c = show("w");
    horizontal = c->view()->findChild<HorizontalDataScrollerView*>();
    int64_t perPage = rowsOf(c)->numberOfDataPortFieldsInFirstPage();
    ASSERT_LT(perPage, 30);
    QRectF knob = horizontal->knobRect();
    EXPECT_DOUBLE_EQ(knob.left(), 0);
    EXPECT_DOUBLE_EQ(knob.top(), 5.0);
    EXPECT_DOUBLE_EQ(horizontal->scrollerWidth(),
                     std::max(30.0, horizontal->width() / std::ceil(30.0 / double(perPage))));
    // A click right of the knob moves one field, not a page.
    click(horizontal, QPointF(horizontal->width() - 2, 8));
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 2);
    EXPECT_EQ(rowsOf(c)->rowsTableView()->model()->headerData(1, Qt::Horizontal).toString(), "c2");
    // A drag past the right edge shows the last field first; past the left edge the first.
    knob = horizontal->knobRect();
    drag(horizontal, knob.center(), QPointF(horizontal->width() + 10, 8));
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 30);
    knob = horizontal->knobRect();
    EXPECT_DOUBLE_EQ(knob.right(), horizontal->width());
    drag(horizontal, knob.center(), QPointF(-10, 8));
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
}

TEST_F(DataScrollerTest, WithoutAControllerTheScrollersOnlyPaintAndPassReleasesOn) {
    ensureQApplication();
    VerticalDataScrollerView v;
    HorizontalDataScrollerView h;
    v.resize(16, 200);
    h.resize(200, 16);
    EXPECT_FALSE(v.grab().isNull());
    EXPECT_FALSE(h.grab().isNull());
    EXPECT_TRUE(v.knobRect().isEmpty());
    EXPECT_DOUBLE_EQ(v.scrollerHeight(), 30);
    EXPECT_DOUBLE_EQ(h.scrollerWidth(), 30);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&v, &release);
    EXPECT_FALSE(release.isAccepted());
}

namespace {
// A port over a row count no file could hold, to reach the int64 limits.
struct HugePort : VerticalDataScrollerViewDelegate {
    int64_t first = 0, perPage = 10, total = std::numeric_limits<int64_t>::max();
    std::vector<int64_t> moves;
    RowIndex firstRowIndex() const override { return RowIndex(first); }
    int64_t numberOfDataPortRows() const override { return perPage; }
    int64_t totalNumberOfRows() const override { return total; }
    void moveDataPortToRowIndex(RowIndex rowIndex) override {
        moves.push_back(rowIndex.value);
        first = rowIndex.value;
    }
};
}  // namespace

TEST_F(DataScrollerTest, TheVerticalKnobReachesTheLastPageOfAHugeRowCount) {
    HugePort port;
    VerticalDataScrollerView view;
    view.setController(&port);
    view.resize(16, 300);
    int64_t lastPage = port.total - port.perPage;
    // Dragged to the view's bottom edge, past the knob's travel: the last page, not row 0.
    QRectF knob = view.knobRect();
    drag(&view, knob.center(), QPointF(knob.center().x(), view.height() - 1));
    ASSERT_FALSE(port.moves.empty());
    EXPECT_EQ(port.moves.back(), lastPage);
    click(&view, QPointF(8, 1));
    EXPECT_EQ(port.first, lastPage - port.perPage);
    // Alt puts the knob's middle under a pointer near the bottom: the last page.
    port.first = 0;
    click(&view, QPointF(8, view.height() - 1), Qt::AltModifier);
    EXPECT_EQ(port.first, lastPage);
}

TEST_F(DataScrollerTest, OnlyTheLeftButtonPagesOrSteps) {
    TablesAndRowsController* c = showRows(10000);
    QPoint below(8, vertical->height() - 2);
    QTest::mouseClick(vertical, Qt::RightButton, {}, below);
    QTest::mouseClick(vertical, Qt::MiddleButton, {}, below);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, 0);
    QTest::mouseClick(horizontal, Qt::RightButton, {}, QPoint(horizontal->width() - 2, 8));
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 1);
    QTest::mouseClick(vertical, Qt::LeftButton, {}, below);
    EXPECT_EQ(c->state().dataPort.firstRowIndexInDataPort.value, rowsOf(c)->numberOfDataPortRows());
}

TEST_F(DataScrollerTest, AFieldWiderThanTheGridStillCountsAsOneFieldOfThePage) {
    std::string columns;
    for (int f = 1; f <= 30; ++f) columns += (f > 1 ? ", c" : "c") + std::to_string(f);
    run("create table w (" + columns + "); insert into w (c1) values (1), (2)");
    nlohmann::json widths = nlohmann::json::array({60, 5000});
    for (int f = 2; f <= 30; ++f) widths.push_back(100);
    UserDefaults::standard().setObject({{"test.db", {{"w", widths}}}}, "RowsTableColumnWidths");
    TablesAndRowsController* c = show("w");
    horizontal = c->view()->findChild<HorizontalDataScrollerView*>();
    EXPECT_EQ(rowsOf(c)->numberOfDataPortFieldsInFirstPage(), 1);
    EXPECT_EQ(rowsOf(c)->numberOfDataPortFields(), 1);
    ASSERT_FALSE(horizontal->knobRect().isEmpty());
    // The knob and the keys still move sideways through the other fields.
    click(horizontal, QPointF(horizontal->width() - 2, 8));
    EXPECT_EQ(c->state().dataPort.firstFieldIndexInDataPort.value, 2);
}

TEST_F(DataScrollerTest, TheCornerBesideTheScrollersIsPlainWindowBackground) {
    TablesAndRowsController* c = showRows(1000);
    QWidget* corner = c->view()->findChild<QWidget*>("rowsLowerRightView");
    ASSERT_NE(corner, nullptr);
    ASSERT_TRUE(corner->isVisible());
    // Below the vertical scroller, as wide as it, level with the horizontal one.
    QRect below = corner->geometry();
    QRect beside = vertical->geometry();
    EXPECT_EQ(below.left(), beside.left());
    EXPECT_EQ(below.width(), beside.width());
    EXPECT_GT(below.top(), beside.bottom());
    EXPECT_GE(below.left(), horizontal->geometry().right());
    EXPECT_LE(below.top(), horizontal->geometry().top());
    EXPECT_GE(below.bottom(), horizontal->geometry().bottom());
    QImage image = corner->grab().toImage();
    const QColor window = corner->palette().color(QPalette::Window);
    int other = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) other += image.pixelColor(x, y) != window;
    }
    EXPECT_EQ(other, 0);
}
