#include "mainwindow/record/WindowedTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cassert>

#include "mainwindow/BreakForms.h"
#include "mainwindow/TextBoundaries.h"
#include "mainwindow/record/LongWordWrap.h"
#include "platform/ui/KeyMatches.h"

namespace {

// A key that moves the cursor and extends the selection with it.
bool extendsSelection(const QKeyEvent* event) {
    return matchesAnyKey(event, {QKeySequence::SelectNextChar, QKeySequence::SelectPreviousChar,
                                 QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
                                 QKeySequence::SelectNextLine, QKeySequence::SelectPreviousLine,
                                 QKeySequence::SelectNextPage, QKeySequence::SelectPreviousPage,
                                 QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
                                 QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock});
}

// A key that moves the cursor and takes the selection away.
bool movesCursor(const QKeyEvent* event) {
    return matchesAnyKey(event, {QKeySequence::MoveToNextChar, QKeySequence::MoveToPreviousChar,
                                 QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord,
                                 QKeySequence::MoveToNextLine, QKeySequence::MoveToPreviousLine,
                                 QKeySequence::MoveToNextPage, QKeySequence::MoveToPreviousPage,
                                 QKeySequence::MoveToStartOfLine, QKeySequence::MoveToEndOfLine,
                                 QKeySequence::MoveToStartOfBlock, QKeySequence::MoveToEndOfBlock,
                                 QKeySequence::Undo, QKeySequence::Redo});
}

// A key whose whole effect on a selection is to take it away.
bool erasesSelection(const QKeyEvent* event) {
    return event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
           matchesAnyKey(event, {QKeySequence::Delete, QKeySequence::Backspace,
                                 QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord});
}

// A key that puts text in the selection's place.
bool replacesSelection(const QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) return true;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return true;
    const QString text = event->text();
    return !text.isEmpty() && (text.at(0).isPrint() || text.at(0) == u'\t') &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
}

}  // namespace

WindowedTextView::WindowedTextView(QWidget* parent)
    : QPlainTextEdit(parent), wholeBar_(new QScrollBar(Qt::Vertical, this)) {
    wholeBar_->hide();
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                if (placing_) return;
                if (!document()->isUndoRedoEnabled()) {
                    // Replaced by the view's own setPlainText: the parts held beside it go.
                    parts_.clear();
                    firstForm_ = kLfBreak;
                    windowForms_ = QByteArray(document()->blockCount() - 1, kLfBreak);
                    wideAnchor_.reset();
                    away_.reset();
                    wideDelete_.reset();
                    syncWholeBar();
                } else {
                    followBreaks(position, removed, added);
                }
                chooseWrapAfterEdit(this, position, removed, added,
                                    [this] { return hasLongWord(wholeHeldText()); });
            });
    connect(this, &QPlainTextEdit::selectionChanged, this, &WindowedTextView::selectionDidChange);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &WindowedTextView::viewDidScroll);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &WindowedTextView::syncWholeBar);
    connect(wholeBar_, &QScrollBar::valueChanged, this, &WindowedTextView::wholeBarMoved);
}

bool WindowedTextView::hasKeyboardCursor() const {
    return textInteractionFlags() & Qt::TextSelectableByKeyboard;
}

void WindowedTextView::setWholeText(const QString& text) {
    wideAnchor_.reset();
    away_.reset();
    pendingCursor_.reset();
    wideDelete_.reset();
    parts_.clear();
    lineCharacters_ = 0;
    setCursorWidth(1);
    setWordWrapMode(wrapModeFor(hasLongWord(text)));
    const bool whole = text.size() <= sizes_.wholeLimit;
    QByteArray forms;
    QString held = heldText(text, &forms);
    firstForm_ = forms.isEmpty() ? kLfBreak : forms.front();
    if (whole) {
        showWindowText(held, forms);
        syncWholeBar();
        return;
    }
    // Held after the (empty) window, so that placing the window at the start takes what it shows.
    showWindowText(QString(), {});
    parts_.after = std::move(held);
    parts_.afterForms = std::move(forms);
    placeWindow(0, 0, true);
    verticalScrollBar()->setValue(0);
    syncWholeBar();
}

QString WindowedTextView::wholeText() const {
    return parts_.text(0, wholeLength(), windowText(), windowForms_);
}

