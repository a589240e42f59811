#pragma once
// Menus built from tables of items: each item carries its tag as its action's data, is checkable
// unless told otherwise, and tells its tag when chosen.
#include <QMenu>
#include <functional>
#include <initializer_list>

struct TaggedMenuItem {
    int tag = 0;                  // with no title: a separator
    const char* title = nullptr;  // English, translated in the context given
    bool checkable = true;
};

void addTaggedMenuItems(QMenu* menu, const char* context,
                        std::initializer_list<TaggedMenuItem> items,
                        const std::function<void(int tag)>& chosen);
