// Entry point: starts Qt, hands the database files named on the command line to the running
// instance when there is one, else to the application object, and runs the launch sequence.
#include <QApplication>
#include <QFileInfo>

#include <cstdio>

#include "Common/ProductVariant.h"
#include "app/AppDelegate.h"
#include "app/InstanceStart.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/InstanceHandover.h"
#include "platform/ui/QtStrings.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName("Varnelo");
    setLocalizedStringProvider(
        [](const char* key) { return QCoreApplication::translate("Varnelo", key).toStdString(); });

    QGuiApplication::setDesktopFileName(
        QString::fromUtf8(DBInterface::kApplicationIdentifier.data(),
                          static_cast<qsizetype>(DBInterface::kApplicationIdentifier.size())));
    std::vector<std::string> handedOver;
    for (const QString& argument : application.arguments().mid(1)) {
        handedOver.push_back(toStdString(QFileInfo(argument).absoluteFilePath()));
    }
    // A program already running takes the files, and this start ends.
    InstanceHandover handover;
    std::string error;
    switch (handover.start(handedOver, &error)) {
        case InstanceHandover::Start::HandedOver:
            return 0;
        case InstanceHandover::Start::Failed:
            std::fprintf(stderr, "varnelo: %s\n", error.c_str());
            return 1;
        case InstanceHandover::Start::Instance:
            break;
    }

    AppDelegate appDelegate;
    receiveHandedOverFiles(handover, appDelegate);
    if (!handedOver.empty()) appDelegate.applicationOpenFiles(handedOver);
    appDelegate.applicationDidFinishLaunching();
    return application.exec();
}
