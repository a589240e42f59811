#include "design/PickerTypesWindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "Common/DBInterface.h"
#include "design/PanelWindows.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/ReorderDrag.h"

namespace {
struct PresetList {
    const char* name;
    std::vector<const char*> values;
};

const std::vector<PresetList>& presets() {
    static const std::vector<PresetList> lists = {
        {"New Picker", {}},
        {"Yes/No", {"Yes", "No"}},
        {"Excellent/Fair/Poor", {"Excellent", "Fair", "Poor"}},
        {"1/2/3/4/5", {"1", "2", "3", "4", "5"}},
        {"A/B/C/D/F", {"A", "B", "C", "D", "F"}},
        {"Started/Completed", {"Started", "In Progress", "Completed"}},
    };
    return lists;
}

std::vector<int> selectedRowsOf(const QTableWidget* table, int listed) {
    std::vector<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
        if (index.row() < listed) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}
}  // namespace

PickerTypesWindow::PickerTypesWindow(DatabaseWindow& window) : window_(window) {}

PickerTypesWindow::~PickerTypesWindow() {
    // The window goes with us, though the database window stays.
    delete pickerWindow_.data();
}

QWidget* PickerTypesWindow::pickerTypesWindow() {
    if (!pickerWindow_) buildWindow();
    return pickerWindow_;
}

QTableWidget* PickerTypesWindow::pickerTypesWindowTypesTableView() {
    pickerTypesWindow();
    return typesTable_;
}

QTableWidget* PickerTypesWindow::pickerTypesWindowValuesTableView() {
    pickerTypesWindow();
    return valuesTable_;
}

QPushButton* PickerTypesWindow::pickerTypesWindowDeleteTypeButton() {
    pickerTypesWindow();
    return deleteTypeButton_;
}

QPushButton* PickerTypesWindow::pickerTypesWindowAddValueButton() {
    pickerTypesWindow();
    return addValueButton_;
}

QPushButton* PickerTypesWindow::pickerTypesWindowDeleteValueButton() {
    pickerTypesWindow();
    return deleteValueButton_;
}

void PickerTypesWindow::buildWindow() {
    pickerWindow_ = makePanelWindow(window_, "pickerTypesWindow", "Pickers");
    auto* layout = new QHBoxLayout(pickerWindow_);

    auto* typesSide = new QVBoxLayout;
    typesTable_ = new QTableWidget(0, 2, pickerWindow_);
    typesTable_->setObjectName("pickerTypesWindowTypesTableView");
    typesTable_->setHorizontalHeaderLabels(
        {localizedText("Picker"), localizedText("Multiple Choice")});
    typesTable_->horizontalHeader()->setSectionResizeMode(PTNameTC, QHeaderView::Stretch);
    typesTable_->verticalHeader()->hide();
    typesTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    typesTable_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::SelectedClicked);
    typesSide->addWidget(typesTable_, 1);
    auto* typeButtons = new QHBoxLayout;
    auto* addTypeButton = new QToolButton(pickerWindow_);
    addTypeButton->setObjectName("pickerTypesWindowAddTypeButton");
    addTypeButton->setText(localizedText("Add Picker"));
    addTypeButton->setPopupMode(QToolButton::InstantPopup);
    auto* presetMenu = new QMenu(addTypeButton);
    for (int tag = 0; tag < static_cast<int>(presets().size()); ++tag) {
        presetMenu->addAction(localizedText(presets()[static_cast<size_t>(tag)].name),
                              [this, tag] { addPickerType(tag); });
    }
    addTypeButton->setMenu(presetMenu);
    deleteTypeButton_ = new QPushButton(localizedText("Delete Picker"), pickerWindow_);
    deleteTypeButton_->setObjectName("pickerTypesWindowDeleteTypeButton");
    typeButtons->addWidget(addTypeButton);
    typeButtons->addWidget(deleteTypeButton_);
    typeButtons->addStretch(1);
    typesSide->addLayout(typeButtons);
    layout->addLayout(typesSide, 3);

    auto* valuesSide = new QVBoxLayout;
    valuesTable_ = new QTableWidget(0, 1, pickerWindow_);
    valuesTable_->setObjectName("pickerTypesWindowValuesTableView");
    valuesTable_->setHorizontalHeaderLabels({localizedText("Values")});
    valuesTable_->horizontalHeader()->setStretchLastSection(true);
    valuesTable_->verticalHeader()->hide();
    valuesTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    valuesTable_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                  QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::SelectedClicked);
    new ReorderDrag(valuesTable_, kPickerValuesTableViewDataType,
                    [this](const std::vector<int>& rows, int destination) {
                        movePickerValues(rows, destination);
                    });
    valuesSide->addWidget(valuesTable_, 1);
    auto* valueButtons = new QHBoxLayout;
    addValueButton_ = new QPushButton(localizedText("Add Value"), pickerWindow_);
    addValueButton_->setObjectName("pickerTypesWindowAddValueButton");
    deleteValueButton_ = new QPushButton(localizedText("Delete Value"), pickerWindow_);
    deleteValueButton_->setObjectName("pickerTypesWindowDeleteValueButton");
    valueButtons->addWidget(addValueButton_);
    valueButtons->addWidget(deleteValueButton_);
    valueButtons->addStretch(1);
    valuesSide->addLayout(valueButtons);
    layout->addLayout(valuesSide, 2);
    pickerWindow_->resize(560, 320);

    connect(deleteTypeButton_, &QPushButton::clicked, this, [this] { deletePickerType(); });
    connect(addValueButton_, &QPushButton::clicked, this, [this] { addPickerValue(); });
    connect(deleteValueButton_, &QPushButton::clicked, this, [this] { deletePickerValue(); });
    connect(typesTable_, &QTableWidget::itemSelectionChanged, this, [this] {
        if (reloading_) return;
        reloadValuesTable();
        updateButtons();
    });
    connect(valuesTable_, &QTableWidget::itemSelectionChanged, this, [this] { updateButtons(); });
    connect(typesTable_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { typeItemChanged(item); });
    connect(valuesTable_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { valueItemChanged(item); });
    updateButtons();
}

