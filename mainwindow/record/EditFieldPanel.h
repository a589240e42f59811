#pragma once
// The edit-field panel: one value in a large text view with an editor chosen by the field's type.
// Over the grid it floats under the focused cell, follows every focus move and its Save writes
// the text to the row at once; as a sheet over the record editor its Done only puts the text into
// the editor's buffer. Its operations are spread over two sources:
//   EditFieldPanel.cpp   the panel, its two modes, its layouts and saving
//   EditFieldEditors.cpp filling the panel and the editors by field type
// A Location field's map is a LocationEditor of its own.
#include <QDialog>
#include <QObject>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/WindowPanel.h"
#include "mainwindow/record/WindowedTextView.h"
#include "mainwindow/rows/CellWriter.h"

class DatabaseWindow;
class LocationEditor;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableWidget;
class QToolButton;
struct TablesAndRowsState;

class EditFieldPanel : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    // Tags of the date and time pickers.
    static constexpr int kDatePickerTag = 1001;
    static constexpr int kTimePickerTag = 1002;
    // Height of the text view above a type's own editor.
    static constexpr int kStripHeight = 47;

    explicit EditFieldPanel(DatabaseWindow& window);
    ~EditFieldPanel() override;

    // ---- WindowPanel ----
    void selectedObjectDidChange() override { updateEditFieldPanel(); }
    void focusDidMove() override { updateEditFieldPanel(); }
    void showEditFieldPanel() override;
    void showEditFieldSheet(FieldIndex field, const DBValue& value) override;
    void closeEditFieldPanel() override;
    void windowWillClose() override { closeEditFieldPanel(); }

    // Refreshes the panel, when shown over the grid, from the focused cell.
    void updateEditFieldPanel();
    void editFieldPanelSaveButtonPressed();
    void editFieldPanelCancelButtonPressed();
    void editFieldPanelSpecialButtonPressed();
    // The pop-up's item at that position was chosen.
    void editFieldPanelPickerValueChanged(int item);
    // The action menu's items: tag 0 text, tag 1 hex. The choice only moves the check mark.
    void editFieldPanelActionMenuItemClicked(int tag);
    bool isEditFieldPanelHex() const { return isEditFieldPanelHex_; }
    bool isShown() const;
    bool isSheet() const;

    QDialog* editFieldPanel() const { return panel_; }
    QLabel* fieldNameLabel() const { return fieldNameLabel_; }
    WindowedTextView* textView() const { return textView_; }
    QPushButton* saveButton() const { return saveButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QPushButton* specialButton() const { return specialButton_; }
    QDateTimeEdit* datePicker() const { return datePicker_; }
    QDateTimeEdit* timePicker() const { return timePicker_; }
    QComboBox* pickerPopUp() const { return pickerPopUp_; }
    QTableWidget* lookupTableView() const { return lookupTableView_; }
    QLabel* photoImageView() const { return photoImageView_; }
    LocationEditor* locationEditor() const { return locationEditor_; }
    QToolButton* actionMenuButton() const { return actionMenuButton_; }

  private:
    void buildPanel();
    void buildActionMenu();
    // What Save writes to, taken when the panel is filled over the grid: whatever the grid does
    // before Save, the text goes to this row and field or nowhere.
    std::optional<CellTarget> saveTargetOfFocusedCell() const;
    void saveInPanel();
    // After Save was refused since the row changed: the row as the file holds it now is what the
    // next Save is checked against, the text typed staying.
    void takeValueAsItStands();
    // The text differs from the value the panel was filled with.
    bool isTextChanged() const;
    void saveInSheet();
    void clearPanel();
    // The text view fills the panel, every type's editor hidden.
    void resetEditFieldPanelToTextType();
    // The text view becomes a strip at the top above the editor shown.
    void shrinkEditFieldPanelTextView();
    // Hides every type's editor but `kept`, which stays as it is.
    void hideEditors(QWidget* kept = nullptr);
    void setText(const std::string& text);
    std::string text() const;

    // ---- Filling and the editors (EditFieldEditors.cpp) ----
    void updateEditFieldPanelWithRowIndex(RowIndex row, FieldIndex field, const DBValue& value);
    void showLookupEditor(const std::string& lookupTable, const std::string& value);
    void showPickerTableEditor(const std::string& lookupTable, int specialType,
                               const std::string& value);
    void showPickerFieldEditor(int fieldType, const std::string& value);
    void showDateEditor(QDateTimeEdit* picker, const std::string& value, bool time);
    void updateEditFieldPanelPhotoImageView(const std::string& fileName);
    void showLocationEditor(const std::string& value);
    void lookupTableSelectionChanged();
    // A picker changed by the user: its stored text becomes the text.
    void datePickerChanged(QDateTimeEdit* picker);
    // The field Save and the special button act on.
    FieldIndex editedField() const;

    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    std::optional<CellTarget> target_;
    // The field being edited; in sheet mode the record editor's.
    FieldIndex field_;
    std::string editFieldPanelFieldLookupTable_;
    std::vector<std::string> editFieldPanelFieldLookupKeys_;
    // The panel lives as long as the window it floats over.
    QPointer<QDialog> panel_;
    QLabel* fieldNameLabel_ = nullptr;
    WindowedTextView* textView_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* specialButton_ = nullptr;
    QDateTimeEdit* datePicker_ = nullptr;
    QDateTimeEdit* timePicker_ = nullptr;
    QComboBox* pickerPopUp_ = nullptr;
    QTableWidget* lookupTableView_ = nullptr;
    QLabel* photoImageView_ = nullptr;
    LocationEditor* locationEditor_ = nullptr;
    QToolButton* actionMenuButton_ = nullptr;
    bool sheet_ = false;
    bool isEditFieldPanelHex_ = false;
};
