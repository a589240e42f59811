#pragma once
// A sheet that asks for one line of text: a message, an informative text, a text field and the
// buttons "Done" and "Cancel". A test installs a responder that answers it instead of a dialog.
#include <QString>
#include <functional>
#include <optional>

class QWidget;

struct TextEntrySheet {
    QString messageText;
    QString informativeText;
    QString placeholder;
    QString text;  // the field's starting text

    // The completion receives the text on "Done" and nothing on "Cancel".
    using Completion = std::function<void(const std::optional<QString>& text)>;
    void beginSheetModalForWindow(QWidget* window, Completion completion) const;

    using Responder = std::function<std::optional<QString>(const TextEntrySheet& sheet)>;
    // Replaces the dialogs with the responder; an empty one restores the dialogs.
    static void setTestResponder(Responder responder);
};
