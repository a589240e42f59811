// The print console of a database window: printing a real table to PDF, the on-screen view and
// the layout panel's edits.
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "exchange/FontCatalog.h"
#include "exchange/PrintConsole.h"
#include "exchange/PrintLayoutStore.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DropEvents.h"
#include "tests/support/HeldWriteTransaction.h"

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
        controller->selectConsole(TablesAndRowsState::PrintConsole);
        return &partsOf(controller).print;
    }

    std::string pdf() const { return pathInDocuments("rows.pdf"); }

    // Clicks the table's row in the window's tables list.
    void clickTable(const std::string& name) {
        QListWidget* list = controller->tablesTableView();
        QList<QListWidgetItem*> items =
            list->findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(items.first()).center());
        QApplication::processEvents();
    }
    static void clickRow(QListWidget* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(row)).center());
        QApplication::processEvents();
    }

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

// The -wal or -shm of a database this process is writing, named as the output file: nothing is
// printed over it, and the writer keeps its locks.
TEST_F(PrintConsoleTest, NothingIsPrintedOverASideFileOfAnOpenDatabase) {
    makeRowsTable(3);
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kTwoByTwoPage, kNameAndAmount);
    const std::string shop = pathInHome("shop.db");
    const HeldWriteTransaction writer(shop, "wal");
    for (const std::string& path : writer.sideFiles()) {
        const auto size = std::filesystem::file_size(path);
        EXPECT_EQ(console->printRowsToPDF(path), 0) << path;
        EXPECT_EQ(std::filesystem::file_size(path), size) << path;
        EXPECT_EQ(probeLocks(shop), writer.locks()) << path;
    }
}

// Another program deleted a row above the focused one: the print starts at the focused record
// where it stands now and counts the rows left, so its last page has rows; with the focused
// record itself gone, it starts at the focused place.
TEST_F(PrintConsoleTest, PrintingFromTheFocusedRecordAfterADeleteElsewhereEndsWithRows) {
    run("create table t (a text, b integer); insert into t select 's' || value, value from "
        "generate_series(1, 198)");
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kTwoByTwoPage, kNameAndAmount);
    controller->state().selection.focusedRowIndex = RowIndex(9);
    ASSERT_EQ(controller->state().dataPort.page.rowid(RowIndex(9))->value_or(""), "10");
    run("delete from t where a = 's2'");
    // s10 to s198, four a page.
    ASSERT_EQ(console->printRowsToPDF(pdf()), 48);
    const std::string first = commandOutput("pdftotext -f 1 -l 1 '" + pdf() + "' -");
    EXPECT_NE(first.find("Item s10\n"), std::string::npos) << first;
    EXPECT_NE(first.find("Item s13\n"), std::string::npos) << first;
    EXPECT_EQ(first.find("Item s9\n"), std::string::npos) << first;
    EXPECT_EQ(first.find("Item s14\n"), std::string::npos) << first;
    const std::string last = commandOutput("pdftotext -f 48 -l 48 '" + pdf() + "' -");
    EXPECT_NE(last.find("Item s198"), std::string::npos) << last;
    EXPECT_TRUE(alerts.empty());

    // s12 stands at the focused place now: s12 to s198.
    run("delete from t where a = 's10'");
    ASSERT_EQ(console->printRowsToPDF(pdf()), 47);
    const std::string again = commandOutput("pdftotext -f 1 -l 1 '" + pdf() + "' -");
    EXPECT_NE(again.find("Item s12\n"), std::string::npos) << again;
    EXPECT_EQ(again.find("Item s11\n"), std::string::npos) << again;
    EXPECT_NE(commandOutput("pdftotext -f 47 -l 47 '" + pdf() + "' -").find("Item s198"),
              std::string::npos);
    // The window's focus and rows are the grid's business.
    EXPECT_EQ(controller->state().selection.focusedRowIndex, RowIndex(9));
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
    // Its lines are low: a drop anywhere over a line lands on the line's nearer edge, here
    // below the last line.
    ASSERT_LT(objects->visualItemRect(objects->item(1)).height(), 20);
    objects->clearSelection();
    mouseDragRow(objects, 0, 2, true);

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
    // An object dragged with the mouse to the end is saved there.
    const json draggedBefore = stored.boxObjects;
    objects->clearSelection();
    mouseDragRow(objects, 0, 5);
    PrintLayoutStore::restorePrintLayoutFromName(&stored, "New Layout");
    ASSERT_EQ(stored.boxObjects.size(), 5u);
    EXPECT_EQ(stored.boxObjects[4], draggedBefore[0]);
    EXPECT_EQ(stored.boxObjects[0], draggedBefore[1]);

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
    controller->selectConsole(TablesAndRowsState::PrintConsole);
    auto* console = &partsOf(controller).print;
    controller->state().selection.focusedRowIndex = RowIndex(0);
    ASSERT_EQ(console->printRowsToPDF(pdf()), 3);
    EXPECT_NE(commandOutput("pdftotext '" + pdf() + "' -").find("name 1"), std::string::npos);

    console->layoutPanelButtonPressed();
    auto* fallback = console->layoutPanel()->findChild<QLabel*>("layoutPanelFontFallbackLabel");
    EXPECT_TRUE(fallback->isVisible());
    EXPECT_TRUE(fallback->text().startsWith("No Such Family is not installed"))
        << fallback->text().toStdString();
}

