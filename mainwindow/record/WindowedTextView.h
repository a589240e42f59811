#pragma once
// The panels' text view. A text view lays out and shapes a paragraph whole, which for a value of
// millions of characters without a line break takes seconds, so a long text is held in a window
// (TextWindow.h) moved along as the cursor or what is shown nears its edge. A scroll bar of the
// view's own stands for the whole text, its lines outside the window estimated from the
// characters a line holds. In a paragraph longer than the window, lines break from the window's
// start: a whole number of lines after the paragraph's own where its characters are of one
// width, elsewhere near it.
#include <QPlainTextEdit>

#include <optional>
#include <utility>
#include <vector>

#include "mainwindow/textwindow/BreakForms.h"
#include "mainwindow/textwindow/TextWindow.h"

class QScrollBar;

class WindowedTextView : public QPlainTextEdit, private WindowHolder {
    Q_OBJECT

  public:
    explicit WindowedTextView(QWidget* parent);
    // Taken by the texts set from now on (smaller ones let a test move the window on short texts).
    void setSizes(TextWindowSizes sizes) { text_.setSizes(sizes); }

    // Replaces the text as setPlainText does: the cursor at its start, shown from its top.
    void setWholeText(const QString& text);
    // The text as it was set but for the user's edits: each paragraph break in the form of the
    // break it stands for, or for one typed of the break that begins its paragraph (LF in a text
    // without breaks); no-break spaces and line separators as they are.
    QString wholeText() const;
    qsizetype wholeLength() const { return text_.length(); }
    qsizetype wholeCursorPosition() const { return text_.cursor(); }
    qsizetype wholeAnchorPosition() const { return text_.anchor(); }
    bool holdsPart() const { return text_.holdsPart(); }
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
    void insertFromMimeData(const QMimeData* source) override;

  private:
    struct DeletionPastWindow {
        qsizetype from;
        QString text;
        QByteArray forms;
        // By a typed key or a paste, whose text is undone with it.
        bool replaced = false;
    };
    // WindowHolder: the window is the view's text, every break one '\n'.
    QString windowText() const override;
    qsizetype windowLength() const override { return document()->characterCount() - 1; }
    qsizetype windowCursor() const override { return textCursor().position(); }
    qsizetype windowAnchor() const override { return textCursor().anchor(); }
    // Its lines break where the whole paragraph's would: from its start when it is near, else a
    // whole number of lines after it.
    std::pair<qsizetype, qsizetype> windowAround(qsizetype position) override;
    // Puts the characters start..end in the view, what is shown kept where it was.
    void moveWindow(qsizetype start, qsizetype end) override;
    void clearWindow() override;
    void showWindowSelection(qsizetype anchor, qsizetype cursor) override;
    void windowPlaced() override { syncWholeBar(); }

    bool hasKeyboardCursor() const;
    // The whole text with every break one '\n', as the view holds it.
    QString wholeHeldText() const;
    // Keeps the forms of the window's breaks in step with an edit of the document.
    void followBreaks(int position, int removed, int added);
    // As a text view takes it from the paragraph's first letter that has one.
    Qt::LayoutDirection paragraphDirection(qsizetype position) const;
    // Puts the text in the view, forms being those of its breaks.
    void showWindowText(const QString& text, QByteArray forms);
    // A window starting inside a paragraph takes the paragraph's direction, not its own.
    void keepParagraphDirection();
    // Shows the text from the line holding position in a window around middle, the cursor kept
    // where it is.
    void showFrom(qsizetype position, qsizetype middle);
    void followView();
    void viewDidScroll();
    void wholeBarMoved(int line);
    void syncWholeBar();
    qsizetype charactersPerLine() const;
    qsizetype estimatedLines(const LoadedAndTypedText& text) const;
    // The position after that many estimated lines of text.
    qsizetype positionAfterLines(const LoadedAndTypedText& text, qsizetype lines) const;
    int windowLineOf(qsizetype position) const;
    qsizetype windowPositionOfLine(int line) const;
    void recountLines();
    // Takes the characters of a full line from the window as laid out, once for a text.
    void measureLines();
    // Select All, Ctrl+Home and Ctrl+End and their selecting forms, which the window's edges would
    // stop.
    bool moveToTextEnd(const QKeyEvent* event);
    bool actOnSelectionPastWindow(const QKeyEvent* event);
    // The word moves and deletes, whose step a window's edge would stop short of a long word.
    bool moveByWord(const QKeyEvent* event);
    void deleteSelectionPastWindow();
    // Ctrl+Z once the view's own undo steps are spent puts a selection deleted past the window
    // back, which the view's steps lost when its text was put in anew.
    void undoDeletionPastWindow();
    void selectionDidChange();
    // A text held whole that an edit made too long to be goes into a window.
    void placeWindowAfterPaste();

    TextWindow text_;
    // The form of a break typed in the text's first paragraph: that of its first break as set.
    char firstForm_ = kLfBreak;
    // Breaks an edit of the view removed, kept for its undo.
    struct RemovedBreaks {
        int position;
        int removed;
        QByteArray forms;
        // The view's undo steps after the edit.
        int undoSteps;
    };
    std::vector<RemovedBreaks> removedBreaks_;
    std::optional<DeletionPastWindow> deletionPastWindow_;
    // The forms of the breaks of a text being pasted or dropped.
    std::optional<QByteArray> pastedForms_;
    QScrollBar* wholeBar_;
    qsizetype linesBefore_ = 0;
    qsizetype linesAfter_ = 0;
    // The characters of a full line of the window as laid out; 0 until measured.
    qsizetype lineCharacters_ = 0;
    bool placing_ = false;
    bool keying_ = false;
    bool selectingByMouse_ = false;
};
