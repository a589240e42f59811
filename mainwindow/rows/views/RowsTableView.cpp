#include "mainwindow/rows/views/RowsTableView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {
constexpr double kEighthsPerDegree = 8;
// A sideways movement must pass this before it moves a field.
constexpr double kSidewaysThreshold = 1.0;
}  // namespace

RowsTableView::RowsTableView(RowsTableViewController* controller, QWidget* parent)
    : QTableView(parent),
      controller_(controller),
      model_(new RowsTableModel(controller, this)),
      rowView_(controller) {
    setObjectName("rowsTableView");
    setModel(model_);
    // A reset would drop an open editor and the text typed into it: whatever reloads the
    // grid, the edit is written first.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, &RowsTableView::endEditing);
    setItemDelegate(new SpreadsheetTableCellView(controller, controller, this));
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionsMovable(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        RowsTableViewDelegate* delegate = controller_;
        if (delegate) delegate->rowsTableViewDidClickTableColumn(column);
    });
    // Only a column edge the user drags counts; columns made or reset resize too.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (controller_ && (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            controller_->tableViewColumnDidResize();
        }
    });
}

void RowsTableView::endEditing() {
    if (QWidget* editor = indexWidget(currentIndex()); editor && isEditing()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void RowsTableView::detachController() {
    endEditing();
    setModel(nullptr);
    delete model_;
    model_ = nullptr;
    delete itemDelegate();
    controller_ = nullptr;
}

int RowsTableView::numberOfColumns() const {
    return model()->columnCount();
}

int RowsTableView::numberOfRows() const {
    return model()->rowCount();
}

int RowsTableView::columnWithIdentifier(const QString& identifier) const {
    return RowsTableModel::columnWithIdentifier(identifier, numberOfColumns());
}

int RowsTableView::rowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

void RowsTableView::wheelEvent(QWheelEvent* event) {
    event->accept();
    RowsTableViewDelegate* delegate = controller_;
    if (!delegate) return;
    RowIndex first = delegate->firstRowIndex();
    if (first.isNone() || delegate->numberOfDataPortRows() < 1 ||
        delegate->totalNumberOfRows() < 1) {
        return;
    }
    // One event moves one row or one field, whatever its size.
    QPointF delta = event->pixelDelta().isNull() ? QPointF(event->angleDelta()) / kEighthsPerDegree
                                                 : QPointF(event->pixelDelta());
    if (std::abs(delta.x()) > std::abs(delta.y())) {
        if (delta.x() > kSidewaysThreshold) {
            delegate->moveDataPortLeftOneColumn(true);
        } else if (delta.x() < -kSidewaysThreshold) {
            delegate->moveDataPortRightOneColumn(true);
        }
    } else if (delta.y() < 0) {
        delegate->moveDataPortToRowIndex(first + 1);
    } else if (delta.y() > 0) {
        delegate->moveDataPortToRowIndex(first - 1);
    }
}

void RowsTableView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    // Sizes that hold the rows and fields shown need no layout: Qt draws the cells they uncover
    // from the page held. The window's first sizes at start are mostly such.
    if (!controller_ || controller_->isGridLaidOutForItsSize()) return;
    // Sizes the grid takes before it is drawn (its first, and the window manager's once it has
    // framed a new window) are laid out at once: the first drawing shows the page of the size
    // the window keeps, and nothing is loaded or drawn again after it.
    if (!event->oldSize().isValid() || !drawnSinceShown_) {
        controller_->windowDidEndLiveResize();
        // The view's own layout of the new page too, or it would draw the grid once more.
        executeDelayedItemsLayout();
        return;
    }
    layOutForSizeSoon();
}

void RowsTableView::layOutForSizeSoon() {
    // The sizes of a window being dragged come faster than the grid loads: the resizes already
    // waiting are taken first, and the grid lays out once, for the size they leave.
    if (layoutForSize_ == LayoutForSize::Queued) return;
    layoutForSize_ = LayoutForSize::Queued;
    QMetaObject::invokeMethod(
        this, [this] { layOutForSize(); }, Qt::QueuedConnection);
}

void RowsTableView::layOutForSize() {
    // An edit in progress is not cut short: the layout comes when it has ended.
    if (isEditing()) {
        layoutForSize_ = LayoutForSize::AfterEdit;
        return;
    }
    layoutForSize_ = LayoutForSize::None;
    if (controller_ && !controller_->isGridLaidOutForItsSize()) {
        controller_->windowDidEndLiveResize();
    }
}

void RowsTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    if (layoutForSize_ == LayoutForSize::AfterEdit) {
        layoutForSize_ = LayoutForSize::None;
        layOutForSizeSoon();
    }
}

