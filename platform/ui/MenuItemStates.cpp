#include "platform/ui/MenuItemStates.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr const char* kStateProperty = "menuItemState";

const QIcon& mixedStateIcon() {
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.fillRect(QRect(4, 7, 8, 2), QColor(60, 60, 60));
        return QIcon(pixmap);
    }();
    return icon;
}

}  // namespace

void setMenuItemState(QAction* item, int state) {
    if (!item) return;
    item->setCheckable(true);
    item->setChecked(state == 1);
    item->setIcon(state == -1 ? mixedStateIcon() : QIcon());
    item->setProperty(kStateProperty, state);
}

int menuItemState(const QAction* item) {
    if (!item) return 0;
    QVariant state = item->property(kStateProperty);
    if (state.isValid()) return state.toInt();
    return item->isChecked() ? 1 : 0;
}

void applyMenuItemStates(QMenu* menu, const std::map<int, int>& statesByTag) {
    if (!menu) return;
    for (QAction* item : menu->actions()) {
        if (item->menu()) {
            applyMenuItemStates(item->menu(), statesByTag);
        } else if (auto state = statesByTag.find(item->data().toInt());
                   !item->isSeparator() && item->data().isValid() && state != statesByTag.end()) {
            setMenuItemState(item, state->second);
        }
    }
}
