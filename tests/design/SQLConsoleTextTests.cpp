// Texts the SQL console writes: templates, the Create View statement, dropped files and the
// functions list.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <filesystem>

#include "design/CreateViewWizard.h"
#include "design/FunctionsPanel.h"
#include "design/SQLTemplates.h"
#include "tests/design/SQLConsoleTest.h"
#include "tests/support/DropEvents.h"
#include "tests/support/HeldWriteTransaction.h"

TEST_F(SQLConsoleTest, TemplateTextsAreExact) {
    run("create table \"my \"\"t\" (a, b, c)");
    SQLConsole* console = showConsole("my \"t");
    auto shown = [&](int tag) {
        console->templatesButtonPressed(tag);
        return console->queryTextView()->toPlainText().toStdString();
    };
    EXPECT_EQ(shown(0), "SELECT *\nFROM \"my \"\"t\"\nWHERE \"a\"='SomeValue'");
    EXPECT_EQ(shown(1), "INSERT INTO \"my \"\"t\"\nVALUES ('1', '2', '3')");
    EXPECT_EQ(shown(2), "UPDATE \"my \"\"t\"\nSET \"a\"='DesiredValue'\nWHERE \"a\"='SomeValue'");
    EXPECT_EQ(shown(3), "DELETE FROM \"my \"\"t\"\nWHERE \"a\"='SomeValue'");
    EXPECT_EQ(
        shown(4),
        "CREATE VIEW \"my \"\"t View\"\nAS SELECT \"a\", \"b\", \"c\", ROWID FROM \"my \"\"t\"");
    EXPECT_EQ(shown(5), "CREATE TABLE \"MyTable\" (\n\"Field1\",\n\"Field2\"\n)");
    // A template is one undoable edit.
    console->queryTextView()->undo();
    EXPECT_EQ(
        console->queryTextView()->toPlainText().toStdString(),
        "CREATE VIEW \"my \"\"t View\"\nAS SELECT \"a\", \"b\", \"c\", ROWID FROM \"my \"\"t\"");

    EXPECT_EQ(sqlTemplateText(SQLTemplate::Select, std::nullopt),
              "SELECT *\nFROM \"MyTable\"\nWHERE \"Field1\"='SomeValue'");
    EXPECT_EQ(sqlTemplateText(SQLTemplate::Insert, std::nullopt),
              "INSERT INTO \"MyTable\"\nVALUES ('SomeValue')");
    EXPECT_EQ(sqlTemplateText(SQLTemplate::CreateView, std::nullopt),
              "CREATE VIEW \"MyView\"\nAS SELECT *, ROWID FROM \"MyTable\"");
    // Field types missing for some fields: the field list is left out.
    EXPECT_EQ(sqlTemplateText(SQLTemplate::CreateView, SQLTemplateTable{"v", {"a", "b"}, 1}),
              "CREATE VIEW \"v View\"\nAS SELECT ");
    EXPECT_EQ(sqlTemplateText(SQLTemplate::Select, SQLTemplateTable{"e", {}, 0}),
              "SELECT *\nFROM \"e\"\nWHERE \"Field 1\"='SomeValue'");
}

TEST_F(SQLConsoleTest, CreateViewFieldLinesMoveWhereDroppedWithTheirNamesAndMarks) {
    run("create table T (a, b, c, d)");
    SQLConsole* console = showConsole("T");
    console->createViewMenuItemPressed();
    CreateViewWizard* wizard = console->createViewWizard();
    QTableWidget* list = wizard->fieldsTableView();
    wizard->renameFieldAtRow(1, "x");
    wizard->checkBoxPressedInCreateViewWindow(2);
    using Names = std::vector<std::string>;
    // One line down, dropped over the upper part of a line, lands above that line.
    EXPECT_TRUE(dropRows(list, kCreateViewTableViewDataType, {1}, 3, true));
    EXPECT_EQ(wizard->fields().fieldNames, (Names{"a", "c", "b", "d", "ROWID"}));
    EXPECT_TRUE(dropRows(list, kCreateViewTableViewDataType, {1, 3}, 0));
    EXPECT_EQ(wizard->fields().fieldNames, (Names{"c", "d", "a", "b", "ROWID"}));
    EXPECT_EQ(wizard->fields().viewFieldNames, (Names{"", "", "", "x", ""}));
    EXPECT_EQ(wizard->fields().checked, (std::vector<bool>{false, true, true, true, true}));
    EXPECT_EQ(list->item(3, 0)->text().toStdString(), "b AS x");
    wizard->createViewWindowCreateButtonPressed();
    EXPECT_EQ(wizard->sqlReadOnlyLabel()->toPlainText().toStdString(),
              "CREATE VIEW \"T View\" AS\nSELECT \"d\", \"a\", \"b\" AS \"x\", \"ROWID\" AS "
              "\"ROWID\"\nFROM "
              "\"T\"");
}

