#include "mainwindow/rows/views/LongCellText.h"

#include <algorithm>

namespace {

constexpr qsizetype kLongText = 512;
constexpr qsizetype kFirstHead = 64;

bool isLineBreak(QChar ch) {
    switch (ch.unicode()) {
        case '\n':
        case '\r':
        case '\v':
        case '\f':
        case 0x85:
        case 0x2028:
        case 0x2029:
            return true;
        default:
            return false;
    }
}

// Whether the character lays out the same whatever follows it in a left-to-right line.
bool keepsItsPlace(QChar ch) {
    switch (ch.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirPDF:
        case QChar::DirRLI:
        case QChar::DirLRI:
        case QChar::DirFSI:
        case QChar::DirPDI:
            return false;
        default:
            return true;
    }
}

}  // namespace

QString visiblePartOfLongText(const QString& text, const QFontMetrics& metrics, int width) {
    if (text.size() <= kLongText || std::any_of(text.begin(), text.end(), isLineBreak)) {
        return text;
    }
    // Twice the width and an ellipsis: kerning at the cut cannot reach back to where the style
    // elides.
    const int overflow = 2 * std::max(width, 0) + metrics.horizontalAdvance(QChar(0x2026));
    qsizetype checked = 0;
    for (qsizetype head = kFirstHead; head < text.size(); head *= 2) {
        if (text[head - 1].isHighSurrogate()) ++head;
        if (!std::all_of(text.begin() + checked, text.begin() + head, keepsItsPlace)) break;
        checked = head;
        if (metrics.horizontalAdvance(text.left(head)) > overflow) return text.left(head);
    }
    return text;
}
