#pragma once
// A grid row's background beyond its last column, in the colour its delegate gives, so that a
// narrow table does not show empty cells to the right of its fields.
#include <QColor>
#include <QRect>

class QPainter;
class QWidget;

class SpreadsheetTableRowViewDelegate {
  public:
    virtual ~SpreadsheetTableRowViewDelegate() = default;
    virtual double lastColumnPosition() const = 0;
    virtual QColor spreadsheetTableRowViewBackgroundColor(QWidget* window) const = 0;
};

class SpreadsheetTableRowView {
  public:
    explicit SpreadsheetTableRowView(SpreadsheetTableRowViewDelegate* delegate)
        : spreadsheetDelegate_(delegate) {}

    // Paints the row's rectangle right of the delegate's last column.
    void drawRect(QPainter* painter, const QRect& rowRect, QWidget* window) const;

    SpreadsheetTableRowViewDelegate* spreadsheetDelegate() const { return spreadsheetDelegate_; }
    void setSpreadsheetDelegate(SpreadsheetTableRowViewDelegate* delegate) {
        spreadsheetDelegate_ = delegate;
    }

  private:
    SpreadsheetTableRowViewDelegate* spreadsheetDelegate_;  // not owned
};