TEST_F(SQLConsoleTest, CreateViewFromATableRenamesMarksAndCleansTheName) {
    run("create table T (a, b); insert into T values (1, 2), (3, 4)");
    SQLConsole* console = showConsole("T");
    console->createViewMenuItemPressed();
    CreateViewWizard* wizard = console->createViewWizard();
    ASSERT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->fields().fieldNames, (std::vector<std::string>{"a", "b", "ROWID"}));
    wizard->renameFieldAtRow(1, "x");
    wizard->createViewWindowCreateButtonPressed();
    ASSERT_TRUE(wizard->isOnSecondPage());
    EXPECT_EQ(
        wizard->sqlReadOnlyLabel()->toPlainText().toStdString(),
        "CREATE VIEW \"T View\" AS\nSELECT \"a\", \"b\" AS \"x\", \"ROWID\" AS \"ROWID\"\nFROM "
        "\"T\"");

    wizard->createViewWindowPreviousButtonPressed();
    wizard->viewNameField()->setText(" [my view]\n");
    wizard->checkBoxPressedInCreateViewWindow(2);  // no ROWID
    wizard->createViewWindowCreateButtonPressed();
    EXPECT_EQ(wizard->sqlReadOnlyLabel()->toPlainText().toStdString(),
              "CREATE VIEW \"_my view_\" AS\nSELECT \"a\", \"b\" AS \"x\"\nFROM \"T\"");
    wizard->sqlLabel()->setPlainText(" WHERE a > 1");
    wizard->sortedOnUniqueKeyButton()->setChecked(true);
    wizard->createViewWindowCreateButtonPressed();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(directQuery(db, "select * from \"_my view_\""), (std::vector<std::string>{"3", "4"}));
    EXPECT_EQ(directQuery(db,
                          "select name, number from varnelo_db_fields where "
                          "table_name = '_my view_' order by number"),
              (std::vector<std::string>{"a", "1", "b", "2"}));
    EXPECT_EQ(directQuery(db,
                          "select flags & 4 from varnelo_db_tables where "
                          "name = '_my view_'"),
              std::vector<std::string>{"4"});
    EXPECT_TRUE(tablesListed(0).contains("_my view_"));
    EXPECT_EQ(app->tablesAndRowsControllerForWindowIndex(0)->selectedTableNameIfOnlyOne(), "T");

    // Page 1 refuses an empty name and an empty selection.
    console->createViewMenuItemPressed();
    wizard->checkRowsInCreateViewWindow(false);
    wizard->createViewWindowCreateButtonPressed();
    wizard->viewNameField()->setText(" ");
    wizard->createViewWindowCreateButtonPressed();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].messageText, "No fields checked");
    EXPECT_EQ(alerts[1].messageText, "View name is required");
    EXPECT_FALSE(wizard->isOnSecondPage());
}

TEST_F(SQLConsoleTest, CreateViewRenamePromptIsAnsweredLikeAUserDoes) {
    run("create table T (a, b); insert into T values (1, 2)");
    SQLConsole* console = showConsole("T");
    console->createViewMenuItemPressed();
    CreateViewWizard* wizard = console->createViewWizard();
    QTableWidget* list = wizard->fieldsTableView();
    auto doubleClickRow = [&](int row) {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    };
    QDialog* prompt = wizard->promptWindow();
    auto* field = prompt->findChild<QLineEdit*>("promptWindowTextField");
    auto* done = prompt->findChild<QPushButton*>("promptWindowDoneButton");
    doubleClickRow(1);
    ASSERT_TRUE(prompt->isVisible());
    EXPECT_EQ(done->text(), "Rename");
    EXPECT_EQ(prompt->findChild<QLabel*>("promptWindowLabel")->text(), "Rename Field");
    EXPECT_EQ(field->text(), "b");
    field->selectAll();
    QTest::keyClicks(field, "x");
    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_FALSE(prompt->isVisible());
    EXPECT_EQ(list->item(1, 0)->text().toStdString(), "b AS x");
    // Cancel keeps the name; an emptied field removes it.
    doubleClickRow(1);
    QTest::keyClicks(field, "y");
    QTest::mouseClick(prompt->findChild<QPushButton*>("promptWindowCancelButton"), Qt::LeftButton);
    EXPECT_EQ(wizard->fields().viewFieldNames[1], "x");
    doubleClickRow(0);
    field->clear();
    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_EQ(wizard->fields().viewFieldNames, (std::vector<std::string>{"", "x", ""}));
    // A line dragged with the mouse takes its new name along.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    list->clearSelection();
    mouseDragRow(list, 1, 0);
    EXPECT_EQ(wizard->fields().fieldNames, (std::vector<std::string>{"b", "a", "ROWID"}));
    EXPECT_EQ(wizard->fields().viewFieldNames, (std::vector<std::string>{"x", "", ""}));

    wizard->createViewWindowCreateButtonPressed();
    for (QPlainTextEdit* text : {wizard->sqlReadOnlyLabel(), wizard->sqlLabel()}) {
        EXPECT_EQ(text->font().pointSize(), 14);
        EXPECT_EQ(text->font().weight(), QFont::Normal);
    }
}

