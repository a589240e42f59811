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

#include "mainwindow/record/LongWordWrap.h"
#include "mainwindow/textwindow/BreakForms.h"
#include "mainwindow/textwindow/SelectionPastWindowKeys.h"
#include "mainwindow/textwindow/TextBoundaries.h"
#include "platform/ui/KeyMatches.h"

WindowedTextView::WindowedTextView(QWidget* parent)
    : QPlainTextEdit(parent),
      text_(*this, TextWindowSizes(), TextWidget::kTextView),
      wholeBar_(new QScrollBar(Qt::Vertical, this)) {
    wholeBar_->hide();
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                if (placing_) return;
                if (!document()->isUndoRedoEnabled()) {
                    // Replaced by the view's own setPlainText: the parts held beside it go.
                    text_.clear();
                    firstForm_ = kLfBreak;
                    text_.windowForms() = QByteArray(document()->blockCount() - 1, kLfBreak);
                    deletionPastWindow_.reset();
                    syncWholeBar();
                } else {
                    followBreaks(position, removed, added);
                    // A paste from the context menu or a drop, once the view is done with it.
                    if (!holdsPart() && text_.followsEdits()) {
                        QMetaObject::invokeMethod(
                            this, [this] { placeWindowAfterPaste(); }, Qt::QueuedConnection);
                    }
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
    text_.clear();
    deletionPastWindow_.reset();
    lineCharacters_ = 0;
    setCursorWidth(1);
    setWordWrapMode(wrapModeFor(hasLongWord(text)));
    const bool whole = text.size() <= text_.sizes().wholeLimit;
    QByteArray forms;
    QString held = heldText(text, &forms);
    firstForm_ = forms.isEmpty() ? kLfBreak : forms.front();
    if (whole) {
        showWindowText(held, forms);
        syncWholeBar();
        return;
    }
    // Held after the (empty) window, so that placing the window at the start takes what it shows.
    text_.holdOutside(LoadedAndTypedText(std::move(held)), std::move(forms), false);
    text_.placeWindow(0, 0, true);
    verticalScrollBar()->setValue(0);
    syncWholeBar();
}

QString WindowedTextView::wholeText() const {
    return text_.text(0, wholeLength());
}

QString WindowedTextView::wholeHeldText() const {
    return text_.slice(0, wholeLength());
}

void WindowedTextView::followBreaks(int position, int removed, int added) {
    QByteArray& windowForms = text_.windowForms();
    // The breaks before a document position: the paragraphs that end before it.
    auto breaksBefore = [this](int at) {
        const QTextBlock block = document()->findBlock(at);
        return block.isValid() ? block.blockNumber() : document()->blockCount() - 1;
    };
    const qsizetype from = breaksBefore(position);
    const qsizetype addedBreaks = breaksBefore(position + added) - from;
    const qsizetype removedBreaks =
        windowForms.size() - (document()->blockCount() - 1 - addedBreaks);
    assert(removedBreaks >= 0 && from + removedBreaks <= windowForms.size());
    // A break typed takes the form of the break that begins its paragraph.
    char typed = firstForm_;
    if (from > 0) {
        typed = windowForms[from - 1];
    } else if (!text_.beforeForms().isEmpty()) {
        typed = text_.beforeForms().back();
    }
    QByteArray forms = pastedForms_ && pastedForms_->size() == addedBreaks
                           ? *pastedForms_
                           : QByteArray(addedBreaks, typed);
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
            {position, removed, windowForms.sliced(from, removedBreaks), steps});
    }
    windowForms.remove(from, removedBreaks);
    windowForms.insert(from, forms);
}

