#include "mainwindow/textwindow/TextWindow.h"

#include <algorithm>
#include <cassert>

#include "mainwindow/textwindow/BreakForms.h"
#include "mainwindow/textwindow/TextBoundaries.h"
#include "mainwindow/textwindow/Utf8Comparison.h"

TextWindow::TextWindow(WindowHolder& view, TextWindowSizes sizes, TextWidget widget)
    : view_(view), sizes_(sizes), widget_(widget) {}

void TextWindow::clear() {
    before_.clear();
    after_.clear();
    beforeForms_.clear();
    afterForms_.clear();
    windowSource_.clear();
    outsideAnchor_.reset();
    away_.reset();
    pendingCursor_.reset();
}

void TextWindow::holdOutside(LoadedAndTypedText text, QByteArray forms, bool before) {
    clear();
    view_.clearWindow();
    windowForms_.clear();
    (before ? before_ : after_) = std::move(text);
    (before ? beforeForms_ : afterForms_) = std::move(forms);
}

QByteArray TextWindow::forms() const {
    QByteArray forms;
    forms.reserve(beforeForms_.size() + windowForms_.size() + afterForms_.size());
    forms.append(beforeForms_).append(windowForms_).append(afterForms_);
    return forms;
}

qsizetype TextWindow::cursor() const {
    if (away_) return away_->cursor;
    if (pendingCursor_) return *pendingCursor_;
    return before_.size() + view_.windowCursor();
}

qsizetype TextWindow::anchor() const {
    if (away_) return away_->anchor;
    if (outsideAnchor_) return *outsideAnchor_;
    return before_.size() + view_.windowAnchor();
}

template <typename Part>
void TextWindow::forEachPart(Part part) const {
    const LoadedAndTypedText window(view_.windowText());
    qsizetype start = 0;
    for (const LoadedAndTypedText* text : {&before_, &window, &after_}) {
        if (!part(*text, start)) return;
        start += text->size();
    }
}

QString TextWindow::slice(qsizetype from, qsizetype to) const {
    QString slice;
    if (to <= from) return slice;
    slice.reserve(to - from);
    forEachPart([&](const LoadedAndTypedText& part, qsizetype start) {
        part.appendTo(slice, from - start, to - start);
        return start + part.size() < to;
    });
    return slice;
}

QString TextWindow::text(qsizetype from, qsizetype to) const {
    if (widget_ == TextWidget::kLineEdit) return slice(from, to);
    // The breaks before from.
    qsizetype breaks = 0;
    forEachPart([&](const LoadedAndTypedText& part, qsizetype start) {
        breaks += part.count(u'\n', 0, from - start);
        return start + part.size() < from;
    });
    const QByteArray all = forms();
    return withBreakForms(slice(from, to), QByteArrayView(all).sliced(breaks));
}

bool TextWindow::equals(std::string_view utf8) const {
    Utf8Comparison comparison(utf8);
    bool equal = true;
    forEachPart([&](const LoadedAndTypedText& part, qsizetype) {
        equal = comparison.add(part);
        return equal;
    });
    return equal && comparison.finish();
}

qsizetype TextWindow::characterStartAtOrBefore(qsizetype position) const {
    return ::characterStartAtOrBefore(
        [this](qsizetype from, qsizetype to) { return slice(from, to); }, length(), position);
}

qsizetype TextWindow::characterEndAtOrAfter(qsizetype position) const {
    return ::characterEndAtOrAfter([this](qsizetype from, qsizetype to) { return slice(from, to); },
                                   length(), position);
}

qsizetype TextWindow::paragraphStartAtOrBefore(qsizetype position) const {
    // The last break before position, in the last part that has one.
    qsizetype found = -1;
    forEachPart([&](const LoadedAndTypedText& part, qsizetype start) {
        if (start >= position) return false;
        const qsizetype at = part.lastIndexOf(u'\n', position - start);
        if (at >= 0) found = start + at;
        return true;
    });
    return found + 1;
}

qsizetype TextWindow::paragraphEndAtOrAfter(qsizetype position) const {
    qsizetype found = -1, end = 0;
    forEachPart([&](const LoadedAndTypedText& part, qsizetype start) {
        end = start + part.size();
        if (position < end) {
            const qsizetype at = part.indexOf(u'\n', position - start);
            if (at >= 0) found = start + at;
        }
        return found < 0;
    });
    return found >= 0 ? found : end;
}

std::optional<Qt::LayoutDirection> TextWindow::firstStrongDirection(qsizetype from,
                                                                    qsizetype to) const {
    std::optional<Qt::LayoutDirection> direction;
    forEachPart([&](const LoadedAndTypedText& part, qsizetype start) {
        direction = part.firstStrongDirection(from - start, to - start);
        return !direction && start + part.size() < to;
    });
    return direction;
}

qsizetype TextWindow::wordStep(qsizetype position, bool forward, qsizetype start,
                               qsizetype end) const {
    return ::wordStep([this](qsizetype from, qsizetype to) { return slice(from, to); }, length(),
                      start, end, position, forward, sizes_.margin);
}

