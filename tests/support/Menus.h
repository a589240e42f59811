#pragma once
// Menus as the user meets them: context menus opened by a right click and answered while they
// are open, menus popped up so that they validate their items, items found by action name or tag
// and read back with their check marks.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

#include "platform/ui/MenuItemStates.h"

// The item of the menu or its submenus with that tag; nullptr when none has it.
inline QAction* menuItemTagged(QMenu* menu, int tag) {
    for (QAction* item : menu->actions()) {
        if (item->menu()) {
            if (QAction* found = menuItemTagged(item->menu(), tag)) return found;
        } else if (!item->isSeparator() && item->data().isValid() && item->data().toInt() == tag) {
            return item;
        }
    }
    return nullptr;
}

// The tags of the items checked, in menu order, e.g. "1512,1521".
inline std::string checkedMenuTags(QMenu* menu) {
    std::string tags;
    for (QAction* item : menu->actions()) {
        std::string inner = item->menu() ? checkedMenuTags(item->menu()) : "";
        if (!item->menu() && menuItemState(item) == 1) inner = std::to_string(item->data().toInt());
        if (!inner.empty()) tags += (tags.empty() ? "" : ",") + inner;
    }
    return tags;
}

// Pops the menu up, so that it validates and marks its items as it shows, and closes it again.
inline void popUpAndClose(QMenu* menu) {
    menu->popup(QPoint(0, 0));
    QApplication::processEvents();
    menu->close();
    QApplication::processEvents();
}

// Runs `open`, which shows a menu that runs its own event loop (a context menu, a tool button's
// pop-up), and hands the menu to `act` while it is open. The menu is closed afterwards unless
// `act` triggered one of its items. False when no menu opened.
inline bool withOpenMenu(const std::function<void()>& open,
                         const std::function<void(QMenu*)>& act) {
    bool opened = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible()) return;
        poll.stop();
        opened = true;
        act(menu);
        if (menu->isVisible()) menu->close();
    });
    poll.start();
    open();
    poll.stop();
    QApplication::processEvents();
    return opened;
}

// Right-clicks the point of the widget as the window system does (a press, then the context
// menu event) and hands the menu that opens to `act`.
inline bool withContextMenu(QWidget* widget, QPoint at, const std::function<void(QMenu*)>& act) {
    bool opened = false;
    return withOpenMenu(
        [&] {
            QTest::mousePress(widget, Qt::RightButton, {}, at);
            QTest::mouseRelease(widget, Qt::RightButton, {}, at);
            // Where the platform made no context menu event of the click, it comes on its own.
            if (!opened) {
                QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
                QApplication::sendEvent(widget, &event);
            }
        },
        [&](QMenu* menu) {
            opened = true;
            act(menu);
        });
}

// The item of the menu with that action name.
inline QAction* menuItemNamed(QMenu* menu, const char* action) {
    return menu->findChild<QAction*>(action);
}

// Clicks the item of an open menu.
inline void clickMenuItem(QMenu* menu, QAction* item) {
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}
