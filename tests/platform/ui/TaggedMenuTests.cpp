// Menus made from tables of tagged items.
#include <QMenu>

#include <gtest/gtest.h>

#include "platform/ui/TaggedMenu.h"
#include "tests/support/QtApplication.h"

TEST(TaggedMenu, ItemsCarryTheirTagsSeparatorsAndCheckMarks) {
    ensureQApplication();
    QMenu menu;
    std::vector<int> chosen;
    addTaggedMenuItems(&menu, "Test", {{11, "One"}, {}, {12, "Two...", false}, {13, "Three"}},
                       [&](int tag) { chosen.push_back(tag); });
    const QList<QAction*> items = menu.actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "One");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->data().toInt(), 12);
    EXPECT_TRUE(items[0]->isCheckable());
    EXPECT_FALSE(items[2]->isCheckable());
    items[3]->trigger();
    items[2]->trigger();
    EXPECT_EQ(chosen, (std::vector<int>{13, 12}));
}
