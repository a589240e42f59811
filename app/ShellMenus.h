#pragma once
// The menu bar of a database window. Every item carries its action name and tag and reaches
// the application's MenuRouter, which enables it when its menu opens and checks its rule again
// when it runs.
class MenuRouter;
class QMainWindow;

void addShellMenus(QMainWindow* window, MenuRouter* router);
// The keys of the application's own commands (New Window, Close, Preferences, Quit) answer
// also in the windows without the menu bar; in every window a text field with the keyboard keeps
// the keys of text editing from the menus.
void answerApplicationKeysInEveryWindow(MenuRouter* router);
