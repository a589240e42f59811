#include "mainwindow/views/RowsTableView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QWheelEvent>

#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/RowsTableModel.h"

namespace {
constexpr int kRowsPerWheelStep = 3;
constexpr int kEighthsPerWheelStep = 120;
constexpr int kLiveResizeSettleMs = 150;
}  // namespace

RowsTableView::RowsTableView(TablesAndRowsController* controller, QWidget* parent)
    : QTableView(parent), controller_(controller), model_(new RowsTableModel(controller, this)) {
    setObjectName("rowsTableView");
    setModel(model_);
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
        if (QGuiApplication::mouseButtons() & Qt::LeftButton) {
            controller_->tableViewColumnDidResize();
        }
    });
    // A resize ends when no further resize came for a moment.
    liveResizeEnd_.setSingleShot(true);
    liveResizeEnd_.setInterval(kLiveResizeSettleMs);
    connect(&liveResizeEnd_, &QTimer::timeout, this,
            [this] { controller_->windowDidEndLiveResize(); });
}

int RowsTableView::numberOfColumns() const {
    return model_->columnCount();
}

int RowsTableView::numberOfRows() const {
    return model_->rowCount();
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
    if (steps != 0) {
        controller_->requestDataPortMove(-int64_t(steps) * kRowsPerWheelStep);
    }
    event->accept();
}

void RowsTableView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    liveResizeEnd_.start();
}