QString WindowedTextView::wholeHeldText() const {
    return parts_.slice(0, wholeLength(), windowText());
}

void WindowedTextView::followBreaks(int position, int removed, int added) {
    // The breaks before a document position: the paragraphs that end before it.
    auto breaksBefore = [this](int at) {
        const QTextBlock block = document()->findBlock(at);
        return block.isValid() ? block.blockNumber() : document()->blockCount() - 1;
    };
    const qsizetype from = breaksBefore(position);
    const qsizetype addedBreaks = breaksBefore(position + added) - from;
    const qsizetype removedBreaks =
        windowForms_.size() - (document()->blockCount() - 1 - addedBreaks);
    assert(removedBreaks >= 0 && from + removedBreaks <= windowForms_.size());
    // A break typed takes the form of the break that begins its paragraph.
    char typed = firstForm_;
    if (from > 0) {
        typed = windowForms_[from - 1];
    } else if (!parts_.beforeForms.isEmpty()) {
        typed = parts_.beforeForms.back();
    }
    QByteArray forms(addedBreaks, typed);
    // An undo puts back the breaks of the edit it undoes in their own forms.
    const int steps = document()->availableUndoSteps();
    if (!removedBreaks_.empty()) {
        const RemovedBreaks& last = removedBreaks_.back();
        // What the edit typed may have grown by typing merged with it.
        if (steps < last.undoSteps && last.position == position && last.removed == added &&
            last.forms.size() == addedBreaks) {
            forms = last.forms;
            removedBreaks_.pop_back();
        }
    }
    if (removedBreaks > 0) {
        removedBreaks_.push_back(
            {position, removed, windowForms_.sliced(from, removedBreaks), steps});
    }
    windowForms_.remove(from, removedBreaks);
    windowForms_.insert(from, forms);
}

