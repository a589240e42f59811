#pragma once
// Whether a key event is any of several of the platform's standard keys.
#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>
#include <initializer_list>

inline bool matchesAnyKey(const QKeyEvent* event,
                          std::initializer_list<QKeySequence::StandardKey> keys) {
    return std::any_of(keys.begin(), keys.end(), [event](auto key) { return event->matches(key); });
}
