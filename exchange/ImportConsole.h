#pragma once
// The import console: the files to import, each with its own settings (destination table,
// separator, line end, encoding, the roles of its first two records, quote removal), the run's
// options, the Import/Stop button, a progress bar, a status line and the activity log. The run
// itself is an ImportRun on a thread of its own with its own connection; everything it reports
// reaches the widgets through the main thread's event loop.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exchange/ActivityLog.h"
#include "exchange/ImportFileSettings.h"
#include "mainwindow/Console.h"

class ActivityLogView;
class BackgroundTask;
class DatabaseWindow;
class ImportRun;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QToolButton;
class RunButtonPresses;

class ImportConsole : public QObject, public Console {
  public:
    explicit ImportConsole(DatabaseWindow& window);
    ~ImportConsole() override;

    QWidget* view() override;
    void selectedObjectDidChange() override;
    void numberOfRowsDidChange() override;
    void consoleDidAppear() override;
    void windowWillClose() override;

    // The files listed, in order, and their settings.
    const std::vector<std::string>& urlsToImport() const { return urlsToImport_; }
    const ImportFileSettings* settingsForFile(const std::string& path) const;

    // Lists the files not listed yet, their settings made for the table (none: each file's own
    // name); the entry of dropped files and of the open panel.
    void addFilePaths(const QStringList& paths, const std::optional<std::string>& table);
    void showImportFileChooser();
    void importViewDeleteButtonPressed();

    // The files the files list's context menu acts on: the row clicked (-1 for none) with the
    // selected rows.
    void setClickedRow(int row) { clickedRow_ = row; }
    std::vector<int> clickedOrSelectedRows() const;
    // Context menu items; the tag is the code stored.
    void importViewFieldSeparatorMenuItemClicked(int tag);
    void importViewLineSeparatorMenuItemClicked(int tag);
    void importViewTextEncodingMenuItemClicked(int tag);
    void importView1stLineMenuItemClicked(int tag);
    void importView2ndLineMenuItemClicked(int tag);
    void importViewRemoveSurroundingQuotesMenuItemClicked();
    void importViewChangeDestinationMenuItemClicked();

    // The settings menu (ImportSettingsTag) whose check marks the menu rules set as it opens.
    void importViewChangeSetting(int tag);
    bool deleteAllRowsFirst() const { return deleteAllRowsFirst_; }

    // Starts a run, or asks the running one to stop.
    void importViewImportButtonPressed();
    void importFilesNow();
    bool isImporting() const { return importing_; }

    ActivityLog& importLog() { return log_; }
    QString statusText() const;

  private:
    class PostingReporter;

    void buildView();
    void reloadFilesTable();
    void updateFileToImportButtons();
    void setForRows(const std::vector<int>& rows,
                    const std::function<void(ImportFileSettings&)>& change);
    void showFilesContextMenu(const QPoint& at);
    QMenu* makeSettingsMenu();
    void setDeleteAllRowsFirst(bool on);
    void startRun();
    void importViewUpdateUIBeforeImport();
    void importViewUpdateUIAfterImport();
    // The console as a run that has returned leaves it: its final status, the log, the window's
    // lists and grid enabled again.
    void showRunEnded();
    void advanceProgress(double amount);

    DatabaseWindow& window_;
    QPointer<QWidget> view_;
    QTableWidget* filesTable_ = nullptr;
    QLabel* helpLabel_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QToolButton* settingsButton_ = nullptr;
    QCheckBox* deleteAllRowsBox_ = nullptr;
    QPushButton* importButton_ = nullptr;
    RunButtonPresses* importButtonPresses_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* numberOfRowsLabel_ = nullptr;
    ActivityLogView* logView_ = nullptr;

    std::vector<std::string> urlsToImport_;
    std::map<std::string, ImportFileSettings> importDictionaries_;
    int clickedRow_ = -1;
    bool deleteAllRowsFirst_ = false;

    ActivityLog log_;
    bool importing_ = false;
    double progressValue_ = 0;  // of one file, 0 to about 1
    std::unique_ptr<PostingReporter> reporter_;
    std::unique_ptr<ImportRun> run_;
    std::unique_ptr<BackgroundTask> task_;
    // Calls posted by a run check it: the console may be gone when they arrive.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
