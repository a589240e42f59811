#pragma once
// The controller of one database window: what the application shell asks of it. It shows the
// window's database, keeps the selected console and table, and hands the window's close to the
// shell. The consoles and the rows grid grow on this controller.
#include <QObject>
#include <QPointer>

#include <optional>
#include <string>

class AppDelegate;
class FilePanel;
class QListWidget;
class QWidget;

class TablesAndRowsController : public QObject {
    Q_OBJECT

  public:
    // Consoles of a database window, in toolbar order.
    enum ConsoleIndex {
        RowsConsole,
        RecordConsole,
        SQLConsole,
        ImportConsole,
        ExportConsole,
        PrintConsole
    };
    static constexpr int kNumberOfConsoles = 6;

    TablesAndRowsController(AppDelegate* appDelegate, int windowIndex);
    ~TablesAndRowsController() override;

    int windowIndex() const { return windowIndex_; }
    AppDelegate* appDelegate() const { return appDelegate_; }
    // The window's content; the window that shows it owns it.
    QWidget* view();

    // The database shown; nullopt while the window shows none (its slot is free).
    const std::optional<std::string>& databaseFilePath() const { return databaseFilePath_; }
    void setDatabaseFilePath(std::optional<std::string> path) {
        databaseFilePath_ = std::move(path);
    }

    // Set-up once the view is in its window.
    void initializeAfterShown();
    // Reloads the tables list and selects the first entry of that name; the field index is kept
    // for callers and has no effect.
    void reloadTablesAndSelectTableNamed(const std::optional<std::string>& tableName,
                                         int firstFieldIndex);
    void reloadTables();
    void reloadPickerTypes();
    void reloadSelectedDatabaseObject();
    void updateNumberOfRowsLabel();

    void selectRowsView() { selectConsole(RowsConsole); }
    void selectConsole(int console);
    int selectedConsole() const { return selectedConsole_; }
    // The name of the selected table when exactly one is selected.
    std::optional<std::string> selectedTableNameIfOnlyOne() const;

    // The window is about to close; the shell frees the slot. The window always closes.
    bool windowShouldClose(QWidget* window);

    // Lets the user choose a database file anywhere and shows it here.
    void openExternalDatabase();
    // Lets the user choose a database of the Documents folder, preselecting fileName.
    void openDatabase(const std::optional<std::string>& fileName);
    // Shows the file in this window; with bookmark set a file outside the Documents folder gets
    // its bookmark brought up to date first. No validity test is made.
    void checkAndShowDatabase(const std::string& path, bool bookmark);
    // An application-modal alert with the error's description as informative text.
    void runErrorAlert(const std::string& message, const std::string& errorDescription);

  private:
    void updateWindowTitle();
    // Runs the panel as a sheet on the window and shows the database chosen.
    void showChosenDatabase(FilePanel panel);

    AppDelegate* appDelegate_;
    int windowIndex_;
    std::optional<std::string> databaseFilePath_;
    int selectedConsole_ = RowsConsole;
    QPointer<QWidget> view_;
    QPointer<QListWidget> tablesList_;
};
