// While a text field of a database window or of a panel over it has the keyboard, the keys of
// text editing are the field's, never a menu item's: every kind of field does with them what a
// line edit or a plain text view does, and no command of the grid runs. The keys are pressed as
// a user presses them, where the window system delivers them, so that the window's shortcuts
// may take them.
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableWidget>

#include <functional>
#include <limits>

#include "Common/FavoritesAndBookmarks.h"
#include "Common/Pickers.h"
#include "design/DropFileNameTextView.h"
#include "design/NameAndFieldsPanel.h"
#include "design/PickerTypesWindow.h"
#include "design/SQLConsole.h"
#include "design/SearchPanel.h"
#include "design/WebBookmarksWindow.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/ExpandedFieldsPanel.h"
#include "mainwindow/record/RecordConsole.h"
#include "mainwindow/record/WindowedTextView.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "tests/mainwindow/GridTest.h"

namespace {

struct Press {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

struct TextKey {
    QString name;
    // The key tried comes last; those before give it something to act on.
    std::vector<Press> presses;
};

constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
const Press kSelectWordBack{Qt::Key_Left, kCtrl | kShift};
const Press kUndo{Qt::Key_Z, kCtrl};

std::vector<TextKey> textKeys() {
    std::vector<TextKey> keys = {
        {"Ctrl+Backspace", {{Qt::Key_Backspace, kCtrl}}},
        {"Ctrl+Delete", {{Qt::Key_Delete, kCtrl}}},
        {"Ctrl+A", {{Qt::Key_A, kCtrl}}},
        {"Ctrl+Z", {kUndo}},
        {"Ctrl+Shift+Z", {kUndo, {Qt::Key_Z, kCtrl | kShift}}},
        {"Ctrl+Y", {kUndo, {Qt::Key_Y, kCtrl}}},
        {"Ctrl+X", {kSelectWordBack, {Qt::Key_X, kCtrl}}},
        {"Ctrl+C", {kSelectWordBack, {Qt::Key_C, kCtrl}}},
        {"Ctrl+V", {{Qt::Key_V, kCtrl}}},
        {"Shift+Delete", {kSelectWordBack, {Qt::Key_Delete, kShift}}},
        {"Ctrl+Insert", {kSelectWordBack, {Qt::Key_Insert, kCtrl}}},
        {"Shift+Insert", {{Qt::Key_Insert, kShift}}},
    };
    const std::pair<const char*, Press> moves[] = {
        {"Home", {Qt::Key_Home}},
        {"End", {Qt::Key_End}},
        {"Ctrl+Home", {Qt::Key_Home, kCtrl}},
        {"Ctrl+End", {Qt::Key_End, kCtrl}},
        {"Ctrl+Left", {Qt::Key_Left, kCtrl}},
        {"Ctrl+Right", {Qt::Key_Right, kCtrl}},
    };
    for (const auto& [name, press] : moves) {
        keys.push_back({name, {press}});
        keys.push_back({QString("Shift+") + name, {{press.key, press.modifiers | kShift}}});
    }
    return keys;
}

// Every key starts in the text with something typed before the cursor.
const std::vector<Press> kStart = {
    {Qt::Key_End, kCtrl}, {Qt::Key_Left, kCtrl}, {Qt::Key_Left, kCtrl}, {Qt::Key_X}};

// A field's text, selection and the clipboard after the keys.
struct TextState {
    QString text;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
    QString clipboard;
    bool operator==(const TextState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TextState& state) {
    return out << "text " << state.text.left(60).toStdString() << "… (" << state.text.size()
               << "), cursor " << state.cursor << ", anchor " << state.anchor << ", clipboard "
               << state.clipboard.left(40).toStdString();
}

void setFieldText(QWidget* field, const QString& text) {
    if (auto* cell = qobject_cast<CellTextField*>(field)) {
        cell->setWholeText(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->setText(text);
    } else if (auto* windowed = qobject_cast<WindowedTextView*>(field)) {
        windowed->setWholeText(text);
    } else {
        qobject_cast<QPlainTextEdit*>(field)->setPlainText(text);
    }
}

TextState stateOf(QWidget* field) {
    TextState state;
    state.clipboard = QApplication::clipboard()->text();
    if (auto* cell = qobject_cast<CellTextField*>(field)) {
        state.text = cell->wholeText();
        state.cursor = cell->wholeCursorPosition();
        state.anchor = cell->wholeAnchorPosition();
    } else if (auto* line = qobject_cast<QLineEdit*>(field)) {
        state.text = line->text();
        state.cursor = line->cursorPosition();
        state.anchor = !line->hasSelectedText()                 ? state.cursor
                       : line->selectionStart() == state.cursor ? line->selectionEnd()
                                                                : line->selectionStart();
    } else if (auto* windowed = qobject_cast<WindowedTextView*>(field)) {
        state.text = windowed->wholeText();
        state.cursor = windowed->wholeCursorPosition();
        state.anchor = windowed->wholeAnchorPosition();
    } else {
        auto* view = qobject_cast<QPlainTextEdit*>(field);
        state.text = view->toPlainText();
        state.cursor = view->textCursor().position();
        state.anchor = view->textCursor().anchor();
    }
    return state;
}

// The plain widgets, given each key as their own: an event sent would first go to the shortcuts
// of the window in front.
struct PlainLineEdit : QLineEdit {
    using QLineEdit::keyPressEvent;
};
struct PlainTextView : QPlainTextEdit {
    using QPlainTextEdit::keyPressEvent;
};

// What a plain line edit or text view, made like the field, does with the keys.
TextState oracleState(QWidget* field, const QString& text, const std::vector<Press>& presses) {
    std::unique_ptr<QWidget> oracle;
    std::function<void(QKeyEvent*)> give;
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        auto* plain = new PlainLineEdit;
        plain->setMaxLength(std::numeric_limits<int>::max());
        plain->setReadOnly(line->isReadOnly());
        give = [plain](QKeyEvent* key) { plain->keyPressEvent(key); };
        oracle.reset(plain);
    } else {
        auto* plain = new PlainTextView;
        auto* view = qobject_cast<QPlainTextEdit*>(field);
        plain->setReadOnly(view->isReadOnly());
        plain->setTextInteractionFlags(view->textInteractionFlags());
        give = [plain](QKeyEvent* key) { plain->keyPressEvent(key); };
        oracle.reset(plain);
    }
    oracle->resize(field->size());
    setFieldText(oracle.get(), text);
    QApplication::clipboard()->setText("clip");
    const bool cell = qobject_cast<CellTextField*>(field) != nullptr;
    for (Press press : presses) {
        // A cell's one line is its whole text: Ctrl+Home and Ctrl+End reach its ends too.
        if (cell && (press.key == Qt::Key_Home || press.key == Qt::Key_End)) {
            press.modifiers &= ~kCtrl;
        }
        const char ascii = QTest::keyToAscii(press.key);
        QKeyEvent key(QEvent::KeyPress, press.key, press.modifiers,
                      ascii && QChar(ascii).isPrint() ? QString(QChar(ascii)) : QString());
        give(&key);
    }
    return stateOf(oracle.get());
}

// A field to try: how it is shown with the keyboard.
struct FieldKind {
    FieldKind(const char* name, std::function<QWidget*()> show, bool isLong = false)
        : name(name), show(std::move(show)), isLong(isLong) {}
    const char* name;
    std::function<QWidget*()> show;
    bool isLong;
};

}  // namespace

class TextFieldKeysTest : public GridTest {
  protected:
    void SetUp() override {
        GridTest::SetUp();
        makeRowsTable(3);
        run("create view v as select * from t");
    }

