#pragma once
// The panels' text view. A text view lays out and shapes a paragraph whole, which for a value of
// millions of characters without a line break takes seconds; a long text is therefore held whole
// beside the view, which holds only a window of it around what is shown and the cursor, moved
// along as either nears the window's edge. A scroll bar of the view's own stands for the whole
// text, its lines outside the window estimated from the characters a line holds. A selection
// reaching past the window keeps its far end here, and so do the cursor and the selection while
// the view is scrolled away from them. In a paragraph longer than the window, lines break from
// the window's start: a whole number of lines after the paragraph's own where its characters are
// of one width, elsewhere near it.
#include <QPlainTextEdit>

#include <optional>
#include <utility>
#include <vector>

#include "mainwindow/BreakForms.h"
#include "mainwindow/TextParts.h"

class QScrollBar;

struct TextWindowSizes {
    // A text up to wholeLimit characters is held in the view whole, a longer one in a window
    // of about `window` characters, moved once the cursor or the view comes within margin
    // characters of an edge that is not the text's own. A margin holds more than two pages.
    qsizetype wholeLimit = 65536;
    qsizetype window = 32768;
    qsizetype margin = 8192;
};

class WindowedTextView : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit WindowedTextView(QWidget* parent);
    // Taken by the texts set from now on (smaller ones let a test move the window on short texts).
    void setSizes(TextWindowSizes sizes) { sizes_ = sizes; }

    // Replaces the text as setPlainText does: the cursor at its start, shown from its top.
    void setWholeText(const QString& text);
    // The text as it was set but for the user's edits: each paragraph break in the form of the
    // break it stands for, or for one typed of the break that begins its paragraph (LF in a text
    // without breaks); no-break spaces and line separators as they are.
    QString wholeText() const;
    qsizetype wholeLength() const;
    qsizetype wholeCursorPosition() const;
    qsizetype wholeAnchorPosition() const;
    bool holdsPart() const { return !parts_.isEmpty(); }
    // Stands for the whole text while the view holds a part of it.
    QScrollBar* wholeScrollBar() const { return wholeBar_; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    struct WideDelete {
        qsizetype from;
        QString text;
        QByteArray forms;
        // By a typed key or a paste, whose text is undone with it.
        bool replaced = false;
    };
    struct Ends {
        qsizetype anchor;
        qsizetype cursor;
    };
    bool hasKeyboardCursor() const;
    qsizetype windowLength() const { return document()->characterCount() - 1; }
    QString wholeSlice(qsizetype from, qsizetype to) const;
    qsizetype characterStartAtOrBefore(qsizetype position) const;
    QString windowText() const;
    // The whole text with every break one '\n', as the view holds it.
    QString wholeHeldText() const;
    // Keeps the forms of the window's breaks in step with an edit of the document.
    void followBreaks(int position, int removed, int added);
    qsizetype paragraphStartAtOrBefore(qsizetype position) const;
    qsizetype paragraphEndAtOrAfter(qsizetype position) const;
    // As a text view takes it from the paragraph's first letter that has one.
    Qt::LayoutDirection paragraphDirection(qsizetype position) const;
    // Where a window holding position with room either side starts and ends.
    std::pair<qsizetype, qsizetype> windowAround(qsizetype position) const;
    // Regroups the parts so that the window is start..end (TextParts::regroup).
    QByteArray regroup(qsizetype start, qsizetype end);
    // Puts the characters start..end in the view, what is shown kept where it was.
    void moveWindow(qsizetype start, qsizetype end);
    // Puts the text in the view, forms being those of its breaks.
    void showWindowText(const QString& text, QByteArray forms);
    // A window starting inside a paragraph takes the paragraph's direction, not its own.
    void keepParagraphDirection();
    // Moves the window when the cursor comes near its edge, then shows the selection from anchor
    // to cursor (whole-text positions).
    void placeWindow(qsizetype anchor, qsizetype cursor, bool always = false);
    void showSelection(qsizetype anchor, qsizetype cursor);
    // Shows the text from the line holding position in a window around middle, the cursor kept
    // where it is.
    void showFrom(qsizetype position, qsizetype middle);
    // A key or click after the view was scrolled away from the cursor acts at the cursor.
    void comeBack();
    void followView();
    void viewDidScroll();
    void wholeBarMoved(int line);
    void syncWholeBar();
    qsizetype charactersPerLine() const;
    qsizetype estimatedLines(QStringView text) const;
    // The position after that many estimated lines of text.
    qsizetype positionAfterLines(QStringView text, qsizetype lines) const;
    int windowLineOf(qsizetype position) const;
    qsizetype windowPositionOfLine(int line) const;
    void recountLines();
    // Takes the characters of a full line from the window as laid out, once for a text.
    void measureLines();
    // Select All, Ctrl+Home and Ctrl+End and their selecting forms, which the window's edges would
    // stop.
    bool moveToTextEnd(const QKeyEvent* event);
    bool actOnWideSelection(const QKeyEvent* event);
    // The word moves and deletes, whose step a window's edge would stop short of a long word.
    bool moveByWord(const QKeyEvent* event);
    void deleteWideSelection();
    // Ctrl+Z once the view's own undo steps are spent puts a selection deleted past the window
    // back, which the view's steps lost when its text was put in anew.
    void undoWideDelete();
    // A selection of the whole window by the view's own Select All selects the whole text once
    // the view is done (settle).
    void selectionDidChange();
    void settle();

    TextWindowSizes sizes_;
    TextParts parts_;
    // The form of a break typed in the text's first paragraph: that of its first break as set.
    char firstForm_ = kLfBreak;
    // The forms of the window's breaks, in step with the view's paragraphs.
    QByteArray windowForms_;
    // Breaks an edit of the view removed, kept for its undo.
    struct RemovedBreaks {
        int position;
        int removed;
        QByteArray forms;
        // The view's undo steps after the edit.
        int undoSteps;
    };
    std::vector<RemovedBreaks> removedBreaks_;
    // The selection's anchor when it lies outside the window.
    std::optional<qsizetype> wideAnchor_;
    // The cursor and the anchor while the window shows another part of the text.
    std::optional<Ends> away_;
    std::optional<WideDelete> wideDelete_;
    // The cursor's place while the window has still to follow a Select All.
    std::optional<qsizetype> pendingCursor_;
    QScrollBar* wholeBar_;
    qsizetype linesBefore_ = 0;
    qsizetype linesAfter_ = 0;
    // The characters of a full line of the window as laid out; 0 until measured.
    qsizetype lineCharacters_ = 0;
    bool placing_ = false;
    bool keying_ = false;
    bool selectingByMouse_ = false;
};
