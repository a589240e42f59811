#include "exchange/ImportConsole.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <atomic>
#include <set>

#include "Common/BackgroundTask.h"
#include "exchange/ActivityLogView.h"
#include "exchange/ImportDestinationSheet.h"
#include "exchange/ImportRun.h"
#include "exchange/RunButtonPresses.h"
#include "exchange/TextEntrySheet.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/MenuCheckMarks.h"
#include "mainwindow/RowCountText.h"
#include "mainwindow/SettingsMenuTags.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/DroppedFiles.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/MainThread.h"
#include "platform/ui/MenuItemStates.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/TaggedMenu.h"

namespace {
constexpr int kProgressSteps = 1000;

// Settings menu items that toggle a bit of an integer default.
struct BitSetting {
    int tag;
    const char* key;
    int64_t bit;
};
constexpr BitSetting kBitSettings[] = {
    {ImportSettingsTag::ConvertDates, "DataTypesToConvert", 1},
    {ImportSettingsTag::ConvertTimes, "DataTypesToConvert", 2},
    {ImportSettingsTag::ConvertNULL, "DataTypesToConvert", 4},
    {ImportSettingsTag::StopAtErrors, "BailFlags", 1},
    {ImportSettingsTag::StopAtMissingFields, "BailFlags", 2},
    {ImportSettingsTag::StopAtExcessFields, "BailFlags", 4},
};
// Settings menu items that toggle a boolean default, and the check box that shows it.
struct BoolSetting {
    int tag;
    const char* key;
    int checkBoxTag;
};
constexpr BoolSetting kBoolSettings[] = {
    {ImportSettingsTag::BatchLines, "BatchLinesDuringImport", 102},
    {ImportSettingsTag::TruncateExcessFields, "TruncateExcessFieldsDuringImport", 103},
    {ImportSettingsTag::AddMissingFields, "AddMissingFieldsDuringImport", 104},
};

// What the per-file menus read of a file's settings.
nlohmann::json menuSettingsOf(const ImportFileSettings& settings) {
    return {{"field_separator", settings.fieldSeparator},
            {"remove_surrounding_quotes", settings.removeSurroundingQuotes},
            {"line_separator", settings.lineSeparator},
            {"text_encoding", settings.textEncoding},
            {"line1", settings.line1},
            {"line2", settings.line2}};
}

QString deleteAllRowsTitle(bool on) {
    return on ? QObject::tr("DELETE ALL ROWS BEFORE IMPORT")
              : QObject::tr("Delete ALL rows before import");
}
}  // namespace

// Hands what the run reports to the main thread; log reloads are coalesced, so a run that logs
// thousands of lines costs the window one reload per pass of the event loop.
class ImportConsole::PostingReporter : public ImportRun::Reporter {
  public:
    PostingReporter(ImportConsole& console) : console_(console), alive_(console.alive_) {}

    void status(const std::string& text) override {
        post([text](ImportConsole& c) { c.statusLabel_->setText(toQString(text)); });
    }
    void resetProgress() override {
        post([](ImportConsole& c) {
            c.progressValue_ = 0;
            c.progress_->setValue(0);
        });
    }
    void advanceProgress(double amount) override {
        post([amount](ImportConsole& c) { c.advanceProgress(amount); });
    }
    void logChanged() override {
        if (reloadPending_.exchange(true)) return;
        post([this](ImportConsole& c) {
            reloadPending_ = false;
            c.logView_->reloadLog();
        });
    }
    void post(std::function<void(ImportConsole&)> work) {
        performOnMainThread([alive = alive_, console = &console_, work = std::move(work)] {
            if (*alive) work(*console);
        });
    }

  private:
    ImportConsole& console_;
    std::shared_ptr<bool> alive_;
    std::atomic<bool> reloadPending_{false};
};

ImportConsole::ImportConsole(DatabaseWindow& window) : window_(window) {
    buildView();
}

ImportConsole::~ImportConsole() {
    *alive_ = false;
    if (run_) run_->requestStop();
    task_.reset();  // interrupts the run's SQL and waits for its thread
    if (view_ && !view_->parent()) delete view_.data();
}

void ImportConsole::windowWillClose() {
    if (!task_) return;
    // What the run posted meanwhile is dropped, the console being set here as the run leaves
    // it: the window may be shown again, its log telling how the run ended.
    *alive_ = false;
    alive_ = std::make_shared<bool>(true);
    run_->requestStop();
    task_.reset();  // interrupts the run's SQL and waits for its thread
    showRunEnded();
}

