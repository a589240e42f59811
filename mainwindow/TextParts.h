#pragma once
// A long text held by a view in a window: the part before the window and the part after it are
// held here, the window's own characters by the view.
#include <QString>
#include <QStringView>

struct TextParts {
    QString before;
    QString after;

    bool isEmpty() const { return before.isEmpty() && after.isEmpty(); }
    // The characters from..to of the whole text, window being what the view holds.
    QString slice(qsizetype from, qsizetype to, QStringView window) const;
    // Regroups the whole text as before = [0, start) and after = [end, length); the characters
    // between are the caller's to put in the view (taken before) or to drop. A part whose spare
    // room outgrows room gives it back.
    void regroup(qsizetype start, qsizetype end, QStringView window, qsizetype room);
};
