#include "mainwindow/textwindow/TextBoundaries.h"

#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>

namespace {

// Enough either side of a position to find the character it lies in.
constexpr qsizetype kCharacterReach = 32;

}  // namespace

std::optional<Qt::LayoutDirection> firstStrongDirection(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        switch (QChar::direction(c)) {
            case QChar::DirL:
                return Qt::LeftToRight;
            case QChar::DirR:
            case QChar::DirAL:
                return Qt::RightToLeft;
            default:
                break;
        }
    }
    return std::nullopt;
}

qsizetype characterStartAtOrBefore(const std::function<QString(qsizetype, qsizetype)>& slice,
                                   qsizetype length, qsizetype position) {
    if (position <= 0 || position >= length) return position;
    // A letter may carry more combining marks than any stretch looked at: the stretch before
    // position grows until it holds the character's start.
    for (qsizetype reach = kCharacterReach;; reach *= 2) {
        const qsizetype from = std::max<qsizetype>(0, position - reach);
        const QString around = slice(from, std::min(length, position + kCharacterReach));
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, around);
        finder.setPosition(position - from);
        if (finder.isAtBoundary()) return position;
        const qsizetype previous = finder.toPreviousBoundary();
        // The slice's own start is no boundary of the text unless it is the text's start.
        if (previous > 0 || from == 0) return from + std::max<qsizetype>(0, previous);
    }
}

qsizetype characterEndAtOrAfter(const std::function<QString(qsizetype, qsizetype)>& slice,
                                qsizetype length, qsizetype position) {
    const qsizetype start = characterStartAtOrBefore(slice, length, position);
    if (start == position) return position;
    for (qsizetype reach = kCharacterReach;; reach *= 2) {
        const qsizetype to = std::min(length, position + reach);
        const QString around = slice(start, to);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, around);
        finder.setPosition(position - start);
        const qsizetype next = finder.toNextBoundary();
        // The slice's own end is no boundary of the text unless it is the text's end.
        if ((next > 0 && next < around.size()) || to == length) {
            return next > 0 ? start + next : to;
        }
    }
}

qsizetype wordStep(const std::function<QString(qsizetype, qsizetype)>& slice, qsizetype length,
                   qsizetype start, qsizetype end, qsizetype position, bool forward,
                   qsizetype reach) {
    // A word may be longer than any stretch looked at: the stretch grows until the step ends
    // inside it, short of the context a boundary may look at.
    for (reach *= 2;; reach *= 2) {
        const qsizetype from = characterStartAtOrBefore(
            slice, length, std::max(start, position - (forward ? kCharacterReach : reach)));
        const qsizetype to = characterStartAtOrBefore(
            slice, length, std::min(end, position + (forward ? reach : kCharacterReach)));
        QTextLayout layout(slice(from, to));
        const int at = static_cast<int>(position - from);
        if (forward) {
            const qsizetype step = from + layout.nextCursorPosition(at, QTextLayout::SkipWords);
            if (to == end || step < to - kCharacterReach) return step;
        } else {
            const qsizetype step = from + layout.previousCursorPosition(at, QTextLayout::SkipWords);
            if (from == start || step > from + kCharacterReach) return step;
        }
    }
}
