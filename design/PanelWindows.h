#pragma once
// What the floating panels of a database window share: their tool window over the database
// window, their placement beside the tables list and bringing them to the front.

#include <QString>

class DatabaseWindow;
class QWidget;

// The user's text for an English one.
QString localizedText(const char* text);

// A tool window over the database window (a top-level one before the window is shown).
QWidget* makePanelWindow(DatabaseWindow& window, const char* objectName, const char* title);
// The panel's left edge 69 points right of the window's frame, its top level with the top of
// the tables list.
void placePanelBesideTablesList(QWidget* panel, DatabaseWindow& window);
// The same left edge, the top at the bottom of that row of the tables list.
void placePanelBelowTablesListRow(QWidget* panel, DatabaseWindow& window, int row);
void bringPanelToFront(QWidget* panel);