LoadedAndTypedText TextWindow::windowPieces() const {
    const QString window = view_.windowText();
    if (windowSource_.size() == window.size() && windowSource_.toString() == window) {
        return windowSource_;
    }
    return LoadedAndTypedText(window);
}

TextWindow::Taken TextWindow::takeWindow(qsizetype start, qsizetype end) {
    const LoadedAndTypedText window = windowPieces();
    const qsizetype oldStart = before_.size(), oldEnd = oldStart + window.size();
    // The parts moved are taken before either part changes.
    auto wholeMid = [&](qsizetype from, qsizetype to) {
        LoadedAndTypedText part = before_.mid(from, std::min(to, oldStart));
        part.append(window.mid(from - oldStart, to - oldStart));
        part.append(after_.mid(from - oldEnd, to - oldEnd));
        return part;
    };
    Taken taken{wholeMid(start, end), {}};
    LoadedAndTypedText toBefore = wholeMid(oldStart, start);
    LoadedAndTypedText toAfter = wholeMid(end, oldEnd);
    if (widget_ == TextWidget::kTextView) {
        // The forms go with their breaks: those of the whole text are before's, the window's
        // and after's in turn.
        const QByteArray forms = this->forms();
        qsizetype breaksBefore = beforeForms_.size(), breaksAfter = afterForms_.size();
        breaksBefore += start > oldStart ? toBefore.count(u'\n', 0, toBefore.size())
                                         : -before_.count(u'\n', start, oldStart);
        breaksAfter += end < oldEnd ? toAfter.count(u'\n', 0, toAfter.size())
                                    : -after_.count(u'\n', 0, end - oldEnd);
        assert(breaksBefore + breaksAfter <= forms.size());
        beforeForms_ = forms.first(breaksBefore);
        afterForms_ = forms.last(breaksAfter);
        taken.forms = forms.sliced(breaksBefore, forms.size() - breaksBefore - breaksAfter);
    }
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
    windowSource_ = taken.text;
    windowForms_ = taken.forms;
    return taken;
}

void TextWindow::placeWindow(qsizetype anchor, qsizetype cursor, bool always) {
    const qsizetype length = this->length();
    const qsizetype start = before_.size(), end = start + view_.windowLength();
    const bool roomBefore = start == 0 || cursor - start >= sizes_.margin;
    const bool roomAfter = end == length || end - cursor >= sizes_.margin;
    // A long text pasted makes the window as slow as the whole text would be.
    const bool tooLong = length > sizes_.wholeLimit && end - start > 2 * sizes_.window;
    if (always || !roomBefore || !roomAfter || tooLong) {
        auto [newStart, newEnd] = view_.windowAround(cursor);
        if (newStart != start || newEnd != end) view_.moveWindow(newStart, newEnd);
    }
    showSelection(anchor, cursor);
    view_.windowPlaced();
}

void TextWindow::showSelection(qsizetype anchor, qsizetype cursor) {
    const qsizetype start = before_.size(), size = view_.windowLength();
    qsizetype from = anchor - start;
    outsideAnchor_.reset();
    away_.reset();
    if (from < 0 || from > size) {
        outsideAnchor_ = anchor;
        from = from < 0 ? 0 : size;
    }
    view_.showWindowSelection(from, cursor - start);
}

void TextWindow::keepAway(qsizetype anchor, qsizetype cursor) {
    outsideAnchor_.reset();
    away_ = Ends{anchor, cursor};
}

void TextWindow::comeBack() {
    settle();
    if (!away_) return;
    const Ends ends = *away_;
    away_.reset();
    placeWindow(ends.anchor, ends.cursor, true);
}

bool TextWindow::selectionChanged() {
    if (!holdsPart() || outsideAnchor_) return false;
    const qsizetype windowAnchor = view_.windowAnchor(), windowCursor = view_.windowCursor();
    const qsizetype size = view_.windowLength();
    if (std::min(windowAnchor, windowCursor) != 0 || std::max(windowAnchor, windowCursor) != size ||
        size == 0) {
        return false;
    }
    // The view is still at work: the window is moved after it.
    const qsizetype length = this->length();
    const bool forward = windowCursor == size;
    outsideAnchor_ = forward ? 0 : length;
    pendingCursor_ = forward ? length : 0;
    return true;
}

void TextWindow::settle() {
    if (!pendingCursor_) return;
    const qsizetype anchor = *outsideAnchor_, cursor = *pendingCursor_;
    pendingCursor_.reset();
    placeWindow(anchor, cursor, true);
}

void TextWindow::forgetEnds() {
    outsideAnchor_.reset();
    away_.reset();
    pendingCursor_.reset();
}

TextWindow::Deleted TextWindow::deleteSelectionPastWindow() {
    const qsizetype anchor = *outsideAnchor_, cursor = this->cursor();
    const qsizetype from = std::min(anchor, cursor), to = std::max(anchor, cursor);
    outsideAnchor_.reset();
    // What lies between the parts, the selection, is dropped with the window.
    Deleted deleted{from, takeWindow(from, to)};
    windowSource_.clear();
    windowForms_.clear();
    view_.clearWindow();
    placeWindow(from, from, true);
    return deleted;
}
