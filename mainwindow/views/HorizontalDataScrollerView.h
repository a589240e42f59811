#pragma once
// The scroller below the rows grid: its knob shows the first field shown among all fields and
// moves the grid's first field, one field per step.
#include <QWidget>

#include <cstdint>

class HorizontalDataScrollerViewDelegate {
  public:
    virtual ~HorizontalDataScrollerViewDelegate() = default;
    virtual int64_t firstFieldIndexOfDataPort() const = 0;
    virtual int64_t firstFieldIndexToShow() const = 0;
    virtual int64_t numberOfDataPortFieldsInFirstPage() const = 0;
    virtual int64_t totalNumberOfFieldsToShow() const = 0;
    virtual void moveDataPortToFieldIndex(int64_t fieldIndex) = 0;
};

class HorizontalDataScrollerView : public QWidget {
    Q_OBJECT

  public:
    explicit HorizontalDataScrollerView(QWidget* parent = nullptr);

    HorizontalDataScrollerViewDelegate* controller() const { return controller_; }
    void setController(HorizontalDataScrollerViewDelegate* controller) { controller_ = controller; }
    bool scrolling() const { return scrolling_; }

    double scrollerWidth() const;
    double scrollerHeight() const;
    static constexpr double scrollerYOffset() { return 5.0; }
    // The knob in the view's own coordinates; empty when no knob is shown.
    QRectF knobRect() const;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Counts {
        int64_t first, perPage, total;  // first is the 0-based position of the first field shown
    };
    bool validCounts(Counts* counts) const;
    // One field towards the field under the pointer.
    void stepTowards(double x, const Counts& counts);

    HorizontalDataScrollerViewDelegate* controller_ = nullptr;
    bool scrolling_ = false;
};
