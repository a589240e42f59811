#include "mainwindow/textwindow/CellTextField.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <algorithm>
#include <limits>

#include "mainwindow/textwindow/SelectionPastWindowKeys.h"
#include "platform/foundation/Utf8.h"
#include "platform/ui/KeyMatches.h"

namespace {

// Up and Down with a modifier, which a line edit leaves alone: to the start or end of the text,
// selecting with Shift.
bool isVertical(const QKeyEvent* event, int key) {
    return event->key() == key &&
           (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
}

bool isToStart(const QKeyEvent* event, bool select) {
    if (isVertical(event, Qt::Key_Up))
        return select == bool(event->modifiers() & Qt::ShiftModifier);
    return select ? matchesAnyKey(
                        event, {QKeySequence::SelectStartOfDocument,
                                QKeySequence::SelectStartOfLine, QKeySequence::SelectStartOfBlock})
                  : matchesAnyKey(
                        event, {QKeySequence::MoveToStartOfDocument,
                                QKeySequence::MoveToStartOfLine, QKeySequence::MoveToStartOfBlock});
}

bool isToEnd(const QKeyEvent* event, bool select) {
    if (isVertical(event, Qt::Key_Down)) {
        return select == bool(event->modifiers() & Qt::ShiftModifier);
    }
    return select ? matchesAnyKey(event,
                                  {QKeySequence::SelectEndOfDocument, QKeySequence::SelectEndOfLine,
                                   QKeySequence::SelectEndOfBlock})
                  : matchesAnyKey(event,
                                  {QKeySequence::MoveToEndOfDocument, QKeySequence::MoveToEndOfLine,
                                   QKeySequence::MoveToEndOfBlock});
}

}  // namespace

CellTextField::CellTextField(QWidget* parent, qsizetype wholeLimit, qsizetype windowSize,
                             qsizetype margin)
    : QLineEdit(parent), text_(*this, {wholeLimit, windowSize, margin}, TextWidget::kLineEdit) {
    // A line edit cuts its text at 32,767 characters unless told otherwise: the end of a long
    // value would be written away by an edit that did not touch it.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::selectionChanged, this, &CellTextField::selectionDidChange);
    connect(this, &QLineEdit::textEdited, this, &CellTextField::wholeTextEdited);
    // A paste from the context menu or a drop can make the text long too, once the line edit is
    // done with it; a key places the window itself.
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (text_.holdsPart() || !text_.followsEdits()) return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!text_.holdsPart()) followEdit();
            },
            Qt::QueuedConnection);
    });
}

QString CellTextField::wholeTextOf(const QLineEdit* editor) {
    if (auto* field = qobject_cast<const CellTextField*>(editor)) return field->wholeText();
    return editor->text();
}

void CellTextField::setWholeText(QString text) {
    setWholePieces(LoadedAndTypedText(std::move(text)));
}

void CellTextField::setLoadedText(std::string utf8) {
    loaded_ = std::make_shared<const std::string>(std::move(utf8));
    const auto size = static_cast<qsizetype>(loaded_->size());
    setWholePieces(isAscii(*loaded_) ? LoadedAndTypedText(loaded_, 0, size)
                                     : LoadedAndTypedText(QString::fromUtf8(*loaded_)));
}

void CellTextField::setWholePieces(LoadedAndTypedText text) {
    // Held before the (empty) window, so that placing the window at the end takes what it shows.
    const qsizetype length = text.size();
    text_.holdOutside(std::move(text), {}, true);
    text_.placeWindow(length, length, true);
}

const std::string& CellTextField::loadedText() const {
    static const std::string none;
    return loaded_ ? *loaded_ : none;
}

QString CellTextField::wholeText() const {
    if (!text_.holdsPart()) return text();
    return text_.slice(0, wholeLength());
}

qsizetype CellTextField::windowAnchor() const {
    if (!hasSelectedText()) return cursorPosition();
    const qsizetype start = selectionStart();
    return cursorPosition() == start ? selectionEnd() : start;
}

