#include "app/MenuRouter.h"

#include <QAction>
#include <QMenu>

#include "app/AppDelegate.h"
#include "app/TablesListMenuContext.h"
#include "app/WindowParts.h"
#include "design/SQLConsole.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/MenuItemStates.h"
#include "platform/ui/QtStrings.h"

std::string menuItemAction(const QAction* item) {
    return item ? toStdString(item->objectName()) : std::string();
}

int menuItemTag(const QAction* item) {
    return item ? item->data().toInt() : 0;
}

MenuRouter::MenuRouter(AppDelegate& app) : app_(app) {}

void MenuRouter::bindWindowCommand(const std::string& action, WindowCommand command) {
    windowCommands_[action] = std::move(command);
}

void MenuRouter::bindApplicationCommand(const std::string& action, ApplicationCommand command) {
    applicationCommands_[action] = std::move(command);
}

bool MenuRouter::isBound(const std::string& action) const {
    return windowCommands_.count(action) > 0 || applicationCommands_.count(action) > 0;
}

void MenuRouter::bindExpandedFieldsPanelHidden(WindowQuery query) {
    expandedFieldsPanelHidden_ = std::move(query);
}

MainWindowMenuContext MenuRouter::mainWindowMenuContext() const {
    MainWindowMenuContext main;
    main.slot = app_.windowIndexForMainDatabaseWindow();
    TablesAndRowsController* controller = app_.tablesAndRowsControllerForMainWindow();
    if (!controller) return main;
    main.hasController = true;
    const std::optional<std::string>& path = controller->databaseFilePath();
    main.hasDatabase = path && !path->empty();
    main.databaseInAppContainer = main.hasDatabase && AppDelegate::isDatabaseInAppContainer(*path);
    main.window = menuWindowState(*controller);
    WindowParts& parts = *app_.windowPartsForMainWindow();
    main.objects = objectCommandContext(parts);
    main.resultRowsSelected = parts.sql.sqlResultsTableViewValidateCopy();
    main.hidden = hiddenMenuItemDecision(*controller);
    return main;
}

bool MenuRouter::validateMenuItem(QAction* item) const {
    if (!item || item->isSeparator() || item->menu()) return true;
    std::string action = menuItemAction(item);
    MainWindowMenuContext main = mainWindowMenuContext();
    UserDefaults& defaults = UserDefaults::standard();
    if (action == "showTablesViewMenuItemClicked") {
        item->setText(
            toQString(tablesListToggleTitle(defaults.arrayForKey("HiddenTablesViews"), main.slot)));
    } else if (action == "showToolbarMenuItemClicked") {
        item->setText(
            toQString(toolbarToggleTitle(defaults.arrayForKey("HiddenToolbars"), main.slot)));
    } else if (action == "showExpandedFieldsMenuItemClicked") {
        WindowParts* parts = app_.windowPartsForMainWindow();
        bool hidden = parts && (!expandedFieldsPanelHidden_ || expandedFieldsPanelHidden_(*parts));
        item->setText(toQString(expandedFieldsToggleTitle(hidden)));
    } else if (action == "hiddenMenuItemClicked") {
        setMenuItemState(item, main.hidden.state);
    } else if (std::optional<TablesAndRowsState::ConsoleIndex> console =
                   consoleOfMenuItem(action)) {
        // The console shown is marked.
        TablesAndRowsController* controller = app_.tablesAndRowsControllerForMainWindow();
        setMenuItemState(item, controller && controller->selectedConsole() == *console);
    }
    bool enabled = isBound(action) && isMenuItemEnabled(action, menuItemTag(item), main);
    item->setEnabled(enabled);
    return enabled;
}

void MenuRouter::menuNeedsUpdate(QMenu* menu) const {
    if (!menu) return;
    for (QAction* item : menu->actions()) validateMenuItem(item);
}

void MenuRouter::menuItemClicked(QAction* item) {
    runMenuCommand(menuItemAction(item), menuItemTag(item));
}

void MenuRouter::runMenuCommand(const std::string& action, int tag) {
    if (!isMenuItemEnabled(action, tag, mainWindowMenuContext())) return;
    if (auto command = applicationCommands_.find(action); command != applicationCommands_.end()) {
        command->second();
        return;
    }
    auto command = windowCommands_.find(action);
    WindowParts* parts = app_.windowPartsForMainWindow();
    if (command != windowCommands_.end() && parts) command->second(*parts);
}

void MenuRouter::selectConsoleOfMainWindow(TablesAndRowsState::ConsoleIndex console) {
    int slot = app_.windowIndexForMainDatabaseWindow();
    if (app_.tablesAndRowsControllerForWindowIndex(slot)) app_.selectConsole(console, slot);
}

void MenuRouter::selectPreviousViewMenuItemClicked() {
    TablesAndRowsController* controller = app_.tablesAndRowsControllerForMainWindow();
    if (!controller) return;
    selectConsoleOfMainWindow(previousConsoleInCycle(controller->selectedConsole()));
}

void MenuRouter::selectNextViewMenuItemClicked() {
    TablesAndRowsController* controller = app_.tablesAndRowsControllerForMainWindow();
    if (!controller) return;
    selectConsoleOfMainWindow(nextConsoleInCycle(controller->selectedConsole()));
}

void MenuRouter::showTablesViewMenuItemClicked() {
    toggleSlotFlag("HiddenTablesViews", &TablesAndRowsController::showTablesView);
}

void MenuRouter::showToolbarMenuItemClicked() {
    toggleSlotFlag("HiddenToolbars", &TablesAndRowsController::showConsoleToolbar);
}

void MenuRouter::toggleSlotFlag(const char* key, void (TablesAndRowsController::*show)(bool)) {
    int slot = app_.windowIndexForMainDatabaseWindow();
    TablesAndRowsController* controller = app_.tablesAndRowsControllerForWindowIndex(slot);
    if (!controller) return;
    UserDefaults& defaults = UserDefaults::standard();
    bool wasHidden = false;
    nlohmann::json flags = toggledSlotFlags(defaults.objectForKey(key), slot, &wasHidden);
    (controller->*show)(wasHidden);
    defaults.setObject(flags, key);
}
