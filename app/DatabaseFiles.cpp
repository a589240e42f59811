#include "app/DatabaseFiles.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

#include "Common/DBConnection.h"
#include "Common/DBInterface.h"
#include "Common/DatabaseFileHeader.h"
#include "app/AppDelegate.h"
#include "app/DatabasesWindow.h"
#include "app/ImagesWindow.h"
#include "app/WindowParts.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/StringFormat.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/Workspace.h"
#include "settings/DocumentsDatabaseDefaults.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLastNewDatabaseNumber = 99;

std::string documentsPath(const std::string& name) {
    return Paths::documentsFolder() + "/" + name;
}

bool existsAsAnything(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// A rename that fails rather than replace an existing file.
bool renameWithoutReplacing(const std::string& from, const std::string& to, std::string* error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (error) *error = std::strerror(errno);
    return false;
}

// A database is being written while its rollback journal or write-ahead log is beside it; a
// rename then would part the file from the journal that can still roll it back.
bool isBeingWritten(const std::string& path) {
    return existsAsAnything(path + "-journal") || existsAsAnything(path + "-wal");
}

// Copies the file as it stands into the new file temporary, for destination.
bool copyFile(const std::string& source, const std::string& temporary,
              const std::string& destination, std::string* error) {
    std::error_code ec;
    fs::copy_file(source, temporary, ec);
    if (ec && error) {
        // The copy fails at either end: a source that still opens means the destination refused.
        const bool sourceOpens = std::ifstream(source, std::ios::binary).is_open();
        *error = ec.message() + ": " + (sourceOpens ? destination : source);
    }
    return !ec;
}

// Copies a database through SQLite into the new file temporary: whole while another program
// writes it, with what that program committed to its log, and without dropping the locks this
// process holds on it, as a copy of its bytes would.
bool copyDatabase(const std::string& source, const std::string& temporary, std::string* error) {
    std::error_code ec;
    fs::remove(temporary + "-journal", ec);
    std::string reason;
    if (DBInterface::copyDatabaseSnapshot(source, temporary, &reason) == 0) return true;
    if (error) *error = reason.find(source) == std::string::npos ? reason + ": " + source : reason;
    return false;
}

}  // namespace