QWidget* ImportConsole::view() {
    return view_;
}

void ImportConsole::buildView() {
    view_ = new QWidget;
    view_->setObjectName("importView");
    auto* layout = new QVBoxLayout(view_);

    filesTable_ = new QTableWidget(0, 3, view_);
    filesTable_->setObjectName("importViewFilesTableView");
    filesTable_->setHorizontalHeaderLabels({tr("File"), tr("Import Into"), tr("Options")});
    filesTable_->horizontalHeader()->setStretchLastSection(true);
    filesTable_->verticalHeader()->hide();
    filesTable_->setWordWrap(false);
    filesTable_->setTextElideMode(Qt::ElideMiddle);
    filesTable_->setColumnWidth(0, 320);
    filesTable_->setColumnWidth(1, 140);
    filesTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    filesTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filesTable_->setContextMenuPolicy(Qt::CustomContextMenu);
    new FileDropTarget(filesTable_,
                       [this](const QStringList& paths) { addFilePaths(paths, std::nullopt); });
    connect(filesTable_, &QTableWidget::itemSelectionChanged, this,
            [this] { updateFileToImportButtons(); });
    connect(filesTable_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showFilesContextMenu(at); });
    layout->addWidget(filesTable_, 2);

    helpLabel_ = new QLabel(view_);
    helpLabel_->setObjectName("importViewHelpLabel");
    layout->addWidget(helpLabel_);

    auto* buttons = new QHBoxLayout;
    addButton_ = new QPushButton(tr("Add..."), view_);
    addButton_->setObjectName("importViewAddFileToImportButton");
    connect(addButton_, &QPushButton::clicked, this, [this] { showImportFileChooser(); });
    deleteButton_ = new QPushButton(tr("Remove"), view_);
    deleteButton_->setObjectName("importViewDeleteFileToImportButton");
    connect(deleteButton_, &QPushButton::clicked, this,
            [this] { importViewDeleteButtonPressed(); });
    buttons->addWidget(addButton_);
    buttons->addWidget(deleteButton_);
    // The options and pop-ups take rows of their own, so that the console fits a window of the
    // usual width without widening it.
    auto* options = new QHBoxLayout;
    auto* moreOptions = new QHBoxLayout;
    auto* popUps = new QHBoxLayout;

    UserDefaults& defaults = UserDefaults::standard();
    auto* formatBox = new QCheckBox(tr("Format data"), view_);
    formatBox->setObjectName("importViewCheckBox101");
    formatBox->setChecked(!defaults.boolForKey("DontFormatDataDuringImport"));
    connect(formatBox, &QCheckBox::toggled, this,
            [](bool on) { UserDefaults::standard().setBool(!on, "DontFormatDataDuringImport"); });
    options->addWidget(formatBox);
    const char* boxTitles[] = {"Batch lines", "Truncate excess fields", "Add missing fields"};
    for (size_t i = 0; i < std::size(kBoolSettings); ++i) {
        const BoolSetting& setting = kBoolSettings[i];
        auto* box = new QCheckBox(tr(boxTitles[i]), view_);
        box->setObjectName(QStringLiteral("importViewCheckBox%1").arg(setting.checkBoxTag));
        box->setChecked(defaults.boolForKey(setting.key));
        connect(box, &QCheckBox::toggled, this,
                [key = setting.key](bool on) { UserDefaults::standard().setBool(on, key); });
        (i < 2 ? options : moreOptions)->addWidget(box);
    }
    deleteAllRowsBox_ = new QCheckBox(deleteAllRowsTitle(false), view_);
    deleteAllRowsBox_->setObjectName("importViewDeleteAllRowsCheckBox");
    connect(deleteAllRowsBox_, &QCheckBox::toggled, this,
            [this](bool on) { setDeleteAllRowsFirst(on); });
    moreOptions->addWidget(deleteAllRowsBox_);
    options->addStretch(1);
    moreOptions->addStretch(1);

    settingsButton_ = new QToolButton(view_);
    settingsButton_->setObjectName("importViewSettingsButton");
    settingsButton_->setText(tr("Settings"));
    settingsButton_->setPopupMode(QToolButton::InstantPopup);
    settingsButton_->setMenu(makeSettingsMenu());
    importButton_ = new QPushButton(tr("Import"), view_);
    importButton_->setObjectName("importViewImportButton");
    importButtonPresses_ = new RunButtonPresses(importButton_);
    connect(importButton_, &QPushButton::clicked, this, [this] {
        // Stop clicked as the run ended lands on Import: it must not start the run again.
        if (importButtonPresses_->takeClickMeantForStop() && !importing_) return;
        importViewImportButtonPressed();
    });

    // The last choices of the pop-ups are kept for copy and paste.
    struct PopUp {
        const char* name;
        const char* key;
        std::vector<std::pair<const char*, int>> items;
    };
    const PopUp popUpList[] = {
        {"importViewFileTypePopUp",
         "LastImportFileTypeTag",
         {{"Tab", 1}, {"CSV", 2}, {"Pipe", 3}, {"Other", 5}}},
        {"importViewFirstLinePopUp",
         "LastImportFirstLineTypeTag",
         {{"Data", 1}, {"Field names", 2}, {"Field formats", 4}, {"Discard", 8}}},
        {"importViewSecondLinePopUp",
         "LastImportSecondLineTypeTag",
         {{"Data", 1}, {"Field names", 2}, {"Field formats", 4}, {"Discard", 8}}},
        {"importViewEncodingPopUp",
         "LastImportEncodingTag",
         {{"UTF-8", 0}, {"Windows CP1252", 1}, {"Mac Roman", 2}}},
    };
    for (const PopUp& popUp : popUpList) {
        auto* box = new QComboBox(view_);
        box->setObjectName(popUp.name);
        for (const auto& [title, tag] : popUp.items) box->addItem(tr(title), tag);
        const int stored = box->findData(static_cast<int>(defaults.integerForKey(popUp.key)));
        if (stored >= 0) box->setCurrentIndex(stored);
        connect(box, &QComboBox::activated, this, [box, key = popUp.key](int) {
            UserDefaults::standard().setInteger(box->currentData().toInt(), key);
        });
        popUps->addWidget(box);
    }
    popUps->addStretch(1);
    buttons->addStretch(1);
    buttons->addWidget(settingsButton_);
    buttons->addWidget(importButton_);
    layout->addLayout(buttons);
    layout->addLayout(popUps);
    layout->addLayout(options);
    layout->addLayout(moreOptions);

    progress_ = new QProgressBar(view_);
    progress_->setObjectName("importViewProgressIndicator");
    progress_->setRange(0, kProgressSteps);
    progress_->hide();
    statusLabel_ = new QLabel(view_);
    statusLabel_->setObjectName("importViewStatusLabel");
    // As tall as the progress bar that takes its row during a run, so that a run starting never
    // moves Import (then Stop) away from under the pointer.
    statusLabel_->setMinimumHeight(progress_->sizeHint().height());
    numberOfRowsLabel_ = new QLabel(view_);
    numberOfRowsLabel_->setObjectName("importViewNumberOfRowsLabel");
    numberOfRowsLabel_->hide();
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(statusLabel_, 1);
    statusRow->addWidget(progress_, 1);
    statusRow->addWidget(numberOfRowsLabel_);
    layout->addLayout(statusRow);

    logView_ = new ActivityLogView(log_, "importViewLogTableView", view_);
    layout->addWidget(logView_, 1);
    updateFileToImportButtons();
}