    // What the keys might have changed in the file: the rows, the tables' names, the picker
    // values and the bookmarks.
    std::string contents() const {
        return readBack(
            "select (select group_concat(name || amount) from t) || '|' || (select "
            "group_concat(name) from sqlite_master) || '|' || (select group_concat(name) from "
            "varnelo_db_picker_values) || '|' || (select group_concat(title || url) from "
            "varnelo_db_bookmarks)");
    }

    // The field given the keyboard in its window, that window active as a user leaves it.
    static QWidget* focus(QWidget* field) {
        QWidget* window = field->window();
        window->raise();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
        field->setFocus();
        QApplication::processEvents();
        return field;
    }

    // Tries every key in the field, each on a fresh text, against the oracle.
    void tryKeys(const FieldKind& kind) {
        SCOPED_TRACE(kind.name);
        QPointer<QWidget> field = kind.show();
        ASSERT_TRUE(field);
        const bool lines = qobject_cast<QPlainTextEdit*>(field) != nullptr;
        QString text = lines ? "alpha beta gamma\ndelta epsilon" : "alpha beta gamma delta";
        if (kind.isLong) {
            text = lines ? QString("alpha beta gamma\n").repeated(5000)
                         : QString("alpha beta gamma ").repeated(5000);
        }
        for (const TextKey& key : textKeys()) {
            SCOPED_TRACE(key.name.toStdString());
            std::vector<Press> presses = kStart;
            presses.insert(presses.end(), key.presses.begin(), key.presses.end());
            setFieldText(field, text);
            QApplication::clipboard()->setText("clip");
            ASSERT_EQ(QApplication::focusWidget(), field);
            for (const Press& press : presses) {
                QTest::keyClick(QApplication::focusWidget(), press.key, press.modifiers);
            }
            QApplication::processEvents();
            ASSERT_TRUE(field) << "closed by the keys";
            EXPECT_EQ(stateOf(field), oracleState(field, text, presses));
            EXPECT_TRUE(alerts.empty());
            alerts.clear();
        }
        // Put away without a change: an editor ended by Escape, a panel closed.
        QWidget* window = field->window();
        QTest::keyClick(field, Qt::Key_Escape);
        if (window != grid->window()) window->hide();
        QApplication::processEvents();
        EXPECT_EQ(contents(), unchanged);
    }

