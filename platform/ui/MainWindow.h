#pragma once
// Which window is the application's main window: the document window the user last worked
// in. Windows that can be main report their activation here; the menus act on the answer.
class QWidget;

// The main window, or nullptr when there is none (it was closed or never set).
QWidget* mainWindow();
void setMainWindow(QWidget* window);
// Forgets the window when it is the main one (it closed or hid).
void resignMainWindow(QWidget* window);

// Shows the window, brings it to the front and makes it the key and main window.
void makeKeyAndOrderFront(QWidget* window);
