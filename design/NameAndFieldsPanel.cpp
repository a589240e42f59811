#include "design/NameAndFieldsPanel.h"

#include <sys/stat.h>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "Common/DBInterface.h"
#include "design/FieldTypeMenu.h"
#include "design/FormatStyleSheet.h"
#include "design/FormatStyles.h"
#include "design/PanelWindows.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/MenuCheckMarks.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/MenuItemStates.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/ReorderDrag.h"

namespace {
constexpr int kMaximumTableNameSuffix = 99;

// The sheet kind of a field type; nullopt for types without display formats.
std::optional<FormatStyleSheet::Kind> sheetKindForType(int type) {
    switch (type) {
        case DBInterface::kFieldTypeNumber:
            return FormatStyleSheet::Kind::Number;
        case DBInterface::kFieldTypeDate:
            return FormatStyleSheet::Kind::Date;
        case DBInterface::kFieldTypeTime:
            return FormatStyleSheet::Kind::Time;
        default:
            return std::nullopt;
    }
}

template <typename T>
void eraseRows(std::vector<T>& list, const std::vector<int>& descendingRows) {
    for (int row : descendingRows) list.erase(list.begin() + row);
}

}  // namespace

NameAndFieldsPanel::NameAndFieldsPanel(DatabaseWindow& window) : window_(window) {}

NameAndFieldsPanel::~NameAndFieldsPanel() {
    // The panel goes with us, though the database window stays.
    delete panel_.data();
}

FormatStyleSheet* NameAndFieldsPanel::formatStyleSheet() const {
    return sheet_;
}

QWidget* NameAndFieldsPanel::nameAndFieldsPanel() {
    if (!panel_) buildPanel();
    return panel_;
}

QLineEdit* NameAndFieldsPanel::nameAndFieldsPanelTableNameField() {
    nameAndFieldsPanel();
    return tableNameField_;
}

QTableWidget* NameAndFieldsPanel::nameAndFieldsPanelTableView() {
    nameAndFieldsPanel();
    return table_;
}

QPushButton* NameAndFieldsPanel::nameAndFieldsPanelCreateButton() {
    nameAndFieldsPanel();
    return createButton_;
}

QLabel* NameAndFieldsPanel::nameAndFieldsPanelErrorLabel() {
    nameAndFieldsPanel();
    return errorLabel_;
}

QPushButton* NameAndFieldsPanel::nameAndFieldsPanelErrorDetailButton() {
    nameAndFieldsPanel();
    return errorDetailButton_;
}

QLabel* NameAndFieldsPanel::nameAndFieldsPanelHelpLabel() {
    nameAndFieldsPanel();
    return helpLabel_;
}

QComboBox* NameAndFieldsPanel::nameAndFieldsPanelSpecialPopUpButton() {
    nameAndFieldsPanel();
    return specialPopUp_;
}