QString WindowedTextView::windowText() const {
    return document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

qsizetype WindowedTextView::wholeLength() const {
    return parts_.before.size() + windowLength() + parts_.after.size();
}

qsizetype WindowedTextView::wholeCursorPosition() const {
    if (away_) return away_->cursor;
    if (pendingCursor_) return *pendingCursor_;
    return parts_.before.size() + textCursor().position();
}

qsizetype WindowedTextView::wholeAnchorPosition() const {
    if (away_) return away_->anchor;
    if (wideAnchor_) return *wideAnchor_;
    return parts_.before.size() + textCursor().anchor();
}

QString WindowedTextView::wholeSlice(qsizetype from, qsizetype to) const {
    return parts_.slice(from, to, windowText());
}

qsizetype WindowedTextView::characterStartAtOrBefore(qsizetype position) const {
    return ::characterStartAtOrBefore(
        [this](qsizetype from, qsizetype to) { return wholeSlice(from, to); }, wholeLength(),
        position);
}

qsizetype WindowedTextView::paragraphStartAtOrBefore(qsizetype position) const {
    const QString window = windowText();
    const QStringView parts[] = {parts_.before, window, parts_.after};
    qsizetype partStart = wholeLength();
    for (auto part = std::rbegin(parts); part != std::rend(parts); ++part) {
        partStart -= part->size();
        if (position <= partStart || part->isEmpty()) continue;
        const qsizetype found =
            part->lastIndexOf(u'\n', std::min(position, partStart + part->size()) - 1 - partStart);
        if (found >= 0) return partStart + found + 1;
    }
    return 0;
}

qsizetype WindowedTextView::paragraphEndAtOrAfter(qsizetype position) const {
    const QString window = windowText();
    qsizetype partStart = 0;
    for (QStringView part :
         {QStringView(parts_.before), QStringView(window), QStringView(parts_.after)}) {
        if (position < partStart + part.size()) {
            const qsizetype found =
                part.indexOf(u'\n', std::max<qsizetype>(0, position - partStart));
            if (found >= 0) return partStart + found;
        }
        partStart += part.size();
    }
    return partStart;
}

Qt::LayoutDirection WindowedTextView::paragraphDirection(qsizetype position) const {
    const qsizetype start = paragraphStartAtOrBefore(position);
    const qsizetype end = paragraphEndAtOrAfter(position);
    const QString window = windowText();
    qsizetype partStart = 0;
    for (QStringView part :
         {QStringView(parts_.before), QStringView(window), QStringView(parts_.after)}) {
        const qsizetype low = std::max(start, partStart);
        const qsizetype high = std::min(end, partStart + part.size());
        if (low < high) {
            if (auto direction = firstStrongDirection(part.mid(low - partStart, high - low))) {
                return *direction;
            }
        }
        partStart += part.size();
    }
    return Qt::LeftToRight;
}

std::pair<qsizetype, qsizetype> WindowedTextView::windowAround(qsizetype position) const {
    const qsizetype length = wholeLength();
    if (length <= sizes_.wholeLimit) return {0, length};
    qsizetype start = std::clamp<qsizetype>(position - sizes_.window / 2, 0, length);
    // The window's lines break where the whole paragraph's would: from its start when it is near,
    // else a whole number of lines after it.
    const qsizetype paragraph = paragraphStartAtOrBefore(start);
    if (start - paragraph <= sizes_.window / 2) {
        start = paragraph;
    } else if (lineCharacters_ > 0) {
        start = paragraph + (start - paragraph) / lineCharacters_ * lineCharacters_;
    }
    start = characterStartAtOrBefore(start);
    qsizetype end = std::min(length, std::max(start + sizes_.window, position + sizes_.window / 2));
    if (end < length) end = characterStartAtOrBefore(end);
    return {start, end};
}

QByteArray WindowedTextView::regroup(qsizetype start, qsizetype end) {
    return parts_.regroup(start, end, windowText(), windowForms_, sizes_.window);
}

void WindowedTextView::showWindowText(const QString& text, QByteArray forms) {
    windowForms_ = std::move(forms);
    removedBreaks_.clear();
    const bool wasPlacing = placing_;
    placing_ = true;
    setPlainText(text);
    placing_ = wasPlacing;
}

void WindowedTextView::moveWindow(qsizetype start, qsizetype end) {
    // The view's undo steps go with its text: a delete made before them can no longer be undone.
    if (document()->isUndoAvailable()) wideDelete_.reset();
    const qsizetype oldStart = parts_.before.size();
    const qsizetype top = oldStart + windowPositionOfLine(verticalScrollBar()->value());
    const QString window = wholeSlice(start, end);
    const QByteArray forms = regroup(start, end);
    const bool wasPlacing = placing_;
    placing_ = true;
    showWindowText(window, forms);
    keepParagraphDirection();
    recountLines();
    if (top >= start && top <= end) verticalScrollBar()->setValue(windowLineOf(top - start));
    placing_ = wasPlacing;
}

void WindowedTextView::keepParagraphDirection() {
    const qsizetype start = parts_.before.size();
    if (start == 0 || parts_.before.back() == u'\n') return;
    const qsizetype paragraph = parts_.before.lastIndexOf(u'\n') + 1;
    const QTextBlock first = document()->firstBlock();
    std::optional<Qt::LayoutDirection> direction =
        firstStrongDirection(QStringView(parts_.before).mid(paragraph));
    if (!direction) return;
    if (firstStrongDirection(first.text()).value_or(*direction) == *direction) return;
    // Set without an undo step: the window was put in just now.
    document()->setUndoRedoEnabled(false);
    QTextBlockFormat format;
    format.setLayoutDirection(*direction);
    QTextCursor(first).mergeBlockFormat(format);
    document()->setUndoRedoEnabled(true);
}

void WindowedTextView::measureLines() {
    if (lineCharacters_ > 0 || !holdsPart()) return;
    // Measured on the window shown, whose lines start where the paragraph's do.
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        if (block.layout()->lineCount() > 1) {
            lineCharacters_ = block.layout()->lineAt(0).textLength();
            recountLines();
            return;
        }
    }
}

void WindowedTextView::placeWindow(qsizetype anchor, qsizetype cursor, bool always) {
    const qsizetype length = wholeLength();
    const qsizetype start = parts_.before.size(), end = start + windowLength();
    const bool roomBefore = start == 0 || cursor - start >= sizes_.margin;
    const bool roomAfter = end == length || end - cursor >= sizes_.margin;
    // A long text pasted makes the window as slow as the whole text would be.
    const bool tooLong = length > sizes_.wholeLimit && end - start > 2 * sizes_.window;
    if (always || !roomBefore || !roomAfter || tooLong) {
        measureLines();
        auto [newStart, newEnd] = windowAround(cursor);
        if (newStart != start || newEnd != end) moveWindow(newStart, newEnd);
    }
    showSelection(anchor, cursor);
    syncWholeBar();
}

