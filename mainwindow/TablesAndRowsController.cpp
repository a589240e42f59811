#include "mainwindow/TablesAndRowsController.h"

#include <QButtonGroup>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "Common/DBInterface.h"
#include "app/AppDelegate.h"
#include "app/TablesAndRowsWindow.h"
#include "mainwindow/views/RowsTableView.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr size_t kMaxExternalDatabases = 30;
constexpr int kDataScrollerThickness = 16;

DateFormatter fixedFormatter(const std::string& pattern, bool utc) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    if (utc) formatter.setTimeZone("UTC");
    return formatter;
}

}  // namespace

TablesAndRowsController::TablesAndRowsController(AppDelegate* appDelegate, int windowIndex)
    : appDelegate_(appDelegate), windowIndex_(windowIndex) {
    UserDefaults& defaults = UserDefaults::standard();
    bool utc = defaults.integerForKey("IfNoTimeZone") == 1;
    displayStringForNULLValue = localizedString("NULL");
    displayDateFormatter = DBInterface::dateFormatterForDateFormatStyleType(
        defaults.integerForKey("DateDisplayFormat"));
    displayTimeFormatter = DBInterface::dateFormatterForTimeFormatStyleType(
        defaults.integerForKey("TimeDisplayFormat"));
    displayNumberFormatter = DBInterface::numberFormatterForNumberFormatStyleType(
        defaults.integerForKey("NumberDisplayFormat"));
    defaultDBDateFormatter = fixedFormatter(DBInterface::defaultDBDateFormat(), false);
    defaultDBTimeFormatter = fixedFormatter(DBInterface::defaultDBTimeFormat(), false);
    alternateDBDateFormatter = fixedFormatter("yyyy-MM-dd", utc);
    alternateDBTimeFormatter = fixedFormatter("yyyy-MM-dd HH:mm:ss", utc);
}

