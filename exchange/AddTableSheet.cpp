#include "exchange/AddTableSheet.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <limits>
#include <set>

#include "Common/DBExistence.h"
#include "Common/FileNames.h"
#include "Common/MetaTables.h"
#include "Common/RowWriting.h"
#include "Common/SchemaChanges.h"
#include "Common/TableCopy.h"
#include "exchange/PasteboardText.h"
#include "exchange/RowsInsertion.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/QtStrings.h"

namespace {

// The field's whole number; one too large to hold stands at the limit of its sign, so that it is
// refused as too large rather than as too small.
std::optional<int64_t> numberIn(const QLineEdit* field) {
    const QString text = field->text().trimmed();
    bool ok = false;
    qlonglong number = text.toLongLong(&ok);
    if (ok) return number;
    static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
    if (!digits.match(text).hasMatch()) return std::nullopt;
    return text.startsWith(u'-') ? std::numeric_limits<int64_t>::min()
                                 : std::numeric_limits<int64_t>::max();
}

int64_t storedAtLeastOne(const char* key, int64_t fallback) {
    int64_t stored = UserDefaults::standard().integerForKey(key);
    return stored < 1 ? fallback : stored;
}

}  // namespace

AddTableSheet::AddTableSheet(DatabaseWindow& window) : window_(window) {}

AddTableSheet::~AddTableSheet() {
    delete sheet_;
}

void AddTableSheet::buildSheet() {
    sheet_ = new QDialog(window_.window());
    sheet_->setObjectName("addBlankTableWindow");
    sheet_->setWindowTitle(tr("Add Table"));
    nameField_ = new QLineEdit(sheet_);
    nameField_->setObjectName("addBlankTableWindowTableNameTextField");
    fieldsField_ = new QLineEdit(sheet_);
    fieldsField_->setObjectName("addBlankTableWindowNumberOfFieldsTextField");
    rowsField_ = new QLineEdit(sheet_);
    rowsField_->setObjectName("addBlankTableWindowNumberOfRowsTextField");
    statusLabel_ = new QLabel(sheet_);
    statusLabel_->setObjectName("addBlankTableWindowStatusLabel");
    showClipboardButton_ = new QPushButton(tr("Show Clipboard"), sheet_);
    showClipboardButton_->setObjectName("addBlankTableWindowShowClipboardButton");
    auto* add = new QPushButton(tr("Add"), sheet_);
    add->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), sheet_);
    connect(add, &QPushButton::clicked, this, [this] { addBlankTableNow(); });
    connect(cancel, &QPushButton::clicked, this, &AddTableSheet::cancelAddTableNow);
    connect(showClipboardButton_, &QPushButton::clicked, this,
            [this] { window_.shell().refreshAndShowClipboardWindow(); });
    auto* form = new QFormLayout;
    form->addRow(tr("Table name:"), nameField_);
    form->addRow(tr("# fields:"), fieldsField_);
    form->addRow(tr("# rows:"), rowsField_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(showClipboardButton_);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(add);
    auto* layout = new QVBoxLayout(sheet_);
    layout->addLayout(form);
    layout->addWidget(statusLabel_);
    layout->addLayout(buttons);
}

QDialog* AddTableSheet::showSheet(int64_t fields, int64_t rows, bool fromClipboard) {
    if (!sheet_) buildSheet();
    fieldsField_->setText(QString::number(fields));
    rowsField_->setText(QString::number(rows));
    // The clipboard's rows all go into the table: their count is not the user's to choose.
    rowsField_->setReadOnly(fromClipboard);
    statusLabel_->clear();
    std::string name = localizedString("MyTable");
    const auto& shown = window_.state().selectedObject.tableNames;
    std::set<std::string> names(shown.begin(), shown.end());
    if (names.count(name)) name = DBInterface::nextAvailableTableName(name, names).value_or(name);
    nameField_->setText(toQString(name));
    showClipboardButton_->setVisible(fromClipboard);
    sheet_->setWindowModality(Qt::WindowModal);
    sheet_->show();
    nameField_->setFocus();
    return sheet_;
}

QDialog* AddTableSheet::addBlankTable() {
    clipboardRows_.reset();
    return showSheet(storedAtLeastOne("LastAddBlankTableNumberOfFields", 10),
                     storedAtLeastOne("LastAddBlankTableNumberOfRows", 100), false);
}

