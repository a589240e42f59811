#pragma once
// The picker types window of a database window: the database's picker types (named lists of
// fixed values) with their multiple-choice flag, and the values of the selected type in order.
// Types are added empty or from presets, renamed and deleted; values are added, renamed, deleted
// and reordered. The window reads and changes the window state's copy of the picker types
// through the window, which reloads it after every change.
#include <QObject>
#include <QPointer>

#include <string>
#include <vector>

#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QEvent;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

class PickerTypesWindow : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    enum TypesColumn { PTNameTC, PTMultipleChoiceTC };
    // The presets of addPickerType, by tag.
    enum Preset { NewPicker, YesNo, ExcellentFairPoor, OneToFive, AToF, StartedCompleted };
    // Bit of a type's flags.
    static constexpr int64_t kMultipleChoiceFlag = 1;

    explicit PickerTypesWindow(DatabaseWindow& window);
    ~PickerTypesWindow() override;

    // ---- WindowPanel ----
    void selectedObjectDidChange() override;
    void windowWillClose() override;

    // The menu command.
    void pickerTypesMenuItemClicked() { showPickerTypesWindow(); }
    // Reads the picker types again and brings the window to the front, placed beside the
    // tables list when it was hidden.
    void showPickerTypesWindow();
    // Adds a type from the preset of the tag (see Preset); other tags do nothing.
    void addPickerType(int tag);
    // Deletes the selected types and their values once the user confirms.
    void deletePickerType();
    // Appends "New Picker Value" to the selected type.
    void addPickerValue();
    // Deletes the selected values of the selected type once the user confirms.
    void deletePickerValue();
    // The check box of a types row.
    void multipleChoiceCheckBoxPressed(int row, bool checked);
    // Moves the selected type's values (rows in any order) before destinationRow.
    void movePickerValues(std::vector<int> rows, int destinationRow);

    // The selected type's row; -1 for none.
    int selectedTypeRow() const;

    // Made on first use.
    QWidget* pickerTypesWindow();
    QTableWidget* pickerTypesWindowTypesTableView();
    QTableWidget* pickerTypesWindowValuesTableView();
    QPushButton* pickerTypesWindowDeleteTypeButton();
    QPushButton* pickerTypesWindowAddValueButton();
    QPushButton* pickerTypesWindowDeleteValueButton();

  private:
    void buildWindow();
    void reloadTypesTable();
    void reloadValuesTable();
    void updateButtons();
    // The selected type's flat (rowid, name) list; nullptr for none.
    const std::vector<std::string>* selectedTypeValues() const;
    std::vector<int> selectedValueRows() const;
    // The end of an in-place edit: the type or value of the edited row gets the typed name.
    void typeItemChanged(QTableWidgetItem* item);
    void valueItemChanged(QTableWidgetItem* item);
    // Reloads the state's picker types and both tables, keeping the selected type.
    void reloadAfterChange();
    void showNoPickerSelected(const char* info);
    bool confirmDeletion(const char* message);
    std::string databaseFilePath() const;

    DatabaseWindow& window_;
    QPointer<QWidget> pickerWindow_;
    QTableWidget* typesTable_ = nullptr;
    QTableWidget* valuesTable_ = nullptr;
    QPushButton* deleteTypeButton_ = nullptr;
    QPushButton* addValueButton_ = nullptr;
    QPushButton* deleteValueButton_ = nullptr;
    // The type whose values the values table shows.
    std::string valuesTypeRowid_;
    bool reloading_ = false;
};
