#pragma once
// The tables list's context menu and double click, which reach the window's panels.
class TablesAndRowsController;

void installTablesListContextMenu(TablesAndRowsController& window);
