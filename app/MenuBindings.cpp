#include "app/MenuBindings.h"

#include <QApplication>

#include "app/AppDelegate.h"
#include "app/DatabaseCopyOut.h"
#include "app/DatabaseFiles.h"
#include "app/ImagesWindow.h"
#include "app/MenuRouter.h"
#include "design/DeleteAllRows.h"
#include "design/DuplicateTablesSheet.h"
#include "design/HiddenObjects.h"
#include "design/NameAndFieldsPanel.h"
#include "design/PickerTypesWindow.h"
#include "design/SQLConsole.h"
#include "design/SearchPanel.h"
#include "design/SortPanel.h"
#include "design/TableSchemaWindow.h"
#include "design/WebBookmarksWindow.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/CellCommands.h"
#include "mainwindow/rows/RowsConsole.h"

namespace {

// The help pages.
constexpr const char* kSampleDatabasesURL = "https://varnelo.example.org/samples";
constexpr const char* kTutorialsURL = "https://varnelo.example.org/desktop";
constexpr const char* kSupportURL = "https://varnelo.example.org/support";

RowsConsole* rowsConsoleOf(TablesAndRowsController& controller) {
    return static_cast<RowsConsole*>(controller.console(TablesAndRowsState::RowsConsole));
}

// Binds a window command to a cell command of the window's grid.
template <typename Result>
void bindCellCommand(MenuRouter& router, const char* action, Result (CellCommands::*command)()) {
    router.bindWindowCommand(action, [command](TablesAndRowsController& controller) {
        if (RowsConsole* rows = rowsConsoleOf(controller)) (rows->cellCommands().*command)();
    });
}

// Binds a window command to an operation of one of the window's panels, when it has that panel.
template <class Panel>
void bindPanelCommand(MenuRouter& router, const char* action, void (Panel::*operation)()) {
    router.bindWindowCommand(action, [operation](TablesAndRowsController& controller) {
        if (Panel* panel = controller.panel<Panel>()) (panel->*operation)();
    });
}

}  // namespace

