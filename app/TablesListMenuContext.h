#pragma once
// What the menu rules read of a database window's tables list and Name and Fields panel: the
// object a command acts on, its kind, and the hidden state of the selected objects.
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/MenuCheckMarks.h"

class TablesAndRowsController;
struct WindowParts;

// The context of the object commands for the row acted on: the tables list's one selected row
// when no row is given (the main menu), else that row (the context menu's clicked row).
ObjectCommandContext objectCommandContext(const WindowParts& window,
                                          std::optional<int> row = std::nullopt);
// The Hidden item over the tables list's selected rows.
ItemDecision hiddenMenuItemDecision(const TablesAndRowsController& window);
// The selected tables and views, in list order: what Copy Tables puts on the pasteboard, since
// only they can be re-created elsewhere from their own statement.
std::vector<std::string> copyableTableNames(const TablesAndRowsController& window);
