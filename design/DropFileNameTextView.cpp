#include "design/DropFileNameTextView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTextCursor>

#include <optional>

#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/DroppedFiles.h"
#include "platform/ui/QtStrings.h"

namespace {

// The file's text; nullopt, after an alert, when it cannot be read.
std::optional<QString> readFileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Alert alert;
        alert.messageText =
            toQString(localizedFormat("The file \"%@\" couldn't be opened.", {toStdString(path)}));
        alert.informativeText = file.errorString();
        alert.runModal();
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace

DropFileNameTextView::DropFileNameTextView(QWidget* parent) : QPlainTextEdit(parent) {}

void DropFileNameTextView::readDroppedFiles(const QStringList& paths) {
    QString text;
    bool anyRead = false;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        std::optional<QString> read = readFileText(paths[i]);
        if (!read) continue;
        if (i > 0) text += "\n\n";
        text += *read;
        anyRead = true;
    }
    if (anyRead) replaceText(text);
}

void DropFileNameTextView::readDroppedSQLFiles(const QStringList& paths) {
    QString text;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (!paths[i].endsWith(".sql", Qt::CaseInsensitive)) continue;
        std::optional<QString> read = readFileText(paths[i]);
        if (!read) continue;
        if (i > 0) text += "\n\n";
        text += *read;
    }
    replaceText(text);
}

void DropFileNameTextView::replaceText(const QString& text) {
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
