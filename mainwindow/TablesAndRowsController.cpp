#include "mainwindow/TablesAndRowsController.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "Common/DBInterface.h"
#include "mainwindow/ChooseTableCellView.h"
#include "mainwindow/TablesAndRowsWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/RecentDocuments.h"
#include "settings/AppContainer.h"
#include "settings/ExternalDatabases.h"
#include "settings/LastTablesShown.h"

TablesAndRowsController::TablesAndRowsController(WindowShell* shell, int windowIndex)
    : shell_(shell), windowIndex_(windowIndex) {
    state_.display.displayStringForNULLValue = localizedString("NULL");
    fieldModelLoader_.readDisplaySettings();
    state_.inconsistencyFound = [this](const char* fault) { recoverFromInconsistency(fault); };
}

void TablesAndRowsController::recoverFromInconsistency(const char* fault) {
    if (inconsistencyReloadPending_) return;
    inconsistencyReloadPending_ = true;
    shell_->appendErrorMessage(localizedFormat("Inconsistent window state: %@", {fault}), -1);
    // Not in the middle of the move or click that met the fault: after it, from the event loop.
    QTimer::singleShot(0, this, [this] {
        inconsistencyReloadPending_ = false;
        reloadSelectedDatabaseObject();
    });
}

TablesAndRowsController::~TablesAndRowsController() {
    // The consoles go first: their views still stand in ours and may write pending edits.
    for (auto& instance : consoles_) instance.reset();
    panels_.clear();
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

void TablesAndRowsController::setConsoles(Consoles consoles, GridRequests& grid,
                                          RecordEditorRequests& recordEditor) {
    consoles_ = std::move(consoles);
    grid_ = &grid;
    recordEditor_ = &recordEditor;
    buildView();
}

void TablesAndRowsController::addPanel(std::unique_ptr<WindowPanel> panel) {
    if (panel) panels_.push_back(std::move(panel));
}

Console* TablesAndRowsController::console(ConsoleIndex console) const {
    return consoles_[static_cast<size_t>(console)].get();
}

void TablesAndRowsController::tellConsoles(void (Console::*event)()) {
    for (auto& instance : consoles_) {
        if (instance) (instance.get()->*event)();
    }
}

QWidget* TablesAndRowsController::window() const {
    if (TablesAndRowsWindow* window = shell_->databaseWindowForWindowIndex(windowIndex_)) {
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
        button->setChecked(console == TablesAndRowsState::RowsConsole);
        segments->addButton(button, console);
        consoleToolbar_->addWidget(button);
    }
    connect(segments, &QButtonGroup::idClicked, this, [this](int segment) {
        selectConsole(TablesAndRowsState::consoleIndexFromNumber(segment));
    });
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
    tablesList_->setItemDelegate(new ChooseTableCellView(tablesList_));
    // A double click is the schema's; a name is edited by clicking the selected row.
    tablesList_->setEditTriggers(QAbstractItemView::SelectedClicked |
                                 QAbstractItemView::EditKeyPressed);
    connect(tablesList_, &QListWidget::itemSelectionChanged, this,
            &TablesAndRowsController::tablesListSelectionDidChange);
    connect(tablesList_, &QListWidget::itemChanged, this,
            &TablesAndRowsController::tablesTableViewItemChanged);
    tablesLayout->addWidget(tablesList_, 1);
    // Add and Action reach panels and menus the application plugs in; Delete is the list's own.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    auto makeButton = [tablesSide, buttons](const char* name, const char* text,
                                            const char* toolTip) {
        auto* button = new QToolButton(tablesSide);
        button->setObjectName(name);
        button->setText(toQString(localizedString(text)));
        button->setToolTip(toQString(localizedString(toolTip)));
        buttons->addWidget(button);
        return button;
    };
    leftSideAddButton_ = makeButton("leftSideAddButton", "+", "New Table");
    leftSideDeleteButton_ = makeButton("leftSideDeleteButton", "-", "Delete");
    leftSideActionButton_ = makeButton("leftSideActionButton", "Action", "Action");
    leftSideActionButton_->setPopupMode(QToolButton::InstantPopup);
    connect(leftSideDeleteButton_, &QToolButton::clicked, this,
            &TablesAndRowsController::deleteTableButtonPressed);
    buttons->addStretch(1);
    warningButton_ = new QPushButton(toQString(localizedString("External Database")), tablesSide);
    warningButton_->setObjectName("leftSideWarningButton");
    warningButton_->hide();
    connect(warningButton_, &QPushButton::clicked, this,
            [this] { showExternalDatabaseWarning(false); });
    buttons->addWidget(warningButton_);
    tablesLayout->addLayout(buttons);
    enableLeftSideButtons();

    // Each console's view stands here; only the one selected is shown. A console wider or taller
    // than the window scrolls inside it rather than growing the window past the screen.
    auto* consolesScroller = new QScrollArea(tablesRowsSplitView_);
    consolesScroller->setObjectName("consolesScrollArea");
    consolesScroller->setFrameShape(QFrame::NoFrame);
    consolesScroller->setWidgetResizable(true);
    consolesScroller->setFocusPolicy(Qt::NoFocus);  // the keyboard stays with the console
    consolesSide_ = new QWidget;
    consolesScroller->setWidget(consolesSide_);
    auto* consolesLayout = new QVBoxLayout(consolesSide_);
    consolesLayout->setContentsMargins(0, 0, 0, 0);
    const char* emptyNames[kNumberOfConsoles] = {"rowsScrollView", "addRowView", "sqlView",
                                                 "importView",     "exportView", "printView"};
    for (int number = 0; number < kNumberOfConsoles; ++number) {
        const ConsoleIndex console = TablesAndRowsState::consoleIndexFromNumber(number);
        Console* instance = this->console(console);
        QWidget* consoleView = instance ? instance->view() : new QWidget;
        if (!instance) consoleView->setObjectName(emptyNames[console]);
        consoleView->setParent(consolesSide_);
        consoleView->setVisible(console == TablesAndRowsState::RowsConsole);
        consolesLayout->addWidget(consoleView, 1);
        consoleViews_[static_cast<size_t>(console)] = consoleView;
    }

    tablesRowsSplitView_->setSizes({kTablesViewWidth, 600});
    connect(tablesRowsSplitView_, &QSplitter::splitterMoved, this,
            &TablesAndRowsController::splitViewDidResizeSubviews);
    // Only the grid's side grows or shrinks with the window.
    tablesRowsSplitView_->setStretchFactor(0, 0);
    tablesRowsSplitView_->setStretchFactor(1, 1);
}

