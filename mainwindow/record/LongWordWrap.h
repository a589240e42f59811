#pragma once
// The panels' text views wrap at word boundaries and break a word longer than a line anywhere,
// as text views do. Qt's layout in that mode looks for each line's break up to the end of a word
// that has none, which for a value of a million characters without a space takes minutes: while
// the text holds a word that long, its view wraps anywhere instead.
#include <QStringView>
#include <QTextOption>

#include <functional>

class QPlainTextEdit;

bool hasLongWord(QStringView text);
QTextOption::WrapMode wrapModeFor(bool longWord);
// Chooses the view's wrap after an edit of its document; textHasLongWord looks at the whole text,
// of which the document may hold only a part. A long word pasted is laid out once before the view
// is told.
void chooseWrapAfterEdit(QPlainTextEdit* view, int position, int removed, int added,
                         const std::function<bool()>& textHasLongWord);
