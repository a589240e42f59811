// Print layouts in the defaults store, the page geometry and the text of a box.
#include <gtest/gtest.h>

#include "exchange/BoxText.h"
#include "exchange/PrintLayoutStore.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/TempHome.h"

using nlohmann::json;

namespace {

class PrintLayoutTest : public TempHomeTest {};

PrintLayout labelSheet() {
    PrintLayoutStore::addLayout(PrintLayoutStore::kLabelSheet, PrintLayout());
    PrintLayout layout;
    PrintLayoutStore::restorePrintLayoutFromName(&layout, "New Layout");
    return layout;
}

}  // namespace

TEST_F(PrintLayoutTest, RecordRoundTripDropsDrawnTextsAndReadsSinglePrecision) {
    PrintLayout layout;
    layout.rowsInPrintView = 3;
    layout.columnsInPrintView = 2;
    layout.pageOffsetFromLeft = 0.1;
    layout.objectVerticalSpacing = 0.25;
    layout.fontSize = 11;
    layout.fontFamily = "DejaVu Sans";
    layout.boxObjects = json::array({{{"type", 1}, {"field_index", 0}, {"text", "drawn"}},
                                     {{"type", 100001}, {"text", "Name:"}},
                                     {{"type", 100002}}});
    PrintLayoutStore::savePrintLayoutToName(layout, "Mine");

    json stored = UserDefaults::standard().objectForKey("PrintLayoutQ_Mine");
    ASSERT_EQ(stored["page_layouts"].size(), 18u);
    EXPECT_EQ(stored["page_layouts"][14], "");  // no full font name
    EXPECT_FALSE(stored["box_objects"][0].contains("text"));
    EXPECT_EQ(stored["box_objects"][1]["text"], "Name:");

    PrintLayout back;
    PrintLayoutStore::restorePrintLayoutFromName(&back, "Mine");
    EXPECT_EQ(back.rowsInPrintView, 3);
    EXPECT_EQ(back.columnsInPrintView, 2);
    EXPECT_EQ(back.pageOffsetFromLeft, 0.10000000149011612);
    EXPECT_EQ(back.objectVerticalSpacing, 0.25);
    EXPECT_EQ(back.fontFamily, "DejaVu Sans");
    EXPECT_EQ(back.fullFontName, std::nullopt);
    EXPECT_EQ(back.boxObjects.size(), 3u);

    // Fewer than 18 page values: the page stays, the objects are taken.
    stored["page_layouts"].erase(17);
    stored["box_objects"] = json::array();
    UserDefaults::standard().setObject(stored, "PrintLayoutQ_Mine");
    PrintLayoutStore::restorePrintLayoutFromName(&back, "Mine");
    EXPECT_EQ(back.rowsInPrintView, 3);
    EXPECT_TRUE(back.boxObjects.empty());
    // A missing record changes nothing.
    PrintLayoutStore::restorePrintLayoutFromName(&back, "Absent");
    EXPECT_EQ(back.rowsInPrintView, 3);
}

TEST_F(PrintLayoutTest, CurrentLayoutComesFromTheNameTheDefaultOrTheBuiltIn) {
    PrintLayout builtIn = PrintLayoutStore::loadCurrentPrintLayout();
    EXPECT_EQ(builtIn.rowsInPrintView, 1);
    EXPECT_EQ(builtIn.columnsInPrintView, 1);
    EXPECT_EQ(builtIn.pageOffsetFromLeft, 1.25);
    EXPECT_EQ(builtIn.pageOffsetFromBottom, 1.0);
    EXPECT_EQ(builtIn.fontSize, 13);
    EXPECT_EQ(builtIn.fullFontName, "Helvetica");

    builtIn.rowsInPrintView = 4;
    PrintLayoutStore::savePrintLayoutToName(builtIn, std::nullopt);
    EXPECT_EQ(PrintLayoutStore::loadCurrentPrintLayout().rowsInPrintView, 4);
    PrintLayoutStore::setCurrentPrintLayoutName("Gone");
    EXPECT_EQ(PrintLayoutStore::loadCurrentPrintLayout().rowsInPrintView, 0);
}