std::optional<std::string> DatabaseFiles::fileNameForNewDatabase() {
    std::string name = kDefaultDatabaseFileName;
    if (!existsAsAnything(documentsPath(name))) return name;
    fs::path defaultName(name);
    std::string stem = defaultName.stem().string();
    std::string extension = defaultName.extension().string().substr(1);
    for (int number = 2; number <= kLastNewDatabaseNumber; ++number) {
        std::string candidate = formatText("%@_%d.%@", {stem, std::to_string(number), extension});
        if (!existsAsAnything(documentsPath(candidate))) return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> DatabaseFiles::checkedFileName(const std::string& typed,
                                                          bool addDatabaseExtension,
                                                          std::string* error) {
    std::string reason;
    if (typed.empty()) {
        reason = localizedString("The file name cannot be empty");
    } else if (typed.find('/') != std::string::npos || typed.find('\0') != std::string::npos) {
        reason = localizedString("The file name cannot contain \"/\"");
    } else if (typed.front() == '.') {
        reason = localizedString("The file name cannot begin with \".\"");
    }
    if (!reason.empty()) {
        if (error) *error = reason;
        return std::nullopt;
    }
    if (addDatabaseExtension && typed.find('.') == std::string::npos) return typed + ".db";
    return typed;
}

std::vector<int> DatabaseFiles::windowsShowing(const std::string& path) const {
    std::vector<int> showing;
    for (int i = 0; i < AppDelegate::kNumberOfWindowSlots; ++i) {
        if (app_.databaseFilePathForWindowIndex(i) == path) showing.push_back(i);
    }
    return showing;
}

bool DatabaseFiles::renameDocumentsFile(const std::string& oldName, const std::string& newName,
                                        std::string* error) {
    std::string oldPath = documentsPath(oldName);
    std::string newPath = documentsPath(newName);
    if (existsAsAnything(newPath)) {
        if (error) *error = localizedString("A file with that name already exists");
        return false;
    }
    if (isBeingWritten(oldPath)) {
        if (error) *error = localizedString("The database is being written; try again later");
        return false;
    }
    if (!renameWithoutReplacing(oldPath, newPath, error)) return false;
    renameDocumentsDatabaseDefaults(oldName, newName);
    for (int windowIndex : windowsShowing(oldPath)) {
        TablesAndRowsController* controller =
            app_.tablesAndRowsControllerForWindowIndex(windowIndex);
        controller->setDatabaseFilePath(newPath);
        controller->updateWindowTitle();
        // The consoles drop what they built on the old path.
        controller->reloadSelectedDatabaseObject();
    }
    return true;
}

void DatabaseFiles::renameDatabaseMenuItemClicked() {
    int windowIndex = app_.windowIndexForMainDatabaseWindow();
    std::optional<std::string> path = app_.databaseFilePathForWindowIndex(windowIndex);
    if (!path || !AppDelegate::isDatabaseInAppContainer(*path)) return;
    std::string oldName = Paths::lastPathComponent(*path);
    Alert alert;
    alert.messageText = toQString(localizedString("Rename Database"));
    alert.buttons = {toQString(localizedString("Rename")), toQString(localizedString("Cancel"))};
    alert.textField = std::make_shared<QString>(toQString(oldName));
    alert.beginSheetModalForWindow(
        app_.databaseWindowForWindowIndex(windowIndex),
        [this, oldName, typed = alert.textField](int button) {
            if (button != 0) return;
            if (typed->isEmpty()) {
                app_.showAlert(localizedString("Invalid File Name"),
                               localizedString("File name cannot be empty."));
                return;
            }
            std::string error;
            std::optional<std::string> newName = checkedFileName(toStdString(*typed), true, &error);
            if (newName && *newName == oldName) return;
            if (!newName || !renameDocumentsFile(oldName, *newName, &error)) {
                app_.showErrorAlert(error);
            }
        });
}

void DatabaseFiles::databasesWindowMenuItemClicked() {
    // The main window's own file comes first: the file manager selects only one.
    const int main = app_.windowIndexForMainDatabaseWindow();
    std::vector<int> order;
    if (main >= 0) order.push_back(main);
    for (int i = 0; i < AppDelegate::kNumberOfWindowSlots; ++i) {
        if (i != main) order.push_back(i);
    }
    std::vector<std::string> shown;
    for (int i : order) {
        TablesAndRowsWindow* window = app_.databaseWindowForWindowIndex(i);
        std::optional<std::string> path = app_.databaseFilePathForWindowIndex(i);
        if (window->isVisible() && path && AppDelegate::isDatabaseInAppContainer(*path)) {
            shown.push_back(*path);
        }
    }
    // The file manager opens the folder; it cannot be told to select several files.
    Workspace::revealFile(
        toQString(shown.empty() ? Paths::documentsFolder() + "/" : shown.front()));
}

void DatabaseFiles::deleteSelectedFilesNow(const std::vector<int>& indexes,
                                           const std::vector<AppFileEntry>& files) {
    std::set<int> positions(indexes.begin(), indexes.end());
    for (int position : positions) {
        if (position < 0 || position >= static_cast<int>(files.size())) continue;
        std::string path = documentsPath(files[static_cast<size_t>(position)].fileName);
        std::error_code ec;
        std::string reason;
        if (!windowsShowing(path).empty()) {
            reason = localizedString("The file is shown in a database window.");
        } else if (!fs::remove(path, ec)) {
            reason = ec ? ec.message() : std::strerror(ENOENT);
        }
        if (!reason.empty()) {
            app_.showAlert(localizedString("Error"),
                           localizedFormat("Could not delete %@:\n\n%@", {path, reason}));
        }
    }
}

bool DatabaseFiles::copyIntoPlace(const std::string& source, const std::string& destination,
                                  bool replace, std::string* error, CopyKind kind) {
    // SQLite's alone, and no database of its own: copied as bytes, the copy's close would drop
    // the locks this process holds on it.
    if (DBConnection::isSideFileOfOpenDatabase(source)) {
        if (error) *error = std::generic_category().message(EBUSY) + ": " + source;
        return false;
    }
    fs::path target(destination);
    fs::path temporary = target.parent_path() / ("." + target.filename().string() + ".copying");
    std::error_code ec;
    fs::remove(temporary, ec);
    const bool database =
        kind == CopyKind::Database || (kind == CopyKind::AsFound && isSQLiteDatabaseFile(source));
    bool placed = database ? copyDatabase(source, temporary.string(), error)
                           : copyFile(source, temporary.string(), destination, error);
    std::string reason;
    if (placed && replace) {
        fs::rename(temporary, target, ec);
        placed = !ec;
        if (!placed && error) *error = ec.message() + ": " + destination;
    } else if (placed && !renameWithoutReplacing(temporary.string(), destination, &reason)) {
        placed = false;
        if (error) *error = reason + ": " + destination;
    }
    if (!placed) fs::remove(temporary, ec);
    return placed;
}

void DatabaseFiles::copyFiles(const std::vector<std::string>& sourcePaths, CopyTarget target) {
    struct Pending {
        std::string source, destination;
    };
    const CopyKind kind = target == DatabasesList ? CopyKind::Database : CopyKind::AsFound;
    std::vector<Pending> existing;
    std::set<std::string> names;
    // Named as a database but none, or one locked for now: said, since the drop that brought
    // them was taken.
    std::map<DBInterface::DatabaseFileCheck, std::vector<std::string>> refused;
    std::string error;
    bool failed = false;
    for (const std::string& source : sourcePaths) {
        std::string name = Paths::lastPathComponent(source);
        if (name.empty()) continue;
        // A drop on a list brings in only the files that list shows.
        bool taken = target == DatabasesList ? DBInterface::isSupportedDatabaseFile(name)
                                             : DBInterface::isSupportedImageFile(name);
        if (!taken) continue;
        if (target == DatabasesList) {
            const auto check = DBInterface::checkDatabaseFile(source);
            if (check != DBInterface::DatabaseFileCheck::Valid) {
                refused[check].push_back(source);
                continue;
            }
        }
        names.insert(name);
        std::string destination = documentsPath(name);
        if (existsAsAnything(destination)) {
            existing.push_back({source, destination});
        } else if (!failed && !copyIntoPlace(source, destination, false, &error, kind)) {
            failed = true;
        }
    }
    if (!failed && !existing.empty()) {
        Alert question;
        question.messageText = toQString(localizedString("Overwrite Existing Files?"));
        question.informativeText = toQString(
            localizedString("The selected files already exist in this app.\nDo you want to "
                            "overwrite them?\n\nThis cannot be undone!"));
        question.buttons = {toQString(localizedString("Overwrite")),
                            toQString(localizedString("Cancel"))};
        if (question.runModal() == 0) {
            for (const Pending& pending : existing) {
                if (!copyIntoPlace(pending.source, pending.destination, true, &error, kind)) {
                    failed = true;
                    break;
                }
                // A window showing the replaced database reads it again.
                for (int windowIndex : windowsShowing(pending.destination)) {
                    TablesAndRowsController* controller =
                        app_.tablesAndRowsControllerForWindowIndex(windowIndex);
                    controller->reloadTablesAndSelectTableNamed(controller->selectedTableName());
                }
            }
        }
    }
    if (failed) app_.showErrorAlert(error);
    for (const auto& [check, sources] : refused) {
        std::string paths;
        for (const std::string& path : sources) paths += "\n" + path;
        app_.showAlert(DBInterface::refusedDatabaseFileTitle(check),
                       localizedFormat("Not copied:%@", {paths}));
    }
    if (target == DatabasesList) {
        for (int i = 0; i < AppDelegate::kNumberOfWindowSlots; ++i) {
            if (WindowParts* parts = app_.windowPartsForWindowIndex(i)) {
                parts->databases.reloadDatabasesWindow(names);
            }
        }
    } else {
        app_.imagesWindow().reloadSelectingFileNames(names);
    }
}
