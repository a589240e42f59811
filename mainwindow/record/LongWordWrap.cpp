#include "mainwindow/record/LongWordWrap.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>

namespace {

// A word up to this long costs the word-boundary layout little.
constexpr int kLongestWordWrappedAtBoundaries = 2000;

// At most the length of the word an edit of position..end made, looked at no further than
// makes it long.
int wordAroundEdit(const QTextDocument* document, int position, int end) {
    int before = position, after = end;
    while (before > 0 && after - before <= kLongestWordWrappedAtBoundaries &&
           !document->characterAt(before - 1).isSpace()) {
        --before;
    }
    while (after < document->characterCount() &&
           after - before <= kLongestWordWrappedAtBoundaries &&
           !document->characterAt(after).isSpace()) {
        ++after;
    }
    return after - before;
}

}  // namespace

bool hasLongWord(QStringView text) {
    int run = 0;
    for (QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > kLongestWordWrappedAtBoundaries) return true;
    }
    return false;
}

QTextOption::WrapMode wrapModeFor(bool longWord) {
    return longWord ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

void chooseWrapAfterEdit(QPlainTextEdit* view, int position, int removed, int added,
                         const std::function<bool()>& textHasLongWord) {
    const QTextDocument* document = view->document();
    // A new text clears the document first, and is laid out before its own change is told: a
    // word-boundary wrap chosen for the empty document would lay it out so.
    if (added == 0 && document->isEmpty()) return;
    const bool small = std::max(added, removed) <= kLongestWordWrappedAtBoundaries;
    // A small edit keeps a long word's wrap; a new text is looked at whole.
    if (small && view->wordWrapMode() == QTextOption::WrapAnywhere) return;
    const bool longWord = (!small || wordAroundEdit(document, position, position + added) >
                                         kLongestWordWrappedAtBoundaries) &&
                          textHasLongWord();
    view->setWordWrapMode(wrapModeFor(longWord));
}
