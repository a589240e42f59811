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

RowsConsole* rowsConsoleOf(TablesAndRowsController& controller) {
    return static_cast<RowsConsole*>(controller.console(TablesAndRowsState::RowsConsole));
}

RecordConsole* recordConsoleOf(TablesAndRowsController& controller) {
    return static_cast<RecordConsole*>(controller.console(TablesAndRowsState::RecordConsole));
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
void chooseLocation(TablesAndRowsController& controller) {
    auto* record =
        static_cast<RecordConsole*>(controller.console(TablesAndRowsState::RecordConsole));
    bool inRecord = controller.selectedConsole() == TablesAndRowsState::RecordConsole && record;
    FieldIndex recordField =
        inRecord ? focusedRecordField(*record, controller.state()) : FieldIndex();
    LocationChooser chooser(controller.window());
    std::optional<std::string> text = chooser.chooseLocation();
    if (!text) return;
    if (controller.selectedConsole() == TablesAndRowsState::RowsConsole) {
        if (RowsConsole* rows = rowsConsoleOf(controller)) {
            ChosenValueWriter(controller, *rows).updateFocusedCell(*text);
        }
    } else if (inRecord && !recordField.isNone()) {
        record->takeTypedText(recordField, *text);
        if (QLineEdit* line = record->valueField(recordField)) line->setText(toQString(*text));
    }
}

// Binds a window command to a clipboard command on the window's grid.
template <class Commands>
void bindClipboardCommand(MenuRouter& router, const char* action, void (Commands::*command)()) {
    router.bindWindowCommand(action, [command](TablesAndRowsController& controller) {
        if (RowsConsole* rows = rowsConsoleOf(controller)) (Commands(controller, *rows).*command)();
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
    router.bindWindowCommand("performClose", [](TablesAndRowsController& controller) {
        if (QWidget* window = controller.window()) window->close();
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
    router.bindWindowCommand(
        "editFieldInPanelMenuItemClicked", [](TablesAndRowsController& controller) {
            if (controller.selectedConsole() == TablesAndRowsState::RowsConsole) {
                rowsConsoleOf(controller)->editFieldInPanelMenuItemClicked();
            } else if (controller.selectedConsole() == TablesAndRowsState::RecordConsole) {
                recordConsoleOf(controller)->editFieldInPanelMenuItemClicked();
            }
        });
    bindPanelCommand(router, "showExpandedFieldsMenuItemClicked",
                     &ExpandedFieldsPanel::showExpandedFieldsMenuItemClicked);
    router.bindExpandedFieldsPanelHidden([](TablesAndRowsController& controller) {
        ExpandedFieldsPanel* panel = controller.panel<ExpandedFieldsPanel>();
        return !panel || panel->isExpandedFieldsPanelHidden();
    });
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
    router.bindWindowCommand("setToNULLMenuItemClicked", [](TablesAndRowsController& controller) {
        if (controller.selectedConsole() == TablesAndRowsState::RecordConsole) {
            auto* record =
                static_cast<RecordConsole*>(controller.console(TablesAndRowsState::RecordConsole));
            if (record) record->setToNULLMenuItemClicked();
        } else if (RowsConsole* rows = rowsConsoleOf(controller)) {
            rows->cellCommands().setToNULLMenuItemClicked();
        }
    });
    router.bindWindowCommand("addBlankTableMenuItemClicked", [](TablesAndRowsController& c) {
        if (auto* sheet = c.panel<AddTableSheet>()) sheet->addBlankTable();
    });
    // Tables copied from another window come through the drag-tables panel; any other
    // clipboard makes a table of its rows.
    router.bindWindowCommand("addTableFromClipboardMenuItemClicked",
                             [](TablesAndRowsController& c) {
                                 auto* tables = c.panel<DragTablesPanel>();
                                 if (tables && tables->promptWithPasteboard()) return;
                                 if (auto* sheet = c.panel<AddTableSheet>()) {
                                     sheet->addTableFromClipboard();
                                 }
                             });
    bindPanelCommand(router, "sortFieldsMenuItemClicked", &SortPanel::sortFieldsMenuItemClicked);
    bindPanelCommand(router, "searchMenuItemClicked", &SearchPanel::searchMenuItemClicked);
    bindPanelCommand(router, "webBrowserBookmarksMenuItemClicked",
                     &WebBookmarksWindow::webBrowserBookmarksMenuItemClicked);
    bindPanelCommand(router, "schemaMenuItemClicked", &TableSchemaWindow::schemaMenuItemClicked);
    bindPanelCommand(router, "hiddenMenuItemClicked", &HiddenObjects::hiddenMenuItemClicked);
    bindPanelCommand(router, "showHiddenTablesMenuItemClicked",
                     &HiddenObjects::showHiddenTablesMenuItemClicked);
    bindPanelCommand(router, "duplicateTableMenuItemPressed",
                     &DuplicateTablesSheet::duplicateTableMenuItemPressed);
    bindPanelCommand(router, "deleteAllRowsMenuItemClicked",
                     &DeleteAllRows::deleteAllRowsMenuItemClicked);
    bindPanelCommand(router, "nameAndFieldsMenuItemClicked",
                     &NameAndFieldsPanel::nameAndFieldsMenuItemClicked);
    bindPanelCommand(router, "pickerTypesMenuItemClicked",
                     &PickerTypesWindow::pickerTypesMenuItemClicked);
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
