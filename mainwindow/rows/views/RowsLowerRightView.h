#pragma once
// The square in the corner where the grid's two scrollers meet: plain window background, so
// the corner reads as the end of both scrollers rather than as a gap.
#include <QWidget>

class RowsLowerRightView : public QWidget {
    Q_OBJECT

  public:
    explicit RowsLowerRightView(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
