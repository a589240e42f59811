#include "design/CreateViewWizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "Common/DBExistence.h"
#include "Common/FieldModel.h"
#include "Common/FieldTypes.h"
#include "Common/FileNames.h"
#include "Common/GridQuery.h"
#include "Common/MetaTables.h"
#include "Common/RowidField.h"
#include "Common/SQLQuote.h"
#include "Common/SchemaChanges.h"
#include "Common/SchemaListing.h"
#include "design/FieldTypeMenu.h"
#include "mainwindow/DatabaseWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/ReorderDrag.h"

namespace {

QString localizedText(const char* text) {
    return toQString(localizedString(text));
}

// The statement is read and typed at a size that keeps long identifiers legible.
constexpr int kStatementPointSize = 14;

}  // namespace

CreateViewWizard::CreateViewWizard(DatabaseWindow& window, QWidget* parent)
    : QDialog(parent), window_(window) {
    setObjectName("createViewWindow");
    setWindowTitle(localizedText("Create View"));
    setWindowModality(Qt::WindowModal);
    resize(620, 460);

    nameField_ = new QLineEdit(this);
    nameField_->setObjectName("createViewWindowViewNameField");
    fieldsTable_ = new QTableWidget(0, 2, this);
    fieldsTable_->setObjectName("createViewWindowFieldsTableView");
    fieldsTable_->setHorizontalHeaderLabels({localizedText("Field"), localizedText("Type")});
    fieldsTable_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    fieldsTable_->verticalHeader()->hide();
    fieldsTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    fieldsTable_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fieldsTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    new ReorderDrag(fieldsTable_, kCreateViewTableViewDataType,
                    [this](const std::vector<int>& rows, int destination) {
                        moveFieldRows(rows, destination);
                    });
    allButton_ = new QPushButton(localizedText("All"), this);
    noneButton_ = new QPushButton(localizedText("None"), this);
    uniqueKeyButton_ = new QCheckBox(localizedText("Sorted on a unique key"), this);
    uniqueKeyButton_->setObjectName("createViewWindowSortedOnUniqueKeyButton");

    auto* page1 = new QWidget(this);
    auto* page1Layout = new QVBoxLayout(page1);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(localizedText("View name:"), page1));
    nameRow->addWidget(nameField_, 1);
    page1Layout->addLayout(nameRow);
    page1Layout->addWidget(fieldsTable_, 1);
    auto* marksRow = new QHBoxLayout;
    marksRow->addWidget(allButton_);
    marksRow->addWidget(noneButton_);
    marksRow->addStretch(1);
    marksRow->addWidget(uniqueKeyButton_);
    page1Layout->addLayout(marksRow);

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(kStatementPointSize);
    font.setWeight(QFont::Normal);
    sqlReadOnly_ = new QPlainTextEdit(this);
    sqlReadOnly_->setObjectName("createViewWindowSqlReadOnlyLabel");
    sqlReadOnly_->setReadOnly(true);
    sqlReadOnly_->setFont(font);
    sqlEditable_ = new QPlainTextEdit(this);
    sqlEditable_->setObjectName("createViewWindowSqlLabel");
    sqlEditable_->setFont(font);
    sqlSplitView_ = new QSplitter(Qt::Vertical, this);
    sqlSplitView_->addWidget(sqlReadOnly_);
    sqlSplitView_->addWidget(sqlEditable_);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(page1);
    pages_->addWidget(sqlSplitView_);

    previousButton_ = new QPushButton(localizedText("Previous"), this);
    auto* cancelButton = new QPushButton(localizedText("Cancel"), this);
    createButton_ = new QPushButton(localizedText("Next"), this);
    createButton_->setObjectName("createViewWindowCreateButton");
    createButton_->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previousButton_);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(createButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);

    connect(allButton_, &QPushButton::clicked, this, [this] { checkRowsInCreateViewWindow(true); });
    connect(noneButton_, &QPushButton::clicked, this,
            [this] { checkRowsInCreateViewWindow(false); });
    connect(previousButton_, &QPushButton::clicked, this,
            [this] { createViewWindowPreviousButtonPressed(); });
    connect(cancelButton, &QPushButton::clicked, this,
            [this] { createViewWindowCancelButtonPressed(); });
    connect(createButton_, &QPushButton::clicked, this,
            [this] { createViewWindowCreateButtonPressed(); });
    connect(fieldsTable_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!reloading_ && item->column() == 0) checkBoxPressedInCreateViewWindow(item->row());
    });
    connect(fieldsTable_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { fieldsTableDoubleClicked(row); });
    makeRenamePrompt();
}

