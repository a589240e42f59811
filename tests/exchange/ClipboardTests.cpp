// Copy, cut and paste through the offscreen clipboard between two database windows on two
// temporary files, tables from the clipboard, pasted tables and the clipboard window; results
// are read back through a connection of the test's own.
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <sqlite3.h>

#include <filesystem>

#include "Common/SQLQuote.h"
#include "exchange/AddTableSheet.h"
#include "exchange/ClipboardWindow.h"
#include "exchange/DragTablesPanel.h"
#include "exchange/GridCopy.h"
#include "exchange/GridPaste.h"
#include "exchange/PasteboardText.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Pasteboard.h"
#include "tests/mainwindow/GridTest.h"

namespace {

// The rows of a query, NULL as nullopt, read by a connection of the test's own.
std::vector<DBRow> query(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    std::vector<DBRow> rows;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            DBRow row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const auto* text = sqlite3_column_text(statement, i);
                row.push_back(text ? DBValue(reinterpret_cast<const char*>(text)) : DBValue());
            }
            rows.push_back(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

}  // namespace

class ClipboardTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        other = pathInDocuments("other.db");
        Pasteboard::clear();
    }
    void TearDown() override {
        Pasteboard::setRefusesWritesForTesting(false);
        GridPaste::suppressPasteUpdateAlert(false);
        ControllerTest::TearDown();
    }
    // The second window, on the other file.
    TablesAndRowsController* showOther(const std::string& table) {
        TablesAndRowsWindow* window =
            app->showDatabase(other, 1, false, std::nullopt, TablesAndRowsState::RowsConsole);
        window->resize(900, 500);
        window->show();
        QTest::qWait(kSettleWaitMs);
        TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(1);
        controller->selectTableWithName(table);
        return controller;
    }
    void selectRows(TablesAndRowsController* c, int64_t first, int64_t last) {
        rowsOf(c)->selection().includeRowIndexes(RowIndex(first), RowIndex(last));
    }
    std::optional<GridCopy::Copied> copy(TablesAndRowsController* c, bool forExport = false) {
        return GridCopy(*c, *rowsOf(c)).copyRowsToPasteboard(forExport);
    }
    nlohmann::json record(const char* type = kAddRowsFromDatabaseDataType) {
        return Pasteboard::record(type).value_or(nlohmann::json());
    }
    void focus(TablesAndRowsController* c, int64_t row, int64_t field) {
        c->state().selection.focusedRowIndex = RowIndex(row);
        c->state().selection.focusedFieldIndex = FieldIndex(field);
    }

    std::string other;
};

TEST_F(ClipboardTest, WholeRowsAreCopiedAsRecordAndTextAndTheLimitIsTold) {
    run("create table t (a, b); insert into t values (1, 'x'), (2, NULL); create table big (n); "
        "insert into big select value from generate_series(1, 1500); create view lv as select n "
        "from big");
    TablesAndRowsController* c = show("t");
    selectRows(c, 0, 1);
    ASSERT_TRUE(copy(c).has_value());
    EXPECT_EQ(Pasteboard::string(), "1\tx\n2\tNULL");
    nlohmann::json copied = record();
    EXPECT_EQ(copied["internal_lines"], "1<F||F>x<L||L>2<F||F>NULL");
    EXPECT_EQ(copied["field_names"], nlohmann::json({"a", "b"}));
    EXPECT_EQ(copied["rows"], nlohmann::json::parse(R"([["1","x"],["2",null]])"));
    EXPECT_EQ(copied["database"], db);

    // Copy for export with commas: every string quoted, NULL bare.
    UserDefaults::standard().setInteger(1, "ExportDelimiter");
    ASSERT_TRUE(copy(c, true).has_value());
    EXPECT_EQ(Pasteboard::string(), "\"1\",\"x\"\n\"2\",NULL");
    EXPECT_TRUE(alerts.empty());

    // 1500 rows selected: the first 1000 are copied and the user is told.
    c->selectTableWithName("big");
    selectRows(c, 0, 1499);
    ASSERT_TRUE(copy(c).has_value());
    EXPECT_EQ(record()["rows"].size(), 1000u);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Maximum limit reached");

    // A view shows its first rows from a cache: every selected run of rows is copied from it.
    c->selectTableWithName("lv");
    ASSERT_EQ(c->state().selectedObject.selectedObjectStatus, DBInterface::kObjectLimited);
    selectRows(c, 0, 1);
    selectRows(c, 5, 6);
    ASSERT_TRUE(copy(c).has_value());
    EXPECT_EQ(Pasteboard::string(), "1\n2\n6\n7");
}

