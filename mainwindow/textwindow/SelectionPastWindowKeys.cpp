#include "mainwindow/textwindow/SelectionPastWindowKeys.h"

#include <QKeyEvent>

#include "platform/ui/KeyMatches.h"

bool extendsSelection(const QKeyEvent* event, TextWidget widget) {
    if (matchesAnyKey(event, {QKeySequence::SelectNextChar, QKeySequence::SelectPreviousChar,
                              QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
                              QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock})) {
        return true;
    }
    if (widget == TextWidget::kLineEdit) {
        return matchesAnyKey(event, {QKeySequence::SelectStartOfDocument,
                                     QKeySequence::SelectEndOfDocument, QKeySequence::SelectAll});
    }
    return matchesAnyKey(event, {QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
                                 QKeySequence::SelectNextLine, QKeySequence::SelectPreviousLine,
                                 QKeySequence::SelectNextPage, QKeySequence::SelectPreviousPage});
}

bool erasesSelection(const QKeyEvent* event, TextWidget widget) {
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete ||
        matchesAnyKey(event, {QKeySequence::Delete, QKeySequence::Backspace})) {
        return true;
    }
    if (widget == TextWidget::kLineEdit) {
        return matchesAnyKey(event, {QKeySequence::Cut, QKeySequence::DeleteEndOfLine,
                                     QKeySequence::DeleteCompleteLine});
    }
    return matchesAnyKey(event, {QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord});
}

bool replacesSelection(const QKeyEvent* event, TextWidget widget) {
    if (event->matches(QKeySequence::Paste)) return true;
    const bool textView = widget == TextWidget::kTextView;
    if (textView && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) return true;
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        return false;
    }
    // What the widgets themselves take as typed text: a character outside the first plane
    // (a surrogate pair) too.
    const QChar c = text.at(0);
    return c.isPrint() || c.category() == QChar::Other_Format ||
           c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate()) ||
           (textView && c == u'\t');
}

bool startsFromCursor(const QKeyEvent* event, TextWidget widget) {
    if (matchesAnyKey(event, {QKeySequence::Undo, QKeySequence::Redo})) return true;
    return widget == TextWidget::kTextView &&
           matchesAnyKey(event, {QKeySequence::MoveToNextChar, QKeySequence::MoveToPreviousChar,
                                 QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord,
                                 QKeySequence::MoveToNextLine, QKeySequence::MoveToPreviousLine,
                                 QKeySequence::MoveToNextPage, QKeySequence::MoveToPreviousPage,
                                 QKeySequence::MoveToStartOfLine, QKeySequence::MoveToEndOfLine,
                                 QKeySequence::MoveToStartOfBlock, QKeySequence::MoveToEndOfBlock});
}
