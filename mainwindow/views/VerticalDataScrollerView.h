#pragma once
// The scroller beside the rows grid. The grid holds only a page of the table, so a platform
// scroll bar could not show where that page stands; this one places its knob by the data
// port's first row among all rows and moves the port over the whole table.
#include <QWidget>

#include <cstdint>

class VerticalDataScrollerViewDelegate {
  public:
    virtual ~VerticalDataScrollerViewDelegate() = default;
    virtual int64_t firstRowIndex() const = 0;
    virtual int64_t numberOfDataPortRows() const = 0;
    virtual int64_t totalNumberOfRows() const = 0;
    virtual void moveDataPortToRowIndex(int64_t rowIndex) = 0;
};

class VerticalDataScrollerView : public QWidget {
    Q_OBJECT

  public:
    explicit VerticalDataScrollerView(QWidget* parent = nullptr);

    VerticalDataScrollerViewDelegate* controller() const { return controller_; }
    void setController(VerticalDataScrollerViewDelegate* controller) { controller_ = controller; }
    bool scrolling() const { return scrolling_; }

    double scrollerHeight() const;
    double scrollerWidth() const;
    static constexpr double scrollerXOffset() { return 4.5; }
    // The knob in the view's own coordinates; empty when no knob is shown.
    QRectF knobRect() const;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Counts {
        int64_t first, perPage, total;
    };
    bool validCounts(Counts* counts) const;
    // Positions are measured upwards from the bottom edge, as the knob is laid out.
    double heightAbove(const QMouseEvent* event) const;
    void moveTo(double row, const Counts& counts);

    VerticalDataScrollerViewDelegate* controller_ = nullptr;
    bool scrolling_ = false;
    double scrollerHoldFraction_ = 0;
};
