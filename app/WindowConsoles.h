#pragma once
// A database window's controller with the consoles it shows, made for a window slot.
#include <memory>

class TablesAndRowsController;
class WindowShell;

std::unique_ptr<TablesAndRowsController> makeTablesAndRowsController(WindowShell* shell,
                                                                     int windowIndex);
