// The panels' text view holding a window of a long text acts as the same view holding the text
// whole, which is a plain text view's own (of the same size and font): the same keys leave the same
// text, cursor and selection, copy the same text, and Save writes the same value.
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <memory>
#include <random>
#include <vector>

#include "Common/SQLQuote.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "tests/mainwindow/GridTest.h"
#include "tests/support/KeyPresses.h"

namespace {

// A margin of more than two of the panel's pages.
constexpr TextWindowSizes kSmall{.wholeLimit = 1000, .window = 600, .margin = 200};

QString longWord(qsizetype size) {
    return QString(size - 4, u'B') + "tail";
}

QString randomText(std::mt19937& random, const std::vector<QString>& pieces, qsizetype atLeast) {
    QString text;
    while (text.size() < atLeast) text += pieces[random() % pieces.size()];
    return text;
}

// Letters of two code units, combining marks and joined emoji without a space, so that window
// edges fall inside them.
QString marks(std::mt19937& random, qsizetype atLeast) {
    return randomText(random,
                      {"a", QString::fromUtf8("\xc3\xa9"), QString::fromUtf8("e\xcc\x81\xcc\xa3"),
                       QString::fromUtf8("\xf0\x9f\x98\x80"),
                       QString::fromUtf8("\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9"),
                       QString::fromUtf8("\xe4\xb8\xad")},
                      atLeast);
}

// Hebrew words with digits and a few Latin words, the paragraph starting in Hebrew.
QString rightToLeft(std::mt19937& random, qsizetype atLeast) {
    return QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d ") +
           randomText(random,
                      {QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d "),
                       QString::fromUtf8("\xd7\xa2\xd7\x95\xd7\x9c\xd7\x9d, "), "123 ", "abc "},
                      atLeast);
}

// Lines of 0 to 150 characters ending in CRLF, LF, CR, a paragraph separator or a frame mark,
// some of no-break spaces or line separators.
QString mixedLines(std::mt19937& random, qsizetype atLeast) {
    const QChar ends[] = {u'\n', u'\r', QChar::ParagraphSeparator, QChar(0xfdd0)};
    const QChar letters[] = {u'x', u'x', u'x', QChar::Nbsp, QChar::LineSeparator};
    QString text;
    while (text.size() < atLeast) {
        text += QString(qsizetype(random() % 150), letters[random() % 5]);
        if (random() % 3 == 0) text += u'\r';
        text += ends[random() % 4];
    }
    return text;
}

struct Sequence {
    const char* name;
    std::vector<Key> keys;
    // Keys whose result depends on where lines break.
    bool byLines = false;
};

std::vector<Sequence> sequences() {
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier,
                                control = Qt::ControlModifier;
    auto repeated = [](Key key, int times) { return std::vector<Key>(size_t(times), key); };
    auto join = [](std::initializer_list<std::vector<Key>> parts) {
        std::vector<Key> keys;
        for (const auto& part : parts) keys.insert(keys.end(), part.begin(), part.end());
        return keys;
    };
    const Key home{Qt::Key_Home, control, {}}, end{Qt::Key_End, control, {}};
    const Key right{Qt::Key_Right, none, {}}, left{Qt::Key_Left, none, {}};
    const Key selectAll{Qt::Key_A, control, {}}, copy{Qt::Key_C, control, {}};
    const Key undo{Qt::Key_Z, control, {}};
    const Key cut{Qt::Key_X, control, {}}, erase{Qt::Key_Delete, none, {}};
    auto type = [](const char* text) { return Key{Qt::Key_A, Qt::NoModifier, text}; };
    return {
        {"typing at start, middle and end",
         join({{type("x"), end, type("!"), home},
               repeated(right, 700),
               {type("m"), {Qt::Key_Return, none, "\r"}, type("n")}})},
        {"select all and copy, then a step off it",
         {selectAll, copy, right, type("R"), selectAll, copy, left, type("L")}},
        {"select to the end, copy and delete", join({{home},
                                                     repeated(right, 300),
                                                     {{Qt::Key_End, control | shift, {}},
                                                      copy,
                                                      {Qt::Key_Left, shift, {}},
                                                      {Qt::Key_Left, shift, {}},
                                                      copy,
                                                      erase,
                                                      type("d")}})},
        {"backspace and delete across window edges",
         join({{end},
               repeated({Qt::Key_Backspace, none, {}}, 700),
               {type("b"), home},
               repeated(erase, 500)})},
        {"cut to the start, then everything",
         join({{end},
               repeated(left, 200),
               {{Qt::Key_Home, control | shift, {}}, cut, type("c"), selectAll, cut}})},
        {"undo of what was typed",
         join({{home}, repeated(right, 500), {type("u"), type("v"), undo}})},
        {"words across window edges", join({repeated({Qt::Key_Right, control, {}}, 8),
                                            {type("w")},
                                            repeated({Qt::Key_Left, control, {}}, 5),
                                            {type("W")},
                                            repeated({Qt::Key_Right, control | shift, {}}, 3),
                                            {copy,
                                             {Qt::Key_Delete, control, {}},
                                             {Qt::Key_Backspace, control, {}},
                                             {Qt::Key_Backspace, control, {}},
                                             type("V")}})},
        {"select all and type over", {selectAll, type("z")}},
        {"select all and delete", {selectAll, erase, type("e")}},
        {"select all, delete or type over, and undo",
         {selectAll,
          erase,
          undo,
          end,
          {Qt::Key_Home, control | shift, {}},
          type("y"),
          type("z"),
          undo,
          right,
          type("t")}},
        {"pages and lines",
         join({repeated({Qt::Key_PageDown, none, {}}, 14),
               {type("p")},
               repeated({Qt::Key_PageUp, none, {}}, 5),
               {type("q"),
                {Qt::Key_Down, none, {}},
                {Qt::Key_Down, none, {}},
                {Qt::Key_Up, none, {}},
                type("r"),
                end},
               repeated({Qt::Key_PageUp, none, {}}, 4),
               {type("s"), {Qt::Key_PageDown, shift, {}}, copy, erase}}),
         true},
    };
}

testing::AssertionResult same(const WindowedTextView& view, const WindowedTextView& oracle) {
    const QString text = view.wholeText(), expected = oracle.wholeText();
    if (text != expected) {
        auto [differs, expectedThere] =
            std::mismatch(text.begin(), text.end(), expected.begin(), expected.end());
        return testing::AssertionFailure()
               << "text of " << text.size() << " characters instead of " << expected.size()
               << ", differing from " << (differs - text.begin()) << " (U+"
               << QString::number(differs == text.end() ? 0 : differs->unicode(), 16).toStdString()
               << " instead of U+"
               << QString::number(expectedThere == expected.end() ? 0 : expectedThere->unicode(),
                                  16)
                      .toStdString()
               << ")";
    }
    const QTextCursor cursor = oracle.textCursor();
    if (view.wholeCursorPosition() != cursor.position() ||
        view.wholeAnchorPosition() != cursor.anchor()) {
        return testing::AssertionFailure() << "cursor " << view.wholeCursorPosition() << " anchor "
                                           << view.wholeAnchorPosition() << " instead of "
                                           << cursor.position() << " " << cursor.anchor();
    }
    return testing::AssertionSuccess();
}

}  // namespace

