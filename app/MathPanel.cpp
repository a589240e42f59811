#include "app/MathPanel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstdio>

#include "mainwindow/rows/RowsConsole.h"
#include "mainwindow/rows/SelectionStatistics.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/FloatingPanel.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr int64_t kMaximumDecimalPlaces = 30;

QLineEdit* resultField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    return field;
}

}  // namespace

int mathDecimalPlaces(int64_t places) {
    return places < 0 || places > kMaximumDecimalPlaces ? 0 : static_cast<int>(places);
}

std::string mathPanelText(double value, int places) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", mathDecimalPlaces(places), value);
    return buffer;
}

MathPanel::MathPanel(GridSource grid, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      grid_(std::move(grid)),
      cellCountLabel_(new QLabel(this)),
      total_(resultField(this)),
      average_(resultField(this)),
      minimum_(resultField(this)),
      maximum_(resultField(this)),
      decimalField_(new QLineEdit(this)),
      decimalStepper_(new QSpinBox(this)) {
    setWindowTitle(toQString(localizedString("Math")));
    declareWindowRole(this, WindowRole::Panel);
    floatAboveApplicationWindows(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cellCountLabel_);
    auto* form = new QFormLayout;
    form->addRow(toQString(localizedString("Total")), total_);
    form->addRow(toQString(localizedString("Average")), average_);
    form->addRow(toQString(localizedString("Minimum")), minimum_);
    form->addRow(toQString(localizedString("Maximum")), maximum_);
    auto* decimals = new QHBoxLayout;
    decimalField_->setMaximumWidth(60);
    decimalStepper_->setRange(0, static_cast<int>(kMaximumDecimalPlaces));
    decimalStepper_->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    decimalStepper_->setMaximumWidth(60);
    decimals->addWidget(decimalField_);
    decimals->addWidget(decimalStepper_);
    decimals->addStretch(1);
    form->addRow(toQString(localizedString("Decimal places")), decimals);
    layout->addLayout(form);
    auto* compute = new QPushButton(toQString(localizedString("Compute")), this);
    layout->addWidget(compute, 0, Qt::AlignRight);
    connect(compute, &QPushButton::clicked, this, &MathPanel::mathPanelComputeButtonPressed);
    connect(decimalField_, &QLineEdit::editingFinished, this,
            &MathPanel::mathPanelDecimalTextFieldChanged);
    connect(decimalStepper_, &QSpinBox::valueChanged, this,
            &MathPanel::mathPanelDecimalStepperChanged);
}

int64_t MathPanel::decimalFieldValue() const {
    bool ok = false;
    int64_t value = decimalField_->text().trimmed().toLongLong(&ok);
    return ok ? value : -1;
}

void MathPanel::mathMenuItemClicked() {
    if (!isVisible()) {
        for (QLineEdit* field : {total_, average_, minimum_, maximum_}) field->clear();
    }
    cellCountLabel_->setText(toQString(localizedString("Select cells then press Compute")));
    int places = mathDecimalPlaces(UserDefaults::standard().integerForKey("MathDecimal"));
    decimalField_->setText(QString::number(places));
    {
        QSignalBlocker quiet(decimalStepper_);
        decimalStepper_->setValue(places);
    }
    show();
    raise();
    activateWindow();
}

void MathPanel::mathPanelComputeButtonPressed() {
    RowsConsole* rows = grid_ ? grid_() : nullptr;
    if (!rows || !rows->isAtLeastOneCellSelected()) return;
    int64_t places = decimalFieldValue();
    SelectedCellsStatistics statistics = rows->selectionStatistics().computeUsingSelectedCells();
    mathPanelTotal_ = statistics.total;
    mathPanelAverage_ = statistics.average;
    mathPanelMinimum_ = statistics.minimum;
    mathPanelMaximum_ = statistics.maximum;
    cellCountLabel_->setText(
        toQString(localizedFormat("%ld cells selected", {std::to_string(statistics.count)})));
    updateMathPathPanelUsingDecimalPlaces(places);
}

void MathPanel::updateMathPathPanelUsingDecimalPlaces(int64_t places) {
    int shown = mathDecimalPlaces(places);
    UserDefaults::standard().setInteger(shown, "MathDecimal");
    total_->setText(toQString(mathPanelText(mathPanelTotal_, shown)));
    average_->setText(toQString(mathPanelText(mathPanelAverage_, shown)));
    minimum_->setText(toQString(mathPanelText(mathPanelMinimum_, shown)));
    maximum_->setText(toQString(mathPanelText(mathPanelMaximum_, shown)));
}

void MathPanel::mathPanelDecimalTextFieldChanged() {
    int64_t places = decimalFieldValue();
    if (places == decimalStepper_->value()) return;
    if (places < 0 || places > kMaximumDecimalPlaces) {
        decimalField_->setText(QString::number(decimalStepper_->value()));
        return;
    }
    {
        QSignalBlocker quiet(decimalStepper_);
        decimalStepper_->setValue(static_cast<int>(places));
    }
    updateMathPathPanelUsingDecimalPlaces(places);
}

void MathPanel::mathPanelDecimalStepperChanged() {
    int places = decimalStepper_->value();
    if (places == decimalFieldValue()) return;
    decimalField_->setText(QString::number(places));
    updateMathPathPanelUsingDecimalPlaces(places);
}
