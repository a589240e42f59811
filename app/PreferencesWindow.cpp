#include "app/PreferencesWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <chrono>

#include "Common/DisplayFormatters.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"

namespace {

constexpr int64_t kDefaultLookupRowsLimit = 50;
constexpr int kTimeStyleCustom = 4;
constexpr int kFirstNumberStyleWithDigits = 3;
constexpr int kLastNumberStyleWithDigits = 7;
const char* const kStyleNames[] = {"Short", "Medium", "Long", "Full"};

QString tr(const char* text) {
    return toQString(localizedString(text));
}

Date now() {
    return std::chrono::time_point_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now());
}

// A table of the four date or time styles with an example of each.
QTableWidget* makeStyleTable(QWidget* parent, const char* name, bool timeOfDay) {
    auto* table = new QTableWidget(4, 2, parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels({tr("Style"), tr("Example")});
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < 4; ++row) {
        DateFormatter formatter;
        auto style = static_cast<DateFormatter::Style>(row + 1);
        formatter.setDateStyle(timeOfDay ? DateFormatter::Style::None : style);
        formatter.setTimeStyle(timeOfDay ? style : DateFormatter::Style::None);
        table->setItem(row, 0, new QTableWidgetItem(tr(kStyleNames[row])));
        table->setItem(row, 1, new QTableWidgetItem(toQString(formatter.stringFromDate(now()))));
    }
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

int selectedRow(const QTableWidget* table) {
    QList<QTableWidgetItem*> selected = table->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->row();
}

// Selects row r - 1 of the table for a style byte r below 5, row 0 for none.
void selectStyleRow(QTableWidget* table, int64_t style) {
    if (style >= 5) return;
    table->selectRow(style == 0 ? 0 : static_cast<int>(style - 1));
}

}  // namespace

PreferencesWindow::PreferencesWindow(const QStringList& paneNames, std::function<void()> applied)
    : applied_(std::move(applied)) {
    setObjectName("preferencesWindow");
    setWindowTitle(tr("Preferences"));
    declareWindowRole(this, WindowRole::Auxiliary);

    preferencesWindowTableView_ = new QListWidget(this);
    preferencesWindowTableView_->setObjectName("preferencesWindowTableView");
    preferencesWindowTableView_->addItems(paneNames);
    preferencesWindowTableView_->setFixedWidth(150);
    rightSideBox_ = new QStackedWidget(this);
    rightSideBox_->addWidget(makeGeneralPane());
    rightSideBox_->addWidget(makeTablesListPane());
    rightSideBox_->addWidget(makeFieldDisplayPane());
    rightSideBox_->addWidget(makeFieldStoragePane());

    applyButton_ = new QPushButton(tr("Apply"), this);
    applyButton_->setObjectName("preferencesWindowApplyButton");
    revertButton_ = new QPushButton(tr("Revert"), this);
    revertButton_->setObjectName("preferencesWindowRevertButton");
    connect(applyButton_, &QPushButton::clicked, this,
            &PreferencesWindow::preferencesWindowApplyButtonPressed);
    connect(revertButton_, &QPushButton::clicked, this,
            &PreferencesWindow::preferencesWindowRevertButtonPressed);

    auto* sides = new QHBoxLayout;
    sides->addWidget(preferencesWindowTableView_);
    sides->addWidget(rightSideBox_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(revertButton_);
    buttons->addWidget(applyButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sides, 1);
    layout->addLayout(buttons);

    makeTimeFormatStyleWindow();
    makeNumberFormatStyleWindow();

    connect(preferencesWindowTableView_, &QListWidget::currentRowChanged, this, [this](int row) {
        updatePreferencesWindowRightSide(row);
        UserDefaults::standard().setInteger(row, "LastSelectedRowInPreferencesWindow");
    });
    int64_t pane = UserDefaults::standard().integerForKey("LastSelectedRowInPreferencesWindow");
    preferencesWindowTableView_->setCurrentRow(static_cast<int>(firstValidEnum(pane, 0, 4)));
}

QCheckBox* PreferencesWindow::addCheckBox(QWidget* pane, const char* name, const char* title) {
    auto* box = new QCheckBox(tr(title), pane);
    box->setObjectName(name);
    pane->layout()->addWidget(box);
    connect(box, &QCheckBox::clicked, this, [this, box] { toggleAppSetting(box); });
    return box;
}

QComboBox* PreferencesWindow::addPopUp(QWidget* pane, const char* name, const char* title,
                                       const std::vector<std::pair<const char*, int>>& items) {
    auto* popUp = new QComboBox(pane);
    popUp->setObjectName(name);
    for (auto [text, tag] : items) popUp->addItem(tr(text), tag);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr(title), pane));
    row->addWidget(popUp, 1);
    static_cast<QVBoxLayout*>(pane->layout())->addLayout(row);
    return popUp;
}

