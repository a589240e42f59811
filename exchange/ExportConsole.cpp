#include "exchange/ExportConsole.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "Common/DelimitedExport.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/RowidField.h"
#include "Common/SchemaListing.h"
#include "exchange/ActivityLogView.h"
#include "exchange/LogTime.h"
#include "exchange/TextEntrySheet.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/MenuCheckMarks.h"
#include "mainwindow/RowCountText.h"
#include "mainwindow/SettingsMenuTags.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/MenuItemStates.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/TaggedMenu.h"

namespace {

// Settings menu items that set an integer default to a value.
struct ValueSetting {
    int tag;
    const char* key;
    int64_t value;
};
constexpr ValueSetting kValueSettings[] = {
    {ExportSettingsTag::Comma, "ExportDelimiter", 1},
    {ExportSettingsTag::Tab, "ExportDelimiter", 0},
    {ExportSettingsTag::VerticalBar, "ExportDelimiter", 2},
    {ExportSettingsTag::QuoteWhenNeeded, "ExportSurroundingQuotes", 0},
    {ExportSettingsTag::QuoteEveryValue, "ExportSurroundingQuotes", 1},
    {ExportSettingsTag::NeverQuote, "ExportSurroundingQuotes", 2},
};
}  // namespace

ExportConsole::ExportConsole(DatabaseWindow& window, RowsDataPort& rowReader)
    : window_(window), dataPort_(rowReader) {
    buildView();
}

