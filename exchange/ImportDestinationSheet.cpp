#include "exchange/ImportDestinationSheet.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/ui/QtStrings.h"

namespace {
ImportDestinationSheet::Responder& testResponder() {
    static ImportDestinationSheet::Responder responder;
    return responder;
}
}  // namespace

void ImportDestinationSheet::setTestResponder(Responder responder) {
    testResponder() = std::move(responder);
}

void ImportDestinationSheet::beginSheetModalForWindow(
    QWidget* window, std::function<void(const QString& destination)> completion) const {
    if (testResponder()) {
        if (const std::optional<QString> answer = testResponder()(*this)) completion(*answer);
        return;
    }
    auto* dialog = new QDialog(window);
    dialog->setObjectName("importFileOptionsWindow");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(fileLabel);
    label->setObjectName("importFileOptionsWindowFileLabel");
    auto* combo = new QComboBox;
    combo->setObjectName("importFileOptionsWindowDestinationTableComboBox");
    combo->setEditable(true);
    for (const std::string& name : tableNames) combo->addItem(toQString(name));
    combo->setEditText(destination);
    combo->lineEdit()->setPlaceholderText(placeholder);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(label);
    layout->addWidget(combo);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(dialog, &QDialog::accepted, dialog,
                     [combo, completion] { completion(combo->currentText()); });
    dialog->open();
}
