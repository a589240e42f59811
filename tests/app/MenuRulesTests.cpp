// The application's menu rules: tag ranges, forwarded items without a main window, toggle
// titles and arrays, the console cycle; and the preferences record's keys and style packing.
#include <gtest/gtest.h>

#include "app/MenuRules.h"
#include "app/PreferencesRecord.h"
#include "mainwindow/TablesAndRowsState.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempHome.h"

namespace {

MainWindowMenuContext mainWindowShowing(bool database, bool inAppContainer = true) {
    MainWindowMenuContext main;
    main.slot = 1;
    main.hasController = true;
    main.hasDatabase = database;
    main.databaseInAppContainer = database && inAppContainer;
    main.window.console = TablesAndRowsState::RowsConsole;
    main.window.totalRows = 3;
    return main;
}

}  // namespace

TEST(MenuRulesTest, ItemsNeedAMainWindowByTheirTagsAndRules) {
    struct Case {
        const char* name;
        MainWindowMenuContext main;
        const char* expected;  // tags 725, 735, 700, goToRow, rename
    };
    const Case cases[] = {
        {"database window showing a database", mainWindowShowing(true), "11111"},
        {"database window showing none", mainWindowShowing(false), "01110"},
        {"database outside the Documents folder", mainWindowShowing(true, false), "11110"},
        {"no database window is main", {}, "00100"},
    };
    for (const Case& c : cases) {
        std::string answers;
        answers += isMenuItemEnabled("anything", 725, c.main) ? '1' : '0';
        answers += isMenuItemEnabled("anything", 735, c.main) ? '1' : '0';
        answers += isMenuItemEnabled("anything", 700, c.main) ? '1' : '0';
        answers += isMenuItemEnabled("goToRowMenuItemClicked", 0, c.main) ? '1' : '0';
        answers += isMenuItemEnabled("renameDatabaseMenuItemClicked", 0, c.main) ? '1' : '0';
        EXPECT_EQ(answers, c.expected) << c.name;
    }
    // Every forwarded row command is disabled without a main window, whatever its tag.
    for (const char* action :
         {"copyForExportMenuItemClicked", "editFieldInPanelMenuItemClicked",
          "setToNULLMenuItemClicked", "deselectAllMenuItemClicked", "clearMenuItemClicked",
          "replaceMenuItemClicked", "addBlankRowsItemClicked", "pasteRowsMenuItemClicked",
          "deleteAllRowsMenuItemClicked", "addOneBlankRowItemClicked", "hiddenMenuItemClicked",
          "cut", "copy", "paste", "delete", "nameAndFieldsMenuItemClicked",
          "schemaMenuItemClicked"}) {
        EXPECT_FALSE(isMenuItemEnabled(action, 0, {})) << action;
    }
    // Copy refuses the tables list's focus and a text input's, which copies its own text; Cut
    // answers for the grid alone.
    MainWindowMenuContext grid = mainWindowShowing(true);
    grid.window.oneObjectSelected = true;
    grid.window.selectedObjectStatus = 1;
    grid.window.somethingFocused = true;
    for (auto [responder, copies] : {std::pair{MenuResponder::Other, true},
                                     {MenuResponder::RowsGrid, true},
                                     {MenuResponder::TablesList, false},
                                     {MenuResponder::TextInput, false}}) {
        grid.window.responder = responder;
        EXPECT_EQ(isMenuItemEnabled("copy", 0, grid), copies);
        EXPECT_EQ(isMenuItemEnabled("cut", 0, grid), responder == MenuResponder::RowsGrid);
    }
    // A blank row is added only in the rows console, with the grid or the tables list focused.
    grid.window.responder = MenuResponder::TablesList;
    EXPECT_TRUE(isMenuItemEnabled("addOneBlankRowItemClicked", 731, grid));
    for (auto console : {TablesAndRowsState::RecordConsole, TablesAndRowsState::SQLConsole}) {
        grid.window.console = console;
        EXPECT_FALSE(isMenuItemEnabled("addOneBlankRowItemClicked", 731, grid));
    }
}

