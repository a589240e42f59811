#pragma once
// The expanded-fields panel: read only, the focused row's values of the fields whose format style
// asks to be expanded, one blank line between them.
#include <QDialog>
#include <QObject>
#include <QPointer>

#include <string>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QPlainTextEdit;
struct TablesAndRowsState;

// The focused row's expanded values joined by a blank line; NULL reads as the NULL text whatever
// the grid shows.
std::string expandedFieldsText(const TablesAndRowsState& state, bool oneObjectSelected);

class ExpandedFieldsPanel : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    explicit ExpandedFieldsPanel(DatabaseWindow& window);
    ~ExpandedFieldsPanel() override;

    void selectedObjectDidChange() override { updateExpandedFieldsPanel(); }
    void focusDidMove() override { updateExpandedFieldsPanel(); }
    void windowWillClose() override { showExpandedFieldsPanel(false); }

    void showExpandedFieldsPanel(bool show);
    bool isExpandedFieldsPanelHidden() const;
    void showExpandedFieldsMenuItemClicked() {
        showExpandedFieldsPanel(isExpandedFieldsPanelHidden());
    }
    void updateExpandedFieldsPanel();
    QPlainTextEdit* expandedFieldsPanelTextView() const { return textView_; }

  private:
    DatabaseWindow& window_;
    // The panel lives as long as the window it floats over.
    QPointer<QDialog> panel_;
    QPlainTextEdit* textView_ = nullptr;
};