TEST_F(PrintConsoleTest, TheLayoutPanelFollowsTheTableAndEachChosenLayoutStartsAfresh) {
    makeRowsTable(3);
    run("create table u (x, y, z); insert into u values (1, 2, 3)");
    // The default layout as stored without a font size.
    PrintLayout sizeless;
    sizeless.rowsInPrintView = sizeless.columnsInPrintView = 1;
    PrintLayoutStore::savePrintLayoutToName(sizeless, std::nullopt);
    PrintConsole* console = showPrintConsole(
        PrintLayoutStore::kOneBoxPage,
        json::array({{{"type", 1}, {"field_index", 0}}, {{"type", 1}, {"field_index", 2}}}));
    console->layoutPanelButtonPressed();
    LayoutPanel* panel = console->layoutPanel();
    auto* objects = panel->findChild<QListWidget*>("layoutPanelObjectsTableView");
    ASSERT_EQ(objects->count(), 2);
    EXPECT_EQ(objects->item(0)->text().toStdString(), "F  1. name");
    EXPECT_EQ(objects->item(1)->text().toStdString(), "F  3. (No Field)");

    // The panel stays open over the grid, and follows the table chosen there.
    controller->selectConsole(TablesAndRowsState::RowsConsole);
    clickTable("u");
    ASSERT_EQ(controller->selectedTableName(), "u");
    EXPECT_EQ(objects->item(0)->text().toStdString(), "F  1. x");
    EXPECT_EQ(objects->item(1)->text().toStdString(), "F  3. z");
    auto* fields = panel->findChild<QComboBox*>("layoutPanelFieldPopUpButton");
    ASSERT_EQ(fields->count(), 3);
    EXPECT_EQ(fields->itemText(2).toStdString(), "3. z");

    // A right alignment chosen for one layout is not carried into the next.
    auto* alignment = panel->findChild<QWidget*>("layoutPanelAlignmentSegmentedControl");
    QList<QToolButton*> segments = alignment->findChildren<QToolButton*>();
    ASSERT_EQ(segments.size(), 3);
    QTest::mouseClick(segments[2], Qt::LeftButton);
    auto* text = panel->findChild<QLineEdit*>("layoutPanelObjectTextField");
    EXPECT_TRUE(text->alignment() & Qt::AlignRight);
    auto* size = panel->findChild<QLineEdit*>("layoutPanelFontSizeTextField");
    EXPECT_EQ(size->text().toStdString(), "13");
    clickRow(panel->findChild<QListWidget*>("layoutPanelLayoutsTableView"), 0);
    EXPECT_EQ(PrintLayoutStore::currentPrintLayoutName(), std::nullopt);
    EXPECT_TRUE(segments[0]->isChecked());
    EXPECT_FALSE(segments[2]->isChecked());
    EXPECT_TRUE(text->alignment() & Qt::AlignLeft);
    EXPECT_EQ(size->text().toStdString(), "13");
    EXPECT_EQ(objects->count(), 0);
}

TEST_F(PrintConsoleTest, ChoosingTheDefaultLayoutShowsItAndEditsChangeOnlyIt) {
    makeRowsTable(3);
    // No default stored yet: it is the built-in one box a page.
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kLabelSheet, kNameAndAmount);
    console->layoutPanelButtonPressed();
    LayoutPanel* panel = console->layoutPanel();
    auto* layouts = panel->findChild<QListWidget*>("layoutPanelLayoutsTableView");
    auto* rows = panel->findChild<QLineEdit*>("layoutPanelPageGridRowsTextField");
    auto* columns = panel->findChild<QLineEdit*>("layoutPanelPageGridColumnsTextField");
    auto* left = panel->findChild<QLineEdit*>("layoutPanelPageMarginsLeftTextField");
    auto* objects = panel->findChild<QListWidget*>("layoutPanelObjectsTableView");
    ASSERT_EQ(rows->text(), "10");
    ASSERT_EQ(objects->count(), 4);
    clickRow(layouts, 0);
    EXPECT_EQ(rows->text(), "1");
    EXPECT_EQ(columns->text(), "1");
    EXPECT_EQ(left->text(), "1.2500");
    EXPECT_EQ(objects->count(), 0);
    EXPECT_EQ(console->currentLayout().rowsInPrintView, 1);
    // An edit of the default stores the default with that one change.
    columns->setText("3");
    panel->settingsFieldDidEndEditing(columns);
    PrintLayout stored;
    PrintLayoutStore::restorePrintLayoutFromName(&stored, std::nullopt);
    EXPECT_EQ(stored.rowsInPrintView, 1);
    EXPECT_EQ(stored.columnsInPrintView, 3);
    EXPECT_EQ(stored.pageOffsetFromLeft, 1.25);
    EXPECT_TRUE(stored.boxObjects.empty());
    // The labels are kept as they were, and shown again when chosen.
    clickRow(layouts, 1);
    EXPECT_EQ(rows->text(), "10");
    EXPECT_EQ(objects->count(), 4);
    clickRow(layouts, 0);
    EXPECT_EQ(columns->text(), "3");
}

