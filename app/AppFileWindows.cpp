// The application's Documents-folder windows and file operations, made on first use.
#include "app/AppDelegate.h"
#include "app/DatabaseCopyOut.h"
#include "app/DatabaseFiles.h"
#include "app/DatabasesWindow.h"
#include "app/ImagesWindow.h"
#include "app/WindowParts.h"
#include "exchange/ClipboardWindow.h"

DatabaseFiles& AppDelegate::databaseFiles() {
    if (!databaseFiles_) databaseFiles_ = std::make_unique<DatabaseFiles>(*this);
    return *databaseFiles_;
}

ImagesWindow& AppDelegate::imagesWindow() {
    if (!imagesWindow_) imagesWindow_ = std::make_unique<ImagesWindow>(*this);
    return *imagesWindow_;
}

void AppDelegate::showImagesWindowAndUpdateTextView(QWidget* textView, QLabel* imageView,
                                                    const std::string& selectedImageFile) {
    imagesWindow().showImagesWindowAndUpdateTextView(textView, imageView, selectedImageFile);
}

ClipboardWindow& AppDelegate::clipboardWindow() {
    if (!clipboardWindow_) clipboardWindow_ = std::make_unique<ClipboardWindow>();
    return *clipboardWindow_;
}

void AppDelegate::refreshAndShowClipboardWindow() {
    clipboardWindow().refreshAndShow();
}

DatabaseCopyOut& AppDelegate::databaseCopyOut() {
    if (!databaseCopyOut_) databaseCopyOut_ = std::make_unique<DatabaseCopyOut>(*this);
    return *databaseCopyOut_;
}

void AppDelegate::showDatabasesWindow(int windowIndex, const std::optional<std::string>& fileName) {
    if (WindowParts* parts = windowPartsForWindowIndex(windowIndex)) {
        parts->databases.openDatabase(fileName);
    }
}
