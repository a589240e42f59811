// The edit-field panel gives a value back as it was stored, but for what the user changed: its
// line breaks in their own forms, its no-break spaces and line separators as they were. So does a
// copy from it or from the expanded-fields panel.
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QToolButton>

#include <vector>

#include "Common/SQLQuote.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/ui/MainWindow.h"
#include "tests/mainwindow/GridTest.h"
#include "tests/support/KeyPresses.h"
#include "tests/support/SameText.h"

namespace {

struct Case {
    const char* name;
    QString text;
    // What a Return typed at the text's end writes.
    QString typedBreak;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"CRLF, one at the end", "a\r\nb\r\n", "\r\n"},
        {"lone CR", "a\rb", "\r"},
        {"LF then CRLF", "a\nb\r\nc", "\r\n"},
        {"CRLF then LF", "a\r\nb\nc", "\n"},
        {"no-break space", QString::fromUtf8("x\u00a0y"), "\n"},
        {"line separator", QString::fromUtf8("\u2028"), "\n"},
        {"an empty line between CRLFs", "a\r\n\r\nb", "\r\n"},
        {"paragraph separator and frame marks", QString::fromUtf8("p\ufdd0q\ufdd1r\u2029s"),
         QString::fromUtf8("\u2029")},
    };
    return all;
}

// Breaks of every form, as pasted.
const QString kMixedBreaks = "1\r\n2\n3\r4\r\n\r\r5\n";

struct Action {
    const char* name;
    std::vector<Key> keys;
    // The value written, from the value stored.
    QString (*expected)(const Case&, const QString&);
    // On the clipboard for the keys.
    QString clipboard = {};
};

const std::vector<Action>& actions() {
    const Key toStart{Qt::Key_Home, Qt::ControlModifier, {}},
        toEnd{Qt::Key_End, Qt::ControlModifier, {}};
    static const std::vector<Action> all = {
        {"untouched", {}, [](const Case&, const QString& value) { return value; }},
        {"a letter typed at the start",
         {toStart, {Qt::Key_Z, Qt::NoModifier, "Z"}},
         [](const Case&, const QString& value) { return "Z" + value; }},
        {"Return typed at the end",
         {toEnd, {Qt::Key_Return, Qt::NoModifier, "\r"}},
         [](const Case& c, const QString& value) { return value + c.typedBreak; }},
        {"Shift+Return typed at the end",
         {toEnd, {Qt::Key_Return, Qt::ShiftModifier, "\r"}},
         [](const Case& c, const QString& value) { return value + c.typedBreak; }},
        {"mixed breaks pasted after the first character",
         {toStart, {Qt::Key_Right, Qt::NoModifier, {}}, {Qt::Key_V, Qt::ControlModifier, {}}},
         [](const Case&, const QString& value) {
             return value.first(1) + kMixedBreaks + value.sliced(1);
         },
         kMixedBreaks},
    };
    return all;
}

// Longer than a text view holds whole: the text's start and end lie in different windows.
QString windowed(const QString& text) {
    return text + QString("word ").repeated(14000) + text;
}

struct Row {
    std::string where;
    QString value;
    const Case* textCase;
    const Action* action;
};

}  // namespace

