// The print console of a database window: printing a real table to PDF, the on-screen view and
// the layout panel's edits.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <cstdio>
#include <memory>

#include "exchange/FontCatalog.h"
#include "exchange/PrintConsole.h"
#include "exchange/PrintLayoutStore.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DropEvents.h"

using nlohmann::json;

namespace {

std::string commandOutput(const std::string& command) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
    return output;
}

class PrintConsoleTest : public ControllerTest {
  protected:
    // The table shown in the print console, with a named layout of the preset made current.
    PrintConsole* showPrintConsole(int preset, json objects) {
        PrintLayout current;
        current.boxObjects = std::move(objects);
        PrintLayoutStore::setCurrentPrintLayoutName(PrintLayoutStore::addLayout(preset, current));
        controller = show("t");
        controller->selectPrintView();
        return static_cast<PrintConsole*>(controller->console(TablesAndRowsState::PrintConsole));
    }

    std::string pdf() const { return pathInDocuments("rows.pdf"); }

    TablesAndRowsController* controller = nullptr;
};

const json kNameAndAmount = json::array({{{"type", 100001}, {"text", "Item"}},
                                         {{"type", 1}, {"field_index", 0}},
                                         {{"type", 100002}},
                                         {{"type", 1}, {"field_index", 1}}});

}  // namespace

TEST_F(PrintConsoleTest, PrintsEveryRowOnLetterPagesAtTheLayoutsOwnSize) {
    makeRowsTable(45);
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kLabelSheet, kNameAndAmount);
    controller->state().selection.focusedRowIndex = RowIndex(0);
    ASSERT_EQ(console->printRowsToPDF(pdf()), 3);

    std::string info = commandOutput("pdfinfo '" + pdf() + "'");
    EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
    EXPECT_NE(info.find("612 x 792 pts"), std::string::npos) << info;
    std::string text = commandOutput("pdftotext -layout '" + pdf() + "' -");
    EXPECT_NE(text.find("Item name 1"), std::string::npos) << text;
    EXPECT_NE(text.find("name 45"), std::string::npos);
    EXPECT_EQ(text.find("name 46"), std::string::npos);

    // The second label of the first row starts in the second column, 310.5 points and its
    // margin of 3.6 from the paper's edge: a label of 4 inches prints 4 inches wide.
    std::string boxes = commandOutput("pdftotext -bbox -f 1 -l 1 '" + pdf() + "' -");
    size_t second = boxes.find(">Item</word>", boxes.find(">Item</word>") + 1);
    ASSERT_NE(second, std::string::npos);
    size_t xMin = boxes.rfind("xMin=\"", second);
    EXPECT_NEAR(std::stod(boxes.substr(xMin + 6)), 314.1, 1.0);
}

TEST_F(PrintConsoleTest, PrintingStartsAtTheFocusedRowAndSkipsLayoutsWithoutRoom) {
    makeRowsTable(12);
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kTwoByTwoPage, kNameAndAmount);
    controller->state().selection.focusedRowIndex = RowIndex(10);
    ASSERT_EQ(console->printRowsToPDF(pdf()), 1);
    std::string text = commandOutput("pdftotext '" + pdf() + "' -");
    EXPECT_NE(text.find("name 11"), std::string::npos);
    EXPECT_NE(text.find("name 12"), std::string::npos);
    EXPECT_EQ(text.find("name 10"), std::string::npos);

    PrintLayout& layout = console->currentLayout();
    layout.pageOffsetFromTop = 6;
    layout.pageOffsetFromBottom = 6;
    EXPECT_EQ(console->printRowsToPDF(pathInDocuments("none.pdf")), 0);
}

TEST_F(PrintConsoleTest, PageModeShowsACheckerboardOfBoxes) {
    makeRowsTable(8);
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kTwoByTwoPage, kNameAndAmount);
    console->boxOrPageSegmentedControlChanged(1);
    PrintRowsView* view = console->printRowsView();
    QImage image = view->grab().toImage();
    ASSERT_GT(image.width(), 100);
    // Top-right box grey 0.92, bottom-right white, in a page of the proportions of Letter.
    EXPECT_NEAR(view->width() / static_cast<double>(view->height()), 8.5 / 11, 0.02);
    QColor grey = image.pixelColor(image.width() * 3 / 4, image.height() / 2 - 5);
    QColor white = image.pixelColor(image.width() * 3 / 4 + 20, image.height() - 5);
    EXPECT_NEAR(grey.red(), 235, 2);
    EXPECT_EQ(white.red(), 255);
}

