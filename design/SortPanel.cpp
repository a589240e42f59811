#include "design/SortPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "Common/DBInterface.h"
#include "design/PanelWindows.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

SortPanel::SortPanel(DatabaseWindow& window) : window_(window) {}

SortPanel::~SortPanel() {
    // The panel goes with us, though the database window stays.
    delete panel_.data();
}

QWidget* SortPanel::sortPanel() {
    if (!panel_) buildPanel();
    return panel_;
}

QComboBox* SortPanel::sortOnButton(size_t level) {
    sortPanel();
    return sortOnButtons_[level];
}

QComboBox* SortPanel::sortPanelThenOnROWIDButton() {
    sortPanel();
    return thenOnROWIDButton_;
}

QCheckBox* SortPanel::sortPanelSortedOnUniqueKeyButton() {
    sortPanel();
    return sortedOnUniqueKeyButton_;
}

QPushButton* SortPanel::sortPanelSortButton() {
    sortPanel();
    return sortButton_;
}

void SortPanel::buildPanel() {
    panel_ = makePanelWindow(window_, "sortPanel", "Sort");
    auto* layout = new QFormLayout(panel_);
    const char* names[] = {"sortPanelSortOnButton", "sortPanelThenOnButton",
                           "sortPanelThenOn2Button"};
    const char* labels[] = {"Sort on", "Then on", "Then on"};
    for (size_t level = 0; level < sortOnButtons_.size(); ++level) {
        sortOnButtons_[level] = new QComboBox(panel_);
        sortOnButtons_[level]->setObjectName(names[level]);
        // Sized by the fields of the table shown, which arrive after the panel is built.
        sortOnButtons_[level]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        layout->addRow(toQString(localizedString(labels[level])), sortOnButtons_[level]);
    }
    thenOnROWIDButton_ = new QComboBox(panel_);
    thenOnROWIDButton_->setObjectName("sortPanelThenOnROWIDButton");
    thenOnROWIDButton_->addItem(toQString(localizedString("ROWID ↑")), 1);
    thenOnROWIDButton_->addItem(toQString(localizedString("ROWID ↓")), 2);
    // Rows tied on the sort fields follow the first field's direction: this order applies only
    // where no sort field does.
    layout->addRow(toQString(localizedString("Without sort fields")), thenOnROWIDButton_);
    sortedOnUniqueKeyButton_ =
        new QCheckBox(toQString(localizedString("Sorted on unique key")), panel_);
    sortedOnUniqueKeyButton_->setObjectName("sortPanelSortedOnUniqueKeyButton");
    layout->addRow(sortedOnUniqueKeyButton_);
    sortButton_ = new QPushButton(toQString(localizedString("Sort")), panel_);
    sortButton_->setObjectName("sortPanelSortButton");
    sortButton_->setDefault(true);
    layout->addRow(sortButton_);
    connect(sortButton_, &QPushButton::clicked, this, [this] { sortPanelSortButtonPressed(); });
}

void SortPanel::selectedObjectDidChange() {
    if (!panel_ || !panel_->isVisible()) return;
    // There is nothing to order in an empty object.
    if (window_.state().dataPort.totalRows < 1) {
        panel_->hide();
        return;
    }
    updateSortPanel();
}

void SortPanel::windowWillClose() {
    if (panel_) panel_->hide();
}

void SortPanel::sortFieldsMenuItemClicked() {
    if (std::optional<std::string> name = window_.selectedTableNameIfOnlyOne()) {
        const auto& names = window_.state().selectedObject.tableNames;
        showTableSortFieldsForRowIndex(
            static_cast<int>(std::find(names.begin(), names.end(), *name) - names.begin()));
    } else if (!window_.selectedTableName()) {
        window_.showAlert(localizedString("No table selected"),
                          localizedString("Select a table in the list."), window_.window());
    } else {
        window_.showAlert(localizedString("Multiple tables selected"),
                          localizedString("Select only one table in the list."), window_.window());
    }
}

void SortPanel::showTableSortFieldsForRowIndex(int row) {
    if (row < 0 || row >= static_cast<int>(window_.state().selectedObject.tableNames.size())) {
        return;
    }
    if (!sortPanel()->isVisible()) {
        updateSortPanel();
        panel_->adjustSize();
        placePanelBelowTablesListRow(panel_, window_, row);
    }
    bringPanelToFront(panel_);
}

void SortPanel::updateSortPanel() {
    if (!panel_) return;
    updateSortPanelSortOnPopUpButtons();
    updateSortPanelSortButtons();
    // An open panel grows to the longest field name with its arrow of the table now shown.
    if (panel_->isVisible()) panel_->resize(panel_->size().expandedTo(panel_->sizeHint()));
}

