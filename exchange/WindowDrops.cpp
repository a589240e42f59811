#include "exchange/WindowDrops.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>

#include "exchange/DragTablesPanel.h"
#include "mainwindow/DatabaseWindow.h"
#include "platform/ui/DroppedFiles.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ReorderDrag.h"

WindowDrops::WindowDrops(DatabaseWindow& window, QAbstractItemView* tablesList,
                         QAbstractItemView* rowsGrid, Routes routes)
    : QObject(tablesList),
      window_(window),
      tablesList_(tablesList),
      rowsGrid_(rowsGrid),
      tablesViewport_(tablesList ? tablesList->viewport() : nullptr),
      gridViewport_(rowsGrid ? rowsGrid->viewport() : nullptr),
      routes_(std::move(routes)) {
    for (QAbstractItemView* view : {tablesList_, rowsGrid_}) {
        if (!view) continue;
        view->setDragEnabled(false);
        view->viewport()->setAcceptDrops(true);
        view->viewport()->installEventFilter(this);
    }
}

bool WindowDrops::isSQLFile(const QString& path) {
    return path.endsWith(".sql", Qt::CaseInsensitive);
}

std::optional<nlohmann::json> WindowDrops::otherWindowsTables(const QMimeData* data) const {
    std::optional<nlohmann::json> record = Pasteboard::record(data, kAddTablesFromDatabaseDataType);
    if (!record || !record->contains("window") || !(*record)["window"].is_number_integer() ||
        (*record)["window"].get<int>() == window_.windowIndex()) {
        return std::nullopt;
    }
    return record;
}

bool WindowDrops::takesDrop(const QAbstractItemView* view, const QMimeData* data) const {
    if (!data) return false;
    if (view == rowsGrid_) {
        // Text from elsewhere is taken and left alone, like files; tables never reach the grid.
        return !data->hasFormat(kAddTablesFromDatabaseDataType);
    }
    if (data->hasFormat(kAddTablesFromDatabaseDataType)) {
        return otherWindowsTables(data).has_value();
    }
    return !droppedFilePaths(data).isEmpty();
}

std::optional<std::string> WindowDrops::tableForFiles(const QAbstractItemView* view,
                                                      QPoint at) const {
    const std::vector<std::string>& names = window_.state().selectedObject.tableNames;
    int row = -1;
    if (view == tablesList_) {
        // Only a drop on a table's row names it; between rows each file names its own table.
        if (!dropRowAbove(view, at)) row = view->indexAt(at).row();
    } else if (tablesList_ && tablesList_->selectionModel()) {
        row = tablesList_->currentIndex().isValid() &&
                      tablesList_->selectionModel()->isSelected(tablesList_->currentIndex())
                  ? tablesList_->currentIndex().row()
                  : -1;
    }
    if (row < 0 || static_cast<size_t>(row) >= names.size()) return std::nullopt;
    return names[static_cast<size_t>(row)];
}

std::function<void()> WindowDrops::dropAction(const QAbstractItemView* view, const QMimeData* data,
                                              QPoint at) const {
    if (view == tablesList_ && data->hasFormat(kAddTablesFromDatabaseDataType)) {
        std::optional<nlohmann::json> record = otherWindowsTables(data);
        if (!record || !routes_.tablesDropped) return {};
        return [route = routes_.tablesDropped, record = *record] { route(record); };
    }
    const QStringList paths = droppedFilePaths(data);
    if (paths.isEmpty()) return {};
    if (std::any_of(paths.begin(), paths.end(), isSQLFile)) {
        if (!routes_.sqlFilesDropped) return {};
        return [route = routes_.sqlFilesDropped, paths] { route(paths); };
    }
    if (!routes_.importFilesDropped) return {};
    return [route = routes_.importFilesDropped, paths, table = tableForFiles(view, at)] {
        route(paths, table);
    };
}

void WindowDrops::startTablesDrag() {
    const std::vector<std::string>& names = window_.state().selectedObject.tableNames;
    std::vector<int> rows;
    for (const QModelIndex& index : tablesList_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> tables;
    for (int row : rows) {
        if (static_cast<size_t>(row) < names.size())
            tables.push_back(names[static_cast<size_t>(row)]);
    }
    if (tables.empty() || !window_.state().databaseFilePath) return;
    auto* drag = new QDrag(tablesList_);
    drag->setMimeData(
        Pasteboard::mimeData(kAddTablesFromDatabaseDataType,
                             DragTablesPanel::tablesRecord(*window_.state().databaseFilePath,
                                                           tables, window_.windowIndex())));
    drag->exec(Qt::CopyAction);
}

bool WindowDrops::eventFilter(QObject* watched, QEvent* event) {
    QAbstractItemView* view = watched == tablesViewport_ ? tablesList_
                              : watched == gridViewport_ ? rowsGrid_
                                                         : nullptr;
    if (!view) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* press = static_cast<QMouseEvent*>(event);
            const QModelIndex index = view->indexAt(press->position().toPoint());
            pressedAt_.reset();
            if (view == tablesList_ && press->button() == Qt::LeftButton && index.isValid() &&
                view->selectionModel()->isRowSelected(index.row(), QModelIndex())) {
                pressedAt_ = press->position().toPoint();
            }
            return false;
        }
        case QEvent::MouseMove: {
            auto* move = static_cast<QMouseEvent*>(event);
            if (view != tablesList_ || !pressedAt_ || !(move->buttons() & Qt::LeftButton) ||
                (move->position().toPoint() - *pressedAt_).manhattanLength() <
                    QApplication::startDragDistance()) {
                return false;
            }
            pressedAt_.reset();
            startTablesDrag();
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (takesDrop(view, drag->mimeData())) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* dropEvent = static_cast<QDropEvent*>(event);
            if (!takesDrop(view, dropEvent->mimeData())) {
                dropEvent->ignore();
                return true;
            }
            dropEvent->setDropAction(Qt::CopyAction);
            dropEvent->accept();
            // What the drop does runs after it: a panel or an alert must not open inside it.
            if (std::function<void()> action =
                    dropAction(view, dropEvent->mimeData(), dropEvent->position().toPoint())) {
                QMetaObject::invokeMethod(this, action, Qt::QueuedConnection);
            }
            return true;
        }
        default:
            return false;
    }
}
