// The application's getting-started panel.
#include "app/AppDelegate.h"
#include "app/GettingStartedPanel.h"
#include "platform/ui/MainWindow.h"

GettingStartedPanel* AppDelegate::gettingStartedPanel() {
    if (!gettingStartedPanel_) gettingStartedPanel_ = std::make_unique<GettingStartedPanel>();
    return gettingStartedPanel_.get();
}

void AppDelegate::gettingStartedMenuItemClicked() {
    makeKeyAndOrderFront(gettingStartedPanel());
}
