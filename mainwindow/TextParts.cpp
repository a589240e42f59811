#include "mainwindow/TextParts.h"

#include <algorithm>

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

void TextParts::regroup(qsizetype start, qsizetype end, QStringView window, qsizetype room) {
    const qsizetype oldStart = before.size(), oldEnd = oldStart + window.size();
    // Both slices are taken before either part changes.
    const QString toBefore = start > oldStart ? slice(oldStart, start, window) : QString();
    const QString toAfter = end < oldEnd ? slice(end, oldEnd, window) : QString();
    if (start > oldStart) {
        before += toBefore;
    } else {
        before.truncate(start);
    }
    if (end < oldEnd) {
        after.prepend(toAfter);
    } else {
        after.remove(0, end - oldEnd);
    }
    // A jump across the text leaves a part's room mostly empty: it goes, so that the text is
    // held about once.
    for (QString* part : {&before, &after}) {
        if (part->capacity() > 2 * (part->size() + room)) part->squeeze();
    }
}