void ImportConsole::numberOfRowsDidChange() {
    showNumberOfRows(numberOfRowsLabel_, window_);
}

void ImportConsole::consoleDidAppear() {
    if (!importing_) {
        statusLabel_->clear();
        progress_->hide();
    }
}

const ImportFileSettings* ImportConsole::settingsForFile(const std::string& path) const {
    const auto found = importDictionaries_.find(path);
    return found == importDictionaries_.end() ? nullptr : &found->second;
}

QString ImportConsole::statusText() const {
    return statusLabel_ ? statusLabel_->text() : QString();
}

void ImportConsole::addFilePaths(const QStringList& paths,
                                 const std::optional<std::string>& table) {
    for (const QString& path : paths) {
        const std::string file = toStdFileName(path);
        if (importDictionaries_.count(file)) continue;
        urlsToImport_.push_back(file);
        importDictionaries_.emplace(file, ImportFileSettings::forFile(file, table));
    }
    reloadFilesTable();
    updateFileToImportButtons();
}

void ImportConsole::showImportFileChooser() {
    FilePanel panel;
    panel.kind = FilePanel::Kind::Open;
    panel.title = tr("Select Files to Import");
    panel.prompt = tr("Select");
    panel.allowsMultipleSelection = true;
    panel.directory = toQString(Paths::documentsFolder());
    panel.beginSheetModalForWindow(window_.window(), [this](const QStringList& paths) {
        if (!paths.isEmpty()) addFilePaths(paths, std::nullopt);
    });
}

