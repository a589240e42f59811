#include "platform/ui/TaggedMenu.h"

#include <QCoreApplication>

void addTaggedMenuItems(QMenu* menu, const char* context,
                        std::initializer_list<TaggedMenuItem> items,
                        const std::function<void(int tag)>& chosen) {
    for (const TaggedMenuItem& item : items) {
        if (!item.title) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QCoreApplication::translate(context, item.title));
        action->setData(item.tag);
        action->setCheckable(item.checkable);
        QObject::connect(action, &QAction::triggered, menu,
                         [chosen, tag = item.tag] { chosen(tag); });
    }
}