TEST(MenuRulesTest, CopyForExportIsEnabledLikeEditFieldInPanelNotLikeCopy) {
    MainWindowMenuContext main = mainWindowShowing(true);
    main.window.oneObjectSelected = true;
    main.window.selectedObjectStatus = 1;
    struct Case {
        const char* name;
        TablesAndRowsState::ConsoleIndex console;
        MenuResponder responder;
        bool focused;
        bool selected;
        int64_t totalRows;
        bool exports;
    };
    const Case cases[] = {
        {"grid focused on a cell", TablesAndRowsState::RowsConsole, MenuResponder::RowsGrid, true,
         false, 3, true},
        {"grid with a selection but no focused cell", TablesAndRowsState::RowsConsole,
         MenuResponder::RowsGrid, false, true, 3, false},
        {"another view has the keyboard", TablesAndRowsState::RowsConsole, MenuResponder::Other,
         true, true, 3, false},
        {"an empty table", TablesAndRowsState::RowsConsole, MenuResponder::RowsGrid, true, false, 0,
         false},
        {"a record editor field has the keyboard", TablesAndRowsState::RecordConsole,
         MenuResponder::TextInput, false, false, 3, true},
        {"the SQL console", TablesAndRowsState::SQLConsole, MenuResponder::RowsGrid, true, true, 3,
         false},
    };
    for (const Case& c : cases) {
        main.window.console = c.console;
        main.window.responder = c.responder;
        main.window.somethingFocused = c.focused;
        main.window.somethingSelected = c.selected;
        main.window.totalRows = c.totalRows;
        EXPECT_EQ(isMenuItemEnabled("copyForExportMenuItemClicked", 0, main), c.exports) << c.name;
        EXPECT_EQ(isMenuItemEnabled("editFieldInPanelMenuItemClicked", 0, main), c.exports)
            << c.name;
    }
}

TEST(MenuRulesTest, TogglesKeepOneFlagPerSlotAndTitleTheirItems) {
    using nlohmann::json;
    bool wasHidden = true;
    // A stored array of the wrong length starts again from all NO.
    json flags = toggledSlotFlags(json::array({true, true, true, true}), 1, &wasHidden);
    EXPECT_EQ(flags, json::array({false, true, false, false, false}));
    EXPECT_FALSE(wasHidden);
    EXPECT_EQ(tablesListToggleTitle(flags, 1), "Show Tables List");
    EXPECT_EQ(tablesListToggleTitle(flags, 0), "Hide Tables List");
    flags = toggledSlotFlags(flags, 1, &wasHidden);
    EXPECT_TRUE(wasHidden);
    EXPECT_EQ(flags, json::array({false, false, false, false, false}));
    EXPECT_EQ(toggledSlotFlags("yes", 4, nullptr), json::array({false, false, false, false, true}));
    EXPECT_EQ(toolbarToggleTitle(json::array({false, false, true}), 2), "Show Toolbar");
    EXPECT_EQ(toolbarToggleTitle(json::array({false, false, true}), -1), "Hide Toolbar");
    EXPECT_EQ(expandedFieldsToggleTitle(true), "Show Expanded Fields");
    EXPECT_EQ(expandedFieldsToggleTitle(false), "Hide Expanded Fields");
}

TEST(MenuRulesTest, TheConsoleCycleWrapsAndNumbersOutsideTheConsolesAreTheRowsConsole) {
    const int next[] = {1, 2, 3, 4, 5, 0};
    const int previous[] = {5, 0, 1, 2, 3, 4};
    for (int number = 0; number < 6; ++number) {
        TablesAndRowsState::ConsoleIndex console =
            TablesAndRowsState::consoleIndexFromNumber(number);
        EXPECT_EQ(console, number);
        EXPECT_EQ(nextConsoleInCycle(console), next[number]);
        EXPECT_EQ(previousConsoleInCycle(console), previous[number]);
    }
    for (double number : {-1.0, -0.5, 6.0, 9.0, 1e300}) {
        EXPECT_EQ(TablesAndRowsState::consoleIndexFromNumber(number),
                  TablesAndRowsState::RowsConsole);
    }
    EXPECT_EQ(TablesAndRowsState::consoleIndexFromNumber(2.5), TablesAndRowsState::SQLConsole);
}

