#pragma once
// What a database window asks of the application that holds it: its window slots, closing,
// file bookmarks, the other windows, the error log and the application-modal alerts.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QWidget;
class TablesAndRowsWindow;

class WindowShell {
  public:
    virtual ~WindowShell() = default;

    // nullptr for an index outside the slots.
    virtual TablesAndRowsWindow* databaseWindowForWindowIndex(int windowIndex) const = 0;
    // Frees the window's slot; the window always closes.
    virtual bool closeDatabaseWindow(QWidget* window) = 0;
    // Bookmark failures: a message and the error's description (empty without one); inAlert is
    // set for the failures shown rather than logged.
    using BookmarkFailureHandler =
        std::function<void(const std::string& message, const std::string& error, bool inAlert)>;
    // Brings the bookmark of a file outside the Documents folder up to date.
    virtual void updateFileBookmark(const std::string& path,
                                    const BookmarkFailureHandler& failure) = 0;
    virtual void reloadSelectedDatabaseObjectInVisibleWindowsExcept(QWidget* window) = 0;
    // The databases window, as a sheet on the slot's window, preselecting the file name.
    virtual void showDatabasesWindow(int windowIndex,
                                     const std::optional<std::string>& fileName) = 0;
    // The clipboard window, rebuilt from the pasteboard, in front.
    virtual void refreshAndShowClipboardWindow() {}
    // The application error log, which the diagnostics window shows.
    virtual void appendErrorMessage(const std::optional<std::string>& message, int code) = 0;
    virtual void showAlert(const std::string& title, const std::string& message) = 0;
    virtual void showErrorAlert(const std::string& text) = 0;
    // The images window; choosing an image puts its file name into the text view and shows it in
    // the image view.
    virtual void showImagesWindowAndUpdateTextView(QWidget* textView, QLabel* imageView,
                                                   const std::string& selectedImageFile) = 0;
    // The SQL functions user SQL may call, and their descriptions by name.
    virtual const std::vector<std::string>& sqliteFunctions() const = 0;
    virtual const std::map<std::string, std::string>& sqliteFunctionDescriptions() const = 0;
};
