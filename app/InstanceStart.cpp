#include "app/InstanceStart.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/AppDelegate.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Alert.h"
#include "platform/ui/InstanceHandover.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"

namespace {

int refuseStart(const std::string& reason) {
    std::fprintf(stderr, "varnelo: %s\n", reason.c_str());
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.messageText = toQString(localizedString("Varnelo cannot start"));
    alert.informativeText = toQString(reason);
    alert.runModal();
    return 1;
}

}  // namespace

std::vector<std::string> commandLineFiles(int argc, char* argv[]) {
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        std::filesystem::path path = std::filesystem::absolute(argv[i], ec);
        paths.push_back(ec ? std::string(argv[i]) : path.lexically_normal().string());
    }
    return paths;
}

std::optional<int> startOrHandOver(InstanceHandover& handover,
                                   const std::vector<std::string>& paths) {
    // Without a home nothing could be kept: no settings, no Documents folder.
    if (std::string problem = Paths::applicationHomeProblem(); !problem.empty()) {
        return refuseStart(problem);
    }
    std::string error;
    switch (handover.start(paths, &error)) {
        case InstanceHandover::Start::HandedOver:
            return 0;
        case InstanceHandover::Start::Failed:
            return refuseStart(error);
        case InstanceHandover::Start::Instance:
            break;
    }
    return std::nullopt;
}

void receiveHandedOverFiles(InstanceHandover& handover, AppDelegate& app) {
    handover.setReceiver([&app](const std::vector<std::string>& paths) {
        if (!paths.empty()) {
            app.applicationOpenFiles(paths);
        } else if (app.isApplicationLaunched()) {
            makeKeyAndOrderFront(app.lastVisibleDatabaseWindow());
        }
    });
}
