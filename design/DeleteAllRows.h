#pragma once
// Deleting every row of the table shown, after a confirmation that names what else goes: child
// rows of ON DELETE CASCADE foreign keys while the keys are enforced.
#include "mainwindow/WindowPanel.h"

class DatabaseWindow;

class DeleteAllRows : public WindowPanel {
  public:
    explicit DeleteAllRows(DatabaseWindow& window) : window_(window) {}

    // Only for one editable table with rows under the current search; else an information
    // alert.
    void deleteAllRowsMenuItemClicked();

  private:
    DatabaseWindow& window_;
};
