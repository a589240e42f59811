#pragma once
// The scroller below the rows grid: its knob shows the first field shown among all fields and
// moves the grid's first field, one field per step.
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/rows/views/DataScrollerView.h"

class HorizontalDataScrollerViewDelegate {
  public:
    virtual ~HorizontalDataScrollerViewDelegate() = default;
    virtual FieldIndex firstFieldIndexOfDataPort() const = 0;
    virtual FieldIndex firstFieldIndexToShow() const = 0;
    virtual int64_t numberOfDataPortFieldsInFirstPage() const = 0;
    virtual int64_t totalNumberOfFieldsToShow() const = 0;
    virtual void moveDataPortToFieldIndex(FieldIndex fieldIndex) = 0;
};

class HorizontalDataScrollerView : public DataScrollerView {
    Q_OBJECT

  public:
    explicit HorizontalDataScrollerView(QWidget* parent = nullptr);

    HorizontalDataScrollerViewDelegate* controller() const { return controller_; }
    void setController(HorizontalDataScrollerViewDelegate* controller) { controller_ = controller; }

    double scrollerWidth() const { return knobLength(width()); }
    double scrollerHeight() const { return height() - 2 * scrollerYOffset(); }
    static constexpr double scrollerYOffset() { return 5.0; }
    QRectF knobRect() const override;

  protected:
    bool hasController() const override { return controller_; }
    // The first count is the 0-based position of the first field shown.
    bool validCounts(Counts* counts) const override;
    void knobDragged(const QMouseEvent* event, const Counts& counts) override;
    void clickedBesideKnob(const QMouseEvent* event, const Counts& counts) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // One field towards the field under the pointer.
    void stepTowards(double x, const Counts& counts);

    HorizontalDataScrollerViewDelegate* controller_ = nullptr;
};