TablesAndRowsController::~TablesAndRowsController() {
    if (view_ && rowsTableView_) rowsTableView_->detachController();
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* TablesAndRowsController::view() {
    if (!view_) buildView();
    return view_;
}

QWidget* TablesAndRowsController::window() const {
    if (TablesAndRowsWindow* window = appDelegate_->databaseWindowForWindowIndex(windowIndex_)) {
        return window;
    }
    return view_ ? view_->window() : nullptr;
}

void TablesAndRowsController::buildView() {
    view_ = new QWidget;
    auto* layout = new QVBoxLayout(view_);
    layout->setContentsMargins(0, 0, 0, 0);

    consoleToolbar_ = new QToolBar(view_);
    consoleToolbar_->setObjectName("consoleToolbar");
    auto* segments = new QButtonGroup(consoleToolbar_);
    const char* titles[kNumberOfConsoles] = {"Rows", "Record", "SQL", "Import", "Export", "Print"};
    for (int console = 0; console < kNumberOfConsoles; ++console) {
        auto* button = new QToolButton(consoleToolbar_);
        button->setText(toQString(localizedString(titles[console])));
        button->setCheckable(true);
        button->setChecked(console == RowsConsole);
        segments->addButton(button, console);
        consoleToolbar_->addWidget(button);
    }
    connect(segments, &QButtonGroup::idClicked, this,
            [this](int console) { selectConsole(console); });
    layout->addWidget(consoleToolbar_);

    tablesRowsSplitView_ = new QSplitter(Qt::Horizontal, view_);
    tablesRowsSplitView_->setObjectName("tablesRowsSplitView");
    tablesRowsSplitView_->setChildrenCollapsible(true);
    layout->addWidget(tablesRowsSplitView_, 1);

    auto* tablesSide = new QWidget(tablesRowsSplitView_);
    auto* tablesLayout = new QVBoxLayout(tablesSide);
    tablesLayout->setContentsMargins(0, 0, 0, 0);
    tablesList_ = new QListWidget(tablesSide);
    tablesList_->setObjectName("tablesTableView");
    tablesList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A double click is the schema's; a name is edited by clicking the selected row.
    tablesList_->setEditTriggers(QAbstractItemView::SelectedClicked |
                                 QAbstractItemView::EditKeyPressed);
    connect(tablesList_, &QListWidget::itemSelectionChanged, this,
            &TablesAndRowsController::tablesListSelectionDidChange);
    connect(tablesList_, &QListWidget::itemChanged, this,
            &TablesAndRowsController::tablesTableViewItemChanged);
    tablesLayout->addWidget(tablesList_, 1);
    warningButton_ = new QPushButton(toQString(localizedString("External Database")), tablesSide);
    warningButton_->setObjectName("warningButton");
    warningButton_->hide();
    connect(warningButton_, &QPushButton::clicked, this,
            [this] { showExternalDatabaseWarning(false); });
    tablesLayout->addWidget(warningButton_);

    auto* consolesSide = new QWidget(tablesRowsSplitView_);
    auto* consolesLayout = new QVBoxLayout(consolesSide);
    consolesLayout->setContentsMargins(0, 0, 0, 0);
    rowsScrollView_ = new QWidget(consolesSide);
    rowsScrollView_->setObjectName("rowsScrollView");
    auto* rowsLayout = new QVBoxLayout(rowsScrollView_);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsTableView_ = new RowsTableView(this, rowsScrollView_);
    rowsTableModel_ = rowsTableView_->rowsModel();
    // The grid's own scrollers: beside it the rows, below it the fields.
    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(0);
    gridRow->addWidget(rowsTableView_, 1);
    verticalDataScrollerView_ = new VerticalDataScrollerView(rowsScrollView_);
    verticalDataScrollerView_->setFixedWidth(kDataScrollerThickness);
    verticalDataScrollerView_->setController(this);
    gridRow->addWidget(verticalDataScrollerView_);
    rowsLayout->addLayout(gridRow, 1);
    auto* belowGrid = new QHBoxLayout;
    belowGrid->setSpacing(0);
    rowsViewNumberOfRowsButton_ = new QPushButton(rowsScrollView_);
    rowsViewNumberOfRowsButton_->setObjectName("rowsViewNumberOfRowsButton");
    rowsViewNumberOfRowsButton_->setFlat(true);
    belowGrid->addWidget(rowsViewNumberOfRowsButton_);
    horizontalDataScrollerView_ = new HorizontalDataScrollerView(rowsScrollView_);
    horizontalDataScrollerView_->setFixedHeight(kDataScrollerThickness);
    horizontalDataScrollerView_->setController(this);
    belowGrid->addWidget(horizontalDataScrollerView_, 1);
    rowsViewMoreFieldsPopUpButton_ = new QToolButton(rowsScrollView_);
    rowsViewMoreFieldsPopUpButton_->setObjectName("rowsViewMoreFieldsPopUpButton");
    rowsViewMoreFieldsPopUpButton_->setText(toQString(localizedString("First Field")));
    rowsViewMoreFieldsPopUpButton_->setPopupMode(QToolButton::InstantPopup);
    rowsViewMoreFieldsPopUpButton_->setMenu(new QMenu(rowsViewMoreFieldsPopUpButton_));
    rowsViewMoreFieldsPopUpButton_->setEnabled(false);
    belowGrid->addWidget(rowsViewMoreFieldsPopUpButton_);
    rowsLayout->addLayout(belowGrid);
    consolesLayout->addWidget(rowsScrollView_, 1);

    // The other consoles are filled by their own owners; here they are only switched.
    bottomDrawerView_ = new QWidget(consolesSide);
    bottomDrawerView_->setObjectName("bottomDrawerView");
    auto* drawerLayout = new QVBoxLayout(bottomDrawerView_);
    drawerLayout->setContentsMargins(0, 0, 0, 0);
    const char* consoleNames[kNumberOfConsoles] = {"",           "addRowView", "sqlView",
                                                   "importView", "exportView", "printView"};
    consoleViews_.assign(kNumberOfConsoles, nullptr);
    consoleViews_[RowsConsole] = rowsScrollView_;
    for (int console = RecordConsole; console < kNumberOfConsoles; ++console) {
        auto* console_view = new QWidget(bottomDrawerView_);
        console_view->setObjectName(consoleNames[console]);
        console_view->hide();
        drawerLayout->addWidget(console_view, 1);
        consoleViews_[console] = console_view;
    }
    importViewNumberOfRowsLabel_ = new QLabel(consoleViews_[ImportConsole]);
    importViewNumberOfRowsLabel_->setObjectName("importViewNumberOfRowsLabel");
    exportViewNumberOfRowsLabel_ = new QLabel(consoleViews_[ExportConsole]);
    exportViewNumberOfRowsLabel_->setObjectName("exportViewNumberOfRowsLabel");
    bottomDrawerView_->hide();
    consolesLayout->addWidget(bottomDrawerView_, 1);

    tablesRowsSplitView_->setSizes({kTablesViewWidth, 600});
    connect(tablesRowsSplitView_, &QSplitter::splitterMoved, this,
            &TablesAndRowsController::splitViewDidResizeSubviews);
    // Only the grid's side grows or shrinks with the window.
    tablesRowsSplitView_->setStretchFactor(0, 0);
    tablesRowsSplitView_->setStretchFactor(1, 1);
}

void TablesAndRowsController::initializeAfterShown() {
    view();
    updateTablesRowsSplitViewWidths();
    printPreviewMode = false;
    selectRowsView();
    updateWindowTitle();

    UserDefaults& defaults = UserDefaults::standard();
    auto hiddenInWindow = [&](const char* key) {
        nlohmann::json flags = defaults.arrayForKey(key);
        return flags.is_array() && windowIndex_ < static_cast<int>(flags.size()) &&
               flags[static_cast<size_t>(windowIndex_)].is_boolean() &&
               flags[static_cast<size_t>(windowIndex_)].get<bool>();
    };
    showTablesView(!hiddenInWindow("HiddenTablesViews"));
    // The toolbar lives in the window's content, so hiding it gives its room to the consoles
    // and the window keeps its frame however often a database is shown in it.
    showConsoleToolbar(!hiddenInWindow("HiddenToolbars"));
    if (QWidget* window = this->window(); window && (window->x() < 0 || window->y() < 0)) {
        window->move(0, 0);
    }

    if (!databaseFilePath_) return;
    if (isDatabaseInAppContainer(databaseFilePath_)) {
        pruneLastTablesShown();
    } else {
        rememberExternalDatabase();
    }
}

void TablesAndRowsController::pruneLastTablesShown() {
    UserDefaults& defaults = UserDefaults::standard();
    nlohmann::json tables = defaults.dictionaryForKey("LastTablesShown");
    if (!tables.is_object()) return;
    std::set<std::string> databaseFiles;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(Paths::documentsFolder(), error), end;
         !error && entry != end; entry.increment(error)) {
        std::string name = entry->path().filename().string();
        std::string lowered = name;
        std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (DBInterface::isSupportedDatabaseFile(lowered)) databaseFiles.insert(name);
    }
    if (error) {
        systemLog(localizedFormat("Error in reading files: %@", {error.message()}));
        return;
    }
    nlohmann::json kept = nlohmann::json::object();
    for (auto& [file, table] : tables.items()) {
        if (databaseFiles.count(file)) kept[file] = table;
    }
    if (kept != tables) defaults.setObject(kept, "LastTablesShown");
}

