#include "app/WindowConsoles.h"

#include "app/TablesListContextMenu.h"
#include "design/DeleteAllRows.h"
#include "design/DropFileNameTextView.h"
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
#include "exchange/ExportConsole.h"
#include "exchange/ImportConsole.h"
#include "exchange/PrintConsole.h"
#include "exchange/WindowDrops.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/RowsConsole.h"

#include <QListWidget>

namespace {

// Drops on the tables list and the rows grid reach the consoles and panels that take them.
void installWindowDrops(TablesAndRowsController& window) {
    Console* rows = window.console(TablesAndRowsState::RowsConsole);
    auto* grid = rows ? rows->view()->findChild<QAbstractItemView*>("rowsTableView") : nullptr;
    WindowDrops::Routes routes;
    routes.tablesDropped = [&window](const nlohmann::json& record) {
        window.panel<DragTablesPanel>()->promptWithRecord(record);
    };
    routes.sqlFilesDropped = [&window](const QStringList& paths) {
        auto* sql = dynamic_cast<SQLConsole*>(window.console(TablesAndRowsState::SQLConsole));
        sql->view();
        sql->queryTextView()->readDroppedSQLFiles(paths);
        window.selectConsole(TablesAndRowsState::SQLConsole);
    };
    routes.importFilesDropped = [&window](const QStringList& paths,
                                          const std::optional<std::string>& table) {
        auto* import =
            dynamic_cast<ImportConsole*>(window.console(TablesAndRowsState::ImportConsole));
        import->view();
        import->addFilePaths(paths, table);
        window.selectConsole(TablesAndRowsState::ImportConsole);
    };
    new WindowDrops(window, window.tablesTableView(), grid, std::move(routes));
}

}  // namespace

std::unique_ptr<TablesAndRowsController> makeTablesAndRowsController(WindowShell* shell,
                                                                     int windowIndex) {
    auto controller = std::make_unique<TablesAndRowsController>(shell, windowIndex);
    TablesAndRowsController& window = *controller;
    auto rows = std::make_unique<RowsConsole>(window);
    auto record = std::make_unique<RecordConsole>(window);
    GridRequests& grid = *rows;
    RecordEditorRequests& recordEditor = *record;
    window.setConsoles(
        {std::move(rows), std::move(record), std::make_unique<SQLConsole>(window),
         std::make_unique<ImportConsole>(window), std::make_unique<ExportConsole>(window),
         std::make_unique<PrintConsole>(window)},
        grid, recordEditor);
    window.addPanel(std::make_unique<SortPanel>(window));
    window.addPanel(std::make_unique<SearchPanel>(window));
    window.addPanel(std::make_unique<WebBookmarksWindow>(window));
    window.addPanel(std::make_unique<TableSchemaWindow>(window));
    window.addPanel(std::make_unique<HiddenObjects>(window));
    window.addPanel(std::make_unique<DuplicateTablesSheet>(window));
    window.addPanel(std::make_unique<DeleteAllRows>(window));
    window.addPanel(std::make_unique<NameAndFieldsPanel>(window));
    window.addPanel(std::make_unique<PickerTypesWindow>(window));
    window.addPanel(std::make_unique<EditFieldPanel>(window));
    window.addPanel(std::make_unique<ExpandedFieldsPanel>(window));
    window.addPanel(std::make_unique<AddTableSheet>(window));
    window.addPanel(std::make_unique<DragTablesPanel>(window));
    window.view();
    installTablesListContextMenu(window);
    installWindowDrops(window);
    return controller;
}
