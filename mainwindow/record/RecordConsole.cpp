#include "mainwindow/record/RecordConsole.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/HeldValues.h"
#include "mainwindow/MenuValidation.h"
#include "mainwindow/RowCountText.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/rows/CellWriter.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/PendingInput.h"
#include "platform/ui/QtStrings.h"

namespace {

const QColor kSuccessMessageColor = QColor::fromRgbF(0, 0.6f, 0);
const QColor kErrorMessageColor = QColor::fromRgbF(0.85f, 0, 0);

}  // namespace

RecordConsole::RecordConsole(DatabaseWindow& window) : window_(window), state_(window.state()) {
    buildView();
}

RecordConsole::~RecordConsole() {
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* RecordConsole::view() {
    return view_;
}

void RecordConsole::buildView() {
    view_ = new QWidget;
    view_->setObjectName("addRowView");
    auto* layout = new QVBoxLayout(view_);
    auto* top = new QHBoxLayout;
    auto* previous = new QPushButton(toQString(localizedString("Previous")), view_);
    previous->setObjectName("addRowViewPrevButton");
    auto* next = new QPushButton(toQString(localizedString("Next")), view_);
    next->setObjectName("addRowViewNextButton");
    connect(previous, &QPushButton::clicked, this, [this] { moveSelectionUpOneRow(); });
    connect(next, &QPushButton::clicked, this, [this] { moveSelectionDownOneRow(); });
    rowNumberLabel_ = new QLabel(view_);
    rowNumberLabel_->setObjectName("addRowViewRowNumberLabel");
    rowidLabel_ = new QLabel(view_);
    rowidLabel_->setObjectName("addRowViewROWIDLabel");
    top->addWidget(previous);
    top->addWidget(next);
    top->addWidget(rowNumberLabel_);
    top->addStretch(1);
    top->addWidget(rowidLabel_);
    layout->addLayout(top);

    auto* scroll = new QScrollArea(view_);
    scroll->setWidgetResizable(true);
    form_ = new QWidget(scroll);
    form_->setObjectName("addRowTableView");
    form_->setFocusPolicy(Qt::StrongFocus);
    form_->installEventFilter(this);
    lines_ = new QGridLayout(form_);
    lines_->setColumnStretch(1, 1);
    scroll->setWidget(form_);
    layout->addWidget(scroll, 1);

    auto* buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const char* title, const char* name, auto action) {
        auto* button = new QPushButton(toQString(localizedString(title)), view_);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, action);
        buttons->addWidget(button);
        return button;
    };
    addButton_ = makeButton("Add", "addRowViewAddButton", [this] { addRowButtonPressed(); });
    saveButton_ = makeButton("Save", "addRowViewSaveButton", [this] { saveRowButtonPressed(); });
    revertButton_ =
        makeButton("Revert", "addRowViewRevertButton", [this] { revertRowButtonPressed(); });
    clearButton_ =
        makeButton("Clear", "addRowViewClearButton", [this] { clearRowButtonPressed(); });
    deleteButton_ =
        makeButton("Delete", "addRowViewDeleteButton", [this] { deleteRowButtonPressed(); });
    buttons->addStretch(1);
    layout->addLayout(buttons);
    statusLabel_ = new QLabel(view_);
    statusLabel_->setObjectName("addRowViewStatusLabel");
    layout->addWidget(statusLabel_);
}