    std::string unchanged;
};

TEST_F(TextFieldKeysTest, TextKeysEditEveryKindOfTextFieldAndNeverReachTheMenus) {
    TablesAndRowsController* c = showGrid("t");
    WindowParts& parts = partsOf(c);
    // The grid's first row selected, as the user leaves it before turning to a field.
    auto selectFirstRow = [&] {
        c->selectConsole(TablesAndRowsState::RowsConsole);
        focus(grid);
        if (c->state().selection.mySelectedRowIndexes.empty()) click(0, 0);
        EXPECT_FALSE(c->state().selection.mySelectedRowIndexes.empty());
    };
    auto cellEditor = [&] {
        focus(grid);
        doubleClick(1, 1);
        return focus(openedEditor());
    };
    auto recordField = [&] {
        c->selectConsole(TablesAndRowsState::RecordConsole);
        return focus(parts.record.valueField(FieldIndex(1)));
    };
    auto editFieldPanel = [&] {
        selectFirstRow();
        parts.editField.showEditFieldPanel();
        return focus(parts.editField.textView());
    };
    // The first item's editor of a list in a panel.
    auto itemEditor = [&](QTableWidget* table) {
        focus(table);
        table->editItem(table->item(0, 0));
        return focus(table->findChild<QLineEdit*>());
    };
    const FieldKind kinds[] = {
        {"grid's cell editor", cellEditor},
        {"grid's cell editor on a long value", cellEditor, true},
        {"record editor", recordField},
        {"record editor on a long value", recordField, true},
        {"edit-field panel", editFieldPanel},
        {"edit-field panel on a long value", editFieldPanel, true},
        {"expanded-fields panel",
         [&] {
             selectFirstRow();
             parts.expandedFields.showExpandedFieldsPanel(true);
             return focus(parts.expandedFields.expandedFieldsPanelTextView());
         }},
        {"SQL console",
         [&] {
             selectFirstRow();
             c->selectConsole(TablesAndRowsState::SQLConsole);
             return focus(parts.sql.queryTextView());
         }},
        {"Search field",
         [&] {
             selectFirstRow();
             parts.search.searchMenuItemClicked();
             return focus(parts.search.searchPanelSearchField());
         }},
        {"Name and Fields' table name",
         [&] {
             selectFirstRow();
             parts.nameAndFields.nameAndFieldsMenuItemClicked();
             return focus(parts.nameAndFields.nameAndFieldsPanelTableNameField());
         }},
        {"Name and Fields' field name",
         [&] {
             selectFirstRow();
             parts.nameAndFields.nameAndFieldsMenuItemClicked();
             return itemEditor(parts.nameAndFields.nameAndFieldsPanelTableView());
         }},
        {"tables list's rename",
         [&] {
             selectFirstRow();
             QListWidget* tables = c->tablesTableView();
             tables->editItem(tables->findItems("t", Qt::MatchExactly).front());
             return focus(tables->findChild<QLineEdit*>());
         }},
        {"picker value",
         [&] {
             selectFirstRow();
             parts.pickerTypes.pickerTypesMenuItemClicked();
             parts.pickerTypes.pickerTypesWindowTypesTableView()->selectRow(0);
             return itemEditor(parts.pickerTypes.pickerTypesWindowValuesTableView());
         }},
        {"web bookmark",
         [&] {
             selectFirstRow();
             parts.webBookmarks.webBrowserBookmarksMenuItemClicked();
             return itemEditor(parts.webBookmarks.webBrowserBookmarksWindowTableView());
         }},
        // Last, as it shows the view: its name cannot be changed.
        {"Name and Fields' table name of a view",
         [&] {
             c->selectTableWithName("v");
             parts.nameAndFields.nameAndFieldsMenuItemClicked();
             QLineEdit* name = parts.nameAndFields.nameAndFieldsPanelTableNameField();
             EXPECT_TRUE(name->isReadOnly());
             return focus(name);
         }},
    };
    std::string error;
    ASSERT_EQ(DBInterface::addPickerType("Grades", {"A", "B"}, db, &error), 0) << error;
    ASSERT_EQ(DBInterface::addBookmark("Home page", "https://example.org", db, &error), 0) << error;
    unchanged = contents();
    for (const FieldKind& kind : kinds) tryKeys(kind);
}

TEST_F(TextFieldKeysTest, MenuKeysWithoutAMeaningInTextStillActOnTheWindowFromAPanel) {
    TablesAndRowsController* c = showGrid("t");
    WindowParts& parts = partsOf(c);
    parts.search.searchMenuItemClicked();
    QLineEdit* search = parts.search.searchPanelSearchField();
    focus(search);
    QTest::keyClick(search, Qt::Key_N, kCtrl | kShift);  // Add One Blank Row
    QApplication::processEvents();
    EXPECT_EQ(readBack("select count(*) from t"), "4");
    EXPECT_EQ(search->text(), "");
}