void ImportConsole::importViewDeleteButtonPressed() {
    std::set<int> rows;
    for (const QModelIndex& index : filesTable_->selectionModel()->selectedRows()) {
        rows.insert(index.row());
    }
    if (rows.empty()) {
        window_.showAlert(localizedString("No files are selected"),
                          localizedString("Select one or more files to remove."), window_.window());
        return;
    }
    if (*rows.rbegin() < static_cast<int>(urlsToImport_.size())) {
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            importDictionaries_.erase(urlsToImport_[static_cast<size_t>(*row)]);
            urlsToImport_.erase(urlsToImport_.begin() + *row);
        }
    }
    reloadFilesTable();
    updateFileToImportButtons();
}

void ImportConsole::reloadFilesTable() {
    filesTable_->setRowCount(static_cast<int>(urlsToImport_.size()));
    for (size_t row = 0; row < urlsToImport_.size(); ++row) {
        const ImportFileSettings* settings = settingsForFile(urlsToImport_[row]);
        const int r = static_cast<int>(row);
        filesTable_->setItem(r, 0, new QTableWidgetItem(toQString(urlsToImport_[row])));
        filesTable_->setItem(r, 1, new QTableWidgetItem(settings ? toQString(settings->name) : ""));
        filesTable_->setItem(
            r, 2,
            new QTableWidgetItem(toQString(settings ? settings->optionsText()
                                                    : ImportFileSettings().optionsText())));
    }
}

void ImportConsole::updateFileToImportButtons() {
    helpLabel_->setText(filesTable_->rowCount() == 0
                            ? tr("Drag and drop text files into the box above.")
                            : tr("Right-click a file above to change its options."));
    const bool open = window_.state().databaseFilePath.has_value();
    deleteButton_->setEnabled(open && filesTable_->selectionModel()->hasSelection());
    // Without a database there is nothing to import into.
    addButton_->setEnabled(open);
    settingsButton_->setEnabled(open);
    importButton_->setEnabled(open);
}

void ImportConsole::selectedObjectDidChange() {
    updateFileToImportButtons();
}

std::vector<int> ImportConsole::clickedOrSelectedRows() const {
    std::set<int> rows;
    if (clickedRow_ >= 0) rows.insert(clickedRow_);
    if (filesTable_) {
        for (const QModelIndex& index : filesTable_->selectionModel()->selectedRows()) {
            rows.insert(index.row());
        }
    }
    return {rows.begin(), rows.end()};
}

void ImportConsole::setForRows(const std::vector<int>& rows,
                               const std::function<void(ImportFileSettings&)>& change) {
    for (int row : rows) {
        if (row < 0 || row >= static_cast<int>(urlsToImport_.size())) continue;
        const auto found = importDictionaries_.find(urlsToImport_[static_cast<size_t>(row)]);
        if (found != importDictionaries_.end()) change(found->second);
    }
    reloadFilesTable();
}

void ImportConsole::importViewFieldSeparatorMenuItemClicked(int tag) {
    const std::vector<int> rows = clickedOrSelectedRows();
    if (tag != ImportFileSettings::Other) {
        setForRows(rows, [tag](ImportFileSettings& s) {
            if (tag == ImportFileSettings::Comma) s.removeSurroundingQuotes = 1;
            s.fieldSeparator = tag;
        });
        return;
    }
    TextEntrySheet sheet;
    sheet.messageText = tr("Other Field Separator");
    sheet.informativeText =
        tr("Enter a text string that separates the fields.\n\nIf not "
           "specified, it will be the comma character.");
    sheet.placeholder = toQString(localizedString(","));
    if (clickedRow_ >= 0 && clickedRow_ < static_cast<int>(urlsToImport_.size())) {
        if (const ImportFileSettings* s =
                settingsForFile(urlsToImport_[static_cast<size_t>(clickedRow_)])) {
            sheet.text = toQString(s->fieldSeparatorString.value_or(
                UserDefaults::standard().stringForKey("ImportCSVSeparatorString")));
        }
    }
    sheet.beginSheetModalForWindow(
        window_.window(), [this, rows](const std::optional<QString>& text) {
            if (!text) return;
            const std::string separator = toStdString(*text);
            setForRows(rows, [&separator](ImportFileSettings& s) {
                s.fieldSeparator = ImportFileSettings::Other;
                s.fieldSeparatorString = separator;
                s.removeSurroundingQuotes = 1;
            });
            UserDefaults::standard().setString(separator, "ImportCSVSeparatorString");
        });
}