void PickerTypesWindow::selectedObjectDidChange() {
    // Another database shown in the window: a window shown lists its pickers.
    if (pickerWindow_ && pickerWindow_->isVisible()) {
        reloadTypesTable();
        reloadValuesTable();
    }
}

void PickerTypesWindow::windowWillClose() {
    if (pickerWindow_) pickerWindow_->hide();
}

std::string PickerTypesWindow::databaseFilePath() const {
    return window_.state().databaseFilePath.value_or(std::string());
}

void PickerTypesWindow::showPickerTypesWindow() {
    pickerTypesWindow();
    window_.reloadPickerTypes();
    reloadTypesTable();
    reloadValuesTable();
    if (!pickerWindow_->isVisible()) placePanelBesideTablesList(pickerWindow_, window_);
    bringPanelToFront(pickerWindow_);
}

void PickerTypesWindow::reloadTypesTable() {
    reloading_ = true;
    const auto& pickers = window_.state().pickerTypes;
    const int selected = selectedTypeRow();
    typesTable_->clearContents();
    typesTable_->setRowCount(static_cast<int>(pickers.pickerTypeArrays.size()));
    for (int row = 0; row < typesTable_->rowCount(); ++row) {
        const auto& [rowid, name] = pickers.pickerTypeArrays[static_cast<size_t>(row)];
        typesTable_->setItem(row, PTNameTC, new QTableWidgetItem(toQString(name)));
        auto* check = new QCheckBox(typesTable_);
        auto dictionary = pickers.pickerTypeDictionaries.find(rowid);
        check->setChecked(dictionary != pickers.pickerTypeDictionaries.end() &&
                          (std::atoll(dictionary->second.flags.c_str()) & kMultipleChoiceFlag));
        connect(check, &QCheckBox::clicked, this,
                [this, row](bool checked) { multipleChoiceCheckBoxPressed(row, checked); });
        typesTable_->setCellWidget(row, PTMultipleChoiceTC, check);
    }
    if (selected >= 0 && selected < typesTable_->rowCount()) typesTable_->selectRow(selected);
    reloading_ = false;
    updateButtons();
}

void PickerTypesWindow::reloadValuesTable() {
    reloading_ = true;
    const std::vector<std::string>* values = selectedTypeValues();
    const int typeRow = selectedTypeRow();
    valuesTypeRowid_ =
        typeRow < 0
            ? std::string()
            : window_.state().pickerTypes.pickerTypeArrays[static_cast<size_t>(typeRow)].first;
    const int count = values ? static_cast<int>(values->size() / 2) : 0;
    valuesTable_->clearContents();
    valuesTable_->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        const std::string& name = (*values)[static_cast<size_t>(2 * row + 1)];
        auto* item = new QTableWidgetItem(toQString(name));
        valuesTable_->setItem(row, 0, item);
    }
    reloading_ = false;
    updateButtons();
}

