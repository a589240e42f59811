#include "app/AppDelegate.h"

#include <QCoreApplication>

#include "Common/DBInterface.h"
#include "app/DatabaseCopyOut.h"
#include "app/DatabaseFiles.h"
#include "app/DatabasesWindow.h"
#include "app/DiagnosticsWindow.h"
#include "app/GettingStartedPanel.h"
#include "app/ImagesWindow.h"
#include "app/MapPanel.h"
#include "app/MathPanel.h"
#include "exchange/ClipboardWindow.h"
#include "settings/AppContainer.h"
#include "settings/FileBookmarkStore.h"
#include "settings/LastTablesShown.h"

#include "app/MenuBindings.h"
#include "app/MenuRouter.h"
#include "app/PreferencesWindow.h"
#include "app/ShellMenus.h"
#include "app/WindowParts.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/foundation/Bookmarks.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/ScreenPlacement.h"

namespace {

// How far each further window stands right of and below the one before.
constexpr int kCascadeOffset = 20;

std::string windowLimitText(const char* pattern) {
    return localizedFormat(pattern, {std::to_string(AppDelegate::kNumberOfWindowSlots)});
}

}  // namespace

AppDelegate::AppDelegate() : menuRouter_(std::make_unique<MenuRouter>(*this)) {
    bindMenuCommands(*menuRouter_, *this);
    keepWindowsInsideAvailableScreen();
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        databaseWindows_[i] = std::make_unique<TablesAndRowsWindow>(i);
        addShellMenus(databaseWindows_[i].get(), menuRouter_.get());
    }
    answerApplicationKeysInEveryWindow(menuRouter_.get());
    // Quitting closes every window before the event loop ends; the windows are saved first.
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(this);
    }
}

AppDelegate::~AppDelegate() = default;

TablesAndRowsWindow* AppDelegate::databaseWindowForWindowIndex(int windowIndex) const {
    if (windowIndex < 0 || windowIndex >= kNumberOfWindowSlots) return nullptr;
    return databaseWindows_[windowIndex].get();
}

int AppDelegate::windowIndexForDatabaseWindow(const QWidget* window) const {
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        if (window && databaseWindows_[i].get() == window) return i;
    }
    return -1;
}

int AppDelegate::windowIndexForMainDatabaseWindow() const {
    return windowIndexForDatabaseWindow(mainWindow());
}

TablesAndRowsWindow* AppDelegate::mainDatabaseWindow() const {
    return databaseWindowForWindowIndex(windowIndexForMainDatabaseWindow());
}

TablesAndRowsController* AppDelegate::tablesAndRowsControllerForMainWindow() const {
    return tablesAndRowsControllerForWindowIndex(windowIndexForMainDatabaseWindow());
}

TablesAndRowsController* AppDelegate::tablesAndRowsControllerForWindowIndex(int windowIndex) const {
    WindowParts* parts = windowPartsForWindowIndex(windowIndex);
    return parts ? &parts->controller : nullptr;
}

WindowParts* AppDelegate::windowPartsForWindowIndex(int windowIndex) const {
    if (windowIndex < 0 || windowIndex >= kNumberOfWindowSlots) return nullptr;
    return windowParts_[windowIndex].get();
}

WindowParts* AppDelegate::windowPartsForMainWindow() const {
    return windowPartsForWindowIndex(windowIndexForMainDatabaseWindow());
}

std::optional<std::string> AppDelegate::databaseFilePathForWindowIndex(int windowIndex) const {
    TablesAndRowsController* controller = tablesAndRowsControllerForWindowIndex(windowIndex);
    return controller ? controller->databaseFilePath() : std::nullopt;
}

int AppDelegate::getNextAvailableWindowIndex() const {
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        if (!databaseFilePathForWindowIndex(i)) return i;
    }
    return -1;
}

TablesAndRowsWindow* AppDelegate::lastVisibleDatabaseWindow() const {
    for (int i = kNumberOfWindowSlots - 1; i >= 0; --i) {
        if (databaseWindows_[i]->isVisible()) return databaseWindows_[i].get();
    }
    return nullptr;
}

bool AppDelegate::isAnyDatabaseWindowVisible() const {
    return lastVisibleDatabaseWindow() != nullptr;
}

bool AppDelegate::isMainWindowADatabaseWindow() const {
    return windowIndexForMainDatabaseWindow() >= 0;
}

bool AppDelegate::isDatabaseInAppContainer(const std::string& path) {
    return ::isDatabaseInAppContainer(path);
}