TEST_F(ClipboardTest, CopyKeysActOnTheGridUnlessTheTablesListHasTheFocus) {
    run("create table t (a, b); insert into t values (1, 'x'), (2, 'y')");
    TablesAndRowsController* c = show("t");
    makeKeyAndOrderFront(app->databaseWindowForWindowIndex(0));
    RowsTableView* grid = rowsOf(c)->rowsTableView();
    grid->setFocus();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 2)).center());
    // The keys go where the keyboard is, as the user types them.
    auto press = [](int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
        QApplication::processEvents();
    };
    QApplication::clipboard()->setText("kept");
    // The tables list means the list: the clipboard stays as it was.
    c->tablesTableView()->setFocus();
    press(Qt::Key_C, Qt::ControlModifier);
    press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    // Another control of the rows console leaves the grid's selection to copy.
    auto* rowCount = c->view()->findChild<QPushButton*>("rowsViewNumberOfRowsButton");
    rowCount->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), rowCount);
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "y");
    // Copy for Export asks for the grid itself to have the keyboard, as Edit Field in Panel does.
    QApplication::clipboard()->setText("kept");
    press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    grid->setFocus();
    press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "y");
    // Another console refuses, and leaves the clipboard alone.
    QApplication::clipboard()->setText("kept");
    c->selectConsole(TablesAndRowsState::RecordConsole);
    QApplication::processEvents();
    press(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    // A cut the user cancels leaves it alone too.
    c->selectConsole(TablesAndRowsState::RowsConsole);
    grid->setFocus();
    alertAnswer = 1;
    press(Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(alerts.back().messageText, "Cut the selected fields?");
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
}

TEST_F(ClipboardTest, RowsRoundTripIntoAnotherWindowWithSeparatorsQuotesLineEndsAndNull) {
    const std::string values = "('a,b', 'tab\there'), ('line\nfeed', 'say \"hi\"'), (NULL, '')";
    run("create table t (p, q); insert into t values " + values);
    run("create table t (p, q)", other);
    for (int delimiter : {0, 1}) {
        UserDefaults::standard().setInteger(delimiter, "ExportDelimiter");
        TablesAndRowsController* source = show("t");
        selectRows(source, 0, 2);
        ASSERT_TRUE(copy(source).has_value());

        // The text alone reads back as the same values with the separator it was written with.
        PasteboardTextFormat format = pasteboardTextFormat();
        TextGrid grid;
        size_t minimum = SIZE_MAX, maximum = 0;
        makeNewArray(&grid, &minimum, &maximum, {*Pasteboard::string()}, format.separator);
        ASSERT_EQ(grid.size(), 3u) << delimiter;
        EXPECT_EQ(grid[0], (std::vector<std::string>{"a,b", "tab\there"}));
        EXPECT_EQ(grid[1], (std::vector<std::string>{"line\nfeed", "say \"hi\""}));

        TablesAndRowsController* target = showOther("t");
        alertAnswer = 0;
        GridPaste(*target, *rowsOf(target)).pasteByAddingRowsFromPasteboard();
    }
    std::vector<DBRow> expected = query(db, "select p, q from t order by rowid");
    std::vector<DBRow> pasted = query(other, "select p, q from t order by rowid");
    ASSERT_EQ(pasted.size(), 6u);
    EXPECT_EQ(std::vector<DBRow>(pasted.begin(), pasted.begin() + 3), expected);
    EXPECT_EQ(std::vector<DBRow>(pasted.begin() + 3, pasted.end()), expected);
    EXPECT_FALSE(pasted[2][0].has_value());

    // Pasted over cells of the other window, NULL stays NULL too.
    run("update t set p = 'old', q = 'old'", other);
    TablesAndRowsController* target = showOther("t");
    focus(target, 0, 1);
    GridPaste(*target, *rowsOf(target)).pasteFromClipboardToSelectedCell(true);
    pasted = query(other, "select p, q from t order by rowid limit 3");
    EXPECT_EQ(pasted, expected);
}

// Copy and paste with the keys, another program in between keeping only the plain text.
class PlainTextPasteTest : public GridTest {};

TEST_F(PlainTextPasteTest, RowsCopiedAsTabTextPasteBackAsTheSameRows) {
    run("create table t (p, q); insert into t values ('tab\there', 'line\nfeed'), "
        "('say \"hi\"', '\"quoted\" start'), ('5''10\"', 'crlf\r\nend'), ('plain', '')");
    const std::string other = pathInDocuments("other.db");
    run("create table t (p, q)", other);
    showGrid("t");
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    const QString text = QGuiApplication::clipboard()->text();
    ASSERT_FALSE(text.isEmpty());
    QGuiApplication::clipboard()->setText(text);
    ASSERT_FALSE(Pasteboard::dataType().has_value());

    app->showDatabase(other, 1, false, std::nullopt, TablesAndRowsState::RowsConsole)->show();
    QTest::qWait(kSettleWaitMs);
    TablesAndRowsController* target = app->tablesAndRowsControllerForWindowIndex(1);
    target->selectTableWithName("t");
    QWidget* window = app->databaseWindowForWindowIndex(1);
    makeKeyAndOrderFront(window);
    QApplication::processEvents();
    alertAnswer = 0;
    QTest::keyClick(window, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    QApplication::processEvents();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Number of rows to add: 4");
    EXPECT_EQ(query(other, "select p, q from t order by rowid"),
              query(db, "select p, q from t order by rowid"));
}

TEST_F(ClipboardTest, CutClearsOnlyTheCopiedCellsAndNothingWhenTheCopyFailed) {
    makeRowsTable(1500);
    TablesAndRowsController* c = show("t");
    QWidget* grid = rowsOf(c)->rowsTableView();
    grid->activateWindow();
    grid->setFocus();
    QApplication::processEvents();
    c->state().selection.mySelectedFieldIndexes.insert(FieldIndex(1));
    alertAnswer = 0;

    Pasteboard::setRefusesWritesForTesting(true);
    GridCopy(*c, *rowsOf(c)).rowsTableViewCut();
    EXPECT_EQ(query(db, "select count(*) from t where name = ''")[0][0], "0");

    Pasteboard::setRefusesWritesForTesting(false);
    c->state().selection.mySelectedFieldIndexes.insert(FieldIndex(1));
    GridCopy(*c, *rowsOf(c)).rowsTableViewCut();
    EXPECT_EQ(record(kAddFieldsFromDatabaseDataType)["rows"].size(), 1000u);
    // Only the 1000 rows on the pasteboard are cleared, not the whole field.
    EXPECT_EQ(query(db, "select count(*) from t where name = ''")[0][0], "1000");
    EXPECT_EQ(query(db, "select count(*) from t where amount is null")[0][0], "150");
}

TEST_F(ClipboardTest, PasteOverCellsMarksAndWritesOnlyLoadedCellsOfTheTable) {
    run("create table t (a, b, c); insert into t select 'a' || value, 'b' || value, 'c' || "
        "value from generate_series(1, 200)");
    UserDefaults::standard().setInteger(1, "LastImportFileTypeTag");
    TablesAndRowsController* c = show("t");
    auto putText = [](const std::string& text) {
        Pasteboard::clear();
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    };

    // A 3 x 2 block with the focus on the last field: only the first value of each row goes in.
    putText("x1\tx2\tx3\ny1\ty2\ty3");
    focus(c, 0, 3);
    size_t marked = 0;
    Alert::setTestResponder([&](const Alert& alert, QWidget*) {
        alerts.push_back({alert.messageText.toStdString(), alert.informativeText.toStdString()});
        for (const auto& [row, fields] : c->state().selection.pasteDestinationCells) {
            marked += fields.size();
        }
        return 0;
    });
    GridPaste(*c, *rowsOf(c)).rowsTableViewPaste();
    EXPECT_EQ(marked, 2u);
    EXPECT_EQ(alerts.back().messageText, "Number of rows to update: 2");
    EXPECT_TRUE(c->state().selection.pasteDestinationCells.empty());
    EXPECT_EQ(query(db, "select a, b, c from t where rowid <= 2"),
              (std::vector<DBRow>{{"a1", "b1", "x1"}, {"a2", "b2", "y1"}}));

    // Five rows from two rows above the page's end: two are written and counted.
    const int64_t loaded = c->state().dataPort.numberOfLoadedRows();
    ASSERT_GT(loaded, 3);
    putText("1\n2\n3\n4\n5");
    focus(c, loaded - 2, 1);
    marked = 0;
    GridPaste(*c, *rowsOf(c)).rowsTableViewPaste();
    EXPECT_EQ(marked, 2u);
    EXPECT_EQ(alerts.back().messageText, "Number of rows to update: 2");
    EXPECT_EQ(query(db, "select count(*) from t where a in ('1', '2', '3', '4', '5')")[0][0], "2");

    // Cancel with the suppression box on: nothing now, and the next paste writes unasked.
    Alert::setTestResponder([&](const Alert& alert, QWidget*) {
        alerts.push_back({alert.messageText.toStdString(), alert.informativeText.toStdString()});
        if (alert.suppressionButton) *alert.suppressionButton = true;
        return 1;
    });
    putText("z");
    focus(c, 0, 1);
    GridPaste(*c, *rowsOf(c)).rowsTableViewPaste();
    const size_t asked = alerts.size();
    EXPECT_EQ(query(db, "select a from t where rowid = 1")[0][0], "a1");
    GridPaste(*c, *rowsOf(c)).rowsTableViewPaste();
    EXPECT_EQ(alerts.size(), asked);
    EXPECT_EQ(query(db, "select a from t where rowid = 1")[0][0], "z");

    // A new INTEGER PRIMARY KEY moves the row; the values after it go to the moved row.
    run("create table k (id integer primary key, name text); insert into k values (3, 'c')");
    c = show("k");
    putText("7\tseven");
    focus(c, 0, 1);
    GridPaste(*c, *rowsOf(c)).rowsTableViewPaste();
    EXPECT_EQ(query(db, "select id, name from k"), (std::vector<DBRow>{{"7", "seven"}}));
}

TEST_F(ClipboardTest, APasteThatStopsNamesTheRowsWrittenAndThoseNot) {
    // Three rows pasted from row 1501, the middle one deleted or refusing its second value.
    struct Case {
        const char* table;
        const char* elsewhere;
        const char* told;
        std::vector<DBRow> after;
    };
    const Case cases[] = {
        {"gone",
         "delete from gone where rowid = 1502",
         "Rows written: 1501.\nRows not written: 1502 to 1503.",
         {{"x1", "y1"}, {"a1503", "b1503"}}},
        {"refused",
         "create trigger refuse before update of b on refused when old.rowid = 1502 begin "
         "select raise(abort, 'refused'); end",
         "Rows written: 1501.\nRow partly written: 1502.\nRows not written: 1503.",
         {{"x1", "y1"}, {"x2", "b1502"}, {"a1503", "b1503"}}},
    };
    GridPaste::suppressPasteUpdateAlert(true);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.table);
        const std::string table = test.table;
        run("create table " + table + " (a, b); insert into " + table +
            " select 'a' || value, 'b' || value from generate_series(1, 3000)");
        TablesAndRowsController* c = show(table);
        rowsOf(c)->navigator().selectStartRowIndex(RowIndex(1500), FieldIndex(1), true);
        run(test.elsewhere);
        Pasteboard::clear();
        QGuiApplication::clipboard()->setText("x1\ty1\nx2\ty2\nx3\ty3");
        alerts.clear();
        GridPaste(*c, *rowsOf(c)).rowsTableViewPaste();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].messageText, "Error");
        EXPECT_TRUE(alerts[0].informativeText.ends_with(std::string("\n\n") + test.told))
            << alerts[0].informativeText;
        EXPECT_EQ(query(db, "select a, b from " + table + " where rowid between 1501 and 1503"),
                  test.after);
        // Nothing went to any other row.
        EXPECT_EQ(query(db, "select count(*) from " + table + " where a || b like '%x%'")[0][0],
                  test.table == std::string("gone") ? "1" : "2");
    }
}