Qt::LayoutDirection CellTextField::wholeDirection() const {
    return text_.firstStrongDirection(0, wholeLength()).value_or(Qt::LeftToRight);
}

qsizetype CellTextField::startInWholeDirection(qsizetype start, qsizetype end) const {
    const Qt::LayoutDirection whole = wholeDirection();
    if (start == 0 || text_.firstStrongDirection(start, end).value_or(Qt::LeftToRight) == whole) {
        return start;
    }
    // The window starts at the last letter of that direction before it, within reach.
    const qsizetype from = std::max<qsizetype>(0, start - text_.sizes().window);
    const QString earlier = text_.slice(from, start);
    for (qsizetype i = earlier.size(); i-- > 0;) {
        // A half of a surrogate pair counts as a letter left to right; the pair rarely is.
        if (earlier.at(i).isSurrogate()) continue;
        const QChar::Direction direction = earlier.at(i).direction();
        const bool rightToLeft = direction == QChar::DirR || direction == QChar::DirAL;
        if ((direction == QChar::DirL || rightToLeft) &&
            rightToLeft == (whole == Qt::RightToLeft)) {
            return text_.characterStartAtOrBefore(from + i);
        }
    }
    return start;
}

std::pair<qsizetype, qsizetype> CellTextField::windowAround(qsizetype cursor) {
    const qsizetype length = wholeLength(), window = text_.sizes().window;
    if (length <= text_.sizes().wholeLimit) return {0, length};
    const qsizetype around = std::clamp<qsizetype>(cursor - window / 2, 0, length - window);
    qsizetype end = around + window;
    if (end < length) end = text_.characterEndAtOrAfter(end);
    const qsizetype start = text_.characterStartAtOrBefore(around);
    return {startInWholeDirection(start, end), end};
}

void CellTextField::moveWindow(qsizetype start, qsizetype end) {
    const bool modified = isModified();
    const QString window = text_.takeWindow(start, end).text.toString();
    placing_ = true;
    setText(window);
    setModified(modified);
    placing_ = false;
}

void CellTextField::clearWindow() {
    placing_ = true;
    setText(QString());
    placing_ = false;
}

void CellTextField::showWindowSelection(qsizetype anchor, qsizetype cursor) {
    placing_ = true;
    if (anchor == cursor) {
        setCursorPosition(static_cast<int>(cursor));
    } else {
        setSelection(static_cast<int>(anchor), static_cast<int>(cursor - anchor));
    }
    placing_ = false;
}

void CellTextField::selectionDidChange() {
    if (placing_ || !text_.selectionChanged()) return;
    QMetaObject::invokeMethod(
        this, [this] { text_.settle(); }, Qt::QueuedConnection);
}

void CellTextField::deleteSelectionPastWindow() {
    text_.deleteSelectionPastWindow();
    setModified(true);
    emit wholeTextEdited();
}

bool CellTextField::moveToTextEnd(const QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        text_.selectAll();
        return true;
    }
    const bool select = isToStart(event, true) || isToEnd(event, true);
    if (isToStart(event, select)) {
        text_.moveTo(0, select);
    } else if (isToEnd(event, select)) {
        text_.moveTo(wholeLength(), select);
    } else {
        return false;
    }
    return true;
}

