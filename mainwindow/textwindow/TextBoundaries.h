#pragma once
// Character boundaries and directions in a long text held in parts, looked at only near a
// position: shared by the views that hold a window of such a text.
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// The direction of the first character that has one of its own.
std::optional<Qt::LayoutDirection> firstStrongDirection(QStringView text);

// The nearest start of a character at or before position in a text of that length (never inside
// a surrogate pair or a character made of several code points); slice(from, to) gives the
// text's characters from..to.
qsizetype characterStartAtOrBefore(const std::function<QString(qsizetype, qsizetype)>& slice,
                                   qsizetype length, qsizetype position);
// The nearest end of a character at or after position.
qsizetype characterEndAtOrAfter(const std::function<QString(qsizetype, qsizetype)>& slice,
                                qsizetype length, qsizetype position);

// Where a word step from position ends within start..end of a text of that length, as a text
// layout of start..end finds it; the stretch laid out starts at twice reach and grows as needed.
qsizetype wordStep(const std::function<QString(qsizetype, qsizetype)>& slice, qsizetype length,
                   qsizetype start, qsizetype end, qsizetype position, bool forward,
                   qsizetype reach);
