#pragma once
// A long text held by a view in a window: the part before the window and the part after it are
// held here, the window's own characters by the view. Each part holds every paragraph break as
// one '\n', as the view does, the breaks' forms beside it (BreakForms.h).
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

struct TextParts {
    QString before;
    QString after;
    // The forms of the breaks of before and of after, in order.
    QByteArray beforeForms;
    QByteArray afterForms;

    bool isEmpty() const { return before.isEmpty() && after.isEmpty(); }
    void clear();
    // The forms of the whole text's breaks, windowForms being the window's.
    QByteArray forms(QByteArrayView windowForms) const;
    // The characters from..to of the whole text, window being what the view holds.
    QString slice(qsizetype from, qsizetype to, QStringView window) const;
    // The same characters as the text has them, each break in its own form; windowForms are the
    // forms of the window's breaks.
    QString text(qsizetype from, qsizetype to, QStringView window,
                 QByteArrayView windowForms) const;
    // Regroups the whole text as before = [0, start) and after = [end, length); the characters
    // between are the caller's to put in the view (taken before) or to drop, and so are the
    // forms of their breaks, returned. A part whose spare room outgrows room gives it back.
    QByteArray regroup(qsizetype start, qsizetype end, QStringView window,
                       QByteArrayView windowForms, qsizetype room);
};
