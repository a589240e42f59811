#include "app/WindowConsoles.h"

#include "design/NameAndFieldsPanel.h"
#include "design/PickerTypesWindow.h"
#include "design/SQLConsole.h"
#include "design/SearchPanel.h"
#include "design/SortPanel.h"
#include "design/WebBookmarksWindow.h"
#include "exchange/RowCountConsole.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/RowsConsole.h"

std::unique_ptr<TablesAndRowsController> makeTablesAndRowsController(WindowShell* shell,
                                                                     int windowIndex) {
    auto controller = std::make_unique<TablesAndRowsController>(shell, windowIndex);
    TablesAndRowsController& window = *controller;
    window.setConsole(TablesAndRowsState::RowsConsole, std::make_unique<RowsConsole>(window));
    window.setConsole(TablesAndRowsState::RecordConsole, std::make_unique<RecordConsole>());
    window.setConsole(TablesAndRowsState::SQLConsole, std::make_unique<SQLConsole>(window));
    window.setConsole(
        TablesAndRowsState::ImportConsole,
        std::make_unique<RowCountConsole>(window, "importView", "importViewNumberOfRowsLabel"));
    window.setConsole(
        TablesAndRowsState::ExportConsole,
        std::make_unique<RowCountConsole>(window, "exportView", "exportViewNumberOfRowsLabel"));
    window.addPanel(std::make_unique<SortPanel>(window));
    window.addPanel(std::make_unique<SearchPanel>(window));
    window.addPanel(std::make_unique<WebBookmarksWindow>(window));
    window.addPanel(std::make_unique<NameAndFieldsPanel>(window));
    window.addPanel(std::make_unique<PickerTypesWindow>(window));
    return controller;
}