void RowsTableView::editCell(int row, int column) {
    QModelIndex cell = model_->index(row, column);
    setCurrentIndex(cell);
    edit(cell);
}

QColor RowsTableView::backgroundColor() {
    return QColor(217, 226, 235);
}

void RowsTableView::keyPressEvent(QKeyEvent* event) {
    if (!controller_) {
        QTableView::keyPressEvent(event);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        RowsTableViewDelegate* d = controller_;
        d->rowsTableViewSelectAllMenuItemClicked();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Each variant starts from the values of the page shown.
        RowsTableViewDelegate* d = controller_;
        d->loadPendingDataPort();
        Qt::KeyboardModifiers modifiers = event->modifiers();
        if (modifiers & Qt::AltModifier) {
            d->rowsTableViewAlternateReturnKeyPressed();
        } else if (modifiers & Qt::ControlModifier) {
            d->rowsTableViewCommandReturnKeyPressed();
        } else {
            d->rowsTableViewReturnKeyPressed();
        }
        return;
    }
    if (!dispatchMoveKey(event)) QTableView::keyPressEvent(event);
}

bool RowsTableView::dispatchMoveKey(const QKeyEvent* event) {
    RowsTableViewDelegate* d = controller_;
    using Handler = void (RowsTableViewDelegate::*)();
    // Alt, Control and Shift stand for Option, Command and Shift, asked in that order.
    struct Arrow {
        int key;
        Handler alternate, command, shift, plain;
    };
    static const Arrow arrows[] = {
        {Qt::Key_Up, &RowsTableViewDelegate::rowsTableViewAlternateUpKeyPressed,
         &RowsTableViewDelegate::rowsTableViewCommandUpKeyPressed,
         &RowsTableViewDelegate::rowsTableViewShiftUpKeyPressed,
         &RowsTableViewDelegate::rowsTableViewUpKeyPressed},
        {Qt::Key_Down, &RowsTableViewDelegate::rowsTableViewAlternateDownKeyPressed,
         &RowsTableViewDelegate::rowsTableViewCommandDownKeyPressed,
         &RowsTableViewDelegate::rowsTableViewShiftDownKeyPressed,
         &RowsTableViewDelegate::rowsTableViewDownKeyPressed},
        {Qt::Key_Left, &RowsTableViewDelegate::rowsTableViewAlternateLeftKeyPressed,
         &RowsTableViewDelegate::rowsTableViewCommandLeftKeyPressed,
         &RowsTableViewDelegate::rowsTableViewShiftLeftKeyPressed,
         &RowsTableViewDelegate::rowsTableViewLeftKeyPressed},
        {Qt::Key_Right, &RowsTableViewDelegate::rowsTableViewAlternateRightKeyPressed,
         &RowsTableViewDelegate::rowsTableViewCommandRightKeyPressed,
         &RowsTableViewDelegate::rowsTableViewShiftRightKeyPressed,
         &RowsTableViewDelegate::rowsTableViewRightKeyPressed},
    };
    Qt::KeyboardModifiers modifiers = event->modifiers();
    for (const Arrow& arrow : arrows) {
        if (event->key() != arrow.key) continue;
        Handler handler = modifiers & Qt::AltModifier       ? arrow.alternate
                          : modifiers & Qt::ControlModifier ? arrow.command
                          : modifiers & Qt::ShiftModifier   ? arrow.shift
                                                            : arrow.plain;
        (d->*handler)();
        return true;
    }
    // These act whatever the modifiers.
    static const std::pair<int, Handler> keys[] = {
        {Qt::Key_Home, &RowsTableViewDelegate::rowsTableViewCommandUpKeyPressed},
        {Qt::Key_End, &RowsTableViewDelegate::rowsTableViewCommandDownKeyPressed},
        {Qt::Key_PageUp, &RowsTableViewDelegate::rowsTableViewAlternateUpKeyPressed},
        {Qt::Key_PageDown, &RowsTableViewDelegate::rowsTableViewAlternateDownKeyPressed},
        {Qt::Key_Backspace, &RowsTableViewDelegate::rowsTableViewDeleteKeyPressed},
        {Qt::Key_Tab, &RowsTableViewDelegate::rowsTableViewTabKeyPressed},
        {Qt::Key_Backtab, &RowsTableViewDelegate::rowsTableViewShiftTabKeyPressed},
    };
    for (const auto& [key, handler] : keys) {
        if (event->key() != key) continue;
        (d->*handler)();
        return true;
    }
    return false;
}

