#include "design/DeleteAllRows.h"

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

namespace {
std::string cascadeText(const std::string& table, const std::string& path) {
    if (!UserDefaults::standard().boolForKey("EnableForeignKeyConstraints")) return "";
    std::vector<std::string> children;
    DBInterface::getCascadingChildTables(&children, table, path, nullptr);
    std::string list;
    for (const std::string& child : children) {
        if (child == table) continue;  // its own rows go anyway
        list += (list.empty() ? "" : ", ") + localizedFormat("“%@”", {child});
    }
    if (list.empty()) return "";
    return localizedFormat("The rows of %@ that refer to these rows are deleted too.", {list}) +
           "\n\n";
}
}  // namespace

void DeleteAllRows::deleteAllRowsMenuItemClicked() {
    const TablesAndRowsState& state = window_.state();
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    if (!name || !state.databaseFilePath || state.dataPort.totalRows < 1 ||
        state.selectedObject.selectedObjectStatus != DBInterface::kObjectEditable) {
        window_.showInfoAlert(localizedString("No table selected"),
                              localizedString("Select one or more tables to delete rows from."),
                              window_.window());
        return;
    }
    // The answer may come after the window shows another database or table.
    const std::string path = *state.databaseFilePath;
    const std::string table = *name;
    // The table shown, so that one made again since under its name keeps its rows.
    const std::optional<DBInterface::TableIdentity> shown = state.fieldModel.tableIdentity;
    Alert alert;
    alert.messageText = toQString(localizedFormat("Delete ALL rows in table \"%@\"?", {table}));
    alert.informativeText =
        toQString(localizedString("This will not delete any image files.") + "\n\n" +
                  cascadeText(table, path) + localizedString("This cannot be undone!"));
    alert.buttons = {toQString(localizedString("Delete ALL Rows")),
                     toQString(localizedString("Cancel"))};
    alert.beginSheetModalForWindow(window_.window(), [this, path, table, shown](int button) {
        if (button != 0 || window_.state().databaseFilePath != path) return;
        std::string error;
        if (DBInterface::deleteFromTable(table, path, &error, shown ? &*shown : nullptr) != 0) {
            window_.showErrorAlert(error, window_.window());
            return;
        }
        window_.reloadSelectedDatabaseObject();
        if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
            window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(window_.window());
        }
    });
}