void NameAndFieldsPanel::buildPanel() {
    panel_ = makePanelWindow(window_, "nameAndFieldsPanel", "New Table");
    auto* layout = new QVBoxLayout(panel_);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(localizedText("Table Name:"), panel_));
    tableNameField_ = new QLineEdit(panel_);
    tableNameField_->setObjectName("nameAndFieldsPanelTableNameField");
    nameRow->addWidget(tableNameField_, 1);
    layout->addLayout(nameRow);

    table_ = new QTableWidget(0, 2, panel_);
    table_->setObjectName("nameAndFieldsPanelTableView");
    table_->setHorizontalHeaderLabels({localizedText("Field Name"), localizedText("Type")});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setColumnWidth(FieldNameColumn, 200);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::SelectedClicked);
    new ReorderDrag(
        table_, kAddTableViewDataType,
        [this](const std::vector<int>& rows, int destination) {
            nameAndFieldsPanelMoveFieldRows(rows, destination);
        },
        [this] { return isFieldTableEditable(); });
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(table_, 1);

    auto* fieldButtons = new QHBoxLayout;
    addFieldButton_ = new QPushButton("+", panel_);
    addFieldButton_->setObjectName("nameAndFieldsPanelAddFieldButton");
    deleteFieldButton_ = new QPushButton("-", panel_);
    deleteFieldButton_->setObjectName("nameAndFieldsPanelDeleteFieldButton");
    helpLabel_ =
        new QLabel(localizedText("Right-click a field to set its display format."), panel_);
    helpLabel_->setObjectName("nameAndFieldsPanelHelpLabel");
    helpLabel_->hide();
    fieldButtons->addWidget(addFieldButton_);
    fieldButtons->addWidget(deleteFieldButton_);
    fieldButtons->addWidget(helpLabel_, 1);
    fieldButtons->addStretch(1);
    layout->addLayout(fieldButtons);

    auto* specialRow = new QHBoxLayout;
    specialPopUp_ = new QComboBox(panel_);
    specialPopUp_->setObjectName("nameAndFieldsPanelSpecialPopUpButton");
    specialPopUp_->addItem(localizedText("Ordinary Table"), OrdinaryTable);
    specialPopUp_->addItem(localizedText("Lookup Table"), LookupTable);
    specialPopUp_->addItem(localizedText("Picker Table (Add Choices)"), AppendingPickerTable);
    specialPopUp_->addItem(localizedText("Picker Table (Replace Value)"), ReplacingPickerTable);
    specialRow->addWidget(new QLabel(localizedText("Special:"), panel_));
    specialRow->addWidget(specialPopUp_, 1);
    layout->addLayout(specialRow);

    auto* messageRow = new QHBoxLayout;
    errorLabel_ = new QLabel(panel_);
    errorLabel_->setObjectName("nameAndFieldsPanelErrorLabel");
    errorLabel_->setWordWrap(true);
    errorDetailButton_ = new QPushButton("?", panel_);
    errorDetailButton_->setObjectName("nameAndFieldsPanelErrorDetailButton");
    errorDetailButton_->hide();
    createButton_ = new QPushButton(localizedText("Create"), panel_);
    createButton_->setObjectName("nameAndFieldsPanelCreateButton");
    createButton_->setDefault(true);
    messageRow->addWidget(errorLabel_, 1);
    messageRow->addWidget(errorDetailButton_);
    messageRow->addWidget(createButton_);
    layout->addLayout(messageRow);
    panel_->resize(460, 420);

    connect(addFieldButton_, &QPushButton::clicked, this,
            [this] { nameAndFieldsPanelAddFieldButtonPressed(); });
    connect(deleteFieldButton_, &QPushButton::clicked, this,
            [this] { nameAndFieldsPanelDeleteFieldButtonPressed(); });
    connect(createButton_, &QPushButton::clicked, this, [this] { addTableNow(); });
    connect(errorDetailButton_, &QPushButton::clicked, this,
            [this] { addTablePopoverErrorDetailButtonPressed(); });
    connect(table_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { fieldNameItemChanged(item); });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { updateNameAndFieldsPanelHelpLabel(); });
    connect(table_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // A right click on a row outside the selection selects that row alone.
        int clicked = table_->rowAt(at.y());
        if (clicked >= 0 && !table_->selectionModel()->isRowSelected(clicked, QModelIndex())) {
            table_->selectRow(clicked);
        }
        std::vector<int> selected = selectedFieldRows();
        QMenu menu;
        QAction* rename = menu.addAction(localizedText("Rename"),
                                         [this] { nameAndFieldsPanelRenameMenuItemClicked(); });
        rename->setObjectName("nameAndFieldsPanelRenameMenuItemClicked");
        rename->setEnabled(selected.size() == 1 && isFieldTableEditable());
        QAction* style = menu.addAction(localizedText("Display Format..."),
                                        [this] { nameAndFieldsPanelStyleMenuItemClicked(); });
        style->setObjectName("nameAndFieldsPanelStyleMenuItemClicked");
        style->setEnabled(isNameAndFieldsStyleEnabled(selected, rows_.types, rows_.formatStyles));
        QAction* expanded = menu.addAction(localizedText("Show Expanded"), [this] {
            nameAndFieldsPanelShowExpandedMenuItemClicked();
        });
        expanded->setObjectName("nameAndFieldsPanelShowExpandedMenuItemClicked");
        expanded->setEnabled(!selected.empty());
        std::vector<int64_t> styles;
        for (int row : selected) styles.push_back(rows_.formatStyles[static_cast<size_t>(row)]);
        setMenuItemState(expanded, showExpandedMenuItemState(styles));
        menu.exec(table_->viewport()->mapToGlobal(at));
    });
}

