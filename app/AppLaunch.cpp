// Launch, bring-back of the windows of the last run, files handed over, and termination.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cmath>
#include <fstream>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/ErrorLog.h"
#include "app/SqliteErrorLog.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/ScreenPlacement.h"
#include "settings/FileBookmarkStore.h"

namespace {

constexpr const char* kWindowInfo = "WindowInfo";
constexpr const char* kLastWindowFrame = "LastWindowFrame";
constexpr const char* kLastWindowDatabasePath = "LastWindowDatabasePath";
constexpr const char* kLastWindowSelectedConsole = "LastWindowSelectedConsole";
constexpr const char* kLastWindowSelectedTable = "LastWindowSelectedTable";
constexpr const char* kDefaultDatabaseName = "varnelo.db";

// Beyond the largest window size; such a number cannot be rounded to a coordinate safely.
constexpr double kLargestCoordinate = 1 << 24;

// A frame of exactly four numbers: x, y, width, height.
std::optional<QRect> frameFromEntry(const nlohmann::json& entry) {
    auto found = entry.find(kLastWindowFrame);
    if (found == entry.end() || !found->is_array() || found->size() != 4) return std::nullopt;
    for (const auto& number : *found) {
        if (!number.is_number() || !(std::fabs(number.get<double>()) <= kLargestCoordinate)) {
            return std::nullopt;
        }
    }
    auto at = [&](int i) { return qRound((*found)[i].get<float>()); };
    return QRect(at(0), at(1), at(2), at(3));
}

std::string stringInEntry(const nlohmann::json& entry, const char* key) {
    auto found = entry.find(key);
    return found != entry.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The console of an entry; anything but 0-5 (negative numbers too) is the rows console.
TablesAndRowsState::ConsoleIndex consoleInEntry(const nlohmann::json& entry) {
    auto found = entry.find(kLastWindowSelectedConsole);
    if (found == entry.end() || !found->is_number()) return TablesAndRowsState::RowsConsole;
    // Read as a double: a fraction or a number past any integer must not be converted.
    return TablesAndRowsState::consoleIndexFromNumber(found->get<double>());
}

}  // namespace

void AppDelegate::applicationDidFinishLaunching() {
    isLaunching_ = true;
    UserDefaults& defaults = UserDefaults::standard();
    const bool firstLaunch = !defaults.boolForKey("IsFirstLaunch");
    if (firstLaunch) defaults.setBool(true, "IsFirstLaunch");

    // SQLite takes its log callback only before its first use.
    installSqliteErrorLog(&applicationErrorLog());
    sqliteFunctions_.clear();
    DBInterface::getFunctions(&sqliteFunctions_, nullptr);
    sqliteFunctionDescriptions_.clear();
    DBInterface::getFunctionDescriptions(&sqliteFunctionDescriptions_);

    if (defaults.boolForKey("CSV")) {
        defaults.setInteger(1, "ExportDelimiter");
        defaults.removeObjectForKey("CSV");
    }
    if (defaults.integerForKey("SchemaObjectTypesToShow") == 0) {
        defaults.setInteger(3, "SchemaObjectTypesToShow");  // tables and views
    }

    if (filenamesToOpen_) {
        std::vector<std::string> paths = std::move(*filenamesToOpen_);
        filenamesToOpen_.reset();
        openDroppedFiles(paths, false);
    }
    // Handed-over files that all failed to open must not leave the application without a window.
    if (!isAnyDatabaseWindowVisible()) {
        RestoreState state;
        nlohmann::json windowInfo = defaults.arrayForKey(kWindowInfo);
        for (size_t i = 0; windowInfo.is_array() && i < windowInfo.size(); ++i) {
            restoreWindowInfoEntry(windowInfo[i], static_cast<int>(i), &state);
        }
        if (!state.restored) {
            std::string path = Paths::documentsFolder() + "/" + kDefaultDatabaseName;
            // An empty file is an empty database; the window then lists no tables, not an error.
            std::ofstream(path, std::ios::app);
            state.windowToFront =
                showDatabase(path, 0, false, lastTableSelectedForDatabaseFilePath(path),
                             TablesAndRowsState::RowsConsole);
        }
        makeKeyAndOrderFront(state.windowToFront);
    }
    if (firstLaunch) gettingStartedMenuItemClicked();
    isApplicationLaunched_ = true;
    isLaunching_ = false;
    std::vector<std::vector<std::string>> handedOver;
    handedOver.swap(filenamesHandedOverDuringLaunch_);
    for (const std::vector<std::string>& paths : handedOver) openDroppedFiles(paths, true);
}

void AppDelegate::restoreWindowInfoEntry(const nlohmann::json& entry, int windowIndex,
                                         RestoreState* state) {
    TablesAndRowsWindow* window = databaseWindowForWindowIndex(windowIndex);
    if (!window || !entry.is_object()) return;
    std::string path = stringInEntry(entry, kLastWindowDatabasePath);
    TablesAndRowsState::ConsoleIndex console = consoleInEntry(entry);
    std::optional<QRect> frame = frameFromEntry(entry);
    std::optional<std::string> table;
    if (!path.empty()) {
        table = entry.contains(kLastWindowSelectedTable)
                    ? std::optional(stringInEntry(entry, kLastWindowSelectedTable))
                    : lastTableSelectedForDatabaseFilePath(path);
        if (!isDatabaseInAppContainer(path) && !accessBookmarkedFile(path)) {
            appendErrorMessage(localizedFormat("Not a valid database file: %@", {path}), -1);
            return;
        }
        if (!DBInterface::isValidDatabaseFile(path)) return;
    }
    if (!frame) return;
    setWindowFrame(window, *frame);
    state->windowToFront = showDatabase(path.empty() ? std::nullopt : std::optional(path),
                                        windowIndex, false, table, console);
    state->restored = true;
}

bool AppDelegate::accessBookmarkedFile(const std::string& path) {
    using FileBookmarkStore::Refresh;
    std::optional<std::string> stored = FileBookmarkStore::bookmarkForPath(path);
    if (!stored) return false;
    std::string error;
    auto described = [&error](const char* fallback) {
        return error.empty() ? localizedString(fallback) : error;
    };
    switch (FileBookmarkStore::refresh(path, *stored, &error)) {
        case Refresh::Current:
        case Refresh::Renewed:
            // No sandbox here: a file that resolves may be used.
            return true;
        case Refresh::Unresolvable:
            appendErrorMessage(described("File bookmark URL was invalid"), -1);
            return false;
        case Refresh::NotRecreated:
            appendErrorMessage(described("File bookmark was invalid"), -1);
            return false;
        case Refresh::NewUnresolvable:
            showAlert(localizedString("Error invalid new bookmark URL to file"),
                      described("File bookmark URL was invalid"));
            return false;
    }
    return false;
}

void AppDelegate::applicationOpenFiles(const std::vector<std::string>& paths) {
    if (isLaunching_) {
        // The launch took its files already.
        filenamesHandedOverDuringLaunch_.push_back(paths);
        return;
    }
    if (!isApplicationLaunched_) {
        filenamesToOpen_ = paths;
        return;
    }
    openDroppedFiles(paths, true);
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance() &&
        isApplicationLaunched_) {
        // Without a database window the quit follows the close of the last one, which saved it.
        if (isAnyDatabaseWindowVisible()) applicationWillTerminate();
        isTerminating_ = true;
        // Runs only when a window refused to close and the application goes on.
        QTimer::singleShot(0, this, [this] { isTerminating_ = false; });
    }
    return QObject::eventFilter(watched, event);
}

void AppDelegate::applicationWillTerminate() {
    nlohmann::json windowInfo = nlohmann::json::array();
    for (int i = 0; i < kNumberOfWindowSlots; ++i) {
        TablesAndRowsController* controller = tablesAndRowsControllerForWindowIndex(i);
        TablesAndRowsWindow* window = databaseWindowForWindowIndex(i);
        if (!controller || !window->isVisible()) continue;
        const QRect frame = windowFrame(window);
        nlohmann::json entry = {
            {kLastWindowFrame,
             {double(frame.x()), double(frame.y()), double(frame.width()), double(frame.height())}},
            {kLastWindowDatabasePath, controller->databaseFilePath().value_or(std::string())},
            {kLastWindowSelectedConsole, static_cast<uint64_t>(controller->selectedConsole())}};
        if (auto table = controller->selectedTableNameIfOnlyOne()) {
            entry[kLastWindowSelectedTable] = *table;
        }
        windowInfo.push_back(std::move(entry));
    }
    UserDefaults::standard().setObject(windowInfo, kWindowInfo);
}
