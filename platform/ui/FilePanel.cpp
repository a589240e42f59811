#include "platform/ui/FilePanel.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>

namespace {

FilePanel::Responder& testResponder() {
    static FilePanel::Responder responder;
    return responder;
}

// Qt's own dialog reads a quote in the typed name as the start of a list of names ("a" "b"), so
// a name holding one chose another file. A typed text that is not such a list is one name.
class FileDialog : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;

    QStringList chosenFiles() const {
        return typedName_.isEmpty() ? selectedFiles() : QStringList{typedName_};
    }

  protected:
    void accept() override {
        typedName_.clear();
        auto* edit = findChild<QLineEdit*>("fileNameEdit");
        const QString typed = edit ? edit->text() : QString();
        const bool list = fileMode() == ExistingFiles && typed.startsWith('"');
        if (!typed.contains('"') || list || fileMode() == Directory) {
            QFileDialog::accept();
            return;
        }
        const QFileInfo file(directory().absoluteFilePath(typed));
        if (file.isDir()) {
            setDirectory(file.absoluteFilePath());
            edit->clear();
            return;
        }
        if (acceptMode() == AcceptOpen && !file.exists()) {
            QMessageBox::warning(this, windowTitle(),
                                 tr("%1\nFile not found.\nPlease verify the correct file name "
                                    "was given.")
                                     .arg(file.fileName()));
            return;
        }
        if (acceptMode() == AcceptSave && file.exists() &&
            QMessageBox::warning(
                this, windowTitle(),
                tr("%1 already exists.\nDo you want to replace it?").arg(file.fileName()),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
            return;
        }
        typedName_ = file.absoluteFilePath();
        QDialog::accept();
    }

  private:
    QString typedName_;
};

// Qt's icons and type names of the files listed read each file whose name leaves its type open
// (a database, its -wal, -shm or -journal): that open and close would drop every lock this
// process holds on the file. Here a file's type comes from its name alone.
class NameOnlyIconProvider : public QFileIconProvider {
  public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override {
        if (!info.isFile()) return QFileIconProvider::icon(info);
        const QIcon themed = QIcon::fromTheme(mimeType(info).iconName());
        return themed.isNull() ? QFileIconProvider::icon(File) : themed;
    }
    QString type(const QFileInfo& info) const override {
        if (!info.isFile()) return QFileIconProvider::type(info);
        const QMimeType mime = mimeType(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

  private:
    QMimeType mimeType(const QFileInfo& info) const {
        return mimes_.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    }
    QMimeDatabase mimes_;
};

FileDialog* makeDialog(const FilePanel& panel, QWidget* parent) {
    auto* dialog = new FileDialog(parent, panel.title, panel.directory);
    // The desktop's own dialog may read the files it lists as Qt's would; ours reads none.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    static NameOnlyIconProvider icons;
    dialog->setIconProvider(&icons);
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
    FileDialog* dialog = makeDialog(*this, nullptr);
    QStringList paths = dialog->exec() == QDialog::Accepted ? dialog->chosenFiles() : QStringList();
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
    FileDialog* dialog = makeDialog(*this, window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion](int result) {
        if (completion)
            completion(result == QDialog::Accepted ? dialog->chosenFiles() : QStringList());
    });
    dialog->open();
}

void FilePanel::setTestResponder(Responder responder) {
    testResponder() = std::move(responder);
}