void CreateViewWizard::makeRenamePrompt() {
    promptWindow_ = new QDialog(this);
    promptWindow_->setObjectName("promptWindow");
    promptWindow_->setWindowModality(Qt::WindowModal);
    promptLabel_ = new QLabel(promptWindow_);
    promptLabel_->setObjectName("promptWindowLabel");
    promptTextField_ = new QLineEdit(promptWindow_);
    promptTextField_->setObjectName("promptWindowTextField");
    promptTextField_->setMinimumWidth(300);
    promptStatusLabel_ = new QLabel(promptWindow_);
    promptStatusLabel_->setObjectName("promptWindowStatusLabel");
    auto* cancel = new QPushButton(localizedText("Cancel"), promptWindow_);
    cancel->setObjectName("promptWindowCancelButton");
    auto* done = new QPushButton(localizedText("Rename"), promptWindow_);
    done->setObjectName("promptWindowDoneButton");
    done->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(promptStatusLabel_, 1);
    buttons->addWidget(cancel);
    buttons->addWidget(done);
    auto* layout = new QVBoxLayout(promptWindow_);
    layout->addWidget(promptLabel_);
    layout->addWidget(promptTextField_);
    layout->addLayout(buttons);
    connect(done, &QPushButton::clicked, this,
            [this] { createViewWindowRenameFieldDoneButtonPressed(); });
    connect(cancel, &QPushButton::clicked, this,
            [this] { createViewWindowRenameFieldCancelButtonPressed(); });
}

void CreateViewWizard::showCreateViewSheetForSelectedTable() {
    const std::optional<std::string> name = window_.selectedTableNameIfOnlyOne();
    if (!name || !window_.state().databaseFilePath) return;
    const std::string& path = *window_.state().databaseFilePath;
    const auto& allTables = window_.state().selectedObject.allTables;
    auto object = allTables.find(*name);
    const int type = object == allTables.end()
                         ? DBInterface::kSchemaView
                         : DBInterface::tableTypeCodeForSchemaObjectType(&object->second.type);
    if (type > DBInterface::kSchemaView) {
        window_.showInfoAlert(localizedString("Error"),
                              localizedString("Only tables or views can be used to create a view."),
                              this);
        return;
    }
    Fields fields;
    std::string error;
    if (DBInterface::getFieldNames(&fields.fieldNames, &fields.fieldTypes,
                                   &fields.fieldFormatStyles, *name, path, &error) != 0 ||
        DBInterface::getFieldLookupTables(&fields.fieldLookupTables, *name, fields.fieldNames, path,
                                          &error) != 0) {
        window_.showErrorAlert(error, window_.window());
        return;
    }
    // Only a rowid that can be read: without one "ROWID" reads as a text, and a column taking
    // its name would be read instead.
    if (type == DBInterface::kSchemaTable &&
        DBInterface::tableEditStatus(*name, path, nullptr) == DBInterface::kTableEditable) {
        fields.fieldNames.push_back(kRowidFieldName);
        fields.fieldTypes.push_back(DBInterface::kFieldTypeNumber);
        fields.fieldFormatStyles.push_back(0);
        if (!fields.fieldLookupTables.empty()) fields.fieldLookupTables.push_back("");
    }
    const size_t count = fields.fieldNames.size();
    if (fields.fieldLookupTables.empty()) fields.fieldLookupTables.assign(count, "");
    fields.viewFieldNames.assign(count, "");
    fields.checked.assign(count, true);
    fields_ = std::move(fields);
    fromQueryResults_ = false;
    table_ = name;
    beginSheet(localizedFormat("%@ View", {*name}));
}

void CreateViewWizard::showCreateViewSheetForQueryResults(
    const std::vector<std::string>& fieldNames, const std::string& lastSelectQueryString) {
    const size_t count = fieldNames.size();
    fields_ = {fieldNames,
               std::vector<std::string>(count),
               std::vector<int>(count, DBInterface::kFieldTypeText),
               std::vector<int64_t>(count, 0),
               std::vector<std::string>(count),
               std::vector<bool>(count, true)};
    fromQueryResults_ = true;
    table_.reset();
    lastSelectQueryString_ = lastSelectQueryString;
    beginSheet("MyView");
}