ExportConsole::~ExportConsole() {
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* ExportConsole::view() {
    return view_;
}

void ExportConsole::buildView() {
    view_ = new QWidget;
    view_->setObjectName("exportView");
    auto* layout = new QVBoxLayout(view_);

    fieldsTable_ = new QTableWidget(0, 2, view_);
    fieldsTable_->setObjectName("exportViewFieldsTableView");
    fieldsTable_->setHorizontalHeaderLabels({tr("Field"), tr("First Row")});
    fieldsTable_->horizontalHeader()->setStretchLastSection(true);
    fieldsTable_->verticalHeader()->hide();
    fieldsTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fieldsTable_->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(fieldsTable_, 2);

    auto* buttons = new QHBoxLayout;
    auto* all = new QPushButton(tr("All"), view_);
    all->setObjectName("exportViewAllButton");
    connect(all, &QPushButton::clicked, this, [this] { allButtonPressed(); });
    auto* none = new QPushButton(tr("None"), view_);
    none->setObjectName("exportViewNoneButton");
    connect(none, &QPushButton::clicked, this, [this] { noneButtonPressed(); });
    buttons->addWidget(all);
    buttons->addWidget(none);
    buttons->addStretch(1);

    auto* settings = new QToolButton(view_);
    settings->setObjectName("exportViewSettingsButton");
    settings->setText(tr("Settings"));
    settings->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(settings);
    menu->setObjectName("exportViewSettingsMenu");
    using namespace ExportSettingsTag;
    addTaggedMenuItems(menu, "ExportConsole",
                       {{Comma, "Comma"},
                        {Tab, "Tab"},
                        {VerticalBar, "Vertical Bar"},
                        {OtherFieldSeparator, "Other Field Separator..."},
                        {},
                        {LineFeed, "LF (\\n)"},
                        {CarriageReturnLineFeed, "CRLF (\\r\\n)"},
                        {OtherLineSeparator, "Other Line Separator...", false},
                        {},
                        {NULLValue, "NULL Value...", false},
                        {},
                        {FieldNames, "Export Field Names"},
                        {FieldTypes, "Export Field Types"},
                        {},
                        {QuoteWhenNeeded, "Quote When Needed"},
                        {QuoteEveryValue, "Quote Every Value"},
                        {NeverQuote, "Never Quote"}},
                       [this](int tag) { exportViewChangeSetting(tag); });
    connect(menu, &QMenu::aboutToShow, this, [menu] {
        const UserDefaults& defaults = UserDefaults::standard();
        MenuStates states = exportSettingsMenuStates(defaults);
        states.merge(exportFieldSeparatorMenuStates(defaults));
        applyMenuItemStates(menu, states);
    });
    settings->setMenu(menu);
    buttons->addWidget(settings);
    auto* exportButton = new QPushButton(tr("Export..."), view_);
    exportButton->setObjectName("exportViewExportButton");
    connect(exportButton, &QPushButton::clicked, this, [this] { exportButtonPressed(); });
    buttons->addWidget(exportButton);
    layout->addLayout(buttons);

    auto* statusRow = new QHBoxLayout;
    statusLabel_ = new QLabel(view_);
    statusLabel_->setObjectName("exportViewStatusLabel");
    numberOfRowsLabel_ = new QLabel(view_);
    numberOfRowsLabel_->setObjectName("exportViewNumberOfRowsLabel");
    numberOfRowsLabel_->hide();
    statusRow->addWidget(statusLabel_, 1);
    statusRow->addWidget(numberOfRowsLabel_);
    layout->addLayout(statusRow);

    logView_ = new ActivityLogView(log_, "exportViewLogTableView", view_);
    layout->addWidget(logView_, 1);
}

void ExportConsole::selectedObjectDidChange() {
    if (window_.state().selectedConsoleIndex == TablesAndRowsState::ExportConsole) {
        updateExportView();
    }
}

void ExportConsole::numberOfRowsDidChange() {
    showNumberOfRows(numberOfRowsLabel_, window_);
}

void ExportConsole::consoleDidAppear() {
    updateExportView();
}

QString ExportConsole::statusText() const {
    return statusLabel_ ? statusLabel_->text() : QString();
}

void ExportConsole::updateExportView() {
    statusLabel_->clear();
    entry_.reset();
    const TablesAndRowsState& state = window_.state();
    const std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    const int type = state.selectedObject.tableType;
    if (table && state.databaseFilePath &&
        (type == DBInterface::kSchemaTable || type == DBInterface::kSchemaView)) {
        const std::string& db = *state.databaseFilePath;
        const bool editable = state.selectedObject.selectedObjectStatus == 1;
        Entry entry{*table, {}, {}, {}, std::nullopt};
        if (editable) {
            entry.fieldNames.push_back(kRowidFieldName);
            entry.fieldTypes.push_back(DBInterface::kFieldTypeNumber);
        }
        std::string error;
        if (DBInterface::getFieldNames(&entry.fieldNames, &entry.fieldTypes, nullptr, *table, db,
                                       &error) != 0) {
            window_.showErrorAlert(*table + "\n\n" + error, window_.window());
        } else {
            for (const std::string& name : entry.fieldNames)
                entry.checked.push_back(name != kRowidFieldName);
            if (state.dataPort.totalRows >= 1) {
                // The first row as the grid shows it, under its search and sort; an object
                // without a usable rowid reads as the grid reads it, with '' in its place.
                std::vector<DBValue> row;
                if (dataPort_.loadFieldValues(&row, RowIndex(0), 1, false, &error) == 0 &&
                    !row.empty()) {
                    if (!editable) row.erase(row.begin());
                    std::vector<std::string>& values = entry.firstRowFieldValues.emplace();
                    for (const DBValue& value : row) values.push_back(value.value_or(""));
                }
            }
            entry_ = std::move(entry);
        }
    }
    reloadFieldsTable();
}

void ExportConsole::reloadFieldsTable() {
    const int rows = entry_ ? static_cast<int>(entry_->fieldNames.size()) : 0;
    fieldsTable_->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const auto r = static_cast<size_t>(row);
        auto* box = new QCheckBox(toQString(entry_->fieldNames[r]));
        box->setChecked(entry_->checked[r]);
        connect(box, &QCheckBox::clicked, this, [this, row] { checkBoxPressed(row); });
        fieldsTable_->setCellWidget(row, 0, box);
        const auto& values = entry_->firstRowFieldValues;
        fieldsTable_->setItem(
            row, 1,
            new QTableWidgetItem(values && r < values->size() ? toQString((*values)[r]) : ""));
    }
}

void ExportConsole::checkRowsInExportView(bool checked) {
    if (entry_) entry_->checked.assign(entry_->checked.size(), checked);
}

void ExportConsole::allButtonPressed() {
    checkRowsInExportView(true);
    reloadFieldsTable();
}

void ExportConsole::noneButtonPressed() {
    checkRowsInExportView(false);
    reloadFieldsTable();
}

void ExportConsole::checkBoxPressed(int row) {
    if (!entry_ || row < 0 || row >= static_cast<int>(entry_->checked.size())) return;
    const auto r = static_cast<size_t>(row);
    entry_->checked[r] = !entry_->checked[r];
}

void ExportConsole::exportButtonPressed() {
    doExportButtonPressed();
}

