#pragma once
// A text document holds every paragraph break of a text alike, whatever its form: CR LF, a lone
// CR or LF, U+2029 or a frame mark (U+FDD0, U+FDD1), and gives each back as LF. The panels keep
// the form of each break beside the text they hold, one byte a break in text order, so that a
// text comes back as it was put in.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The forms as kept.
inline constexpr char kLfBreak = 0, kCrLfBreak = 1, kCrBreak = 2, kParagraphSeparatorBreak = 3,
                      kFrameStartBreak = 4, kFrameEndBreak = 5;

// The text as a text document holds it, every break one '\n'; the forms of its breaks are added
// to forms.
QString heldText(QString text, QByteArray* forms);
// The held text with its k-th break in forms[k] (LF past their end).
QString withBreakForms(QString held, QByteArrayView forms);
