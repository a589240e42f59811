// The map and math panels of the application, over the main database window's grid.
#include "app/AppDelegate.h"
#include "app/MapPanel.h"
#include "app/MathPanel.h"
#include "app/WindowParts.h"

namespace {

std::function<RowsConsole*()> mainWindowGrid(AppDelegate& app) {
    return [&app]() -> RowsConsole* {
        WindowParts* parts = app.windowPartsForMainWindow();
        return parts ? &parts->rows : nullptr;
    };
}

}  // namespace

MapPanel& AppDelegate::mapPanel() {
    if (!mapPanel_) mapPanel_ = std::make_unique<MapPanel>(mainWindowGrid(*this));
    return *mapPanel_;
}

MathPanel& AppDelegate::mathPanel() {
    if (!mathPanel_) mathPanel_ = std::make_unique<MathPanel>(mainWindowGrid(*this));
    return *mathPanel_;
}
