#include "design/DropFileNameTextView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTextCursor>
#include <QUrl>

#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

namespace {

QStringList droppedFilePaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    return paths;
}

}  // namespace

DropFileNameTextView::DropFileNameTextView(QWidget* parent) : QPlainTextEdit(parent) {}

void DropFileNameTextView::readDroppedFiles(const QStringList& paths) {
    QString text;
    bool anyRead = false;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QFile file(paths[i]);
        if (!file.open(QIODevice::ReadOnly)) {
            Alert alert;
            alert.messageText = toQString(
                localizedFormat("The file \"%@\" couldn't be opened.", {toStdString(paths[i])}));
            alert.informativeText = file.errorString();
            alert.runModal();
            continue;
        }
        if (i > 0) text += "\n\n";
        text += QString::fromUtf8(file.readAll());
        anyRead = true;
    }
    if (!anyRead) return;
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
}

void DropFileNameTextView::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFilePaths(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void DropFileNameTextView::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedFilePaths(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void DropFileNameTextView::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedFilePaths(event->mimeData());
    // Plain text dropped here inserts nothing: the query is replaced by files only.
    event->acceptProposedAction();
    readDroppedFiles(paths);
}
