#pragma once
// What a key does to a selection reaching past a view's window (TextWindow.h), which the view
// itself cannot act on: a line edit and a text view differ where their keys do (a text view
// types Return and Tab, steps by line and page, and deletes by word in its own way).
#include "mainwindow/textwindow/TextWidget.h"

class QKeyEvent;

// A key that moves the cursor and extends the selection with it.
bool extendsSelection(const QKeyEvent* event, TextWidget widget);
// A key whose whole effect on a selection is to take it away.
bool erasesSelection(const QKeyEvent* event, TextWidget widget);
// A key that puts text in the selection's place.
bool replacesSelection(const QKeyEvent* event, TextWidget widget);
// A key that takes the selection away and acts from the cursor: a step, an undo or a redo.
bool startsFromCursor(const QKeyEvent* event, TextWidget widget);
