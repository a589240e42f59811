#pragma once
// The line edit a grid cell is edited in. Every key it gets edits its text: none falls through
// to the grid behind it, and the start and end of the text are reached with Ctrl+Home and
// Ctrl+End too. A line edit lays out and shapes all of its text on every change, which for a
// text of millions of characters takes most of a second a key; a long text is therefore held
// whole beside the line edit, which holds only a window of it around the cursor and is moved
// along as the cursor nears the window's edge. A selection reaching past the window keeps its
// far end here.
#include <QLineEdit>

#include <optional>
#include <string>
#include <string_view>

#include "mainwindow/rows/views/TextPieces.h"

class CellTextField : public QLineEdit {
    Q_OBJECT

  public:
    // A text up to wholeLimit characters is held in the line edit whole, a longer one in a window
    // of windowSize characters, moved once the cursor comes within margin characters of an edge
    // that is not the text's own.
    explicit CellTextField(QWidget* parent, qsizetype wholeLimit = 65536,
                           qsizetype windowSize = 4096, qsizetype margin = 1024);

    // Replaces the text, keeping the text as loaded; the cursor goes to its end.
    void setWholeText(QString text);
    // Replaces the text and the text as loaded with an UTF-8 text, held once when it is ASCII:
    // the whole text shares what it has not changed of it.
    void setLoadedText(std::string utf8);
    QString wholeText() const;
    // Whether the whole text in UTF-8 is utf8, found without a copy of the whole text.
    bool wholeTextEquals(std::string_view utf8) const;
    // The text as loaded (empty when none was), and whether the whole text still is it.
    const std::string& loadedText() const;
    bool isAsLoaded() const { return wholeTextEquals(loadedText()); }
    qsizetype wholeLength() const { return before_.size() + text().size() + after_.size(); }
    // Where the cursor and the selection's other end lie in the whole text.
    qsizetype wholeCursorPosition() const {
        return pendingCursor_ ? *pendingCursor_ : before_.size() + cursorPosition();
    }
    qsizetype wholeAnchorPosition() const;
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
    bool holdsPart() const { return !before_.isEmpty() || !after_.isEmpty(); }
    // Select All and the keys to the text's start or end, which a window's edges would stop.
    bool moveToTextEnd(const QKeyEvent* event);
    // The word moves and deletes, whose step a window's edge would stop short of a long word.
    bool moveByWord(const QKeyEvent* event);
    // Where a word step from position ends in the whole text, as the line edit finds it.
    qsizetype wordStep(qsizetype position, bool forward) const;
    // Left or Right on a selection ends it at its start or end, also where it reaches past the
    // window; false for any other key or without a selection.
    bool endSelection(const QKeyEvent* event);
    // Copies, cuts or deletes a selection reaching past the window; false when there is none.
    bool actOnWideSelection(const QKeyEvent* event);
    void deleteWideSelection();
    // The selection as the line edit shows it, from the window's edge when the anchor is beyond.
    void showSelection(qsizetype anchor, qsizetype cursor);
    // Moves the window so that it holds the cursor with room either side, then shows the
    // selection from anchor to cursor (whole-text positions).
    void placeWindow(qsizetype anchor, qsizetype cursor, bool always = false);
    // A line edit selecting all of a window that is only part of the text selects everything;
    // the window follows the cursor to the text's end once the line edit is done (settle).
    void selectionDidChange();
    void settle();
    // Regroups the whole text as before_ = [0, start) and after_ = [end, length); the characters
    // between are returned, the caller's to put in the line edit or to drop.
    TextPieces regroup(qsizetype start, qsizetype end);
    // The line edit's text as pieces: those it was made of while it is unchanged.
    TextPieces windowPieces() const;
    void setWholePieces(TextPieces text);
    // A line edit takes its direction from the first letter that has one: a window starts
    // where its first such letter has the whole text's direction, earlier when it must.
    Qt::LayoutDirection wholeDirection() const;
    qsizetype startInWholeDirection(qsizetype start, qsizetype end) const;
    // The characters from..to of the whole text.
    QString wholeSlice(qsizetype from, qsizetype to) const;
    // The nearest start of a character at or before position (never inside a surrogate pair or
    // a character made of several code points).
    qsizetype characterStartAtOrBefore(qsizetype position) const;

    const qsizetype wholeLimit_;
    const qsizetype windowSize_;
    const qsizetype margin_;
    TextPieces before_;
    TextPieces after_;
    // What the line edit's text was made of when the window was placed.
    TextPieces windowSource_;
    TextPieces::Shared loaded_;
    // The selection's anchor when it lies outside the window.
    std::optional<qsizetype> wideAnchor_;
    // The cursor's place while the window has still to follow it.
    std::optional<qsizetype> pendingCursor_;
    bool placing_ = false;
};
