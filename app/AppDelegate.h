#pragma once
// The application object: the five database-window slots and their controllers, opening,
// restoring and closing databases, the alerts every window uses, and the application error log
// with its diagnostics window.
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "mainwindow/TablesAndRowsState.h"
#include "mainwindow/WindowShell.h"

class ClipboardWindow;
class DatabaseCopyOut;
class DatabaseFiles;
class DiagnosticsWindow;
class ImagesWindow;
class MapPanel;
class MathPanel;
class ErrorLog;
class GettingStartedPanel;
class MenuRouter;
class PreferencesWindow;
class TablesAndRowsController;
class TablesAndRowsWindow;
struct WindowParts;
class QWidget;

class AppDelegate : public QObject, public WindowShell {
    Q_OBJECT

  public:
    static constexpr int kNumberOfWindowSlots = 5;

    AppDelegate();
    ~AppDelegate() override;

    // Launch and termination.
    void applicationDidFinishLaunching();
    // Files handed over by the desktop: remembered until the launch, opened when it has
    // finished, and at once afterwards.
    void applicationOpenFiles(const std::vector<std::string>& paths);
    // Saves the visible database windows under WindowInfo. Runs by itself when the application
    // is asked to quit, before quitting closes the windows.
    void applicationWillTerminate();
    bool isApplicationLaunched() const { return isApplicationLaunched_; }

    void showImagesWindowAndUpdateTextView(QWidget* textView, QLabel* imageView,
                                           const std::string& selectedImageFile) override;
    const std::vector<std::string>& sqliteFunctions() const override { return sqliteFunctions_; }
    const std::map<std::string, std::string>& sqliteFunctionDescriptions() const override {
        return sqliteFunctionDescriptions_;
    }

    // Slot lookups; indexes outside the slots answer nothing.
    TablesAndRowsWindow* databaseWindowForWindowIndex(int windowIndex) const override;
    int windowIndexForDatabaseWindow(const QWidget* window) const;
    int windowIndexForMainDatabaseWindow() const;
    TablesAndRowsWindow* mainDatabaseWindow() const;
    TablesAndRowsController* tablesAndRowsControllerForMainWindow() const;
    TablesAndRowsController* tablesAndRowsControllerForWindowIndex(int windowIndex) const;
    // The slot's window parts, each console and panel by its type; nullptr before the slot's
    // window was first shown.
    WindowParts* windowPartsForWindowIndex(int windowIndex) const;
    WindowParts* windowPartsForMainWindow() const;
    std::optional<std::string> databaseFilePathForWindowIndex(int windowIndex) const;
    // The first slot without a database, -1 when all are in use.
    int getNextAvailableWindowIndex() const;
    TablesAndRowsWindow* lastVisibleDatabaseWindow() const;
    bool isAnyDatabaseWindowVisible() const;
    bool isMainWindowADatabaseWindow() const;

    // Whether the file lies in the application's Documents folder (no bookmark needed there).
    static bool isDatabaseInAppContainer(const std::string& path);
    static std::optional<std::string> lastTableSelectedForDatabaseFilePath(
        const std::optional<std::string>& path);

    // Shows the database (none for nullopt) in the slot's window and answers that window.
    TablesAndRowsWindow* showDatabase(const std::optional<std::string>& path, int windowIndex,
                                      bool bookmark, const std::optional<std::string>& tableName,
                                      TablesAndRowsState::ConsoleIndex console);
    // Opens each valid database file in a free slot, cascading the windows.
    void openDroppedFiles(const std::vector<std::string>& paths, bool useAvailableWindowsOnly);
    // Prepares a free window and lets its controller choose the database.
    void openNewWindowExternal(bool external, const std::optional<std::string>& fileName);
    // Frees the window's slot; the window always closes.
    bool closeDatabaseWindow(QWidget* window) override;
    void reloadSelectedDatabaseObjectInVisibleWindowsExcept(QWidget* window) override;
    void selectConsole(TablesAndRowsState::ConsoleIndex console, int windowIndex);