TEST_F(ClipboardTest, TablesPasteUnderFreeNamesWithMetaRowsIndexesAndRows) {
    run("create table t (a, b); insert into t values (1, 2)");
    std::string error;
    run("create table keep (x)", other);
    ASSERT_EQ(DBInterface::createTable("t", 4, {"a", "b"}, {3, 1}, nullptr, nullptr, other, &error),
              0)
        << error;
    run("insert into t values ('x', 'y'), ('z', 'w'); create index byA on t (a); "
        "create view v as select a from t",
        other);
    run("create view w as select b from t", other);
    // The list shows tables only: the view v here is stepped around unseen.
    run("create index byA on t (a); create view v as select 1");
    UserDefaults::standard().setInteger(1, "SchemaObjectTypesToShow");
    TablesAndRowsController* c = show("t");
    DragTablesPanel* panel = &partsOf(c).dragTables;
    ASSERT_TRUE(DragTablesPanel::writeTablesToPasteboard(other, {"v", "t", "w"}, 1));
    ASSERT_NE(panel->promptWithPasteboard(), nullptr);
    EXPECT_EQ(panel->statusLabel()->text().toStdString(),
              "The Clipboard has the tables \"v\",\"t\",\"w\" from");
    // Cancel writes nothing.
    panel->dragTablesPanelCancelButtonPressed();
    EXPECT_EQ(query(db, "select count(*) from sqlite_master where name = 't_2'")[0][0], "0");

    panel->promptWithPasteboard();
    panel->includeIndexesButton()->setChecked(true);
    panel->copyRowsButton()->setChecked(true);
    panel->dragTablesPanelPasteTablesButtonPressed();
    EXPECT_EQ(query(db, "select a, b from t_2 order by rowid"),
              (std::vector<DBRow>{{"x", "y"}, {"z", "w"}}));
    EXPECT_EQ(query(db,
                    "select type from varnelo_db_fields where table_name = 't_2' order by "
                    "number"),
              (std::vector<DBRow>{{"3"}, {"1"}}));
    EXPECT_EQ(query(db, "select flags from varnelo_db_tables where name = 't_2'"),
              (std::vector<DBRow>{{"4"}}));
    EXPECT_EQ(query(db,
                    "select name from sqlite_master where type = 'index' and tbl_name = "
                    "'t_2'"),
              (std::vector<DBRow>{{"byA_2"}}));
    // The views are made, rows and indexes never asked of them.
    EXPECT_EQ(query(db, "select type from sqlite_master where tbl_name in ('w', 'v_2')"),
              (std::vector<DBRow>{{"view"}, {"view"}}));
    EXPECT_TRUE(alerts.empty()) << alerts[0].both();
}