void WindowedTextView::showSelection(qsizetype anchor, qsizetype cursor) {
    const qsizetype start = parts_.before.size(), size = windowLength();
    qsizetype from = anchor - start;
    wideAnchor_.reset();
    away_.reset();
    setCursorWidth(1);
    if (from < 0 || from > size) {
        wideAnchor_ = anchor;
        from = from < 0 ? 0 : size;
    }
    QTextCursor shown(document());
    shown.setPosition(int(from));
    shown.setPosition(int(cursor - start), QTextCursor::KeepAnchor);
    const bool wasPlacing = placing_;
    placing_ = true;
    setTextCursor(shown);
    placing_ = wasPlacing;
}

void WindowedTextView::showFrom(qsizetype position, qsizetype middle) {
    const qsizetype anchor = wholeAnchorPosition(), cursor = wholeCursorPosition();
    const bool wasPlacing = placing_;
    placing_ = true;
    measureLines();
    auto [start, end] = windowAround(middle);
    if (start != parts_.before.size() || end != start + windowLength()) moveWindow(start, end);
    if (cursor >= start && cursor <= end) {
        showSelection(anchor, cursor);
    } else {
        // Kept here; the view draws no cursor of its own meanwhile.
        wideAnchor_.reset();
        away_ = Ends{anchor, cursor};
        setCursorWidth(0);
    }
    verticalScrollBar()->setValue(windowLineOf(position - start));
    placing_ = wasPlacing;
    syncWholeBar();
}

void WindowedTextView::comeBack() {
    settle();
    if (!away_) return;
    const Ends ends = *away_;
    away_.reset();
    placeWindow(ends.anchor, ends.cursor, true);
}

void WindowedTextView::followView() {
    if (!holdsPart()) return;
    QScrollBar* own = verticalScrollBar();
    const qsizetype top = windowPositionOfLine(own->value());
    const qsizetype bottom = windowPositionOfLine(own->value() + own->pageStep());
    if ((!parts_.before.isEmpty() && top < sizes_.margin) ||
        (!parts_.after.isEmpty() && windowLength() - bottom < sizes_.margin)) {
        // Around the middle of what is shown, with room either side of it.
        showFrom(parts_.before.size() + top, parts_.before.size() + (top + bottom) / 2);
    }
}

void WindowedTextView::viewDidScroll() {
    if (placing_) return;
    syncWholeBar();
    if (!keying_ && !selectingByMouse_) followView();
}

void WindowedTextView::wholeBarMoved(int line) {
    if (placing_ || !holdsPart()) return;
    QScrollBar* own = verticalScrollBar();
    const qsizetype inWindow = line - linesBefore_;
    if (inWindow >= 0 && inWindow <= own->maximum()) {
        own->setValue(int(inWindow));
        return;
    }
    const qsizetype windowEnd = parts_.before.size() + windowLength();
    const qsizetype position =
        line < linesBefore_
            ? positionAfterLines(parts_.before, line)
            : windowEnd + positionAfterLines(parts_.after, inWindow - document()->lineCount());
    showFrom(position, position);
    // The estimates aside, the bar stays where it was put: at its end the view shows the text's.
    const bool wasPlacing = placing_;
    placing_ = true;
    own->setValue(int(std::clamp<qsizetype>(line - linesBefore_, 0, own->maximum())));
    placing_ = wasPlacing;
    syncWholeBar();
}

