#include "app/WindowConsoles.h"

#include "design/SQLConsole.h"
#include "exchange/ExportConsole.h"
#include "exchange/ImportConsole.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/rows/RowsConsole.h"

std::unique_ptr<TablesAndRowsController> makeTablesAndRowsController(WindowShell* shell,
                                                                     int windowIndex) {
    auto controller = std::make_unique<TablesAndRowsController>(shell, windowIndex);
    TablesAndRowsController& window = *controller;
    window.setConsole(TablesAndRowsState::RowsConsole, std::make_unique<RowsConsole>(window));
    window.setConsole(TablesAndRowsState::RecordConsole, std::make_unique<RecordConsole>());
    window.setConsole(TablesAndRowsState::SQLConsole, std::make_unique<SQLConsole>());
    window.setConsole(TablesAndRowsState::ImportConsole, std::make_unique<ImportConsole>(window));
    window.setConsole(TablesAndRowsState::ExportConsole, std::make_unique<ExportConsole>(window));
    return controller;
}
