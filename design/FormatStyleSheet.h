#pragma once
// The sheet that chooses the display format of a Number, Date or Time field: a list of styles
// with examples, for numbers the fraction digits, for times the date part and time of day of
// "Date and Time of Day". Done accepts, Cancel rejects; the panel that opened it takes the code.
#include <QDialog>

#include <cstdint>
#include <optional>

#include "design/FormatStyles.h"

class QPushButton;
class QSpinBox;
class QTableWidget;

class FormatStyleSheet : public QDialog {
    Q_OBJECT

  public:
    enum class Kind { Number, Date, Time };

    FormatStyleSheet(Kind kind, QWidget* parent);

    Kind kind() const { return kind_; }
    // Selects what the code says; the time parts keep their last choice.
    void showCode(int64_t code);
    // The code of the choice; nullopt while no style is selected.
    std::optional<int64_t> composedCode() const;

    QTableWidget* styleTableView() const { return styles_; }
    QTableWidget* dateTableView() const { return dateParts_; }        // Time only
    QTableWidget* timeOfDayTableView() const { return timesOfDay_; }  // Time only
    QSpinBox* minimumField() const { return minimum_; }               // Number only
    QSpinBox* maximumField() const { return maximum_; }               // Number only
    QPushButton* doneButton() const { return doneButton_; }

  private:
    // A two-column list of the titles and their examples.
    QTableWidget* makeList(FormatStyles::List list, const char* objectName);
    static int selectedRow(const QTableWidget* table);

    Kind kind_;
    QTableWidget* styles_ = nullptr;
    QTableWidget* dateParts_ = nullptr;
    QTableWidget* timesOfDay_ = nullptr;
    QSpinBox* minimum_ = nullptr;
    QSpinBox* maximum_ = nullptr;
    QPushButton* doneButton_ = nullptr;
};