void WindowedTextView::syncWholeBar() {
    const bool shown = holdsPart();
    if (shown != wholeBar_->isVisibleTo(this)) {
        setVerticalScrollBarPolicy(shown ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
        setViewportMargins(0, 0, shown ? wholeBar_->sizeHint().width() : 0, 0);
        wholeBar_->setVisible(shown);
    }
    if (!shown) return;
    // Once the window is laid out, the estimates outside it take its lines' length.
    measureLines();
    const QScrollBar* own = verticalScrollBar();
    QSignalBlocker quiet(wholeBar_);
    wholeBar_->setRange(0, int(std::min<qsizetype>(linesBefore_ + own->maximum() + linesAfter_,
                                                   std::numeric_limits<int>::max())));
    wholeBar_->setPageStep(own->pageStep());
    wholeBar_->setSingleStep(own->singleStep());
    if (!wholeBar_->isSliderDown()) wholeBar_->setValue(int(linesBefore_ + own->value()));
}

qsizetype WindowedTextView::charactersPerLine() const {
    if (lineCharacters_ > 0) return lineCharacters_;
    const int width = fontMetrics().averageCharWidth();
    return std::max<qsizetype>(1, width > 0 ? viewport()->width() / width : 1);
}

qsizetype WindowedTextView::estimatedLines(QStringView text) const {
    const qsizetype perLine = charactersPerLine();
    qsizetype lines = 0;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = text.indexOf(u'\n', from);
        if (to < 0) to = text.size();
        lines += std::max<qsizetype>(1, (to - from + perLine - 1) / perLine);
        from = to + 1;
    }
    return lines;
}

qsizetype WindowedTextView::positionAfterLines(QStringView text, qsizetype lines) const {
    const qsizetype perLine = charactersPerLine();
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = text.indexOf(u'\n', from);
        if (to < 0) to = text.size();
        const qsizetype paragraphLines =
            std::max<qsizetype>(1, (to - from + perLine - 1) / perLine);
        if (lines < paragraphLines) return from + std::min(lines * perLine, to - from);
        lines -= paragraphLines;
        from = to + 1;
    }
    return text.size();
}

void WindowedTextView::recountLines() {
    linesBefore_ = estimatedLines(parts_.before);
    linesAfter_ = estimatedLines(parts_.after);
}

int WindowedTextView::windowLineOf(qsizetype position) const {
    const QTextBlock block = document()->findBlock(int(position));
    if (!block.isValid()) return 0;
    // Laid out when asked for its size.
    if (block.layout()->lineCount() == 0) document()->documentLayout()->blockBoundingRect(block);
    const QTextLine line = block.layout()->lineForTextPosition(int(position - block.position()));
    return block.firstLineNumber() + (line.isValid() ? line.lineNumber() : 0);
}

qsizetype WindowedTextView::windowPositionOfLine(int line) const {
    const QTextBlock block = document()->findBlockByLineNumber(line);
    if (!block.isValid()) return windowLength();
    // Laid out when asked for its size.
    if (block.layout()->lineCount() == 0) document()->documentLayout()->blockBoundingRect(block);
    const QTextLine found = block.layout()->lineAt(line - block.firstLineNumber());
    return block.position() + (found.isValid() ? found.textStart() : 0);
}

bool WindowedTextView::moveToTextEnd(const QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        placeWindow(0, wholeLength());
        return true;
    }
    if (!hasKeyboardCursor()) return false;
    const bool select = matchesAnyKey(
        event, {QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument});
    qsizetype target;
    if (matchesAnyKey(event,
                      {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument})) {
        target = 0;
    } else if (matchesAnyKey(
                   event, {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument})) {
        target = wholeLength();
    } else {
        return false;
    }
    placeWindow(select ? wholeAnchorPosition() : target, target);
    return true;
}

bool WindowedTextView::actOnWideSelection(const QKeyEvent* event) {
    if (!wideAnchor_) return false;
    const qsizetype anchor = *wideAnchor_, cursor = wholeCursorPosition();
    if (event->matches(QKeySequence::Cut)) {
        if (isReadOnly()) return true;
        QApplication::clipboard()->setMimeData(createMimeDataFromSelection());
        deleteWideSelection();
        return true;
    }
    if (isReadOnly()) return false;
    if (erasesSelection(event)) {
        deleteWideSelection();
        return true;
    }
    if (replacesSelection(event)) {
        deleteWideSelection();
        // Undone in one step with what replaces it, as the view's own replacement is.
        wideDelete_->replaced = true;
        return false;
    }
    if (extendsSelection(event)) return false;
    if (matchesAnyKey(event, {QKeySequence::MoveToNextChar, QKeySequence::MoveToPreviousChar})) {
        // A step over a selection ends at its edge on that side, as the view's own does.
        const bool next = event->matches(QKeySequence::MoveToNextChar) ==
                          (paragraphDirection(cursor) == Qt::LeftToRight);
        const qsizetype edge = next ? std::max(anchor, cursor) : std::min(anchor, cursor);
        placeWindow(edge, edge);
        return true;
    }
    // Other steps start from the cursor; other keys (a modifier pressed alone) leave the
    // selection be.
    if (movesCursor(event)) placeWindow(cursor, cursor);
    return false;
}

