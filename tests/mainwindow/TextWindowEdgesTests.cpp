// Both views of a long text held in a window (the cell editor's line edit and the panels' text
// view), on a short text and on one over 65,536 characters, against the same view holding the
// text whole: the breaks of a text with mixed line ends copied each in its own form, and a
// character cluster longer than the window's margin across a window's edge.
#include <QApplication>
#include <QClipboard>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "mainwindow/record/WindowedTextView.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "tests/support/KeyPresses.h"
#include "tests/support/QtApplication.h"

namespace {

constexpr qsizetype kWhole = std::numeric_limits<int>::max();

// One of the two views, as the program makes it or holding every text whole.
class EditedText {
  public:
    virtual ~EditedText() = default;
    virtual QWidget* widget() = 0;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
    virtual qsizetype cursor() const = 0;
    virtual qsizetype anchor() const = 0;
    virtual bool holdsPart() const = 0;
    // The view's window as the program sizes it, and how far before the text's end it starts
    // once the cursor is put there.
    virtual TextWindowSizes sizes() const = 0;
    virtual qsizetype startBeforeEnd() const = 0;
};

class LineEditText : public EditedText {
  public:
    explicit LineEditText(bool whole) : field_(nullptr, whole ? kWhole : 65536) {}
    QWidget* widget() override { return &field_; }
    void setText(const QString& text) override { field_.setWholeText(text); }
    QString text() const override { return field_.wholeText(); }
    qsizetype cursor() const override { return field_.wholeCursorPosition(); }
    qsizetype anchor() const override { return field_.wholeAnchorPosition(); }
    bool holdsPart() const override { return field_.wholeLength() != field_.text().size(); }
    TextWindowSizes sizes() const override { return {65536, 4096, 1024}; }
    qsizetype startBeforeEnd() const override { return 4096; }

  private:
    CellTextField field_;
};

class TextViewText : public EditedText {
  public:
    explicit TextViewText(bool whole) : view_(nullptr) {
        if (whole) view_.setSizes({.wholeLimit = kWhole});
        view_.resize(400, 300);
        view_.show();
    }
    QWidget* widget() override { return &view_; }
    void setText(const QString& text) override {
        view_.setWholeText(text);
        QApplication::processEvents();
    }
    QString text() const override { return view_.wholeText(); }
    qsizetype cursor() const override { return view_.wholeCursorPosition(); }
    qsizetype anchor() const override { return view_.wholeAnchorPosition(); }
    bool holdsPart() const override { return view_.holdsPart(); }
    TextWindowSizes sizes() const override { return {}; }
    qsizetype startBeforeEnd() const override { return TextWindowSizes().window / 2; }

  private:
    WindowedTextView view_;
};

std::unique_ptr<EditedText> make(bool lineEdit, bool whole) {
    if (lineEdit) return std::make_unique<LineEditText>(whole);
    return std::make_unique<TextViewText>(whole);
}

const char* nameOf(bool lineEdit) {
    return lineEdit ? "line edit" : "text view";
}

testing::AssertionResult same(const EditedText& view, const EditedText& whole) {
    if (view.text() != whole.text()) {
        return testing::AssertionFailure() << "text of " << view.text().size()
                                           << " characters instead of " << whole.text().size();
    }
    if (view.cursor() != whole.cursor() || view.anchor() != whole.anchor()) {
        return testing::AssertionFailure()
               << "cursor " << view.cursor() << " anchor " << view.anchor() << " instead of "
               << whole.cursor() << " " << whole.anchor();
    }
    return testing::AssertionSuccess();
}

// Lines of words ending in CR LF, LF or a lone CR, at least that long.
QString mixedLines(qsizetype atLeast) {
    const char* const ends[] = {"\r\n", "\n", "\r", "\n"};
    QString text;
    for (int line = 0; text.size() < atLeast; ++line) {
        text += QString("line %1 of words").arg(line) + ends[line % 4];
    }
    return text;
}

QString words(qsizetype atLeast) {
    QString text;
    for (int word = 0; text.size() < atLeast; ++word)
        text += QString("word%1 of this text ").arg(word % 97);
    return text;
}

}  // namespace

