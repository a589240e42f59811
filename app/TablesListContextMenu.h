#pragma once
// The tables list's menu (its context menu and the Action button below it), its Add button and
// its double click, which reach the window's panels.
struct WindowParts;

void installTablesListContextMenu(WindowParts& window);