QString WindowedTextView::windowText() const {
    return document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

Qt::LayoutDirection WindowedTextView::paragraphDirection(qsizetype position) const {
    return text_
        .firstStrongDirection(text_.paragraphStartAtOrBefore(position),
                              text_.paragraphEndAtOrAfter(position))
        .value_or(Qt::LeftToRight);
}

std::pair<qsizetype, qsizetype> WindowedTextView::windowAround(qsizetype position) {
    measureLines();
    const qsizetype length = wholeLength(), window = text_.sizes().window;
    if (length <= text_.sizes().wholeLimit) return {0, length};
    qsizetype start = std::clamp<qsizetype>(position - window / 2, 0, length);
    const qsizetype paragraph = text_.paragraphStartAtOrBefore(start);
    if (start - paragraph <= window / 2) {
        start = paragraph;
    } else if (lineCharacters_ > 0) {
        start = paragraph + (start - paragraph) / lineCharacters_ * lineCharacters_;
    }
    start = text_.characterStartAtOrBefore(start);
    qsizetype end = std::min(length, std::max(start + window, position + window / 2));
    if (end < length) end = text_.characterEndAtOrAfter(end);
    return {start, end};
}

void WindowedTextView::showWindowText(const QString& text, QByteArray forms) {
    text_.windowForms() = std::move(forms);
    removedBreaks_.clear();
    const bool wasPlacing = placing_;
    placing_ = true;
    setPlainText(text);
    placing_ = wasPlacing;
}

void WindowedTextView::clearWindow() {
    showWindowText(QString(), {});
}

void WindowedTextView::showWindowSelection(qsizetype anchor, qsizetype cursor) {
    setCursorWidth(1);
    QTextCursor shown(document());
    shown.setPosition(int(anchor));
    shown.setPosition(int(cursor), QTextCursor::KeepAnchor);
    const bool wasPlacing = placing_;
    placing_ = true;
    setTextCursor(shown);
    placing_ = wasPlacing;
}

void WindowedTextView::moveWindow(qsizetype start, qsizetype end) {
    // The view's undo steps go with its text: a delete made before them can no longer be undone.
    if (document()->isUndoAvailable()) deletionPastWindow_.reset();
    const qsizetype top = text_.windowStart() + windowPositionOfLine(verticalScrollBar()->value());
    TextWindow::Taken window = text_.takeWindow(start, end);
    const bool wasPlacing = placing_;
    placing_ = true;
    showWindowText(window.text.toString(), std::move(window.forms));
    keepParagraphDirection();
    recountLines();
    if (top >= start && top <= end) verticalScrollBar()->setValue(windowLineOf(top - start));
    placing_ = wasPlacing;
}

void WindowedTextView::keepParagraphDirection() {
    const qsizetype start = text_.windowStart();
    const qsizetype paragraph = text_.before().lastIndexOf(u'\n', start) + 1;
    if (paragraph == start) return;
    const QTextBlock first = document()->firstBlock();
    std::optional<Qt::LayoutDirection> direction = text_.firstStrongDirection(paragraph, start);
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

void WindowedTextView::showFrom(qsizetype position, qsizetype middle) {
    const qsizetype anchor = wholeAnchorPosition(), cursor = wholeCursorPosition();
    const bool wasPlacing = placing_;
    placing_ = true;
    auto [start, end] = windowAround(middle);
    if (start != text_.windowStart() || end != start + windowLength()) moveWindow(start, end);
    if (cursor >= start && cursor <= end) {
        text_.showSelection(anchor, cursor);
    } else {
        // Kept aside; the view draws no cursor of its own meanwhile.
        text_.keepAway(anchor, cursor);
        setCursorWidth(0);
    }
    verticalScrollBar()->setValue(windowLineOf(position - start));
    placing_ = wasPlacing;
    syncWholeBar();
}

void WindowedTextView::followView() {
    if (!holdsPart()) return;
    QScrollBar* own = verticalScrollBar();
    const qsizetype top = windowPositionOfLine(own->value());
    const qsizetype bottom = windowPositionOfLine(own->value() + own->pageStep());
    if ((!text_.before().isEmpty() && top < text_.sizes().margin) ||
        (!text_.after().isEmpty() && windowLength() - bottom < text_.sizes().margin)) {
        // Around the middle of what is shown, with room either side of it.
        showFrom(text_.windowStart() + top, text_.windowStart() + (top + bottom) / 2);
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
    const qsizetype windowEnd = text_.windowStart() + windowLength();
    const qsizetype position =
        line < linesBefore_
            ? positionAfterLines(text_.before(), line)
            : windowEnd + positionAfterLines(text_.after(), inWindow - document()->lineCount());
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

qsizetype WindowedTextView::estimatedLines(const LoadedAndTypedText& text) const {
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

qsizetype WindowedTextView::positionAfterLines(const LoadedAndTypedText& text,
                                               qsizetype lines) const {
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
    linesBefore_ = estimatedLines(text_.before());
    linesAfter_ = estimatedLines(text_.after());
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
        text_.selectAll();
        return true;
    }
    if (!hasKeyboardCursor()) return false;
    const bool select = matchesAnyKey(
        event, {QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument});
    if (matchesAnyKey(event,
                      {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument})) {
        text_.moveTo(0, select);
    } else if (matchesAnyKey(
                   event, {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument})) {
        text_.moveTo(wholeLength(), select);
    } else {
        return false;
    }
    return true;
}

bool WindowedTextView::actOnSelectionPastWindow(const QKeyEvent* event) {
    if (!text_.anchorIsOutside()) return false;
    const qsizetype anchor = wholeAnchorPosition(), cursor = wholeCursorPosition();
    if (event->matches(QKeySequence::Cut)) {
        if (isReadOnly()) return true;
        QApplication::clipboard()->setMimeData(createMimeDataFromSelection());
        deleteSelectionPastWindow();
        return true;
    }
    if (isReadOnly()) return false;
    if (erasesSelection(event, TextWidget::kTextView)) {
        deleteSelectionPastWindow();
        return true;
    }
    if (replacesSelection(event, TextWidget::kTextView)) {
        deleteSelectionPastWindow();
        // Undone in one step with what replaces it, as the view's own replacement is.
        deletionPastWindow_->replaced = true;
        return false;
    }
    if (extendsSelection(event, TextWidget::kTextView)) return false;
    if (matchesAnyKey(event, {QKeySequence::MoveToNextChar, QKeySequence::MoveToPreviousChar})) {
        // A step over a selection ends at its edge on that side, as the view's own does.
        const bool next = event->matches(QKeySequence::MoveToNextChar) ==
                          (paragraphDirection(cursor) == Qt::LeftToRight);
        const qsizetype edge = next ? std::max(anchor, cursor) : std::min(anchor, cursor);
        text_.placeWindow(edge, edge);
        return true;
    }
    // Other steps start from the cursor; other keys (a modifier pressed alone) leave the
    // selection be.
    if (startsFromCursor(event, TextWidget::kTextView)) text_.placeWindow(cursor, cursor);
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
    const qsizetype start = text_.paragraphStartAtOrBefore(cursor),
                    end = text_.paragraphEndAtOrAfter(cursor);
    qsizetype target;
    if (forward && cursor == end) {
        target = std::min(length, cursor + 1);
    } else if (!forward && cursor == start) {
        target = std::max<qsizetype>(0, cursor - 1);
    } else {
        target = text_.wordStep(cursor, forward, start, end);
    }
    text_.placeWindow(select || erase ? wholeAnchorPosition() : target, target);
    if (erase && target != cursor) {
        if (text_.anchorIsOutside()) {
            deleteSelectionPastWindow();
        } else {
            QTextCursor shown = textCursor();
            shown.removeSelectedText();
            setTextCursor(shown);
            text_.placeWindow(wholeCursorPosition(), wholeCursorPosition());
        }
    }
    return true;
}

void WindowedTextView::deleteSelectionPastWindow() {
    TextWindow::Deleted deleted = text_.deleteSelectionPastWindow();
    deletionPastWindow_ = DeletionPastWindow{deleted.from, deleted.taken.text.toString(),
                                             std::move(deleted.taken.forms)};
}

void WindowedTextView::undoDeletionPastWindow() {
    QString whole = wholeHeldText();
    QByteArray forms = text_.forms();
    forms.insert(QStringView(whole).first(deletionPastWindow_->from).count(u'\n'),
                 deletionPastWindow_->forms);
    whole.insert(deletionPastWindow_->from, deletionPastWindow_->text);
    const qsizetype end = deletionPastWindow_->from + deletionPastWindow_->text.size();
    deletionPastWindow_.reset();
    // Held after the (empty) window, as a new text is.
    text_.holdOutside(LoadedAndTypedText(std::move(whole)), std::move(forms), false);
    text_.placeWindow(end, end, true);
}

void WindowedTextView::placeWindowAfterPaste() {
    if (!holdsPart() && text_.followsEdits() && hasKeyboardCursor()) {
        text_.placeWindow(wholeAnchorPosition(), wholeCursorPosition());
    }
}

void WindowedTextView::insertFromMimeData(const QMimeData* source) {
    // The breaks pasted keep their own forms; only a break typed takes its paragraph's.
    QByteArray forms;
    heldText(source->text(), &forms);
    pastedForms_ = std::move(forms);
    QPlainTextEdit::insertFromMimeData(source);
    pastedForms_.reset();
}

void WindowedTextView::selectionDidChange() {
    if (placing_ || !text_.selectionChanged()) return;
    QMetaObject::invokeMethod(
        this, [this] { text_.settle(); }, Qt::QueuedConnection);
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
    if (deletionPastWindow_ && !isReadOnly() && event->matches(QKeySequence::Undo) &&
        document()->availableUndoSteps() <= (deletionPastWindow_->replaced ? 1 : 0)) {
        if (document()->isUndoAvailable()) document()->undo();
        undoDeletionPastWindow();
        event->accept();
        return;
    }
    if (!holdsPart()) {
        QPlainTextEdit::keyPressEvent(event);
        placeWindowAfterPaste();
        return;
    }
    text_.settle();
    if (event->matches(QKeySequence::Copy)) {
        // A selection out of sight or past the window is copied whole, where it is.
        if (wholeAnchorPosition() != wholeCursorPosition()) {
            QApplication::clipboard()->setMimeData(createMimeDataFromSelection());
        }
        event->accept();
        return;
    }
    const bool keyboardCursor = hasKeyboardCursor();
    if (keyboardCursor) text_.comeBack();
    if (!keyboardCursor && event->modifiers() == Qt::NoModifier &&
        (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)) {
        // A view without a cursor goes to the text's start or end.
        wholeBar_->triggerAction(event->key() == Qt::Key_Home ? QScrollBar::SliderToMinimum
                                                              : QScrollBar::SliderToMaximum);
        event->accept();
        return;
    }
    if (moveToTextEnd(event) || actOnSelectionPastWindow(event) ||
        (keyboardCursor && moveByWord(event))) {
        event->accept();
        return;
    }
    keying_ = true;
    QPlainTextEdit::keyPressEvent(event);
    keying_ = false;
    if (keyboardCursor) text_.placeWindow(wholeAnchorPosition(), wholeCursorPosition());
    followView();
}

void WindowedTextView::inputMethodEvent(QInputMethodEvent* event) {
    if (!holdsPart()) {
        QPlainTextEdit::inputMethodEvent(event);
        placeWindowAfterPaste();
        return;
    }
    text_.comeBack();
    if (text_.anchorIsOutside() && !event->commitString().isEmpty()) deleteSelectionPastWindow();
    keying_ = true;
    QPlainTextEdit::inputMethodEvent(event);
    keying_ = false;
    text_.placeWindow(wholeAnchorPosition(), wholeCursorPosition());
}

void WindowedTextView::mousePressEvent(QMouseEvent* event) {
    // A click puts the cursor in the window: a selection reaching past it ends.
    text_.forgetEnds();
    setCursorWidth(1);
    selectingByMouse_ = true;
    QPlainTextEdit::mousePressEvent(event);
}

void WindowedTextView::mouseReleaseEvent(QMouseEvent* event) {
    selectingByMouse_ = false;
    QPlainTextEdit::mouseReleaseEvent(event);
    if (holdsPart() && hasKeyboardCursor()) {
        text_.placeWindow(wholeAnchorPosition(), wholeCursorPosition());
    }
}

void WindowedTextView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu's commands act on what the view holds: a selection reaching past it ends first,
    // so that none of them takes only its visible part.
    text_.settle();
    if (holdsPart()) {
        if (hasKeyboardCursor()) text_.comeBack();
        if (text_.anchorIsOutside())
            text_.placeWindow(wholeCursorPosition(), wholeCursorPosition());
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
    data->setText(text_.text(std::min(anchor, cursor), std::max(anchor, cursor)));
    return data;
}
