#include "app/TablesListMenuContext.h"

#include <QListWidget>
#include <QWidget>

#include "Common/SchemaListing.h"
#include "app/WindowParts.h"
#include "design/NameAndFieldsPanel.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/TablesListContents.h"

namespace {

// The kind of the listed object; none when the name has no schema entry.
std::optional<int32_t> objectTypeNamed(const TablesAndRowsController& window,
                                       const std::string& name) {
    const auto& allTables = window.state().selectedObject.allTables;
    auto entry = allTables.find(name);
    if (entry == allTables.end()) return std::nullopt;
    return DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type);
}

}  // namespace

ObjectCommandContext objectCommandContext(const WindowParts& parts, std::optional<int> row) {
    const TablesAndRowsController& window = parts.controller;
    ObjectCommandContext context;
    if (QListWidget* list = window.tablesTableView()) {
        context.selectedRowCount = static_cast<int>(list->selectedItems().size());
    }
    std::optional<std::string> name;
    const auto& tableNames = window.state().selectedObject.tableNames;
    if (!row) {
        name = window.selectedTableNameIfOnlyOne();
    } else if (*row >= 0 && *row < static_cast<int>(tableNames.size())) {
        name = tableNames[static_cast<size_t>(*row)];
    }
    if (name) context.objectType = objectTypeNamed(window, *name);
    context.nameAndFieldsPanelVisible = parts.nameAndFields.isNameAndFieldsPanelVisible();
    context.changeExistingTable = parts.nameAndFields.changeExistingTable();
    return context;
}

ItemDecision hiddenMenuItemDecision(const TablesAndRowsController& window) {
    std::vector<TablesListRow> rows;
    for (const std::string& name : window.selectedTableNames()) {
        rows.push_back({objectTypeNamed(window, name),
                        isHiddenObject(name, window.state().selectedObject.tableFlags)});
    }
    return hiddenMenuItemState(rows);
}

std::vector<std::string> copyableTableNames(const TablesAndRowsController& window) {
    std::vector<std::string> names;
    for (const std::string& name : window.selectedTableNames()) {
        const std::optional<int32_t> type = objectTypeNamed(window, name);
        if (type == DBInterface::kSchemaTable || type == DBInterface::kSchemaView) {
            names.push_back(name);
        }
    }
    return names;
}
