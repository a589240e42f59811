#include "mainwindow/TextParts.h"

#include <algorithm>
#include <cassert>

#include "mainwindow/BreakForms.h"

void TextParts::clear() {
    before.clear();
    after.clear();
    beforeForms.clear();
    afterForms.clear();
}

QByteArray TextParts::forms(QByteArrayView windowForms) const {
    QByteArray forms;
    forms.reserve(beforeForms.size() + windowForms.size() + afterForms.size());
    forms.append(beforeForms).append(windowForms).append(afterForms);
    return forms;
}

QString TextParts::slice(qsizetype from, qsizetype to, QStringView window) const {
    QString slice;
    if (to <= from) return slice;
    slice.reserve(to - from);
    qsizetype partStart = 0;
    for (QStringView part : {QStringView(before), window, QStringView(after)}) {
        const qsizetype low = std::max(from, partStart);
        const qsizetype high = std::min(to, partStart + part.size());
        if (low < high) slice += part.mid(low - partStart, high - low);
        partStart += part.size();
    }
    return slice;
}

QString TextParts::text(qsizetype from, qsizetype to, QStringView window,
                        QByteArrayView windowForms) const {
    // The breaks before from, counted in the parts they lie in.
    qsizetype breaks = 0, partStart = 0;
    for (QStringView part : {QStringView(before), window, QStringView(after)}) {
        breaks += part.left(std::clamp<qsizetype>(from - partStart, 0, part.size())).count(u'\n');
        partStart += part.size();
    }
    const QByteArray all = forms(windowForms);
    return withBreakForms(slice(from, to, window), QByteArrayView(all).sliced(breaks));
}

QByteArray TextParts::regroup(qsizetype start, qsizetype end, QStringView window,
                              QByteArrayView windowForms, qsizetype room) {
    const qsizetype oldStart = before.size(), oldEnd = oldStart + window.size();
    // Both slices are taken before either part changes.
    const QString toBefore = start > oldStart ? slice(oldStart, start, window) : QString();
    const QString toAfter = end < oldEnd ? slice(end, oldEnd, window) : QString();
    // The forms go with their breaks: those of the whole text are before's, the window's and
    // after's in turn.
    const QByteArray forms = this->forms(windowForms);
    qsizetype breaksBefore = beforeForms.size(), breaksAfter = afterForms.size();
    if (start > oldStart) {
        breaksBefore += toBefore.count(u'\n');
        before += toBefore;
    } else {
        breaksBefore -= QStringView(before).sliced(start).count(u'\n');
        before.truncate(start);
    }
    if (end < oldEnd) {
        breaksAfter += toAfter.count(u'\n');
        after.prepend(toAfter);
    } else {
        breaksAfter -= QStringView(after).first(end - oldEnd).count(u'\n');
        after.remove(0, end - oldEnd);
    }
    assert(breaksBefore + breaksAfter <= forms.size());
    beforeForms = forms.first(breaksBefore);
    afterForms = forms.last(breaksAfter);
    // A jump across the text leaves a part's room mostly empty: it goes, so that the text is
    // held about once.
    for (QString* part : {&before, &after}) {
        if (part->capacity() > 2 * (part->size() + room)) part->squeeze();
    }
    return forms.sliced(breaksBefore, forms.size() - breaksBefore - breaksAfter);
}
