#pragma once
// The keys of text editing, which a text field with the keyboard keeps from every menu item and
// shortcut of its window (and of the window a panel floats over), read-only fields too, and from
// the view behind it. A line edit or text view claims only some of them from the shortcuts, none
// that edit while it is read-only, and lets those it has no use for (Ctrl+Home in one line) pass
// on to its parent: a window command or the item view under an editor would act in its place.
class QKeyEvent;

// Whether the widget with the keyboard focus is a line edit or text view and the key one of
// those it keeps.
bool isKeyOfFocusedTextField(const QKeyEvent* key);