void PickerTypesWindow::updateButtons() {
    const bool type = selectedTypeRow() >= 0;
    deleteTypeButton_->setEnabled(type);
    addValueButton_->setEnabled(type);
    deleteValueButton_->setEnabled(type && !selectedValueRows().empty());
}

int PickerTypesWindow::selectedTypeRow() const {
    if (!typesTable_) return -1;
    const int listed = static_cast<int>(window_.state().pickerTypes.pickerTypeArrays.size());
    std::vector<int> rows = selectedRowsOf(typesTable_, listed);
    if (rows.empty()) return -1;
    const int current = typesTable_->currentRow();
    return std::find(rows.begin(), rows.end(), current) != rows.end() ? current : rows.front();
}

const std::vector<std::string>* PickerTypesWindow::selectedTypeValues() const {
    const int row = selectedTypeRow();
    if (row < 0) return nullptr;
    const auto& pickers = window_.state().pickerTypes;
    auto found =
        pickers.pickerValues.find(pickers.pickerTypeArrays[static_cast<size_t>(row)].first);
    return found == pickers.pickerValues.end() ? nullptr : &found->second;
}

std::vector<int> PickerTypesWindow::selectedValueRows() const {
    const std::vector<std::string>* values = selectedTypeValues();
    return values ? selectedRowsOf(valuesTable_, static_cast<int>(values->size() / 2))
                  : std::vector<int>();
}

void PickerTypesWindow::reloadAfterChange() {
    const auto& arrays = window_.state().pickerTypes.pickerTypeArrays;
    const int row = selectedTypeRow();
    const std::string rowid = row >= 0 ? arrays[static_cast<size_t>(row)].first : "";
    window_.reloadPickerTypes();
    reloadTypesTable();
    // The type stays selected where its name put it now.
    typesTable_->clearSelection();
    for (size_t i = 0; i < arrays.size(); ++i) {
        if (arrays[i].first == rowid) typesTable_->selectRow(static_cast<int>(i));
    }
    reloadValuesTable();
}

