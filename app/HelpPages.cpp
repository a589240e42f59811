#include "app/HelpPages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/Workspace.h"

namespace {

const char* fileNameOf(HelpPage page) {
    switch (page) {
        case HelpPage::SampleDatabases:
            return "sample-databases.html";
        case HelpPage::Tutorials:
            return "tour.html";
        case HelpPage::Support:
            return "support.html";
    }
    return "";
}

}  // namespace

std::optional<QString> helpPageFile(HelpPage page) {
    // The build copies the pages beside the program; scripts/install-help-pages puts them here.
    const QString folders[] = {QCoreApplication::applicationDirPath() + "/help",
                               toQString(Paths::userDataFolder()) + "/doc/varnelo"};
    for (const QString& folder : folders) {
        const QFileInfo file(folder + "/" + fileNameOf(page));
        if (file.isFile()) return file.absoluteFilePath();
    }
    return std::nullopt;
}

void openHelpPage(HelpPage page) {
    const std::optional<QString> file = helpPageFile(page);
    if (file && Workspace::openURL(QUrl::fromLocalFile(*file).toString())) return;
    Alert alert;
    alert.messageText = toQString(localizedString("Could not open URL"));
    alert.runModal();
}
