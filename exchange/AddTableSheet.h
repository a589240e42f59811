#pragma once
// The add-table sheet of a database window: a blank table of N Text fields ("Field 1" ...) and M
// empty rows, or a table shaped like the clipboard's rows that then receives all of them.
#include <QObject>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/WindowPanel.h"

class DatabaseWindow;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;

class AddTableSheet : public QObject, public WindowPanel {
    Q_OBJECT

  public:
    static constexpr int64_t kMaximumFields = 100;
    static constexpr int64_t kMaximumRows = 1000;

    explicit AddTableSheet(DatabaseWindow& window);
    ~AddTableSheet() override;

    QDialog* addBlankTable();
    // nullptr, after an alert, when the clipboard holds no rows.
    QDialog* addTableFromClipboard();
    // The add button: nullopt when the table was made and the sheet ended, else the status
    // text shown.
    std::optional<std::string> addBlankTableNow();
    void cancelAddTableNow();

    QLineEdit* tableNameTextField() const { return nameField_; }
    QLineEdit* numberOfFieldsTextField() const { return fieldsField_; }
    QLineEdit* numberOfRowsTextField() const { return rowsField_; }
    QLabel* statusLabel() const { return statusLabel_; }

    void windowWillClose() override;

  private:
    QDialog* showSheet(int64_t fields, int64_t rows, bool fromClipboard);
    void buildSheet();
    // Writes the status and puts the keyboard into the field; the text is returned.
    std::string refuse(const char* text, QLineEdit* field);
    std::string refuseWith(std::string status, QLineEdit* field);
    // Creates the table and fills it; the failure's text, or nullopt.
    std::optional<std::string> createAndFill(const std::string& name, int64_t fields, int64_t rows,
                                             int64_t* rowsAdded);

    DatabaseWindow& window_;
    // The clipboard's rows while the clipboard variant is open.
    std::optional<std::vector<DBRow>> clipboardRows_;
    QPointer<QDialog> sheet_;
    QLineEdit* nameField_ = nullptr;
    QLineEdit* fieldsField_ = nullptr;
    QLineEdit* rowsField_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QPushButton* showClipboardButton_ = nullptr;
};