void RecordConsole::makeLines() {
    if (lineFieldNames_ == state_.fieldModel.fieldNames && !valueFields_.empty()) return;
    while (QLayoutItem* item = lines_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    valueFields_.clear();
    lineFieldNames_ = state_.fieldModel.fieldNames;
    for (size_t i = 0; i < lineFieldNames_.size(); ++i) {
        int line = static_cast<int>(i);
        lines_->addWidget(new QLabel(toQString(lineFieldNames_[i]), form_), line, 0);
        // A long text is edited whole through a window of it, as in the grid's cells.
        auto* field = new CellTextField(form_);
        field->setObjectName(QString("addRowViewValue%1").arg(line + 1));
        field->installEventFilter(this);
        connect(field, &CellTextField::wholeTextEdited, this,
                [this, field] { valueFieldEdited(field); });
        lines_->addWidget(field, line, 1);
        auto* detail = new QToolButton(form_);
        detail->setText(QStringLiteral("…"));
        detail->setObjectName(QString("addRowViewDetail%1").arg(line + 1));
        connect(detail, &QToolButton::clicked, this,
                [this, line] { editRowDetailButtonPressed(FieldIndex(line + 1)); });
        lines_->addWidget(detail, line, 2);
        valueFields_.push_back(field);
    }
    lines_->setRowStretch(static_cast<int>(lineFieldNames_.size()), 1);
}

FieldIndex RecordConsole::fieldOfValueField(const QObject* field) const {
    auto found = std::find(valueFields_.begin(), valueFields_.end(), field);
    return found == valueFields_.end() ? FieldIndex()
                                       : FieldIndex(found - valueFields_.begin() + 1);
}

CellTextField* RecordConsole::valueField(FieldIndex field) const {
    if (field < kFirstFieldIndex || field.value > static_cast<int64_t>(valueFields_.size())) {
        return nullptr;
    }
    return valueFields_[static_cast<size_t>(field.value - 1)];
}

bool RecordConsole::isInsertCapable() const {
    return window_.selectedTableNameIfOnlyOne() &&
           state_.selectedObject.tableType == DBInterface::kSchemaTable;
}

void RecordConsole::selectedObjectDidChange() {
    if (!view_) return;
    makeLines();
    reloadAddRowView();
    enableAddRowViewButtons(std::string(), kPlain);
}

void RecordConsole::consoleDidAppear() {
    FieldIndex field = state_.selection.fieldIndexToEdit;
    makeLines();
    reloadAddRowView();
    enableAddRowViewButtons(std::string(), kPlain);
    makeAddRowTableViewRowFirstResponder(field.isNone() ? kFirstFieldIndex : field);
}

void RecordConsole::focusDidMove() {
    if (state_.selectedConsoleIndex != TablesAndRowsState::RecordConsole ||
        !state_.selection.fieldIndexesOfDirtyData.empty()) {
        return;
    }
    const auto& port = state_.dataPort;
    RowIndex focused = state_.selection.focusedRowIndex;
    // The row just added stays shown until the grid's focus goes to a row.
    if (focused.isNone() && showsAddedRow_) return;
    const DBValue* loaded = port.page.rowid(focused);
    DBValue rowid = loaded ? *loaded : DBValue();
    // Its own moves have loaded the row already.
    if (!values_.empty() && values_[0] == rowid) return;
    FieldIndex field = state_.selection.fieldIndexToEdit;
    reloadAddRowView();
    enableAddRowViewButtons(std::string(), kPlain);
    makeAddRowTableViewRowFirstResponder(field.isNone() ? kFirstFieldIndex : field);
}

void RecordConsole::editRowDetailButtonPressed(FieldIndex field) {
    if (field.isNone() || field.value >= int64_t(values_.size())) return;
    takeTextsFromFields();
    state_.selection.fieldIndexToEdit = field;
    if (!readCutValuesWhole(field, field)) return;
    window_.showEditFieldSheet(field, values_[size_t(field.value)]);
}

void RecordConsole::editFieldInPanelMenuItemClicked() {
    FieldIndex field = state_.selection.fieldIndexToEdit;
    if (!window_.selectedTableNameIfOnlyOne() || field < kFirstFieldIndex ||
        field.value >= state_.dataPort.numberOfFieldsPerRow) {
        return;
    }
    editRowDetailButtonPressed(field);
}

void RecordConsole::editFieldSheetDidEnd(FieldIndex field, const std::optional<std::string>& text) {
    if (field.isNone() || field.value >= int64_t(values_.size())) return;
    if (text) {
        takeTypedText(field, *text);
        if (CellTextField* line = valueField(field)) {
            line->setWholeText(toQString(values_[size_t(field.value)].value_or(std::string())));
        }
    }
    makeAddRowTableViewRowFirstResponder(field);
}

void RecordConsole::reloadAddRowView() {
    showsAddedRow_ = false;
    const auto& port = state_.dataPort;
    heldTexts_.clear();
    loadedInFields_.clear();
    values_.clear();
    origValues_.clear();
    state_.selection.fieldIndexesOfDirtyData.clear();
    values_ = port.page.values(state_.selection.focusedRowIndex);
    shown_ = !values_.empty() && values_.front() ? CellWriter(window_).shownRows({*values_.front()})
                                                 : DBInterface::ShownRows();
    shown_.editedRow = true;
    if (values_.empty()) {
        values_.assign(static_cast<size_t>(std::max<int64_t>(port.numberOfFieldsPerRow, 0)),
                       std::string());
    }
    readCutTextsWhole();
    origValues_ = values_;
    state_.selection.fieldIndexToEdit = FieldIndex();
    reloadLines();
}

const std::vector<DBValue>& RecordConsole::addRowViewFieldValues() {
    takeTextsFromFields();
    return values_;
}

void RecordConsole::valueFieldEdited(CellTextField* line) {
    const FieldIndex field = fieldOfValueField(line);
    if (field.isNone() || field.value >= std::ssize(values_)) return;
    // An empty text may stand for NULL, which the buffer decides.
    if (line->wholeLength() == 0) {
        takeTypedText(field, std::string());
        return;
    }
    holdText(static_cast<size_t>(field.value), HeldText::kInField);
    line->setPlaceholderText(QString());
    updateFieldIndexesOfDirtyData(field);
    showDirtyState();
}

void RecordConsole::holdText(size_t at, HeldText where) {
    if (at >= values_.size()) return;
    // Emplaced, the long text's room goes too.
    if (where != HeldText::kInBuffer) values_[at].emplace();
    heldTexts_.resize(values_.size());
    heldTexts_[at] = where;
}

const CellTextField* RecordConsole::fieldHoldingLoaded(size_t at) const {
    if (at >= loadedInFields_.size() || !loadedInFields_[at]) return nullptr;
    return valueField(FieldIndex(static_cast<int64_t>(at)));
}

bool RecordConsole::isLoadedValue(size_t at, const DBValue& value) const {
    if (const CellTextField* line = fieldHoldingLoaded(at)) {
        return value && *value == line->loadedText();
    }
    return at < origValues_.size() && value == origValues_[at];
}

void RecordConsole::takeLoadedTextsFromFields() {
    for (size_t at = 1; at < loadedInFields_.size() && at < origValues_.size(); ++at) {
        if (const CellTextField* line = fieldHoldingLoaded(at))
            origValues_[at] = line->loadedText();
    }
    loadedInFields_.clear();
}

void RecordConsole::takeTextsFromFields() {
    for (size_t at = 1; at < heldTexts_.size() && at < values_.size(); ++at) {
        if (heldTexts_[at] == HeldText::kAsLoaded && at < origValues_.size()) {
            const CellTextField* line = fieldHoldingLoaded(at);
            values_[at] = line ? DBValue(line->loadedText()) : origValues_[at];
        } else if (heldTexts_[at] == HeldText::kInField) {
            if (CellTextField* line = valueField(FieldIndex(static_cast<int64_t>(at)))) {
                values_[at] = toStdString(line->wholeText());
            }
        }
    }
    heldTexts_.clear();
    takeLoadedTextsFromFields();
}

bool RecordConsole::readCutValuesWhole(FieldIndex first, FieldIndex last) {
    std::vector<FieldIndex> fields;
    for (FieldIndex field = std::max(first, kFirstFieldIndex);
         field <= last && field.value < std::ssize(values_); ++field) {
        fields.push_back(field);
    }
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    const std::vector<DBValue> before = values_;
    std::string error;
    if (!table) {
        if (std::none_of(fields.begin(), fields.end(), [this](FieldIndex field) {
                return isCutValue(values_[static_cast<size_t>(field.value)]);
            })) {
            return true;
        }
    } else if (readCutValuesOfRow(state_, *table, fields, true, &values_, &error) == 0) {
        // A value read whole that nobody had changed is also the value as loaded.
        for (FieldIndex field : fields) {
            const auto at = static_cast<size_t>(field.value);
            if (at < origValues_.size() && origValues_[at] == before[at]) {
                origValues_[at] = values_[at];
            }
        }
        return true;
    }
    window_.showErrorAlert(error, window_.window());
    return false;
}

void RecordConsole::readCutTextsWhole() {
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    // Hidden, the console reads its row again when it appears.
    if (state_.selectedConsoleIndex != TablesAndRowsState::RecordConsole || !table) return;
    std::vector<FieldIndex> fields;
    for (int64_t i = 1; i < std::ssize(values_); ++i) fields.emplace_back(i);
    std::string ignored;
    // A raw value is shown as hex and not typed into: it stays cut. A value that cannot be read
    // now stays cut and read only; Add and the detail button read it again and say why not.
    readCutValuesOfRow(state_, *table, fields, false, &values_, &ignored);
}

void RecordConsole::reloadLines() {
    takeTextsFromFields();
    makeLines();
    bool editable = isInsertCapable();
    for (size_t i = 0; i < valueFields_.size(); ++i) {
        CellTextField* field = valueFields_[i];
        FieldIndex index(static_cast<int64_t>(i) + 1);
        const DBValue* value = i + 1 < values_.size() ? &values_[i + 1] : nullptr;
        // NULL always shows its placeholder here, whatever the grid's setting.
        field->setPlaceholderText(
            value && !*value ? toQString(state_.display.displayStringForNULLValue) : QString());
        const bool raw =
            state_.fieldModel.fieldTypeAtFieldIndexP1(index) == DBInterface::kFieldTypeRaw;
        std::string withEllipsis;
        const bool cut = value && *value && (raw || isCutValue(**value));
        const QString held = cut ? toQString(heldTextOfValue(**value, &withEllipsis)) : QString();
        // A value shown cut is edited whole in the edit-field panel.
        field->setReadOnly(!editable || cut || raw);
        if (!field->isReadOnly() && value && *value && i + 1 < origValues_.size() &&
            *value == origValues_[i + 1]) {
            // The text as loaded is held by its field alone, both as shown and as loaded.
            holdText(i + 1, HeldText::kAsLoaded);
            field->setLoadedText(std::exchange(*origValues_[i + 1], std::string()));
            loadedInFields_.resize(origValues_.size());
            loadedInFields_[i + 1] = true;
            continue;
        }
        field->setLoadedText(std::string());
        if (value && *value) field->setWholeText(cut ? held : toQString(**value));
    }
    updateLabels();
}

void RecordConsole::takeTypedText(FieldIndex field, const std::string& text) {
    if (field.isNone() || field.value >= static_cast<int64_t>(values_.size())) return;
    auto at = static_cast<size_t>(field.value);
    holdText(at, HeldText::kInBuffer);
    if (text.empty() && (!values_[at] || (at < origValues_.size() && !origValues_[at]))) {
        // Erasing what was typed over a NULL gives the NULL back, unchanged.
        values_[at] = std::nullopt;
        if (QLineEdit* line = valueField(field)) {
            line->setPlaceholderText(toQString(state_.display.displayStringForNULLValue));
        }
    } else {
        values_[at] = text;
        if (QLineEdit* line = valueField(field)) line->setPlaceholderText(QString());
    }
    updateFieldIndexesOfDirtyData(field);
    showDirtyState();
}

void RecordConsole::updateFieldIndexesOfDirtyData(FieldIndex field) {
    auto at = static_cast<size_t>(field.value);
    if (field.isNone() || at >= values_.size() || at >= origValues_.size()) return;
    auto& dirty = state_.selection.fieldIndexesOfDirtyData;
    const CellTextField* line = heldText(at) == HeldText::kInField ? valueField(field) : nullptr;
    const CellTextField* holdingLoaded = fieldHoldingLoaded(at);
    // Both NULL, or equal texts; a text held by its field is never NULL.
    const bool loaded = heldText(at) == HeldText::kAsLoaded ||
                        (!line                   ? isLoadedValue(at, values_[at])
                         : line == holdingLoaded ? line->isAsLoaded()
                                                 : origValues_[at] && !holdingLoaded &&
                                                       line->wholeTextEquals(*origValues_[at]));
    if (loaded) {
        dirty.erase(field);
    } else {
        dirty.insert(field);
    }
}

void RecordConsole::showDirtyState() {
    if (state_.selection.fieldIndexesOfDirtyData.empty()) {
        enableAddRowViewButtons(std::string(), kPlain);
    } else {
        addRowViewShowNotSaved();
    }
}

void RecordConsole::addRowViewShowNotSaved() {
    enableAddRowViewButtons(localizedString("Not saved"), kError);
}

void RecordConsole::enableAddRowViewButtons(const std::string& message, int status) {
    const auto& port = state_.dataPort;
    RowIndex focused = state_.selection.focusedRowIndex;
    bool one = window_.selectedTableNameIfOnlyOne().has_value();
    bool focus = port.totalRows >= 1 && !focused.isNone() && focused.value < port.totalRows;
    bool dirty = !state_.selection.fieldIndexesOfDirtyData.empty();
    bool editable = state_.selectedObject.selectedObjectStatus == DBInterface::kObjectEditable;
    std::string rowid = !values_.empty() && !origValues_.empty()
                            ? origValues_.front().value_or(std::string())
                            : std::string();
    bool hasRowid = values_.size() >= 2 && editable && !rowid.empty();
    bool insertable = values_.size() >= 2 &&
                      state_.selectedObject.tableType == DBInterface::kSchemaTable &&
                      state_.selectedObject.selectedObjectStatus >= DBInterface::kObjectEditable &&
                      state_.selectedObject.selectedObjectStatus <= DBInterface::kObjectLimited;
    addButton_->setEnabled(one && insertable && !state_.importing);
    saveButton_->setEnabled(one && dirty && hasRowid);
    clearButton_->setEnabled(one && insertable);
    deleteButton_->setEnabled(one && focus && hasRowid);
    revertButton_->setEnabled(one && focus && dirty);
    addRowViewShowMessage(message, status);
}

void RecordConsole::addRowViewShowMessage(const std::string& message, int status) {
    QPalette palette = statusLabel_->palette();
    QColor color = status == kError     ? kErrorMessageColor
                   : status == kSuccess ? kSuccessMessageColor
                                        : view_->palette().color(QPalette::WindowText);
    palette.setColor(QPalette::WindowText, color);
    statusLabel_->setPalette(palette);
    // Only an error keeps the Save button calling for attention.
    QPalette savePalette = view_->palette();
    if (status == kError) savePalette.setColor(QPalette::ButtonText, kErrorMessageColor);
    saveButton_->setPalette(savePalette);
    updateLabels();
    statusLabel_->setText(toQString(message));
}

void RecordConsole::updateLabels() {
    const auto& port = state_.dataPort;
    RowIndex focused = state_.selection.focusedRowIndex;
    rowNumberLabel_->setText(toQString(rowNumberText(focused, port.totalRows)));
    bool shown = !values_.empty() &&
                 state_.selectedObject.selectedObjectStatus == DBInterface::kObjectEditable &&
                 values_.front() && !values_.front()->empty();
    rowidLabel_->setText(shown ? toQString(localizedFormat("ROWID: %@", {*values_.front()}))
                               : QString());
}

void RecordConsole::makeAddRowTableViewRowFirstResponder(FieldIndex field) {
    if (QLineEdit* line = valueField(field)) {
        state_.selection.fieldIndexToEdit = field;
        line->setFocus();
        line->selectAll();
    } else {
        form_->setFocus();
    }
}

void RecordConsole::addRowNow(bool focusFirstField) {
    if (state_.importing) return;
    FieldIndex noted = state_.selection.fieldIndexToEdit;
    form_->setFocus();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (table && !values_.empty() && state_.databaseFilePath) {
        takeTextsFromFields();
        std::string error;
        int64_t rowid = 0;
        DBRow stored;
        if (!readCutValuesWhole(kFirstFieldIndex, FieldIndex(std::ssize(values_) - 1))) return;
        std::vector<DBInterface::FieldValue> values(values_.begin(), values_.end());
        // The new row as the insert read it, compared with the file at the next write.
        DBInterface::ShownRows added = CellWriter(window_).shownRows({});
        added.version = -1;
        added.editedRow = true;
        if (DBInterface::insertAllFieldValues(
                values, state_.fieldModel.fieldNames, state_.fieldModel.hiddenFields, *table,
                &rowid, true, &stored, *state_.databaseFilePath, &error, &added) != 0) {
            showWriteError(error);
        } else {
            shown_ = std::move(added);
            // The new row as stored: its rowid, a key SQLite assigned, values it converted.
            if (stored.size() == values_.size()) {
                values_ = std::move(stored);
            } else {
                values_.front() = std::to_string(rowid);
            }
            origValues_ = values_;
            showsAddedRow_ = true;
            state_.selection.focusedRowIndex = RowIndex();
            state_.selection.fieldIndexesOfDirtyData.clear();
            window_.rowsDidChange();
            reloadLines();
            enableAddRowViewButtons(localizedString("Added a row"), kSuccess);
            if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
                window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(
                    window_.window());
            }
        }
    }
    makeAddRowTableViewRowFirstResponder(focusFirstField || noted.isNone() ? kFirstFieldIndex
                                                                           : noted);
}

