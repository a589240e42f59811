// An import beside the window's own reads and another program's writes: while the user pages the
// grid and another program writes every 10 ms, the file stays whole and every line of the import
// is imported or counted as failed.
#include <QApplication>
#include <QTest>

#include <iostream>

#include "exchange/ImportConsole.h"
#include "tests/mainwindow/ControllerTest.h"
#include "tests/support/DirectQuery.h"
#include "tests/support/OtherProgram.h"

namespace {

// The number a log line of the run gives after its text, -1 when none says it.
int64_t loggedTotal(const ActivityLog& log, const std::string& text) {
    for (const auto& entry : log.entries()) {
        if (entry.message.starts_with(text)) return std::stoll(entry.message.substr(text.size()));
    }
    return -1;
}

}  // namespace

class ImportBesideOtherWritersTest : public ControllerTest,
                                     public ::testing::WithParamInterface<std::string> {};

TEST_P(ImportBesideOtherWritersTest, ThePagedGridAndAnotherWriterLeaveTheFileWholeAndLinesCounted) {
    run("pragma journal_mode = " + GetParam());
    makeRowsTable(200000);
    run("create table other (x)");
    std::string text;
    for (int i = 0; i < 300000; ++i) text += "line\t" + std::to_string(i) + "\n";
    writeFile(pathInDocuments("lines.txt"), text);
    TablesAndRowsController* controller = show("t");
    controller->selectConsole(TablesAndRowsState::ImportConsole);
    ImportConsole& console = partsOf(controller).import;
    console.addFilePaths({QString::fromStdString(pathInDocuments("lines.txt"))}, std::string("t"));

    OtherProgram writer({"write", db, "insert into other values (1)", "10"});
    ASSERT_EQ(writer.told(), "writing");
    console.importViewImportButtonPressed();
    ASSERT_TRUE(console.isImporting());
    // The user looks at the rows meanwhile: the rows console, a page down, the end, a reload.
    QWidget* window = app->databaseWindowForWindowIndex(0);
    const std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
        {Qt::Key_1, Qt::ControlModifier},
        {Qt::Key_PageDown, Qt::NoModifier},
        {Qt::Key_End, Qt::ControlModifier},
        {Qt::Key_R, Qt::ControlModifier}};
    for (size_t i = 0; console.isImporting(); ++i) {
        const auto& [key, modifiers] = keys[i % keys.size()];
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window, key, modifiers);
        QTest::qWait(2);
    }
    const std::string writes = writer.end();

    EXPECT_EQ(directQuery(db, "pragma integrity_check"), std::vector<std::string>{"ok"});
    const int64_t imported = loggedTotal(console.importLog(), "Total number of imported lines: ");
    const int64_t failed = loggedTotal(console.importLog(), "Total number of failed lines: ");
    EXPECT_EQ(imported + failed, 300000) << console.importLog().text();
    EXPECT_EQ(directQuery(db, "select count(*) from t"),
              std::vector<std::string>{std::to_string(200000 + imported)});
    std::cout << "The other program's writes done and failed: " << writes << "\n";
}

INSTANTIATE_TEST_SUITE_P(JournalModes, ImportBesideOtherWritersTest,
                         ::testing::Values("delete", "wal"));
