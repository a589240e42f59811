#pragma once
// A key as a user presses it, with the text it types when it types one.
#include <QString>
#include <QTest>
#include <QWidget>

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

inline void press(QWidget* widget, const Key& key) {
    if (key.text.isEmpty()) {
        QTest::keyClick(widget, key.key, key.modifiers);
    } else {
        QTest::sendKeyEvent(QTest::Click, widget, key.key, key.text, key.modifiers);
    }
}