void CreateViewWizard::beginSheet(const std::string& viewName) {
    allButton_->setEnabled(!fromQueryResults_);
    noneButton_->setEnabled(!fromQueryResults_);
    sqlEditable_->setReadOnly(fromQueryResults_);
    uniqueKeyButton_->setChecked(false);
    nameField_->setText(toQString(viewName));
    reloadFieldsTable();
    createViewWindowPreviousButtonPressed();
    open();
}

bool CreateViewWizard::isOnSecondPage() const {
    return pages_->currentIndex() == 1;
}

void CreateViewWizard::reloadFieldsTable() {
    reloading_ = true;
    fieldsTable_->clearContents();
    fieldsTable_->setRowCount(static_cast<int>(fields_.fieldNames.size()));
    for (int row = 0; row < fieldsTable_->rowCount(); ++row) {
        const auto r = static_cast<size_t>(row);
        QString text = toQString(fields_.fieldNames[r]);
        if (!fields_.viewFieldNames[r].empty()) {
            text += " AS " + toQString(fields_.viewFieldNames[r]);
        }
        auto* item = new QTableWidgetItem(text);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (!fromQueryResults_) flags |= Qt::ItemIsUserCheckable;
        item->setFlags(flags);
        item->setCheckState(fields_.checked[r] ? Qt::Checked : Qt::Unchecked);
        fieldsTable_->setItem(row, 0, item);

        auto* types = new QComboBox(fieldsTable_);
        FieldTypeMenu::updateTableCellView(
            types, fields_.fieldTypes, fields_.fieldLookupTables,
            [this](int tag) {
                changeFieldTypeAtRow(FieldTypeMenu::rowOfTag(tag), FieldTypeMenu::codeOfTag(tag));
            },
            row, window_.state());
        fieldsTable_->setCellWidget(row, 1, types);
    }
    reloading_ = false;
}

void CreateViewWizard::moveFieldRows(const std::vector<int>& rows, int destinationRow) {
    // The columns of a query result keep the order of its SELECT.
    if (fromQueryResults_) return;
    const size_t count = fields_.fieldNames.size();
    if (fields_.viewFieldNames.size() != count || fields_.fieldTypes.size() != count ||
        fields_.fieldFormatStyles.size() != count || fields_.fieldLookupTables.size() != count ||
        fields_.checked.size() != count) {
        return;
    }
    moveRowsInStep(rows, destinationRow, fields_.fieldNames, fields_.viewFieldNames,
                   fields_.fieldTypes, fields_.fieldFormatStyles, fields_.fieldLookupTables,
                   fields_.checked);
    reloadFieldsTable();
}

void CreateViewWizard::checkRowsInCreateViewWindow(bool checked) {
    fields_.checked.assign(fields_.checked.size(), checked);
    reloadFieldsTable();
}

void CreateViewWizard::checkBoxPressedInCreateViewWindow(int row) {
    if (fromQueryResults_ || row < 0 || static_cast<size_t>(row) >= fields_.checked.size()) {
        return;
    }
    fields_.checked[static_cast<size_t>(row)] = !fields_.checked[static_cast<size_t>(row)];
}

void CreateViewWizard::changeFieldTypeAtRow(int row, int fieldType) {
    if (row < 0 || static_cast<size_t>(row) >= fields_.fieldTypes.size()) return;
    const auto r = static_cast<size_t>(row);
    if (fieldType < FieldTypeMenu::kSpecialTableCodeBase) {
        fields_.fieldTypes[r] = fieldType;
        fields_.fieldLookupTables[r].clear();
        return;
    }
    const auto& specialTables = window_.state().fieldModel.specialTableNames;
    const auto index = static_cast<size_t>(fieldType - FieldTypeMenu::kSpecialTableCodeBase);
    fields_.fieldTypes[r] = DBInterface::kFieldTypeText;
    fields_.fieldLookupTables[r] = index < specialTables.size() ? specialTables[index] : "";
}

void CreateViewWizard::fieldsTableDoubleClicked(int row) {
    if (fromQueryResults_) {
        window_.showErrorAlert(
            localizedString("Fields cannot be renamed from in a view created from SQL results."),
            this);
        fieldsTable_->clearSelection();
        return;
    }
    if (row < 0 || static_cast<size_t>(row) >= fields_.fieldNames.size()) return;
    promptLabel_->setText(localizedText("Rename Field"));
    promptTextField_->setText(toQString(fields_.fieldNames[static_cast<size_t>(row)]));
    promptTextField_->selectAll();
    promptStatusLabel_->clear();
    promptWindow_->open();
    promptTextField_->setFocus();
}

