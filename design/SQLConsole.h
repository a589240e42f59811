#pragma once
// The SQL console of a database window: the query text, run as one script on the window's
// database; the first rows of the result in a grid with a message and a result count; the
// queries panel, the templates, the functions panel and the Create View sheet.
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "mainwindow/Console.h"

class CreateViewWizard;
class DatabaseWindow;
class DropFileNameTextView;
class FunctionsPanel;
class QLabel;
class QPushButton;
class QWidget;
class QueriesPanel;
class SqlResultsTableView;

class SQLConsole : public Console {
  public:
    // A result shows at most this many rows.
    static constexpr int64_t kResultRowLimit = 1000;

    explicit SQLConsole(DatabaseWindow& window);
    ~SQLConsole() override;

    QWidget* view() override;
    void consoleDidAppear() override;

    // ---- Commands ----
    // Runs the query text; text with characters outside ASCII asks first.
    void executeButtonPressed();
    void executeQueryInSQLView(const std::string& queryString);
    void sqlViewClearButtonPressed();
    // The Create View sheet for the last result with columns.
    void sqlViewCreateViewButtonPressed();
    // The Create View sheet for the one table or view selected.
    void createViewMenuItemPressed();
    void sqlViewQueriesButtonPressed();
    void sqlViewFunctionsButtonPressed();
    // 0 select, 1 insert, 2 update, 3 delete, 4 create view, 5 create table.
    void templatesButtonPressed(int tag);
    // Copy of the selected result rows; enabled while this console shows selected rows.
    void sqlResultsTableViewCopy();
    bool sqlResultsTableViewValidateCopy() const;

    // ---- What the window and tests read ----
    DropFileNameTextView* queryTextView() const { return queryTextView_; }
    SqlResultsTableView* resultsTableView() const { return resultsTableView_; }
    QLabel* messageLabel() const { return messageLabel_; }
    QLabel* numberOfRowsLabel() const { return numberOfRowsLabel_; }
    QPushButton* createViewButton() const { return createViewButton_; }
    const std::optional<std::string>& lastSelectQueryString() const {
        return lastSelectQueryString_;
    }
    QueriesPanel* queriesPanel();
    FunctionsPanel* functionsPanel();
    CreateViewWizard* createViewWizard();

  private:
    void buildView();
    void clearResultsTableView();
    void showMessage(const std::string& text, bool isError);
    void setNumberOfResults(int64_t results);
    int64_t schemaVersion() const;

    DatabaseWindow& window_;
    QPointer<QWidget> view_;
    DropFileNameTextView* queryTextView_ = nullptr;
    SqlResultsTableView* resultsTableView_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QLabel* numberOfRowsLabel_ = nullptr;
    QPushButton* createViewButton_ = nullptr;
    QPointer<QueriesPanel> queriesPanel_;
    QPointer<FunctionsPanel> functionsPanel_;
    QPointer<CreateViewWizard> createViewWizard_;
    // The column names of the last result with rows, for the Create View sheet.
    std::vector<std::string> sqlViewFieldNames_;
    std::optional<std::string> lastSelectQueryString_;
};