void RecordConsole::showWriteError(const std::string& error) {
    // Clicks and keys given while the write waited on a lock are handled first: the sheet would
    // block the window and they would be lost.
    QTimer::singleShot(0, this, [this, error] {
        QPointer<RecordConsole> self(this);
        deliverPendingInput();
        if (self) window_.showErrorAlert(error, window_.window());
    });
}

void RecordConsole::saveRowButtonPressed() {
    FieldIndex noted = state_.selection.fieldIndexToEdit;
    state_.selection.fieldIndexToEdit = FieldIndex();
    form_->setFocus();
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    takeTextsFromFields();
    int64_t perRow = state_.dataPort.numberOfFieldsPerRow;
    if (table && perRow >= 1 && static_cast<int64_t>(values_.size()) == perRow &&
        origValues_.size() == values_.size() && origValues_.front() && state_.databaseFilePath) {
        std::vector<DBInterface::FieldValue> changed;
        std::vector<std::string> names;
        for (size_t i = 1; i < values_.size(); ++i) {
            if (values_[i] == origValues_[i]) continue;
            changed.emplace_back(values_[i]);
            names.push_back(state_.fieldModel.fieldNames[i - 1]);
            // Compared whole with the value the typing started from.
            DBInterface::compareWhole(&shown_, *origValues_.front(), names.back(), origValues_[i]);
        }
        std::string error;
        const int rc = names.empty()
                           ? 0
                           : DBInterface::updateFieldValues(
                                 changed, names, state_.fieldModel.hiddenFields, *table,
                                 *origValues_.front(), *state_.databaseFilePath, &error, &shown_);
        if (DBInterface::isRefusal(rc)) {
            window_.writeRefused(rc, error, window_.window());
            takeRowAfterRefusal(rc, *table);
        } else if (rc != 0) {
            showWriteError(error);
        } else if (!names.empty()) {
            state_.selection.fieldIndexesOfDirtyData.clear();
            readRowAsStored(*table);
            origValues_ = values_;
            window_.rowsDidChange();
            reloadLines();
            enableAddRowViewButtons(localizedString("Saved"), kSuccess);
            if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
                window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(
                    window_.window());
            }
        }
    }
    makeAddRowTableViewRowFirstResponder(noted.isNone() ? kFirstFieldIndex : noted);
}