void NameAndFieldsPanel::selectedObjectDidChange() {
    if (!panel_ || !panel_->isVisible()) return;
    if (!isFilledDatabaseShown()) {
        followDatabaseChange();
        return;
    }
    updateDeleteFieldButton();
    if (!changeExistingTable_) return;
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    const auto& names = window_.state().selectedObject.tableNames;
    auto found = name ? std::find(names.begin(), names.end(), *name) : names.end();
    // Without one object the panel keeps what it shows, and what it compares with.
    if (found != names.end())
        updateNameAndFieldsPanelViews(static_cast<int>(found - names.begin()));
}

namespace {

std::optional<std::pair<uint64_t, uint64_t>> fileIdentity(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return std::make_pair(static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino));
}

}  // namespace

void NameAndFieldsPanel::noteFilledDatabase() {
    filledDatabasePath_ = databaseFilePath();
    filledDatabaseIdentity_ = fileIdentity(filledDatabasePath_);
}

bool NameAndFieldsPanel::isFilledDatabaseShown() const {
    const std::string path = databaseFilePath();
    if (path == filledDatabasePath_) return true;
    // A renamed database is still the one the panel was filled from.
    return filledDatabaseIdentity_ && fileIdentity(path) == filledDatabaseIdentity_;
}

bool NameAndFieldsPanel::hasUnappliedEdits() {
    storeTypedFieldNames();
    return rows_ != old_ || toStdString(tableNameField_->text().trimmed()) != filledTableName_ ||
           specialPopUp_->currentData().toInt() != filledSpecialTag_;
}

void NameAndFieldsPanel::followDatabaseChange() {
    if (hasUnappliedEdits()) {
        const std::string name = changeExistingTable_ ? oldTableName_ : filledTableName_;
        panel_->hide();
        window_.showInfoAlert(
            localizedString("Changes Not Applied"),
            localizedFormat("The changes to table \"%@\" were not applied: the window now shows "
                            "another database.",
                            {name}),
            window_.window());
    } else if (!changeExistingTable_) {
        addTableButtonPressed();
    } else if (window_.selectedTableNameIfOnlyOne()) {
        showNameAndFieldsPanel();
    } else {
        panel_->hide();
    }
}

bool NameAndFieldsPanel::isNameAndFieldsPanelVisible() const {
    return panel_ && panel_->isVisible();
}

void NameAndFieldsPanel::windowWillClose() {
    if (panel_) panel_->hide();
}

std::string NameAndFieldsPanel::databaseFilePath() const {
    return window_.state().databaseFilePath.value_or(std::string());
}

