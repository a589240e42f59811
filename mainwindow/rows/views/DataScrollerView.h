#pragma once
// What the grid's two data scrollers share: a flat knob on the window background, placed by the
// data port's position among everything the port can show, dragged by the knob and stepped by
// clicks beside it. The knob is hit where it is drawn.
#include <QRectF>
#include <QWidget>

#include <cstdint>

class DataScrollerView : public QWidget {
    Q_OBJECT

  public:
    static constexpr double kMinimumKnobLength = 30;

    explicit DataScrollerView(QWidget* parent);
    bool scrolling() const { return scrolling_; }
    // The knob in the view's own coordinates; empty when no knob is shown.
    virtual QRectF knobRect() const = 0;

  protected:
    // The port's position along the scroller: its first item, the items a page holds, and all.
    struct Counts {
        int64_t first, perPage, total;
    };
    virtual bool hasController() const = 0;
    // False without a controller or with counts that place nothing.
    virtual bool validCounts(Counts* counts) const = 0;
    // The knob shows only while the port holds less than everything.
    bool knobShown(Counts* counts) const;
    // The track divided by the number of pages, never below the minimum nor above the track.
    double knobLength(double trackLength) const;
    virtual void knobPressed(const QMouseEvent*) {}
    virtual void knobDragged(const QMouseEvent* event, const Counts& counts) = 0;
    virtual void clickedBesideKnob(const QMouseEvent* event, const Counts& counts) = 0;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool scrolling_ = false;
};
