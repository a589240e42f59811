#pragma once
// The menus of a database window that reach the application object: opening databases,
// the diagnostics window and quitting.
class AppDelegate;
class QMainWindow;

void addShellMenus(QMainWindow* window, AppDelegate* appDelegate);