void ImportConsole::importViewLineSeparatorMenuItemClicked(int tag) {
    setForRows(clickedOrSelectedRows(), [tag](ImportFileSettings& s) { s.lineSeparator = tag; });
}

void ImportConsole::importViewTextEncodingMenuItemClicked(int tag) {
    setForRows(clickedOrSelectedRows(), [tag](ImportFileSettings& s) { s.textEncoding = tag; });
}

void ImportConsole::importView1stLineMenuItemClicked(int tag) {
    setForRows(clickedOrSelectedRows(), [tag](ImportFileSettings& s) { s.line1 = tag; });
}

void ImportConsole::importView2ndLineMenuItemClicked(int tag) {
    setForRows(clickedOrSelectedRows(), [tag](ImportFileSettings& s) { s.line2 = tag; });
}

void ImportConsole::importViewRemoveSurroundingQuotesMenuItemClicked() {
    const std::vector<int> rows = clickedOrSelectedRows();
    // The item shows a check mark when every file acted on removes quotes.
    bool allOn = !rows.empty();
    for (int row : rows) {
        const ImportFileSettings* s = row < static_cast<int>(urlsToImport_.size())
                                          ? settingsForFile(urlsToImport_[static_cast<size_t>(row)])
                                          : nullptr;
        allOn = allOn && s && s->removeSurroundingQuotes == 1;
    }
    setForRows(rows, [allOn](ImportFileSettings& s) { s.removeSurroundingQuotes = allOn ? 0 : 1; });
}

void ImportConsole::importViewChangeDestinationMenuItemClicked() {
    const std::vector<int> rows = clickedOrSelectedRows();
    if (rows.empty()) return;
    ImportDestinationSheet sheet;
    sheet.tableNames = window_.state().selectedObject.onlyTableNames;
    if (rows.size() == 1 && rows[0] < static_cast<int>(urlsToImport_.size())) {
        const std::string& path = urlsToImport_[static_cast<size_t>(rows[0])];
        sheet.fileLabel = toQString(path);
        if (const ImportFileSettings* s = settingsForFile(path))
            sheet.destination = toQString(s->name);
    } else {
        sheet.fileLabel = tr("(Multiple)");
        sheet.placeholder = tr("(Multiple)");
    }
    sheet.beginSheetModalForWindow(window_.window(), [this, rows](const QString& destination) {
        if (destination.isEmpty()) return;
        const std::string name = toStdString(destination);
        setForRows(rows, [&name](ImportFileSettings& s) { s.name = name; });
    });
}