class PreferencesRecordTest : public TempHomeTest {};

TEST_F(PreferencesRecordTest, InvertedKeysAndTheOlderStorageKeyAreReadAndWrittenTheirWay) {
    UserDefaults& defaults = UserDefaults::standard();
    PreferencesRecord empty = loadPreferencesRecord(defaults);
    EXPECT_TRUE(empty.warnOnRowDelete);
    EXPECT_TRUE(empty.formatDataInRowsView);
    EXPECT_FALSE(empty.showNULLInRowsView);
    EXPECT_EQ(empty.lookupTableRowsLimit, 0);

    defaults.setInteger(2, "DateTimeStorageFormat");
    defaults.setInteger(1, "TimeStorageFormat");
    PreferencesRecord record = loadPreferencesRecord(defaults);
    EXPECT_EQ(record.dateStorageFormat, 2);  // from the older key
    EXPECT_EQ(record.timeStorageFormat, 1);  // its own key prevails

    record.warnOnRowDelete = false;
    record.typesToShow = 5;
    storePreferencesRecord(record, defaults);
    EXPECT_TRUE(defaults.boolForKey("NoWarnOnRowDelete"));
    EXPECT_FALSE(defaults.boolForKey("DontFormatDataInRowsView"));
    EXPECT_EQ(defaults.integerForKey("DateStorageFormat"), 2);
    EXPECT_EQ(defaults.integerForKey("DateTimeStorageFormat"), 2);  // never written
    EXPECT_EQ(defaults.integerForKey("SchemaObjectTypesToShow"), 5);
    EXPECT_TRUE(preferencesAreEqual(loadPreferencesRecord(defaults), record));

    PreferencesRecord sheetOpen = record;
    sheetOpen.oldNumberDisplayFormat = 7;  // not a stored field
    EXPECT_TRUE(preferencesAreEqual(sheetOpen, record));
    sheetOpen.timeStorageFormat = 0;
    EXPECT_FALSE(preferencesAreEqual(sheetOpen, record));
}

TEST(PreferencesStyleTest, CustomStylesPackTheirParametersAndRefuseDigitsOutOfRange) {
    EXPECT_EQ(customTimeDisplayFormat(4, 2, 0), 0x01030004);  // Long date, Short time
    EXPECT_EQ(customTimeDisplayFormat(4, -1, -1), 4);         // nothing selected
    EXPECT_EQ(replacingStyleType(0x01030004, 2), 0x01030002);
    EXPECT_EQ(firstValidEnum(6, 1, 6), 1);
    EXPECT_EQ(firstValidEnum(5, 1, 6), 5);

    NumberStyleChoice decimal = customNumberDisplayFormat(3, 2, 4);
    ASSERT_TRUE(decimal.code);
    EXPECT_EQ(*decimal.code, 0x04020003);
    EXPECT_EQ(*customNumberDisplayFormat(7, 20, 20).code, 0x14140007);
    // A maximum past a byte would spill into the bits above; a negative minimum would read as
    // 255 digits; a maximum below the minimum would contradict it.
    for (auto [minimum, maximum] :
         {std::pair<int64_t, int64_t>{0, 256}, {0, 21}, {-1, 2}, {3, 1}, {2, -4}}) {
        NumberStyleChoice refused = customNumberDisplayFormat(3, minimum, maximum);
        EXPECT_FALSE(refused.code) << minimum << " " << maximum;
        EXPECT_FALSE(refused.refusal.empty());
    }
    EXPECT_EQ(initialMaximumFractionDigits(0x00020001), 2);
    EXPECT_EQ(initialMaximumFractionDigits(0x00000003), 0);
    EXPECT_EQ(initialMaximumFractionDigits(0x05000001), 5);
}