TEST_F(SQLConsoleTest, AViewOfATableWithAnIntegerKeyNamesItsRowidColumnROWID) {
    run("create table T (pid integer primary key, name); insert into T values (5, 'e')");
    SQLConsole* console = showConsole("T");
    console->createViewMenuItemPressed();
    CreateViewWizard* wizard = console->createViewWizard();
    wizard->createViewWindowCreateButtonPressed();
    wizard->createViewWindowCreateButtonPressed();
    ASSERT_FALSE(wizard->isVisible());
    EXPECT_EQ(directQuery(db, "select name from pragma_table_info('T View')"),
              (std::vector<std::string>{"pid", "name", "ROWID"}));
    EXPECT_EQ(directQuery(db, "select \"ROWID\", pid from \"T View\""),
              (std::vector<std::string>{"5", "5"}));
    // Every field description names a column of the view.
    EXPECT_EQ(directQuery(db,
                          "select count(*) from varnelo_db_fields where table_name = 'T View' "
                          "and name not in (select name from pragma_table_info('T View'))"),
              std::vector<std::string>{"0"});
}

TEST_F(SQLConsoleTest, CreateViewOffersROWIDOnlyWhereTheTableHasOneToRead) {
    // Without a rowid, or with a column in its place, "ROWID" would be read as a text or as
    // that column: the view would show the word, or the column again, in every row.
    run("create table W (k text primary key, v) without rowid; insert into W values ('a', 1);"
        "create table H (rowid text, v); insert into H values ('h', 2);"
        "create table K (rowid integer primary key, v); insert into K values (7, 3)");
    using Names = std::vector<std::string>;
    const struct {
        const char* table;
        Names fields;
    } cases[] = {{"W", {"k", "v"}}, {"H", {"rowid", "v"}}, {"K", {"rowid", "v", "ROWID"}}};
    for (const auto& c : cases) {
        SQLConsole* console = showConsole(c.table);
        console->createViewMenuItemPressed();
        CreateViewWizard* wizard = console->createViewWizard();
        ASSERT_TRUE(wizard->isVisible()) << c.table;
        EXPECT_EQ(wizard->fields().fieldNames, c.fields) << c.table;
        wizard->createViewWindowCreateButtonPressed();
        wizard->createViewWindowCreateButtonPressed();
        EXPECT_FALSE(wizard->isVisible()) << c.table;
    }
    EXPECT_TRUE(alerts.empty()) << alerts.back().messageText;
    EXPECT_EQ(directQuery(db, "select * from \"W View\""), (Names{"a", "1"}));
    EXPECT_EQ(directQuery(db, "select * from \"H View\""), (Names{"h", "2"}));
    EXPECT_EQ(directQuery(db, "select * from \"K View\""), (Names{"7", "3", "7"}));
}

TEST_F(SQLConsoleTest, CreateViewFromTheLastResultUsesItsQuery) {
    run("create table T (a, b); insert into T values (1, 2)");
    SQLConsole* console = showConsole("T");
    execute(console, "select b from T");
    console->sqlViewCreateViewButtonPressed();
    CreateViewWizard* wizard = console->createViewWizard();
    wizard->checkBoxPressedInCreateViewWindow(0);  // a result's fields stay marked
    wizard->createViewWindowCreateButtonPressed();
    EXPECT_EQ(wizard->sqlReadOnlyLabel()->toPlainText().toStdString(),
              "CREATE VIEW \"MyView\" AS\nselect b from T");
    wizard->createViewWindowCreateButtonPressed();
    EXPECT_EQ(directQuery(db, "select * from MyView"), std::vector<std::string>{"2"});
}

