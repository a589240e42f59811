#include "design/DropFileNameTextView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTextCursor>

#include <optional>

#include "Common/DatabaseFileHeader.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Utf8.h"
#include "platform/ui/Alert.h"
#include "platform/ui/DroppedFiles.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/QtStrings.h"

namespace {

struct ReadFailure {
    std::string description;  // what the alert says
    QString reason;           // why, when the system told
};

// The file's text; nullopt with the failure when it cannot be read or is not UTF-8, whose
// bytes would otherwise come in as replacement characters.
std::optional<QString> readFileText(const QString& path, ReadFailure* failure) {
    // A database or a side file of one open here is no text, and is not opened here: closing the
    // descriptor would drop the locks that connections of this process hold on it.
    if (isSQLiteFile(toStdFileName(path))) {
        failure->description = localizedFormat(
            "The file \"%@\" couldn't be opened using text encoding Unicode (UTF-8).",
            {toStdString(path)});
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure->description =
            localizedFormat("The file \"%@\" couldn't be opened.", {toStdString(path)});
        failure->reason = file.errorString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (!isValidUtf8(bytes.constData(), static_cast<size_t>(bytes.size()))) {
        failure->description = localizedFormat(
            "The file \"%@\" couldn't be opened using text encoding Unicode (UTF-8).",
            {toStdString(path)});
        return std::nullopt;
    }
    return QString::fromUtf8(bytes);
}

}  // namespace

DropFileNameTextView::DropFileNameTextView(QWidget* parent) : QPlainTextEdit(parent) {}

void DropFileNameTextView::readDroppedFiles(const QStringList& paths) {
    QString text;
    bool anyRead = false;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        ReadFailure failure;
        std::optional<QString> read = readFileText(paths[i], &failure);
        if (!read) {
            Alert alert;
            alert.messageText = toQString(failure.description);
            alert.informativeText = failure.reason;
            alert.runModal();
            continue;
        }
        if (i > 0) text += "\n\n";
        text += *read;
        anyRead = true;
    }
    if (anyRead) replaceText(text);
}

void DropFileNameTextView::readDroppedSQLFiles(
    const QStringList& paths, const std::function<void(const std::string&)>& showErrorAlert) {
    QString text;
    bool anyRead = false;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (!paths[i].endsWith(".sql", Qt::CaseInsensitive)) continue;
        ReadFailure failure;
        std::optional<QString> read = readFileText(paths[i], &failure);
        if (!read) {
            showErrorAlert(failure.description);
            continue;
        }
        if (i > 0) text += "\n\n";
        text += *read;
        anyRead = true;
    }
    // An empty file read replaces the text; none read leaves the query typed.
    if (anyRead) replaceText(text);
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
