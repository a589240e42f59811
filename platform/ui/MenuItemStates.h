#pragma once
// Check marks of menu items with a mixed state beside on and off: a QAction knows only checked
// or not, so a mixed item shows a dash in place of the check mark and keeps its state in a
// property that code and tests read back.
#include <map>

class QAction;
class QMenu;

// 1 on, 0 off, -1 mixed.
void setMenuItemState(QAction* item, int state);
int menuItemState(const QAction* item);
// Sets the state of each item of the menu, its submenus included, whose tag (the action's data)
// has one.
void applyMenuItemStates(QMenu* menu, const std::map<int, int>& statesByTag);
