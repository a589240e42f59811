#pragma once
// The Create View sheet: page 1 marks the fields of the source (the one table or view
// selected, or the SQL console's last result), gives them types and new names; page 2 shows
// the CREATE VIEW text, to which the user's text is appended, and creates the view with its
// field rows in one transaction.
#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class DatabaseWindow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTableWidget;

class CreateViewWizard : public QDialog {
  public:
    struct Fields {
        std::vector<std::string> fieldNames;
        std::vector<std::string> viewFieldNames;  // "" for no new name
        std::vector<int> fieldTypes;
        std::vector<int64_t> fieldFormatStyles;
        std::vector<std::string> fieldLookupTables;  // "" for none
        std::vector<bool> checked;
    };

    CreateViewWizard(DatabaseWindow& window, QWidget* parent);

    // From the one object selected in the tables list.
    void showCreateViewSheetForSelectedTable();
    // From the console's last result: its columns, as Text, all taken.
    void showCreateViewSheetForQueryResults(const std::vector<std::string>& fieldNames,
                                            const std::string& lastSelectQueryString);

    // Next on page 1, Create on page 2.
    void createViewWindowCreateButtonPressed();
    void createViewWindowPreviousButtonPressed();
    void createViewWindowCancelButtonPressed();
    void checkRowsInCreateViewWindow(bool checked);
    void checkBoxPressedInCreateViewWindow(int row);
    // An empty name removes the new name.
    void renameFieldAtRow(int row, const std::string& newName);
    // The rename prompt's buttons: Done gives the first selected line the prompt's text.
    void createViewWindowRenameFieldDoneButtonPressed();
    void createViewWindowRenameFieldCancelButtonPressed();
    // A code of the field-type menu: a base or picker type, or 90000 + a special table's
    // position for a Text field shown through that table.
    void changeFieldTypeAtRow(int row, int fieldType);
    // Moves the field lines at the rows, as one block, above destinationRow.
    void moveFieldRows(const std::vector<int>& rows, int destinationRow);
    QTableWidget* fieldsTableView() const { return fieldsTable_; }

    const Fields& fields() const { return fields_; }
    QLineEdit* viewNameField() const { return nameField_; }
    QPlainTextEdit* sqlReadOnlyLabel() const { return sqlReadOnly_; }
    QPlainTextEdit* sqlLabel() const { return sqlEditable_; }
    QCheckBox* sortedOnUniqueKeyButton() const { return uniqueKeyButton_; }
    bool isOnSecondPage() const;
    QDialog* promptWindow() const { return promptWindow_; }

  private:
    void beginSheet(const std::string& viewName);
    void reloadFieldsTable();
    void fieldsTableDoubleClicked(int row);
    void makeRenamePrompt();

    DatabaseWindow& window_;
    bool fromQueryResults_ = false;
    std::optional<std::string> table_;
    std::string lastSelectQueryString_;
    Fields fields_;
    QLineEdit* nameField_;
    QTableWidget* fieldsTable_;
    QPushButton* allButton_;
    QPushButton* noneButton_;
    QCheckBox* uniqueKeyButton_;
    QStackedWidget* pages_;
    QSplitter* sqlSplitView_;
    QPlainTextEdit* sqlReadOnly_;
    QPlainTextEdit* sqlEditable_;
    QPushButton* previousButton_;
    QPushButton* createButton_;
    QDialog* promptWindow_ = nullptr;
    QLabel* promptLabel_ = nullptr;
    QLineEdit* promptTextField_ = nullptr;
    QLabel* promptStatusLabel_ = nullptr;
    bool reloading_ = false;
};
