#include "app/ImagesWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QVBoxLayout>

#include <filesystem>
#include <set>
#include <system_error>

#include "Common/DatabaseFileHeader.h"
#include "Common/FileNames.h"
#include "app/AppDelegate.h"
#include "app/DatabaseFiles.h"
#include "app/FileTableView.h"
#include "app/Thumbnail.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/MainThread.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/ShownImage.h"

namespace fs = std::filesystem;

namespace {

std::string documentsPath(const std::string& name) {
    return Paths::documentsFolder() + "/" + name;
}

QImage loadImage(const std::string& name, const QSize& room) {
    // A database or its side file named like a picture is SQLite's alone: reading it would drop
    // locks.
    const std::string path = documentsPath(name);
    if (isSQLiteFile(path)) return {};
    return readImageToFit(toQString(path), room);
}

void setText(QWidget* view, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(view)) line->setText(text);
    if (auto* rich = qobject_cast<QTextEdit*>(view)) rich->setPlainText(text);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(view)) plain->setPlainText(text);
}

// The file read at the size the view shows it.
void showImage(QLabel* view, const std::string& name) {
    const QSize room = view->size().isEmpty() ? QSize(200, 200) : view->size();
    const QImage image = name.empty() ? QImage() : loadImage(name, room);
    if (image.isNull()) {
        view->clear();
        return;
    }
    view->setPixmap(
        QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

}  // namespace

ImagesWindow::ImagesWindow(AppDelegate& app)
    : app_(app),
      tableView_(new FileTableView(this)),
      preview_(new QLabel(this)),
      createThumbnail_(new QPushButton(tr("Create Thumbnail"), this)),
      delete_(new QPushButton(tr("Delete"), this)),
      showThumbnails_(new QCheckBox(tr("Show Thumbnails"), this)) {
    setObjectName("imagesWindow");
    setWindowTitle(tr("Images"));
    setWindowFlag(Qt::Window);
    resize(760, 420);
    tableView_->setObjectName("imagesWindowTableView");
    tableView_->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
    tableView_->verticalHeader()->setDefaultSectionSize(kThumbnailSide + 4);
    preview_->setObjectName("imagesWindowImageView");
    preview_->setMinimumSize(220, 220);
    preview_->setAlignment(Qt::AlignCenter);
    auto* add = new QPushButton(tr("Add Image…"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(createThumbnail_);
    buttons->addWidget(delete_);
    buttons->addStretch();
    buttons->addWidget(showThumbnails_);
    auto* top = new QHBoxLayout;
    top->addWidget(tableView_, 1);
    top->addWidget(preview_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    createThumbnail_->setEnabled(false);
    delete_->setEnabled(false);
    connect(add, &QPushButton::clicked, this, [this] { chooseImageFile(); });
    connect(createThumbnail_, &QPushButton::clicked, this,
            [this] { imagesWindowCreateThumbnailButtonPressed(); });
    connect(delete_, &QPushButton::clicked, this,
            [this] { imagesWindowDeleteImageFilesButtonPressed(); });
    connect(showThumbnails_, &QCheckBox::toggled, this,
            [this] { imagesWindowShowThumbnailsButtonPressed(); });
    connect(tableView_, &FileTableView::headerClicked, this,
            &ImagesWindow::imagesWindowTableViewDidClickTableColumn);
    connect(tableView_, &FileTableView::nameEdited, this,
            &ImagesWindow::imagesWindowFileNameEdited);
    connect(tableView_, &QTableWidget::itemSelectionChanged, this, [this] { showSelection(true); });
    tableView_->acceptsDroppedFiles = [](const QStringList& paths) {
        for (const QString& path : paths) {
            if (DBInterface::isSupportedImageFile(toStdFileName(path))) return true;
        }
        return false;
    };
    tableView_->filesDropped = [this](const QStringList& paths) {
        std::vector<std::string> sources;
        for (const QString& path : paths) sources.push_back(toStdFileName(path));
        performOnMainThread([this, sources] { copyImageFiles(sources); });
    };
}

bool ImagesWindow::thumbnailsShown() const {
    return showThumbnails_->isChecked();
}

void ImagesWindow::imagesWindowReloadFiles(const std::set<std::string>* fileNames,
                                           std::vector<int>* indexes, bool includeThumbnails) {
    filteredImageFilesArray_.clear();
    reloadAppFilesInto(filteredImageFilesArray_, imageFilesFilter(includeThumbnails),
                       imagesSortOrder_, fileNames, indexes);
}

void ImagesWindow::reloadTable() {
    // A reload is not the user choosing a file: the files selected stay selected where they are
    // still listed, and the editor kept in step keeps its value.
    std::set<QString> selected;
    for (int row : tableView_->selectedRows()) {
        if (QTableWidgetItem* item = tableView_->item(row, 0)) selected.insert(item->text());
    }
    {
        QSignalBlocker quiet(tableView_);
        tableView_->showEntries(filteredImageFilesArray_, [](const AppFileEntry& entry) {
            std::string thumbnail = documentsPath("thumb" + entry.fileName);
            std::error_code ec;
            if (!fs::is_regular_file(thumbnail, ec)) return QIcon();
            return QIcon(QPixmap::fromImage(
                loadImage("thumb" + entry.fileName, QSize(kThumbnailSide, kThumbnailSide))));
        });
        std::vector<int> rows;
        for (size_t i = 0; i < filteredImageFilesArray_.size(); ++i) {
            if (selected.count(toQString(filteredImageFilesArray_[i].fileName))) {
                rows.push_back(static_cast<int>(i));
            }
        }
        if (!rows.empty()) tableView_->selectRows(rows);
    }
    showSelection(false);
}

void ImagesWindow::showImagesWindowAndUpdateTextView(QWidget* textView, QLabel* imageView,
                                                     const std::string& selectedImageFile) {
    imagesWindowTextViewToUpdate_ = textView;
    imagesWindowImageViewToUpdate_ = imageView;
    tableView_->updateFilesTableViewIndicatorImage(imagesSortOrder_);
    if (selectedImageFile.empty()) {
        imagesWindowReloadFiles(nullptr, nullptr, thumbnailsShown());
        reloadTable();
    } else {
        reloadSelectingFileNames({selectedImageFile});
    }
    show();
    raise();
    activateWindow();
}

void ImagesWindow::imagesWindowMenuItemClicked() {
    showImagesWindowAndUpdateTextView(nullptr, nullptr, {});
}

void ImagesWindow::reloadSelectingFileNames(const std::set<std::string>& fileNames) {
    std::vector<int> indexes;
    imagesWindowReloadFiles(&fileNames, &indexes, thumbnailsShown());
    reloadTable();
    if (!indexes.empty()) tableView_->selectRows(indexes);
}

void ImagesWindow::showSelection(bool keepEditorInStep) {
    std::vector<int> rows = tableView_->selectedRows();
    int row = rows.empty() ? -1 : rows.front();
    std::string name;
    if (row >= 0 && row < static_cast<int>(filteredImageFilesArray_.size())) {
        name = filteredImageFilesArray_[static_cast<size_t>(row)].fileName;
    }
    showImage(preview_, name);
    if (keepEditorInStep && imagesWindowTextViewToUpdate_ &&
        imagesWindowTextViewToUpdate_->window()->isVisible()) {
        setText(imagesWindowTextViewToUpdate_, toQString(name));
    }
    if (keepEditorInStep && imagesWindowImageViewToUpdate_ &&
        imagesWindowImageViewToUpdate_->window()->isVisible()) {
        showImage(imagesWindowImageViewToUpdate_, name);
    }
    createThumbnail_->setEnabled(!rows.empty());
    delete_->setEnabled(!rows.empty());
}

void ImagesWindow::imagesWindowTableViewDidClickTableColumn(const QString& identifier) {
    imagesSortOrder_ = sortOrderAfterHeaderClick(imagesSortOrder_, toStdString(identifier));
    tableView_->updateFilesTableViewIndicatorImage(imagesSortOrder_);
    imagesWindowReloadFiles(nullptr, nullptr, thumbnailsShown());
    reloadTable();
}

void ImagesWindow::chooseImageFile() {
    FilePanel panel;
    panel.title = toQString(localizedString("Choose Image File"));
    panel.prompt = toQString(localizedString("Choose"));
    panel.message = toQString(localizedString(
        "The image file will be copied into the app container and a thumbnail image will be "
        "created"));
    panel.allowedFileTypes = {"jpg", "JPG", "png", "PNG"};
    panel.beginSheetModalForWindow(this, [this](const QStringList& paths) {
        if (paths.isEmpty()) return;
        std::string source = toStdFileName(paths.first());
        std::string name = Paths::lastPathComponent(source);
        std::string destination = documentsPath(name);
        std::error_code ec;
        bool exists = fs::exists(fs::symlink_status(destination, ec));
        if (exists && !fs::is_directory(destination, ec)) {
            Alert question;
            question.messageText = toQString(localizedString("File Exists"));
            question.informativeText =
                toQString(localizedFormat("Overwrite \"%@\"?", {destination}));
            question.buttons = {toQString(localizedString("Overwrite")),
                                toQString(localizedString("Cancel"))};
            if (question.runModal() != 0) {
                imagesWindowReloadFiles(nullptr, nullptr, thumbnailsShown());
                reloadTable();
                return;
            }
        }
        std::string error;
        if (!DatabaseFiles::copyIntoPlace(source, destination, exists, &error,
                                          DatabaseFiles::CopyKind::AsFound)) {
            app_.showErrorAlert(error);
            return;
        }
        createThumbnail(name);
        reloadSelectingFileNames({name});
    });
}

void ImagesWindow::copyImageFiles(const std::vector<std::string>& paths) {
    app_.databaseFiles().copyFiles(paths, DatabaseFiles::ImagesWindow);
}

void ImagesWindow::createThumbnail(const std::string& fileName) {
    QImage image = loadImage(fileName, QSize(kThumbnailSide, kThumbnailSide));
    if (image.isNull()) {
        app_.showAlert(localizedString("Error"),
                       localizedString("Could not create the thumbnail image"));
        return;
    }
    std::string error;
    if (!writeImage(image, kThumbnailSide, documentsPath("thumb" + fileName), &error)) {
        app_.showAlert(localizedString("Error"), error);
    }
}

void ImagesWindow::imagesWindowCreateThumbnailButtonPressed() {
    for (int row : tableView_->selectedRows()) {
        if (row < static_cast<int>(filteredImageFilesArray_.size())) {
            createThumbnail(filteredImageFilesArray_[static_cast<size_t>(row)].fileName);
        }
    }
    imagesWindowReloadFiles(nullptr, nullptr, thumbnailsShown());
    reloadTable();
}

void ImagesWindow::imagesWindowDeleteImageFilesButtonPressed() {
    std::vector<int> rows = tableView_->selectedRows();
    if (rows.empty()) return;
    Alert alert;
    alert.messageText = toQString(localizedString("Delete selected files?"));
    alert.informativeText =
        toQString(localizedString("This will delete the selected images files"));
    alert.buttons = {toQString(localizedString("Delete")), toQString(localizedString("Cancel"))};
    alert.beginSheetModalForWindow(this, [this, rows](int button) {
        if (button != 0) return;
        app_.databaseFiles().deleteSelectedFilesNow(rows, filteredImageFilesArray_);
        imagesWindowReloadFiles(nullptr, nullptr, thumbnailsShown());
        reloadTable();
        preview_->clear();
    });
}

void ImagesWindow::imagesWindowShowThumbnailsButtonPressed() {
    imagesWindowReloadFiles(nullptr, nullptr, thumbnailsShown());
    reloadTable();
}

void ImagesWindow::showSheetError(const std::string& text) {
    Alert alert;
    alert.messageText = toQString(localizedString("Error"));
    alert.informativeText = toQString(text);
    alert.beginSheetModalForWindow(this);
}

void ImagesWindow::imagesWindowFileNameEdited(int row, const QString& text) {
    if (row < 0 || row >= static_cast<int>(filteredImageFilesArray_.size())) return;
    std::string oldName = filteredImageFilesArray_[static_cast<size_t>(row)].fileName;
    std::string error;
    std::optional<std::string> newName =
        DatabaseFiles::checkedFileName(toStdString(text), false, &error);
    if (newName && *newName == oldName) return;
    if (!newName || !app_.databaseFiles().renameDocumentsFile(oldName, *newName, &error)) {
        showSheetError(error);
        reloadTable();  // the old name shows again
        return;
    }
    reloadSelectingFileNames({*newName});
}