void RecordConsole::readRowAsStored(const std::string& table) {
    const auto& names = state_.fieldModel.fieldNames;
    if (values_.size() != names.size() + 1 || !values_.front()) return;
    // A raw value is not typed into here and stays as the page holds it, cut.
    std::vector<WholeValueField> fields;
    std::vector<size_t> at;
    for (size_t i = 0; i < names.size(); ++i) {
        const FieldIndex field(static_cast<int64_t>(i) + 1);
        if (state_.fieldModel.fieldTypeAtFieldIndexP1(field) == DBInterface::kFieldTypeRaw) {
            continue;
        }
        fields.push_back({names[i], false});
        at.push_back(i + 1);
    }
    std::vector<DBValue> stored;
    std::string ignored;
    // A row that cannot be read again keeps the values written.
    if (fields.empty() || readWholeValues(*state_.databaseFilePath, table, fields, *values_.front(),
                                          &stored, &ignored) != 0) {
        return;
    }
    for (size_t i = 0; i < at.size(); ++i) values_[at[i]] = std::move(stored[i]);
}

void RecordConsole::takeRowAfterRefusal(int refusal, const std::string& table) {
    // Fields changed: every write is refused until the table is reloaded, as the message asks.
    if (refusal == DBInterface::kFieldsChanged) {
        showDirtyState();
        return;
    }
    if (refusal == DBInterface::kRowsChanged && state_.databaseFilePath &&
        values_.size() == origValues_.size() && !values_.empty() && origValues_.front()) {
        DBRow row;
        std::string ignored;
        const int rc = DBInterface::readRowAsItStands(&row, &shown_, table, *origValues_.front(),
                                                      *state_.databaseFilePath, &ignored);
        if (rc == 0 && row.size() == values_.size()) {
            takeRowAsItStands(std::move(row));
            return;
        }
        // Unread, the row stays as it was shown, and the next write is checked against it.
        if (rc != DBInterface::kRowGone) {
            showDirtyState();
            return;
        }
    }
    // Gone: what was typed goes with it, and the editor takes the row now at its place, as Next
    // does, once the grid has read its page again.
    values_.clear();
    origValues_.clear();
    heldTexts_.clear();
    loadedInFields_.clear();
    state_.selection.fieldIndexesOfDirtyData.clear();
    enableAddRowViewButtons(std::string(), kPlain);
}

