#pragma once
// Drags and drops delivered to a widget the way the window system does: enter, move, then the
// drop, each a real event; work the drop queues is run before the answer.
#include <QAbstractItemView>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ReorderDrag.h"

// One drag over a widget as the window system follows it: it enters at a point, moves, and is
// dropped or leaves. Each step says whether the widget took it and leaves the action it set.
class DragOver {
  public:
    DragOver(QWidget* target, const QMimeData& data, Qt::DropAction proposed = Qt::CopyAction)
        : target_(target), data_(data), proposed_(proposed) {}
    ~DragOver() {
        if (inside_) leave();
    }

    bool enter(QPoint at) {
        QDragEnterEvent enter(at, kActions, &data_, Qt::LeftButton, Qt::NoModifier);
        inside_ = true;
        return send(enter);
    }
    bool moveTo(QPoint at) {
        QDragMoveEvent move(at, kActions, &data_, Qt::LeftButton, Qt::NoModifier);
        return send(move);
    }
    // Work the drop queues is run before the answer.
    bool drop(QPoint at) {
        QDropEvent drop(QPointF(at), kActions, &data_, Qt::LeftButton, Qt::NoModifier);
        inside_ = false;
        const bool taken = send(drop);
        QApplication::processEvents();
        return taken;
    }
    void leave() {
        QDragLeaveEvent leave;
        inside_ = false;
        QApplication::sendEvent(target_, &leave);
    }
    Qt::DropAction action() const { return action_; }

  private:
    static constexpr Qt::DropActions kActions = Qt::CopyAction | Qt::MoveAction;
    bool send(QDropEvent& event) {
        event.setDropAction(proposed_);
        QApplication::sendEvent(target_, &event);
        action_ = event.dropAction();
        return event.isAccepted();
    }

    QWidget* target_;
    const QMimeData& data_;
    Qt::DropAction proposed_;
    Qt::DropAction action_ = Qt::IgnoreAction;
    bool inside_ = false;
};

// Whether the widget took the drop, entered, moved and dropped at one point.
inline bool sendDrop(QWidget* target, const QMimeData& data, QPoint at,
                     Qt::DropAction action = Qt::CopyAction) {
    DragOver drag(target, data, action);
    return drag.enter(at) && drag.moveTo(at) && drag.drop(at);
}

inline void setFileUrls(QMimeData& data, const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
}

// The viewport point of the line above row `above` (the row count for after the last row), or,
// over the row, a point a quarter of a row's height away from that line, well inside the row
// (the last row, for the line after it).
inline QPoint lineAboveRow(const QAbstractItemView* view, int above, bool overTheRow = false) {
    const int count = view->model()->rowCount();
    const QRect last = view->visualRect(view->model()->index(count - 1, 0));
    const int inside = last.height() / 4;
    return above < count
               ? view->visualRect(view->model()->index(above, 0)).topLeft() +
                     QPoint(4, overTheRow ? inside : 1)
               : last.bottomLeft() + QPoint(4, overTheRow ? -inside : 2 + last.height() / 2);
}

// Drops rows of the list, dragged under the type, on the line above row `above` (the row count
// for after the last row), or over the row near that line.
inline bool dropRows(QAbstractItemView* view, const char* type, const std::vector<int>& rows,
                     int above, bool overTheRow = false) {
    std::unique_ptr<QMimeData> data(reorderMimeData(type, rows));
    return sendDrop(view->viewport(), *data, lineAboveRow(view, above, overTheRow), Qt::MoveAction);
}

// A user's drag with the mouse: the left button pressed on the middle of row `from`, moved in
// steps, and released on the line above row `above` (or over the row near it). The view must be
// shown. Work the release queues is run.
inline void mouseDragRow(QAbstractItemView* view, int from, int above, bool overTheRow = false) {
    QWidget* viewport = view->viewport();
    const QPoint start = view->visualRect(view->model()->index(from, 0)).center();
    const QPoint end = lineAboveRow(view, above, overTheRow);
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step) {
        QTest::mouseMove(viewport, start + (end - start) * step / 4);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);
    QApplication::processEvents();
}

// Whether an editor is open on one of the view's cells.
inline bool hasOpenEditor(const QAbstractItemView* view) {
    for (const QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>()) {
        if (editor->isVisible()) return true;
    }
    return false;
}