void ExportConsole::doExportButtonPressed() {
    const bool anyChecked = entry_ && std::find(entry_->checked.begin(), entry_->checked.end(),
                                                true) != entry_->checked.end();
    if (!anyChecked) {
        window_.showErrorAlert(localizedString("At least one field must be checked."),
                               window_.window());
        return;
    }
    UserDefaults& defaults = UserDefaults::standard();
    const bool csv = defaults.integerForKey("ExportDelimiter") == 1 || defaults.boolForKey("CSV");
    FilePanel panel;
    panel.kind = FilePanel::Kind::Save;
    panel.title = tr("Export to File");
    panel.prompt = tr("Export");
    panel.directory = toQString(Paths::documentsFolder());
    panel.nameFieldStringValue = toQString(entry_->table + (csv ? ".csv" : ".txt"));
    panel.beginSheetModalForWindow(window_.window(), [this](const QStringList& paths) {
        if (!paths.isEmpty()) exportToPath(toStdFileName(paths.first()));
    });
}

void ExportConsole::exportToPath(const std::string& path) {
    log_.restart();
    log_.add(ActivityLog::Information, localizedFormat("Export started %@", {nowText()}));
    const auto& db = window_.state().databaseFilePath;
    if (path.empty()) {
        Alert alert;
        alert.messageText = tr("Error");
        alert.informativeText = tr("Invalid filename");
        alert.runModal();
    } else if (entry_ && db) {
        log_.add(ActivityLog::Information,
                 localizedFormat("Exporting \"%@\" to \"%@\"", {entry_->table, path}));
        std::vector<std::string> fields;
        for (size_t i = 0; i < entry_->fieldNames.size(); ++i) {
            if (entry_->checked[i]) fields.push_back(entry_->fieldNames[i]);
        }
        std::string error;
        if (DBInterface::dumpFromTable(entry_->table, fields, path, false, *db, &error) != 0) {
            // Logged too, so the log never reads as a clean export.
            log_.add(ActivityLog::Error, error);
            Alert alert;
            alert.messageText = tr("Error");
            alert.informativeText = toQString(error);
            alert.runModal();
        } else {
            statusLabel_->setText(toQString(
                localizedFormat("Exported to file \"%@\"", {Paths::lastPathComponent(path)})));
        }
    }
    log_.add(ActivityLog::Information, localizedFormat("Export ended %@", {nowText()}));
    logView_->reloadLog();
}

void ExportConsole::askForText(const char* title, const char* informative, const char* key,
                               std::function<void(const std::string&)> done) {
    TextEntrySheet sheet;
    sheet.messageText = tr(title);
    sheet.informativeText = tr(informative);
    sheet.text = toQString(UserDefaults::standard().stringForKey(key));
    sheet.beginSheetModalForWindow(window_.window(),
                                   [done = std::move(done)](const std::optional<QString>& text) {
                                       if (text) done(toStdString(*text));
                                   });
}

void ExportConsole::exportViewChangeSetting(int tag) {
    UserDefaults& defaults = UserDefaults::standard();
    for (const ValueSetting& setting : kValueSettings) {
        if (setting.tag == tag) {
            defaults.setInteger(setting.value, setting.key);
            return;
        }
    }
    switch (tag) {
        case ExportSettingsTag::OtherFieldSeparator:
            askForText(
                "Other Field Separator",
                "Enter a text string to use to separate fields.\n\nIf not specified, it will "
                "be the empty string.",
                "ExportFieldSeparatorString", [](const std::string& text) {
                    UserDefaults::standard().setString(text, "ExportFieldSeparatorString");
                    UserDefaults::standard().setInteger(3, "ExportDelimiter");
                });
            break;
        case ExportSettingsTag::LineFeed:
        case ExportSettingsTag::CarriageReturnLineFeed:
            defaults.setString(tag == ExportSettingsTag::CarriageReturnLineFeed ? "\r\n" : "\n",
                               "ExportLineSeparatorString");
            defaults.setBool(tag == ExportSettingsTag::CarriageReturnLineFeed, "WindowsFormat");
            break;
        case ExportSettingsTag::OtherLineSeparator:
            askForText(
                "Other Line Separator",
                "Enter a text string to use to separate lines.\n\nIf not specified, it will be "
                "the empty string.",
                "ExportLineSeparatorString", [](const std::string& text) {
                    UserDefaults::standard().setString(text, "ExportLineSeparatorString");
                });
            break;
        case ExportSettingsTag::NULLValue:
            askForText(
                "NULL Value",
                "Enter a text string to use when exporting NULL values in a table.\n\nIf not "
                "specified, it will be the empty string.",
                "NULLValueString", [](const std::string& text) {
                    UserDefaults::standard().setString(text, "NULLValueString");
                });
            break;
        case ExportSettingsTag::FieldNames:
            defaults.setBool(!defaults.boolForKey("DontExportFieldNames"), "DontExportFieldNames");
            break;
        case ExportSettingsTag::FieldTypes:
            defaults.setBool(!defaults.boolForKey("ExportFieldTypes"), "ExportFieldTypes");
            break;
        default:
            break;
    }
}