void TablesAndRowsController::rememberExternalDatabase() {
    // Each path once, the most recent last; a path's settings go only when it leaves the list.
    UserDefaults& defaults = UserDefaults::standard();
    const std::string& path = *databaseFilePath_;
    std::vector<std::string> paths;
    nlohmann::json stored = defaults.arrayForKey("LastExternalDatabases");
    for (const auto& entry : stored.is_array() ? stored : nlohmann::json::array()) {
        if (entry.is_string() && entry.get<std::string>() != path) {
            paths.push_back(entry.get<std::string>());
        }
    }
    paths.push_back(path);
    size_t dropped =
        paths.size() > kMaxExternalDatabases ? paths.size() - kMaxExternalDatabases : 0;
    if (dropped > 0) {
        for (const char* key : {"LastExternalTablesShown", "LastExternalRowsTableColumnWidths",
                                "ExternalTablesRowsSplitViewWidths"}) {
            nlohmann::json settings = defaults.dictionaryForKey(key);
            if (!settings.is_object()) continue;
            for (size_t i = 0; i < dropped; ++i) settings.erase(paths[i]);
            defaults.setObject(settings, key);
        }
        paths.erase(paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(dropped));
    }
    defaults.setObject(paths, "LastExternalDatabases");
}

bool TablesAndRowsController::isDatabaseInAppContainer(const std::optional<std::string>& path) {
    return path && AppDelegate::isDatabaseInAppContainer(*path);
}

void TablesAndRowsController::updateWindowTitle() {
    view();
    std::string name;
    if (databaseFilePath_) {
        bool inContainer = isDatabaseInAppContainer(databaseFilePath_);
        name = inContainer ? Paths::lastPathComponent(*databaseFilePath_) : *databaseFilePath_;
        warningButton_->setVisible(!inContainer);
    } else {
        warningButton_->hide();
    }
    std::string title = name;
    std::optional<std::string> table = selectedTableName();
    if (!name.empty() && table && !table->empty()) {
        title += localizedString(" - ") + *table;
        if (selectedObjectStatus == DBInterface::kObjectLimited) {
            title += localizedString(" (Limited Rows)");
        }
    }
    if (title.empty()) title = localizedFormat("Window %d", {std::to_string(windowIndex_ + 1)});
    if (QWidget* window = this->window()) window->setWindowTitle(toQString(title));
}

void TablesAndRowsController::showAlert(const std::string& title, const std::string& message) {
    Alert alert;
    alert.messageText = toQString(title);
    alert.informativeText = toQString(message);
    alert.runModal();
}

void TablesAndRowsController::showErrorAlert(const std::string& text) {
    showAlert(localizedString("Error"), text);
}