bool CellTextField::moveByWord(const QKeyEvent* event) {
    if (!text_.holdsPart()) return false;
    // The next word lies to the right in a text running left to right, to the left otherwise;
    // the word deletes go by the text's order.
    const bool leftToRight = wholeDirection() == Qt::LeftToRight;
    bool forward, select = false, erase = false;
    if (matchesAnyKey(event, {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord})) {
        forward = leftToRight;
        select = event->matches(QKeySequence::SelectNextWord);
    } else if (matchesAnyKey(
                   event, {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord})) {
        forward = !leftToRight;
        select = event->matches(QKeySequence::SelectPreviousWord);
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        forward = true;
        erase = true;
    } else if (event->matches(QKeySequence::DeleteStartOfWord) ||
               (event->key() == Qt::Key_Backspace && (event->modifiers() & Qt::ControlModifier))) {
        forward = false;
        erase = true;
    } else {
        return false;
    }
    if (erase && isReadOnly()) return true;
    const qsizetype target = text_.wordStep(wholeCursorPosition(), forward, 0, wholeLength());
    // A delete takes the selection grown by the step, as the line edit's own does.
    const qsizetype anchor = select || erase ? wholeAnchorPosition() : target;
    placeWindow(anchor, target);
    if (erase && anchor != target) {
        if (text_.anchorIsOutside()) {
            deleteSelectionPastWindow();
        } else {
            del();
        }
    }
    return true;
}

bool CellTextField::endSelection(const QKeyEvent* event) {
    const bool previous = event->matches(QKeySequence::MoveToPreviousChar);
    if (!previous && !event->matches(QKeySequence::MoveToNextChar)) return false;
    const qsizetype anchor = wholeAnchorPosition(), cursor = wholeCursorPosition();
    if (anchor == cursor) return false;
    // As the desktops' line edits and the panels' text view have it; the line edit itself steps
    // from the cursor under the Windows keys, and from a window's edge would miss the far end.
    const qsizetype end = previous ? std::min(anchor, cursor) : std::max(anchor, cursor);
    placeWindow(end, end);
    return true;
}

bool CellTextField::actOnSelectionPastWindow(const QKeyEvent* event) {
    if (!text_.anchorIsOutside()) return false;
    const qsizetype anchor = wholeAnchorPosition(), cursor = wholeCursorPosition();
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
        QApplication::clipboard()->setText(
            text_.slice(std::min(anchor, cursor), std::max(anchor, cursor)));
        if (event->matches(QKeySequence::Copy)) return true;
    }
    if (erasesSelection(event, TextWidget::kLineEdit)) {
        deleteSelectionPastWindow();
        return true;
    }
    if (replacesSelection(event, TextWidget::kLineEdit)) {
        deleteSelectionPastWindow();
        return false;
    }
    // An undo starts from the cursor, as the line edit's own; other keys (a modifier pressed
    // alone) leave the selection be.
    if (!extendsSelection(event, TextWidget::kLineEdit) &&
        startsFromCursor(event, TextWidget::kLineEdit)) {
        placeWindow(cursor, cursor);
    }
    return false;
}

bool CellTextField::event(QEvent* event) {
    // The ends of the text are the field's keys, whatever a menu would make of them.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isToStart(key, false) || isToEnd(key, false) || isToStart(key, true) ||
            isToEnd(key, true)) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CellTextField::keyPressEvent(QKeyEvent* event) {
    text_.settle();
    if (!moveToTextEnd(event) && !moveByWord(event) && !endSelection(event) &&
        !actOnSelectionPastWindow(event)) {
        QLineEdit::keyPressEvent(event);
        followEdit();
    }
    // Whatever the line edit made of it, the key was the field's: none reaches the grid.
    event->accept();
}

void CellTextField::inputMethodEvent(QInputMethodEvent* event) {
    text_.settle();
    if (text_.anchorIsOutside() && !event->commitString().isEmpty()) deleteSelectionPastWindow();
    QLineEdit::inputMethodEvent(event);
    followEdit();
}

void CellTextField::followEdit() {
    if (text_.followsEdits()) placeWindow(wholeAnchorPosition(), wholeCursorPosition());
}

void CellTextField::mousePressEvent(QMouseEvent* event) {
    // A click puts the cursor in the window: a selection reaching past it ends.
    text_.forgetEnds();
    QLineEdit::mousePressEvent(event);
}

void CellTextField::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's commands act on what the line edit holds: a selection reaching past it ends
    // first, so that none of them takes only its visible part.
    text_.settle();
    if (text_.anchorIsOutside()) placeWindow(wholeCursorPosition(), wholeCursorPosition());
    QLineEdit::contextMenuEvent(event);
}
