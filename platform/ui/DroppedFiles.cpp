#include "platform/ui/DroppedFiles.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>

#include "platform/ui/FileNameStrings.h"
#include "platform/ui/ReorderDrag.h"

QStringList droppedFilePaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths << localFilePath(url);
    }
    return paths;
}

FileDropTarget::FileDropTarget(QAbstractItemView* view,
                               std::function<void(const QStringList&)> dropped)
    : QObject(view), view_(view), viewport_(view->viewport()), dropped_(std::move(dropped)) {
    viewport_->setAcceptDrops(true);
    viewport_->installEventFilter(this);
}

bool FileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport_) return false;
    if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove &&
        event->type() != QEvent::Drop) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QStringList paths = droppedFilePaths(drop->mimeData());
    // Qt sends the moves and the drop only to a target that took the enter: files are taken at
    // any enter, and each move, the first coming with the enter, decides by where the drag is.
    const bool offered = !paths.isEmpty() && (event->type() == QEvent::DragEnter ||
                                              dropRowAbove(view_, drop->position().toPoint()));
    if (!offered) {
        drop->ignore();
        return true;
    }
    // A copy: a move would let the file manager remove the user's file.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() == QEvent::Drop) {
        QMetaObject::invokeMethod(
            this, [this, paths] { dropped_(paths); }, Qt::QueuedConnection);
    }
    return true;
}