std::string NameAndFieldsPanel::defaultNewTableName() const {
    const auto& names = window_.state().selectedObject.tableNames;
    auto taken = [&](const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    const std::string base = localizedString("MyTable");
    if (!taken(base)) return base;
    for (int number = 2; number <= kMaximumTableNameSuffix; ++number) {
        std::string name = localizedFormat("%@_%ld", {base, std::to_string(number)});
        if (!taken(name)) return name;
    }
    return base;
}

void NameAndFieldsPanel::addTableButtonPressed() {
    nameAndFieldsPanel();
    createButton_->setText(localizedText("Create"));
    errorLabel_->clear();
    errorDetailButton_->hide();
    tableNameField_->setEnabled(true);
    tableNameField_->setReadOnly(false);
    rows_ = {};
    old_ = {};
    oldFieldIndices_.clear();
    oldTableName_.clear();
    changeExistingTable_ = false;
    reloadFieldTable();
    addFieldButton_->show();
    deleteFieldButton_->show();
    updateDeleteFieldButton();
    noteFilledDatabase();
    filledTableName_ = defaultNewTableName();
    tableNameField_->setText(toQString(filledTableName_));
    if (!panel_->isVisible()) {
        specialPopUp_->setCurrentIndex(specialPopUp_->findData(OrdinaryTable));
        placePanelBesideTablesList(panel_, window_);
    }
    filledSpecialTag_ = specialPopUp_->currentData().toInt();
    panel_->setWindowTitle(localizedText("New Table"));
    bringPanelToFront(panel_);
}

void NameAndFieldsPanel::showNameAndFieldsPanel() {
    nameAndFieldsPanel();
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    if (!name) {
        bool none = !window_.selectedTableName();
        window_.showInfoAlert(
            localizedString(none ? "No table selected" : "Multiple tables selected"),
            localizedString(none ? "Select a table in the list."
                                 : "Select only one table in the list."),
            window_.window());
        return;
    }
    const auto& names = window_.state().selectedObject.tableNames;
    auto found = std::find(names.begin(), names.end(), *name);
    if (found == names.end()) return;
    int row = static_cast<int>(found - names.begin());
    if (!panel_->isVisible()) placePanelBelowTablesListRow(panel_, window_, row);
    createButton_->setText(localizedText("Change"));
    changeExistingTable_ = true;
    updateNameAndFieldsPanelViews(row);
    updateNameAndFieldsPanelHelpLabel();
    bringPanelToFront(panel_);
}

void NameAndFieldsPanel::updateNameAndFieldsPanelViews(int row) {
    nameAndFieldsPanel();
    const TablesAndRowsState& state = window_.state();
    const auto& names = state.selectedObject.tableNames;
    if (row < 0 || row >= static_cast<int>(names.size())) return;
    const std::string name = names[static_cast<size_t>(row)];
    auto entry = state.selectedObject.allTables.find(name);
    const int kind = entry == state.selectedObject.allTables.end()
                         ? DBInterface::kSchemaTable
                         : DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type);
    const auto& special = state.fieldModel.specialTableTypeDictionary;
    auto specialEntry = special.find(name);
    const bool isTable = kind == DBInterface::kSchemaTable;
    addFieldButton_->setVisible(isTable);
    deleteFieldButton_->setVisible(isTable);
    updateDeleteFieldButton();

    rows_ = {};
    const auto& model = state.fieldModel;
    if (isTable || kind == DBInterface::kSchemaView) {
        rows_.names = model.fieldNames;
        rows_.types = model.fieldTypes;
        rows_.formatStyles = model.fieldFormatStyles;
        rows_.lookupTables = model.fieldLookupTables.size() == model.fieldNames.size()
                                 ? model.fieldLookupTables
                                 : std::vector<std::string>(model.fieldNames.size());
    }
    oldFieldIndices_.clear();
    for (size_t i = 0; i < rows_.types.size(); ++i)
        oldFieldIndices_.push_back(static_cast<int64_t>(i));
    rows_.indices = oldFieldIndices_;
    old_ = rows_;
    oldTableName_ = name;
    noteFilledDatabase();
    filledTableName_ = name;
    reloadFieldTable();

    tableNameField_->setText(toQString(name));
    tableNameField_->setReadOnly(!isTable);
    errorDetailButton_->hide();
    errorLabel_->clear();
    createButton_->setEnabled(isTable || kind == DBInterface::kSchemaView);
    int specialTag = specialEntry == special.end() ? OrdinaryTable : specialEntry->second;
    specialPopUp_->setCurrentIndex(specialPopUp_->findData(specialTag));
    filledSpecialTag_ = specialTag;
    static const char* const kKindTitles[] = {"Table", "View", "Index", "Trigger"};
    panel_->setWindowTitle(localizedText(kKindTitles[std::clamp(kind, 0, 3)]));
}

void NameAndFieldsPanel::updateDeleteFieldButton() {
    const auto& selectedObject = window_.state().selectedObject;
    std::vector<std::string> selected = window_.selectedTableNames();
    std::optional<int32_t> kind;
    if (selected.size() == 1) {
        auto entry = selectedObject.allTables.find(selected.front());
        if (entry != selectedObject.allTables.end()) {
            kind = DBInterface::tableTypeCodeForSchemaObjectType(&entry->second.type);
        }
    }
    deleteFieldButton_->setEnabled(isDeleteFieldEnabled(static_cast<int>(selected.size()), kind));
}