TEST_F(PrintLayoutTest, NewLayoutsAreNumberedSortedAndNeverOverwriteOneAnother) {
    PrintLayout current;
    current.boxObjects = json::array({{{"type", 100001}, {"text", "kept"}}});
    EXPECT_EQ(PrintLayoutStore::addLayout(PrintLayoutStore::kOneBoxPage, current), "New Layout");
    EXPECT_EQ(PrintLayoutStore::addLayout(PrintLayoutStore::kTwoByTwoPage, current),
              "New Layout 2");
    EXPECT_EQ(PrintLayoutStore::addLayout(PrintLayoutStore::kLabelSheet, current), "New Layout 3");
    ASSERT_TRUE(PrintLayoutStore::renameLayout("New Layout 2", "apple"));
    EXPECT_EQ(PrintLayoutStore::layoutNames(),
              (std::vector<std::string>{"apple", "New Layout", "New Layout 3"}));
    EXPECT_EQ(PrintLayoutStore::newLayoutName({"New Layout", "New Layout 7"}), "New Layout 8");

    // The label sheet's own geometry is checked with its boxes below.
    PrintLayout labels;
    PrintLayoutStore::restorePrintLayoutFromName(&labels, "New Layout 3");
    EXPECT_EQ(labels.boxObjects, current.boxObjects);
    EXPECT_DOUBLE_EQ(labels.boxAspectRatio(), 4.0);

    // Translated, every new layout still gets a name of its own and its own record.
    setLocalizedStringProvider([](const char* key) {
        return std::string(key) == "New Layout" ? std::string("Neues Layout") : std::string(key);
    });
    std::string first = PrintLayoutStore::addLayout(PrintLayoutStore::kOneBoxPage, current);
    std::string second = PrintLayoutStore::addLayout(PrintLayoutStore::kLabelSheet, current);
    setLocalizedStringProvider({});
    EXPECT_NE(first, second);
    PrintLayout firstLayout;
    PrintLayoutStore::restorePrintLayoutFromName(&firstLayout, first);
    EXPECT_EQ(firstLayout.rowsInPrintView, 1);
    EXPECT_EQ(PrintLayoutStore::layoutNames().size(), 5u);
}

TEST_F(PrintLayoutTest, RenameMovesTheRecordAndRefusesEmptyOrTakenNames) {
    PrintLayoutStore::addLayout(PrintLayoutStore::kTwoByTwoPage, PrintLayout());
    PrintLayoutStore::addLayout(PrintLayoutStore::kOneBoxPage, PrintLayout());
    PrintLayoutStore::setCurrentPrintLayoutName("New Layout");
    EXPECT_FALSE(PrintLayoutStore::renameLayout("New Layout", ""));
    EXPECT_FALSE(PrintLayoutStore::renameLayout("New Layout", "New Layout 2"));
    EXPECT_FALSE(PrintLayoutStore::renameLayout("Absent", "Other"));
    EXPECT_EQ(PrintLayoutStore::layoutNames(),
              (std::vector<std::string>{"New Layout", "New Layout 2"}));

    ASSERT_TRUE(PrintLayoutStore::renameLayout("New Layout", "Cards"));
    EXPECT_EQ(PrintLayoutStore::currentPrintLayoutName(), "Cards");
    EXPECT_TRUE(UserDefaults::standard().objectForKey("PrintLayoutQ_New Layout").is_null());
    EXPECT_EQ(PrintLayoutStore::loadCurrentPrintLayout().rowsInPrintView, 2);

    PrintLayoutStore::deleteLayouts({"Cards"});
    EXPECT_EQ(PrintLayoutStore::layoutNames(), (std::vector<std::string>{"New Layout 2"}));
    EXPECT_TRUE(UserDefaults::standard().objectForKey("PrintLayoutQ_Cards").is_null());
}