bool WindowedTextView::moveByWord(const QKeyEvent* event) {
    const qsizetype cursor = wholeCursorPosition();
    bool forward, select = false, erase = false;
    if (matchesAnyKey(event, {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord})) {
        // Right goes back in a paragraph running right to left.
        forward = paragraphDirection(cursor) == Qt::LeftToRight;
        select = event->matches(QKeySequence::SelectNextWord);
    } else if (matchesAnyKey(
                   event, {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord})) {
        forward = paragraphDirection(cursor) != Qt::LeftToRight;
        select = event->matches(QKeySequence::SelectPreviousWord);
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        forward = true;
        erase = true;
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        forward = false;
        erase = true;
    } else {
        return false;
    }
    // A word delete over a selection takes only the selection, as the view's own does.
    if (erase && (isReadOnly() || textCursor().hasSelection())) return false;
    // A step goes no further than its paragraph, and from its edge over the break.
    const qsizetype length = wholeLength();
    const qsizetype start = paragraphStartAtOrBefore(cursor), end = paragraphEndAtOrAfter(cursor);
    qsizetype target;
    if (forward && cursor == end) {
        target = std::min(length, cursor + 1);
    } else if (!forward && cursor == start) {
        target = std::max<qsizetype>(0, cursor - 1);
    } else {
        target = ::wordStep([this](qsizetype from, qsizetype to) { return wholeSlice(from, to); },
                            length, start, end, cursor, forward, sizes_.margin);
    }
    placeWindow(select || erase ? wholeAnchorPosition() : target, target);
    if (erase && target != cursor) {
        if (wideAnchor_) {
            deleteWideSelection();
        } else {
            QTextCursor shown = textCursor();
            shown.removeSelectedText();
            setTextCursor(shown);
            placeWindow(wholeCursorPosition(), wholeCursorPosition());
        }
    }
    return true;
}

void WindowedTextView::deleteWideSelection() {
    const qsizetype anchor = *wideAnchor_, cursor = wholeCursorPosition();
    const qsizetype from = std::min(anchor, cursor), to = std::max(anchor, cursor);
    wideAnchor_.reset();
    QString text = wholeSlice(from, to);
    // What lies between the parts, the selection, is dropped with the window.
    WideDelete undone{from, std::move(text), regroup(from, to)};
    showWindowText(QString(), {});
    placeWindow(from, from, true);
    wideDelete_ = std::move(undone);
}

void WindowedTextView::undoWideDelete() {
    QString whole = wholeHeldText();
    QByteArray forms = parts_.forms(windowForms_);
    forms.insert(QStringView(whole).first(wideDelete_->from).count(u'\n'), wideDelete_->forms);
    whole.insert(wideDelete_->from, wideDelete_->text);
    const qsizetype end = wideDelete_->from + wideDelete_->text.size();
    wideDelete_.reset();
    // Held after the (empty) window, as a new text is.
    wideAnchor_.reset();
    away_.reset();
    parts_.clear();
    parts_.after = std::move(whole);
    parts_.afterForms = std::move(forms);
    showWindowText(QString(), {});
    placeWindow(end, end, true);
}

void WindowedTextView::selectionDidChange() {
    if (placing_ || !holdsPart() || wideAnchor_ || !textCursor().hasSelection()) return;
    const QTextCursor shown = textCursor();
    if (shown.selectionStart() != 0 || shown.selectionEnd() != windowLength()) return;
    // The view is still at work: the window is moved after it.
    const bool forward = shown.position() == windowLength();
    wideAnchor_ = forward ? 0 : wholeLength();
    pendingCursor_ = forward ? wholeLength() : 0;
    QMetaObject::invokeMethod(this, &WindowedTextView::settle, Qt::QueuedConnection);
}

void WindowedTextView::settle() {
    if (!pendingCursor_) return;
    const qsizetype anchor = *wideAnchor_, cursor = *pendingCursor_;
    pendingCursor_.reset();
    placeWindow(anchor, cursor, true);
}