void TablesAndRowsController::showAlert(const std::string& title, const std::string& message,
                                        QWidget* window) {
    Alert alert;
    alert.messageText = toQString(title);
    alert.informativeText = toQString(message);
    alert.beginSheetModalForWindow(window);
}

void TablesAndRowsController::showErrorAlert(const std::string& text, QWidget* window) {
    showAlert(localizedString("Error"), text, window);
}

void TablesAndRowsController::showInfoAlert(const std::string& title, const std::string& info,
                                            QWidget* window) {
    Alert alert;
    alert.messageText = toQString(title);
    alert.informativeText = toQString(info);
    alert.style = Alert::Style::Informational;
    alert.beginSheetModalForWindow(window);
}

void TablesAndRowsController::showInfoAlert(const std::string& title, const std::string& info) {
    showInfoAlert(title, info, window());
}

void TablesAndRowsController::showExternalDatabaseWarning(bool offerToSuppress) {
    Alert alert;
    alert.messageText = toQString(localizedString("Database is outside of app's container"));
    alert.informativeText = toQString(localizedString(
        "It is advisable to backup this database before changing it because it is outside this "
        "app's container and must use memory-based journaling mode."));
    bool suppressed = UserDefaults::standard().boolForKey("SuppressExternalDatabaseWarning");
    if (suppressed) {
        alert.buttons = {toQString(localizedString("OK")),
                         toQString(localizedString("Restore Warning"))};
    } else if (offerToSuppress) {
        alert.buttons = {toQString(localizedString("OK")),
                         toQString(localizedString("Don't Show This Warning Again"))};
    }
    // Only the second button, where there is one, changes the setting.
    bool hasSecondButton = alert.buttons.size() > 1;
    alert.beginSheetModalForWindow(window(), [suppressed, hasSecondButton](int button) {
        if (hasSecondButton && button == 1) {
            UserDefaults::standard().setBool(!suppressed, "SuppressExternalDatabaseWarning");
        }
    });
}

void TablesAndRowsController::endPrompt(QDialog* prompt, int returnCode) {
    if (prompt) prompt->done(returnCode);
}

void TablesAndRowsController::promptWindowDoneButtonPressed() {
    endPrompt(promptWindow, 1000);
}
void TablesAndRowsController::promptWindowCancelButtonPressed() {
    endPrompt(promptWindow, 1001);
}
void TablesAndRowsController::prompt2WindowDoneButtonPressed() {
    endPrompt(prompt2Window, 1000);
}
void TablesAndRowsController::prompt2WindowCancelButtonPressed() {
    endPrompt(prompt2Window, 1001);
}

bool TablesAndRowsController::windowShouldClose(QWidget* window) {
    // The edit in progress is written while the window still knows its database.
    if (rowsTableView_) rowsTableView_->endEditing();
    likeString.reset();
    return appDelegate_->closeDatabaseWindow(window);
}

void TablesAndRowsController::openExternalDatabase() {
    FilePanel panel;
    panel.title = toQString(localizedString("Open External Database"));
    showChosenDatabase(panel);
}

void TablesAndRowsController::openDatabase(const std::optional<std::string>& fileName) {
    FilePanel panel;
    panel.title = toQString(localizedString("Open Database"));
    panel.directory = toQString(Paths::documentsFolder());
    if (fileName) panel.nameFieldStringValue = toQString(*fileName);
    showChosenDatabase(panel);
}

void TablesAndRowsController::showChosenDatabase(FilePanel panel) {
    panel.allowedFileTypes = {"db", "sqlite", "db3", "sqlite3"};
    panel.beginSheetModalForWindow(appDelegate_->databaseWindowForWindowIndex(windowIndex_),
                                   [this](const QStringList& paths) {
                                       if (!paths.isEmpty())
                                           checkAndShowDatabase(toStdString(paths.first()), true);
                                   });
}

void TablesAndRowsController::checkAndShowDatabase(const std::string& path, bool bookmark) {
    if (path.empty()) return;
    if (bookmark && !AppDelegate::isDatabaseInAppContainer(path)) {
        appDelegate_->updateFileBookmark(
            path, [this](const std::string& message, const std::string& error, bool) {
                runErrorAlert(message, error);
            });
    }
    databaseFilePath_ = path;
    initializeAfterShown();
    reloadTablesAndSelectTableNamed(AppDelegate::lastTableSelectedForDatabaseFilePath(path), -1);
    reloadPickerTypes();
    selectRowsView();
    updateNumberOfRowsLabel();
}

void TablesAndRowsController::runErrorAlert(const std::string& message,
                                            const std::string& errorDescription) {
    appDelegate_->showAlert(message, errorDescription);
}
