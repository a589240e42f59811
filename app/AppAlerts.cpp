// The alerts every window uses, and the application error log with its diagnostics window.
#include "app/AppDelegate.h"
#include "app/DiagnosticsWindow.h"
#include "app/ErrorLog.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"

namespace {

Alert makeAlert(const std::string& title, const std::string& message) {
    Alert alert;
    alert.messageText = toQString(title);
    alert.informativeText = toQString(message);
    return alert;
}

}  // namespace

void AppDelegate::showAlert(const std::string& title, const std::string& message) {
    makeAlert(title, message).runModal();
}

void AppDelegate::showErrorAlert(const std::string& text) {
    showAlert(localizedString("Error"), text);
}

void AppDelegate::showAlertErrorObject(const std::string& title,
                                       const std::string& errorDescription) {
    showAlert(title, errorDescription);
}

void AppDelegate::showAlert(const std::string& title, const std::string& message, QWidget* window) {
    makeAlert(title, message).beginSheetModalForWindow(window);
}

void AppDelegate::showErrorAlert(const std::string& text, QWidget* window) {
    showAlert(localizedString("Error"), text, window);
}

void AppDelegate::appendErrorMessage(const std::optional<std::string>& message, int code) {
    applicationErrorLog().append(message, code);
}

ErrorLog& AppDelegate::sqliteErrorMessagesArray() const {
    return applicationErrorLog();
}

DiagnosticsWindow* AppDelegate::diagnosticsWindow() {
    if (!diagnosticsWindow_) {
        diagnosticsWindow_ = std::make_unique<DiagnosticsWindow>(&applicationErrorLog());
    }
    return diagnosticsWindow_.get();
}

void AppDelegate::showDiagnosticsWindow() {
    DiagnosticsWindow* window = diagnosticsWindow();
    window->reloadErrorMessages();
    makeKeyAndOrderFront(window);
}