void RecordConsole::takeRowAsItStands(DBRow row) {
    const auto& model = state_.fieldModel;
    for (size_t i = 1; i < row.size(); ++i) {
        // A raw value is held by its prefix, as the page holds it.
        const FieldIndex field(static_cast<int64_t>(i));
        if (model.fieldTypeAtFieldIndexP1(field) == DBInterface::kFieldTypeRaw) {
            holdPrefixOfValue(&row[i]);
        }
        // A field the user did not change shows the file's value; one typed into keeps it.
        if (values_[i] == origValues_[i]) values_[i] = row[i];
    }
    values_.front() = row.front();
    origValues_ = std::move(row);
    for (size_t i = 1; i < values_.size(); ++i) {
        updateFieldIndexesOfDirtyData(FieldIndex(static_cast<int64_t>(i)));
    }
    reloadLines();
    showDirtyState();
}

void RecordConsole::revertRowButtonPressed() {
    form_->setFocus();
    if (!values_.empty() && values_.size() == origValues_.size()) {
        takeLoadedTextsFromFields();
        values_ = origValues_;
        heldTexts_.clear();
    }
    state_.selection.fieldIndexesOfDirtyData.clear();
    enableAddRowViewButtons(std::string(), kPlain);
    FieldIndex noted = state_.selection.fieldIndexToEdit;
    state_.selection.fieldIndexToEdit = FieldIndex();
    reloadLines();
    makeAddRowTableViewRowFirstResponder(noted.isNone() ? kFirstFieldIndex : noted);
}

