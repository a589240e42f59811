#include "app/TablesListContextMenu.h"

#include <QListWidget>
#include <QMenu>

#include "design/DeleteAllRows.h"
#include "design/DuplicateTablesSheet.h"
#include "design/HiddenObjects.h"
#include "design/NameAndFieldsPanel.h"
#include "design/SQLConsole.h"
#include "design/SortPanel.h"
#include "design/TableSchemaWindow.h"
#include "exchange/DragTablesPanel.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

void installTablesListContextMenu(TablesAndRowsController& window) {
    QListWidget* list = window.tablesTableView();
    if (!list) return;
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [&window, list](auto* item) {
        window.panel<TableSchemaWindow>()->showTableSchemaForRowIndex(list->row(item));
    });
    QObject::connect(list, &QWidget::customContextMenuRequested, list, [&window, list](QPoint at) {
        // The commands for one row act on the row clicked, the others on the selection.
        int row = list->row(list->itemAt(at));
        QMenu menu(list);
        auto add = [&menu](const char* title, auto action) {
            QObject::connect(menu.addAction(toQString(localizedString(title))), &QAction::triggered,
                             &menu, action);
        };
        add("New Table…", [&] { window.panel<NameAndFieldsPanel>()->addTableButtonPressed(); });
        menu.addSeparator();
        add("Schema", [&] { window.panel<TableSchemaWindow>()->showTableSchemaForRowIndex(row); });
        add("Name and Fields…",
            [&] { window.panel<NameAndFieldsPanel>()->nameAndFieldsMenuItemClicked(); });
        add("Sort Fields…",
            [&] { window.panel<SortPanel>()->showTableSortFieldsForRowIndex(row); });
        add("Duplicate Table…",
            [&] { window.panel<DuplicateTablesSheet>()->duplicateTableMenuItemPressed(); });
        add("Create View…", [&] {
            static_cast<SQLConsole*>(window.console(TablesAndRowsState::SQLConsole))
                ->createViewMenuItemPressed();
        });
        menu.addSeparator();
        // What another window's Add Table from Clipboard pastes through its drag-tables panel.
        add("Copy Tables", [&] {
            if (const auto& path = window.state().databaseFilePath) {
                DragTablesPanel::writeTablesToPasteboard(*path, window.selectedTableNames(),
                                                         window.windowIndex());
            }
        });
        menu.addSeparator();
        add("Hide / Unhide", [&] { window.panel<HiddenObjects>()->hiddenMenuItemClicked(); });
        add("Show Hidden Objects",
            [&] { window.panel<HiddenObjects>()->showHiddenTablesMenuItemClicked(); });
        menu.addSeparator();
        add("Delete All Rows…",
            [&] { window.panel<DeleteAllRows>()->deleteAllRowsMenuItemClicked(); });
        menu.exec(list->viewport()->mapToGlobal(at));
    });
}