TEST_F(SQLConsoleTest, DroppedFilesAreJoinedAndUnreadableOnesSkipped) {
    const std::string one = pathInHome("one.sql"), two = pathInHome("two.sql");
    for (const auto& [path, text] : {std::pair{one, "select 1;"}, std::pair{two, "select 2;"}}) {
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    const QString missing = QString::fromStdString(pathInHome("missing.sql"));
    DropFileNameTextView view;
    view.setPlainText("typed");

    view.readDroppedFiles({missing});
    EXPECT_EQ(view.toPlainText(), "typed");
    EXPECT_EQ(alerts.size(), 1u);

    view.readDroppedFiles({QString::fromStdString(one), QString::fromStdString(two)});
    EXPECT_EQ(view.toPlainText(), "select 1;\n\nselect 2;");
    view.undo();
    EXPECT_EQ(view.toPlainText(), "typed");

    view.readDroppedFiles({missing, QString::fromStdString(two)});
    EXPECT_EQ(view.toPlainText(), "\n\nselect 2;");
    EXPECT_EQ(alerts.size(), 2u);
}

// The -wal, -shm or -journal of a database this process is writing, dropped under its own name or
// a link's: refused unopened as a file that is no UTF-8 text, the query kept, and the writer's
// locks held.
TEST_F(SQLConsoleTest, ADroppedSideFileOfAnOpenDatabaseIsRefusedUnopenedAndItsLocksStayHeld) {
    for (const std::string mode : {"wal", "delete"}) {
        SCOPED_TRACE(mode);
        const std::string shop = pathInHome(mode + ".db");
        const HeldWriteTransaction writer(shop, mode);
        QStringList paths;
        for (const std::string& side : writer.sideFiles()) {
            const std::string link = side + ".sql";
            std::filesystem::create_symlink(side, link);
            paths << QString::fromStdString(side) << QString::fromStdString(link);
        }
        std::vector<std::string> expected;
        for (const QString& path : paths) {
            expected.push_back("The file \"" + path.toStdString() +
                               "\" couldn't be opened using text encoding Unicode (UTF-8).");
        }
        DropFileNameTextView view;
        view.setPlainText("typed");
        alerts.clear();
        view.readDroppedFiles(paths);
        std::vector<std::string> shown;
        for (const auto& alert : alerts) shown.push_back(alert.messageText);
        EXPECT_EQ(shown, expected);
        // As dropped on the window: only the .sql files, through the window's error alert.
        std::vector<std::string> errors;
        view.readDroppedSQLFiles(paths, [&](const std::string& error) { errors.push_back(error); });
        std::vector<std::string> sqlFiles;
        for (size_t i = 1; i < expected.size(); i += 2) sqlFiles.push_back(expected[i]);
        EXPECT_EQ(errors, sqlFiles);
        EXPECT_EQ(view.toPlainText(), "typed");
        EXPECT_EQ(probeLocks(shop), writer.locks());
    }
}

TEST_F(SQLConsoleTest, FunctionDescriptionsFollowAnAlias) {
    const std::vector<std::string> functions = {"abs", "lower", "nodesc", "upper"};
    const std::map<std::string, std::string> descriptions = {
        {"abs", "absolute value"}, {"lower", "lower case"}, {"upper", "[lower]"}};
    FunctionsPanel panel(functions, descriptions, nullptr);
    EXPECT_EQ(panel.functionsPanelTableView()->rowCount(), 4);
    EXPECT_EQ(panel.functionsPanelTableView()->item(3, 1)->text(), "lower case");
    EXPECT_EQ(panel.functionsPanelTableView()->item(2, 1)->text(), "");
    panel.functionsTableViewDoubleClickOnRow(2);
    panel.functionsTableViewDoubleClickOnRow(3);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].both(), "nodesc|No description available for this function.");
    EXPECT_EQ(alerts[1].both(), "upper|lower case");
}

TEST_F(SQLConsoleTest, CreateViewRefusesNamesSQLiteTakesOrTheListsHide) {
    run("create table T (a); create index Idx on T (a)");
    SQLConsole* console = showConsole("T");
    console->createViewMenuItemPressed();
    CreateViewWizard* wizard = console->createViewWizard();
    for (const auto& [typed, text] :
         {std::pair<QString, std::string>{"t", "Table already exists|Enter a view name"},
          {"IDX", "Table already exists|Enter a view name"},
          {"varnelo_db_view",
           "The name varnelo_db_view is reserved for the program.|Enter a view name"}}) {
        alerts.clear();
        wizard->viewNameField()->setText(typed);
        wizard->createViewWindowCreateButtonPressed();
        ASSERT_EQ(alerts.size(), 1u) << text;
        EXPECT_EQ(alerts[0].both(), text);
        EXPECT_FALSE(wizard->isOnSecondPage());
    }
}
