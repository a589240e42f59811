#pragma once
// The Name and Fields panel of a database window: it designs a new table, or shows the object
// selected in the tables list and changes a table: its name, its fields (name, type, display
// format, lookup table; added, deleted, moved) and its special kind. Create or Change decides
// between creating, renaming, writing meta rows, changing formats only and rebuilding the table,
// and reports the outcome in the panel. Edits live in the panel until then.
#include <QObject>
#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Common/ShownRows.h"
#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class FormatStyleSheet;
class QComboBox;
class QEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

class NameAndFieldsPanel : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    // Tags of the special-table pop-up.
    enum SpecialTableType {
        OrdinaryTable,
        LookupTable,
        AppendingPickerTable,
        ReplacingPickerTable
    };
    enum Column { FieldNameColumn, FieldTypeColumn };

    // One entry per field row, the five lists always equally long.
    struct FieldRows {
        std::vector<std::string> names;
        std::vector<int> types;
        std::vector<int64_t> formatStyles;
        std::vector<std::string> lookupTables;  // "" for none
        // Position of the existing field the row comes from; -1 for a field added here.
        std::vector<int64_t> indices;
        bool operator==(const FieldRows&) const = default;
    };

    explicit NameAndFieldsPanel(DatabaseWindow& window);
    ~NameAndFieldsPanel() override;

    // Moves the print layouts' field objects after a rebuild, given each old field's new position
    // (-1 deleted); answers the layouts that lost objects. The layouts are the application's.
    using LayoutFieldsFollower =
        std::function<std::vector<std::string>(const std::vector<int64_t>& newPositions)>;
    void setLayoutFieldsFollower(LayoutFieldsFollower follower) {
        layoutFieldsFollower_ = std::move(follower);
    }

    // ---- WindowPanel ----
    // A panel shown on an existing object follows the object shown.
    void selectedObjectDidChange() override;
    void windowWillClose() override;

    // ---- Commands (tables list, menu) ----
    // Opens the panel empty for a new table.
    void addTableButtonPressed();
    // Opens the panel on the one object selected in the tables list.
    void showNameAndFieldsPanel();
    void nameAndFieldsMenuItemClicked() { showNameAndFieldsPanel(); }
    // Fills the panel from the object of that row of the tables list.
    void updateNameAndFieldsPanelViews(int row);
    // Create or Change.
    void addTableNow();
    // Shows the detail of the last failure.
    void addTablePopoverErrorDetailButtonPressed();

    // ---- Field rows ----
    void nameAndFieldsPanelAddFieldButtonPressed();
    void nameAndFieldsPanelDeleteFieldButtonPressed();
    // Starts editing the name of the selected row.
    void nameAndFieldsPanelRenameMenuItemClicked();
    // Moves the rows (in their order) before destinationRow (past the end: to the end).
    void nameAndFieldsPanelMoveFieldRows(std::vector<int> rows, int destinationRow);
    // An item of a type pop-up was chosen: its tag names the row and the code.
    void nameAndFieldsPanelChangeFieldTypeButtonClicked(int tag);
    void updateNameAndFieldsPanelHelpLabel();
    // Opens the format sheet of the one selected Number, Date or Time row.
    void nameAndFieldsPanelStyleMenuItemClicked();
    // Flips the "show expanded" bit of each selected row.
    void nameAndFieldsPanelShowExpandedMenuItemClicked();
    // The open sheet's buttons.
    void formatStyleWindowDoneButtonPressed();
    void formatStyleWindowCancelButtonPressed();

    const FieldRows& fieldRows() const { return rows_; }
    bool changeExistingTable() const { return changeExistingTable_; }
    bool isNameAndFieldsPanelVisible() const;
    const std::optional<std::string>& errorDetailString() const { return errorDetailString_; }
    // The sheet open on the panel; nullptr when none.
    FormatStyleSheet* formatStyleSheet() const;

    // Made on first use.
    QWidget* nameAndFieldsPanel();
    QLineEdit* nameAndFieldsPanelTableNameField();
    QTableWidget* nameAndFieldsPanelTableView();
    QPushButton* nameAndFieldsPanelCreateButton();
    QLabel* nameAndFieldsPanelErrorLabel();
    QPushButton* nameAndFieldsPanelErrorDetailButton();
    QLabel* nameAndFieldsPanelHelpLabel();
    QComboBox* nameAndFieldsPanelSpecialPopUpButton();

  private:
    // What one run of Create or Change has done so far.
    struct Outcome;

    void buildPanel();
    void reloadFieldTable();
    std::vector<int> selectedFieldRows() const;
    // The end of an in-place edit: the edited row gets the cleaned name.
    void fieldNameItemChanged(QTableWidgetItem* item);
    // Every row's name as its cell shows it, trimmed and cleaned where the user changed it.
    void storeTypedFieldNames();
    bool isFieldTableEditable() const;
    // Whether the name, the special kind or any field row differs from how the panel was filled.
    bool hasUnappliedEdits();
    void noteFilledDatabase();
    bool isFilledDatabaseShown() const;
    // The window shows another database: the panel follows it, and unapplied edits are reported
    // rather than carried over into that database.
    void followDatabaseChange();
    // The delete-field button, by what the tables list has selected.
    void updateDeleteFieldButton();
    std::string databaseFilePath() const;
    std::string defaultNewTableName() const;
    // The steps of Create and Change (NameAndFieldsChange.cpp).
    void createTableNamed(const std::string& name, int64_t newFlags, bool lookupFieldAdded,
                          Outcome& outcome);
    void changeTableNamed(const std::string& name, int64_t oldFlags, int64_t newFlags,
                          bool lookupFieldAdded, Outcome& outcome);
    // Runs the field change when it needs no question, else asks first; the rest of the run
    // goes on when the user has answered.
    void changeFields(const std::string& name, int64_t oldFlags, int64_t newFlags,
                      std::shared_ptr<Outcome> outcome);
    void rebuildTable(const std::string& name, Outcome& outcome);
    // The field step failed with rc: fields changed elsewhere are said as they are, another
    // failure by its text, its error behind the detail button.
    void failFieldStep(Outcome& outcome, int rc, const char* failure, const std::string& error);
    // The settings of the fields as the panel was filled with them, compared with the table's
    // before a change writes.
    DBInterface::FieldSettings oldSettings() const;
    void finishChange(const std::string& name, int64_t oldFlags, int64_t newFlags,
                      Outcome& outcome);
    void showOutcome(const Outcome& outcome);
    void reloadAndSelect(const std::string& name);

    DatabaseWindow& window_;
    FieldRows rows_;
    // The object's fields as the panel was filled: what Change compares with.
    FieldRows old_;
    std::vector<int64_t> oldFieldIndices_;
    std::string oldTableName_;
    // The database (its path and its file's identity, which a rename keeps), table name and
    // special kind the panel was filled with.
    std::string filledDatabasePath_;
    std::optional<std::pair<uint64_t, uint64_t>> filledDatabaseIdentity_;
    std::string filledTableName_;
    int filledSpecialTag_ = OrdinaryTable;
    bool changeExistingTable_ = false;
    std::optional<std::string> errorDetailString_;
    QPointer<QWidget> panel_;
    QLineEdit* tableNameField_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* createButton_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    QPushButton* errorDetailButton_ = nullptr;
    QPushButton* addFieldButton_ = nullptr;
    QPushButton* deleteFieldButton_ = nullptr;
    QLabel* helpLabel_ = nullptr;
    QComboBox* specialPopUp_ = nullptr;
    // One sheet a kind, kept so that the time parts keep their choice.
    std::array<QPointer<FormatStyleSheet>, 3> sheets_;
    QPointer<FormatStyleSheet> sheet_;
    bool reloading_ = false;
    LayoutFieldsFollower layoutFieldsFollower_;
};
