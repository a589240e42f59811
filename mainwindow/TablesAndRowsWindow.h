#pragma once
// A database window: one of the five window slots, kept for the whole run. Its controller
// decides whether it may close; activating it makes it the application's main window.
#include <QMainWindow>

class TablesAndRowsController;

class TablesAndRowsWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit TablesAndRowsWindow(int windowIndex);

    int windowIndex() const { return windowIndex_; }
    void setDelegate(TablesAndRowsController* delegate) { delegate_ = delegate; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    int windowIndex_;
    TablesAndRowsController* delegate_ = nullptr;  // lives as long as the window
};
