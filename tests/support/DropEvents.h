#pragma once
// Drags and drops delivered to a widget the way the window system does: enter, move, then the
// drop, each a real event; work the drop queues is run before the answer.
#include <QAbstractItemView>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ReorderDrag.h"

// Whether the widget took the drop.
inline bool sendDrop(QWidget* target, const QMimeData& data, QPoint at,
                     Qt::DropAction action = Qt::CopyAction) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(action);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    move.setDropAction(action);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(action);
    QApplication::sendEvent(target, &drop);
    QApplication::processEvents();
    return drop.isAccepted();
}

inline void setFileUrls(QMimeData& data, const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
}

// Drops rows of the list, dragged under the type, on the line above row `above` (the row count
// for after the last row), or on the middle of that row.
inline bool dropRows(QAbstractItemView* view, const char* type, const std::vector<int>& rows,
                     int above, bool onTheRow = false) {
    std::unique_ptr<QMimeData> data(reorderMimeData(type, rows));
    const int count = view->model()->rowCount();
    const QRect last = view->visualRect(view->model()->index(count - 1, 0));
    QPoint at = above < count ? view->visualRect(view->model()->index(above, 0)).topLeft() +
                                    QPoint(4, onTheRow ? last.height() / 2 : 1)
                              : last.bottomLeft() + QPoint(4, 2 + last.height() / 2);
    return sendDrop(view->viewport(), *data, at, Qt::MoveAction);
}
