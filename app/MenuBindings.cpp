#include "app/MenuBindings.h"

#include <QApplication>

#include "app/AppDelegate.h"
#include "app/DatabaseCopyOut.h"
#include "app/DatabaseFiles.h"
#include "app/HelpPages.h"
#include "app/ImagesWindow.h"
#include "app/MapPanel.h"
#include "app/MathPanel.h"
#include "app/MenuRouter.h"
#include "app/MenuRules.h"
#include "app/WindowParts.h"
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
#include "exchange/AddTableSheet.h"
#include "exchange/DragTablesPanel.h"
#include "exchange/GridCopy.h"
#include "exchange/GridPaste.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/LocationChooser.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/CellCommands.h"
#include "mainwindow/rows/ChosenValueWriter.h"
#include "mainwindow/rows/RowsConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"

namespace {

// The record editor's field whose value field has the keyboard focus; none without one.
FieldIndex focusedRecordField(RecordConsole& record, const TablesAndRowsState& state) {
    QWidget* focus = QApplication::focusWidget();
    for (FieldIndex field = kFirstFieldIndex; field <= state.dataPort.lastFieldIndex(); ++field) {
        if (focus && record.valueField(field) == focus) return field;
    }
    return FieldIndex();
}

// The chosen location goes into the grid's focused cell, or into the record editor's field
// being edited (saved with the row).
void chooseLocation(WindowParts& window) {
    TablesAndRowsController& controller = window.controller;
    RecordConsole& record = window.record;
    bool inRecord = controller.selectedConsole() == TablesAndRowsState::RecordConsole;
    FieldIndex recordField =
        inRecord ? focusedRecordField(record, controller.state()) : FieldIndex();
    LocationChooser chooser(controller.window());
    std::optional<std::string> text = chooser.chooseLocation();
    if (!text) return;
    if (controller.selectedConsole() == TablesAndRowsState::RowsConsole) {
        ChosenValueWriter(controller, window.rows).updateFocusedCell(*text);
    } else if (inRecord && !recordField.isNone()) {
        record.takeTypedText(recordField, *text);
        if (CellTextField* line = record.valueField(recordField)) {
            line->setWholeText(toQString(*text));
        }
    }
}

// Select All: the grid's cells while it has the keyboard, else whatever list or text of the
// window has it, its own way.
void selectAll(WindowParts& window) {
    TablesAndRowsController& controller = window.controller;
    if (controller.selectedConsole() == TablesAndRowsState::RowsConsole &&
        window.rows.isRowsTableViewFirstResponder()) {
        window.rows.selectAllFields();
        return;
    }
    QWidget* shown = controller.window();
    QWidget* focus = shown ? shown->focusWidget() : nullptr;
    if (focus && focus->metaObject()->indexOfMethod("selectAll()") >= 0) {
        QMetaObject::invokeMethod(focus, "selectAll");
    }
}

// Close acts on the window in front, whichever it is; on the main database window while none
// of the program's windows is active.
void closeWindowInFront() {
    QWidget* window = QApplication::activeWindow();
    if (!window) window = mainWindow();
    if (window) window->close();
}

template <class Target>
struct Binding {
    const char* action;
    void (*command)(Target&);
};

const Binding<AppDelegate> kApplicationCommands[] = {
    {"openNewWindow", [](AppDelegate& app) { app.openNewWindow(); }},
    {"openDocument", [](AppDelegate& app) { app.openDocument(); }},
    {"openExternalDatabase", [](AppDelegate& app) { app.openExternalDatabase(); }},
    {"showPreferences", [](AppDelegate& app) { app.showPreferences(); }},
    {"showDiagnosticsWindow", [](AppDelegate& app) { app.showDiagnosticsWindow(); }},
    {"gettingStartedMenuItemClicked",
     [](AppDelegate& app) { app.gettingStartedMenuItemClicked(); }},
    {"showMapPanel", [](AppDelegate& app) { app.mapPanel().showMapPanel(); }},
    {"mathMenuItemClicked", [](AppDelegate& app) { app.mathPanel().mathMenuItemClicked(); }},
    {"clipboardContentsWindowMenuItemClicked",
     [](AppDelegate& app) { app.refreshAndShowClipboardWindow(); }},
    {"performClose", [](AppDelegate&) { closeWindowInFront(); }},
    {"terminate", [](AppDelegate&) { QApplication::quit(); }},
    {"databasesWindowMenuItemClicked",
     [](AppDelegate& app) { app.databaseFiles().databasesWindowMenuItemClicked(); }},
    {"renameDatabaseMenuItemClicked",
     [](AppDelegate& app) { app.databaseFiles().renameDatabaseMenuItemClicked(); }},
    {"imagesWindowMenuItemClicked",
     [](AppDelegate& app) { app.imagesWindow().imagesWindowMenuItemClicked(); }},
    {"shareCurrentDatabaseUsingEmail",
     [](AppDelegate& app) { app.databaseCopyOut().shareCurrentDatabaseUsingEmail(); }},
    {"copyDatabaseToFolder",
     [](AppDelegate& app) { app.databaseCopyOut().copyDatabaseToFolder(); }},
    {"uploadToDropbox", [](AppDelegate& app) { app.databaseCopyOut().uploadToDropbox(); }},
};

// What the router does itself: the main window's console cycle and views, the help pages.
const Binding<MenuRouter> kRouterCommands[] = {
    {"selectPreviousViewMenuItemClicked",
     [](MenuRouter& router) { router.selectPreviousViewMenuItemClicked(); }},
    {"selectNextViewMenuItemClicked",
     [](MenuRouter& router) { router.selectNextViewMenuItemClicked(); }},
    {"showTablesViewMenuItemClicked",
     [](MenuRouter& router) { router.showTablesViewMenuItemClicked(); }},
    {"showToolbarMenuItemClicked", [](MenuRouter& router) { router.showToolbarMenuItemClicked(); }},
    {"sampleDatabasesMenuItemClicked",
     [](MenuRouter&) { openHelpPage(HelpPage::SampleDatabases); }},
    {"tutorialsMenuItemClicked", [](MenuRouter&) { openHelpPage(HelpPage::Tutorials); }},
    {"supportMenuItemClicked", [](MenuRouter&) { openHelpPage(HelpPage::Support); }},
};

// The main database window's commands. The grid's cell commands with a prompt answer it
// themselves; Set to NULL acts on the record editor's field when that is shown.
const Binding<WindowParts> kWindowCommands[] = {
    {"chooseLocationMenuItemClicked", chooseLocation},
    {"editFieldInPanelMenuItemClicked",
     [](WindowParts& window) {
         if (window.controller.selectedConsole() == TablesAndRowsState::RowsConsole) {
             window.rows.editFieldInPanelMenuItemClicked();
         } else if (window.controller.selectedConsole() == TablesAndRowsState::RecordConsole) {
             window.record.editFieldInPanelMenuItemClicked();
         }
     }},
    {"showExpandedFieldsMenuItemClicked",
     [](WindowParts& window) { window.expandedFields.showExpandedFieldsMenuItemClicked(); }},
    {"tablesViewMenuItemClicked", [](WindowParts& window) { window.controller.focusTablesView(); }},
    {"reloadTablesMenuItemClicked",
     [](WindowParts& window) { window.controller.reloadTablesMenuItemClicked(); }},
    {"selectAll", selectAll},
    {"deselectAllMenuItemClicked",
     [](WindowParts& window) { window.rows.deselectAllMenuItemClicked(); }},
    {"clearMenuItemClicked",
     [](WindowParts& window) { window.rows.cellCommands().clearMenuItemClicked(); }},
    {"replaceMenuItemClicked",
     [](WindowParts& window) { window.rows.cellCommands().replaceMenuItemClicked(); }},
    {"delete", [](WindowParts& window) { window.rows.cellCommands().rowsTableViewDelete(); }},
    {"copy",
     [](WindowParts& window) {
         if (window.controller.selectedConsole() == TablesAndRowsState::SQLConsole) {
             window.sql.sqlResultsTableViewCopy();
         } else {
             GridCopy(window.controller, window.rows).rowsTableViewCopy();
         }
     }},
    {"cut",
     [](WindowParts& window) { GridCopy(window.controller, window.rows).rowsTableViewCut(); }},
    {"copyForExportMenuItemClicked",
     [](WindowParts& window) {
         GridCopy(window.controller, window.rows).copyForExportMenuItemClicked();
     }},
    {"paste",
     [](WindowParts& window) { GridPaste(window.controller, window.rows).rowsTableViewPaste(); }},
    {"pasteRowsMenuItemClicked",
     [](WindowParts& window) {
         GridPaste(window.controller, window.rows).pasteByAddingRowsFromPasteboard();
     }},
    {"addOneBlankRowItemClicked",
     [](WindowParts& window) { window.rows.cellCommands().addOneBlankRow(); }},
    {"addBlankRowsItemClicked",
     [](WindowParts& window) { window.rows.cellCommands().addBlankRows(); }},
    {"goToRowMenuItemClicked",
     [](WindowParts& window) { window.rows.cellCommands().goToRowMenuItemClicked(); }},
    {"setToNULLMenuItemClicked",
     [](WindowParts& window) {
         if (window.controller.selectedConsole() == TablesAndRowsState::RecordConsole) {
             window.record.setToNULLMenuItemClicked();
         } else {
             window.rows.cellCommands().setToNULLMenuItemClicked();
         }
     }},
    {"addBlankTableMenuItemClicked", [](WindowParts& window) { window.addTable.addBlankTable(); }},
    // Tables copied from another window come through the drag-tables panel; any other
    // clipboard makes a table of its rows.
    {"addTableFromClipboardMenuItemClicked",
     [](WindowParts& window) {
         if (!window.dragTables.promptWithPasteboard()) window.addTable.addTableFromClipboard();
     }},
    {"sortFieldsMenuItemClicked",
     [](WindowParts& window) { window.sort.sortFieldsMenuItemClicked(); }},
    {"searchMenuItemClicked", [](WindowParts& window) { window.search.searchMenuItemClicked(); }},
    {"webBrowserBookmarksMenuItemClicked",
     [](WindowParts& window) { window.webBookmarks.webBrowserBookmarksMenuItemClicked(); }},
    {"schemaMenuItemClicked",
     [](WindowParts& window) { window.tableSchema.schemaMenuItemClicked(); }},
    {"hiddenMenuItemClicked",
     [](WindowParts& window) { window.hiddenObjects.hiddenMenuItemClicked(); }},
    {"showHiddenTablesMenuItemClicked",
     [](WindowParts& window) { window.hiddenObjects.showHiddenTablesMenuItemClicked(); }},
    {"duplicateTableMenuItemPressed",
     [](WindowParts& window) { window.duplicateTables.duplicateTableMenuItemPressed(); }},
    {"deleteAllRowsMenuItemClicked",
     [](WindowParts& window) { window.deleteAllRows.deleteAllRowsMenuItemClicked(); }},
    {"nameAndFieldsMenuItemClicked",
     [](WindowParts& window) { window.nameAndFields.nameAndFieldsMenuItemClicked(); }},
    {"pickerTypesMenuItemClicked",
     [](WindowParts& window) { window.pickerTypes.pickerTypesMenuItemClicked(); }},
    {"createViewMenuItemPressed",
     [](WindowParts& window) { window.sql.createViewMenuItemPressed(); }},
};

}  // namespace

void bindMenuCommands(MenuRouter& router, AppDelegate& app) {
    for (const auto& [action, command] : kApplicationCommands) {
        router.bindApplicationCommand(action, [&app, command] { command(app); });
    }
    for (const auto& [action, command] : kRouterCommands) {
        router.bindApplicationCommand(action, [&router, command] { command(router); });
    }
    for (int tag = 0; tag < TablesAndRowsState::kNumberOfConsoles; ++tag) {
        const TablesAndRowsState::ConsoleIndex console =
            TablesAndRowsState::consoleIndexFromNumber(tag);
        router.bindApplicationCommand(
            consoleMenuItemActions()[static_cast<size_t>(tag)],
            [&router, console] { router.selectConsoleOfMainWindow(console); });
    }
    for (const auto& [action, command] : kWindowCommands) router.bindWindowCommand(action, command);
    router.bindExpandedFieldsPanelHidden(
        [](WindowParts& window) { return window.expandedFields.isExpandedFieldsPanelHidden(); });
}
