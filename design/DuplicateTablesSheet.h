#pragma once
// Duplicating the selected tables of a database window: the sheet that asks whether indexes and
// rows go with the copies, and the copies, each made in one transaction under the first free
// name "<name>_<n>" and selected in the list once made.
#include <QObject>
#include <QPointer>

#include <string>
#include <vector>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QCheckBox;
class QDialog;

class DuplicateTablesSheet : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    explicit DuplicateTablesSheet(DatabaseWindow& window);
    ~DuplicateTablesSheet() override;

    // The menu command: the sheet for selected tables, else an information alert.
    void duplicateTableMenuItemPressed() { duplicateTable(); }
    void duplicateTable();
    void duplicateTablesWindowDuplicateButtonPressed();
    void duplicateTablesWindowCancelButtonPressed();
    void duplicateSelectedTablesNowIncludeIndexes(bool includeIndexes, bool copyRows);
    // Each failure is shown and the next table still copied.
    void duplicateTablesNow(const std::vector<std::string>& names, bool includeIndexes,
                            bool copyRows);

    // Made on first use; the check boxes keep their states from one use to the next.
    QDialog* duplicateTablesWindow();
    QCheckBox* duplicateTablesWindowIncludeIndexesButton();
    QCheckBox* duplicateTablesWindowCopyRowsButton();

  private:
    void buildSheet();
    void duplicateOneTable(const std::string& name, bool includeIndexes, bool copyRows);

    DatabaseWindow& window_;
    QPointer<QDialog> sheet_;
    QCheckBox* includeIndexesButton_ = nullptr;
    QCheckBox* copyRowsButton_ = nullptr;
};
