#pragma once
// The rows grid: a table view over the data port. It scrolls nothing itself: the port holds
// exactly the rows that fit, and a wheel move asks the controller for another first row. It
// draws no selection of its own (the grid keeps its own selection and focus): its cells ask the
// console how to highlight themselves, and keys and clicks go to the console.
#include <QTableView>

#include "mainwindow/rows/views/RowsTableModel.h"
#include "mainwindow/rows/views/RowsTableViewDelegate.h"
#include "mainwindow/rows/views/SpreadsheetTableCellView.h"
#include "mainwindow/rows/views/SpreadsheetTableRowView.h"

// Everything the grid, its model and its cells ask of the console that drives them.
class RowsTableViewController : public RowsTableViewDelegate,
                                public RowsTableDataSource,
                                public SpreadsheetTableCellViewDelegate,
                                public SpreadsheetTableRowViewDelegate,
                                public CellTextFieldDelegate {};

class RowsTableView : public QTableView {
    Q_OBJECT

  public:
    explicit RowsTableView(RowsTableViewController* controller, QWidget* parent = nullptr);

    RowsTableViewController* controller() const { return controller_; }
    // The console is going away: an open edit is ended (and written) while it still can, and
    // from then on the grid shows nothing and sends nothing.
    void detachController();
    RowsTableModel* rowsModel() const { return model_; }
    int numberOfColumns() const;
    int numberOfRows() const;
    // -1 when the grid has no column of that identifier.
    int columnWithIdentifier(const QString& identifier) const;
    int rowHeight() const;
    // Opens the cell's in-place editor; the caller has made sure it may be edited.
    void editCell(int row, int column);
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
    // Ends an open in-place edit, writing it as Return would.
    void endEditing();
    // Whether the layout for a new size is still to come.
    bool hasLayoutForSizeToCome() const { return layoutForSize_ != LayoutForSize::None; }
    // The grid's background below its last row and beside its last column.
    static QColor backgroundColor();

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    int sizeHintForColumn(int column) const override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

  private:
    // Sends a move key to the controller; false when the key is not one.
    bool dispatchMoveKey(const QKeyEvent* event);
    void layOutForSizeSoon();
    void layOutForSize();

    RowsTableViewController* controller_;
    RowsTableModel* model_;
    SpreadsheetTableRowView rowView_;
    enum class LayoutForSize { None, Queued, AfterEdit };
    LayoutForSize layoutForSize_ = LayoutForSize::None;
    bool drawnSinceShown_ = false;
};