TEST_F(ClipboardTest, ATableFromTheClipboardTakesEveryRowAndBlankTablesKeepTheirLimits) {
    run("create table MyTable (x); create table big (n); insert into big select value from "
        "generate_series(1, 1000)");
    TablesAndRowsController* c = show("MyTable");
    AddTableSheet* sheet = &partsOf(c).addTable;
    ASSERT_NE(sheet->addBlankTable(), nullptr);
    EXPECT_EQ(sheet->tableNameTextField()->text(), "MyTable_2");
    sheet->numberOfFieldsTextField()->setText("0");
    EXPECT_EQ(sheet->addBlankTableNow(), "# fields must be > 0");
    sheet->numberOfFieldsTextField()->setText("101");
    EXPECT_EQ(sheet->addBlankTableNow(), "# fields must be <= 100");
    sheet->numberOfFieldsTextField()->setText("100");
    for (const char* tooMany : {"1001", "99999999999999999999", "+99999999999999999999"}) {
        sheet->numberOfRowsTextField()->setText(tooMany);
        EXPECT_EQ(sheet->addBlankTableNow(), "# rows must be <= 1000") << tooMany;
    }
    sheet->numberOfRowsTextField()->setText("-99999999999999999999");
    EXPECT_EQ(sheet->addBlankTableNow(), "# rows must be > 0");
    sheet->numberOfRowsTextField()->setText("1000");
    EXPECT_EQ(sheet->addBlankTableNow(), std::nullopt);
    EXPECT_EQ(query(db, "select count(*) from MyTable_2")[0][0], "1000");

    // 5 fields x 3 rows of text.
    UserDefaults::standard().setInteger(1, "LastImportFileTypeTag");
    QGuiApplication::clipboard()->setText("1\t2\t3\n1\t2\t3\t4\t5\n1\t2\t3\t4");
    ASSERT_NE(sheet->addTableFromClipboard(), nullptr);
    EXPECT_EQ(sheet->numberOfFieldsTextField()->text(), "5");
    EXPECT_EQ(sheet->numberOfRowsTextField()->text(), "3");
    sheet->tableNameTextField()->setText("fromText");
    EXPECT_EQ(sheet->addBlankTableNow(), std::nullopt);
    EXPECT_EQ(query(db, "select count(*), max(\"Field 5\") from fromText")[0], (DBRow{"3", "5"}));

    // 1000 copied rows, far more than a grid page, all arrive.
    c->selectTableWithName("big");
    selectRows(c, 0, 999);
    copy(c);
    ASSERT_NE(sheet->addTableFromClipboard(), nullptr);
    sheet->tableNameTextField()->setText("fromRows");
    EXPECT_EQ(sheet->addBlankTableNow(), std::nullopt);
    EXPECT_EQ(query(db, "select count(*), sum(\"Field 1\") from fromRows")[0],
              (DBRow{"1000", "500500"}));
    EXPECT_EQ(alerts.back().informativeText, "Rows added: 1000");
}

