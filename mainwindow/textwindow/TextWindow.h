#pragma once
// A long text edited in a view that holds only a window of it: laying out and shaping a text of
// millions of characters takes most of a second a key in a line edit and seconds in a text view.
// The text before and after the window is held here, the window's own characters by the view;
// the window is moved along as the cursor nears its edge. A selection reaching past the window
// keeps its far end here, and so do the cursor and the selection while a view is scrolled away
// from them.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <utility>

#include "mainwindow/textwindow/LoadedAndTypedText.h"
#include "mainwindow/textwindow/TextWidget.h"

struct TextWindowSizes {
    // A text up to wholeLimit characters is held in the view whole, a longer one in a window
    // of about `window` characters, moved once the cursor comes within margin characters of an
    // edge that is not the text's own.
    qsizetype wholeLimit = 65536;
    qsizetype window = 32768;
    qsizetype margin = 8192;
};

// What a view holding the window tells of it and does for the text.
class WindowHolder {
  public:
    // The window's characters as the view holds them.
    virtual QString windowText() const = 0;
    virtual qsizetype windowLength() const = 0;
    // The cursor and the selection's other end in the window.
    virtual qsizetype windowCursor() const = 0;
    virtual qsizetype windowAnchor() const = 0;
    // Where a window holding the cursor with room either side starts and ends.
    virtual std::pair<qsizetype, qsizetype> windowAround(qsizetype cursor) = 0;
    // Puts the characters start..end of the whole text in the view (TextWindow::takeWindow).
    virtual void moveWindow(qsizetype start, qsizetype end) = 0;
    // Empties the window, whose characters the text has dropped or holds outside it.
    virtual void clearWindow() = 0;
    // Shows the selection from anchor to cursor, positions in the window.
    virtual void showWindowSelection(qsizetype anchor, qsizetype cursor) = 0;
    // Called once the window is placed and the selection shown.
    virtual void windowPlaced() {}

  protected:
    ~WindowHolder() = default;
};

class TextWindow {
  public:
    TextWindow(WindowHolder& view, TextWindowSizes sizes, TextWidget widget);

    const TextWindowSizes& sizes() const { return sizes_; }
    void setSizes(TextWindowSizes sizes) { sizes_ = sizes; }

    // Empties the view's window and holds text (forms being its breaks') before it, or after it;
    // the window is the caller's to place.
    void holdOutside(LoadedAndTypedText text, QByteArray forms, bool before);
    // Forgets the text outside the window and every end kept here: the view holds it all.
    void clear();

    bool holdsPart() const { return !before_.isEmpty() || !after_.isEmpty(); }
    // Whether an edit must place the window: the text is held in one, or the view holds it whole
    // though a paste made it longer than a text held whole.
    bool followsEdits() const { return holdsPart() || view_.windowLength() > sizes_.wholeLimit; }
    qsizetype windowStart() const { return before_.size(); }
    qsizetype length() const { return before_.size() + view_.windowLength() + after_.size(); }
    const LoadedAndTypedText& before() const { return before_; }
    const LoadedAndTypedText& after() const { return after_; }
    // The forms of the window's breaks, kept in step with the view's edits by the view.
    QByteArray& windowForms() { return windowForms_; }
    QByteArrayView beforeForms() const { return beforeForms_; }
    // The forms of the whole text's breaks.
    QByteArray forms() const;

    // Where the cursor and the selection's other end lie in the whole text.
    qsizetype cursor() const;
    qsizetype anchor() const;
    bool anchorIsOutside() const { return outsideAnchor_.has_value(); }

    // The characters from..to of the whole text, each break as the view holds it.
    QString slice(qsizetype from, qsizetype to) const;
    // The same characters as the text has them, each break in its own form.
    QString text(qsizetype from, qsizetype to) const;
    // Whether the whole text is that UTF-8 text, found without a copy of the whole text.
    bool equals(std::string_view utf8) const;

    // The nearest start of a character at or before position (never inside a surrogate pair or
    // a character made of several code points).
    qsizetype characterStartAtOrBefore(qsizetype position) const;
    // The nearest end of a character at or after position: a window ending there holds the
    // whole of a character however many marks it carries.
    qsizetype characterEndAtOrAfter(qsizetype position) const;
    qsizetype paragraphStartAtOrBefore(qsizetype position) const;
    qsizetype paragraphEndAtOrAfter(qsizetype position) const;
    // The direction of the first character in from..to that has one of its own.
    std::optional<Qt::LayoutDirection> firstStrongDirection(qsizetype from, qsizetype to) const;
    // Where a word step from position ends within start..end, as a text layout finds it.
    qsizetype wordStep(qsizetype position, bool forward, qsizetype start, qsizetype end) const;

    // Regroups the whole text as before = [0, start) and after = [end, length) and returns the
    // characters between, for the view to hold, with the forms of their breaks.
    struct Taken {
        LoadedAndTypedText text;
        QByteArray forms;
    };
    Taken takeWindow(qsizetype start, qsizetype end);

    // Moves the window when the cursor comes near its edge or the window grew far past its size
    // (a paste), or always, then shows the selection from anchor to cursor (whole-text positions).
    void placeWindow(qsizetype anchor, qsizetype cursor, bool always = false);
    void showSelection(qsizetype anchor, qsizetype cursor);
    // Keeps the cursor and the anchor here while the view shows a part of the text without them.
    void keepAway(qsizetype anchor, qsizetype cursor);
    // A key or click after the view was scrolled away from the cursor acts at the cursor.
    void comeBack();
    // A view selecting all of a window that is only part of the text selects everything; the
    // window follows the cursor to the text's end once the view is done (settle). True when the
    // view must call settle later.
    bool selectionChanged();
    void settle();
    // A click puts the cursor in the window: every end kept here goes.
    void forgetEnds();
    // Deletes a selection reaching past the window; returns what it held and where.
    struct Deleted {
        qsizetype from;
        Taken taken;
    };
    Deleted deleteSelectionPastWindow();
    // Select All, and the moves to the text's start (target 0) or end, selecting or not.
    void selectAll() { placeWindow(0, length()); }
    void moveTo(qsizetype target, bool select) { placeWindow(select ? anchor() : target, target); }

  private:
    struct Ends {
        qsizetype anchor;
        qsizetype cursor;
    };
    // Calls part(text, partStart) for the text before the window, the window's and the text
    // after it, in turn; a part returning false ends the walk.
    template <typename Part>
    void forEachPart(Part part) const;
    // The window's characters as they were taken, while the view holds them unchanged.
    LoadedAndTypedText windowPieces() const;

    WindowHolder& view_;
    TextWindowSizes sizes_;
    const TextWidget widget_;
    LoadedAndTypedText before_;
    LoadedAndTypedText after_;
    QByteArray beforeForms_;
    QByteArray afterForms_;
    QByteArray windowForms_;
    // What the view's window was made of when it was taken.
    LoadedAndTypedText windowSource_;
    // The selection's anchor when it lies outside the window.
    std::optional<qsizetype> outsideAnchor_;
    // The cursor and the anchor while the window shows another part of the text.
    std::optional<Ends> away_;
    // The cursor's place while the window has still to follow it.
    std::optional<qsizetype> pendingCursor_;
};
