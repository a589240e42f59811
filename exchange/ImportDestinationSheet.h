#pragma once
// The sheet that sets the destination table of one or several files to import: the file's path
// (or "(Multiple)") and an editable combo box listing the window's tables. A test installs a
// responder that answers it instead of a dialog.
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

struct ImportDestinationSheet {
    QString fileLabel;
    QString destination;  // the combo box's starting text
    QString placeholder;
    std::vector<std::string> tableNames;

    // The completion receives the combo box's text on OK; Cancel calls nothing.
    void beginSheetModalForWindow(QWidget* window,
                                  std::function<void(const QString& destination)> completion) const;

    // Answers with the destination, or nothing for Cancel.
    using Responder = std::function<std::optional<QString>(const ImportDestinationSheet& sheet)>;
    static void setTestResponder(Responder responder);
};
