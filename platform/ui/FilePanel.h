#pragma once
// Open and save panels: choose existing files, or a name to save under. Run application-modally
// or as a sheet on a window; a test responder answers them instead of a dialog.
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

class FilePanel {
  public:
    enum class Kind { Open, Save, Folder };

    Kind kind = Kind::Open;
    QString title;
    QString prompt;                // the accepting button's text; empty keeps the platform's
    QString message;               // what the panel is for, shown in it
    QStringList allowedFileTypes;  // extensions without the dot; empty allows every file
    QString directory;
    QString nameFieldStringValue;          // the name proposed or preselected
    bool allowsMultipleSelection = false;  // a folder panel chooses one folder only

    // The chosen paths; empty when the panel was cancelled.
    QStringList runModal() const;
    void beginSheetModalForWindow(QWidget* window,
                                  std::function<void(const QStringList& paths)> completion) const;

    using Responder = std::function<QStringList(const FilePanel& panel, QWidget* sheetWindow)>;
    // Replaces the dialogs with the responder; an empty one restores the dialogs.
    static void setTestResponder(Responder responder);
};
