#pragma once
// The panels' text views wrap at word boundaries and break a word longer than a line anywhere,
// as text views do. Qt's layout in that mode looks for each line's break up to the end of a word
// that has none, which for a value of a million characters without a space takes minutes: while
// the text holds a word that long, its view wraps anywhere instead.
class QPlainTextEdit;

// Watches the view's text from now on, as it is set and as it is edited.
void wrapLongWordsAnywhere(QPlainTextEdit* view);
