#pragma once
// The record console: one row of the selected table shown field by field, for adding and editing
// rows. It starts on the field the window names (fieldIndexToEdit, none for the first field).
#include <QPointer>

#include "mainwindow/Console.h"

class QWidget;

class RecordConsole : public Console {
  public:
    RecordConsole() = default;
    ~RecordConsole() override;

    QWidget* view() override;
    void consoleDidAppear() override;

  private:
    QPointer<QWidget> view_;
};
