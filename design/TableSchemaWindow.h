#pragma once
// The schema window of a database window: the CREATE text of an object of the tables list and,
// for a table, the CREATE texts of its indexes.
#include <QObject>
#include <QPointer>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QPlainTextEdit;
class QWidget;

class TableSchemaWindow : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    explicit TableSchemaWindow(DatabaseWindow& window);
    ~TableSchemaWindow() override;

    // ---- WindowPanel ----
    // A window shown follows the object selected.
    void selectedObjectDidChange() override;
    void windowWillClose() override;

    // The menu command: the window for the one object selected, else an information alert.
    void schemaMenuItemClicked() { showTableSchemaForSelectedRow(); }
    void showTableSchemaForSelectedRow();
    // Fills the window and brings it to the front; when it was hidden it is placed below the
    // row first. Nothing for a row outside the list.
    void showTableSchemaForRowIndex(int row);
    void updateTableSchemaWindow(int row);

    // Made on first use.
    QWidget* tableSchemaPanel();
    QPlainTextEdit* tableSchemaPanelTextView();

  private:
    void buildPanel();

    DatabaseWindow& window_;
    QPointer<QWidget> panel_;
    QPlainTextEdit* textView_ = nullptr;
};
