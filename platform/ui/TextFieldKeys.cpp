#include "platform/ui/TextFieldKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

namespace {

struct TextKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    // Also with Shift, which selects as the key moves.
    bool selecting = false;
};

// Named key by key rather than by the platform's standard keys: where the desktop binds
// Ctrl+E (end of line) or Ctrl+D (delete), those keys still reach the menu and the panel's
// buttons.
constexpr TextKey kTextKeys[] = {
    {Qt::Key_Backspace, Qt::ControlModifier},
    {Qt::Key_Delete, Qt::ControlModifier},
    {Qt::Key_A, Qt::ControlModifier},
    {Qt::Key_Z, Qt::ControlModifier},
    {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier},
    {Qt::Key_Y, Qt::ControlModifier},
    {Qt::Key_X, Qt::ControlModifier},
    {Qt::Key_C, Qt::ControlModifier},
    {Qt::Key_V, Qt::ControlModifier},
    {Qt::Key_Delete, Qt::ShiftModifier},
    {Qt::Key_Insert, Qt::ControlModifier},
    {Qt::Key_Insert, Qt::ShiftModifier},
    {Qt::Key_Home, Qt::NoModifier, true},
    {Qt::Key_End, Qt::NoModifier, true},
    {Qt::Key_Home, Qt::ControlModifier, true},
    {Qt::Key_End, Qt::ControlModifier, true},
    {Qt::Key_Left, Qt::ControlModifier, true},
    {Qt::Key_Right, Qt::ControlModifier, true},
};

bool isTextField(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget);
}

}  // namespace

bool isKeyOfFocusedTextField(const QKeyEvent* key) {
    if (!isTextField(QApplication::focusWidget())) return false;
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return std::any_of(std::begin(kTextKeys), std::end(kTextKeys), [&](const TextKey& text) {
        return key->key() == text.key &&
               (modifiers == text.modifiers ||
                (text.selecting && modifiers == (text.modifiers | Qt::ShiftModifier)));
    });
}