class PanelExactTextTest : public GridTest {
  protected:
    // Table t holds every case's text and its long form once for each action.
    void SetUp() override {
        GridTest::SetUp();
        std::string sql = "create table t (body text);";
        for (const Case& c : cases()) {
            for (bool isLong : {false, true}) {
                for (const Action& action : actions()) {
                    const QString value = isLong ? windowed(c.text) : c.text;
                    rows.push_back(
                        {std::string(c.name) + (isLong ? ", long, " : ", ") + action.name, value,
                         &c, &action});
                    sql += "insert into t values (" + quoteLiteral(value.toStdString()) + ");";
                }
            }
        }
        run(sql);
        logUpdates();
    }
    std::string stored(size_t row) const {
        return readBack("select body from t where rowid = " + std::to_string(row + 1));
    }
    void focus(TablesAndRowsController* c, size_t row) {
        rowsOf(c)->navigator().selectStartRowIndex(RowIndex(int64_t(row)), FieldIndex(1), true);
        QApplication::processEvents();
    }
    // The row's keys typed in the view, then all of it copied: the copy is what it will write.
    void actAndCopy(WindowedTextView* view, const Row& row) {
        if (!row.action->clipboard.isEmpty()) {
            QApplication::clipboard()->setText(row.action->clipboard);
        }
        for (const Key& key : row.action->keys) press(view, key);
        QApplication::clipboard()->setText("before");
        press(view, {Qt::Key_A, Qt::ControlModifier, {}});
        press(view, {Qt::Key_C, Qt::ControlModifier, {}});
        EXPECT_TRUE(sameText(QApplication::clipboard()->text().toStdString(), expected(row)))
            << row.where;
    }
    static std::string expected(const Row& row) {
        return row.action->expected(*row.textCase, row.value).toStdString();
    }

    std::vector<Row> rows;
};

TEST_F(PanelExactTextTest, SaveWritesTheValueAsStoredButForWhatWasTyped) {
    TablesAndRowsController* c = showGrid("t");
    click(0, 1);
    key(Qt::Key_Return, Qt::ControlModifier);
    EditFieldPanel& panel = partsOf(c).editField;
    ASSERT_TRUE(panel.isShown());
    for (size_t row = 0; row < rows.size(); ++row) {
        focus(c, row);
        actAndCopy(panel.textView(), rows[row]);
        panel.saveButton()->click();
        QApplication::processEvents();
        EXPECT_TRUE(sameText(stored(row), expected(rows[row]))) << rows[row].where;
    }
    // An untouched value is not written at all.
    EXPECT_EQ(readBack("select count(*) from updates where (id - 1) % " +
                       std::to_string(actions().size()) + " = 0"),
              "0");
}

TEST_F(PanelExactTextTest, DoneHandsTheRecordEditorTheValueAsStoredButForWhatWasTyped) {
    TablesAndRowsController* c = showGrid("t");
    click(0, 1);
    key(Qt::Key_Return, Qt::AltModifier);
    RecordConsole& record = partsOf(c).record;
    EditFieldPanel& panel = partsOf(c).editField;
    for (size_t row = 0; row < rows.size(); ++row) {
        focus(c, row);
        c->view()->findChild<QToolButton*>("addRowViewDetail1")->click();
        ASSERT_TRUE(panel.isSheet());
        actAndCopy(panel.textView(), rows[row]);
        panel.saveButton()->click();
        EXPECT_TRUE(sameText(record.valueField(FieldIndex(1))->wholeText().toStdString(),
                             expected(rows[row])))
            << rows[row].where;
        c->view()->findChild<QPushButton*>("addRowViewSaveButton")->click();
        QApplication::processEvents();
        EXPECT_TRUE(sameText(stored(row), expected(rows[row]))) << rows[row].where;
    }
}

TEST_F(PanelExactTextTest, TheExpandedFieldsPanelCopiesTheValueAsStored) {
    run("create table varnelo_db_fields (table_name, name, number, type, flags);"
        "insert into varnelo_db_fields values ('t', 'body', 1, 1, 256)");
    TablesAndRowsController* c = showGrid("t");
    // The values themselves, not their display forms.
    c->state().display.formatDataInRowsConsole = false;
    ExpandedFieldsPanel& expanded = partsOf(c).expandedFields;
    expanded.showExpandedFieldsPanel(true);
    WindowedTextView* view = expanded.expandedFieldsPanelTextView();
    makeKeyAndOrderFront(view->window());
    view->setFocus();
    // The untouched rows: each text and its long form.
    for (size_t row = 0; row < rows.size(); row += actions().size()) {
        focus(c, row);
        QApplication::clipboard()->setText("before");
        press(view, {Qt::Key_A, Qt::ControlModifier, {}});
        press(view, {Qt::Key_C, Qt::ControlModifier, {}});
        EXPECT_TRUE(sameText(QApplication::clipboard()->text().toStdString(), expected(rows[row])))
            << rows[row].where;
    }
}
