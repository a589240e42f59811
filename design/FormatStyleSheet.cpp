#include "design/FormatStyleSheet.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "design/PanelWindows.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

namespace {
// Digits are kept in one byte; the field takes more so that the cut is the code's.
constexpr int kMaximumDigitsTyped = 999;

const char* sheetName(FormatStyleSheet::Kind kind) {
    switch (kind) {
        case FormatStyleSheet::Kind::Number:
            return "numberFormatStyleWindow";
        case FormatStyleSheet::Kind::Date:
            return "dateFormatStyleWindow";
        default:
            return "timeFormatStyleWindow";
    }
}
}  // namespace

FormatStyleSheet::FormatStyleSheet(Kind kind, QWidget* parent) : QDialog(parent), kind_(kind) {
    setObjectName(sheetName(kind));
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    using FormatStyles::List;
    switch (kind) {
        case Kind::Number: {
            styles_ = makeList(List::Number, "numberFormatStyleWindowTableView");
            layout->addWidget(styles_);
            auto* digits = new QFormLayout;
            minimum_ = new QSpinBox(this);
            maximum_ = new QSpinBox(this);
            minimum_->setObjectName("numberFormatStyleWindowMinimumField");
            maximum_->setObjectName("numberFormatStyleWindowMaximumField");
            for (QSpinBox* field : {minimum_, maximum_}) field->setRange(0, kMaximumDigitsTyped);
            digits->addRow(localizedText("Minimum Fraction Digits:"), minimum_);
            digits->addRow(localizedText("Maximum Fraction Digits:"), maximum_);
            layout->addLayout(digits);
            break;
        }
        case Kind::Date:
            styles_ = makeList(List::Date, "dateFormatStyleWindowTableView");
            layout->addWidget(styles_);
            break;
        case Kind::Time: {
            styles_ = makeList(List::Time, "timeFormatStyleWindowTableView");
            layout->addWidget(styles_);
            auto* parts = new QHBoxLayout;
            dateParts_ = makeList(List::TimeDatePart, "timeFormatStyleWindowDateTableView");
            timesOfDay_ = makeList(List::TimeOfDay, "timeFormatStyleWindowTimeOfDayTableView");
            parts->addWidget(dateParts_);
            parts->addWidget(timesOfDay_);
            layout->addLayout(parts);
            break;
        }
    }
    auto* buttons = new QHBoxLayout;
    auto* cancelButton = new QPushButton(localizedText("Cancel"), this);
    doneButton_ = new QPushButton(localizedText("Done"), this);
    doneButton_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(doneButton_);
    layout->addLayout(buttons);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::accept);
    resize(kind == Kind::Time ? 560 : 420, kind == Kind::Time ? 420 : 320);
}

QTableWidget* FormatStyleSheet::makeList(FormatStyles::List list, const char* objectName) {
    const auto& titles = FormatStyles::titles(list);
    auto* table = new QTableWidget(static_cast<int>(titles.size()), 2, this);
    table->setObjectName(objectName);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (size_t row = 0; row < titles.size(); ++row) {
        const int r = static_cast<int>(row);
        table->setItem(r, 0, new QTableWidgetItem(localizedText(titles[row])));
        table->setItem(r, 1, new QTableWidgetItem(toQString(FormatStyles::example(list, row))));
    }
    table->resizeColumnToContents(0);
    return table;
}

int FormatStyleSheet::selectedRow(const QTableWidget* table) {
    if (!table) return -1;
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FormatStyleSheet::showCode(int64_t code) {
    const int row = static_cast<int>(FormatStyles::styleType(code));
    if (row < styles_->rowCount()) styles_->selectRow(row);
    if (kind_ == Kind::Number) {
        minimum_->setValue(static_cast<int>(FormatStyles::minimumFractionDigits(code)));
        maximum_->setValue(static_cast<int>(FormatStyles::maximumFractionDigits(code)));
    }
}

std::optional<int64_t> FormatStyleSheet::composedCode() const {
    const int row = selectedRow(styles_);
    if (row < 0) return std::nullopt;
    switch (kind_) {
        case Kind::Number:
            return FormatStyles::numberFormatStyleCode(row, minimum_->value(), maximum_->value());
        case Kind::Date:
            return row;
        case Kind::Time:
            return FormatStyles::timeFormatStyleCode(row, selectedRow(dateParts_),
                                                     selectedRow(timesOfDay_));
    }
    return std::nullopt;
}
