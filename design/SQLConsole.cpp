#include "design/SQLConsole.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "Common/DBExecution.h"
#include "design/CreateViewWizard.h"
#include "design/DropFileNameTextView.h"
#include "design/FunctionsPanel.h"
#include "design/QueriesPanel.h"
#include "design/QueryHistory.h"
#include "design/SQLTemplates.h"
#include "design/SqlResultsCopy.h"
#include "design/SqlResultsTableView.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr int kMinimumResultColumnWidth = 100;
constexpr int kQueryFontSize = 15;

QString localizedText(const char* text) {
    return toQString(localizedString(text));
}

bool isASCII(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

SQLConsole::SQLConsole(DatabaseWindow& window) : window_(window) {
    buildView();
}

SQLConsole::~SQLConsole() {
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* SQLConsole::view() {
    return view_;
}

void SQLConsole::buildView() {
    view_ = new QWidget;
    view_->setObjectName("sqlView");
    view_->setFocusPolicy(Qt::StrongFocus);

    queryTextView_ = new DropFileNameTextView(view_);
    queryTextView_->setObjectName("sqlViewQueryTextView");
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(kQueryFontSize);
    queryTextView_->setFont(font);
    // An old message goes at the first keystroke.
    QObject::connect(queryTextView_, &QPlainTextEdit::textChanged, view_,
                     [this] { messageLabel_->clear(); });

    auto* executeButton = new QPushButton(localizedText("Execute"), view_);
    executeButton->setObjectName("sqlViewExecuteButton");
    auto* clearButton = new QPushButton(localizedText("Clear"), view_);
    clearButton->setObjectName("sqlViewClearButton");
    auto* queriesButton = new QPushButton(localizedText("Queries"), view_);
    queriesButton->setObjectName("sqlViewQueriesButton");
    auto* templatesButton = new QToolButton(view_);
    templatesButton->setObjectName("sqlViewTemplatesButton");
    templatesButton->setText(localizedText("Templates"));
    templatesButton->setPopupMode(QToolButton::InstantPopup);
    auto* templatesMenu = new QMenu(templatesButton);
    const char* templateTitles[] = {"SELECT", "INSERT",      "UPDATE",
                                    "DELETE", "CREATE VIEW", "CREATE TABLE"};
    for (int tag = 0; tag < 6; ++tag) {
        templatesMenu->addAction(localizedText(templateTitles[tag]),
                                 [this, tag] { templatesButtonPressed(tag); });
    }
    templatesButton->setMenu(templatesMenu);
    auto* functionsButton = new QPushButton(localizedText("Functions"), view_);
    functionsButton->setObjectName("sqlViewFunctionsButton");
    createViewButton_ = new QPushButton(localizedText("Create View"), view_);
    createViewButton_->setObjectName("sqlViewCreateViewButton");
    // Shown only with a result to make a view of; its row keeps its height meanwhile, so that
    // the buttons above never move.
    QSizePolicy keepRoom = createViewButton_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    createViewButton_->setSizePolicy(keepRoom);
    createViewButton_->ensurePolished();  // the room kept is the styled button's
    createViewButton_->hide();

    messageLabel_ = new QLabel(view_);
    messageLabel_->setObjectName("sqlViewMessageLabel");
    messageLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    messageLabel_->setWordWrap(true);
    // An error naming a long word (a table name) is cut at the console's edge rather than
    // widening the console past its window.
    messageLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    numberOfRowsLabel_ = new QLabel(view_);
    numberOfRowsLabel_->setObjectName("sqlViewNumberOfRowsLabel");

    resultsTableView_ = new SqlResultsTableView(view_);
    resultsTableView_->setObjectName("sqlViewResultsTableView");
    resultsTableView_->copyHandler = [this] { sqlResultsTableViewCopy(); };

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(executeButton);
    buttons->addWidget(clearButton);
    buttons->addWidget(queriesButton);
    buttons->addWidget(templatesButton);
    buttons->addWidget(functionsButton);
    buttons->addStretch(1);
    // What concerns the results takes a row of its own, so that the console fits a window of
    // the usual width without widening it.
    auto* resultsRow = new QHBoxLayout;
    resultsRow->addWidget(createViewButton_);
    resultsRow->addStretch(1);
    resultsRow->addWidget(numberOfRowsLabel_);
    auto* top = new QWidget(view_);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(queryTextView_, 1);
    // A message coming or going takes its room from the query text, never moves the buttons.
    topLayout->addWidget(messageLabel_);
    topLayout->addLayout(buttons);
    topLayout->addLayout(resultsRow);
    auto* split = new QSplitter(Qt::Vertical, view_);
    split->addWidget(top);
    split->addWidget(resultsTableView_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(view_);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(split);

    QObject::connect(executeButton, &QPushButton::clicked, view_,
                     [this] { executeButtonPressed(); });
    QObject::connect(clearButton, &QPushButton::clicked, view_,
                     [this] { sqlViewClearButtonPressed(); });
    QObject::connect(queriesButton, &QPushButton::clicked, view_,
                     [this] { sqlViewQueriesButtonPressed(); });
    QObject::connect(functionsButton, &QPushButton::clicked, view_,
                     [this] { sqlViewFunctionsButtonPressed(); });
    QObject::connect(createViewButton_, &QPushButton::clicked, view_,
                     [this] { sqlViewCreateViewButtonPressed(); });
    clearResultsTableView();
}

void SQLConsole::consoleDidAppear() {
    if (queriesPanel_) queriesPanel_->reloadQueriesArray();
    queryTextView_->setFocus();
}

QueriesPanel* SQLConsole::queriesPanel() {
    if (!queriesPanel_) {
        queriesPanel_ = new QueriesPanel(window_, view());
        queriesPanel_->querySelected = [this](const std::string& text) {
            // One undoable edit replaces the query.
            QTextCursor cursor(queryTextView_->document());
            cursor.select(QTextCursor::Document);
            cursor.insertText(toQString(text));
        };
        queriesPanel_->queryDoubleClicked = [this] { executeButtonPressed(); };
    }
    return queriesPanel_;
}

FunctionsPanel* SQLConsole::functionsPanel() {
    if (!functionsPanel_) {
        functionsPanel_ = new FunctionsPanel(window_.shell().sqliteFunctions(),
                                             window_.shell().sqliteFunctionDescriptions(), view());
    }
    return functionsPanel_;
}

CreateViewWizard* SQLConsole::createViewWizard() {
    if (!createViewWizard_) createViewWizard_ = new CreateViewWizard(window_, view());
    return createViewWizard_;
}

void SQLConsole::showMessage(const std::string& text, bool isError) {
    messageLabel_->setStyleSheet(isError ? "color: #c00000;" : "");
    messageLabel_->setText(toQString(text));
}

void SQLConsole::setNumberOfResults(int64_t results) {
    std::string text;
    if (results == 1) {
        text = localizedString("1 result");
    } else if (results >= kResultRowLimit) {
        text = localizedFormat("First %ld results", {std::to_string(results)});
    } else {
        text = localizedFormat("%ld results", {std::to_string(results)});
    }
    numberOfRowsLabel_->setText(toQString(text));
}

void SQLConsole::executeButtonPressed() {
    const std::string text = toStdString(queryTextView_->toPlainText());
    if (text.empty()) {
        window_.updateNumberOfRowsLabel();
        clearResultsTableView();
        showMessage(localizedString("Enter some SQL to execute in the white box above."), true);
        queryTextView_->setFocus();
        return;
    }
    if (isASCII(text)) {
        executeQueryInSQLView(text);
        return;
    }
    Alert alert;
    alert.messageText = localizedText("Warning");
    alert.informativeText =
        localizedText(
            "At least one of the characters in the query is not ASCII. This should not be a "
            "problem if they are data within quotes.") +
        "\n\n" +
        localizedText(
            "Common problem characters are double-quotes, single-quotes, and dash characters "
            "that were copied from word-processing documents.");
    alert.buttons = {localizedText("Execute Anyway"), localizedText("Cancel")};
    alert.beginSheetModalForWindow(window_.window(), [this, text](int button) {
        if (button == 0) executeQueryInSQLView(text);
    });
}

int64_t SQLConsole::schemaVersion() const {
    const auto& path = window_.state().databaseFilePath;
    return path ? DBInterface::getNumberWithQueryString("PRAGMA schema_version", *path, nullptr)
                : -1;
}

void SQLConsole::executeQueryInSQLView(const std::string& queryString) {
    const auto& path = window_.state().databaseFilePath;
    const int64_t schemaBefore = schemaVersion();
    DBInterface::ScriptResult result;
    std::string error;
    const int rc = DBInterface::execMultipleQueryString(queryString,
                                                        DBInterface::ScriptOptions{kResultRowLimit},
                                                        &result, path.value_or(":memory:"), &error);
    const int fieldCount = static_cast<int>(result.fieldNames.size());
    const int64_t changes = result.numberOfChanges;
    SqlResultsModel* model = resultsTableView_->resultsModel();
    bool hasColumns = false;
    if (rc != 0 && rc != DBInterface::kRowLimitReached) {
        // In a long script the message alone rarely says where the fault is.
        const QString statement = toQString(result.failedStatement).trimmed();
        showMessage(statement.isEmpty()
                        ? error
                        : localizedFormat("%@ (in \"%@\")", {error, toStdString(statement)}),
                    true);
        model->setResults(model->headers(), {});
    } else if (fieldCount < 1) {
        showMessage(localizedFormat("Number of rows affected: %d", {std::to_string(changes)}),
                    false);
        if (changes >= 1) {
            clearResultsTableView();
        } else {
            model->setResults(model->headers(), {});
        }
    } else {
        hasColumns = true;
        const int width = std::max(resultsTableView_->viewport()->width() / fieldCount,
                                   kMinimumResultColumnWidth);
        sqlViewFieldNames_ = result.fieldNames;
        model->setResults(std::move(result.fieldNames), std::move(result.rows));
        resultsTableView_->horizontalHeader()->setStretchLastSection(false);
        for (int i = 0; i < fieldCount; ++i) resultsTableView_->setColumnWidth(i, width);
        // The statements after the limit did run; say why the rows stop.
        showMessage(rc == DBInterface::kRowLimitReached
                        ? localizedFormat("Only the first %ld rows are shown.",
                                          {std::to_string(kResultRowLimit)})
                        : std::string(),
                    false);
        lastSelectQueryString_ = queryString;
    }
    const bool succeeded = rc == 0 || rc == DBInterface::kRowLimitReached;
    // A CREATE or DROP changes no rows but the tables list all the same.
    if (succeeded && (changes >= 1 || schemaVersion() != schemaBefore)) {
        window_.reloadTablesAndSelectTableNamed(window_.selectedTableNameIfOnlyOne());
        if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
            window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(window_.window());
        }
    }
    if (succeeded) {
        addQueryToHistory(queryString);
        if (queriesPanel_) queriesPanel_->reloadQueriesArray();
    }
    setNumberOfResults(model->rowCount());
    createViewButton_->setVisible(hasColumns);
}

void SQLConsole::clearResultsTableView() {
    resultsTableView_->resultsModel()->setResults({localizedString("Results")}, {});
    // The one column fills the grid, also while the grid has no size yet.
    resultsTableView_->horizontalHeader()->setStretchLastSection(true);
    window_.updateNumberOfRowsLabel();
}

void SQLConsole::sqlViewClearButtonPressed() {
    clearResultsTableView();
    numberOfRowsLabel_->clear();
    queryTextView_->clear();
    queryTextView_->setFocus();
    window_.updateWindowTitle();
    lastSelectQueryString_.reset();
    createViewButton_->hide();
}

void SQLConsole::sqlViewCreateViewButtonPressed() {
    if (!lastSelectQueryString_) return;
    createViewWizard()->showCreateViewSheetForQueryResults(sqlViewFieldNames_,
                                                           *lastSelectQueryString_);
}

void SQLConsole::createViewMenuItemPressed() {
    createViewWizard()->showCreateViewSheetForSelectedTable();
}

void SQLConsole::sqlViewQueriesButtonPressed() {
    queriesPanel()->showPanel();
}

void SQLConsole::sqlViewFunctionsButtonPressed() {
    functionsPanel()->show();
    functionsPanel_->raise();
}

void SQLConsole::templatesButtonPressed(int tag) {
    if (tag < 0 || tag > static_cast<int>(SQLTemplate::CreateTable)) return;
    std::optional<SQLTemplateTable> table;
    if (std::optional<std::string> name = window_.selectedTableName()) {
        const auto& fieldModel = window_.state().fieldModel;
        table = SQLTemplateTable{*name, fieldModel.fieldNames, fieldModel.fieldTypes.size()};
    }
    QTextCursor cursor(queryTextView_->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(toQString(sqlTemplateText(static_cast<SQLTemplate>(tag), table)));
}

bool SQLConsole::sqlResultsTableViewValidateCopy() const {
    return resultsTableView_ &&
           window_.state().selectedConsoleIndex == TablesAndRowsState::SQLConsole &&
           resultsTableView_->selectionModel()->hasSelection();
}

void SQLConsole::sqlResultsTableViewCopy() {
    std::vector<int64_t> rowIndexes;
    for (const QModelIndex& index : resultsTableView_->selectionModel()->selectedRows()) {
        rowIndexes.push_back(index.row());
    }
    std::sort(rowIndexes.begin(), rowIndexes.end());
    if (!copyResultRowsToPasteboard(resultsTableView_->resultsModel()->rows(), rowIndexes,
                                    window_.state().databaseFilePath, window_.windowIndex())) {
        window_.shell().showErrorAlert(localizedString("Could not write to pasteboard"));
    }
}