class PanelTextWindowTest : public GridTest {
  protected:
    // Table t holds the texts, row i text i, then a short one; the edit-field panel is opened
    // over the short one, made small and given small windows.
    void showTexts(const std::vector<QString>& texts) {
        std::string sql = "create table t (body text);";
        for (const QString& text : texts) {
            sql += "insert into t values (" + quoteLiteral(text.toStdString()) + ");";
        }
        run(sql + "insert into t values ('short')");
        c = showGrid("t");
        shortRow = int(texts.size());
        click(shortRow, 1);
        key(Qt::Key_Return, Qt::ControlModifier);
        panel = &partsOf(c).editField;
        panel->editFieldPanel()->resize(260, 220);
        QApplication::processEvents();
        view = panel->textView();
        view->setSizes(kSmall);
        oracle = std::make_unique<WindowedTextView>(nullptr);
        oracle->setFont(view->font());
        oracle->resize(view->size());
        oracle->show();
    }
    std::string stored(int row) const {
        return readBack("select body from t where rowid = " + std::to_string(row + 1));
    }
    // Both views show the row's value as stored.
    void open(int row) {
        // Focused as Go to row does, the grid scrolled to show the row.
        for (int focused : {shortRow, row}) {
            rowsOf(c)->navigator().selectStartRowIndex(RowIndex(focused), FieldIndex(1), true);
            QApplication::processEvents();
        }
        const QString text = QString::fromStdString(stored(row));
        oracle->setWholeText(text);
        ASSERT_FALSE(oracle->holdsPart());
        // Both laid out, their scroll bars shown.
        QApplication::processEvents();
        ASSERT_EQ(view->viewport()->width(), oracle->viewport()->width());
        EXPECT_EQ(view->holdsPart(), text.size() > kSmall.wholeLimit);
    }
    // The key pressed in both views, each copy or cut compared.
    void pressBoth(const Key& key, const std::string& where) {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->setText("before");
        press(view, key);
        const QString copied = clipboard->text();
        clipboard->setText("before");
        press(oracle.get(), key);
        EXPECT_EQ(copied, clipboard->text()) << where;
    }
    // Each sequence on a row of its own holding the text as first stored.
    void runSequence(int row, const Sequence& sequence, const std::string& where) {
        open(row);
        ASSERT_TRUE(same(*view, *oracle)) << where;
        for (size_t step = 0; step < sequence.keys.size(); ++step) {
            pressBoth(sequence.keys[step], where);
            ASSERT_TRUE(same(*view, *oracle)) << where << ", key " << step;
        }
        panel->saveButton()->click();
        QApplication::processEvents();
        EXPECT_EQ(stored(row), oracle->wholeText().toStdString()) << where;
    }