bool RowsTableView::focusNextPrevChild(bool next) {
    // Tab and Shift-Tab move the grid's focus, not the window's, unless a cell is being edited.
    return isEditing() || !controller_ ? QTableView::focusNextPrevChild(next) : false;
}

void RowsTableView::mousePressEvent(QMouseEvent* event) {
    // Presses on the column header never come here: the header is a view of its own.
    RowsTableViewDelegate* d = controller_;
    if (!d) return;
    // A click reads the values under it, so the page a move left waiting comes first.
    d->loadPendingDataPort();
    // Alt and Control stand for Option and Command.
    Qt::KeyboardModifiers modifiers = event->modifiers();
    bool shift = modifiers & Qt::ShiftModifier, option = modifiers & Qt::AltModifier;
    QPoint point = event->position().toPoint();
    if (shift && option) {
        d->rowsTableViewShiftAlternateClickedOnPoint(point);
    } else if (shift) {
        d->rowsTableViewShiftClickedOnPoint(point);
    } else if (modifiers & Qt::ControlModifier) {
        d->rowsTableViewCommandClickedOnPoint(point);
    } else if (option) {
        d->rowsTableViewAlternateClickedOnPoint(point);
    } else {
        d->rowsTableViewClickedOnPoint(point);
    }
    QTableView::mousePressEvent(event);
}

void RowsTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!controller_) return;
    controller_->rowsTableDoubleClickOnRow(event->position().toPoint());
}

void RowsTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    drawnSinceShown_ = true;
    if (!controller_) return;
    // No empty rows below the data port and no empty cells beside the last field.
    QPainter painter(viewport());
    QRect bounds = viewport()->rect();
    for (int row = 0; row < numberOfRows(); ++row) {
        QRect rowRect(0, rowViewportPosition(row), bounds.width(), rowHeight());
        rowView_.drawRect(&painter, rowRect, window());
    }
    int below = static_cast<int>(std::lround(controller_->lastRowPosition()));
    if (below < bounds.bottom()) {
        painter.fillRect(QRect(0, below, bounds.width(), bounds.bottom() - below + 1),
                         backgroundColor());
    }
}

void RowsTableView::hideEvent(QHideEvent* event) {
    QTableView::hideEvent(event);
    drawnSinceShown_ = false;
}

void RowsTableView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    // The highlight colours depend on whether the grid has the keyboard.
    viewport()->update();
}

void RowsTableView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

int RowsTableView::sizeHintForColumn(int column) const {
    if (!controller_) return QTableView::sizeHintForColumn(column);
    return static_cast<int>(
        std::ceil(controller_->tableViewSizeToFitWidthOfColumn(GridColumn(column))));
}