bool NameAndFieldsPanel::isFieldTableEditable() const {
    if (!changeExistingTable_) return true;
    std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    if (!name) return true;
    const auto& allTables = window_.state().selectedObject.allTables;
    auto entry = allTables.find(*name);
    return entry == allTables.end() || entry->second.type == "table";
}

void NameAndFieldsPanel::reloadFieldTable() {
    reloading_ = true;
    table_->clearContents();
    table_->setRowCount(static_cast<int>(rows_.names.size()));
    const bool editable = isFieldTableEditable();
    for (int row = 0; row < table_->rowCount(); ++row) {
        auto* item = new QTableWidgetItem(toQString(rows_.names[static_cast<size_t>(row)]));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (editable) flags |= Qt::ItemIsEditable;
        item->setFlags(flags);
        table_->setItem(row, FieldNameColumn, item);
        auto* popUp = new QComboBox(table_);
        FieldTypeMenu::updateTableCellView(
            popUp, rows_.types, rows_.lookupTables,
            [this](int tag) { nameAndFieldsPanelChangeFieldTypeButtonClicked(tag); }, row,
            window_.state());
        table_->setCellWidget(row, FieldTypeColumn, popUp);
    }
    reloading_ = false;
}

std::vector<int> NameAndFieldsPanel::selectedFieldRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        if (index.row() < static_cast<int>(rows_.names.size())) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void NameAndFieldsPanel::fieldNameItemChanged(QTableWidgetItem* item) {
    if (reloading_ || item->column() != FieldNameColumn) return;
    // The row whose cell was edited, whatever is selected by the time the edit ends.
    const auto row = static_cast<size_t>(item->row());
    if (row >= rows_.names.size()) return;
    rows_.names[row] = DBInterface::nameWithoutQuotingCharacters(toStdString(item->text()));
}

void NameAndFieldsPanel::storeTypedFieldNames() {
    for (int row = 0; row < table_->rowCount(); ++row) {
        QTableWidgetItem* item = table_->item(row, FieldNameColumn);
        const auto r = static_cast<size_t>(row);
        if (!item || r >= rows_.names.size()) continue;
        std::string typed = toStdString(item->text().trimmed());
        // A name made elsewhere keeps its characters until the user types another.
        if (typed != rows_.names[r])
            rows_.names[r] = DBInterface::nameWithoutQuotingCharacters(typed);
    }
}

void NameAndFieldsPanel::nameAndFieldsPanelAddFieldButtonPressed() {
    nameAndFieldsPanel();
    storeTypedFieldNames();
    const size_t count = rows_.names.size() + 1;
    rows_.names.push_back(localizedFormat("Field %ld", {std::to_string(count)}));
    rows_.types.push_back(DBInterface::kFieldTypeText);
    rows_.formatStyles.push_back(0);
    rows_.indices.push_back(-1);
    rows_.lookupTables.emplace_back();
    reloadFieldTable();
    const int last = static_cast<int>(count) - 1;
    table_->clearSelection();
    table_->selectRow(last);
    table_->scrollToItem(table_->item(last, FieldNameColumn));
    if (panel_->isVisible()) table_->editItem(table_->item(last, FieldNameColumn));
}

void NameAndFieldsPanel::nameAndFieldsPanelDeleteFieldButtonPressed() {
    nameAndFieldsPanel();
    std::vector<int> rows = selectedFieldRows();
    if (rows.empty()) return;
    storeTypedFieldNames();
    std::reverse(rows.begin(), rows.end());
    eraseRows(rows_.names, rows);
    eraseRows(rows_.types, rows);
    eraseRows(rows_.formatStyles, rows);
    eraseRows(rows_.lookupTables, rows);
    eraseRows(rows_.indices, rows);
    reloadFieldTable();
    updateNameAndFieldsPanelHelpLabel();
}

void NameAndFieldsPanel::nameAndFieldsPanelRenameMenuItemClicked() {
    std::vector<int> rows = selectedFieldRows();
    if (rows.size() == 1) table_->editItem(table_->item(rows[0], FieldNameColumn));
}