    TablesAndRowsController* c = nullptr;
    EditFieldPanel* panel = nullptr;
    WindowedTextView* view = nullptr;
    std::unique_ptr<WindowedTextView> oracle;
    int shortRow = 0;
};

TEST_F(PanelTextWindowTest, AWindowedTextEditsCopiesAndSavesAsTheWholeTextUnderTheSameKeys) {
    std::mt19937 random(7);
    struct Text {
        const char* name;
        QString text;
        bool byLines;
    };
    const std::vector<Text> texts = {
        {"a word far longer than the window", longWord(5000), true},
        // A page key remembers the cursor's height on the screen until the cursor moves
        // otherwise, as a window move does: over lines of uneven pixel heights a page after a
        // move can land a line away from the whole text's.
        {"lines of mixed lengths and ends", mixedLines(random, 5000), false},
        {"just over the whole limit", longWord(kSmall.wholeLimit + 1), true},
        {"at the whole limit", longWord(kSmall.wholeLimit), true},
        {"surrogate pairs and combining marks", marks(random, 3000), false},
        {"right to left", rightToLeft(random, 3000), false},
    };
    const std::vector<Sequence> all = sequences();
    std::vector<QString> values;
    for (const Text& text : texts) values.insert(values.end(), all.size(), text.text);
    showTexts(values);
    int row = 0;
    for (const Text& text : texts) {
        for (const Sequence& sequence : all) {
            if (!sequence.byLines || text.byLines) {
                runSequence(row, sequence, std::string(text.name) + ", " + sequence.name);
            }
            ++row;
        }
    }
}

// The scroll bar stands for the whole text: dragged or wheeled, the view shows that part, and a
// key typed then acts at the cursor, as in a view holding the text whole.
TEST_F(PanelTextWindowTest, TheScrollBarMovesOverTheWholeTextAndKeysStillActAtTheCursor) {
    const QString text = QString(2500, u'B') + "MID" + QString(2500, u'B');
    showTexts({text});
    open(0);
    QScrollBar* bar = view->wholeScrollBar();
    ASSERT_TRUE(bar->isVisible());
    bar->setValue(bar->maximum() / 2);
    // The line at the top lies near the text's middle.
    const qsizetype middle = view->toPlainText().indexOf("MID");
    ASSERT_GE(middle, 0);
    const qsizetype top = view->cursorForPosition(QPoint(0, 0)).position();
    EXPECT_LT(std::abs(top - middle), 300) << top << " " << middle;
    pressBoth({Qt::Key_X, Qt::NoModifier, "x"}, "typed after a drag");
    EXPECT_TRUE(same(*view, *oracle));
    EXPECT_TRUE(view->toPlainText().startsWith("xB"));

    bar->setValue(bar->maximum());
    EXPECT_TRUE(view->toPlainText().endsWith("BBB"));
    EXPECT_FALSE(view->toPlainText().contains("MID"));
    // Wheeled up from the end, the view goes on past the window's start.
    const int end = bar->value();
    for (int i = 0; i < 30; ++i) wheel(QPoint(0, 120), view);
    EXPECT_LT(bar->value(), end - 80);
    pressBoth({Qt::Key_End, Qt::ControlModifier, {}}, "to the end after a wheel");
    pressBoth({Qt::Key_Y, Qt::NoModifier, "y"}, "typed at the end");
    EXPECT_TRUE(same(*view, *oracle));
    EXPECT_EQ(bar->value(), bar->maximum());
}

