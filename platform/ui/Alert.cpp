#include "platform/ui/Alert.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "platform/ui/SheetFocus.h"

namespace {

Alert::Responder& testResponder() {
    static Alert::Responder responder;
    return responder;
}

// A box with a short text is narrower than its title: the window manager would clip the title.
// The title bar's font is the window manager's own; a bold font a size larger, and room for its
// buttons, stand in for it.
constexpr int kTitleBarButtonsWidth = 160;

void keepTitleWhole(QMessageBox* box) {
    if (box->windowTitle().isEmpty())
        box->setWindowTitle(QGuiApplication::applicationDisplayName());
    QFont titleFont = box->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    const int width =
        QFontMetrics(titleFont).horizontalAdvance(box->windowTitle()) + kTitleBarButtonsWidth;
    // A message box sizes itself to its texts: a spacer across its grid holds it wider.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

// The box and its buttons in the alert's order (the box's own order follows the platform).
QMessageBox* makeBox(const Alert& alert, QWidget* parent, QList<QAbstractButton*>* order) {
    static const QMessageBox::Icon icons[] = {QMessageBox::Warning, QMessageBox::Information,
                                              QMessageBox::Critical};
    auto* box = new QMessageBox(parent);
    box->setIcon(icons[static_cast<int>(alert.style)]);
    box->setText(alert.messageText);
    box->setInformativeText(alert.informativeText);
    QStringList buttons = alert.buttons.isEmpty() ? QStringList{QObject::tr("OK")} : alert.buttons;
    if (alert.textField) {
        auto* field = new QLineEdit(*alert.textField, box);
        field->setObjectName("alertTextField");
        field->setMinimumWidth(300);
        // The field goes above the buttons.
        auto* grid = qobject_cast<QGridLayout*>(box->layout());
        auto* buttonBox = box->findChild<QDialogButtonBox*>();
        if (grid && buttonBox) {
            grid->removeWidget(buttonBox);
            grid->addWidget(field, grid->rowCount(), 1, 1, grid->columnCount() - 1);
            grid->addWidget(buttonBox, grid->rowCount(), 0, 1, grid->columnCount());
        }
        QObject::connect(field, &QLineEdit::textChanged, box,
                         [text = alert.textField](const QString& typed) { *text = typed; });
    }
    if (alert.suppressionButton) {
        auto* check = new QCheckBox(QObject::tr("Do not show this message again"), box);
        check->setChecked(*alert.suppressionButton);
        box->setCheckBox(check);
        QObject::connect(check, &QCheckBox::toggled, box,
                         [state = alert.suppressionButton](bool on) { *state = on; });
    }
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QPushButton* button = box->addButton(buttons[i], QMessageBox::ActionRole);
        order->append(button);
        if (i == 0) box->setDefaultButton(button);
        if (buttons[i] == QObject::tr("Cancel")) box->setEscapeButton(button);
    }
    keepTitleWhole(box);
    return box;
}

// The text field when there is one, else the default button.
QWidget* keyboardTarget(QMessageBox* box) {
    if (auto* field = box->findChild<QLineEdit*>("alertTextField")) return field;
    return box->defaultButton();
}

int pressedIndex(const QMessageBox* box, const QList<QAbstractButton*>& order) {
    return static_cast<int>(order.indexOf(box->clickedButton()));
}

}  // namespace

int Alert::runModal() const {
    if (testResponder()) return testResponder()(*this, nullptr);
    QList<QAbstractButton*> order;
    QMessageBox* box = makeBox(*this, nullptr, &order);
    box->setWindowModality(Qt::ApplicationModal);
    execWithKeyboard(box, keyboardTarget(box));
    int pressed = pressedIndex(box, order);
    delete box;
    return pressed;
}

void Alert::beginSheetModalForWindow(QWidget* window, std::function<void(int)> completion) const {
    if (testResponder()) {
        int pressed = testResponder()(*this, window);
        if (completion) completion(pressed);
        return;
    }
    if (!window) {
        int pressed = runModal();
        if (completion) completion(pressed);
        return;
    }
    QList<QAbstractButton*> order;
    QMessageBox* box = makeBox(*this, window, &order);
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::finished, box, [box, order, completion](int) {
        if (completion) completion(pressedIndex(box, order));
    });
    openWithKeyboard(box, keyboardTarget(box));
}

void Alert::setTestResponder(Responder responder) {
    testResponder() = std::move(responder);
}