void NameAndFieldsPanel::nameAndFieldsPanelMoveFieldRows(std::vector<int> rows,
                                                         int destinationRow) {
    nameAndFieldsPanel();
    // The fields of a view or index stay in their order.
    if (!isFieldTableEditable()) return;
    const int count = static_cast<int>(rows_.names.size());
    std::erase_if(rows, [count](int row) { return row < 0 || row >= count; });
    if (rows.empty()) return;
    storeTypedFieldNames();
    moveRowsInStep(rows, destinationRow, rows_.names, rows_.types, rows_.formatStyles,
                   rows_.lookupTables, rows_.indices);
    reloadFieldTable();
}

void NameAndFieldsPanel::nameAndFieldsPanelChangeFieldTypeButtonClicked(int tag) {
    const int row = FieldTypeMenu::rowOfTag(tag);
    const int code = FieldTypeMenu::codeOfTag(tag);
    const auto r = static_cast<size_t>(row);
    if (row >= 0 && r < rows_.types.size()) {
        rows_.formatStyles[r] = 0;
        if (code < FieldTypeMenu::kSpecialTableCodeBase) {
            rows_.types[r] = code;
            rows_.lookupTables[r].clear();
        } else {
            const auto& special = window_.state().fieldModel.specialTableNames;
            const auto position = static_cast<size_t>(code - FieldTypeMenu::kSpecialTableCodeBase);
            rows_.types[r] = DBInterface::kFieldTypeText;
            rows_.lookupTables[r] = position < special.size() ? special[position] : "";
        }
    }
    updateNameAndFieldsPanelHelpLabel();
}

void NameAndFieldsPanel::updateNameAndFieldsPanelHelpLabel() {
    std::vector<int> rows = selectedFieldRows();
    helpLabel_->setVisible(rows.size() == 1);
}

void NameAndFieldsPanel::nameAndFieldsPanelStyleMenuItemClicked() {
    nameAndFieldsPanel();
    std::vector<int> rows = selectedFieldRows();
    if (rows.size() == 1) {
        const auto r = static_cast<size_t>(rows[0]);
        std::optional<FormatStyleSheet::Kind> kind = sheetKindForType(rows_.types[r]);
        if (kind) {
            QPointer<FormatStyleSheet>& sheet = sheets_[static_cast<size_t>(*kind)];
            if (!sheet) {
                sheet = new FormatStyleSheet(*kind, panel_);
                connect(sheet, &QDialog::accepted, this,
                        [this] { formatStyleWindowDoneButtonPressed(); });
            }
            sheet->showCode(rows_.formatStyles[r]);
            sheet_ = sheet;
            sheet->open();
        }
    }
    updateNameAndFieldsPanelHelpLabel();
}

void NameAndFieldsPanel::formatStyleWindowDoneButtonPressed() {
    if (!sheet_) return;
    FormatStyleSheet* sheet = sheet_;
    sheet_ = nullptr;
    std::vector<int> rows = selectedFieldRows();
    std::optional<int64_t> code = sheet->composedCode();
    if (rows.size() == 1 && code) {
        // The sheet chooses the format; whether the field shows expanded is chosen apart.
        int64_t& style = rows_.formatStyles[static_cast<size_t>(rows[0])];
        style = *code | (style & FormatStyles::kShowExpandedBit);
    }
    if (sheet->isVisible()) sheet->accept();
}

void NameAndFieldsPanel::formatStyleWindowCancelButtonPressed() {
    if (sheet_) sheet_->reject();
    sheet_ = nullptr;
}

void NameAndFieldsPanel::nameAndFieldsPanelShowExpandedMenuItemClicked() {
    for (int row : selectedFieldRows())
        rows_.formatStyles[static_cast<size_t>(row)] ^= FormatStyles::kShowExpandedBit;
}

void NameAndFieldsPanel::addTablePopoverErrorDetailButtonPressed() {
    Alert alert;
    alert.messageText = localizedText("Error");
    alert.informativeText =
        errorDetailString_ ? toQString(*errorDetailString_) : localizedText("No further detail");
    alert.style = Alert::Style::Critical;
    alert.runModal();
}