TEST_F(PrintLayoutTest, BoxGeometryAndLayoutsWithoutRoom) {
    PrintLayout layout = labelSheet();
    // The label sheet's second column starts 0.1875 + 4 + 0.125 inches in.
    EXPECT_DOUBLE_EQ(layout.boxRect(0, 1).x, 310.5);
    EXPECT_DOUBLE_EQ(layout.boxRect(0, 0).width, 288);
    EXPECT_DOUBLE_EQ(layout.boxRect(9, 0).y, 36 + 9 * 72);
    EXPECT_EQ(layout.numberOfPages(10000, 0), 500);
    EXPECT_EQ(layout.numberOfPages(21, 0), 2);
    EXPECT_EQ(layout.numberOfPages(21, 21), 0);

    PrintLayout twoByTwo;
    twoByTwo.rowsInPrintView = twoByTwo.columnsInPrintView = 2;
    EXPECT_EQ(twoByTwo.numberOfPages(25, 0), 7);
    EXPECT_EQ(twoByTwo.numberOfPages(12, 10), 1);
    EXPECT_EQ(twoByTwo.boxRect(0, 1).y, twoByTwo.boxRect(0, 0).y);
    EXPECT_GT(twoByTwo.boxRect(0, 1).x, twoByTwo.boxRect(0, 0).x);
    EXPECT_GT(twoByTwo.boxRect(1, 0).y, twoByTwo.boxRect(0, 0).y);

    PrintLayout none;
    EXPECT_EQ(none.boxAspectRatio(), 1.0);
    EXPECT_EQ(none.numberOfPages(10, 0), 0);
    // Margins wider than the page leave boxes of no size: no ratio of them, nothing to print.
    layout.pageOffsetFromLeft = 5;
    layout.pageOffsetFromRight = 5;
    EXPECT_FALSE(layout.hasBoxes());
    EXPECT_EQ(layout.boxAspectRatio(), 1.0);
    EXPECT_EQ(layout.numberOfPages(10, 0), 0);
    layout = labelSheet();
    layout.pageOffsetFromTop = 11;
    EXPECT_EQ(layout.boxAspectRatio(), 1.0);
    EXPECT_DOUBLE_EQ(layout.contentRect(layout.boxRect(0, 0)).height, 0.5);
}

TEST(BoxText, ObjectsSpacersAndPlaceholders) {
    EXPECT_EQ(spacerCount(0, 5), 0);
    EXPECT_EQ(spacerCount(0.25, 5), 4);
    EXPECT_EQ(spacerCount(0.1, 0), 8);

    BoxTextInput input;
    input.numberOfRows = 3;
    input.numberOfFields = 2;
    input.spacerCount = 2;
    input.objects =
        json::array({{{"type", 100001}, {"text", "Name:"}},
                     {{"type", 1}, {"field_index", 0}, {"text", "Ann"}, {"alignment", 2}},
                     {{"type", 100002}},
                     {{"type", 1}, {"field_index", 1}, {"text", "12"}},
                     {{"type", 1}, {"field_index", 5}, {"text", "x"}},
                     {{"type", 100001}, {"text", "end"}}});
    input.selectedObjects = {3};
    std::vector<BoxTextRun> runs = boxTextRuns(input);
    std::vector<std::string> texts;
    for (const BoxTextRun& run : runs) texts.push_back(run.text);
    // No spacer before the first object or after a break; an unknown field leaves its spacer.
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Name:", "  ", "Ann", "\n", "12", "  ", "  ", "end"}));
    EXPECT_EQ(runs[2].alignment, 2);
    EXPECT_TRUE(runs[4].selected);
    EXPECT_FALSE(runs[2].selected);

    BoxTextInput empty = input;
    empty.objects = json::array();
    ASSERT_EQ(boxTextRuns(empty).size(), 1u);
    EXPECT_EQ(boxTextRuns(empty)[0].text, "(Add some objects to the box)");
    empty.numberOfRows = 0;
    EXPECT_EQ(boxTextRuns(empty)[0].text, "(No rows to print)");
    empty.page = true;
    EXPECT_TRUE(boxTextRuns(empty).empty());
    input.firstRowIndex = 3;
    EXPECT_TRUE(boxTextRuns(input).empty());
}
