// Entry point: starts Qt, hands the database files named on the command line to the running
// instance when there is one, else to the application object, and runs the launch sequence.
#include <QApplication>

#include "Common/ProductVariant.h"
#include "app/AppDelegate.h"
#include "app/InstanceStart.h"
#include "mainwindow/TablesAndRowsState.h"
#include "platform/foundation/LargeBlocks.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/InstanceHandover.h"

int main(int argc, char* argv[]) {
    giveLargeBlocksBackWhenFreed();
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName("Varnelo");
    setLocalizedStringProvider(
        [](const char* key) { return QCoreApplication::translate("Varnelo", key).toStdString(); });

    QGuiApplication::setDesktopFileName(
        QString::fromUtf8(DBInterface::kApplicationIdentifier.data(),
                          static_cast<qsizetype>(DBInterface::kApplicationIdentifier.size())));
    // Qt's own arguments were taken out of argv by QApplication; the rest are files.
    const std::vector<std::string> handedOver = commandLineFiles(argc, argv);
    // A program already running takes the files, and this start ends.
    InstanceHandover handover;
    if (std::optional<int> exitCode = startOrHandOver(handover, handedOver)) return *exitCode;

    // A fault of a window's own state is logged and the window reloaded; only tests abort.
    TablesAndRowsState::setAbortOnInconsistency(false);
    AppDelegate appDelegate;
    receiveHandedOverFiles(handover, appDelegate);
    if (!handedOver.empty()) appDelegate.applicationOpenFiles(handedOver);
    appDelegate.applicationDidFinishLaunching();
    return application.exec();
}
