#include "platform/ui/SheetFocus.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace {

QWidget* windowUnder(const QDialog* dialog) {
    return dialog->parentWidget() ? dialog->parentWidget()->window() : QApplication::activeWindow();
}

void takeKeyboard(QDialog* dialog, QWidget* focus) {
    // Shown is not active: without a window manager, or when the window under it was activated
    // meanwhile, the keys would still go to the blocked window.
    dialog->raise();
    dialog->activateWindow();
    if (focus) focus->setFocus(Qt::ActiveWindowFocusReason);
}

void giveKeyboardBack(const QPointer<QWidget>& under) {
    // Another sheet opened in the meantime keeps the keyboard.
    if (under && under->isVisible() && !QApplication::activeModalWidget()) {
        under->activateWindow();
    }
}

}  // namespace

void openWithKeyboard(QDialog* dialog, QWidget* focus) {
    QPointer<QWidget> under = windowUnder(dialog);
    QObject::connect(dialog, &QDialog::finished, dialog, [under] { giveKeyboardBack(under); });
    dialog->open();
    takeKeyboard(dialog, focus);
}

int execWithKeyboard(QDialog* dialog, QWidget* focus) {
    QPointer<QWidget> under = windowUnder(dialog);
    dialog->show();
    takeKeyboard(dialog, focus);
    int result = dialog->exec();
    giveKeyboardBack(under);
    return result;
}
