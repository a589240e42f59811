#include "mainwindow/views/RowsTableView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"
#include "mainwindow/views/SpreadsheetTableCellView.h"

namespace {
constexpr int kRowsPerWheelStep = 3;
constexpr int kEighthsPerWheelStep = 120;
constexpr int kLiveResizeSettleMs = 150;
}  // namespace

RowsTableView::RowsTableView(TablesAndRowsController* controller, QWidget* parent)
    : QTableView(parent),
      controller_(controller),
      model_(new RowsTableModel(controller, this)),
      rowView_(controller) {
    setObjectName("rowsTableView");
    setModel(model_);
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
    // Only a column edge the user drags counts; columns made or reset resize too.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (controller_ && (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            controller_->tableViewColumnDidResize();
        }
    });
    // A resize ends when no further resize came for a moment.
    liveResizeEnd_.setSingleShot(true);
    liveResizeEnd_.setInterval(kLiveResizeSettleMs);
    connect(&liveResizeEnd_, &QTimer::timeout, this, [this] {
        if (controller_) controller_->windowDidEndLiveResize();
    });
}

void RowsTableView::detachController() {
    if (QWidget* editor = indexWidget(currentIndex()); editor && isEditing()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    setModel(nullptr);
    delete model_;
    model_ = nullptr;
    delete itemDelegate();
    controller_ = nullptr;
    liveResizeEnd_.stop();
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
    wheelRemainder_ += event->angleDelta().y();
    int steps = wheelRemainder_ / kEighthsPerWheelStep;
    wheelRemainder_ -= steps * kEighthsPerWheelStep;
    if (steps != 0 && controller_) {
        controller_->requestDataPortMove(-int64_t(steps) * kRowsPerWheelStep);
    }
    event->accept();
}

void RowsTableView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    liveResizeEnd_.start();
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
    bool plainReturn = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       !(event->modifiers() & (Qt::AltModifier | Qt::ControlModifier));
    if (plainReturn && controller_) {
        controller_->rowsTableViewReturnKeyPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

void RowsTableView::mousePressEvent(QMouseEvent* event) {
    RowsTableViewDelegate* delegate = controller_;
    if (!delegate) return;
    // Control stands for the Command key of other systems.
    if (event->modifiers() & Qt::ControlModifier) {
        delegate->rowsTableViewCommandClickedOnPoint(event->position().toPoint());
    } else {
        delegate->rowsTableViewClickedOnPoint(event->position().toPoint());
    }
    QTableView::mousePressEvent(event);
}

void RowsTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!controller_) return;
    controller_->rowsTableDoubleClickOnRow(event->position().toPoint());
}

void RowsTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
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
    return static_cast<int>(std::ceil(controller_->tableViewSizeToFitWidthOfColumn(column)));
}
