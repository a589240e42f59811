#pragma once
// Binds the menu commands that exist today to the menu router. A console or panel that adds
// commands binds them here by their items' action names.
class AppDelegate;
class MenuRouter;

void bindMenuCommands(MenuRouter& router, AppDelegate& app);
