// Real alerts and sheets over the grid, answered with keys sent where the keyboard is: each
// takes the keyboard as it opens and gives it back to the window as it closes.
#include <QMessageBox>

#include "tests/mainwindow/GridTest.h"

class AlertFocusTest : public GridTest {
  protected:
    void SetUp() override {
        GridTest::SetUp();
        Alert::setTestResponder({});
    }
    // The key goes to whatever has the keyboard, as a user's key would.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QTest::qWait(20);
    }
    // The open sheet or alert, checked to be the active window with the keyboard inside it.
    QWidget* activeSheet() const {
        QApplication::processEvents();
        QWidget* sheet = QApplication::activeModalWidget();
        if (!sheet) return nullptr;
        EXPECT_EQ(QApplication::activeWindow(), sheet);
        QWidget* focus = QApplication::focusWidget();
        EXPECT_TRUE(focus && focus->window() == sheet);
        return sheet;
    }
    void expectGridHasTheKeyboard() const {
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(QApplication::activeWindow(), grid->window());
        EXPECT_EQ(QApplication::focusWidget(), grid);
    }
};

TEST_F(AlertFocusTest, EscapeAndReturnAnswerTheSetToNullQuestionAndTheGridKeepsTheKeys) {
    makeRowsTable(5);
    TablesAndRowsController* c = showGrid("t");
    click(1, 1);
    press(Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
    auto* question = qobject_cast<QMessageBox*>(activeSheet());
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text(), "Set the selected fields to NULL?");
    press(Qt::Key_Escape);
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "name 2");
    expectGridHasTheKeyboard();
    // The next keys move the grid's focus, then Return sets the new cell to NULL.
    press(Qt::Key_Down);
    EXPECT_EQ(c->state().selection.focusedRowIndex.value, 2);
    press(Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_NE(activeSheet(), nullptr);
    press(Qt::Key_Return);
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "<null>");
    EXPECT_EQ(readBack("select name from t where rowid = 2"), "name 2");
    expectGridHasTheKeyboard();
}

TEST_F(AlertFocusTest, ReturnClosesAWriteErrorAndTheEditComesBackWithTheKeyboard) {
    makeRowsTable(5);
    run("create trigger t_refused before update on t begin select raise(abort, 'refused'); end");
    showGrid("t");
    doubleClick(2, 1);
    typeAndEnd("typed");
    auto* error = qobject_cast<QMessageBox*>(activeSheet());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->informativeText(), "refused");
    press(Qt::Key_Return);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QLineEdit* field = openedEditor();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->text(), "typed");
    EXPECT_EQ(readBack("select name from t where rowid = 3"), "name 3");
}

TEST_F(AlertFocusTest, TheReplaceSheetTakesTypedTextAndReturn) {
    makeRowsTable(5);
    showGrid("t");
    click(3, 1);
    press(Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    QWidget* sheet = activeSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->objectName(), "promptSheet");
    QTest::keyClicks(QApplication::focusWidget(), "O'Neil");
    press(Qt::Key_Return);
    EXPECT_EQ(readBack("select name from t where rowid = 4"), "O'Neil");
    expectGridHasTheKeyboard();
}
