#include "design/HiddenObjects.h"

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/TablesListContents.h"

void HiddenObjects::hiddenMenuItemClicked() {
    const std::optional<std::string>& path = window_.state().databaseFilePath;
    if (!path) return;
    const auto& selectedObject = window_.state().selectedObject;
    bool changed = false;
    for (const std::string& name : window_.selectedTableNames()) {
        auto entry = selectedObject.allTables.find(name);
        if (entry == selectedObject.allTables.end() ||
            DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type) >=
                DBInterface::kSchemaIndex) {
            continue;
        }
        bool hide = !isHiddenObject(name, selectedObject.tableFlags);
        std::string error;
        if (DBInterface::updateSystemTable(name, kHiddenObjectFlag, hide, *path, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
            break;
        }
        changed = true;
    }
    if (changed) window_.reloadTablesAndSelectTableNamed(std::nullopt);
}

void HiddenObjects::showHiddenTablesMenuItemClicked() {
    window_.state().selectedObject.showHiddenObjects = true;
    window_.reloadTables();
}
