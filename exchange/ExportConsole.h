#pragma once
// The export console: the fields of the selected table or view, each with a check box and its
// value in the first row ("ROWID" first and unchecked for an editable table), All and None, the
// export settings menu, Export through a save panel, a status line and the activity log. The
// file is written by the access layer's export writer with the settings of the user defaults.
#include <QObject>
#include <QPointer>
#include <optional>
#include <string>
#include <vector>

#include "exchange/ActivityLog.h"
#include "mainwindow/Console.h"

class ActivityLogView;
class DatabaseWindow;
class RowsDataPort;
class QLabel;
class QTableWidget;

class ExportConsole : public QObject, public Console {
  public:
    // The first row is read through the window's row reader, as the grid reads it.
    ExportConsole(DatabaseWindow& window, RowsDataPort& rowReader);
    ~ExportConsole() override;

    QWidget* view() override;
    void selectedObjectDidChange() override;
    void numberOfRowsDidChange() override;
    void consoleDidAppear() override;

    // The fields of the object being exported, all checked but "ROWID".
    struct Entry {
        std::string table;
        std::vector<std::string> fieldNames;
        std::vector<int> fieldTypes;
        std::vector<bool> checked;
        std::optional<std::vector<std::string>> firstRowFieldValues;
    };
    // Rebuilds the entry of the selected object and the fields list.
    void updateExportView();
    const std::optional<Entry>& entry() const { return entry_; }

    void checkRowsInExportView(bool checked);
    void allButtonPressed();
    void noneButtonPressed();
    // The check box of a row was clicked: that field's check is inverted.
    void checkBoxPressed(int row);

    // Asks for a file in a save panel and exports the checked fields there.
    void exportButtonPressed();
    void doExportButtonPressed();

    // The settings menu (ExportSettingsTag) whose check marks the menu rules set as it opens.
    void exportViewChangeSetting(int tag);

    ActivityLog& exportLog() { return log_; }
    QString statusText() const;

  private:
    void buildView();
    void reloadFieldsTable();
    void exportToPath(const std::string& path);
    void askForText(const char* title, const char* informative, const char* key,
                    std::function<void(const std::string&)> done);

    DatabaseWindow& window_;
    RowsDataPort& dataPort_;
    QPointer<QWidget> view_;
    QTableWidget* fieldsTable_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* numberOfRowsLabel_ = nullptr;
    ActivityLogView* logView_ = nullptr;
    std::optional<Entry> entry_;
    ActivityLog log_;
};