QWidget* PreferencesWindow::makeGeneralPane() {
    auto* pane = new QWidget;
    pane->setObjectName("preferencesWindowGeneralView");
    new QVBoxLayout(pane);
    warnOnRowDeleteButton_ =
        addCheckBox(pane, "preferencesWindowWarnOnRowDeleteButton", "Warn before deleting rows");
    autoRefreshAllWindowsButton_ = addCheckBox(pane, "preferencesWindowAutoRefreshAllWindowsButton",
                                               "Refresh all windows after a change");
    foreignKeyConstraintsButton_ = addCheckBox(pane, "preferencesWindowForeignKeyConstraintsButton",
                                               "Enforce foreign key constraints");
    lookupTableRowsLimitPopUp_ = addPopUp(
        pane, "preferencesWindowLookupTableRowsLimitPopUpButton", "Lookup and picker table rows:",
        {{"50", 50}, {"100", 100}, {"500", 500}, {"1000", 1000}, {"5000", 5000}});
    connect(lookupTableRowsLimitPopUp_, &QComboBox::activated, this,
            &PreferencesWindow::preferencesWindowLimitsLookupTableRowsPopupValueChanged);
    static_cast<QVBoxLayout*>(pane->layout())->addStretch(1);
    return pane;
}

QWidget* PreferencesWindow::makeTablesListPane() {
    auto* pane = new QWidget;
    pane->setObjectName("preferencesWindowTablesListView");
    new QVBoxLayout(pane);
    typeButtons_ = {
        addCheckBox(pane, "preferencesWindowShowTablesButton", "Show tables"),
        addCheckBox(pane, "preferencesWindowShowViewsButton", "Show views"),
        addCheckBox(pane, "preferencesWindowShowIndexesButton", "Show indexes"),
        addCheckBox(pane, "preferencesWindowShowTriggersButton", "Show triggers"),
    };
    showSystemTablesButton_ =
        addCheckBox(pane, "preferencesWindowShowSystemTablesButton", "Show system tables");
    static_cast<QVBoxLayout*>(pane->layout())->addStretch(1);
    return pane;
}

