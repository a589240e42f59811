#pragma once
// The part of a long cell text a cell can show: the style lays out all of a text before it
// elides it, which for a held value of thousands of characters costs more than the rest of a
// paint; only the head that already overflows the cell is handed over, so the elided text drawn
// is the same.
#include <QFontMetrics>
#include <QString>

// The text itself where it is short, holds a line break (its lines are centred as a block) or
// text running right to left in the part that would be kept.
QString visiblePartOfLongText(const QString& text, const QFontMetrics& metrics, int width);
