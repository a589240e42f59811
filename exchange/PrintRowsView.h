#pragma once
// The view that draws rows through the current print layout: on screen one box enlarged (box
// mode) or a whole page (page mode), on paper every page. It holds nothing but its delegate and
// asks it for the layout, the rows and the objects of each box at every drawing.
#include <QWidget>

#include <cstdint>
#include <set>

#include <nlohmann/json.hpp>

#include "exchange/PrintLayout.h"

class QPainter;
class QPrinter;

class PrintRowsViewDelegate {
  public:
    virtual ~PrintRowsViewDelegate() = default;
    virtual const PrintLayout& printLayout() const = 0;
    // Rows of the selected object under its search.
    virtual int64_t numberOfRows() const = 0;
    virtual int64_t numberOfFields() const = 0;
    // The row in the first box: the grid's focused row, -1 for none.
    virtual int64_t printViewFirstRowIndex() const = 0;
    virtual bool printPreviewMode() const = 0;
    virtual bool designMode() const = 0;
    virtual std::set<int64_t> selectedBoxObjectIndexSet() const = 0;
    // The rows a page shows are read together before its boxes ask for their objects.
    virtual void willDrawRows(int64_t firstRowIndex, int64_t count) = 0;
    // The box objects with each field object's "text" the row's display text; empty for a row
    // outside the object.
    virtual nlohmann::json loadBoxObjects(int64_t rowIndex) = 0;
};

class PrintRowsView : public QWidget {
    Q_OBJECT

  public:
    explicit PrintRowsView(QWidget* parent = nullptr);

    void setDelegate(PrintRowsViewDelegate* delegate) { delegate_ = delegate; }
    // Sizes the view to the page's or the box's proportions, centred in its parent.
    void resizePrintRowsView();

    // Draws page `page` (0 the first) in points from the page's top-left corner.
    static void drawPage(QPainter& painter, PrintRowsViewDelegate& delegate, int64_t page,
                         bool printing);
    // Prints the pages fromPage to toPage (from 1; 0 for all) at the layout's own size: an inch
    // of the layout is an inch on paper. The pages printed.
    static int64_t printRows(QPrinter& printer, PrintRowsViewDelegate& delegate);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PrintRowsViewDelegate* delegate_ = nullptr;
};