void PickerTypesWindow::addPickerType(int tag) {
    if (tag < 0 || tag >= static_cast<int>(presets().size())) return;
    const PresetList& preset = presets()[static_cast<size_t>(tag)];
    std::string error;
    int rc = 0;
    if (preset.values.empty()) {
        rc = DBInterface::addPickerType(localizedString(preset.name), databaseFilePath(), &error);
    } else {
        std::vector<std::string> values;
        for (const char* value : preset.values) values.push_back(localizedString(value));
        rc = DBInterface::addPickerType(localizedString(preset.name), values, databaseFilePath(),
                                        &error);
    }
    if (rc != 0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    reloadAfterChange();
}

void PickerTypesWindow::showNoPickerSelected(const char* info) {
    window_.showInfoAlert(localizedString("No picker selected"), localizedString(info), nullptr);
}

bool PickerTypesWindow::confirmDeletion(const char* message) {
    Alert alert;
    alert.messageText = localizedText(message);
    alert.informativeText = localizedText("This cannot be undone!");
    alert.buttons = {localizedText("Delete"), localizedText("Cancel")};
    return alert.runModal() == 0;
}

void PickerTypesWindow::deletePickerType() {
    pickerTypesWindow();
    const auto& arrays = window_.state().pickerTypes.pickerTypeArrays;
    std::vector<int> rows = selectedRowsOf(typesTable_, static_cast<int>(arrays.size()));
    if (rows.empty()) {
        showNoPickerSelected("Select a Picker to delete");
        return;
    }
    if (!confirmDeletion("Delete selected pickers?")) return;
    std::vector<std::string> rowids;
    for (int row : rows) rowids.push_back(arrays[static_cast<size_t>(row)].first);
    std::string error;
    if (DBInterface::deletePickerTypes(rowids, databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    typesTable_->clearSelection();
    reloadAfterChange();
}

void PickerTypesWindow::addPickerValue() {
    pickerTypesWindow();
    const int row = selectedTypeRow();
    if (row < 0) {
        showNoPickerSelected("Select a Picker to add picker values to");
        return;
    }
    const std::string& rowid =
        window_.state().pickerTypes.pickerTypeArrays[static_cast<size_t>(row)].first;
    std::string error;
    if (DBInterface::addPickerValue(localizedString("New Picker Value"), rowid, databaseFilePath(),
                                    &error) != 0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    reloadAfterChange();
}

void PickerTypesWindow::deletePickerValue() {
    pickerTypesWindow();
    const std::vector<std::string>* values = selectedTypeValues();
    if (selectedTypeRow() < 0) {
        showNoPickerSelected("Select a Picker to delete picker values from");
        return;
    }
    std::vector<int> rows = selectedValueRows();
    if (rows.empty()) {
        window_.showInfoAlert(localizedString("No picker values selected"),
                              localizedString("Select Picker Values to delete"), nullptr);
        return;
    }
    if (!confirmDeletion("Delete selected picker values?")) return;
    std::vector<std::string> rowids;
    for (int row : rows) rowids.push_back((*values)[static_cast<size_t>(2 * row)]);
    std::string error;
    if (DBInterface::deletePickerValues(rowids, databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    reloadAfterChange();
}

void PickerTypesWindow::multipleChoiceCheckBoxPressed(int row, bool checked) {
    auto& pickers = window_.state().pickerTypes;
    if (row < 0 || row >= static_cast<int>(pickers.pickerTypeArrays.size())) return;
    const std::string rowid = pickers.pickerTypeArrays[static_cast<size_t>(row)].first;
    auto dictionary = pickers.pickerTypeDictionaries.find(rowid);
    if (dictionary == pickers.pickerTypeDictionaries.end()) return;
    std::string error;
    if (DBInterface::changePickerType(rowid, kMultipleChoiceFlag, checked, databaseFilePath(),
                                      &error) != 0) {
        window_.showErrorAlert(error, window_.window());
        return;
    }
    int64_t flags = std::atoll(dictionary->second.flags.c_str());
    flags = checked ? flags | kMultipleChoiceFlag : flags & ~kMultipleChoiceFlag;
    dictionary->second.flags = std::to_string(flags);
}

void PickerTypesWindow::typeItemChanged(QTableWidgetItem* item) {
    if (reloading_ || item->column() != PTNameTC) return;
    // The type of the edited row, whatever is selected by the time the edit ends.
    const auto& arrays = window_.state().pickerTypes.pickerTypeArrays;
    const auto row = static_cast<size_t>(item->row());
    if (row >= arrays.size()) return;
    std::string error;
    if (DBInterface::updatePickerType(toStdString(item->text()), arrays[row].first,
                                      databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
    }
    // Queued: the table must not be rebuilt under the editor that is closing.
    QMetaObject::invokeMethod(
        this, [this] { reloadAfterChange(); }, Qt::QueuedConnection);
}

void PickerTypesWindow::valueItemChanged(QTableWidgetItem* item) {
    if (reloading_) return;
    // The value of the edited row of the type shown, whatever is selected by now.
    const auto& pickerValues = window_.state().pickerTypes.pickerValues;
    auto values = pickerValues.find(valuesTypeRowid_);
    const auto row = static_cast<size_t>(item->row());
    if (values == pickerValues.end() || 2 * row + 1 >= values->second.size()) return;
    std::string error;
    if (DBInterface::updatePickerValue(toStdString(item->text()), values->second[2 * row],
                                       databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
    }
    QMetaObject::invokeMethod(
        this, [this] { reloadAfterChange(); }, Qt::QueuedConnection);
}

void PickerTypesWindow::movePickerValues(std::vector<int> rows, int destinationRow) {
    const int typeRow = selectedTypeRow();
    const std::vector<std::string>* values = selectedTypeValues();
    // Nothing to store without a type, but the list still shows what is stored.
    if (!values) {
        reloadValuesTable();
        return;
    }
    std::vector<std::string> names;
    for (size_t i = 1; i < values->size(); i += 2) names.push_back((*values)[i]);
    const std::vector<std::string> kept =
        reordered(names, placeholderOrder(names.size(), std::move(rows), destinationRow));
    const std::string rowid =
        window_.state().pickerTypes.pickerTypeArrays[static_cast<size_t>(typeRow)].first;
    std::string error;
    if (DBInterface::updatePickerValues(kept, rowid, databaseFilePath(), &error) != 0) {
        window_.shell().showErrorAlert(error);
        return;
    }
    reloadAfterChange();
}
