#include "app/DatabaseCopyOut.h"

#include <QUrl>

#include <filesystem>
#include <optional>
#include <system_error>

#include "Common/DatabaseCopy.h"
#include "app/AppDelegate.h"
#include "app/DatabaseFiles.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/StringFormat.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/WaitCursor.h"
#include "platform/ui/Workspace.h"

namespace fs = std::filesystem;

namespace {

// The characters a URL query keeps as they are, less those that would end a query item.
std::string percentEncodedForQuery(const std::string& text) {
    return QUrl::toPercentEncoding(toQString(text), "!$'()*,;:@/?").toStdString();
}

std::optional<std::string> mainDatabasePath(const AppDelegate& app) {
    std::optional<std::string> path =
        app.databaseFilePathForWindowIndex(app.windowIndexForMainDatabaseWindow());
    if (!path || path->empty()) return std::nullopt;
    return path;
}

}  // namespace

std::string DatabaseCopyOut::mailURLForDatabaseFileName(const std::string& fileName) {
    std::string subject =
        percentEncodedForQuery(localizedFormat("Your database %@ is attached", {fileName}));
    return formatText("mailto:%@?%@&%@",
                      {"", formatText("SUBJECT=%@", {subject}), formatText("BODY=%@", {""})});
}

std::string DatabaseCopyOut::uploadFolder() {
    return (fs::path(Paths::temporaryFolder()) / "varnelodb.upload").string();
}

std::string DatabaseCopyOut::cloudStartFolder() {
    return (fs::path(Paths::homeFolder()) / "Dropbox" / "Apps" / "Varnelo DB").string();
}

void DatabaseCopyOut::shareCurrentDatabaseUsingEmail() {
    std::optional<std::string> path = mainDatabasePath(app_);
    if (!path) return;
    Workspace::openURL(toQString(mailURLForDatabaseFileName(Paths::lastPathComponent(*path))));
    std::error_code ec;
    bool isFile = fs::is_regular_file(*path, ec);
    Workspace::revealFile(toQString(isFile ? *path : Paths::documentsFolder() + "/"));
}

void DatabaseCopyOut::copyDatabaseToFolder() {
    chooseFolderAndCopy(false);
}

void DatabaseCopyOut::uploadToDropbox() {
    chooseFolderAndCopy(true);
}

void DatabaseCopyOut::chooseFolderAndCopy(bool cloud) {
    if (!mainDatabasePath(app_)) return;
    FilePanel panel;
    panel.kind = FilePanel::Kind::Folder;
    panel.title = toQString(localizedString(cloud ? "Upload To Dropbox" : "Copy to Folder"));
    panel.prompt = toQString(localizedString(cloud ? "Upload" : "Copy"));
    panel.message = toQString(localizedString(
        cloud
            ? "To be found on your iPhone or iPad, upload to the Dropbox subfolder \"Apps/Varnelo "
              "DB\""
            : "Select a folder to copy the database in to"));
    if (cloud) panel.directory = toQString(cloudStartFolder());
    panel.beginSheetModalForWindow(
        app_.mainDatabaseWindow(), [this, cloud](const QStringList& paths) {
            if (!paths.isEmpty()) copyDatabaseIntoFolder(toStdFileName(paths.first()), cloud);
        });
}

void DatabaseCopyOut::copyDatabaseIntoFolder(const std::string& folder, bool cloud) {
    std::optional<std::string> path = mainDatabasePath(app_);
    if (!path) return;
    std::string name = Paths::lastPathComponent(*path);
    std::string staging = uploadFolder();
    std::error_code ec;
    fs::remove_all(staging, ec);
    if (!ec) fs::create_directory(staging, ec);
    if (ec) {
        app_.showErrorAlert(ec.message() + ": " + staging);
        return;
    }
    std::string snapshot = (fs::path(staging) / name).string();
    std::string error;
    int rc;
    {
        // The copy waits while another connection commits.
        WaitCursor busy;
        rc = DBInterface::copyDatabaseSnapshot(*path, snapshot, &error);
    }
    if (rc != 0) {
        app_.showErrorAlert(error);
        return;
    }
    std::string destination = (fs::path(folder) / name).string();
    bool exists = fs::exists(fs::symlink_status(destination, ec));
    if (exists) {
        Alert question;
        question.messageText = toQString(cloud ? localizedString("Overwrite database in Dropbox?")
                                               : localizedFormat("Overwrite %@?", {name}));
        question.informativeText = toQString(localizedString("This cannot be undone!"));
        question.buttons = {toQString(localizedString("Overwrite")),
                            toQString(localizedString("Cancel"))};
        if (question.runModal() != 0) return;
    }
    if (!DatabaseFiles::copyIntoPlace(snapshot, destination, exists, &error)) {
        app_.showErrorAlert(error);
    }
}