QDialog* AddTableSheet::addTableFromClipboard() {
    std::vector<DBRow> rows = pasteboardRows().rows;
    if (rows.empty()) {
        window_.showErrorAlert(localizedString("Nothing on the Clipboard"), window_.window());
        return nullptr;
    }
    size_t fields = 0;
    for (const DBRow& row : rows) fields = std::max(fields, row.size());
    int64_t count = static_cast<int64_t>(rows.size());
    clipboardRows_ = std::move(rows);
    return showSheet(static_cast<int64_t>(fields), count, true);
}

std::string AddTableSheet::refuse(const char* text, QLineEdit* field) {
    return refuseWith(localizedString(text), field);
}

std::string AddTableSheet::refuseWith(std::string status, QLineEdit* field) {
    statusLabel_->setText(toQString(status));
    if (field) field->setFocus();
    return status;
}

std::optional<std::string> AddTableSheet::addBlankTableNow() {
    if (!sheet_) return std::string();
    // The name the table is made under, so that its rows, its settings and the list find it.
    const std::string name = DBInterface::withoutQuotingCharacters(toStdString(nameField_->text()));
    if (name.empty()) return refuse("Table name is required", nameField_);
    int64_t fields = numberIn(fieldsField_).value_or(0);
    if (fields < 1) return refuse("# fields must be > 0", fieldsField_);
    if (fields > kMaximumFields) return refuse("# fields must be <= 100", fieldsField_);
    int64_t rows = numberIn(rowsField_).value_or(0);
    if (!clipboardRows_) {
        if (rows < 1) return refuse("# rows must be > 0", rowsField_);
        if (rows > kMaximumRows) return refuse("# rows must be <= 1000", rowsField_);
    }
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setInteger(fields, "LastAddBlankTableNumberOfFields");
    if (!clipboardRows_) defaults.setInteger(rows, "LastAddBlankTableNumberOfRows");
    if (!window_.state().databaseFilePath) return refuse("Table cannot be updated.", nullptr);
    // Nothing is made in place of a file deleted or moved meanwhile.
    const std::string& path = *window_.state().databaseFilePath;
    if (!DBInterface::doesDatabaseFileExist(path)) {
        return refuseWith(DBInterface::databaseFileGoneMessage(path), nullptr);
    }
    switch (DBInterface::newObjectNameUse(name, path)) {
        case DBInterface::NewNameUse::Reserved:
            return refuseWith(DBInterface::reservedNameMessage(name), nameField_);
        case DBInterface::NewNameUse::Taken:
            return refuse("Table already exists", nameField_);
        case DBInterface::NewNameUse::Free:
            break;
    }
    int64_t added = 0;
    if (std::optional<std::string> failure = createAndFill(name, fields, rows, &added)) {
        return refuseWith(*failure, nullptr);
    }
    sheet_->hide();
    window_.reloadTablesAndSelectTableNamed(name);
    if (clipboardRows_) {
        window_.showInfoAlert(localizedString("Table from Clipboard"),
                              localizedFormat("Rows added: %ld", {std::to_string(added)}),
                              window_.window());
    }
    clipboardRows_.reset();
    return std::nullopt;
}

std::optional<std::string> AddTableSheet::createAndFill(const std::string& name, int64_t fields,
                                                        int64_t rows, int64_t* rowsAdded) {
    const std::string& path = *window_.state().databaseFilePath;
    std::vector<std::string> names;
    for (int64_t i = 1; i <= fields; ++i) {
        names.push_back(localizedFormat("Field %ld", {std::to_string(i)}));
    }
    std::vector<int> types(names.size(), 1);
    std::vector<int64_t> styles(names.size(), 0);
    std::vector<std::string> lookups(names.size());
    std::string error;
    if (DBInterface::createTable(name, 0, names, types, &styles, &lookups, path, &error) != 0) {
        return error;
    }
    int64_t added = 0;
    int rc = clipboardRows_ ? insertPastedRows(*clipboardRows_, names, name, path, &added, &error)
                            : DBInterface::addBlankRows(static_cast<uint64_t>(rows), names, name,
                                                        &added, path, &error);
    if (rc != 0) return error;
    if (DBInterface::makeTableSortByROWIDUp(name, path, &error) != 0) return error;
    *rowsAdded = added;
    return std::nullopt;
}

void AddTableSheet::cancelAddTableNow() {
    if (sheet_) sheet_->hide();
    clipboardRows_.reset();
}

void AddTableSheet::windowWillClose() {
    cancelAddTableNow();
}
