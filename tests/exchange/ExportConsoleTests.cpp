// The export console in a database window: the fields of the selected object, their checks and
// first-row values, the settings menu, and the file an export writes, byte for byte.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "design/SortPanel.h"
#include "exchange/ActivityLogView.h"
#include "exchange/ExportConsole.h"
#include "exchange/ImportConsole.h"
#include "exchange/TextEntrySheet.h"
#include "mainwindow/SettingsMenuTags.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/HeldWriteTransaction.h"
#include "tests/support/Menus.h"

class ExportConsoleTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        run("create table t (name text, amount); insert into t values ('a,b', 1), (NULL, 'say "
            "\"x\"'); create view v as select amount from t");
        controller = show("t");
        controller->selectConsole(TablesAndRowsState::ExportConsole);
        console = &partsOf(controller).exportConsole;
        out = pathInDocuments("out.txt");
        panelAnswer = {QString::fromStdString(out)};
    }
    void TearDown() override {
        TextEntrySheet::setTestResponder({});
        ControllerTest::TearDown();
    }

    TablesAndRowsController* controller = nullptr;
    ExportConsole* console = nullptr;
    std::string out;
};

TEST_F(ExportConsoleTest, FieldsListStartsWithAnUncheckedRowidAndShowsTheFirstRow) {
    ASSERT_TRUE(console->entry());
    EXPECT_EQ(console->entry()->fieldNames, (std::vector<std::string>{"ROWID", "name", "amount"}));
    EXPECT_EQ(console->entry()->checked, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(*console->entry()->firstRowFieldValues, (std::vector<std::string>{"1", "a,b", "1"}));
    auto* fields = console->view()->findChild<QTableWidget*>("exportViewFieldsTableView");
    EXPECT_EQ(fields->item(0, 1)->text(), "1");

    // None, then the amount's check box: only that field is exported.
    console->noneButtonPressed();
    static_cast<QCheckBox*>(fields->cellWidget(2, 0))->click();
    console->exportButtonPressed();
    EXPECT_EQ(readFile(out), "amount\n1\n\"say \"\"x\"\"\"\n");
    EXPECT_EQ(console->statusText(), "Exported to file \"out.txt\"");
    EXPECT_EQ(console->exportLog().entry(1)->message, "Exporting \"t\" to \"" + out + "\"");

    // A view has no ROWID line; nothing checked is refused before any panel.
    controller->selectTableWithName("v");
    EXPECT_EQ(console->entry()->fieldNames, std::vector<std::string>{"amount"});
    console->noneButtonPressed();
    panelTitles.clear();
    console->exportButtonPressed();
    EXPECT_TRUE(panelTitles.empty());
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts.back().both().find("At least one field must be checked."), std::string::npos);
}

TEST_F(ExportConsoleTest, FirstRowOfAViewAndATableWithoutRowidAndAfterASortMadeHere) {
    run("create table nr (k primary key, v) without rowid; insert into nr values (5, 'five'), "
        "(3, 'three'); create view two as select amount from t union all select 'more'");
    auto firstRow = [this] {
        auto* fields = console->view()->findChild<QTableWidget*>("exportViewFieldsTableView");
        std::vector<std::string> values;
        for (int row = 0; row < fields->rowCount(); ++row)
            values.push_back(fields->item(row, 1)->text().toStdString());
        return values;
    };
    controller->reloadTablesAndSelectTableNamed("nr");
    EXPECT_EQ(console->entry()->fieldNames, (std::vector<std::string>{"k", "v"}));
    EXPECT_EQ(firstRow(), (std::vector<std::string>{"3", "three"}));
    controller->selectTableWithName("v");
    EXPECT_EQ(firstRow(), std::vector<std::string>{"1"});
    controller->selectTableWithName("two");
    EXPECT_EQ(firstRow(), std::vector<std::string>{"1"});

    // The rowid order turned round in the sort panel: the last row comes first.
    controller->selectTableWithName("t");
    EXPECT_EQ(firstRow(), (std::vector<std::string>{"1", "a,b", "1"}));
    SortPanel& sort = partsOf(controller).sort;
    sort.showTableSortFieldsForRowIndex(controller->tablesTableView()->currentRow());
    sort.sortPanelThenOnROWIDButton()->setCurrentIndex(1);
    QTest::mouseClick(sort.sortPanelSortButton(), Qt::LeftButton);
    EXPECT_EQ(firstRow(), (std::vector<std::string>{"2", "", "say \"x\""}));
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
}

TEST_F(ExportConsoleTest, CheckedRowidIsExportedAsTheRowidFieldAloneAndWithAll) {
    run("delete from t where name is null; insert into t (rowid, name, amount) values (9, 'z', 2)");
    controller->selectTableWithName("t");
    auto* fields = console->view()->findChild<QTableWidget*>("exportViewFieldsTableView");
    console->noneButtonPressed();
    static_cast<QCheckBox*>(fields->cellWidget(0, 0))->click();
    console->exportButtonPressed();
    EXPECT_EQ(readFile(out), "ROWID\n1\n9\n");
    console->allButtonPressed();
    console->exportButtonPressed();
    EXPECT_EQ(readFile(out), "ROWID\tname\tamount\n1\ta,b\t1\n9\tz\t2\n");
    // With the types row, the rowid is typed as any field the meta tables do not type.
    console->exportViewChangeSetting(ExportSettingsTag::FieldTypes);
    console->exportButtonPressed();
    EXPECT_EQ(readFile(out), "ROWID\tname\tamount\nText\tText\tText\n1\ta,b\t1\n9\tz\t2\n");
    EXPECT_TRUE(alerts.empty()) << alerts.back().both();
}