void ImportConsole::showFilesContextMenu(const QPoint& at) {
    const int row = filesTable_->rowAt(at.y());
    if (row >= 0 && !filesTable_->selectionModel()->isRowSelected(row, QModelIndex())) {
        filesTable_->selectRow(row);
    }
    clickedRow_ = row;
    std::vector<nlohmann::json> acted;
    for (int r : clickedOrSelectedRows()) {
        if (r < static_cast<int>(urlsToImport_.size())) {
            if (const ImportFileSettings* s =
                    settingsForFile(urlsToImport_[static_cast<size_t>(r)])) {
                acted.push_back(menuSettingsOf(*s));
            }
        }
    }
    QMenu menu;
    // A submenu of items tagged with their values, marked by the rule over the files acted on.
    auto addItems = [&](const char* title, std::vector<std::pair<const char*, int>> items,
                        void (ImportConsole::*action)(int)) {
        QMenu* into = menu.addMenu(tr(title));
        for (const auto& [itemTitle, tag] : items) {
            QAction* item = into->addAction(tr(itemTitle));
            item->setData(tag);
            connect(item, &QAction::triggered, this,
                    [this, action, tag = tag] { (this->*action)(tag); });
        }
        return into;
    };
    QMenu* separators =
        addItems("Field Separator", {{"Tab", 1}, {"CSV", 2}, {"Pipe", 3}, {"Other...", 5}},
                 &ImportConsole::importViewFieldSeparatorMenuItemClicked);
    separators->addSeparator();
    QAction* quotes = separators->addAction(tr("Remove Surrounding Quotes"));
    quotes->setData(1111);
    connect(quotes, &QAction::triggered, this,
            [this] { importViewRemoveSurroundingQuotesMenuItemClicked(); });
    applyMenuItemStates(separators, importFieldSeparatorMenuStates(acted));
    applyMenuItemStates(addItems("Line Separator", {{"LF (\\n)", 0}, {"CRLF (\\r\\n)", 1}},
                                 &ImportConsole::importViewLineSeparatorMenuItemClicked),
                        importLineSeparatorMenuStates(acted));
    applyMenuItemStates(
        addItems("Text Encoding", {{"UTF-8", 0}, {"Windows CP1252", 1}, {"Mac Roman", 2}},
                 &ImportConsole::importViewTextEncodingMenuItemClicked),
        importTextEncodingMenuStates(acted));
    const std::vector<std::pair<const char*, int>> roles = {
        {"Data", 1}, {"Field names", 2}, {"Field formats", 4}, {"Discard", 8}};
    applyMenuItemStates(
        addItems("1st Line", roles, &ImportConsole::importView1stLineMenuItemClicked),
        importLineMenuStates(acted, "line1"));
    applyMenuItemStates(
        addItems("2nd Line", roles, &ImportConsole::importView2ndLineMenuItemClicked),
        importLineMenuStates(acted, "line2"));
    menu.addSeparator();
    menu.addAction(tr("Change Destination Table..."), this,
                   [this] { importViewChangeDestinationMenuItemClicked(); });
    menu.exec(filesTable_->viewport()->mapToGlobal(at));
    clickedRow_ = -1;
}

QMenu* ImportConsole::makeSettingsMenu() {
    auto* menu = new QMenu(view_);
    menu->setObjectName("importViewSettingsMenu");
    using namespace ImportSettingsTag;
    addTaggedMenuItems(menu, "ImportConsole",
                       {{BatchLines, "Batch Lines"},
                        {TruncateExcessFields, "Truncate Excess Fields"},
                        {AddMissingFields, "Add Missing Fields"},
                        {DeleteAllRowsFirst, "Delete All Rows First"},
                        {},
                        {ConvertDates, "Convert Dates"},
                        {ConvertTimes, "Convert Times"},
                        {ConvertNULL, "Convert NULL Text to NULL"},
                        {NULLText, "NULL Text...", false},
                        {},
                        {StopAtErrors, "Stop at Errors"},
                        {StopAtMissingFields, "Stop at Missing Fields"},
                        {StopAtExcessFields, "Stop at Excess Fields"}},
                       [this](int tag) { importViewChangeSetting(tag); });
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        applyMenuItemStates(
            menu, importSettingsMenuStates(UserDefaults::standard(), deleteAllRowsFirst_));
    });
    return menu;
}

void ImportConsole::importViewChangeSetting(int tag) {
    UserDefaults& defaults = UserDefaults::standard();
    for (const BoolSetting& setting : kBoolSettings) {
        if (setting.tag != tag) continue;
        const bool on = !defaults.boolForKey(setting.key);
        defaults.setBool(on, setting.key);
        if (auto* box = view_->findChild<QCheckBox*>(
                QStringLiteral("importViewCheckBox%1").arg(setting.checkBoxTag))) {
            QSignalBlocker blocker(box);
            box->setChecked(on);
        }
        return;
    }
    for (const BitSetting& setting : kBitSettings) {
        if (setting.tag != tag) continue;
        defaults.setInteger(defaults.integerForKey(setting.key) ^ setting.bit, setting.key);
        return;
    }
    if (tag == ImportSettingsTag::DeleteAllRowsFirst) {
        setDeleteAllRowsFirst(!deleteAllRowsFirst_);
    } else if (tag == ImportSettingsTag::NULLText) {
        TextEntrySheet sheet;
        sheet.messageText = tr("NULL Text String");
        sheet.informativeText =
            tr("Enter a text string that will be converted to NULL values in a table.\n\nEnsure "
               "that the fields in the table definition permit NULL values or else the row "
               "insertions will fail.");
        sheet.placeholder = toQString(localizedString("NULL"));
        sheet.text = toQString(defaults.stringForKey("ImportNULLValueString"));
        sheet.beginSheetModalForWindow(window_.window(), [](const std::optional<QString>& text) {
            if (text)
                UserDefaults::standard().setString(toStdString(*text), "ImportNULLValueString");
        });
    }
}

