#pragma once
// Which window is the application's main window: the document window the user last worked
// in. Each window declares its role once; activating a document window makes it main, a
// floating panel leaves the main window as it is, and any other window of the application
// (preferences, diagnostics...) makes it none. The menus act on the answer.
class QWidget;

enum class WindowRole {
    Document,   // can be main
    Panel,      // floats over the main window without changing it
    Auxiliary,  // an application window of its own: no window is main while it is active
};

// Declares the window's role; its activations are tracked from then on.
void declareWindowRole(QWidget* window, WindowRole role);

// The main window, or nullptr when there is none (it was closed, hidden or never set).
QWidget* mainWindow();
void setMainWindow(QWidget* window);
// Forgets the window when it is the main one (it closed or hid).
void resignMainWindow(QWidget* window);

// Shows the window (restoring it when minimized), brings it to the front and makes it the key
// window; it becomes main as its role says (a window without a declared role counts as a
// document).
void makeKeyAndOrderFront(QWidget* window);
