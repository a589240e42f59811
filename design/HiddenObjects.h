#pragma once
// Hiding tables and views from the tables list (flag bit 8192 in their varnelo_db_tables row)
// and showing hidden objects again.
#include "mainwindow/WindowPanel.h"

class DatabaseWindow;

class HiddenObjects : public WindowPanel {
  public:
    explicit HiddenObjects(DatabaseWindow& window) : window_(window) {}

    // Flips the hidden flag of each selected table or view (indexes and triggers are skipped);
    // the first failure stops and is shown. After any change the list is rebuilt with nothing
    // selected.
    void hiddenMenuItemClicked();
    // Lists hidden objects from now on; the selection stays.
    void showHiddenTablesMenuItemClicked();

  private:
    DatabaseWindow& window_;
};
