#pragma once
// What the rows grid asks of the console that drives it: it turns keys and clicks into these calls
// and reads the data port's position through them.
#include <QPoint>

#include <cstdint>

#include "mainwindow/IndexSpaces.h"

class RowsTableViewDelegate {
  public:
    virtual ~RowsTableViewDelegate() = default;

    virtual void rowsTableViewSelectAllMenuItemClicked() = 0;
    virtual void rowsTableViewReturnKeyPressed() = 0;
    virtual void rowsTableViewAlternateReturnKeyPressed() = 0;
    virtual void rowsTableViewCommandReturnKeyPressed() = 0;
    // A double click at the point (in the grid's viewport); its first click came as a click.
    virtual void rowsTableDoubleClickOnRow(QPoint point) = 0;
    virtual void rowsTableViewClickedOnPoint(QPoint point) = 0;
    virtual void rowsTableViewShiftClickedOnPoint(QPoint point) = 0;
    virtual void rowsTableViewShiftAlternateClickedOnPoint(QPoint point) = 0;
    virtual void rowsTableViewAlternateClickedOnPoint(QPoint point) = 0;
    virtual void rowsTableViewCommandClickedOnPoint(QPoint point) = 0;
    virtual RowIndex firstRowIndex() const = 0;
    virtual int64_t numberOfDataPortRows() const = 0;
    virtual int64_t totalNumberOfRows() const = 0;
    virtual double lastRowPosition() const = 0;
    virtual void moveDataPortToRowIndex(RowIndex rowIndex) = 0;
    virtual void moveDataPortLeftOneColumn(bool moveFocus) = 0;
    virtual void moveDataPortRightOneColumn(bool moveFocus) = 0;
    virtual void rowsTableViewDeleteKeyPressed() = 0;
    virtual void rowsTableViewTabKeyPressed() = 0;
    virtual void rowsTableViewShiftTabKeyPressed() = 0;
    virtual void rowsTableViewUpKeyPressed() = 0;
    virtual void rowsTableViewShiftUpKeyPressed() = 0;
    virtual void rowsTableViewAlternateUpKeyPressed() = 0;
    virtual void rowsTableViewCommandUpKeyPressed() = 0;
    virtual void rowsTableViewDownKeyPressed() = 0;
    virtual void rowsTableViewShiftDownKeyPressed() = 0;
    virtual void rowsTableViewAlternateDownKeyPressed() = 0;
    virtual void rowsTableViewCommandDownKeyPressed() = 0;
    virtual void rowsTableViewLeftKeyPressed() = 0;
    virtual void rowsTableViewShiftLeftKeyPressed() = 0;
    virtual void rowsTableViewAlternateLeftKeyPressed() = 0;
    virtual void rowsTableViewCommandLeftKeyPressed() = 0;
    virtual void rowsTableViewRightKeyPressed() = 0;
    virtual void rowsTableViewShiftRightKeyPressed() = 0;
    virtual void rowsTableViewAlternateRightKeyPressed() = 0;
    virtual void rowsTableViewCommandRightKeyPressed() = 0;
    virtual void rowsTableViewDidClickTableColumn(int column) = 0;
    // Loads a page a merged move left waiting, before a click reads the values.
    virtual void loadPendingDataPort() = 0;
    // The user dragged a column's edge.
    virtual void tableViewColumnDidResize() = 0;
    // The grid's size settled after a resize.
    virtual void windowDidEndLiveResize() = 0;
    // Whether the grid shows the rows and fields its present size holds: a resize to a size
    // that holds the same ones needs no new layout.
    virtual bool isGridLaidOutForItsSize() const = 0;
    // Width that shows every loaded value of the grid column.
    virtual double tableViewSizeToFitWidthOfColumn(GridColumn column) const = 0;
};
