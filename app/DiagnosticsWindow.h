#pragma once
// The diagnostics window: the application error log, newest entry first, and the version and
// release date of the SQLite library. It shows the log as it stood when last reloaded.
#include <QWidget>

class ErrorLog;
class QTableWidget;

class DiagnosticsWindow : public QWidget {
    Q_OBJECT

  public:
    explicit DiagnosticsWindow(ErrorLog* log);

    QTableWidget* errorMessagesTable() const { return table_; }

  public slots:
    void reloadErrorMessages();
    void refreshButtonClicked() { reloadErrorMessages(); }
    void clearButtonClicked();

  private:
    ErrorLog* log_;
    QTableWidget* table_;
};