std::optional<std::string> AppDelegate::lastTableSelectedForDatabaseFilePath(
    const std::optional<std::string>& path) {
    return path ? lastTableShown(*path) : std::nullopt;
}

TablesAndRowsController* AppDelegate::attachController(int windowIndex) {
    auto& parts = windowParts_[windowIndex];
    if (!parts) parts = makeWindowParts(*this, windowIndex);
    TablesAndRowsWindow* window = databaseWindows_[windowIndex].get();
    window->setDelegate(&parts->controller);
    window->setCentralWidget(parts->controller.view());
    return &parts->controller;
}

TablesAndRowsWindow* AppDelegate::showDatabase(const std::optional<std::string>& path,
                                               int windowIndex, bool bookmark,
                                               const std::optional<std::string>& tableName,
                                               TablesAndRowsState::ConsoleIndex console) {
    TablesAndRowsWindow* window = databaseWindowForWindowIndex(windowIndex);
    if (!window) return nullptr;
    bool hasPath = path && !path->empty();
    if (hasPath && bookmark && !isDatabaseInAppContainer(*path)) {
        updateFileBookmark(
            *path, [this](const std::string& message, const std::string& error, bool inAlert) {
                if (inAlert) {
                    showAlertErrorObject(message, error);
                } else {
                    appendErrorMessage(error.empty() ? message : error, -1);
                }
            });
    }
    TablesAndRowsController* controller = attachController(windowIndex);
    controller->setDatabaseFilePath(hasPath ? path : std::nullopt);
    controller->initializeAfterShown();
    controller->reloadTablesAndSelectTableNamed(tableName);
    controller->reloadPickerTypes();
    window->show();
    window->raise();
    selectConsole(console, windowIndex);
    return window;
}

void AppDelegate::updateFileBookmark(const std::string& path,
                                     const BookmarkFailureHandler& failure) {
    using FileBookmarkStore::Refresh;
    std::string error;
    std::optional<std::string> stored = FileBookmarkStore::bookmarkForPath(path);
    if (!stored) {
        auto data = Bookmarks::create(path, &error);
        if (!data) return failure(localizedString("Error invalid bookmark to file"), error, false);
        FileBookmarkStore::setBookmark(*data, path);
        return;
    }
    switch (FileBookmarkStore::refresh(path, *stored, &error)) {
        case Refresh::Unresolvable:
            return failure(localizedString("Error invalid bookmark URL to file"), error, false);
        case Refresh::NotRecreated:
            return failure(localizedString("Error invalid bookmark to file"), error, false);
        case Refresh::NewUnresolvable:
            return failure(localizedString("Error invalid new bookmark URL to file"), error, true);
        case Refresh::Current:
        case Refresh::Renewed:
            return;
    }
}

void AppDelegate::openDroppedFiles(const std::vector<std::string>& paths,
                                   bool /*useAvailableWindowsOnly*/) {
    if (paths.empty()) return;
    QRect cascadeFrame = windowFrame(databaseWindows_[0].get());
    bool cascadeFrameUsed = false;
    if (TablesAndRowsWindow* visible = lastVisibleDatabaseWindow()) {
        cascadeFrame = windowFrame(visible);
        cascadeFrameUsed = true;
    }
    TablesAndRowsWindow* lastOpened = nullptr;
    for (const std::string& path : paths) {
        if (const auto check = DBInterface::checkDatabaseFile(path);
            check != DBInterface::DatabaseFileCheck::Valid) {
            showAlert(DBInterface::refusedDatabaseFileTitle(check), path);
            continue;
        }
        int windowIndex = getNextAvailableWindowIndex();
        if (windowIndex < 0) {
            showAlert(windowLimitText("Up to %d database windows can be displayed."), "");
            break;
        }
        TablesAndRowsWindow* window =
            showDatabase(path, windowIndex, true, lastTableSelectedForDatabaseFilePath(path),
                         TablesAndRowsState::RowsConsole);
        if (cascadeFrameUsed) cascadeFrame.translate(kCascadeOffset, kCascadeOffset);
        cascadeFrameUsed = true;
        // Cascading from the last window may pass an edge: the frame is kept inside.
        setWindowFrame(window, cascadeFrame);
        lastOpened = window;
    }
    makeKeyAndOrderFront(lastOpened);
}

