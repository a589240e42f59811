#include "mainwindow/TextBoundaries.h"

#include <QTextBoundaryFinder>

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
    const qsizetype from = std::max<qsizetype>(0, position - kCharacterReach);
    const QString around = slice(from, std::min(length, position + kCharacterReach));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, around);
    finder.setPosition(position - from);
    if (finder.isAtBoundary()) return position;
    const qsizetype previous = finder.toPreviousBoundary();
    // The slice's own start is no boundary of the text unless it is the text's start.
    if (previous > 0 || (previous == 0 && from == 0)) return from + previous;
    return around.at(position - from).isLowSurrogate() ? position - 1 : position;
}
