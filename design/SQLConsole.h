#pragma once
// The SQL console of a database window.
#include <QPointer>

#include "mainwindow/Console.h"

class QWidget;

class SQLConsole : public Console {
  public:
    SQLConsole() = default;
    ~SQLConsole() override;

    QWidget* view() override;
    void consoleDidAppear() override;

  private:
    QPointer<QWidget> view_;
};