void CreateViewWizard::createViewWindowRenameFieldDoneButtonPressed() {
    promptWindow_->done(1000);
    const QModelIndexList selected = fieldsTable_->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    int first = selected.first().row();
    for (const QModelIndex& index : selected) first = std::min(first, index.row());
    renameFieldAtRow(first, toStdString(promptTextField_->text()));
}

void CreateViewWizard::createViewWindowRenameFieldCancelButtonPressed() {
    promptWindow_->done(1001);
}

void CreateViewWizard::renameFieldAtRow(int row, const std::string& newName) {
    if (row < 0 || static_cast<size_t>(row) >= fields_.viewFieldNames.size()) return;
    fields_.viewFieldNames[static_cast<size_t>(row)] = newName;
    reloadFieldsTable();
}

void CreateViewWizard::createViewWindowPreviousButtonPressed() {
    previousButton_->hide();
    pages_->setCurrentIndex(0);
    createButton_->setText(localizedText("Next"));
}

void CreateViewWizard::createViewWindowCancelButtonPressed() {
    reject();
}

void CreateViewWizard::createViewWindowCreateButtonPressed() {
    const std::string viewName =
        DBInterface::nameWithoutQuotingCharacters(toStdString(nameField_->text()));
    Fields marked;
    const size_t count = fields_.fieldNames.size();
    if (count > 0 && fields_.checked.size() == count && fields_.viewFieldNames.size() == count &&
        fields_.fieldTypes.size() == count && fields_.fieldLookupTables.size() == count &&
        fields_.fieldFormatStyles.size() == count) {
        for (size_t i = 0; i < count; ++i) {
            if (!fields_.checked[i]) continue;
            marked.fieldNames.push_back(fields_.fieldNames[i]);
            marked.viewFieldNames.push_back(fields_.viewFieldNames[i]);
            marked.fieldTypes.push_back(fields_.fieldTypes[i]);
            marked.fieldFormatStyles.push_back(fields_.fieldFormatStyles[i]);
            marked.fieldLookupTables.push_back(fields_.fieldLookupTables[i]);
        }
    }
    if (!isOnSecondPage()) {
        if (viewName.empty()) {
            window_.showInfoAlert(localizedString("View name is required"),
                                  localizedString("Enter a view name"), this);
            return;
        }
        const std::string path = window_.state().databaseFilePath.value_or("");
        const DBInterface::NewNameUse use = DBInterface::newObjectNameUse(viewName, path);
        if (use != DBInterface::NewNameUse::Free) {
            window_.showInfoAlert(use == DBInterface::NewNameUse::Reserved
                                      ? DBInterface::reservedNameMessage(viewName)
                                      : localizedString("Table already exists"),
                                  localizedString("Enter a view name"), this);
            return;
        }
        if (marked.fieldNames.empty()) {
            window_.showInfoAlert(localizedString("No fields checked"),
                                  localizedString("At least one field must be checked"), this);
            return;
        }
        const std::string statement =
            table_ ? DBInterface::queryStringToCreateView(viewName, &*table_, marked.fieldNames,
                                                          marked.viewFieldNames)
                   : "CREATE VIEW " + quoteIdentifier(viewName) + " AS\n" + lastSelectQueryString_;
        sqlReadOnly_->setPlainText(toQString(statement));
        sqlEditable_->clear();
        previousButton_->show();
        pages_->setCurrentIndex(1);
        const int height = sqlSplitView_->height();
        sqlSplitView_->setSizes(fromQueryResults_ ? QList<int>{height, 0}
                                                  : QList<int>{height / 2, height / 2});
        createButton_->setText(localizedText("Create"));
        return;
    }
    const std::string statement =
        toStdString(sqlReadOnly_->toPlainText()) + toStdString(sqlEditable_->toPlainText());
    std::string error;
    if (DBInterface::createView(viewName, statement, marked.fieldNames, marked.fieldTypes,
                                marked.fieldFormatStyles, &marked.fieldLookupTables,
                                uniqueKeyButton_->isChecked(),
                                window_.state().databaseFilePath.value_or(""), &error) != 0) {
        window_.showErrorAlert(error, this);
        return;
    }
    window_.reloadTablesAndSelectTableNamed(window_.selectedTableNameIfOnlyOne());
    accept();
}