// Selecting from b to the end of a\r\nb\nc\r\nd and copying gives b\nc\r\nd, the breaks before
// it, in the window or outside it, of other forms.
TEST(TextWindowEdgesTest, PartOfATextWithMixedLineEndsIsCopiedWithEachBreakInItsOwnForm) {
    ensureQApplication();
    const QString mixed = "a\r\nb\nc\r\nd";
    const QString longText = mixedLines(70000);
    struct Case {
        const char* name;
        QString text;
        bool fromEnd;  // b reached from the text's end, else from its start
        QString copied;
    };
    const Case cases[] = {
        {"short", mixed, true, "b\nc\r\nd"},
        {"at the end of a long text", longText + mixed, true, "b\nc\r\nd"},
        {"at the start of a long text, to its end", mixed + "\r\n" + longText, false,
         "b\nc\r\nd\r\n" + longText},
    };
    for (bool lineEdit : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(nameOf(lineEdit)) + ", " + c.name);
            auto view = make(lineEdit, false), whole = make(lineEdit, true);
            // Where b is: a text view holds each break as one character.
            qsizetype b = c.text.indexOf("b\nc");
            if (!lineEdit) b -= c.text.first(b).count("\r\n");
            for (EditedText* each : {view.get(), whole.get()}) {
                each->setText(c.text);
                QWidget* widget = each->widget();
                press(widget, {c.fromEnd ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier, {}});
                for (int i = 0; i < 8 && each->cursor() != b; ++i) {
                    press(widget, {c.fromEnd ? Qt::Key_Left : Qt::Key_Right, Qt::NoModifier, {}});
                }
                ASSERT_EQ(each->cursor(), b);
                press(widget, {Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier, {}});
                QApplication::clipboard()->clear();
                press(widget, {Qt::Key_C, Qt::ControlModifier, {}});
                EXPECT_EQ(QApplication::clipboard()->text(), c.copied)
                    << (each == view.get() ? "in a window" : "held whole");
            }
            EXPECT_EQ(view->holdsPart(), c.text.size() > 65536);
        }
    }
}

// A letter followed by more combining marks than the window's margin, a window's edge falling
// inside them: stepping over the letter, typing beside it and the text saved are as in the view
// holding the text whole.
TEST(TextWindowEdgesTest, AClusterLongerThanTheMarginAcrossAWindowEdgeActsAsInTheWholeText) {
    ensureQApplication();
    const Key right{Qt::Key_Right, Qt::NoModifier, {}}, left{Qt::Key_Left, Qt::NoModifier, {}};
    const Key selectLeft{Qt::Key_Left, Qt::ShiftModifier, {}};
    auto type = [](const char* text) { return Key{Qt::Key_A, Qt::NoModifier, text}; };
    for (bool lineEdit : {true, false}) {
        SCOPED_TRACE(nameOf(lineEdit));
        auto view = make(lineEdit, false), whole = make(lineEdit, true);
        const TextWindowSizes sizes = view->sizes();
        const QString cluster = "q" + QString(sizes.margin + 1000, QChar(0x301));
        // Reached from the end, the window put there starts inside the cluster; reached from the
        // start, the window put there ends inside it; neither moves before the cursor is at it.
        const qsizetype tail = view->startBeforeEnd() - sizes.margin - 300;
        const qsizetype head = sizes.window - sizes.margin - 300;
        struct Case {
            QString text;
            bool fromEnd;
        };
        const Case cases[] = {{"ab " + cluster + " cd", true},
                              {"ab " + cluster + " cd", false},
                              {words(70000) + cluster + words(tail), true},
                              {words(head) + cluster + words(70000), false}};
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.text.size()) +
                         (c.fromEnd ? " from the end" : " from the start"));
            view->setText(c.text);
            whole->setText(c.text);
            ASSERT_EQ(view->holdsPart(), c.text.size() > 65536);
            const qsizetype clusterStart = c.text.indexOf(cluster);
            const qsizetype clusterEnd = clusterStart + cluster.size();
            // Compared after each key near the cluster, after the walk to it elsewhere.
            auto pressBoth = [&](const Key& key) {
                press(view->widget(), key);
                press(whole->widget(), key);
            };
            auto pressAndCompare = [&](const Key& key) {
                pressBoth(key);
                return same(*view, *whole);
            };
            const Qt::KeyboardModifiers control = Qt::ControlModifier;
            std::vector<Key> keys;
            if (c.fromEnd) {
                ASSERT_TRUE(pressAndCompare({Qt::Key_End, control, {}}));
                while (whole->cursor() > clusterEnd + 8) pressBoth({Qt::Key_Left, control, {}});
                while (whole->cursor() > clusterEnd + 1) ASSERT_TRUE(pressAndCompare(left));
                keys = {
                    left,       left,      left, type("T"), right,
                    right,      type("U"), left, left,      {Qt::Key_Backspace, Qt::NoModifier, {}},
                    selectLeft, type("V")};
            } else {
                ASSERT_TRUE(pressAndCompare({Qt::Key_Home, control, {}}));
                while (whole->cursor() < clusterStart - 8) pressBoth({Qt::Key_Right, control, {}});
                while (whole->cursor() < clusterStart - 1) ASSERT_TRUE(pressAndCompare(right));
                keys = {
                    right, right,     right,      type("W"),  left,
                    left,  type("X"), selectLeft, selectLeft, {Qt::Key_Delete, Qt::NoModifier, {}},
                    right, type("Y")};
            }
            for (size_t i = 0; i < keys.size(); ++i)
                ASSERT_TRUE(pressAndCompare(keys[i])) << "key " << i;
        }
    }
}

