#pragma once
// The scroller beside the rows grid. The grid holds only a page of the table, so a platform
// scroll bar could not show where that page stands; this one places its knob by the data
// port's first row among all rows and moves the port over the whole table.
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/rows/views/DataScrollerView.h"

class VerticalDataScrollerViewDelegate {
  public:
    virtual ~VerticalDataScrollerViewDelegate() = default;
    virtual RowIndex firstRowIndex() const = 0;
    virtual int64_t numberOfDataPortRows() const = 0;
    virtual int64_t totalNumberOfRows() const = 0;
    virtual void moveDataPortToRowIndex(RowIndex rowIndex) = 0;
};

class VerticalDataScrollerView : public DataScrollerView {
    Q_OBJECT

  public:
    explicit VerticalDataScrollerView(QWidget* parent = nullptr);

    VerticalDataScrollerViewDelegate* controller() const { return controller_; }
    void setController(VerticalDataScrollerViewDelegate* controller) { controller_ = controller; }

    double scrollerHeight() const { return knobLength(height()); }
    double scrollerWidth() const { return width() - 2 * scrollerXOffset(); }
    static constexpr double scrollerXOffset() { return 4.5; }
    QRectF knobRect() const override;

  protected:
    bool hasController() const override { return controller_; }
    bool validCounts(Counts* counts) const override;
    void knobPressed(const QMouseEvent* event) override;
    void knobDragged(const QMouseEvent* event, const Counts& counts) override;
    void clickedBesideKnob(const QMouseEvent* event, const Counts& counts) override;

  private:
    // The first row whose knob would have its top at y.
    void moveKnobTopTo(double y, const Counts& counts);
    void moveTo(int64_t row, const Counts& counts);

    VerticalDataScrollerViewDelegate* controller_ = nullptr;
    // Where in the knob the drag holds it: 0 at its lower edge, 1 at its upper edge.
    double scrollerHoldFraction_ = 0;
};