void TablesAndRowsController::initializeAfterShown() {
    updateTablesRowsSplitViewWidths();
    state_.printPreviewMode = false;
    selectConsole(TablesAndRowsState::RowsConsole);
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

    if (!state_.databaseFilePath) return;
    if (isDatabaseInAppContainer()) {
        pruneLastTablesShown();
    } else {
        rememberExternalDatabase(*state_.databaseFilePath);
    }
}

bool TablesAndRowsController::isDatabaseInAppContainer() const {
    return state_.databaseFilePath && ::isDatabaseInAppContainer(*state_.databaseFilePath);
}

void TablesAndRowsController::updateWindowTitle() {
    std::string name;
    if (const std::optional<std::string>& path = state_.databaseFilePath) {
        bool inContainer = isDatabaseInAppContainer();
        name = inContainer ? Paths::lastPathComponent(*path) : *path;
        warningButton_->setVisible(!inContainer);
    } else {
        warningButton_->hide();
    }
    std::string title = name;
    std::optional<std::string> table = selectedTableName();
    if (!name.empty() && table && !table->empty()) {
        title += localizedString(" - ") + *table;
        if (state_.selectedObject.selectedObjectStatus == DBInterface::kObjectLimited) {
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
        "app's container."));
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

bool TablesAndRowsController::windowShouldClose(QWidget* window) {
    tellConsoles(&Console::windowWillClose);
    for (auto& panel : panels_) panel->windowWillClose();
    state_.sortAndSearch.likeString.reset();
    return shell_->closeDatabaseWindow(window);
}

void TablesAndRowsController::openExternalDatabase() {
    FilePanel panel;
    panel.title = toQString(localizedString("Open External Database"));
    showChosenDatabase(panel);
}

void TablesAndRowsController::openDatabase(const std::optional<std::string>& fileName) {
    shell_->showDatabasesWindow(windowIndex_, fileName);
}

void TablesAndRowsController::showChosenDatabase(FilePanel panel) {
    panel.allowedFileTypes = {"db", "sqlite", "db3", "sqlite3"};
    panel.beginSheetModalForWindow(
        shell_->databaseWindowForWindowIndex(windowIndex_), [this](const QStringList& paths) {
            if (paths.isEmpty()) return;
            std::string path = toStdFileName(paths.first());
            // Refused before the window lets go of its own database.
            if (const auto check = DBInterface::checkDatabaseFile(path);
                check != DBInterface::DatabaseFileCheck::Valid) {
                shell_->showAlert(DBInterface::refusedDatabaseFileTitle(check), path);
                return;
            }
            checkAndShowDatabase(path, true);
            RecentDocuments::noteNewRecentDocument(path);
        });
}

void TablesAndRowsController::checkAndShowDatabase(const std::string& path, bool bookmark) {
    if (path.empty()) return;
    if (bookmark && !::isDatabaseInAppContainer(path)) {
        shell_->updateFileBookmark(
            path, [this](const std::string& message, const std::string& error, bool) {
                runErrorAlert(message, error);
            });
    }
    // The object shown belongs to the database left behind: an open edit is written there, and
    // no console reads that object's fields from the new file while the window changes over.
    tellConsoles(&Console::selectedObjectWillChange);
    setDatabaseFilePath(std::nullopt);
    reloadTables();
    fieldModelLoader_.emptyFieldModel();
    setDatabaseFilePath(path);
    initializeAfterShown();
    reloadTablesAndSelectTableNamed(lastTableShown(path));
    reloadPickerTypes();
    selectConsole(TablesAndRowsState::RowsConsole);
    updateNumberOfRowsLabel();
}

void TablesAndRowsController::runErrorAlert(const std::string& message,
                                            const std::string& errorDescription) {
    shell_->showAlert(message, errorDescription);
}
