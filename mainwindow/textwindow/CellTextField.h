#pragma once
// The line edit a grid cell or a record editor's field is edited in. Every key it gets edits its
// text: none falls through to the grid behind it, and the start and end of the text are reached
// with Ctrl+Home and Ctrl+End too. A line edit lays out and shapes all of its text on every
// change, so a long text is held in a window (TextWindow.h).
#include <QLineEdit>

#include <string>
#include <string_view>
#include <utility>

#include "mainwindow/textwindow/TextWindow.h"

class CellTextField : public QLineEdit, private WindowHolder {
    Q_OBJECT

  public:
    // A text up to wholeLimit characters is held in the line edit whole, a longer one in a window
    // of windowSize characters (TextWindowSizes).
    explicit CellTextField(QWidget* parent, qsizetype wholeLimit = 65536,
                           qsizetype windowSize = 4096, qsizetype margin = 1024);

    // Replaces the text, keeping the text as loaded; the cursor goes to its end.
    void setWholeText(QString text);
    // Replaces the text and the text as loaded with an UTF-8 text, held once when it is ASCII:
    // the whole text shares what it has not changed of it.
    void setLoadedText(std::string utf8);
    QString wholeText() const;
    // Whether the whole text in UTF-8 is utf8, found without a copy of the whole text.
    bool wholeTextEquals(std::string_view utf8) const { return text_.equals(utf8); }
    // The text as loaded (empty when none was), and whether the whole text still is it.
    const std::string& loadedText() const;
    bool isAsLoaded() const { return wholeTextEquals(loadedText()); }
    qsizetype wholeLength() const { return text_.length(); }
    // Where the cursor and the selection's other end lie in the whole text.
    qsizetype wholeCursorPosition() const { return text_.cursor(); }
    qsizetype wholeAnchorPosition() const { return text_.anchor(); }
    // The text of an editor: its whole text for a cell's field, else what the line edit holds.
    static QString wholeTextOf(const QLineEdit* editor);

  signals:
    // The user changed the whole text, also where the line edit's own textEdited does not see
    // it (a selection reaching past the window deleted).
    void wholeTextEdited();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    // WindowHolder
    QString windowText() const override { return text(); }
    qsizetype windowLength() const override { return text().size(); }
    qsizetype windowCursor() const override { return cursorPosition(); }
    qsizetype windowAnchor() const override;
    std::pair<qsizetype, qsizetype> windowAround(qsizetype cursor) override;
    void moveWindow(qsizetype start, qsizetype end) override;
    void clearWindow() override;
    void showWindowSelection(qsizetype anchor, qsizetype cursor) override;

    void setWholePieces(LoadedAndTypedText text);
    void placeWindow(qsizetype anchor, qsizetype cursor) { text_.placeWindow(anchor, cursor); }
    // After an edit: the window follows the cursor, and a text the edit made long goes into one.
    void followEdit();
    // Select All and the keys to the text's start or end, which a window's edges would stop.
    bool moveToTextEnd(const QKeyEvent* event);
    // The word moves and deletes, whose step a window's edge would stop short of a long word.
    bool moveByWord(const QKeyEvent* event);
    // Left or Right on a selection ends it at its start or end, also where it reaches past the
    // window; false for any other key or without a selection.
    bool endSelection(const QKeyEvent* event);
    // Copies, cuts or deletes a selection reaching past the window; false when there is none.
    bool actOnSelectionPastWindow(const QKeyEvent* event);
    void deleteSelectionPastWindow();
    void selectionDidChange();
    // A line edit takes its direction from the first letter that has one: a window starts
    // where its first such letter has the whole text's direction, earlier when it must.
    Qt::LayoutDirection wholeDirection() const;
    qsizetype startInWholeDirection(qsizetype start, qsizetype end) const;

    TextWindow text_;
    LoadedAndTypedText::Shared loaded_;
    bool placing_ = false;
};