TEST_F(PrintConsoleTest, LayoutPanelEditsAreStoredAndBadLengthsRefused) {
    makeRowsTable(5);
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kOneBoxPage, json::array());
    console->layoutPanelButtonPressed();
    LayoutPanel* panel = console->layoutPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(controller->state().designMode);
    auto* layouts = panel->findChild<QListWidget*>("layoutPanelLayoutsTableView");
    ASSERT_EQ(layouts->count(), 2);
    EXPECT_EQ(layouts->currentRow(), 1);

    auto* margin = panel->findChild<QLineEdit*>("layoutPanelPageMarginsLeftTextField");
    EXPECT_EQ(margin->text(), "0.0000");
    // Typed and ended with Return: refused, and nothing else happens (no button is pressed).
    margin->setText("-1");
    QTest::keyClick(margin, Qt::Key_Return);
    EXPECT_EQ(margin->text(), "0.0000");
    EXPECT_EQ(PrintLayoutStore::layoutNames().size(), 1u);
    margin->setText("0.1875");
    panel->settingsFieldDidEndEditing(margin);
    auto* rows = panel->findChild<QLineEdit*>("layoutPanelPageGridRowsTextField");
    rows->setText("0");
    panel->settingsFieldDidEndEditing(rows);
    rows->setText("3");
    panel->settingsFieldDidEndEditing(rows);

    auto* fields = panel->findChild<QComboBox*>("layoutPanelFieldPopUpButton");
    ASSERT_EQ(fields->count(), 2);
    fields->setCurrentIndex(1);
    panel->layoutPanelAddObjectToBoxButtonPressed();
    fields->setCurrentIndex(0);
    panel->layoutPanelAddObjectToBoxButtonPressed();  // after the selected one
    auto* objects = panel->findChild<QListWidget*>("layoutPanelObjectsTableView");
    EXPECT_FALSE(dropRows(objects, kAddRowsFromLayoutWindowObjectsTableType, {1}, 0, true));
    EXPECT_TRUE(dropRows(objects, kAddRowsFromLayoutWindowObjectsTableType, {1}, 0));

    PrintLayout stored;
    PrintLayoutStore::restorePrintLayoutFromName(&stored, "New Layout");
    EXPECT_EQ(stored.pageOffsetFromLeft, 0.1875);
    EXPECT_EQ(stored.rowsInPrintView, 3);
    ASSERT_EQ(stored.boxObjects.size(), 2u);
    EXPECT_EQ(stored.boxObjects[0]["field_index"], 0);
    EXPECT_EQ(stored.boxObjects[1]["field_index"], 1);
    EXPECT_TRUE(stored.boxObjects[0].contains("font_name"));
    EXPECT_EQ(objects->item(0)->text().toStdString(), "F  1. name");
    // Several objects move as one block, and the moved order is saved at once.
    panel->findChild<QComboBox*>("layoutPanelObjectTypePopUpButton")->setCurrentIndex(1);
    for (const char* text : {"x", "y", "z"}) {
        objects->setCurrentRow(objects->count() - 1);
        panel->findChild<QLineEdit*>("layoutPanelObjectTextField")->setText(text);
        panel->layoutPanelAddObjectToBoxButtonPressed();
    }
    ASSERT_EQ(objects->count(), 5);
    PrintLayoutStore::restorePrintLayoutFromName(&stored, "New Layout");
    const json storedBefore = stored.boxObjects;
    EXPECT_TRUE(dropRows(objects, kAddRowsFromLayoutWindowObjectsTableType, {1, 3}, 0));
    PrintLayoutStore::restorePrintLayoutFromName(&stored, "New Layout");
    ASSERT_EQ(stored.boxObjects.size(), 5u);
    const std::vector<size_t> order = {1, 3, 0, 2, 4};
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(stored.boxObjects[i], storedBefore[order[i]]) << i;
    }

    // A name typed into the list renames the layout, which stays the current one.
    layouts->item(1)->setText("Cards");
    QApplication::processEvents();
    EXPECT_EQ(PrintLayoutStore::layoutNames(), std::vector<std::string>{"Cards"});
    EXPECT_EQ(PrintLayoutStore::currentPrintLayoutName(), "Cards");
    EXPECT_EQ(layouts->currentRow(), 1);

    // The default layout stays; another layout is made current by selecting it.
    layouts->setCurrentRow(0);
    panel->layoutPanelDeleteLayoutButtonPressed();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].both(), "Info|The Default Layout cannot be deleted");
    EXPECT_EQ(PrintLayoutStore::layoutNames().size(), 1u);
    EXPECT_EQ(PrintLayoutStore::currentPrintLayoutName(), std::nullopt);
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(controller->state().designMode);
}

