// Check marks and enabling of the window's own menus: folded per-file import settings, the
// mixed Hidden state, the object commands by kind, and the settings menus read from the store.
#include <gtest/gtest.h>

#include "mainwindow/MenuCheckMarks.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempHome.h"

namespace {

// The tags that are on, in order.
std::string checked(const MenuStates& states) {
    std::string text;
    for (auto [tag, state] : states) {
        if (state == kMenuItemOn) text += (text.empty() ? "" : ",") + std::to_string(tag);
    }
    return text;
}

}  // namespace

TEST(MenuCheckMarkTest, ImportFileMenusCheckOnlyWhatEveryFileActedOnShares) {
    EXPECT_EQ(menuCheckedCodeForNumber(std::nullopt, -1), -1);
    EXPECT_EQ(menuCheckedCodeForNumber(3, -1), 3);
    EXPECT_EQ(menuCheckedCodeForNumber(3, 3), 3);
    EXPECT_EQ(menuCheckedCodeForNumber(std::nullopt, 3), 3);  // a file without the setting
    EXPECT_EQ(menuCheckedCodeForNumber(2, 3), -2);
    EXPECT_EQ(menuCheckedCodeForNumber(3, -2), -2);  // mixed stays mixed

    using nlohmann::json;
    json tab = {{"field_separator", 1}, {"remove_surrounding_quotes", 1}, {"line1", 2}};
    json comma = {{"field_separator", 2}, {"remove_surrounding_quotes", 1}, {"line1", 2}};
    EXPECT_EQ(checked(importFieldSeparatorMenuStates({tab, tab})), "1,1111");
    // Different separators check no separator; the quote mark follows the same files.
    EXPECT_EQ(checked(importFieldSeparatorMenuStates({tab, comma})), "1111");
    EXPECT_EQ(importFieldSeparatorMenuStates({tab, comma}).size(), 5u);
    EXPECT_EQ(checked(importFieldSeparatorMenuStates({})), "");
    EXPECT_EQ(checked(importLineMenuStates({tab, comma}, "line1")), "2");
    EXPECT_EQ(checked(importLineMenuStates({tab, comma}, "line2")), "");
    EXPECT_EQ(checked(importLineSeparatorMenuStates({{{"line_separator", 1}}})), "1");
    EXPECT_EQ(checked(importTextEncodingMenuStates({{{"text_encoding", 0}}, json::object()})), "0");
    EXPECT_EQ(checked(editFieldPanelActionMenuStates(true)), "1");
    EXPECT_EQ(checked(editFieldPanelActionMenuStates(false)), "0");
}

TEST(MenuCheckMarkTest, TablesListAndNameAndFieldsItemsFollowTheSelection) {
    ItemDecision mixed = hiddenMenuItemState({{0, true}, {0, false}});
    EXPECT_TRUE(mixed.enabled);
    EXPECT_EQ(mixed.state, kMenuItemMixed);
    EXPECT_EQ(hiddenMenuItemState({{1, true}, {0, true}}).state, kMenuItemOn);
    EXPECT_EQ(hiddenMenuItemState({{0, false}}).state, kMenuItemOff);
    // An index among hidden tables keeps the state from being on.
    EXPECT_EQ(hiddenMenuItemState({{0, true}, {2, false}}).state, kMenuItemMixed);
    ItemDecision indexesOnly = hiddenMenuItemState({{2, false}, {3, false}});
    EXPECT_FALSE(indexesOnly.enabled);
    EXPECT_FALSE(hiddenMenuItemState({}).enabled);

    EXPECT_EQ(showExpandedMenuItemState({0x100, 0x102}), kMenuItemOn);
    EXPECT_EQ(showExpandedMenuItemState({0x100, 0x2}), kMenuItemMixed);
    EXPECT_EQ(showExpandedMenuItemState({0x2}), kMenuItemOff);

    EXPECT_TRUE(isNameAndFieldsStyleEnabled({1}, {1, 3}, {0, 0}));   // a Date field
    EXPECT_FALSE(isNameAndFieldsStyleEnabled({0}, {1, 3}, {0, 0}));  // Text
    EXPECT_FALSE(isNameAndFieldsStyleEnabled({1}, {1, 3}, {0}));     // past the styles
    EXPECT_FALSE(isNameAndFieldsStyleEnabled({0, 1}, {2, 3}, {0, 0}));

    EXPECT_FALSE(isDeleteFieldEnabled(1, 1));
    EXPECT_TRUE(isDeleteFieldEnabled(1, 0));
    EXPECT_TRUE(isDeleteFieldEnabled(1, std::nullopt));
    EXPECT_TRUE(isDeleteFieldEnabled(2, 1));
    EXPECT_FALSE(isAddTableEnabled(true, true));
    EXPECT_TRUE(isAddTableEnabled(true, false));
}

TEST(MenuCheckMarkTest, ObjectCommandsFollowTheKindOfTheOneSelectedObject) {
    using C = ObjectCommand;
    const C commands[] = {C::NameAndFields, C::Schema,         C::SortFields,
                          C::Search,        C::DuplicateTable, C::CreateView};
    struct Case {
        const char* name;
        ObjectCommandContext context;
        const char* expected;  // in the order of `commands`
    };
    const Case cases[] = {
        {"table", {1, 0}, "111111"},
        {"view", {1, 1}, "111101"},
        {"index", {1, 2}, "010000"},
        {"trigger", {1, 3}, "010000"},
        {"unknown name", {1, std::nullopt}, "111111"},
        {"two rows", {2, 0}, "000000"},
        {"no row", {0, std::nullopt}, "000000"},
        {"panel creating a table", {1, 0, true, false}, "011111"},
        {"panel altering a table", {1, 0, true, true}, "111111"},
        {"panel open on an index", {1, 2, true, true}, "010000"},
    };
    for (const Case& c : cases) {
        std::string answers;
        for (C command : commands)
            answers += isObjectCommandEnabled(command, c.context) ? '1' : '0';
        EXPECT_EQ(answers, c.expected) << c.name;
    }
}

class SettingsMenuTest : public TempHomeTest {};

TEST_F(SettingsMenuTest, ImportAndExportSettingsMenusReadTheStore) {
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(checked(importSettingsMenuStates(defaults, false)), "");
    EXPECT_EQ(checked(exportSettingsMenuStates(defaults)), "1512,1521,1541");
    EXPECT_EQ(checked(exportFieldSeparatorMenuStates(defaults)), "1561");

    defaults.setBool(true, "TruncateExcessFieldsDuringImport");
    defaults.setInteger(5, "DataTypesToConvert");
    defaults.setInteger(2, "BailFlags");
    EXPECT_EQ(checked(importSettingsMenuStates(defaults, true)), "1412,1414,1421,1423,1432");

    defaults.setInteger(3, "ExportDelimiter");
    defaults.setBool(true, "WindowsFormat");
    defaults.setBool(true, "DontExportFieldNames");
    defaults.setBool(true, "ExportFieldTypes");
    defaults.setInteger(2, "ExportSurroundingQuotes");
    EXPECT_EQ(checked(exportSettingsMenuStates(defaults)), "1514,1522,1551");
    EXPECT_EQ(checked(exportFieldSeparatorMenuStates(defaults)), "1563");
}
