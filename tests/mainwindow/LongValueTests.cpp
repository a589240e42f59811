// A table of long values: the grid holds and draws only the first part of each, while an edit
// and a copy still take the value whole and write back exactly what they took.
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "mainwindow/HeldValues.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/record/WindowedTextView.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/ui/MainWindow.h"
#include "tests/mainwindow/GridTest.h"
#include "tests/support/SQLiteMemoryPeak.h"
#include "tests/support/SameText.h"

class LongValueTest : public GridTest {
  protected:
    void SetUp() override {
        GridTest::SetUp();
        // 60,000 characters of two kinds, one of two bytes: longer than a line edit holds unasked.
        run("create table t (name text, body); insert into t values "
            "('text', replace(hex(zeroblob(30000)), '00', 'aé')), ('blob', zeroblob(2000000)), "
            "('small', 'x')");
        wholeText = readBack("select body from t where rowid = 1");
        ASSERT_EQ(wholeText.size(), 90000u);
    }
    // The value field's text replaced by typing, as a user would.
    static void typeOver(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    // The record editor on the grid's first row, opened with Option-Return.
    RecordConsole* openRecordEditor(TablesAndRowsController* c) {
        click(0, 1);
        key(Qt::Key_Return, Qt::AltModifier);
        return &partsOf(c).record;
    }
    // Both text panels open on the first row's long value of t, with the rows' updates made
    // first; the edit-field panel's view comes first.
    std::array<QPlainTextEdit*, 2> openBothPanels(const std::string& updates) {
        run("create table varnelo_db_fields (table_name, name, number, type, flags);"
            "insert into varnelo_db_fields values ('t', 'body', 2, 1, 256);" +
            updates);
        TablesAndRowsController* c = showGrid("t");
        ExpandedFieldsPanel& expanded = partsOf(c).expandedFields;
        expanded.showExpandedFieldsPanel(true);
        click(0, 2);
        key(Qt::Key_Return, Qt::ControlModifier);
        QApplication::processEvents();
        return {partsOf(c).editField.textView(), expanded.expandedFieldsPanelTextView()};
    }
    std::string wholeText;
};

TEST_F(LongValueTest, ThePageHoldsAndDrawsOnlyTheFirstPartOfALongValue) {
    TablesAndRowsController* c = showGrid("t");
    ASSERT_EQ(grid->numberOfRows(), 3);
    const LoadedPage& page = c->state().dataPort.page;
    for (RowIndex row(0); row.value < 3; ++row) {
        for (const DBValue& value : page.values(row)) {
            EXPECT_LE(value.value_or("").size(), kHeldValueBytes + 1);
        }
    }
    QString drawn = shown(0, 2);
    EXPECT_TRUE(drawn.endsWith(QChar(0x2026)));
    EXPECT_LE(drawn.size(), static_cast<qsizetype>(kHeldValueBytes));
    // Cut on a character boundary: no broken character before the ellipsis.
    EXPECT_TRUE(QString::fromStdString(wholeText).startsWith(drawn.chopped(1)));
    EXPECT_FALSE(drawn.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(shown(2, 2), "x");
}

TEST_F(LongValueTest, ALongBlobIsShownWithoutSQLiteReadingItWhole) {
    run("create table big (name text, b blob); insert into big values ('long', "
        "cast(printf('%.20000000c', 'z') as blob)), ('short', x'41')");
    EXPECT_LT(sqliteMemoryPeakDuring([&] { showGrid("big"); }), 4000000);
    EXPECT_EQ(shown(0, 2), QString(kHeldValueBytes, 'z') + QChar(0x2026));
    EXPECT_EQ(shown(1, 2), "A");
}

TEST_F(LongValueTest, AHeldBlobIsEditedAndCopiedWhole) {
    logUpdates();
    run("create table held (b blob); insert into held values (cast(replace(hex(zeroblob(3000)), "
        "'00', 'aé') as blob))");
    const std::string whole = readBack("select b from held");
    ASSERT_EQ(whole.size(), 9000u);
    TablesAndRowsController* c = showGrid("held");
    EXPECT_TRUE(isCutValue(*c->state().dataPort.page.cell(RowIndex(0), FieldIndex(1))));
    doubleClick(0, 1);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(sameText(field->text().toStdString(), whole));
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select count(*) from updates"), "0");

    makeKeyAndOrderFront(grid->window());
    grid->setFocus();
    click(0, 1);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_TRUE(sameText(QApplication::clipboard()->text().toStdString(), whole));
}

TEST_F(LongValueTest, AnEditStartsFromTheWholeValueAndWritesNothingUnchanged) {
    logUpdates();
    showGrid("t");
    doubleClick(0, 2);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(sameText(field->text().toStdString(), wholeText));
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(readBack("select count(*) from updates"), "0");
    EXPECT_TRUE(sameText(readBack("select body from t where rowid = 1"), wholeText));

    doubleClick(0, 2);
    field = openedEditor();
    ASSERT_NE(field, nullptr);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClicks(field, "!");
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(sameText(readBack("select body from t where rowid = 1"), wholeText + "!"));
    EXPECT_EQ(readBack("select length(body) from t where rowid = 2"), "2000000");
}

// A paste that makes a short cell's text long puts it in a window of the editor: the keys after
// it act on the whole text and Return writes it exactly. The text mixes breaks and two-byte
// characters so that a break or a character cut at a window's edge would show.
TEST_F(LongValueTest, APasteMakingACellLongPutsItsTextInAWindow) {
    TablesAndRowsController* c = showGrid("t");
    for (qsizetype length : {qsizetype(250000), qsizetype(5000000)}) {
        SCOPED_TRACE(length);
        QString pasted;
        pasted.reserve(length);
        for (int i = 0; pasted.size() < length; ++i) {
            pasted += QString("é%1 ").arg(i) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
        }
        pasted.truncate(length);
        doubleClick(2, 2);
        auto* field = qobject_cast<CellTextField*>(openedEditor());
        ASSERT_NE(field, nullptr);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        EXPECT_LE(field->text().size(), 8192);
        EXPECT_EQ(field->wholeLength(), length + 1);
        // A key at the end, one at the start, a word step and a delete in the middle.
        QTest::keyClicks(field, "!");
        QTest::keyClick(field, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(field, "<");
        for (int i = 0; i < 3; ++i) QTest::keyClick(field, Qt::Key_Right, Qt::ControlModifier);
        const qsizetype middle = field->wholeCursorPosition();
        QTest::keyClicks(field, "#$");
        QTest::keyClick(field, Qt::Key_Backspace);
        EXPECT_LE(field->text().size(), 8192);
        QString expected = "<x" + pasted + "!";
        expected.insert(middle, u'#');
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_TRUE(
            sameText(readBack("select body from t where rowid = 3"), expected.toStdString()));
        run("update t set body = 'x' where rowid = 3");
        c->reloadSelectedDatabaseObject();
    }
}

TEST_F(LongValueTest, ACopyTakesTheWholeValue) {
    showGrid("t");
    makeKeyAndOrderFront(grid->window());
    grid->setFocus();
    click(0, 2);
    QApplication::clipboard()->setText("kept");
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_TRUE(sameText(QApplication::clipboard()->text().toStdString(), wholeText));
}

TEST_F(LongValueTest, TheRecordEditorShowsEditsAndSavesALongTextWhole) {
    // 20,000 characters and a million, each ending in a mark that a cut would lose.
    run("create table big (name text, body text, other text); insert into big values "
        "('twenty', printf('%.19999c', 'a') || 'Z', 'o1'), "
        "('million', replace(printf('%.499999c', 'x'), 'x', 'ü') || 'Z', 'o2')");
    const std::string twenty = readBack("select body from big where rowid = 1");
    const std::string million = readBack("select body from big where rowid = 2");
    ASSERT_EQ(twenty.size(), 20000u);
    ASSERT_EQ(million.size(), 999999u);
    RecordConsole* record = openRecordEditor(showGrid("big"));
    CellTextField* body = record->valueField(FieldIndex(2));
    ASSERT_NE(body, nullptr);
    EXPECT_FALSE(body->isReadOnly());
    EXPECT_TRUE(sameText(body->wholeText().toStdString(), twenty));
    // Typed at its end and saved: the whole text and the typed character.
    body->setFocus();
    body->end(false);
    QTest::keyClicks(body, "!");
    record->saveRowButtonPressed();
    EXPECT_TRUE(sameText(readBack("select body from big where rowid = 1"), twenty + "!"));

    QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Down);
    body = record->valueField(FieldIndex(2));
    EXPECT_TRUE(sameText(body->wholeText().toStdString(), million));
    // Another field's save leaves the long one as it is.
    typeOver(record->valueField(FieldIndex(3)), "changed");
    record->saveRowButtonPressed();
    EXPECT_EQ(readBack("select other from big where rowid = 2"), "changed");
    EXPECT_TRUE(sameText(readBack("select body from big where rowid = 2"), million));
    // Edited in the middle and saved whole.
    body->setFocus();
    QTest::keyClick(body, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 10; ++i) QTest::keyClick(body, Qt::Key_Right);
    QTest::keyClicks(body, "#");
    record->saveRowButtonPressed();
    std::string expected = million;
    expected.insert(20, "#");  // ten two-byte characters
    EXPECT_TRUE(sameText(readBack("select body from big where rowid = 2"), expected));
    // Moving back shows the first row's text as saved.
    QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Up);
    EXPECT_TRUE(
        sameText(record->valueField(FieldIndex(2))->wholeText().toStdString(), twenty + "!"));
}

// A line edit holding a million characters never draws their end: the field holds a window.
TEST_F(LongValueTest, TheRecordEditorShowsTheEndOfAMillionCharacterTextAndWhatIsTypedThere) {
    run("create table m (body text); insert into m values (printf('%.999999c', 'B') || 'E')");
    TablesAndRowsController* c = showGrid("m");
    RecordConsole* record = openRecordEditor(c);
    CellTextField* body = record->valueField(FieldIndex(1));
    ASSERT_NE(body, nullptr);
    QTest::keyClick(body, Qt::Key_Home);
    QTest::keyClick(body, Qt::Key_End);
    QTest::keyClicks(body, "!?");
    EXPECT_LE(body->text().size(), 4098);
    EXPECT_TRUE(body->text().endsWith("BBE!?"));
    // Drawn, the line edit scrolls to show the cursor.
    body->repaint();
    const QRect cursor = body->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_TRUE(body->rect().contains(cursor.center())) << cursor.x();
    QTest::mouseClick(c->view()->findChild<QPushButton*>("addRowViewSaveButton"), Qt::LeftButton);
    const std::string expected = std::string(999999, 'B') + "E!?";
    EXPECT_TRUE(sameText(readBack("select body from m"), expected));
    EXPECT_TRUE(sameText(body->wholeText().toStdString(), expected));
}

// Typed back to the text as loaded, a long value is unchanged again; Revert shows it as loaded.
TEST_F(LongValueTest, TheRecordEditorSeesALongTextTypedBackAsUnchanged) {
    run("create table m (body text); insert into m values (printf('%.999999c', 'B') || 'E')");
    TablesAndRowsController* c = showGrid("m");
    RecordConsole* record = openRecordEditor(c);
    CellTextField* body = record->valueField(FieldIndex(1));
    auto* save = c->view()->findChild<QPushButton*>("addRowViewSaveButton");
    body->setFocus();
    QTest::keyClick(body, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(body, "!");
    EXPECT_TRUE(save->isEnabled());
    QTest::keyClick(body, Qt::Key_Backspace);
    EXPECT_FALSE(save->isEnabled());
    QTest::keyClick(body, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(body, "<");
    EXPECT_TRUE(save->isEnabled());
    record->revertRowButtonPressed();
    EXPECT_FALSE(save->isEnabled());
    const std::string loaded = std::string(999999, 'B') + "E";
    EXPECT_TRUE(sameText(body->wholeText().toStdString(), loaded));
    EXPECT_TRUE(sameText(*record->addRowViewFieldValues()[1], loaded));
}

TEST_F(LongValueTest, TheRecordEditorAddsACopyWholeAndKeepsARawValueCut) {
    run("create table varnelo_db_fields (table_name, name, number, type, flags);"
        "insert into varnelo_db_fields values ('raw', 'b', 1, 9, 0);"
        "create table raw (b blob); insert into raw values (x'00ff' || zeroblob(3000))");
    TablesAndRowsController* c = showGrid("t");
    RecordConsole* record = openRecordEditor(c);
    CellTextField* body = record->valueField(FieldIndex(2));
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(sameText(body->wholeText().toStdString(), wholeText));
    typeOver(record->valueField(FieldIndex(1)), "copy");
    record->addRowButtonPressed();
    EXPECT_TRUE(sameText(readBack("select body from t where name = 'copy'"), wholeText));
    EXPECT_TRUE(sameText(readBack("select body from t where rowid = 1"), wholeText));

    c->selectConsole(TablesAndRowsState::RowsConsole);
    c->selectTableWithName("raw");
    openRecordEditor(c);
    QLineEdit* raw = record->valueField(FieldIndex(1));
    ASSERT_NE(raw, nullptr);
    EXPECT_TRUE(raw->isReadOnly());
    EXPECT_TRUE(raw->text().endsWith(QChar(0x2026)));
}

TEST_F(LongValueTest, TheExpandedFieldsPanelShowsLongValuesWholeAndFollowsAnEdit) {
    run("create table varnelo_db_fields (table_name, name, number, type, flags);"
        "insert into varnelo_db_fields values ('t', 'body', 2, 1, 256)");
    TablesAndRowsController* c = showGrid("t");
    ExpandedFieldsPanel* expanded = &partsOf(c).expandedFields;
    expanded->showExpandedFieldsPanel(true);
    click(0, 2);
    QApplication::processEvents();
    EXPECT_TRUE(
        sameText(expanded->expandedFieldsPanelTextView()->toPlainText().toStdString(), wholeText));
    click(2, 2);
    QApplication::processEvents();
    EXPECT_EQ(expanded->expandedFieldsPanelTextView()->toPlainText(), "x");
    // An edit past the held part shows in the panel.
    run("update t set body = body || '!' where rowid = 1");
    c->reloadSelectedDatabaseObject();
    click(0, 2);
    QApplication::processEvents();
    EXPECT_TRUE(sameText(expanded->expandedFieldsPanelTextView()->toPlainText().toStdString(),
                         wholeText + "!"));
}

// A word longer than a line is broken anywhere; the word-boundary layout of it takes minutes.
TEST_F(LongValueTest, BothPanelsBreakAWordLongerThanTheirLineAnywhere) {
    const auto views = openBothPanels("update t set body = 'a few short words' where rowid = 3");
    for (QPlainTextEdit* view : views) {
        EXPECT_TRUE(sameText(view->toPlainText().toStdString(), wholeText));
        EXPECT_EQ(view->wordWrapMode(), QTextOption::WrapAnywhere);
    }
    // Words that fit a line wrap between them.
    click(2, 2);
    QApplication::processEvents();
    for (QPlainTextEdit* view : views) {
        EXPECT_EQ(view->toPlainText(), "a few short words");
        EXPECT_EQ(view->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
    // A long word pasted into the edit-field panel.
    QApplication::clipboard()->setText(" " + QString(5000, 'q'));
    views[0]->moveCursor(QTextCursor::End);
    QTest::keyClick(views[0], Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(views[0]->wordWrapMode(), QTextOption::WrapAnywhere);
}

// A long value shown over another is never laid out at word boundaries on the way, not even
// while the document is emptied for it.
TEST_F(LongValueTest, ALongValueShownOverAnotherKeepsItsWrapAnywhereThroughout) {
    const auto views = openBothPanels(
        "update t set body = replace(hex(zeroblob(20000)), '00', 'bé') where rowid = 2");
    std::vector<QTextOption::WrapMode> modes;
    for (QPlainTextEdit* view : views) {
        // Told after the panel's own handler, so it sees the wrap that handler chose.
        QObject::connect(view->document(), &QTextDocument::contentsChange, view,
                         [&modes, view] { modes.push_back(view->wordWrapMode()); });
    }
    click(1, 2);
    QApplication::processEvents();
    ASSERT_FALSE(modes.empty());
    for (QTextOption::WrapMode mode : modes) EXPECT_EQ(mode, QTextOption::WrapAnywhere);
}

// A reload reads the page anew, whatever it held before: the panel shows a long value changed
// elsewhere even when the same row stays focused, and another table's row never shows this one's.
TEST_F(LongValueTest, TheExpandedFieldsPanelShowsALongValueChangedElsewhereAfterAReload) {
    run("create table varnelo_db_fields (table_name, name, number, type, flags);"
        "insert into varnelo_db_fields values ('t', 'body', 2, 1, 256), ('u', 'body', 2, 1, 256);"
        "create table u (name text, body text); insert into u select name, upper(body) from t");
    TablesAndRowsController* c = showGrid("t");
    ExpandedFieldsPanel* expanded = &partsOf(c).expandedFields;
    expanded->showExpandedFieldsPanel(true);
    auto shown = [&] {
        QApplication::processEvents();
        return expanded->expandedFieldsPanelTextView()->toPlainText().toStdString();
    };
    click(0, 2);
    EXPECT_TRUE(sameText(shown(), wholeText));
    run("update t set body = body || '!' where rowid = 1");
    c->reloadSelectedDatabaseObject();
    click(0, 2);
    EXPECT_TRUE(sameText(shown(), wholeText + "!"));
    c->reloadTablesAndSelectTableNamed("u");
    click(0, 2);
    EXPECT_TRUE(sameText(shown(), readBack("select body from u where rowid = 1")));
}

TEST_F(LongValueTest, ALongRawValueIsCopiedAsTheHexTextTheGridShows) {
    // A raw field shows its bytes as hex; a blob past half the cut is held cut, and the copy of
    // it is the hex text whole, as for a short one.
    run("create table varnelo_db_fields (table_name, name, number, type, flags);"
        "insert into varnelo_db_fields values ('raw', 'b', 1, 9, 0);"
        "create table raw (b blob); insert into raw values (x'00ff' || zeroblob(3000)), (x'41ff')");
    const std::string whole = readBack("select hex(b) from raw where rowid = 1");
    TablesAndRowsController* c = showGrid("raw");
    EXPECT_TRUE(isCutValue(*c->state().dataPort.page.cell(RowIndex(0), FieldIndex(1))));
    makeKeyAndOrderFront(grid->window());
    grid->setFocus();
    for (auto [row, expected] : {std::pair{1, std::string("41FF")}, std::pair{0, whole}}) {
        click(row, 1);
        QApplication::clipboard()->setText("kept");
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QApplication::processEvents();
        EXPECT_TRUE(sameText(QApplication::clipboard()->text().toStdString(), expected)) << row;
    }
}

TEST_F(LongValueTest, AFiveMillionCharacterTextIsEditedInAWindowAndWrittenWhole) {
    run("create table huge (name text, body text); insert into huge values ('long', "
        "printf('%.5000000c', 'z') || 'tail')");
    const std::string whole = readBack("select body from huge");
    ASSERT_EQ(whole.size(), 5000004u);
    showGrid("huge");
    // Each edit is read back whole; the line edit holds only the part around the cursor.
    auto edit = [&](const std::function<void(QLineEdit*)>& keys) {
        doubleClick(0, 2);
        QLineEdit* field = openedEditor();
        ASSERT_NE(field, nullptr);
        EXPECT_LT(field->text().size(), 100000);
        keys(field);
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_EQ(editor(), nullptr);
    };
    // Typed and taken back: the text written is the text read.
    edit([](QLineEdit* field) {
        QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(field, "!");
        QTest::keyClick(field, Qt::Key_Backspace);
    });
    EXPECT_TRUE(sameText(readBack("select body from huge"), whole));
    edit([](QLineEdit* field) {
        QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(field, "!");
    });
    EXPECT_TRUE(sameText(readBack("select body from huge"), whole + "!"));
    edit([](QLineEdit* field) {
        QTest::keyClick(field, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(field, "<");
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, ">");
    });
    EXPECT_TRUE(sameText(readBack("select body from huge"), "<" + whole + ">"));
    // Everything selected, as the editor opens, and typed over.
    edit([](QLineEdit* field) { QTest::keyClicks(field, "short"); });
    EXPECT_EQ(readBack("select body from huge"), "short");
}

// Five million characters as two words: Ctrl+Left from the end reaches the middle in one key.
class MiddleOfLongTextTest : public LongValueTest {
  protected:
    void SetUp() override {
        LongValueTest::SetUp();
        run("create table half (name text, body text); insert into half values ('long', "
            "printf('%.2500000c', 'z') || ' ' || printf('%.2500003c', 'z')), ('empty', ''), "
            "('null', NULL); create table writes (id integer); create trigger half_written "
            "after update on half begin insert into writes values (old.rowid); end");
        loaded = readBack("select body from half where rowid = 1");
        ASSERT_EQ(loaded.size(), 5000004u);
    }
    // Keys in the field: to the first character of the second word, that character replaced.
    static void replaceInTheMiddle(QLineEdit* field, const QString& by) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Left, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, by);
    }
    std::string writes() const { return readBack("select count(*) from writes"); }
    std::string loaded;
};

TEST_F(MiddleOfLongTextTest, TheRecordEditorSavesAChangeOfOneCharacterInTheMiddleOnly) {
    TablesAndRowsController* c = showGrid("half");
    RecordConsole* record = openRecordEditor(c);
    CellTextField* body = record->valueField(FieldIndex(2));
    auto* save = c->view()->findChild<QPushButton*>("addRowViewSaveButton");
    // The same character again: nothing to save.
    replaceInTheMiddle(body, "z");
    EXPECT_FALSE(save->isEnabled());
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(writes(), "0");
    // Another of the same length, and a pair of UTF-16 units typed and taken back.
    replaceInTheMiddle(body, "y");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(record->statusLabel()->text(), "Not saved");
    QTest::sendKeyEvent(QTest::Click, body, Qt::Key_X, QString::fromUtf8("\xf0\x9f\x98\x80"),
                        Qt::NoModifier);
    QTest::keyClick(body, Qt::Key_Backspace);
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(writes(), "1");
    std::string expected = loaded;
    expected[2500001] = 'y';
    EXPECT_TRUE(sameText(readBack("select body from half where rowid = 1"), expected));
    // Changed back to the text as saved by typing: unchanged; Revert after a change shows it.
    replaceInTheMiddle(body, "y");
    EXPECT_FALSE(save->isEnabled());
    replaceInTheMiddle(body, "x");
    record->revertRowButtonPressed();
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(sameText(body->wholeText().toStdString(), expected));
    EXPECT_TRUE(sameText(*record->addRowViewFieldValues()[2], expected));
    EXPECT_EQ(writes(), "1");
}

// An empty text and a NULL each stay what they are when typed into and taken back.
TEST_F(MiddleOfLongTextTest, TheRecordEditorKeepsAnEmptyTextAndANullTypedBack) {
    TablesAndRowsController* c = showGrid("half");
    RecordConsole* record = openRecordEditor(c);
    auto* save = c->view()->findChild<QPushButton*>("addRowViewSaveButton");
    for (const char* name : {"empty", "null"}) {
        SCOPED_TRACE(name);
        QTest::keyClick(record->valueField(FieldIndex(1)), Qt::Key_Down);
        CellTextField* body = record->valueField(FieldIndex(2));
        body->setFocus();
        QTest::keyClicks(body, "a");
        EXPECT_TRUE(save->isEnabled());
        QTest::keyClick(body, Qt::Key_Backspace);
        EXPECT_FALSE(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
    }
    EXPECT_EQ(writes(), "0");
    EXPECT_EQ(readBack("select quote(body) from half where rowid = 2"), "''");
    EXPECT_EQ(readBack("select quote(body) from half where rowid = 3"), "NULL");
}

TEST_F(MiddleOfLongTextTest, TheCellEditorWritesAChangeOfOneCharacterInTheMiddleOnly) {
    showGrid("half");
    auto edit = [&](const QString& by) {
        click(0, 2);
        key(Qt::Key_Return);
        QLineEdit* field = openedEditor();
        ASSERT_NE(field, nullptr);
        replaceInTheMiddle(field, by);
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_EQ(editor(), nullptr);
    };
    edit("z");
    EXPECT_EQ(writes(), "0");
    edit("y");
    EXPECT_EQ(writes(), "1");
    std::string expected = loaded;
    expected[2500001] = 'y';
    EXPECT_TRUE(sameText(readBack("select body from half where rowid = 1"), expected));
    // Escape writes nothing, whatever was typed.
    click(0, 2);
    key(Qt::Key_Return);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    replaceInTheMiddle(field, "x");
    QTest::keyClick(field, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(writes(), "1");
    EXPECT_TRUE(sameText(readBack("select body from half where rowid = 1"), expected));
}

// Shown whole, a paragraph of millions of characters takes the text view seconds to lay out:
// both panels hold a window of it, and the edit-field panel's keys and Save still take it
// whole.
TEST_F(LongValueTest, BothPanelsShowAFiveMillionCharacterValueInAWindowAndSaveItWhole) {
    const auto views = openBothPanels(
        "update t set body = printf('%.5000000c', 'z') || 'tail' "
        "where rowid = 1");
    const std::string whole = readBack("select body from t where rowid = 1");
    ASSERT_EQ(whole.size(), 5000004u);
    for (QPlainTextEdit* view : views) {
        EXPECT_LT(view->document()->characterCount(), 100000);
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        EXPECT_TRUE(sameText(QApplication::clipboard()->text().toStdString(), whole));
    }
    QPlainTextEdit* edited = views[0];
    QTest::keyClick(edited, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(edited, "<");
    QTest::keyClick(edited, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(edited, ">");
    EXPECT_TRUE(edited->toPlainText().endsWith("ztail>"));
    EXPECT_LT(edited->document()->characterCount(), 100000);
    QPushButton* save = nullptr;
    for (QPushButton* button : edited->window()->findChildren<QPushButton*>()) {
        if (button->text() == "Save") save = button;
    }
    ASSERT_NE(save, nullptr);
    QTest::mouseClick(save, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(sameText(readBack("select body from t where rowid = 1"), "<" + whole + ">"));
}

TEST_F(LongValueTest, LeftOnASelectionTypesAtItsStartInEveryEditorAtEveryLength) {
    // Short; long; and with a last word longer than the part of the text an editor holds.
    const std::string values[] = {"ab cd", std::string(70000, 'B') + " ab cd",
                                  "ab cd " + std::string(70000, 'B')};
    for (size_t i = 0; i < std::size(values); ++i) {
        const std::string& value = values[i];
        SCOPED_TRACE(value.substr(0, 8) + "… " + std::to_string(value.size()));
        // The last word selected backwards from the end, Left, a letter: the letter goes where
        // the word starts (a line edit under the Windows keys would put it a step before).
        const qsizetype wordStart = static_cast<qsizetype>(value.rfind(' ') + 1);
        QString expected = QString::fromStdString(value);
        expected.insert(wordStart, 'Z');
        auto typeBeforeLastWord = [](QWidget* field) {
            QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
            QTest::keyClick(field, Qt::Key_Left);
            QTest::keyClicks(field, "Z");
        };
        const std::string table = "s" + std::to_string(i);
        run("create table " + table + " (body text); insert into " + table + " values ('" + value +
            "')");
        TablesAndRowsController* c = showGrid(table);

        doubleClick(0, 1);
        auto* cell = qobject_cast<CellTextField*>(openedEditor());
        ASSERT_NE(cell, nullptr);
        typeBeforeLastWord(cell);
        EXPECT_TRUE(cell->wholeText() == expected) << "grid";
        EXPECT_EQ(cell->wholeCursorPosition(), wordStart + 1) << "grid";
        QTest::keyClick(cell, Qt::Key_Escape);

        RecordConsole* record = openRecordEditor(c);
        CellTextField* field = record->valueField(FieldIndex(1));
        field->setFocus();
        typeBeforeLastWord(field);
        EXPECT_TRUE(field->wholeText() == expected) << "record editor";
        EXPECT_EQ(field->wholeCursorPosition(), wordStart + 1) << "record editor";
        record->revertRowButtonPressed();

        c->selectConsole(TablesAndRowsState::RowsConsole);
        click(0, 1);
        key(Qt::Key_Return, Qt::ControlModifier);
        WindowedTextView* view = partsOf(c).editField.textView();
        view->setFocus();
        typeBeforeLastWord(view);
        EXPECT_TRUE(view->wholeText() == expected) << "edit-field panel";
        EXPECT_EQ(view->wholeCursorPosition(), wordStart + 1) << "edit-field panel";
        partsOf(c).editField.closeEditFieldPanel();
    }
}
