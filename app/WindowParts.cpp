// The composition root of a database window: it makes the controller, its consoles and panels,
// and hands the application the typed record of them.
#include "app/WindowParts.h"

#include <QListWidget>

#include "app/AppDelegate.h"
#include "app/DatabasesWindow.h"
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
#include "exchange/PrintLayoutStore.h"
#include "exchange/WindowDrops.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/RowsConsole.h"

namespace {

// Drops on the tables list and the rows grid reach the consoles and panels that take them.
void installWindowDrops(WindowParts& parts) {
    TablesAndRowsController& window = parts.controller;
    WindowDrops::Routes routes;
    routes.tablesDropped = [&parts](const nlohmann::json& record) {
        parts.dragTables.promptWithRecord(record);
    };
    routes.sqlFilesDropped = [&parts](const QStringList& paths) {
        parts.sql.queryTextView()->readDroppedSQLFiles(
            paths, [&parts](const std::string& error) { parts.controller.showErrorAlert(error); });
        parts.controller.selectConsole(TablesAndRowsState::SQLConsole);
    };
    routes.importFilesDropped = [&parts](const QStringList& paths,
                                         const std::optional<std::string>& table) {
        parts.import.addFilePaths(paths, table);
        parts.controller.selectConsole(TablesAndRowsState::ImportConsole);
    };
    new WindowDrops(window, window.tablesTableView(), parts.rows.rowsTableView(),
                    std::move(routes));
}

// Hands the panel to the controller and answers it by its own type.
template <class Panel>
Panel& handOver(TablesAndRowsController& window, std::unique_ptr<Panel> panel) {
    Panel& made = *panel;
    window.addPanel(std::move(panel));
    return made;
}

}  // namespace

WindowParts::~WindowParts() = default;

std::unique_ptr<WindowParts> makeWindowParts(AppDelegate& app, int windowIndex) {
    auto controller = std::make_unique<TablesAndRowsController>(&app, windowIndex);
    TablesAndRowsController& window = *controller;
    auto rows = std::make_unique<RowsConsole>(window);
    auto record = std::make_unique<RecordConsole>(window);
    auto sql = std::make_unique<SQLConsole>(window);
    auto import = std::make_unique<ImportConsole>(window);
    auto exportConsole = std::make_unique<ExportConsole>(window, rows->dataPort());
    auto print = std::make_unique<PrintConsole>(window, rows->dataPort());
    std::unique_ptr<WindowParts> parts(
        new WindowParts{std::move(controller),
                        window,
                        *rows,
                        *record,
                        *sql,
                        *import,
                        *exportConsole,
                        *print,
                        handOver(window, std::make_unique<SortPanel>(window)),
                        handOver(window, std::make_unique<SearchPanel>(window)),
                        handOver(window, std::make_unique<WebBookmarksWindow>(window)),
                        handOver(window, std::make_unique<TableSchemaWindow>(window)),
                        handOver(window, std::make_unique<HiddenObjects>(window)),
                        handOver(window, std::make_unique<DuplicateTablesSheet>(window)),
                        handOver(window, std::make_unique<DeleteAllRows>(window)),
                        handOver(window, std::make_unique<NameAndFieldsPanel>(window)),
                        handOver(window, std::make_unique<PickerTypesWindow>(window)),
                        handOver(window, std::make_unique<EditFieldPanel>(window)),
                        handOver(window, std::make_unique<ExpandedFieldsPanel>(window)),
                        handOver(window, std::make_unique<AddTableSheet>(window)),
                        handOver(window, std::make_unique<DragTablesPanel>(window)),
                        handOver(window, std::make_unique<DatabasesWindow>(app, windowIndex))});
    window.setConsoles({std::move(rows), std::move(record), std::move(sql), std::move(import),
                        std::move(exportConsole), std::move(print)},
                       parts->rows, parts->record);
    parts->nameAndFields.setLayoutFieldsFollower(&PrintLayoutStore::fieldObjectsFollowFields);
    installTablesListContextMenu(*parts);
    installWindowDrops(*parts);
    return parts;
}