void ImportConsole::setDeleteAllRowsFirst(bool on) {
    deleteAllRowsFirst_ = on;
    QSignalBlocker blocker(deleteAllRowsBox_);
    deleteAllRowsBox_->setChecked(on);
    deleteAllRowsBox_->setText(deleteAllRowsTitle(on));
}

void ImportConsole::importViewImportButtonPressed() {
    if (importing_) {
        if (run_) run_->requestStop();
        return;
    }
    importFilesNow();
}

void ImportConsole::importFilesNow() {
    if (urlsToImport_.empty()) {
        statusLabel_->setText(tr("No files selected to import"));
        return;
    }
    if (importDictionaries_.empty()) {
        statusLabel_->setText(tr("At least one table is required"));
        return;
    }
    if (importDictionaries_.size() != urlsToImport_.size()) {
        statusLabel_->setText(tr("Number of tables must match the number of files"));
        return;
    }
    if (!deleteAllRowsFirst_) {
        startRun();
        return;
    }
    Alert alert;
    alert.messageText = tr("Delete ALL Rows?");
    alert.informativeText =
        tr("This will delete ALL the rows from the \"Import Into\" tables "
           "before starting the import!");
    alert.buttons = {tr("Delete ALL Rows"), tr("Cancel")};
    alert.beginSheetModalForWindow(window_.window(), [this](int button) {
        if (button == 0) startRun();
    });
}

void ImportConsole::startRun() {
    const auto& path = window_.state().databaseFilePath;
    if (importing_ || !path) return;
    // Set here, not on the worker, so a second press can only stop this run.
    importing_ = true;
    // The run reads a copy: the list stays editable while it works.
    std::vector<ImportFileSettings> files;
    for (const std::string& url : urlsToImport_) {
        if (const ImportFileSettings* settings = settingsForFile(url)) files.push_back(*settings);
    }
    reporter_ = std::make_unique<PostingReporter>(*this);
    run_ = std::make_unique<ImportRun>(
        std::move(files),
        ImportOptions::fromUserDefaults(deleteAllRowsFirst_, window_.state().display.useUTC), log_,
        *reporter_);
    importViewUpdateUIBeforeImport();
    task_ = std::make_unique<BackgroundTask>(
        *path, ConnectionKind::Statement,
        [alive = alive_](std::function<void()> work) {
            performOnMainThread([alive, work = std::move(work)] {
                if (*alive) work();
            });
        },
        [this, path = *path](DBConnection& connection, BackgroundTask& task) {
            run_->run(connection, path);
            task.report([this] { importViewUpdateUIAfterImport(); });
        },
        // A lock met as the run's connection opens is waited on as the run's own are.
        BackgroundTask::Yield::Never, run_.get());
}

void ImportConsole::importViewUpdateUIBeforeImport() {
    window_.enableUIWhileImportingFiles(false);
    importButton_->setText(tr("Stop"));
    logView_->reloadLog();
    progressValue_ = 0;
    progress_->setValue(0);
    progress_->show();
}

void ImportConsole::importViewUpdateUIAfterImport() {
    task_.reset();  // the run has returned: this only joins its thread
    showRunEnded();
    window_.reloadTablesAndSelectTableNamed(window_.selectedTableNameIfOnlyOne());
}

void ImportConsole::showRunEnded() {
    statusLabel_->setText(toQString(run_->finalStatus()));
    run_.reset();
    reporter_.reset();
    window_.enableUIWhileImportingFiles(true);
    importButton_->setText(tr("Import"));
    importButtonPresses_->runEnded();
    logView_->reloadLog();
    progress_->hide();
    importing_ = false;
}

void ImportConsole::advanceProgress(double amount) {
    progressValue_ += amount;
    progress_->setValue(
        std::min(kProgressSteps, static_cast<int>(progressValue_ * kProgressSteps)));
}