// The expanded-fields panel has no cursor: Home and End go to the text's start and end, and
// Select All copies the text whole.
TEST_F(PanelTextWindowTest, TheExpandedFieldsPanelScrollsAndCopiesTheWholeText) {
    const QString text = "head" + QString(3000, u'B') + "tail";
    run("create table varnelo_db_fields (table_name, name, number, type, flags);"
        "insert into varnelo_db_fields values ('t', 'body', 1, 1, 256)");
    showTexts({text});
    ExpandedFieldsPanel& expanded = partsOf(c).expandedFields;
    expanded.showExpandedFieldsPanel(true);
    WindowedTextView* shown = expanded.expandedFieldsPanelTextView();
    shown->window()->resize(260, 220);
    shown->setSizes(kSmall);
    click(0, 1);
    QApplication::processEvents();
    ASSERT_TRUE(shown->holdsPart());
    EXPECT_TRUE(shown->toPlainText().startsWith("head"));
    QTest::keyClick(shown, Qt::Key_End);
    EXPECT_TRUE(shown->toPlainText().endsWith("tail"));
    EXPECT_EQ(shown->wholeScrollBar()->value(), shown->wholeScrollBar()->maximum());
    QTest::keyClick(shown, Qt::Key_Home);
    EXPECT_TRUE(shown->toPlainText().startsWith("head"));
    QTest::keyClick(shown, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(shown, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), text);
}

// The images window puts a chosen file's name in the view as text views are given text: the long
// text held beside the view goes with it.
TEST_F(PanelTextWindowTest, ATextPutInTheViewReplacesALongTextWhole) {
    showTexts({longWord(3000)});
    open(0);
    ASSERT_TRUE(view->holdsPart());
    static_cast<QPlainTextEdit*>(view)->setPlainText("photo.jpg");
    EXPECT_FALSE(view->holdsPart());
    EXPECT_EQ(view->wholeText(), "photo.jpg");
    EXPECT_FALSE(view->wholeScrollBar()->isVisible());
    panel->saveButton()->click();
    EXPECT_EQ(stored(0), "photo.jpg");
}

// As a sheet over the record editor, Done hands the record editor the whole text as edited.
TEST_F(PanelTextWindowTest, TheSheetHandsTheRecordEditorTheWholeText) {
    const QString text = longWord(3000);
    showTexts({text});
    click(0, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    RecordConsole& record = partsOf(c).record;
    c->view()->findChild<QToolButton*>("addRowViewDetail1")->click();
    ASSERT_TRUE(panel->isSheet());
    ASSERT_TRUE(view->holdsPart());
    press(view, {Qt::Key_End, Qt::ControlModifier, {}});
    press(view, {Qt::Key_Exclam, Qt::NoModifier, "!"});
    press(view, {Qt::Key_Home, Qt::ControlModifier, {}});
    press(view, {Qt::Key_Less, Qt::NoModifier, "<"});
    panel->saveButton()->click();
    EXPECT_EQ(record.valueField(FieldIndex(1))->wholeText(), "<" + text + "!");
    record.saveRowButtonPressed();
    EXPECT_EQ(stored(0), ("<" + text + "!").toStdString());
}

// Random keys over hostile texts; an undo is left out, as the view's own undo steps end where its
// window moves.
TEST_F(PanelTextWindowTest, AWindowedTextFollowsTheWholeTextUnderRandomKeys) {
    std::mt19937 random(5);
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier,
                                control = Qt::ControlModifier;
    const std::vector<Key> keys = {
        {Qt::Key_Left, none, {}},
        {Qt::Key_Right, none, {}},
        {Qt::Key_Left, shift, {}},
        {Qt::Key_Right, shift, {}},
        {Qt::Key_Left, control, {}},
        {Qt::Key_Right, control | shift, {}},
        {Qt::Key_Home, control, {}},
        {Qt::Key_End, control, {}},
        {Qt::Key_End, control | shift, {}},
        {Qt::Key_A, control, {}},
        {Qt::Key_C, control, {}},
        {Qt::Key_X, control, {}},
        {Qt::Key_V, control, {}},
        {Qt::Key_Backspace, none, {}},
        {Qt::Key_Delete, none, {}},
        {Qt::Key_Backspace, control, {}},
        {Qt::Key_A, none, "a"},
        {Qt::Key_Space, none, " "},
        {Qt::Key_Return, none, "\r"},
    };
    showTexts(
        {marks(random, 3000), rightToLeft(random, 3000), mixedLines(random, 3000), longWord(3000)});
    for (int row = 0; row < 4; ++row) {
        open(row);
        for (int step = 0; step < 600; ++step) {
            const Key& key = keys[random() % keys.size()];
            const std::string where =
                "row " + std::to_string(row) + ", step " + std::to_string(step);
            pressBoth(key, where);
            ASSERT_TRUE(same(*view, *oracle)) << where;
        }
    }
}