TEST_F(ClipboardTest, NamesWithQuotingCharactersAreTheNamesTheTablesAreMadeUnder) {
    run("create table t (a)");
    TablesAndRowsController* c = show("t");
    AddTableSheet* sheet = &partsOf(c).addTable;
    ASSERT_NE(sheet->addBlankTable(), nullptr);
    sheet->numberOfFieldsTextField()->setText("2");
    sheet->numberOfRowsTextField()->setText("3");
    for (const auto& [typed, made] :
         {std::pair<QString, std::string>{"q\"1", "q_1"}, {"order \"x\" [y]", "order _x_ _y_"}}) {
        sheet->tableNameTextField()->setText(typed);
        EXPECT_EQ(sheet->addBlankTableNow(), std::nullopt) << made;
        EXPECT_EQ(query(db, "select count(*) from " + quoteIdentifier(made)),
                  (std::vector<DBRow>{{"3"}}));
        EXPECT_EQ(query(db, "select group_concat(name) from pragma_table_info(" +
                                quoteLiteral(made) + ")"),
                  (std::vector<DBRow>{{"Field 1,Field 2"}}));
        EXPECT_EQ(c->selectedTableNameIfOnlyOne(), made);
        EXPECT_EQ(
            query(db, "select count(*) from varnelo_db_tables where name = " + quoteLiteral(made)),
            (std::vector<DBRow>{{"1"}}));
    }
    const auto& listed = c->state().selectedObject.tableNames;
    EXPECT_NE(std::find(listed.begin(), listed.end(), "q_1"), listed.end());
    // The name it would be made under is taken.
    ASSERT_NE(sheet->addBlankTable(), nullptr);
    sheet->tableNameTextField()->setText("q[1");
    EXPECT_EQ(sheet->addBlankTableNow(), "Table already exists");
    EXPECT_EQ(query(db, "select count(*) from varnelo_db_tables where name = 'q_1'"),
              (std::vector<DBRow>{{"1"}}));

    // The clipboard's rows go into the table made.
    UserDefaults::standard().setInteger(1, "LastImportFileTypeTag");
    QGuiApplication::clipboard()->setText("1\t2\n3\t4");
    ASSERT_NE(sheet->addTableFromClipboard(), nullptr);
    sheet->tableNameTextField()->setText("`pasted`");
    EXPECT_EQ(sheet->addBlankTableNow(), std::nullopt);
    EXPECT_EQ(query(db, "select \"Field 1\", \"Field 2\" from _pasted_ order by rowid"),
              (std::vector<DBRow>{{"1", "2"}, {"3", "4"}}));
    EXPECT_EQ(alerts.back().informativeText, "Rows added: 2");
}

