#include "app/InstanceStart.h"

#include "app/AppDelegate.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/ui/InstanceHandover.h"
#include "platform/ui/MainWindow.h"

void receiveHandedOverFiles(InstanceHandover& handover, AppDelegate& app) {
    handover.setReceiver([&app](const std::vector<std::string>& paths) {
        if (!paths.empty()) {
            app.applicationOpenFiles(paths);
        } else if (app.isApplicationLaunched()) {
            makeKeyAndOrderFront(app.lastVisibleDatabaseWindow());
        }
    });
}