bool WindowedTextView::event(QEvent* event) {
    // A view that cannot be edited still selects and copies its own text: these keys are not the
    // menus' while it has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void WindowedTextView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::InsertLineSeparator)) {
        // A line break typed is a paragraph break, in the form of the text's own, never the line
        // separator a text view would put in.
        QKeyEvent paragraph(event->type(), Qt::Key_Return, Qt::NoModifier, event->text());
        keyPressEvent(&paragraph);
        event->setAccepted(paragraph.isAccepted());
        return;
    }
    // Also once the text left is short enough to be held whole.
    if (wideDelete_ && !isReadOnly() && event->matches(QKeySequence::Undo) &&
        document()->availableUndoSteps() <= (wideDelete_->replaced ? 1 : 0)) {
        if (document()->isUndoAvailable()) document()->undo();
        undoWideDelete();
        event->accept();
        return;
    }
    if (!holdsPart()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    settle();
    if (event->matches(QKeySequence::Copy)) {
        // A selection out of sight or past the window is copied whole, where it is.
        if (wholeAnchorPosition() != wholeCursorPosition()) {
            QApplication::clipboard()->setMimeData(createMimeDataFromSelection());
        }
        event->accept();
        return;
    }
    const bool keyboardCursor = hasKeyboardCursor();
    if (keyboardCursor) comeBack();
    if (!keyboardCursor && event->modifiers() == Qt::NoModifier &&
        (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)) {
        // A view without a cursor goes to the text's start or end.
        wholeBar_->triggerAction(event->key() == Qt::Key_Home ? QScrollBar::SliderToMinimum
                                                              : QScrollBar::SliderToMaximum);
        event->accept();
        return;
    }
    if (moveToTextEnd(event) || actOnWideSelection(event) ||
        (keyboardCursor && moveByWord(event))) {
        event->accept();
        return;
    }
    keying_ = true;
    QPlainTextEdit::keyPressEvent(event);
    keying_ = false;
    if (keyboardCursor) placeWindow(wholeAnchorPosition(), wholeCursorPosition());
    followView();
}

void WindowedTextView::inputMethodEvent(QInputMethodEvent* event) {
    if (!holdsPart()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    comeBack();
    if (wideAnchor_ && !event->commitString().isEmpty()) deleteWideSelection();
    keying_ = true;
    QPlainTextEdit::inputMethodEvent(event);
    keying_ = false;
    placeWindow(wholeAnchorPosition(), wholeCursorPosition());
}

void WindowedTextView::mousePressEvent(QMouseEvent* event) {
    // A click puts the cursor in the window: a selection reaching past it ends.
    pendingCursor_.reset();
    wideAnchor_.reset();
    away_.reset();
    setCursorWidth(1);
    selectingByMouse_ = true;
    QPlainTextEdit::mousePressEvent(event);
}

void WindowedTextView::mouseReleaseEvent(QMouseEvent* event) {
    selectingByMouse_ = false;
    QPlainTextEdit::mouseReleaseEvent(event);
    if (holdsPart() && hasKeyboardCursor()) {
        placeWindow(wholeAnchorPosition(), wholeCursorPosition());
    }
}

void WindowedTextView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's commands act on what the view holds: a selection reaching past it ends first,
    // so that none of them takes only its visible part.
    settle();
    if (holdsPart()) {
        if (hasKeyboardCursor()) comeBack();
        if (wideAnchor_) placeWindow(wholeCursorPosition(), wholeCursorPosition());
    }
    QPlainTextEdit::contextMenuEvent(event);
}

void WindowedTextView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    // Measured anew for the new width.
    if (event->size().width() != event->oldSize().width()) lineCharacters_ = 0;
    const QRect inside = contentsRect();
    const int width = wholeBar_->sizeHint().width();
    wholeBar_->setGeometry(inside.right() + 1 - width, inside.top(), width, inside.height());
    if (holdsPart()) recountLines();
    syncWholeBar();
}

QMimeData* WindowedTextView::createMimeDataFromSelection() const {
    // The text as it is, where a text view's own copy would give every break and no-break space
    // as LF and space.
    const qsizetype anchor = wholeAnchorPosition(), cursor = wholeCursorPosition();
    auto* data = new QMimeData;
    data->setText(parts_.text(std::min(anchor, cursor), std::max(anchor, cursor), windowText(),
                              windowForms_));
    return data;
}
