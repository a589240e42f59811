#pragma once
// The one-column table that shows a console's activity log, an information or caution icon
// beside each message, with a context menu to clear the log or write it to a file.
#include <QListView>

class ActivityLog;
class ActivityLogModel;

class ActivityLogView : public QListView {
  public:
    ActivityLogView(ActivityLog& log, const QString& objectName, QWidget* parent = nullptr);

    // Shows what the log holds now.
    void reloadLog();
    // Removes every entry and reloads.
    void clearMenuItemClicked();
    // Asks for a file and writes the messages there, one a line.
    void writeLogToFileMenuItemClicked();

  private:
    void writeLogToPath(const QString& path);

    ActivityLog& log_;
    ActivityLogModel* model_;
};