void RecordConsole::clearRowButtonPressed() {
    form_->setFocus();
    if (values_.size() == origValues_.size()) {
        heldTexts_.clear();
        for (size_t i = 1; i < values_.size(); ++i) {
            values_[i] = std::string();
            updateFieldIndexesOfDirtyData(FieldIndex(static_cast<int64_t>(i)));
        }
    }
    showDirtyState();
    state_.selection.fieldIndexToEdit = FieldIndex();
    reloadLines();
    makeAddRowTableViewRowFirstResponder(kFirstFieldIndex);
}

void RecordConsole::setToNULLMenuItemClicked() {
    FieldIndex field = state_.selection.fieldIndexToEdit;
    form_->setFocus();
    enableAddRowViewButtons(std::string(), kPlain);
    if (field.isNone() || field.value >= static_cast<int64_t>(values_.size())) return;
    const auto at = static_cast<size_t>(field.value);
    holdText(at, HeldText::kInBuffer);
    values_[at] = std::nullopt;
    updateFieldIndexesOfDirtyData(field);
    showDirtyState();
    reloadLines();
    makeAddRowTableViewRowFirstResponder(field);
}

void RecordConsole::deleteRowButtonPressed() {
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || state_.dataPort.totalRows < 1) return;
    state_.selection.fieldIndexToEdit = FieldIndex();
    if (!values_.empty() && values_.size() == origValues_.size()) {
        if (UserDefaults::standard().boolForKey("NoWarnOnRowDelete")) {
            deleteRowNow(*table);
        } else {
            Alert alert;
            alert.messageText = toQString(localizedString("Delete Row?"));
            alert.informativeText =
                toQString(localizedString("This will not delete any image files.\n\nThis "
                                          "cannot be undone!"));
            alert.buttons = {toQString(localizedString("Delete")),
                             toQString(localizedString("Cancel"))};
            alert.beginSheetModalForWindow(window_.window(), [this, table](int pressed) {
                if (pressed == 0) deleteRowNow(*table);
            });
        }
    }
    form_->setFocus();
}

