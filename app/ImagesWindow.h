#pragma once
// The images window: the image files of the Documents folder that photo fields name, with their
// thumbnails and a preview. It adds images (open panel or drop), makes thumbnails, renames and
// deletes files, and keeps a photo editor's name and image in step with its selection.
#include <QPointer>
#include <QWidget>

#include <set>
#include <string>
#include <vector>

#include "app/AppFileList.h"

class AppDelegate;
class FileTableView;
class QCheckBox;
class QLabel;
class QPushButton;

class ImagesWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kThumbnailSide = 44;

    explicit ImagesWindow(AppDelegate& app);

    // Shows the window; the text view (a QLineEdit, QTextEdit or QPlainTextEdit) and the image
    // view (a QLabel) follow the selection while their windows are visible. Either may be null.
    // The named file, when listed, is selected.
    void showImagesWindowAndUpdateTextView(QWidget* textView, QLabel* imageView,
                                           const std::string& selectedImageFile);
    // Menu: shows the window with nothing to keep in step.
    void imagesWindowMenuItemClicked();

    void imagesWindowReloadFiles(const std::set<std::string>* fileNames, std::vector<int>* indexes,
                                 bool includeThumbnails);
    // After files were copied in: the list read again with the named files selected.
    void reloadSelectingFileNames(const std::set<std::string>& fileNames);

    void chooseImageFile();
    void copyImageFiles(const std::vector<std::string>& paths);
    void imagesWindowCreateThumbnailButtonPressed();
    // Makes the thumbnail of the Documents file; an unreadable image shows an alert.
    void createThumbnail(const std::string& fileName);
    void imagesWindowDeleteImageFilesButtonPressed();
    void imagesWindowShowThumbnailsButtonPressed();
    void imagesWindowTableViewDidClickTableColumn(const QString& identifier);
    // The end of editing of a name in the list.
    void imagesWindowFileNameEdited(int row, const QString& text);

    const std::vector<AppFileEntry>& filteredImageFilesArray() const {
        return filteredImageFilesArray_;
    }
    FileTableView* tableView() const { return tableView_; }
    QLabel* previewView() const { return preview_; }
    QCheckBox* showThumbnailsButton() const { return showThumbnails_; }

  private:
    bool thumbnailsShown() const;
    void reloadTable();
    // The selected file in the preview and the buttons; with keepEditorInStep also in the
    // editor's name field and image, as when the user chose it.
    void showSelection(bool keepEditorInStep);
    void showSheetError(const std::string& text);

    AppDelegate& app_;
    std::vector<AppFileEntry> filteredImageFilesArray_;
    int imagesSortOrder_ = NameAscending;
    QPointer<QWidget> imagesWindowTextViewToUpdate_;
    QPointer<QLabel> imagesWindowImageViewToUpdate_;
    FileTableView* tableView_;
    QLabel* preview_;
    QPushButton* createThumbnail_;
    QPushButton* delete_;
    QCheckBox* showThumbnails_;
};