void bindMenuCommands(MenuRouter& router, AppDelegate& app) {
    router.bindApplicationCommand("openNewWindow", [&app] { app.openNewWindow(); });
    router.bindApplicationCommand("openDocument", [&app] { app.openDocument(); });
    router.bindApplicationCommand("openExternalDatabase", [&app] { app.openExternalDatabase(); });
    router.bindApplicationCommand("showPreferences", [&app] { app.showPreferences(); });
    router.bindApplicationCommand("showDiagnosticsWindow", [&app] { app.showDiagnosticsWindow(); });
    router.bindApplicationCommand("gettingStartedMenuItemClicked",
                                  [&app] { app.gettingStartedMenuItemClicked(); });
    router.bindApplicationCommand("terminate", [] { QApplication::quit(); });
    router.bindWindowCommand("performClose", [](TablesAndRowsController& controller) {
        if (QWidget* window = controller.window()) window->close();
    });

    const char* consoles[] = {"rowsViewMenuItemClicked",   "addRowViewMenuItemClicked",
                              "sqlViewMenuItemClicked",    "importViewMenuItemClicked",
                              "exportViewMenuItemClicked", "printViewMenuItemClicked"};
    for (int console = 0; console < TablesAndRowsState::kNumberOfConsoles; ++console) {
        router.bindApplicationCommand(
            consoles[console], [&router, console] { router.selectConsoleOfMainWindow(console); });
    }
    router.bindApplicationCommand("selectPreviousViewMenuItemClicked",
                                  [&router] { router.selectPreviousViewMenuItemClicked(); });
    router.bindApplicationCommand("selectNextViewMenuItemClicked",
                                  [&router] { router.selectNextViewMenuItemClicked(); });
    router.bindApplicationCommand("showTablesViewMenuItemClicked",
                                  [&router] { router.showTablesViewMenuItemClicked(); });
    router.bindApplicationCommand("showToolbarMenuItemClicked",
                                  [&router] { router.showToolbarMenuItemClicked(); });
    router.bindWindowCommand("tablesViewMenuItemClicked", [](TablesAndRowsController& controller) {
        controller.focusTablesView();
    });
    router.bindWindowCommand(
        "reloadTablesMenuItemClicked",
        [](TablesAndRowsController& controller) { controller.reloadTablesMenuItemClicked(); });
    router.bindWindowCommand("selectAll", [](TablesAndRowsController& controller) {
        RowsConsole* rows = rowsConsoleOf(controller);
        if (rows && controller.selectedConsole() == TablesAndRowsState::RowsConsole &&
            rows->isRowsTableViewFirstResponder()) {
            rows->selectAllFields();
            return;
        }
        // Any other list or text of the window selects all its own way.
        QWidget* window = controller.window();
        QWidget* focus = window ? window->focusWidget() : nullptr;
        if (focus && focus->metaObject()->indexOfMethod("selectAll()") >= 0) {
            QMetaObject::invokeMethod(focus, "selectAll");
        }
    });

    router.bindWindowCommand("deselectAllMenuItemClicked", [](TablesAndRowsController& controller) {
        if (RowsConsole* rows = rowsConsoleOf(controller)) rows->deselectAllMenuItemClicked();
    });
    // The grid's cell commands (those with a prompt answer it themselves); Set to NULL acts on the
    // record editor's field when it is shown.
    bindCellCommand(router, "clearMenuItemClicked", &CellCommands::clearMenuItemClicked);
    bindCellCommand(router, "replaceMenuItemClicked", &CellCommands::replaceMenuItemClicked);
    bindCellCommand(router, "delete", &CellCommands::rowsTableViewDelete);
    bindCellCommand(router, "addOneBlankRowItemClicked", &CellCommands::addOneBlankRow);
    bindCellCommand(router, "addBlankRowsItemClicked", &CellCommands::addBlankRows);
    bindCellCommand(router, "goToRowMenuItemClicked", &CellCommands::goToRowMenuItemClicked);
    router.bindWindowCommand("setToNULLMenuItemClicked", [](TablesAndRowsController& controller) {
        if (controller.selectedConsole() == TablesAndRowsState::RecordConsole) {
            auto* record =
                static_cast<RecordConsole*>(controller.console(TablesAndRowsState::RecordConsole));
            if (record) record->setToNULLMenuItemClicked();
        } else if (RowsConsole* rows = rowsConsoleOf(controller)) {
            rows->cellCommands().setToNULLMenuItemClicked();
        }
    });
    bindPanelCommand(router, "sortFieldsMenuItemClicked", &SortPanel::sortFieldsMenuItemClicked);
    bindPanelCommand(router, "searchMenuItemClicked", &SearchPanel::searchMenuItemClicked);
    bindPanelCommand(router, "webBrowserBookmarksMenuItemClicked",
                     &WebBookmarksWindow::webBrowserBookmarksMenuItemClicked);
    bindPanelCommand(router, "nameAndFieldsMenuItemClicked",
                     &NameAndFieldsPanel::nameAndFieldsMenuItemClicked);
    bindPanelCommand(router, "schemaMenuItemClicked", &TableSchemaWindow::schemaMenuItemClicked);
    bindPanelCommand(router, "duplicateTableMenuItemPressed",
                     &DuplicateTablesSheet::duplicateTableMenuItemPressed);
    bindPanelCommand(router, "hiddenMenuItemClicked", &HiddenObjects::hiddenMenuItemClicked);
    bindPanelCommand(router, "showHiddenTablesMenuItemClicked",
                     &HiddenObjects::showHiddenTablesMenuItemClicked);
    bindPanelCommand(router, "pickerTypesMenuItemClicked",
                     &PickerTypesWindow::pickerTypesMenuItemClicked);
    bindPanelCommand(router, "deleteAllRowsMenuItemClicked",
                     &DeleteAllRows::deleteAllRowsMenuItemClicked);
    router.bindApplicationCommand("imagesWindowMenuItemClicked",
                                  [&app] { app.imagesWindow().imagesWindowMenuItemClicked(); });
    router.bindApplicationCommand("databasesWindowMenuItemClicked",
                                  [&app] { app.databaseFiles().databasesWindowMenuItemClicked(); });
    router.bindApplicationCommand("renameDatabaseMenuItemClicked",
                                  [&app] { app.databaseFiles().renameDatabaseMenuItemClicked(); });
    router.bindApplicationCommand("shareCurrentDatabaseUsingEmail", [&app] {
        app.databaseCopyOut().shareCurrentDatabaseUsingEmail();
    });
    router.bindApplicationCommand("copyDatabaseToFolder",
                                  [&app] { app.databaseCopyOut().copyDatabaseToFolder(); });
    router.bindApplicationCommand("uploadToDropbox",
                                  [&app] { app.databaseCopyOut().uploadToDropbox(); });
    router.bindWindowCommand("createViewMenuItemPressed", [](TablesAndRowsController& controller) {
        auto* sql = static_cast<SQLConsole*>(controller.console(TablesAndRowsState::SQLConsole));
        if (sql) sql->createViewMenuItemPressed();
    });

    router.bindApplicationCommand("sampleDatabasesMenuItemClicked",
                                  [&router] { router.openHelpPage(kSampleDatabasesURL); });
    router.bindApplicationCommand("tutorialsMenuItemClicked",
                                  [&router] { router.openHelpPage(kTutorialsURL); });
    router.bindApplicationCommand("supportMenuItemClicked",
                                  [&router] { router.openHelpPage(kSupportURL); });
}
