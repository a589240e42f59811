#pragma once
// A console that labels the selected object's row count (the import and export consoles): the
// label shows "12 rows" while an object is selected and hides while none is.
#include <QPointer>

#include <string>

#include "mainwindow/Console.h"

class DatabaseWindow;
class QLabel;
class QWidget;

class RowCountConsole : public Console {
  public:
    // The view and its label are named viewName and labelName.
    RowCountConsole(DatabaseWindow& window, std::string viewName, std::string labelName);
    ~RowCountConsole() override;

    QWidget* view() override;
    void numberOfRowsDidChange() override;
    void consoleDidAppear() override;

  private:
    DatabaseWindow& window_;
    std::string viewName_, labelName_;
    QPointer<QWidget> view_;
    QLabel* numberOfRowsLabel_ = nullptr;
};