TEST_F(PrintConsoleTest, ADoubleClickEditsATextObjectInPlaceAndStoresIt) {
    makeRowsTable(3);
    PrintConsole* console = showPrintConsole(
        PrintLayoutStore::kOneBoxPage,
        json::array({{{"type", 1}, {"field_index", 0}}, {{"type", 100001}, {"text", "Price"}}}));
    console->layoutPanelButtonPressed();
    auto* objects = console->layoutPanel()->findChild<QListWidget*>("layoutPanelObjectsTableView");
    ASSERT_EQ(objects->count(), 2);
    auto openEditor = [&]() -> QLineEdit* {
        for (QLineEdit* line : objects->viewport()->findChildren<QLineEdit*>()) {
            if (line->isVisible()) return line;
        }
        return nullptr;
    };
    // As a window system sends it: a click, then the double click.
    auto doubleClickRow = [&](int row) {
        QPoint at = objects->visualItemRect(objects->item(row)).center();
        QTest::mouseClick(objects->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(objects->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(objects->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    };
    // A field object's row is not edited.
    doubleClickRow(0);
    EXPECT_EQ(openEditor(), nullptr);

    doubleClickRow(1);
    QLineEdit* editor = openEditor();
    ASSERT_NE(editor, nullptr);
    // The bare text, without the row's mark.
    EXPECT_EQ(editor->text(), "Price");
    editor->selectAll();
    QTest::keyClicks(editor, "Total");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(objects->item(1)->text().toStdString(), "T  Total");
    PrintLayout stored;
    PrintLayoutStore::restorePrintLayoutFromName(&stored, "New Layout");
    ASSERT_EQ(stored.boxObjects.size(), 2u);
    EXPECT_EQ(stored.boxObjects[1]["text"], "Total");
    EXPECT_EQ(stored.boxObjects[0], json({{"type", 1}, {"field_index", 0}}));
    controller->state().selection.focusedRowIndex = RowIndex(0);
    ASSERT_EQ(console->printRowsToPDF(pdf()), 3);
    EXPECT_NE(commandOutput("pdftotext '" + pdf() + "' -").find("name 1 Total"), std::string::npos);
}

TEST_F(PrintConsoleTest, FramesArePointsOfThePageAndGrowWithIt) {
    makeRowsTable(3);
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kLabelSheet, kNameAndAmount);
    controller->view()->window()->resize(1600, 1000);
    QTest::qWait(kSettleWaitMs);
    PrintRowsView* view = console->printRowsView();
    // A label of 4 by 1 inches fills the view in box mode.
    const double scale = view->width() / 288.0;
    ASSERT_GT(scale, 4);
    QImage image = view->grab().toImage();
    // The frame is drawn on the box's edge, so the view shows its inner half.
    int framed = 0;
    while (framed < image.width() && image.pixelColor(framed, image.height() / 2).red() < 166) {
        ++framed;
    }
    EXPECT_NEAR(framed, scale / 2, 1.0);
}

TEST_F(PrintConsoleTest, TheFieldPreviewStaysBesideItsFieldWhenLayoutOrTableChanges) {
    makeRowsTable(3);
    run("create table u (x, y); insert into u values ('ex', 'why')");
    PrintConsole* console = showPrintConsole(PrintLayoutStore::kTwoByTwoPage, kNameAndAmount);
    console->layoutPanelButtonPressed();
    LayoutPanel* panel = console->layoutPanel();
    auto* layouts = panel->findChild<QListWidget*>("layoutPanelLayoutsTableView");
    auto* fields = panel->findChild<QComboBox*>("layoutPanelFieldPopUpButton");
    auto* preview = panel->findChild<QLineEdit*>("layoutPanelObjectTextField");
    ASSERT_EQ(preview->text().toStdString(), "name 1");
    panel->layoutPanelAddLayoutButtonPressed(PrintLayoutStore::kLabelSheet);
    ASSERT_EQ(layouts->currentRow(), 2);
    EXPECT_EQ(fields->currentText().toStdString(), "1. name");
    EXPECT_EQ(preview->text().toStdString(), "name 1");
    // Another field chosen, then the layouts chosen again by the mouse.
    fields->setCurrentIndex(1);
    emit fields->activated(1);
    ASSERT_EQ(preview->text().toStdString(), "1.5");
    for (int row : {0, 1, 2}) {
        clickRow(layouts, row);
        EXPECT_EQ(preview->text().toStdString(), "1.5") << row;
    }
    // The table chosen in the list brings its own first row.
    clickTable("u");
    EXPECT_EQ(fields->currentText().toStdString(), "1. x");
    EXPECT_EQ(preview->text().toStdString(), "ex");
}
