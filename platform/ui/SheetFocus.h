#pragma once
// Sheets and alerts take the keyboard as they open and give it back to the window under them as
// they close, so that Return, Escape and the keys typed next reach what the user looks at.
class QDialog;
class QWidget;

// Opens the dialog without waiting, with the keyboard on focus (the dialog's own choice when
// nullptr).
void openWithKeyboard(QDialog* dialog, QWidget* focus);
// Runs the dialog application-modally the same way and answers its result.
int execWithKeyboard(QDialog* dialog, QWidget* focus);