    // The main menu's router, where commands are bound by action name.
    MenuRouter& menuRouter() const { return *menuRouter_; }
    PreferencesWindow* preferencesWindow();
    // Made on first use; shown last at the first launch and from the Help menu.
    GettingStartedPanel* gettingStartedPanel();
    // Every visible database window reloads its tables list, keeping its one selected table.
    void reloadVisibleWindowsKeepingTheirTables();

    void updateFileBookmark(const std::string& path,
                            const BookmarkFailureHandler& failure) override;

    // Alerts. Titles and texts are shown as given; an empty text shows nothing.
    void showAlert(const std::string& title, const std::string& message) override;
    void showErrorAlert(const std::string& text) override;
    void showAlertErrorObject(const std::string& title, const std::string& errorDescription);
    void showAlert(const std::string& title, const std::string& message, QWidget* window);
    void showErrorAlert(const std::string& text, QWidget* window);

    // The application error log.
    void appendErrorMessage(const std::optional<std::string>& message, int code) override;
    ErrorLog& sqliteErrorMessagesArray() const;
    DiagnosticsWindow* diagnosticsWindow();

    // The Documents folder's files and the windows that show them, made on first use.
    DatabaseFiles& databaseFiles();
    ImagesWindow& imagesWindow();
    DatabaseCopyOut& databaseCopyOut();
    // The map and math panels over the main database window's grid, made on first use.
    MapPanel& mapPanel();
    MathPanel& mathPanel();
    ClipboardWindow& clipboardWindow();
    void refreshAndShowClipboardWindow() override;
    void showDatabasesWindow(int windowIndex, const std::optional<std::string>& fileName) override;

  public slots:
    void openDocument();
    void openExternalDatabase();
    void openNewWindow();
    void showDiagnosticsWindow();
    void showPreferences();
    void gettingStartedMenuItemClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct RestoreState {
        bool restored = false;
        TablesAndRowsWindow* windowToFront = nullptr;
    };
    void restoreWindowInfoEntry(const nlohmann::json& entry, int windowIndex, RestoreState* state);
    bool accessBookmarkedFile(const std::string& path);
    // The slot's controller, made on first use, as its window's delegate and content.
    TablesAndRowsController* attachController(int windowIndex);
    void removeFileBookmarkUnlessShown(const std::string& path, int closingWindowIndex);

    bool isApplicationLaunched_ = false;
    // Set while a quit closes the windows: their bookmarks are needed at the next launch.
    bool isTerminating_ = false;
    std::optional<std::vector<std::string>> filenamesToOpen_;
    // Handed over while the launch handler runs (in an alert of its own): opened after it.
    bool isLaunching_ = false;
    std::vector<std::vector<std::string>> filenamesHandedOverDuringLaunch_;
    std::array<std::unique_ptr<TablesAndRowsWindow>, kNumberOfWindowSlots> databaseWindows_;
    std::array<std::unique_ptr<WindowParts>, kNumberOfWindowSlots> windowParts_;
    std::vector<std::string> sqliteFunctions_;
    std::map<std::string, std::string> sqliteFunctionDescriptions_;
    std::unique_ptr<DiagnosticsWindow> diagnosticsWindow_;
    std::unique_ptr<PreferencesWindow> preferencesWindow_;
    std::unique_ptr<GettingStartedPanel> gettingStartedPanel_;
    std::unique_ptr<MenuRouter> menuRouter_;
    std::unique_ptr<DatabaseFiles> databaseFiles_;
    std::unique_ptr<ImagesWindow> imagesWindow_;
    std::unique_ptr<DatabaseCopyOut> databaseCopyOut_;
    std::unique_ptr<MapPanel> mapPanel_;
    std::unique_ptr<MathPanel> mathPanel_;
    std::unique_ptr<ClipboardWindow> clipboardWindow_;
};
