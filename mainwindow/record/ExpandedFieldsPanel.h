#pragma once
// The expanded-fields panel: read only, the focused row's values of the fields whose format style
// asks to be expanded, one blank line between them.
#include <QDialog>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <map>
#include <string>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/WindowPanel.h"
#include "mainwindow/record/WindowedTextView.h"

class DatabaseWindow;
struct TablesAndRowsState;

// The focused row's expanded values joined by a blank line; NULL reads as the NULL text whatever
// the grid shows. A value the page holds cut is shown from wholeValues when it is there (by
// field index), else cut.
std::string expandedFieldsText(const TablesAndRowsState& state, bool oneObjectSelected,
                               const std::map<FieldIndex, DBValue>& wholeValues = {});

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
    WindowedTextView* expandedFieldsPanelTextView() const { return textView_; }

  private:
    // The focused row's expanded values that the page holds cut, read whole once for the row
    // and the page it is shown from.
    void readCutValuesWhole();

    DatabaseWindow& window_;
    std::map<FieldIndex, DBValue> wholeValues_;
    uint64_t wholeValuesGeneration_ = 0;
    RowIndex wholeValuesRow_;
    // The panel lives as long as the window it floats over.
    QPointer<QDialog> panel_;
    WindowedTextView* textView_ = nullptr;
};
