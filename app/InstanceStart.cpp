#include "app/InstanceStart.h"

#include "app/AppDelegate.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/ui/InstanceHandover.h"
#include "platform/ui/MainWindow.h"

std::unique_ptr<InstanceHandover> listenForHandedOverFiles(AppDelegate& app) {
    auto handover = std::make_unique<InstanceHandover>();
    bool listening = handover->listen([&app](const std::vector<std::string>& paths) {
        if (!paths.empty()) {
            app.applicationOpenFiles(paths);
        } else if (app.isApplicationLaunched()) {
            // A start without files asks for the program: its last window comes to the front.
            makeKeyAndOrderFront(app.lastVisibleDatabaseWindow());
        }
    });
    return listening ? std::move(handover) : nullptr;
}