void RecordConsole::deleteRowNow(const std::string& table) {
    if (!state_.databaseFilePath) return;
    const std::string& path = *state_.databaseFilePath;
    std::string error;
    // The rowid must address the table's own rows, not a field that took the name.
    if (state_.selectedObject.selectedObjectStatus == DBInterface::kObjectEditable) {
        const auto status = DBInterface::tableEditStatus(table, path, &error);
        if (status == DBInterface::kColumnsUnreadable) {
            // Not a question of the rowid: the table could not be read (locked, gone).
            window_.showErrorAlert(error, window_.window());
            return;
        }
        if (status != DBInterface::kTableEditable) {
            window_.showErrorAlert(localizedString("ROWID is required in a table to delete a row."),
                                   window_.window());
            return;
        }
    }
    if (values_.empty() || !values_.front()) return;
    if (int rc = DBInterface::deleteRow(*values_.front(), table, path, &error, &shown_); rc != 0) {
        if (DBInterface::isRefusal(rc)) {
            window_.writeRefused(rc, error, nullptr);
            takeRowAfterRefusal(rc, table);
        } else {
            window_.shell().showErrorAlert(error);
        }
        return;
    }
    state_.selection.fieldIndexesOfDirtyData.clear();
    // The grid counts again and keeps its focus on the same place, or the last row left.
    window_.rowsDidChange();
    reloadAddRowView();
    enableAddRowViewButtons(localizedString("Deleted the row"), kSuccess);
    if (UserDefaults::standard().boolForKey("AutoRefreshAllWindows")) {
        window_.shell().reloadSelectedDatabaseObjectInVisibleWindowsExcept(window_.window());
    }
    form_->setFocus();
}