// A paste keeps its breaks as they were pasted, CR LF, LF and lone CR alike, in a short text and
// a long one, and a paste that makes a short text long: the text is what it was before the
// cursor, the pasted text, and what it was after.
TEST(TextWindowEdgesTest, APasteOfMixedBreaksKeepsEachBreakAsPasted) {
    ensureQApplication();
    const QString mixed = "p\r\nq\nr\rs\r\n\r\rt\n\r\n";
    struct Case {
        const char* name;
        QString text;
        QString pasted;
    };
    const Case cases[] = {
        {"into a short text of LFs", "a\nb", mixed},
        {"into a short text of lone CRs", "a\rb", mixed},
        {"into a long text", "a\r\n" + mixedLines(70000), mixed},
        {"a long text into a short one", "a\rb", mixedLines(70000)},
    };
    for (bool lineEdit : {true, false}) {
        for (const Case& c : cases) {
            for (bool byKey : {true, false}) {
                SCOPED_TRACE(std::string(nameOf(lineEdit)) + ", " + c.name +
                             (byKey ? ", Ctrl+V" : ", the menu's Paste"));
                auto view = make(lineEdit, false), whole = make(lineEdit, true);
                const QString expected = c.text.first(1) + c.pasted + c.text.sliced(1);
                for (EditedText* each : {view.get(), whole.get()}) {
                    each->setText(c.text);
                    QWidget* widget = each->widget();
                    press(widget, {Qt::Key_Home, Qt::ControlModifier, {}});
                    press(widget, {Qt::Key_Right, Qt::NoModifier, {}});
                    QApplication::clipboard()->setText(c.pasted);
                    if (byKey) {
                        press(widget, {Qt::Key_V, Qt::ControlModifier, {}});
                    } else {
                        // What the context menu's Paste calls.
                        QMetaObject::invokeMethod(widget, "paste");
                    }
                    QApplication::processEvents();
                    EXPECT_TRUE(each->text() == expected)
                        << (each == view.get() ? "in a window" : "held whole");
                }
                EXPECT_TRUE(same(*view, *whole));
                EXPECT_EQ(view->holdsPart(), expected.size() > 65536);
            }
        }
    }
}

// A character outside the first plane typed over a selection reaching past the window replaces
// all of it, as any other character does.
TEST(TextWindowEdgesTest, ASurrogatePairTypedOverASelectionPastTheWindowReplacesItWhole) {
    ensureQApplication();
    const QString grin = QString::fromUtf8("\xf0\x9f\x98\x80");
    const QString text = words(70000);
    for (bool lineEdit : {true, false}) {
        SCOPED_TRACE(nameOf(lineEdit));
        auto view = make(lineEdit, false), whole = make(lineEdit, true);
        for (EditedText* each : {view.get(), whole.get()}) {
            each->setText(text);
            QWidget* widget = each->widget();
            press(widget, {Qt::Key_Home, Qt::ControlModifier, {}});
            press(widget, {Qt::Key_Right, Qt::NoModifier, {}});
            press(widget, {Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier, {}});
            press(widget, {Qt::Key_X, Qt::NoModifier, grin});
            EXPECT_EQ(each->text(), text.first(1) + grin)
                << (each == view.get() ? "in a window" : "held whole");
        }
        EXPECT_TRUE(same(*view, *whole));
    }
}
