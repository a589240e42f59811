#include "exchange/TextEntrySheet.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
TextEntrySheet::Responder& testResponder() {
    static TextEntrySheet::Responder responder;
    return responder;
}
}  // namespace

void TextEntrySheet::setTestResponder(Responder responder) {
    testResponder() = std::move(responder);
}

void TextEntrySheet::beginSheetModalForWindow(QWidget* window, Completion completion) const {
    if (testResponder()) {
        const std::optional<QString> answer = testResponder()(*this);
        if (completion) completion(answer);
        return;
    }
    auto* dialog = new QDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setWindowTitle(messageText);
    auto* layout = new QVBoxLayout(dialog);
    auto* message = new QLabel(QStringLiteral("<b>%1</b>").arg(messageText.toHtmlEscaped()));
    auto* informative = new QLabel(informativeText);
    informative->setWordWrap(true);
    auto* field = new QLineEdit(text);
    field->setPlaceholderText(placeholder);
    field->setFixedSize(300, 22);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QObject::tr("Done"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QObject::tr("Cancel"), QDialogButtonBox::RejectRole);
    layout->addWidget(message);
    layout->addWidget(informative);
    layout->addWidget(field);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(dialog, &QDialog::finished, dialog, [field, completion](int result) {
        if (!completion) return;
        if (result == QDialog::Accepted) {
            completion(field->text());
        } else {
            completion(std::nullopt);
        }
    });
    dialog->open();
}
