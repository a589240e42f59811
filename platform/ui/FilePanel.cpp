#include "platform/ui/FilePanel.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace {

FilePanel::Responder& testResponder() {
    static FilePanel::Responder responder;
    return responder;
}

QFileDialog* makeDialog(const FilePanel& panel, QWidget* parent) {
    auto* dialog = new QFileDialog(parent, panel.title, panel.directory);
    bool save = panel.kind == FilePanel::Kind::Save;
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save                                    ? QFileDialog::AnyFile
                        : panel.kind == FilePanel::Kind::Folder ? QFileDialog::Directory
                        : panel.allowsMultipleSelection         ? QFileDialog::ExistingFiles
                                                                : QFileDialog::ExistingFile);
    if (panel.kind == FilePanel::Kind::Folder) dialog->setOption(QFileDialog::ShowDirsOnly);
    if (!panel.prompt.isEmpty()) dialog->setLabelText(QFileDialog::Accept, panel.prompt);
    if (!panel.allowedFileTypes.isEmpty()) {
        QStringList patterns;
        for (const QString& type : panel.allowedFileTypes) patterns << "*." + type;
        dialog->setNameFilter(patterns.join(' '));
    }
    if (!panel.nameFieldStringValue.isEmpty()) dialog->selectFile(panel.nameFieldStringValue);
    if (!panel.message.isEmpty()) {
        // A dialog of the desktop's own has no room for a message of ours.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
            auto* label = new QLabel(panel.message, dialog);
            label->setObjectName("filePanelMessage");
            label->setWordWrap(true);
            grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    return dialog;
}

}  // namespace

QStringList FilePanel::runModal() const {
    if (testResponder()) return testResponder()(*this, nullptr);
    QFileDialog* dialog = makeDialog(*this, nullptr);
    QStringList paths =
        dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
    delete dialog;
    return paths;
}

void FilePanel::beginSheetModalForWindow(QWidget* window,
                                         std::function<void(const QStringList&)> completion) const {
    if (testResponder() || !window) {
        QStringList paths = testResponder() ? testResponder()(*this, window) : runModal();
        if (completion) completion(paths);
        return;
    }
    QFileDialog* dialog = makeDialog(*this, window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion](int result) {
        if (completion)
            completion(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
    });
    dialog->open();
}

void FilePanel::setTestResponder(Responder responder) {
    testResponder() = std::move(responder);
}
