#include "mainwindow/rows/views/CellTextField.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <algorithm>
#include <limits>

#include "mainwindow/TextBoundaries.h"
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

// A key that moves the cursor and extends the selection with it.
bool extendsSelection(const QKeyEvent* event) {
    return matchesAnyKey(event, {QKeySequence::SelectNextChar, QKeySequence::SelectPreviousChar,
                                 QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
                                 QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock,
                                 QKeySequence::SelectStartOfDocument,
                                 QKeySequence::SelectEndOfDocument, QKeySequence::SelectAll});
}

// A key whose whole effect on a selection is to take it away.
bool erasesSelection(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
           matchesAnyKey(event, {QKeySequence::Cut, QKeySequence::Delete, QKeySequence::Backspace,
                                 QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine});
}

// A key that puts text in the selection's place.
bool replacesSelection(const QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) return true;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

// The direction of the first character of the pieces that has one of its own.
std::optional<Qt::LayoutDirection> firstStrongDirection(const TextPieces& text) {
    for (const TextPieces::Piece& piece : text.pieces()) {
        if (!piece.shared) {
            if (auto direction = firstStrongDirection(QStringView(piece.own))) return direction;
            continue;
        }
        // The only ASCII characters with a direction of their own are its letters.
        const std::string_view ascii = piece.ascii();
        if (std::any_of(ascii.begin(), ascii.end(),
                        [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; })) {
            return Qt::LeftToRight;
        }
    }
    return std::nullopt;
}

}  // namespace

CellTextField::CellTextField(QWidget* parent, qsizetype wholeLimit, qsizetype windowSize,
                             qsizetype margin)
    : QLineEdit(parent), wholeLimit_(wholeLimit), windowSize_(windowSize), margin_(margin) {
    // A line edit cuts its text at 32,767 characters unless told otherwise: the end of a long
    // value would be written away by an edit that did not touch it.
    setMaxLength(std::numeric_limits<int>::max());
    connect(this, &QLineEdit::selectionChanged, this, &CellTextField::selectionDidChange);
    connect(this, &QLineEdit::textEdited, this, &CellTextField::wholeTextEdited);
}

QString CellTextField::wholeTextOf(const QLineEdit* editor) {
    if (auto* field = qobject_cast<const CellTextField*>(editor)) return field->wholeText();
    return editor->text();
}

void CellTextField::setWholeText(QString text) {
    setWholePieces(TextPieces(std::move(text)));
}

void CellTextField::setLoadedText(std::string utf8) {
    loaded_ = std::make_shared<const std::string>(std::move(utf8));
    const auto size = static_cast<qsizetype>(loaded_->size());
    setWholePieces(isAscii(*loaded_) ? TextPieces(loaded_, 0, size)
                                     : TextPieces(QString::fromUtf8(*loaded_)));
}

void CellTextField::setWholePieces(TextPieces text) {
    wideAnchor_.reset();
    pendingCursor_.reset();
    after_.clear();
    windowSource_.clear();
    placing_ = true;
    setText(QString());
    placing_ = false;
    // Held before the (empty) window, so that placing the window at the end takes what it shows.
    const qsizetype length = text.size();
    before_ = std::move(text);
    placeWindow(length, length, true);
}

const std::string& CellTextField::loadedText() const {
    static const std::string none;
    return loaded_ ? *loaded_ : none;
}

QString CellTextField::wholeText() const {
    if (!holdsPart()) return text();
    return wholeSlice(0, wholeLength());
}

bool CellTextField::wholeTextEquals(std::string_view utf8) const {
    Utf8Comparison comparison(utf8);
    const QString window = text();
    return comparison.add(before_) && comparison.add(QStringView(window)) &&
           comparison.add(after_) && comparison.finish();
}

qsizetype CellTextField::wholeAnchorPosition() const {
    if (wideAnchor_) return *wideAnchor_;
    if (!hasSelectedText()) return wholeCursorPosition();
    const qsizetype start = selectionStart();
    return before_.size() + (cursorPosition() == start ? selectionEnd() : start);
}

QString CellTextField::wholeSlice(qsizetype from, qsizetype to) const {
    QString slice;
    if (to <= from) return slice;
    slice.reserve(to - from);
    before_.appendTo(slice, from, to);
    const QString window = text();
    const qsizetype start = before_.size(), end = start + window.size();
    const qsizetype low = std::max(from, start), high = std::min(to, end);
    if (low < high) slice += QStringView(window).mid(low - start, high - low);
    after_.appendTo(slice, from - end, to - end);
    return slice;
}

