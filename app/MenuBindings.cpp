#include "app/MenuBindings.h"

#include <QApplication>
#include <QLineEdit>

#include "app/AppDelegate.h"
#include "app/DatabaseCopyOut.h"
#include "app/DatabaseFiles.h"
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
#include "platform/ui/QtStrings.h"

namespace {

// The help pages.
constexpr const char* kSampleDatabasesURL = "https://varnelo.example.org/samples";
constexpr const char* kTutorialsURL = "https://varnelo.example.org/desktop";
constexpr const char* kSupportURL = "https://varnelo.example.org/support";

// Binds a window command to a cell command of the window's grid.
template <typename Result>
void bindCellCommand(MenuRouter& router, const char* action, Result (CellCommands::*command)()) {
    router.bindWindowCommand(
        action, [command](WindowParts& window) { (window.rows.cellCommands().*command)(); });
}

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
        if (QLineEdit* line = record.valueField(recordField)) line->setText(toQString(*text));
    }
}

// Binds a window command to a clipboard command on the window's grid.
template <class Commands>
void bindClipboardCommand(MenuRouter& router, const char* action, void (Commands::*command)()) {
    router.bindWindowCommand(action, [command](WindowParts& window) {
        (Commands(window.controller, window.rows).*command)();
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
    router.bindApplicationCommand("showMapPanel", [&app] { app.mapPanel().showMapPanel(); });
    router.bindApplicationCommand("mathMenuItemClicked",
                                  [&app] { app.mathPanel().mathMenuItemClicked(); });
    router.bindWindowCommand("chooseLocationMenuItemClicked", chooseLocation);
    router.bindApplicationCommand("clipboardContentsWindowMenuItemClicked",
                                  [&app] { app.refreshAndShowClipboardWindow(); });
    router.bindApplicationCommand("terminate", [] { QApplication::quit(); });
    router.bindWindowCommand("performClose", [](WindowParts& window) {
        if (QWidget* shown = window.controller.window()) shown->close();
    });

    for (int console = 0; console < TablesAndRowsState::kNumberOfConsoles; ++console) {
        router.bindApplicationCommand(
            consoleMenuItemActions()[static_cast<size_t>(console)],
            [&router, console] { router.selectConsoleOfMainWindow(console); });
    }
    router.bindApplicationCommand("selectPreviousViewMenuItemClicked",
                                  [&router] { router.selectPreviousViewMenuItemClicked(); });
    router.bindApplicationCommand("selectNextViewMenuItemClicked",
                                  [&router] { router.selectNextViewMenuItemClicked(); });
    router.bindApplicationCommand("showTablesViewMenuItemClicked",
                                  [&router] { router.showTablesViewMenuItemClicked(); });
    router.bindApplicationCommand("showToolbarMenuItemClicked",
                                  [&router] { router.showToolbarMenuItemClicked(); });
    router.bindWindowCommand("editFieldInPanelMenuItemClicked", [](WindowParts& window) {
        if (window.controller.selectedConsole() == TablesAndRowsState::RowsConsole) {
            window.rows.editFieldInPanelMenuItemClicked();
        } else if (window.controller.selectedConsole() == TablesAndRowsState::RecordConsole) {
            window.record.editFieldInPanelMenuItemClicked();
        }
    });
    router.bindWindowCommand("showExpandedFieldsMenuItemClicked", [](WindowParts& window) {
        window.expandedFields.showExpandedFieldsMenuItemClicked();
    });
    router.bindExpandedFieldsPanelHidden(
        [](WindowParts& window) { return window.expandedFields.isExpandedFieldsPanelHidden(); });
    router.bindWindowCommand("tablesViewMenuItemClicked",
                             [](WindowParts& window) { window.controller.focusTablesView(); });
    router.bindWindowCommand("reloadTablesMenuItemClicked", [](WindowParts& window) {
        window.controller.reloadTablesMenuItemClicked();
    });
    router.bindWindowCommand("selectAll", [](WindowParts& window) {
        TablesAndRowsController& controller = window.controller;
        if (controller.selectedConsole() == TablesAndRowsState::RowsConsole &&
            window.rows.isRowsTableViewFirstResponder()) {
            window.rows.selectAllFields();
            return;
        }
        // Any other list or text of the window selects all its own way.
        QWidget* shown = controller.window();
        QWidget* focus = shown ? shown->focusWidget() : nullptr;
        if (focus && focus->metaObject()->indexOfMethod("selectAll()") >= 0) {
            QMetaObject::invokeMethod(focus, "selectAll");
        }
    });

    router.bindWindowCommand("deselectAllMenuItemClicked",
                             [](WindowParts& window) { window.rows.deselectAllMenuItemClicked(); });
    // The grid's cell commands (those with a prompt answer it themselves); Set to NULL acts on the
    // record editor's field when it is shown.
    bindCellCommand(router, "clearMenuItemClicked", &CellCommands::clearMenuItemClicked);
    bindCellCommand(router, "replaceMenuItemClicked", &CellCommands::replaceMenuItemClicked);
    bindCellCommand(router, "delete", &CellCommands::rowsTableViewDelete);
    bindClipboardCommand(router, "copy", &GridCopy::rowsTableViewCopy);
    bindClipboardCommand(router, "cut", &GridCopy::rowsTableViewCut);
    bindClipboardCommand(router, "copyForExportMenuItemClicked",
                         &GridCopy::copyForExportMenuItemClicked);
    bindClipboardCommand(router, "paste", &GridPaste::rowsTableViewPaste);
    bindClipboardCommand(router, "pasteRowsMenuItemClicked",
                         &GridPaste::pasteByAddingRowsFromPasteboard);
    bindCellCommand(router, "addOneBlankRowItemClicked", &CellCommands::addOneBlankRow);
    bindCellCommand(router, "addBlankRowsItemClicked", &CellCommands::addBlankRows);
    bindCellCommand(router, "goToRowMenuItemClicked", &CellCommands::goToRowMenuItemClicked);
    router.bindWindowCommand("setToNULLMenuItemClicked", [](WindowParts& window) {
        if (window.controller.selectedConsole() == TablesAndRowsState::RecordConsole) {
            window.record.setToNULLMenuItemClicked();
        } else {
            window.rows.cellCommands().setToNULLMenuItemClicked();
        }
    });
    router.bindWindowCommand("addBlankTableMenuItemClicked",
                             [](WindowParts& window) { window.addTable.addBlankTable(); });
    // Tables copied from another window come through the drag-tables panel; any other
    // clipboard makes a table of its rows.
    router.bindWindowCommand("addTableFromClipboardMenuItemClicked", [](WindowParts& window) {
        if (!window.dragTables.promptWithPasteboard()) window.addTable.addTableFromClipboard();
    });
    router.bindWindowCommand("sortFieldsMenuItemClicked",
                             [](WindowParts& window) { window.sort.sortFieldsMenuItemClicked(); });
    router.bindWindowCommand("searchMenuItemClicked",
                             [](WindowParts& window) { window.search.searchMenuItemClicked(); });
    router.bindWindowCommand("webBrowserBookmarksMenuItemClicked", [](WindowParts& window) {
        window.webBookmarks.webBrowserBookmarksMenuItemClicked();
    });
    router.bindWindowCommand("schemaMenuItemClicked", [](WindowParts& window) {
        window.tableSchema.schemaMenuItemClicked();
    });
    router.bindWindowCommand("hiddenMenuItemClicked", [](WindowParts& window) {
        window.hiddenObjects.hiddenMenuItemClicked();
    });
    router.bindWindowCommand("showHiddenTablesMenuItemClicked", [](WindowParts& window) {
        window.hiddenObjects.showHiddenTablesMenuItemClicked();
    });
    router.bindWindowCommand("duplicateTableMenuItemPressed", [](WindowParts& window) {
        window.duplicateTables.duplicateTableMenuItemPressed();
    });
    router.bindWindowCommand("deleteAllRowsMenuItemClicked", [](WindowParts& window) {
        window.deleteAllRows.deleteAllRowsMenuItemClicked();
    });
    router.bindWindowCommand("nameAndFieldsMenuItemClicked", [](WindowParts& window) {
        window.nameAndFields.nameAndFieldsMenuItemClicked();
    });
    router.bindWindowCommand("pickerTypesMenuItemClicked", [](WindowParts& window) {
        window.pickerTypes.pickerTypesMenuItemClicked();
    });
    router.bindApplicationCommand("databasesWindowMenuItemClicked",
                                  [&app] { app.databaseFiles().databasesWindowMenuItemClicked(); });
    router.bindApplicationCommand("renameDatabaseMenuItemClicked",
                                  [&app] { app.databaseFiles().renameDatabaseMenuItemClicked(); });
    router.bindApplicationCommand("imagesWindowMenuItemClicked",
                                  [&app] { app.imagesWindow().imagesWindowMenuItemClicked(); });
    router.bindApplicationCommand("shareCurrentDatabaseUsingEmail", [&app] {
        app.databaseCopyOut().shareCurrentDatabaseUsingEmail();
    });
    router.bindApplicationCommand("copyDatabaseToFolder",
                                  [&app] { app.databaseCopyOut().copyDatabaseToFolder(); });
    router.bindApplicationCommand("uploadToDropbox",
                                  [&app] { app.databaseCopyOut().uploadToDropbox(); });
    router.bindWindowCommand("createViewMenuItemPressed",
                             [](WindowParts& window) { window.sql.createViewMenuItemPressed(); });

    router.bindApplicationCommand("sampleDatabasesMenuItemClicked",
                                  [&router] { router.openHelpPage(kSampleDatabasesURL); });
    router.bindApplicationCommand("tutorialsMenuItemClicked",
                                  [&router] { router.openHelpPage(kTutorialsURL); });
    router.bindApplicationCommand("supportMenuItemClicked",
                                  [&router] { router.openHelpPage(kSupportURL); });
}
