#include "app/TablesListContextMenu.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/TablesListMenuContext.h"
#include "app/WindowParts.h"
#include "design/DeleteAllRows.h"
#include "design/DuplicateTablesSheet.h"
#include "design/HiddenObjects.h"
#include "design/NameAndFieldsPanel.h"
#include "design/SQLConsole.h"
#include "design/SortPanel.h"
#include "design/TableSchemaWindow.h"
#include "exchange/DragTablesPanel.h"
#include "mainwindow/MenuValidation.h"
#include "mainwindow/TablesAndRowsController.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/MenuItemStates.h"
#include "platform/ui/QtStrings.h"

namespace {

// The item whose check mark tells a lookup or picker table.
constexpr int kSpecialTableTag = 10;

// The tables list's menu, shown by a right click on the list and by the Action button. The
// commands for one object act on the row clicked, or on the selected row when the menu was
// not opened on a row.
class TablesListMenu : public QObject {
  public:
    TablesListMenu(WindowParts& parts, QListWidget* list)
        : QObject(list),
          parts_(parts),
          window_(parts.controller),
          list_(list),
          menu_(new QMenu(list)) {
        menu_->setObjectName("tablesListMenu");
        addItems();
        connect(menu_, &QMenu::aboutToShow, this, [this] { menuWillOpen(); });
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
                [this](QPoint at) { showForClickAt(at); });
    }

    QMenu* menu() const { return menu_; }

  private:
    struct Item {
        const char* title;  // nullptr: a separator
        const char* action = "";
        std::function<void()> command = {};
        std::function<bool()> enabled = {};
        int tag = 0;
    };

    void addItems() {
        TablesAndRowsController& w = window_;
        WindowParts& p = parts_;
        auto object = [this](ObjectCommand command) {
            return [this, command] {
                return isObjectCommandEnabled(command, objectCommandContext(parts_, actedRow()));
            };
        };
        const Item items[] = {
            {"New Table…", "addTableButtonPressed",
             [&p] { p.nameAndFields.addTableButtonPressed(); },
             [&p] {
                 return isAddTableEnabled(p.nameAndFields.isNameAndFieldsPanelVisible(),
                                          p.nameAndFields.changeExistingTable());
             }},
            {nullptr},
            {"Schema", "tablesSchemaMenuItemClicked",
             [this] { parts_.tableSchema.showTableSchemaForRowIndex(actedRow()); },
             object(ObjectCommand::Schema)},
            {"Name and Fields…", "tablesNamesAndFieldsMenuItemClicked",
             [&p] { p.nameAndFields.showNameAndFieldsPanel(); },
             object(ObjectCommand::NameAndFields)},
            {"Lookup or Picker Table", "tablesSpecialTableMenuItemClicked",
             [&p] { p.nameAndFields.showNameAndFieldsPanel(); },
             object(ObjectCommand::NameAndFields), kSpecialTableTag},
            {"Sort Fields…", "tablesSortFieldsMenuItemClicked",
             [this] { parts_.sort.showTableSortFieldsForRowIndex(actedRow()); },
             object(ObjectCommand::SortFields)},
            {"Duplicate Table…", "tablesDuplicateTableMenuItemClicked",
             [&p] { p.duplicateTables.duplicateTableMenuItemPressed(); },
             object(ObjectCommand::DuplicateTable)},
            {"Create View…", "tablesCreateViewMenuItemClicked",
             [&p] { p.sql.createViewMenuItemPressed(); }, object(ObjectCommand::CreateView)},
            {nullptr},
            // What another window's Add Table from Clipboard pastes through its drag-tables
            // panel.
            {"Copy Tables", "copyTablesMenuItemClicked",
             [&w] {
                 DragTablesPanel::writeTablesToPasteboard(*w.state().databaseFilePath,
                                                          copyableTableNames(w), w.windowIndex());
             },
             [&w] { return w.state().databaseFilePath && !copyableTableNames(w).empty(); }},
            {nullptr},
            {"Hidden", "hiddenMenuItemClicked", [&p] { p.hiddenObjects.hiddenMenuItemClicked(); },
             [&w] { return hiddenMenuItemDecision(w).enabled; }},
            {"Show Hidden Objects", "showHiddenTablesMenuItemClicked",
             [&p] { p.hiddenObjects.showHiddenTablesMenuItemClicked(); }},
            {nullptr},
            {"Delete All Rows…", "deleteAllRowsMenuItemClicked",
             [&p] { p.deleteAllRows.deleteAllRowsMenuItemClicked(); },
             [&w] { return shouldEnableDeleteAllRowsMenuItem(menuWindowState(w)); }},
            {"Delete…", "deleteTableButtonPressed", [&w] { w.deleteTableButtonPressed(); }},
        };
        for (const Item& item : items) {
            if (!item.title) {
                menu_->addSeparator();
                continue;
            }
            QAction* action = menu_->addAction(toQString(localizedString(item.title)));
            action->setObjectName(item.action);
            action->setData(item.tag);
            connect(action, &QAction::triggered, this, item.command);
            if (item.enabled) rules_.emplace_back(action, item.enabled);
        }
    }

    // A right click on a row outside the selection selects that row alone first.
    void showForClickAt(QPoint at) {
        int row = list_->row(list_->itemAt(at));
        if (row >= 0 && !list_->item(row)->isSelected()) list_->setCurrentRow(row);
        clickedRow_ = row;
        menu_->exec(list_->viewport()->mapToGlobal(at));
        clickedRow_ = -1;
    }

    void menuWillOpen() {
        for (auto& [action, enabled] : rules_) action->setEnabled(enabled());
        for (QAction* action : menu_->actions()) {
            if (action->data().toInt() == kSpecialTableTag) {
                setMenuItemState(action, isActedObjectSpecial() ? kMenuItemOn : kMenuItemOff);
            } else if (action->objectName() == "hiddenMenuItemClicked") {
                setMenuItemState(action, hiddenMenuItemDecision(window_).state);
            }
        }
    }

    int actedRow() const {
        if (clickedRow_ >= 0) return clickedRow_;
        const auto& tableNames = window_.state().selectedObject.tableNames;
        std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
        auto found =
            name ? std::find(tableNames.begin(), tableNames.end(), *name) : tableNames.end();
        return found == tableNames.end() ? -1 : static_cast<int>(found - tableNames.begin());
    }

    bool isActedObjectSpecial() const {
        const auto& state = window_.state();
        int row = actedRow();
        if (!window_.selectedTableNameIfOnlyOne() || row < 0) return false;
        const std::string& name = state.selectedObject.tableNames[static_cast<size_t>(row)];
        const auto& special = state.fieldModel.specialTableNames;
        return std::find(special.begin(), special.end(), name) != special.end();
    }

    WindowParts& parts_;
    TablesAndRowsController& window_;
    QListWidget* list_;
    QMenu* menu_;
    std::vector<std::pair<QAction*, std::function<bool()>>> rules_;
    int clickedRow_ = -1;
};

}  // namespace

void installTablesListContextMenu(WindowParts& parts) {
    TablesAndRowsController& window = parts.controller;
    QListWidget* list = window.tablesTableView();
    if (!list) return;
    QObject::connect(list, &QListWidget::itemDoubleClicked, list, [&parts, list](auto* item) {
        parts.tableSchema.showTableSchemaForRowIndex(list->row(item));
    });
    auto* menu = new TablesListMenu(parts, list);
    window.leftSideActionButton()->setMenu(menu->menu());
    QObject::connect(window.leftSideAddButton(), &QToolButton::clicked, list,
                     [&parts] { parts.nameAndFields.addTableButtonPressed(); });
}