TEST_F(PrintConsoleTest, BoxesShowTheDisplayTextsOfTheGrid) {
    run("create table t (n number, day text, code text);"
        "insert into t values ('1234.5', '2021-03-05 +0000', '1'), (NULL, 'soon', '9')");
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kTwoByTwoPage,
                                             json::array({{{"type", 1}, {"field_index", 0}},
                                                          {{"type", 1}, {"field_index", 1}},
                                                          {{"type", 1}, {"field_index", 2}},
                                                          {{"type", 100001}, {"text", "end"}}}));
    TablesAndRowsState& state = controller->state();
    state.fieldModel.fieldTypes = {DBInterface::kFieldTypeNumber, DBInterface::kFieldTypeDate,
                                   DBInterface::kFieldTypeText};
    state.fieldModel.fieldLookupTables = {"", "", "colors"};
    state.fieldModel.lookupTableDictionary["colors"] = {{"1", "red"}};
    state.display.displayNumberFormatter = NumberFormatter();
    state.display.displayNumberFormatter->setNumberStyle(NumberFormatter::Style::Decimal);
    state.display.displayNumberFormatter->setLocale("en_US");
    state.display.displayDateFormatter.setDateFormat("dd.MM.yyyy");
    state.display.displayDateFormatter.setTimeZone("UTC");
    state.fieldModel.fieldNumberFormatters.clear();
    state.fieldModel.fieldDateFormatters.clear();
    state.selection.focusedRowIndex = RowIndex(0);

    ASSERT_EQ(console->printRowsToPDF(pdf()), 1);
    std::string text = commandOutput("pdftotext -layout '" + pdf() + "' -");
    EXPECT_NE(text.find("1,234.5 05.03.2021 red end"), std::string::npos) << text;
    // NULL prints as nothing, and a code the lookup table lacks as it is stored.
    EXPECT_NE(text.find("soon 9 end"), std::string::npos) << text;
}

TEST_F(PrintConsoleTest, FontsThatAreNotInstalledFallBackToAnInstalledFamily) {
    EXPECT_FALSE(FontCatalog::isInstalled("No Such Family Bold"));
    std::vector<std::string> families = FontCatalog::families();
    ASSERT_FALSE(families.empty());
    EXPECT_NE(std::find(families.begin(), families.end(),
                        FontCatalog::installedFamily("No Such Family Bold")),
              families.end());
    std::vector<FontCatalog::Member> members = FontCatalog::members(families.front());
    ASSERT_FALSE(members.empty());
    EXPECT_TRUE(FontCatalog::isInstalled(members.front().fullName));

    makeRowsTable(3);
    // The default layout, made where its fonts are installed.
    PrintLayout made;
    made.rowsInPrintView = made.columnsInPrintView = 1;
    made.fullFontName = "No Such Family";
    made.fontSize = 12;
    made.boxObjects =
        json::array({{{"type", 1}, {"field_index", 0}, {"font_name", "No Such Family Bold"}}});
    PrintLayoutStore::savePrintLayoutToName(made, std::nullopt);
    controller = show("t");
    controller->selectPrintView();
    auto* console =
        static_cast<PrintConsole*>(controller->console(TablesAndRowsState::PrintConsole));
    controller->state().selection.focusedRowIndex = RowIndex(0);
    ASSERT_EQ(console->printRowsToPDF(pdf()), 3);
    EXPECT_NE(commandOutput("pdftotext '" + pdf() + "' -").find("name 1"), std::string::npos);

    console->layoutPanelButtonPressed();
    auto* fallback = console->layoutPanel()->findChild<QLabel*>("layoutPanelFontFallbackLabel");
    EXPECT_TRUE(fallback->isVisible());
    EXPECT_TRUE(fallback->text().startsWith("No Such Family is not installed"))
        << fallback->text().toStdString();
}
