#include "mainwindow/rows/PromptSheet.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/SheetFocus.h"

QDialog* showPromptSheet(QWidget* window, const PromptTexts& texts, PromptDoneHandler done) {
    auto* sheet = new QDialog(window);
    sheet->setObjectName("promptSheet");
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(new QLabel(toQString(texts.label), sheet));
    if (!texts.secondLabel.empty()) layout->addWidget(new QLabel(toQString(texts.secondLabel)));
    auto* field = new QLineEdit(toQString(texts.initialText), sheet);
    field->setObjectName("promptTextField");
    field->setMinimumWidth(300);
    layout->addWidget(field);
    auto* status = new QLabel(sheet);
    status->setObjectName("promptStatusLabel");
    layout->addWidget(status);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(toQString(localizedString("Cancel")), sheet);
    cancel->setObjectName("promptCancelButton");
    auto* doneButton = new QPushButton(toQString(texts.doneTitle), sheet);
    doneButton->setObjectName("promptDoneButton");
    doneButton->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(doneButton);
    layout->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, sheet, &QDialog::reject);
    QObject::connect(doneButton, &QPushButton::clicked, sheet, [sheet, field, status, done] {
        std::optional<std::string> problem = done(toStdString(field->text()));
        if (problem) {
            status->setText(toQString(*problem));
        } else {
            sheet->accept();
        }
    });
    field->selectAll();
    openWithKeyboard(sheet, field);
    return sheet;
}
