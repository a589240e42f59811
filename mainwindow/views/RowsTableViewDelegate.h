#pragma once
// What the rows grid asks of its controller: it turns keys and clicks into these calls and
// reads the data port's position through them.
#include <QPoint>

#include <cstdint>

class RowsTableViewDelegate {
  public:
    virtual ~RowsTableViewDelegate() = default;

    virtual void rowsTableViewReturnKeyPressed() = 0;
    // A double click at the point (in the grid's viewport); its first click came as a click.
    virtual void rowsTableDoubleClickOnRow(QPoint point) = 0;
    virtual void rowsTableViewClickedOnPoint(QPoint point) = 0;
    virtual void rowsTableViewCommandClickedOnPoint(QPoint point) = 0;
    virtual int64_t firstRowIndex() const = 0;
    virtual int64_t numberOfDataPortRows() const = 0;
    virtual int64_t totalNumberOfRows() const = 0;
    virtual double lastRowPosition() const = 0;
};
