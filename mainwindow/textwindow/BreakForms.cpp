#include "mainwindow/textwindow/BreakForms.h"

#include <algorithm>
#include <optional>

namespace {

QStringView breakText(char form) {
    switch (form) {
        case kCrLfBreak:
            return u"\r\n";
        case kCrBreak:
            return u"\r";
        case kParagraphSeparatorBreak:
            return u"\u2029";
        case kFrameStartBreak:
            return u"\ufdd0";
        case kFrameEndBreak:
            return u"\ufdd1";
        default:
            return u"\n";
    }
}

}  // namespace

QString heldText(QString text, QByteArray* forms) {
    qsizetype kept = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        std::optional<char> form;
        switch (c.unicode()) {
            case u'\n':
                form = kLfBreak;
                break;
            case u'\r':
                if (i + 1 < text.size() && text.at(i + 1) == u'\n') {
                    form = kCrLfBreak;
                    ++i;
                } else {
                    form = kCrBreak;
                }
                break;
            case QChar::ParagraphSeparator:
                form = kParagraphSeparatorBreak;
                break;
            case 0xfdd0:
                form = kFrameStartBreak;
                break;
            case 0xfdd1:
                form = kFrameEndBreak;
                break;
        }
        if (form) {
            *forms += *form;
            c = u'\n';
        }
        // Untouched until a character moves, so that a text without CR LF is not copied.
        if (kept != i || text.at(kept) != c) text[kept] = c;
        ++kept;
    }
    text.truncate(kept);
    return text;
}

QString withBreakForms(QString held, QByteArrayView forms) {
    if (std::all_of(forms.begin(), forms.end(), [](char form) { return form == kLfBreak; })) {
        return held;
    }
    QString text;
    text.reserve(held.size() + std::count(forms.begin(), forms.end(), kCrLfBreak));
    qsizetype from = 0, k = 0;
    for (qsizetype at; (at = held.indexOf(u'\n', from)) >= 0; from = at + 1, ++k) {
        text += QStringView(held).mid(from, at - from);
        text += breakText(k < forms.size() ? forms[k] : kLfBreak);
    }
    text += QStringView(held).mid(from);
    return text;
}