qsizetype CellTextField::characterStartAtOrBefore(qsizetype position) const {
    return ::characterStartAtOrBefore(
        [this](qsizetype from, qsizetype to) { return wholeSlice(from, to); }, wholeLength(),
        position);
}

Qt::LayoutDirection CellTextField::wholeDirection() const {
    std::optional<Qt::LayoutDirection> direction = firstStrongDirection(before_);
    if (!direction) direction = firstStrongDirection(QStringView(text()));
    if (!direction) direction = firstStrongDirection(after_);
    return direction.value_or(Qt::LeftToRight);
}

qsizetype CellTextField::startInWholeDirection(qsizetype start, qsizetype end) const {
    const Qt::LayoutDirection whole = wholeDirection();
    if (start == 0 ||
        firstStrongDirection(wholeSlice(start, end)).value_or(Qt::LeftToRight) == whole) {
        return start;
    }
    // The window starts at the last letter of that direction before it, within reach.
    const qsizetype from = std::max<qsizetype>(0, start - windowSize_);
    const QString earlier = wholeSlice(from, start);
    for (qsizetype i = earlier.size(); i-- > 0;) {
        // A half of a surrogate pair counts as a letter left to right; the pair rarely is.
        if (earlier.at(i).isSurrogate()) continue;
        const QChar::Direction direction = earlier.at(i).direction();
        const bool rightToLeft = direction == QChar::DirR || direction == QChar::DirAL;
        if ((direction == QChar::DirL || rightToLeft) &&
            rightToLeft == (whole == Qt::RightToLeft)) {
            return characterStartAtOrBefore(from + i);
        }
    }
    return start;
}

TextPieces CellTextField::windowPieces() const {
    const QString window = text();
    if (windowSource_.size() == window.size() && windowSource_.toString() == window) {
        return windowSource_;
    }
    return TextPieces(window);
}

TextPieces CellTextField::regroup(qsizetype start, qsizetype end) {
    const TextPieces window = windowPieces();
    const qsizetype oldStart = before_.size(), oldEnd = oldStart + window.size();
    // The parts moved are taken before either part changes.
    auto wholeMid = [&](qsizetype from, qsizetype to) {
        TextPieces part = before_.mid(from, std::min(to, oldStart));
        part.append(window.mid(from - oldStart, to - oldStart));
        part.append(after_.mid(from - oldEnd, to - oldEnd));
        return part;
    };
    TextPieces between = wholeMid(start, end);
    TextPieces toBefore = wholeMid(oldStart, start);
    TextPieces toAfter = wholeMid(end, oldEnd);
    if (start > oldStart) {
        before_.append(std::move(toBefore));
    } else {
        before_.truncate(start);
    }
    if (end < oldEnd) {
        after_.prepend(std::move(toAfter));
    } else {
        after_.removeFront(end - oldEnd);
    }
    return between;
}

void CellTextField::placeWindow(qsizetype anchor, qsizetype cursor, bool always) {
    const qsizetype length = wholeLength();
    const qsizetype start = before_.size(), end = start + text().size();
    const bool roomBefore = start == 0 || cursor - start >= margin_;
    const bool roomAfter = end == length || end - cursor >= margin_;
    if (always || !roomBefore || !roomAfter) {
        qsizetype newStart = 0, newEnd = length;
        if (length > wholeLimit_) {
            const qsizetype around =
                std::clamp<qsizetype>(cursor - windowSize_ / 2, 0, length - windowSize_);
            newEnd = around + windowSize_;
            if (newEnd < length) newEnd = characterStartAtOrBefore(newEnd);
            newStart = characterStartAtOrBefore(around);
            newStart = startInWholeDirection(newStart, newEnd);
        }
        if (newStart != start || newEnd != end) {
            const bool modified = isModified();
            windowSource_ = regroup(newStart, newEnd);
            placing_ = true;
            setText(windowSource_.toString());
            setModified(modified);
            placing_ = false;
        }
    }
    showSelection(anchor, cursor);
}

void CellTextField::showSelection(qsizetype anchor, qsizetype cursor) {
    const qsizetype start = before_.size(), size = text().size();
    const qsizetype at = cursor - start;
    qsizetype from = anchor - start;
    wideAnchor_.reset();
    if (from < 0 || from > size) {
        wideAnchor_ = anchor;
        from = from < 0 ? 0 : size;
    }
    placing_ = true;
    if (from == at) {
        setCursorPosition(static_cast<int>(at));
    } else {
        setSelection(static_cast<int>(from), static_cast<int>(at - from));
    }
    placing_ = false;
}