QWidget* PreferencesWindow::makeFieldDisplayPane() {
    auto* pane = new QWidget;
    pane->setObjectName("preferencesWindowFieldDisplayView");
    new QVBoxLayout(pane);
    formatDataInRowsViewButton_ = addCheckBox(pane, "preferencesWindowFormatDataInRowsViewButton",
                                              "Show values in their display formats");
    showNULLInRowsViewButton_ =
        addCheckBox(pane, "preferencesWindowShowNULLInRowsViewButton", "Show NULL values");
    dateFormatPopUp_ = addPopUp(
        pane, "preferencesWindowDateFormatPopUpButton",
        "Dates:", {{"Short", 1}, {"Medium", 2}, {"Long", 3}, {"Full", 4}, {"yyyy-MM-dd", 5}});
    dateFormatExampleLabel_ = new QLabel(pane);
    dateFormatExampleLabel_->setObjectName("preferencesWindowDateFormatExampleLabel");
    pane->layout()->addWidget(dateFormatExampleLabel_);
    timeFormatPopUp_ = addPopUp(pane, "preferencesWindowTimeFormatPopUpButton", "Times:",
                                {{"Medium", 1},
                                 {"yyyy-MM-dd HH:mm", 2},
                                 {"yyyy-MM-dd HH:mm:ss", 3},
                                 {"Custom…", kTimeStyleCustom}});
    timeFormatExampleLabel_ = new QLabel(pane);
    timeFormatExampleLabel_->setObjectName("preferencesWindowTimeFormatExampleLabel");
    pane->layout()->addWidget(timeFormatExampleLabel_);
    numberFormatPopUp_ = addPopUp(pane, "preferencesWindowNumberFormatPopUpButton", "Numbers:",
                                  {{"As stored", 1},
                                   {"Plain", 2},
                                   {"Decimal…", 3},
                                   {"Percent…", 4},
                                   {"Scientific…", 5},
                                   {"Currency…", 6},
                                   {"Accounting…", 7}});
    numberFormatExampleLabel_ = new QLabel(pane);
    numberFormatExampleLabel_->setObjectName("preferencesWindowNumberFormatExampleLabel");
    pane->layout()->addWidget(numberFormatExampleLabel_);
    connect(dateFormatPopUp_, &QComboBox::activated, this,
            &PreferencesWindow::preferencesWindowDateDisplayFormatPopupValueChanged);
    connect(timeFormatPopUp_, &QComboBox::activated, this,
            &PreferencesWindow::preferencesWindowTimeDisplayFormatPopupValueChanged);
    connect(numberFormatPopUp_, &QComboBox::activated, this,
            &PreferencesWindow::preferencesWindowNumberDisplayFormatPopupValueChanged);
    static_cast<QVBoxLayout*>(pane->layout())->addStretch(1);
    return pane;
}

QWidget* PreferencesWindow::makeFieldStoragePane() {
    auto* pane = new QWidget;
    pane->setObjectName("preferencesWindowFieldStorageView");
    new QVBoxLayout(pane);
    ifNoTimeZonePopUp_ = addPopUp(pane, "preferencesWindowIfNoTimeZonePopUpButton",
                                  "Times without a time zone are:", {{"Local", 0}, {"UTC", 1}});
    dateStorageFormatPopUp_ =
        addPopUp(pane, "preferencesWindowDateStorageFormatPopUpButton", "Store dates as:",
                 {{"yyyy-MM-dd Z", 0}, {"yyyy-MM-dd (local)", 1}, {"yyyy-MM-dd (UTC)", 2}});
    timeStorageFormatPopUp_ =
        addPopUp(pane, "preferencesWindowTimeStorageFormatPopUpButton", "Store times as:",
                 {{"yyyy-MM-dd HH:mm:ss Z", 0},
                  {"yyyy-MM-dd HH:mm:ss (local)", 1},
                  {"yyyy-MM-dd HH:mm:ss (UTC)", 2}});
    connect(ifNoTimeZonePopUp_, &QComboBox::activated, this,
            &PreferencesWindow::preferencesWindowDatesAndTimesIfNoTimeZonePopupValueChanged);
    connect(dateStorageFormatPopUp_, &QComboBox::activated, this,
            &PreferencesWindow::preferencesWindowDateStorageFormatPopupValueChanged);
    connect(timeStorageFormatPopUp_, &QComboBox::activated, this,
            &PreferencesWindow::preferencesWindowTimeStorageFormatPopupValueChanged);
    static_cast<QVBoxLayout*>(pane->layout())->addStretch(1);
    return pane;
}

