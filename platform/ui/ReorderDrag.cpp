#include "platform/ui/ReorderDrag.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMetaObject>
#include <QMouseEvent>
#include <QRubberBand>

#include <algorithm>

#include <nlohmann/json.hpp>

namespace {

// The dragged rows inside the list, ascending and once each.
std::vector<int> rowsInside(size_t count, std::vector<int> rows) {
    std::erase_if(rows, [count](int row) { return row < 0 || static_cast<size_t>(row) >= count; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

}  // namespace

std::vector<size_t> placeholderOrder(size_t count, std::vector<int> rows, int destination) {
    rows = rowsInside(count, std::move(rows));
    const size_t at = static_cast<size_t>(std::clamp<int64_t>(destination, 0, count));
    // The dragged entries leave placeholders behind; the block goes in at the drop line, which
    // still counts the old positions, and the placeholders are then removed.
    std::vector<std::optional<size_t>> entries;
    for (size_t i = 0; i <= count; ++i) {
        if (i == at) entries.insert(entries.end(), rows.begin(), rows.end());
        if (i == count) break;
        const bool dragged = std::binary_search(rows.begin(), rows.end(), static_cast<int>(i));
        entries.push_back(dragged ? std::nullopt : std::optional<size_t>(i));
    }
    std::vector<size_t> order;
    for (const std::optional<size_t>& slot : entries) {
        if (slot) order.push_back(*slot);
    }
    return order;
}

int placeholderBlockStart(size_t count, std::vector<int> rows, int destination) {
    rows = rowsInside(count, std::move(rows));
    const int at = static_cast<int>(std::clamp<int64_t>(destination, 0, count));
    return at - static_cast<int>(
                    std::count_if(rows.begin(), rows.end(), [at](int row) { return row < at; }));
}

QMimeData* reorderMimeData(const QString& type, const std::vector<int>& rows) {
    auto* data = new QMimeData;
    data->setData(type, QByteArray::fromStdString(nlohmann::json(rows).dump()));
    return data;
}

std::optional<std::vector<int>> reorderRows(const QMimeData* data, const QString& type) {
    if (!data || !data->hasFormat(type)) return std::nullopt;
    nlohmann::json rows = nlohmann::json::parse(data->data(type).toStdString(), nullptr, false);
    if (!rows.is_array()) return std::nullopt;
    std::vector<int> result;
    for (const nlohmann::json& row : rows) {
        if (!row.is_number_integer()) return std::nullopt;
        result.push_back(row.get<int>());
    }
    return result;
}

std::optional<int> dropRowAbove(const QAbstractItemView* view, QPoint viewportPoint) {
    const QModelIndex index = view->indexAt(viewportPoint);
    if (!index.isValid()) return view->model() ? view->model()->rowCount() : 0;
    const QRect rect = view->visualRect(index);
    // The same margins as the view's own drop indicator.
    const int margin = std::clamp(static_cast<int>(rect.height() / 5.5), 2, 12);
    if (viewportPoint.y() - rect.top() < margin) return index.row();
    if (rect.bottom() - viewportPoint.y() < margin) return index.row() + 1;
    return std::nullopt;
}

int reorderDropRow(const QAbstractItemView* view, QPoint viewportPoint) {
    const QModelIndex index = view->indexAt(viewportPoint);
    if (!index.isValid()) return view->model() ? view->model()->rowCount() : 0;
    const QRect rect = view->visualRect(index);
    return viewportPoint.y() - rect.top() <= rect.bottom() - viewportPoint.y() ? index.row()
                                                                               : index.row() + 1;
}

ReorderDrag::ReorderDrag(QAbstractItemView* view, QString type,
                         std::function<void(const std::vector<int>&, int)> moved,
                         std::function<bool()> enabled)
    : QObject(view),
      view_(view),
      viewport_(view->viewport()),
      type_(std::move(type)),
      moved_(std::move(moved)),
      enabled_(std::move(enabled)) {
    // The view's own drag would carry its items; ours carries the rows.
    view_->setDragEnabled(false);
    view_->setDragDropMode(QAbstractItemView::NoDragDrop);
    viewport_->setAcceptDrops(true);
    viewport_->installEventFilter(this);
}

std::vector<int> ReorderDrag::selectedRows() const {
    std::vector<int> rows;
    if (!view_->selectionModel()) return rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool ReorderDrag::takesDrop(const QMimeData* data) const {
    return reorderRows(data, type_) && (!enabled_ || enabled_());
}

bool ReorderDrag::mousePressed(const QMouseEvent& press) {
    endMouseDrag();
    const QPoint at = press.position().toPoint();
    const QModelIndex index = view_->indexAt(at);
    if (press.button() != Qt::LeftButton || press.modifiers() != Qt::NoModifier ||
        !index.isValid() || (enabled_ && !enabled_())) {
        return false;
    }
    // A selected line may be the handle of a drag of the whole selection: the view would
    // select it alone or start editing it, so it learns of the press only at a click.
    const bool selected = view_->selectionModel()->isRowSelected(index.row(), QModelIndex());
    press_ = Press{at, press.globalPosition(), press.modifiers(), selected};
    if (selected) view_->setFocus(Qt::MouseFocusReason);
    return selected;
}

bool ReorderDrag::mouseMoved(const QMouseEvent& move) {
    if (!press_) return false;
    if (!(move.buttons() & Qt::LeftButton)) {
        endMouseDrag();
        return false;
    }
    if (!dragging_ && (move.position().toPoint() - press_->at).manhattanLength() >=
                          QApplication::startDragDistance()) {
        dragging_ = true;
        viewport_->setCursor(Qt::DragMoveCursor);
    }
    if (dragging_) showDropLine(reorderDropRow(view_, move.position().toPoint()));
    // Moves never extend the selection while a line may be dragged.
    return true;
}

void ReorderDrag::showDropLine(int above) {
    const int count = view_->model() ? view_->model()->rowCount() : 0;
    if (count < 1) {
        if (dropLine_) dropLine_->hide();
        return;
    }
    if (!dropLine_) dropLine_ = new QRubberBand(QRubberBand::Line, viewport_);
    const int y = above < count ? view_->visualRect(view_->model()->index(above, 0)).top()
                                : view_->visualRect(view_->model()->index(count - 1, 0)).bottom();
    dropLine_->setGeometry(0, y - 1, viewport_->width(), 2);
    dropLine_->show();
}

bool ReorderDrag::mouseReleased(const QMouseEvent& release) {
    if (!press_ || release.button() != Qt::LeftButton) return false;
    const Press press = *press_;
    const bool dragged = dragging_;
    endMouseDrag();
    if (dragged) {
        const int destination = reorderDropRow(view_, release.position().toPoint());
        std::vector<int> rows = selectedRows();
        if (!rows.empty()) moved_(rows, destination);
        return true;
    }
    if (press.heldBack) {
        // Only a click after all: the view gets its press before the release.
        QMouseEvent replay(QEvent::MouseButtonPress, press.at, press.globalAt, Qt::LeftButton,
                           Qt::LeftButton, press.modifiers);
        replaying_ = true;
        QApplication::sendEvent(viewport_, &replay);
        replaying_ = false;
    }
    return false;
}

void ReorderDrag::endMouseDrag() {
    if (dragging_) viewport_->unsetCursor();
    if (dropLine_) dropLine_->hide();
    press_.reset();
    dragging_ = false;
}

bool ReorderDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport_ || replaying_) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            return mousePressed(*static_cast<QMouseEvent*>(event));
        case QEvent::MouseMove:
            return mouseMoved(*static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            return mouseReleased(*static_cast<QMouseEvent*>(event));
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (takesDrop(drag->mimeData())) {
                drag->setDropAction(Qt::MoveAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QPoint at = drop->position().toPoint();
            if (!takesDrop(drop->mimeData())) {
                drop->ignore();
                return true;
            }
            std::vector<int> rows = *reorderRows(drop->mimeData(), type_);
            const int destination = reorderDropRow(view_, at);
            // Ours is the move: the view removes nothing itself.
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            QMetaObject::invokeMethod(
                this, [this, rows, destination] { moved_(rows, destination); },
                Qt::QueuedConnection);
            return true;
        }
        default:
            return false;
    }
}