TEST_F(ClipboardTest, ATableAddedToAWindowWhoseFileIsGoneMakesNoNewDatabase) {
    run("create table t (a)");
    TablesAndRowsController* c = show("t");
    AddTableSheet* sheet = &partsOf(c).addTable;
    QDialog* dialog = sheet->addBlankTable();
    ASSERT_NE(dialog, nullptr);
    std::filesystem::remove(db);
    QPushButton* add = nullptr;
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == "Add") add = button;
    }
    ASSERT_NE(add, nullptr);
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(dialog->findChild<QLabel*>("addBlankTableWindowStatusLabel")->text().toStdString(),
              "The database file " + db +
                  " no longer exists. It may have been moved or deleted by another program.");
    EXPECT_FALSE(std::filesystem::exists(db));
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ClipboardTest, ClipboardWindowSplitsTheWholeTextAndTransposesWhatReadsBackTheSame) {
    UserDefaults::standard().setInteger(2, "LastImportFileTypeTag");
    QGuiApplication::clipboard()->setText("a,b\r\nc,d");
    ClipboardWindow window;
    window.updateClipboardTableViewColumns();
    EXPECT_EQ(window.clipboardContentsArray(), (TextGrid{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(window.clipboardTableView()->columnCount(), 3);

    // Under "|" a CSV line is one field; a quoted comma does not split under CSV.
    UserDefaults::standard().setString(";", "CSVSeparatorString");
    TextGrid grid;
    size_t minimum = SIZE_MAX, maximum = 0;
    makeNewArray(&grid, &minimum, &maximum, {"x|y", "\"p;q\";r"}, fieldSeparatorForFileTypeTag(2));
    EXPECT_EQ(grid, (TextGrid{{"x|y"}, {"p;q", "r"}}));
    UserDefaults::standard().setString("", "CSVSeparatorString");

    // Rows copied with commas, one value holding a comma, transposed and read again.
    UserDefaults::standard().setInteger(0, "LastImportFileTypeTag");
    UserDefaults::standard().setInteger(1, "ExportDelimiter");
    run("create table t (a, b, c); insert into t values ('1,5', 2, 3), (4, 5, NULL)");
    TablesAndRowsController* c = show("t");
    selectRows(c, 0, 1);
    copy(c);
    window.updateClipboardTableViewColumns();
    window.clipboardContentsTransposeButtonPressed();
    TextGrid expected{{"1,5", "4"}, {"2", "5"}, {"3", "NULL"}};
    EXPECT_EQ(window.clipboardContentsArray(), expected);
    window.updateClipboardTableViewColumns();
    EXPECT_EQ(window.clipboardContentsArray(), expected);
    PastedRows pasted = pasteboardRows();
    ASSERT_EQ(pasted.rows.size(), 3u);
    EXPECT_FALSE(pasted.rows[2][1].has_value());

    // 101 rows would make 101 columns: refused, nothing changes.
    std::string lines = "0";
    for (int i = 1; i <= 100; ++i) lines += "\n" + std::to_string(i);
    QGuiApplication::clipboard()->setText(QString::fromStdString(lines));
    window.updateClipboardTableViewColumns();
    window.clipboardContentsTransposeButtonPressed();
    EXPECT_EQ(window.clipboardContentsArray().size(), 101u);
    EXPECT_EQ(alerts.back().informativeText, "Transpose is limited to 100 columns");
}
