// Entry point: starts Qt, hands the database files named on the command line to the
// application object and runs the launch sequence.
#include <QApplication>
#include <QFileInfo>

#include "app/AppDelegate.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName("Varnelo");
    setLocalizedStringProvider(
        [](const char* key) { return QCoreApplication::translate("Varnelo", key).toStdString(); });

    AppDelegate appDelegate;
    std::vector<std::string> handedOver;
    for (const QString& argument : application.arguments().mid(1)) {
        handedOver.push_back(toStdString(QFileInfo(argument).absoluteFilePath()));
    }
    if (!handedOver.empty()) appDelegate.applicationOpenFiles(handedOver);
    appDelegate.applicationDidFinishLaunching();
    return application.exec();
}
