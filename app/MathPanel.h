#pragma once
// The math panel: the count, total, average, minimum and maximum of the numbers in the selected
// grid cells, computed when asked (Compute) and shown with the MathDecimal decimal places
// (0 to 30), which the field and the stepper keep in step.
#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QSpinBox;
class RowsConsole;

// Decimal places outside 0 to 30 read as 0.
int mathDecimalPlaces(int64_t places);
// The value in fixed point with the decimal places.
std::string mathPanelText(double value, int places);

class MathPanel : public QWidget {
    Q_OBJECT

  public:
    using GridSource = std::function<RowsConsole*()>;

    explicit MathPanel(GridSource grid, QWidget* parent = nullptr);

    void mathMenuItemClicked();
    void mathPanelComputeButtonPressed();
    void mathPanelDecimalTextFieldChanged();
    void mathPanelDecimalStepperChanged();
    void updateMathPathPanelUsingDecimalPlaces(int64_t places);

    QLabel* cellCountLabel() const { return cellCountLabel_; }
    QLineEdit* totalField() const { return total_; }
    QLineEdit* averageField() const { return average_; }
    QLineEdit* minimumField() const { return minimum_; }
    QLineEdit* maximumField() const { return maximum_; }
    QLineEdit* decimalField() const { return decimalField_; }
    QSpinBox* decimalStepper() const { return decimalStepper_; }

  private:
    // The decimal field's integer; -1 when it holds none.
    int64_t decimalFieldValue() const;

    GridSource grid_;
    double mathPanelTotal_ = 0, mathPanelAverage_ = 0, mathPanelMinimum_ = 0, mathPanelMaximum_ = 0;
    QLabel* cellCountLabel_;
    QLineEdit* total_;
    QLineEdit* average_;
    QLineEdit* minimum_;
    QLineEdit* maximum_;
    QLineEdit* decimalField_;
    QSpinBox* decimalStepper_;
};