void CellTextField::selectionDidChange() {
    if (placing_ || !holdsPart() || wideAnchor_ || !hasSelectedText()) return;
    if (selectionStart() != 0 || selectionEnd() != text().size()) return;
    // The line edit is still at work: the window is moved after it.
    const qsizetype length = wholeLength();
    const bool forward = cursorPosition() == text().size();
    wideAnchor_ = forward ? 0 : length;
    pendingCursor_ = forward ? length : 0;
    QMetaObject::invokeMethod(this, &CellTextField::settle, Qt::QueuedConnection);
}

void CellTextField::settle() {
    if (!pendingCursor_) return;
    const qsizetype anchor = *wideAnchor_, cursor = *pendingCursor_;
    pendingCursor_.reset();
    placeWindow(anchor, cursor, true);
}

void CellTextField::deleteWideSelection() {
    const qsizetype anchor = *wideAnchor_, cursor = wholeCursorPosition();
    const qsizetype from = std::min(anchor, cursor), to = std::max(anchor, cursor);
    wideAnchor_.reset();
    // What lies between the parts, the selection, is dropped with the window.
    regroup(from, to);
    windowSource_.clear();
    placing_ = true;
    setText(QString());
    placing_ = false;
    placeWindow(from, from, true);
    setModified(true);
    emit wholeTextEdited();
}

bool CellTextField::moveToTextEnd(const QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        placeWindow(0, wholeLength());
        return true;
    }
    const bool select = isToStart(event, true) || isToEnd(event, true);
    qsizetype target;
    if (isToStart(event, select)) {
        target = 0;
    } else if (isToEnd(event, select)) {
        target = wholeLength();
    } else {
        return false;
    }
    placeWindow(select ? wholeAnchorPosition() : target, target);
    return true;
}

qsizetype CellTextField::wordStep(qsizetype position, bool forward) const {
    const qsizetype length = wholeLength();
    return ::wordStep([this](qsizetype from, qsizetype to) { return wholeSlice(from, to); }, length,
                      0, length, position, forward, margin_);
}

bool CellTextField::moveByWord(const QKeyEvent* event) {
    if (!holdsPart()) return false;
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
    const qsizetype target = wordStep(wholeCursorPosition(), forward);
    // A delete takes the selection grown by the step, as the line edit's own does.
    const qsizetype anchor = select || erase ? wholeAnchorPosition() : target;
    placeWindow(anchor, target);
    if (erase && anchor != target) {
        if (wideAnchor_) {
            deleteWideSelection();
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

bool CellTextField::actOnWideSelection(const QKeyEvent* event) {
    if (!wideAnchor_) return false;
    const qsizetype anchor = *wideAnchor_, cursor = wholeCursorPosition();
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
        QApplication::clipboard()->setText(
            wholeSlice(std::min(anchor, cursor), std::max(anchor, cursor)));
        if (event->matches(QKeySequence::Copy)) return true;
    }
    if (erasesSelection(event)) {
        deleteWideSelection();
        return true;
    }
    if (replacesSelection(event)) {
        deleteWideSelection();
        return false;
    }
    if (extendsSelection(event)) return false;
    // An undo starts from the cursor, as the line edit's own; other keys (a modifier pressed
    // alone) leave the selection be.
    if (matchesAnyKey(event, {QKeySequence::Undo, QKeySequence::Redo})) placeWindow(cursor, cursor);
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
    settle();
    if (!moveToTextEnd(event) && !moveByWord(event) && !endSelection(event) &&
        !actOnWideSelection(event)) {
        QLineEdit::keyPressEvent(event);
        if (holdsPart()) placeWindow(wholeAnchorPosition(), wholeCursorPosition());
    }
    // Whatever the line edit made of it, the key was the field's: none reaches the grid.
    event->accept();
}

void CellTextField::inputMethodEvent(QInputMethodEvent* event) {
    settle();
    if (wideAnchor_ && !event->commitString().isEmpty()) deleteWideSelection();
    QLineEdit::inputMethodEvent(event);
    if (holdsPart()) placeWindow(wholeAnchorPosition(), wholeCursorPosition());
}

void CellTextField::mousePressEvent(QMouseEvent* event) {
    // A click puts the cursor in the window: a selection reaching past it ends.
    wideAnchor_.reset();
    pendingCursor_.reset();
    QLineEdit::mousePressEvent(event);
}

void CellTextField::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's commands act on what the line edit holds: a selection reaching past it ends
    // first, so that none of them takes only its visible part.
    settle();
    if (wideAnchor_) placeWindow(wholeCursorPosition(), wholeCursorPosition());
    QLineEdit::contextMenuEvent(event);
}