TEST_F(ExportConsoleTest, SettingsMenuChoosesSeparatorQuotesLineEndsAndHeaders) {
    struct Case {
        std::vector<int> tags;
        std::string sheetText;
        std::string expected;
    };
    const Case cases[] = {
        {{1511}, "", "name,amount\n\"a,b\",1\n,\"say \"\"x\"\"\"\n"},
        {{1512, 1522}, "", "name\tamount\r\na,b\t1\r\n\t\"say \"\"x\"\"\"\r\n"},
        {{1513, 1521, 1562}, "", "\"name\"|\"amount\"\n\"a,b\"|\"1\"\n\"\"|\"say \"\"x\"\"\"\n"},
        {{1514, 1563, 1541}, "::", "a,b::1\n::say \"x\"\n"},
        {{1541, 1551, 1531, 1561},
         "<null>",
         "name::amount\nText::Text\na,b::1\n<null>::\"say \"\"x\"\"\"\n"},
    };
    for (const Case& c : cases) {
        TextEntrySheet::setTestResponder(
            [&c](const TextEntrySheet&) { return QString::fromStdString(c.sheetText); });
        for (int tag : c.tags) console->exportViewChangeSetting(tag);
        console->updateExportView();
        console->exportButtonPressed();
        EXPECT_EQ(readFile(out), c.expected) << c.tags.front();
    }
    // The settings menu, as it opens, marks the choices in force.
    auto* menu = console->view()->findChild<QMenu*>("exportViewSettingsMenu");
    popUpAndClose(menu);
    EXPECT_EQ(checkedMenuTags(menu), "1514,1521,1541,1551,1561");
}

TEST_F(ExportConsoleTest, AWriteErrorIsReportedAndLogged) {
    panelAnswer = {"/dev/full"};
    console->exportButtonPressed();
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts.back().informativeText.find("Could not write file [/dev/full]"),
              std::string::npos);
    EXPECT_EQ(console->statusText(), "");
    EXPECT_TRUE(console->exportLog().atLeastOneError());
}

TEST_F(ExportConsoleTest, TheFilePanelsOfExportImportAndTheLogsSayWhatTheyDo) {
    console->exportButtonPressed();
    controller->view()
        ->findChild<ActivityLogView*>("exportViewLogTableView")
        ->writeLogToFileMenuItemClicked();
    controller->selectConsole(TablesAndRowsState::ImportConsole);
    auto* import = &partsOf(controller).import;
    panelAnswer.clear();
    import->showImportFileChooser();
    ASSERT_EQ(panelsShown.size(), 3u);
    auto texts = [](const FilePanel& panel) {
        return (panel.title + "|" + panel.prompt + "|" + panel.message).toStdString();
    };
    EXPECT_EQ(texts(panelsShown[0]), "Export to File|Export|");
    EXPECT_EQ(texts(panelsShown[1]), "Write Log to File|Write|Write Log to File");
    EXPECT_EQ(texts(panelsShown[2]), "Select Files to Import|Select|");
    EXPECT_TRUE(panelsShown[2].allowsMultipleSelection);
}

// The -wal or -shm of a database this process is writing, chosen under its own name or a link's
// as the file to export to or to write the log to: refused, the file left as it was and the
// writer's locks held.
TEST_F(ExportConsoleTest, AnExportOrALogIsNeverWrittenOverASideFileOfAnOpenDatabase) {
    const std::string shop = pathInHome("shop.db");
    const HeldWriteTransaction writer(shop, "wal");
    std::filesystem::create_symlink(shop + "-shm", pathInHome("index.txt"));
    auto* log = controller->view()->findChild<ActivityLogView*>("exportViewLogTableView");
    ASSERT_NE(log, nullptr);
    for (const std::string& path : {shop + "-wal", shop + "-shm", pathInHome("index.txt")}) {
        SCOPED_TRACE(path);
        const auto size = std::filesystem::file_size(path);
        alerts.clear();
        panelAnswer = {QString::fromStdString(path)};
        console->exportButtonPressed();
        log->writeLogToFileMenuItemClicked();
        ASSERT_EQ(alerts.size(), 2u);
        EXPECT_EQ(alerts[0].both(),
                  "Error|Could not open file [" + path + "], errno " + std::to_string(EBUSY));
        EXPECT_EQ(alerts[1].both(), std::string("Error|") + std::strerror(EBUSY));
        EXPECT_EQ(std::filesystem::file_size(path), size);
        EXPECT_EQ(probeLocks(shop), writer.locks());
    }
}
