#pragma once
// Alerts: a message text, an informative text and buttons (the first one performs), run either
// application-modally or as a sheet on a window. A test installs a responder that sees every
// alert and answers it, so no test ever waits on a dialog.
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

class Alert {
  public:
    enum class Style { Warning, Informational, Critical };

    QString messageText;
    QString informativeText;
    QStringList buttons;  // empty: a single "OK"
    Style style = Style::Warning;
    // When set, the alert shows an editable text field holding this text and leaves the edited
    // text here before its completion runs.
    std::shared_ptr<QString> textField;
    // When set, the alert shows the suppression check box and leaves its state here.
    std::shared_ptr<bool> suppressionButton;

    // Runs application-modally and answers the index of the button pressed (0 the first).
    int runModal() const;
    // Runs as a sheet on window (application-modally when there is none); the completion, when
    // given, receives the index of the button pressed.
    void beginSheetModalForWindow(QWidget* window,
                                  std::function<void(int button)> completion = {}) const;

    // What a responder is told: the alert and the window of a sheet (nullptr when modal).
    using Responder = std::function<int(const Alert& alert, QWidget* sheetWindow)>;
    // Replaces the dialogs with the responder; an empty one restores the dialogs.
    static void setTestResponder(Responder responder);
};