void RecordConsole::followGrid(int64_t offset) {
    FieldIndex field = state_.selection.fieldIndexToEdit;
    followGrid(offset, field.isNone() ? kFirstFieldIndex : field);
}

void RecordConsole::followGrid(int64_t offset, FieldIndex field) {
    window_.moveFocusedRowBy(offset);
    reloadAddRowView();
    enableAddRowViewButtons(std::string(), kPlain);
    makeAddRowTableViewRowFirstResponder(field);
}

void RecordConsole::insertTab(FieldIndex field) {
    if (field.value + 1 < static_cast<int64_t>(values_.size())) {
        makeAddRowTableViewRowFirstResponder(field + 1);
        return;
    }
    // Leaving the row would drop what was typed into it.
    if (!state_.selection.fieldIndexesOfDirtyData.empty()) return;
    if (state_.selection.focusedRowIndex.value >= state_.dataPort.totalRows - 1) return;
    followGrid(1, kFirstFieldIndex);
}

void RecordConsole::insertBacktab(FieldIndex field) {
    if (field > kFirstFieldIndex) {
        makeAddRowTableViewRowFirstResponder(field - 1);
        return;
    }
    if (!state_.selection.fieldIndexesOfDirtyData.empty()) return;
    if (state_.selection.focusedRowIndex.value < 1) return;
    followGrid(-1, FieldIndex(static_cast<int64_t>(values_.size()) - 1));
}

void RecordConsole::moveSelectionUpOnePage() {
    followGrid(-std::max<int64_t>(state_.dataPort.numberOfLoadedRows(), 1));
}
void RecordConsole::moveSelectionDownOnePage() {
    followGrid(std::max<int64_t>(state_.dataPort.numberOfLoadedRows(), 1));
}
void RecordConsole::moveSelectionUpAllTheWay() {
    followGrid(-state_.dataPort.totalRows);
}
void RecordConsole::moveSelectionDownAllTheWay() {
    followGrid(state_.dataPort.totalRows);
}

bool RecordConsole::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        FieldIndex field = fieldOfValueField(watched);
        if (!field.isNone()) state_.selection.fieldIndexToEdit = field;
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Period && modifiers == Qt::ControlModifier) {
        addRowNow(true);
        return true;
    }
    if (watched == form_) {
        if (key->key() == Qt::Key_Escape) {
            window_.selectConsole(TablesAndRowsState::RowsConsole);
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            makeAddRowTableViewRowFirstResponder(kFirstFieldIndex);
            return true;
        }
        return false;
    }
    FieldIndex field = fieldOfValueField(watched);
    if (field.isNone()) return false;
    // Where the desktop binds it to the line edit's end of line, the menu's Edit Field in
    // Panel never sees the key.
    if (key->key() == Qt::Key_E && modifiers == Qt::ControlModifier) {
        if (shouldEnableEditFieldInPanelMenuItem(menuWindowState(window_))) {
            state_.selection.fieldIndexToEdit = field;
            editFieldInPanelMenuItemClicked();
        }
        return true;
    }
    switch (key->key()) {
        case Qt::Key_Tab:
            if (modifiers & Qt::ShiftModifier) {
                insertBacktab(field);
            } else {
                insertTab(field);
            }
            return true;
        case Qt::Key_Backtab:
            insertBacktab(field);
            return true;
        case Qt::Key_Escape:
            state_.selection.fieldIndexToEdit = FieldIndex();
            form_->setFocus();
            return true;
        case Qt::Key_Up:
            if (modifiers == Qt::AltModifier) {
                moveSelectionUpOnePage();
            } else if (modifiers == Qt::ControlModifier) {
                moveSelectionUpAllTheWay();
            } else {
                moveSelectionUpOneRow();
            }
            return true;
        case Qt::Key_Down:
            if (modifiers == Qt::AltModifier) {
                moveSelectionDownOnePage();
            } else if (modifiers == Qt::ControlModifier) {
                moveSelectionDownAllTheWay();
            } else {
                moveSelectionDownOneRow();
            }
            return true;
        default:
            return false;
    }
}
