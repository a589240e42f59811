#pragma once
// The panels' text views wrap at word boundaries and break a word longer than a line anywhere,
// as text views do. Qt's layout in that mode looks for each line's break up to the end of a word
// that has none, which for a value of a million characters without a space takes minutes: while
// the text holds a word that long, its view wraps anywhere instead.
class QPlainTextEdit;
class QString;

// Watches the view's text from now on as it is edited; a long word pasted is laid out once
// before the view is told.
void wrapLongWordsAnywhere(QPlainTextEdit* view);
// Sets the view's text, its wrap chosen first.
void setPlainTextWrappingLongWords(QPlainTextEdit* view, const QString& text);
