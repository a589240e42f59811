#pragma once
// A sheet on a window that asks for one line of text: a label, a second label, the text field,
// a status line and the done and Cancel buttons. The done handler answers what the status line
// should say to keep the sheet open, or nothing to close it.
#include <functional>
#include <optional>
#include <string>

class QDialog;
class QWidget;

struct PromptTexts {
    std::string label;
    std::string secondLabel;
    std::string doneTitle;
    std::string initialText;
};

using PromptDoneHandler = std::function<std::optional<std::string>(const std::string& text)>;

// Opens without waiting; the sheet deletes itself once closed. Its widgets are named
// "promptTextField", "promptStatusLabel", "promptDoneButton" and "promptCancelButton".
QDialog* showPromptSheet(QWidget* window, const PromptTexts& texts, PromptDoneHandler done);