void PreferencesWindow::makeTimeFormatStyleWindow() {
    timeFormatStyleWindow_ = new QDialog(this);
    timeFormatStyleWindow_->setObjectName("timeFormatStyleWindow");
    timeFormatStyleWindow_->setWindowModality(Qt::WindowModal);
    timeFormatStyleWindowDateTableView_ = makeStyleTable(
        timeFormatStyleWindow_, "timeFormatStyleWindowDateTableView", /*timeOfDay=*/false);
    timeFormatStyleWindowTimeOfDayTableView_ = makeStyleTable(
        timeFormatStyleWindow_, "timeFormatStyleWindowTimeOfDayTableView", /*timeOfDay=*/true);
    auto* done = new QPushButton(tr("Done"), timeFormatStyleWindow_);
    auto* cancel = new QPushButton(tr("Cancel"), timeFormatStyleWindow_);
    connect(done, &QPushButton::clicked, this,
            &PreferencesWindow::timeFormatStyleWindowDoneButtonPressed);
    connect(cancel, &QPushButton::clicked, this,
            &PreferencesWindow::timeFormatStyleWindowCancelButtonPressed);
    auto* layout = new QVBoxLayout(timeFormatStyleWindow_);
    layout->addWidget(new QLabel(tr("Date"), timeFormatStyleWindow_));
    layout->addWidget(timeFormatStyleWindowDateTableView_);
    layout->addWidget(new QLabel(tr("Time of day"), timeFormatStyleWindow_));
    layout->addWidget(timeFormatStyleWindowTimeOfDayTableView_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(done);
    layout->addLayout(buttons);
}

void PreferencesWindow::makeNumberFormatStyleWindow() {
    numberFormatStyleWindow_ = new QDialog(this);
    numberFormatStyleWindow_->setObjectName("numberFormatStyleWindow");
    numberFormatStyleWindow_->setWindowModality(Qt::WindowModal);
    minFractionDigitsTextField_ = new QLineEdit(numberFormatStyleWindow_);
    minFractionDigitsTextField_->setObjectName("numberFormatStyleWindowMinFractionDigitsTextField");
    maxFractionDigitsTextField_ = new QLineEdit(numberFormatStyleWindow_);
    maxFractionDigitsTextField_->setObjectName("numberFormatStyleWindowMaxFractionDigitsTextField");
    auto* done = new QPushButton(tr("Done"), numberFormatStyleWindow_);
    auto* cancel = new QPushButton(tr("Cancel"), numberFormatStyleWindow_);
    connect(done, &QPushButton::clicked, this,
            &PreferencesWindow::numberFormatStyleWindowDoneButtonPressed);
    connect(cancel, &QPushButton::clicked, this,
            &PreferencesWindow::numberFormatStyleWindowCancelButtonPressed);
    auto* form = new QFormLayout;
    form->addRow(tr("Minimum fraction digits:"), minFractionDigitsTextField_);
    form->addRow(tr("Maximum fraction digits:"), maxFractionDigitsTextField_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(numberFormatStyleWindow_);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void PreferencesWindow::showPreferences() {
    loadPreferencesCacheFromDefaults();
    updatePreferencesWindow();
    makeKeyAndOrderFront(this);
    if (QWidget* focus = focusWidget()) focus->clearFocus();
}

void PreferencesWindow::loadPreferencesCacheFromDefaults() {
    preferencesCache_ = loadPreferencesRecord(UserDefaults::standard());
    oldPreferencesCache_ = preferencesCache_;
}

void PreferencesWindow::storePreferencesCacheToDefaults() {
    storePreferencesRecord(preferencesCache_, UserDefaults::standard());
    oldPreferencesCache_ = preferencesCache_;
}

void PreferencesWindow::selectIndexIfInRange(QComboBox* popUp, int64_t index) {
    if (index >= 0 && index < popUp->count()) popUp->setCurrentIndex(static_cast<int>(index));
}

void PreferencesWindow::selectTag(QComboBox* popUp, int64_t tag) {
    int index = popUp->findData(static_cast<int>(tag));
    if (index >= 0) popUp->setCurrentIndex(index);
}

void PreferencesWindow::updatePreferencesWindow() {
    const PreferencesRecord& p = preferencesCache_;
    for (size_t i = 0; i < typeButtons_.size(); ++i) {
        typeButtons_[i]->setChecked((p.typesToShow & (uint64_t{1} << i)) != 0);
    }
    showSystemTablesButton_->setChecked(p.showSystemTables);
    warnOnRowDeleteButton_->setChecked(p.warnOnRowDelete);
    formatDataInRowsViewButton_->setChecked(p.formatDataInRowsView);
    showNULLInRowsViewButton_->setChecked(p.showNULLInRowsView);
    autoRefreshAllWindowsButton_->setChecked(p.autoRefreshAllWindows);
    foreignKeyConstraintsButton_->setChecked(p.foreignKeyRestraints);
    selectTag(lookupTableRowsLimitPopUp_,
              p.lookupTableRowsLimit < 1 ? kDefaultLookupRowsLimit : p.lookupTableRowsLimit);
    selectIndexIfInRange(ifNoTimeZonePopUp_, p.ifNoTimeZone);
    selectIndexIfInRange(dateStorageFormatPopUp_, p.dateStorageFormat);
    selectIndexIfInRange(timeStorageFormatPopUp_, p.timeStorageFormat);
    // The pop-up names the format the grid shows, which an unset code leaves at Medium.
    selectTag(dateFormatPopUp_, DBInterface::dateStyleTypeInForce(p.dateDisplayFormat));
    selectTag(timeFormatPopUp_, firstValidEnum(p.timeDisplayFormat & 0xff, 1, 5));
    selectTag(numberFormatPopUp_, firstValidEnum(p.numberDisplayFormat & 0xff, 1, 8));
    updatePreferencesWindowDisplayFormatExamples();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::updatePreferencesWindowApplyButton() {
    bool changed = !preferencesAreEqual(preferencesCache_, oldPreferencesCache_);
    applyButton_->setEnabled(changed);
    revertButton_->setEnabled(changed);
}

void PreferencesWindow::updatePreferencesWindowDisplayFormatExamples() {
    const PreferencesRecord& p = preferencesCache_;
    dateFormatExampleLabel_->setText(
        toQString(DBInterface::dateFormatterForDateFormatStyleType(p.dateDisplayFormat)
                      .stringFromDate(now())));
    timeFormatExampleLabel_->setText(
        toQString(DBInterface::dateFormatterForTimeFormatStyleType(p.timeDisplayFormat)
                      .stringFromDate(now())));
    numberFormatExampleLabel_->setText(toQString(DBInterface::numberDisplayString(
        "1234.56", DBInterface::numberFormatterForNumberFormatStyleType(p.numberDisplayFormat))));
}

void PreferencesWindow::updatePreferencesWindowRightSide(int pane) {
    if (pane < 0 || pane >= rightSideBox_->count()) return;
    rightSideBox_->setCurrentIndex(pane);
}

void PreferencesWindow::toggleAppSetting(QAbstractButton* sender) {
    PreferencesRecord& p = preferencesCache_;
    bool on = sender && sender->isChecked();
    const std::pair<QAbstractButton*, bool*> flags[] = {
        {showSystemTablesButton_, &p.showSystemTables},
        {warnOnRowDeleteButton_, &p.warnOnRowDelete},
        {formatDataInRowsViewButton_, &p.formatDataInRowsView},
        {showNULLInRowsViewButton_, &p.showNULLInRowsView},
        {autoRefreshAllWindowsButton_, &p.autoRefreshAllWindows},
        {foreignKeyConstraintsButton_, &p.foreignKeyRestraints},
    };
    for (auto [button, flag] : flags) {
        if (button == sender) *flag = on;
    }
    for (size_t i = 0; i < typeButtons_.size(); ++i) {
        if (typeButtons_[i] != sender) continue;
        uint64_t bit = uint64_t{1} << i;
        p.typesToShow = on ? p.typesToShow | bit : p.typesToShow & ~bit;
    }
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::preferencesWindowDatesAndTimesIfNoTimeZonePopupValueChanged() {
    preferencesCache_.ifNoTimeZone = ifNoTimeZonePopUp_->currentIndex();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::preferencesWindowDateStorageFormatPopupValueChanged() {
    preferencesCache_.dateStorageFormat = dateStorageFormatPopUp_->currentIndex();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::preferencesWindowTimeStorageFormatPopupValueChanged() {
    preferencesCache_.timeStorageFormat = timeStorageFormatPopUp_->currentIndex();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::preferencesWindowLimitsLookupTableRowsPopupValueChanged() {
    preferencesCache_.lookupTableRowsLimit = lookupTableRowsLimitPopUp_->currentData().toInt();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::preferencesWindowDateDisplayFormatPopupValueChanged() {
    preferencesCache_.dateDisplayFormat = dateFormatPopUp_->currentData().toInt();
    updatePreferencesWindowDisplayFormatExamples();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::preferencesWindowTimeDisplayFormatPopupValueChanged() {
    int tag = timeFormatPopUp_->currentData().toInt();
    if (tag == kTimeStyleCustom) {
        openTimeFormatStyleWindow();
    } else {
        preferencesCache_.timeDisplayFormat =
            replacingStyleType(preferencesCache_.timeDisplayFormat, tag);
        updatePreferencesWindowDisplayFormatExamples();
    }
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::preferencesWindowNumberDisplayFormatPopupValueChanged() {
    int tag = numberFormatPopUp_->currentData().toInt();
    if (tag >= kFirstNumberStyleWithDigits && tag <= kLastNumberStyleWithDigits) {
        openNumberFormatStyleWindow(tag);
    } else {
        preferencesCache_.numberDisplayFormat =
            replacingStyleType(preferencesCache_.numberDisplayFormat, tag);
        updatePreferencesWindowDisplayFormatExamples();
    }
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::openTimeFormatStyleWindow() {
    int64_t code = preferencesCache_.timeDisplayFormat;
    timeFormatStyleWindowDateTableView_->clearSelection();
    timeFormatStyleWindowTimeOfDayTableView_->clearSelection();
    selectStyleRow(timeFormatStyleWindowDateTableView_, firstStyleParameter(code));
    selectStyleRow(timeFormatStyleWindowTimeOfDayTableView_, secondStyleParameter(code));
    timeFormatStyleDateTableTag_ = kTimeStyleCustom;
    preferencesCache_.oldTimeDisplayFormat = code;
    timeFormatStyleWindow_->open();
}

void PreferencesWindow::timeFormatStyleWindowDoneButtonPressed() {
    preferencesCache_.timeDisplayFormat = customTimeDisplayFormat(
        timeFormatStyleDateTableTag_, selectedRow(timeFormatStyleWindowDateTableView_),
        selectedRow(timeFormatStyleWindowTimeOfDayTableView_));
    timeFormatStyleWindow_->accept();
    updatePreferencesWindowDisplayFormatExamples();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::timeFormatStyleWindowCancelButtonPressed() {
    preferencesCache_.timeDisplayFormat = preferencesCache_.oldTimeDisplayFormat;
    updatePreferencesWindow();
    timeFormatStyleWindow_->reject();
}

void PreferencesWindow::openNumberFormatStyleWindow(int styleType) {
    int64_t code = preferencesCache_.numberDisplayFormat;
    minFractionDigitsTextField_->setText(QString::number(firstStyleParameter(code)));
    maxFractionDigitsTextField_->setText(QString::number(initialMaximumFractionDigits(code)));
    numberFormatStyleTag_ = styleType;
    preferencesCache_.oldNumberDisplayFormat = code;
    numberFormatStyleWindow_->open();
}

void PreferencesWindow::numberFormatStyleWindowDoneButtonPressed() {
    if (numberFormatStyleTag_ > kLastNumberStyleWithDigits) return;
    NumberStyleChoice choice = customNumberDisplayFormat(
        numberFormatStyleTag_, minFractionDigitsTextField_->text().toLongLong(),
        maxFractionDigitsTextField_->text().toLongLong());
    if (!choice.code) {
        // The sheet stays open for the user to correct the digits.
        Alert alert;
        alert.messageText = tr("Invalid number of fraction digits");
        alert.informativeText = toQString(choice.refusal);
        alert.beginSheetModalForWindow(numberFormatStyleWindow_);
        return;
    }
    preferencesCache_.numberDisplayFormat = *choice.code;
    numberFormatStyleWindow_->accept();
    updatePreferencesWindowDisplayFormatExamples();
    updatePreferencesWindowApplyButton();
}

void PreferencesWindow::numberFormatStyleWindowCancelButtonPressed() {
    preferencesCache_.numberDisplayFormat = preferencesCache_.oldNumberDisplayFormat;
    updatePreferencesWindow();
    numberFormatStyleWindow_->reject();
}

void PreferencesWindow::preferencesWindowApplyButtonPressed() {
    storePreferencesCacheToDefaults();
    updatePreferencesWindowApplyButton();
    if (applied_) applied_();
}

void PreferencesWindow::preferencesWindowRevertButtonPressed() {
    loadPreferencesCacheFromDefaults();
    updatePreferencesWindow();
}