void SortPanel::updateSortPanelSortOnPopUpButtons() {
    sortPanel();
    for (QComboBox* button : sortOnButtons_) button->clear();
    const TablesAndRowsState& state = window_.state();
    if (!window_.selectedTableNameIfOnlyOne() ||
        state.selectedObject.tableType != DBInterface::kSchemaTable) {
        return;
    }
    if (!state.fieldModel.fieldTypes.empty()) {
        // An item's index is its tag, the sort code it stands for.
        QStringList titles{toQString(localizedString("(None)"))};
        for (const std::string& name : state.fieldModel.fieldNames) {
            titles << toQString(localizedFormat("%@ ↑", {name}))
                   << toQString(localizedFormat("%@ ↓", {name}));
        }
        const std::vector<int>& codes = state.sortAndSearch.sortCodes;
        for (size_t level = 0; level < sortOnButtons_.size(); ++level) {
            QComboBox* button = sortOnButtons_[level];
            for (int tag = 0; tag < titles.size(); ++tag) button->addItem(titles[tag], tag);
            int code = level < codes.size() ? codes[level] : 0;
            button->setCurrentIndex(code >= 0 && code < titles.size() ? code : -1);
        }
    }
    thenOnROWIDButton_->setCurrentIndex(
        thenOnROWIDButton_->findData(state.sortAndSearch.sortByROWIDCode == 2 ? 2 : 1));
}

void SortPanel::updateSortPanelSortButtons() {
    sortPanel();
    const TablesAndRowsState& state = window_.state();
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    bool enabled[3] = {false, false, false};
    bool rowidEnabled = false, uniqueKeyEnabled = false, uniqueKeyOn = false;
    if (name && state.databaseFilePath) {
        int32_t kind = state.selectedObject.tableType;
        bool editable = state.selectedObject.selectedObjectStatus == DBInterface::kObjectEditable;
        if (kind == DBInterface::kSchemaTable) {
            size_t fields = state.fieldModel.fieldTypes.size();
            const std::vector<int>& codes = state.sortAndSearch.sortCodes;
            auto keySet = [&](size_t level) { return level < codes.size() && codes[level] != 0; };
            enabled[0] = fields >= 1;
            enabled[1] = fields >= 2 && keySet(0);
            enabled[2] = fields >= 3 && keySet(0) && keySet(1);
            rowidEnabled = editable;
        }
        uniqueKeyEnabled =
            kind == DBInterface::kSchemaView || (kind == DBInterface::kSchemaTable && !editable);
        uniqueKeyOn = editable || DBInterface::isObjectSortedOnUniqueKey(
                                      *name, *state.databaseFilePath, nullptr);
    }
    for (size_t level = 0; level < sortOnButtons_.size(); ++level) {
        sortOnButtons_[level]->setEnabled(enabled[level]);
    }
    thenOnROWIDButton_->setEnabled(rowidEnabled);
    sortedOnUniqueKeyButton_->setEnabled(uniqueKeyEnabled);
    sortedOnUniqueKeyButton_->setChecked(uniqueKeyOn);
    sortButton_->setEnabled(uniqueKeyEnabled || rowidEnabled || enabled[0]);
}

void SortPanel::sortPanelSortButtonPressed() {
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    TablesAndRowsState& state = window_.state();
    if (!name || !state.databaseFilePath) return;
    sortPanel();
    const std::string path = *state.databaseFilePath;
    // The mark of an editable table is not the user's to change: its box only shows it.
    bool markChanged = false;
    bool markWanted = sortedOnUniqueKeyButton_->isChecked();
    if (sortedOnUniqueKeyButton_->isEnabled() &&
        DBInterface::isObjectSortedOnUniqueKey(*name, path, nullptr) != markWanted) {
        std::string error;
        if (DBInterface::updateSystemTable(*name, DBInterface::kTableFlagSortedOnUniqueKey,
                                           markWanted, path, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
        } else {
            markChanged = true;
        }
    }
    // Only a table has sort fields: the pop-ups of anything else are empty, not a choice.
    bool sortChanged =
        state.selectedObject.tableType == DBInterface::kSchemaTable && storeSortChoice(*name, path);
    if (!markChanged && !sortChanged) return;
    // The cell the edit-field panel stood on moves with the new order.
    window_.closeEditFieldPanel();
    // Every console reads the object again under the settings just stored.
    window_.reloadSelectedDatabaseObject();
    updateSortPanelSortButtons();
}

bool SortPanel::storeSortChoice(const std::string& name, const std::string& path) {
    auto& sort = window_.state().sortAndSearch;
    std::vector<int> codes;
    for (QComboBox* button : sortOnButtons_) codes.push_back(button->currentData().toInt());
    uint64_t rowidCode = thenOnROWIDButton_->currentData().toInt() == 2 ? 2 : 1;
    // A stored order whose indexes a build cut short never made is stored and built again.
    bool codesChanged = sort.sortCodes.size() < codes.size() ||
                        !std::equal(codes.begin(), codes.end(), sort.sortCodes.begin()) ||
                        !DBInterface::hasSortIndexes(codes, name, path);
    bool rowidChanged = rowidCode != sort.sortByROWIDCode;
    if (!codesChanged && !rowidChanged) return false;
    std::string error;
    if (codesChanged) {
        // With their indexes, or not at all: an order without them sorts every page it reads.
        if (DBInterface::updateSortCodesAndIndexes(codes, name, path, &error) != 0) {
            window_.shell().showErrorAlert(error);
            return false;
        }
        sort.sortCodes = codes;
    }
    if (rowidChanged) {
        if (DBInterface::updateSortByROWIDCode(rowidCode, name, path, &error) != 0) {
            window_.showErrorAlert(error, window_.window());
            error.clear();
        } else {
            sort.sortByROWIDCode = rowidCode;
        }
    }
    return true;
}
