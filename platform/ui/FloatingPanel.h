#pragma once
// A floating panel of the application: while shown it stays above every window of the
// application, whichever the user works in, but not above other programs' windows.
class QWidget;

// Makes the tool window, which has no parent window, float above the application's windows.
void floatAboveApplicationWindows(QWidget* panel);