void AppDelegate::openNewWindowExternal(bool external, const std::optional<std::string>& fileName) {
    int windowIndex = -1;
    for (int i = 0; i < kNumberOfWindowSlots && windowIndex < 0; ++i) {
        TablesAndRowsController* controller = tablesAndRowsControllerForWindowIndex(i);
        if (!controller || (!controller->databaseFilePath() && !databaseWindows_[i]->isVisible())) {
            windowIndex = i;
        }
    }
    if (windowIndex < 0) {
        showAlert(windowLimitText("Up to %d database windows allowed"),
                  localizedString("Close one of the database windows first."));
        return;
    }
    TablesAndRowsWindow* window = databaseWindows_[windowIndex].get();
    if (TablesAndRowsWindow* main = mainDatabaseWindow()) {
        setWindowFrame(window, windowFrame(main).translated(kCascadeOffset, kCascadeOffset));
    }
    TablesAndRowsController* controller = attachController(windowIndex);
    controller->setDatabaseFilePath(std::nullopt);
    makeKeyAndOrderFront(window);
    controller->initializeAfterShown();
    controller->reloadTablesAndSelectTableNamed(std::nullopt);
    controller->reloadPickerTypes();
    controller->selectConsole(TablesAndRowsState::RowsConsole);
    if (external) {
        controller->openExternalDatabase();
    } else {
        controller->openDatabase(fileName);
    }
}

void AppDelegate::openDocument() {
    if (TablesAndRowsController* controller = tablesAndRowsControllerForMainWindow()) {
        controller->openDatabase(std::nullopt);
    } else {
        openNewWindowExternal(false, std::nullopt);
    }
}

void AppDelegate::openExternalDatabase() {
    if (TablesAndRowsController* controller = tablesAndRowsControllerForMainWindow()) {
        controller->openExternalDatabase();
    } else {
        openNewWindowExternal(true, std::nullopt);
    }
}

void AppDelegate::openNewWindow() {
    std::optional<std::string> path =
        databaseFilePathForWindowIndex(windowIndexForMainDatabaseWindow());
    std::optional<std::string> fileName;
    if (path && isDatabaseInAppContainer(*path)) fileName = Paths::lastPathComponent(*path);
    openNewWindowExternal(false, fileName);
}

bool AppDelegate::closeDatabaseWindow(QWidget* window) {
    int windowIndex = windowIndexForDatabaseWindow(window);
    if (windowIndex < 0) return true;
    // Closing the last window ends the application: like a quit, it keeps that window and its
    // bookmark for the next launch.
    bool isLastWindow = !isTerminating_ && window->isVisible();
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        if (i != windowIndex && databaseWindows_[i]->isVisible()) isLastWindow = false;
    }
    if (isLastWindow) applicationWillTerminate();
    std::optional<std::string> path = databaseFilePathForWindowIndex(windowIndex);
    if (path && !isTerminating_ && !isLastWindow) removeFileBookmarkUnlessShown(*path, windowIndex);
    if (TablesAndRowsController* controller = tablesAndRowsControllerForWindowIndex(windowIndex)) {
        controller->setDatabaseFilePath(std::nullopt);
    }
    return true;
}

void AppDelegate::removeFileBookmarkUnlessShown(const std::string& path, int closingWindowIndex) {
    // Another window showing the same file still needs its bookmark at the next launch.
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        if (i != closingWindowIndex && databaseFilePathForWindowIndex(i) == path) return;
    }
    FileBookmarkStore::removeBookmark(path);
}

void AppDelegate::reloadSelectedDatabaseObjectInVisibleWindowsExcept(QWidget* window) {
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        TablesAndRowsController* controller = tablesAndRowsControllerForWindowIndex(i);
        if (controller && databaseWindows_[i]->isVisible() && databaseWindows_[i].get() != window) {
            controller->reloadSelectedDatabaseObject();
        }
    }
}

void AppDelegate::selectConsole(TablesAndRowsState::ConsoleIndex console, int windowIndex) {
    if (TablesAndRowsController* controller = tablesAndRowsControllerForWindowIndex(windowIndex)) {
        controller->selectConsole(console);
    }
}

PreferencesWindow* AppDelegate::preferencesWindow() {
    if (!preferencesWindow_) {
        preferencesWindow_ = std::make_unique<PreferencesWindow>(
            QStringList{tr("General"), tr("Tables List"), tr("Field Display"), tr("Field Storage")},
            [this] { reloadVisibleWindowsKeepingTheirTables(); });
    }
    return preferencesWindow_.get();
}

void AppDelegate::showPreferences() {
    preferencesWindow()->showPreferences();
}

void AppDelegate::reloadVisibleWindowsKeepingTheirTables() {
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        TablesAndRowsController* controller = tablesAndRowsControllerForWindowIndex(i);
        if (controller && databaseWindows_[i]->isVisible()) {
            controller->reloadTablesAndSelectTableNamed(controller->selectedTableNameIfOnlyOne());
        }
    }
}
