// Filling the edit-field panel and its editors by field type: lookup table, picker table, picker
// field, date, time, location and photo. Every editor works on the text view only; Save writes it.
#include <QCollator>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>
#include <chrono>

#include "Common/DBInterface.h"
#include "Common/DatabaseFileHeader.h"
#include "Common/DateTexts.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/WindowShell.h"
#include "mainwindow/record/EditFieldPanel.h"
#include "mainwindow/record/LocationEditor.h"
#include "mainwindow/record/WindowedTextView.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/ShownImage.h"

namespace {

// Special tables: 2 offers single choices, 3 accumulates several.
constexpr int kSingleChoicePickerTable = DBInterface::kAppendingPickerTable;
constexpr int kMultipleChoicePickerTable = DBInterface::kReplacingPickerTable;
// The picker type's flag for several choices.
constexpr int64_t kMultipleChoicePickerTypeFlag = 1;

bool isMultipleChoicePickerType(const TablesAndRowsState& state, const std::string& key) {
    auto found = state.pickerTypes.pickerTypeDictionaries.find(key);
    if (found == state.pickerTypes.pickerTypeDictionaries.end()) return false;
    return (std::atoll(found->second.flags.c_str()) & kMultipleChoicePickerTypeFlag) != 0;
}

int specialTableType(const TablesAndRowsState& state, const std::string& table) {
    auto found = state.fieldModel.specialTableTypeDictionary.find(table);
    return found == state.fieldModel.specialTableTypeDictionary.end() ? 0 : found->second;
}

QDateTime pickerDateTime(const std::optional<Date>& date, bool utc) {
    qint64 ms = date ? date->time_since_epoch().count() : QDateTime::currentMSecsSinceEpoch();
    return QDateTime::fromMSecsSinceEpoch(ms, utc ? Qt::UTC : Qt::LocalTime);
}

}  // namespace

FieldIndex EditFieldPanel::editedField() const {
    return field_;
}

void EditFieldPanel::updateEditFieldPanelWithRowIndex(RowIndex row, FieldIndex field,
                                                      const DBValue& value) {
    field_ = field;
    std::string valueText = value.value_or(std::string());
    panel_->setWindowTitle(toQString(localizedFormat("Row %ld", {std::to_string(row.value + 1)})));
    const auto& names = state_.fieldModel.fieldNames;
    std::string header = field == kRowidFieldIndex ? "ROWID"
                         : field.value >= 1 && field.value <= int64_t(names.size())
                             ? names[size_t(positionOfField(field).value)]
                             : localizedString("(Unknown)");
    fieldNameLabel_->setText(toQString(header));

    int type = state_.fieldModel.fieldTypeAtFieldIndexP1(field);
    std::string lookupTable = state_.fieldModel.fieldLookupTableAtFieldIndexP1(field);
    if (type >= DBInterface::kPickerFieldTypeBase) {
        showPickerFieldEditor(type, valueText);
    } else if (type == DBInterface::kFieldTypeDate) {
        showDateEditor(datePicker_, valueText, false);
    } else if (type == DBInterface::kFieldTypeTime) {
        showDateEditor(timePicker_, valueText, true);
    } else if (type == DBInterface::kFieldTypeLocation) {
        showLocationEditor(valueText);
    } else if (type == DBInterface::kFieldTypePhoto) {
        hideEditors();
        photoImageView_->show();
        specialButton_->setText(toQString(localizedString("Images")));
        specialButton_->show();
        shrinkEditFieldPanelTextView();
        updateEditFieldPanelPhotoImageView(valueText);
    } else if (type == DBInterface::kFieldTypeText && !lookupTable.empty()) {
        int special = specialTableType(state_, lookupTable);
        if (special == DBInterface::kLookupSpecialTable) {
            showLookupEditor(lookupTable, valueText);
        } else if (special == kSingleChoicePickerTable || special == kMultipleChoicePickerTable) {
            showPickerTableEditor(lookupTable, special, valueText);
        } else {
            resetEditFieldPanelToTextType();
        }
    } else {
        resetEditFieldPanelToTextType();
    }

    setText(valueText);
    bool raw = type == DBInterface::kFieldTypeRaw;
    textView_->setReadOnly(raw);
    saveButton_->setEnabled(!raw && window_.selectedTableNameIfOnlyOne() &&
                            state_.selectedObject.selectedObjectStatus ==
                                DBInterface::kObjectEditable);
}

void EditFieldPanel::showLookupEditor(const std::string& lookupTable, const std::string& value) {
    auto dictionary = state_.fieldModel.lookupTableDictionary.find(lookupTable);
    if (dictionary == state_.fieldModel.lookupTableDictionary.end()) {
        resetEditFieldPanelToTextType();
        return;
    }
    editFieldPanelFieldLookupTable_ = lookupTable;
    editFieldPanelFieldLookupKeys_.clear();
    for (const auto& [key, shown] : dictionary->second)
        editFieldPanelFieldLookupKeys_.push_back(key);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(editFieldPanelFieldLookupKeys_.begin(), editFieldPanelFieldLookupKeys_.end(),
                     [&collator](const std::string& a, const std::string& b) {
                         return collator.compare(toQString(a), toQString(b)) < 0;
                     });
    {
        QSignalBlocker quiet(lookupTableView_);
        lookupTableView_->clearSelection();
        lookupTableView_->setRowCount(int(editFieldPanelFieldLookupKeys_.size()));
        int row = 0;
        for (const std::string& key : editFieldPanelFieldLookupKeys_) {
            lookupTableView_->setItem(row, 0, new QTableWidgetItem(toQString(key)));
            lookupTableView_->setItem(row, 1,
                                      new QTableWidgetItem(toQString(dictionary->second.at(key))));
            ++row;
        }
        auto inverse = state_.fieldModel.inverseLookupTableDictionary.find(lookupTable);
        if (inverse != state_.fieldModel.inverseLookupTableDictionary.end()) {
            auto byValue = inverse->second.find(value);
            const std::string& key = byValue == inverse->second.end() ? value : byValue->second;
            auto at = std::find(editFieldPanelFieldLookupKeys_.begin(),
                                editFieldPanelFieldLookupKeys_.end(), key);
            if (at != editFieldPanelFieldLookupKeys_.end()) {
                int selected = int(at - editFieldPanelFieldLookupKeys_.begin());
                lookupTableView_->selectRow(selected);
                lookupTableView_->scrollToItem(lookupTableView_->item(selected, 0));
            }
        }
    }
    hideEditors();
    lookupTableView_->show();
    shrinkEditFieldPanelTextView();
}

void EditFieldPanel::lookupTableSelectionChanged() {
    int row = lookupTableView_->currentRow();
    QList<QTableWidgetItem*> selected = lookupTableView_->selectedItems();
    if (!selected.isEmpty()) row = selected.first()->row();
    if (row < 0 || row >= int(editFieldPanelFieldLookupKeys_.size())) return;
    // The field stores the key; the grid shows its value.
    setText(editFieldPanelFieldLookupKeys_[size_t(row)]);
}

void EditFieldPanel::showPickerTableEditor(const std::string& lookupTable, int specialType,
                                           const std::string& value) {
    auto values = state_.fieldModel.pickerTableDictionary.find(lookupTable);
    if (values == state_.fieldModel.pickerTableDictionary.end()) return;
    bool multiple = specialType == kMultipleChoicePickerTable;
    pickerPopUp_->clear();
    pickerPopUp_->addItem(toQString(localizedString(multiple ? "(Multiple Choice)" : "(Other)")),
                          0);
    int selected = value.empty() ? 0 : -1;
    int tag = 1;
    for (const std::string& name : values->second) {
        if (name == value) selected = tag;
        pickerPopUp_->addItem(toQString(name), tag++);
    }
    if (!multiple && selected >= 0) pickerPopUp_->setCurrentIndex(selected);
    if (multiple) pickerPopUp_->setCurrentIndex(0);
    hideEditors();
    pickerPopUp_->show();
    shrinkEditFieldPanelTextView();
}

void EditFieldPanel::showPickerFieldEditor(int fieldType, const std::string& value) {
    std::string key = std::to_string(fieldType - DBInterface::kPickerFieldTypeBase);
    bool multiple = isMultipleChoicePickerType(state_, key);
    auto values = state_.pickerTypes.pickerValues.find(key);
    if (values != state_.pickerTypes.pickerValues.end()) {
        pickerPopUp_->clear();
        pickerPopUp_->addItem(
            toQString(localizedString(multiple ? "(Multiple Choice)" : "(Other)")), 0);
        int selected = value.empty() ? 0 : -1;
        const std::vector<std::string>& pairs = values->second;
        for (size_t at = 0; at + 1 < pairs.size(); at += 2) {
            if (pairs[at + 1] == value) selected = pickerPopUp_->count();
            pickerPopUp_->addItem(toQString(pairs[at + 1]), std::atoi(pairs[at].c_str()));
        }
        pickerPopUp_->setCurrentIndex(!multiple && selected >= 0 ? selected : 0);
    }
    hideEditors();
    pickerPopUp_->show();
    shrinkEditFieldPanelTextView();
}

void EditFieldPanel::editFieldPanelPickerValueChanged(int item) {
    if (item < 0 || item >= pickerPopUp_->count() || pickerPopUp_->itemData(item).toInt() == 0) {
        return;
    }
    std::string current = text();
    std::string title = toStdString(pickerPopUp_->itemText(item));
    int type = state_.fieldModel.fieldTypeAtFieldIndexP1(field_);
    std::string lookupTable = state_.fieldModel.fieldLookupTableAtFieldIndexP1(field_);
    bool multiple;
    if (type == DBInterface::kFieldTypeText && !lookupTable.empty()) {
        int special = specialTableType(state_, lookupTable);
        if (special != kSingleChoicePickerTable && special != kMultipleChoicePickerTable) {
            setText(std::string());
            return;
        }
        multiple = special == kMultipleChoicePickerTable;
    } else {
        multiple = isMultipleChoicePickerType(
            state_, std::to_string(type - DBInterface::kPickerFieldTypeBase));
    }
    // Multiple choices accumulate as "a,b"; the same value may be added twice.
    setText(multiple && !current.empty() ? current + "," + title : title);
}

void EditFieldPanel::showDateEditor(QDateTimeEdit* picker, const std::string& value, bool time) {
    bool utc = state_.display.useUTC;
    std::optional<Date> date = time ? DBInterface::dateFromTimeString(value, utc)
                                    : DBInterface::dateFromDateString(value, utc);
    {
        QSignalBlocker quiet(picker);
        picker->setDateTime(pickerDateTime(date, utc));
    }
    hideEditors();
    picker->show();
    specialButton_->setText(toQString(localizedString(time ? "Now" : "Today")));
    specialButton_->show();
    shrinkEditFieldPanelTextView();
}

void EditFieldPanel::datePickerChanged(QDateTimeEdit* picker) {
    Date date{std::chrono::milliseconds(picker->dateTime().toMSecsSinceEpoch())};
    int tag = picker->property("tag").toInt();
    if (tag == kDatePickerTag) {
        setText(DBInterface::stringForDatabaseFromDate(date, state_.display.dateStorageFormat));
    } else if (tag == kTimePickerTag) {
        setText(DBInterface::stringForDatabaseFromTime(date, state_.display.timeStorageFormat));
    }
}

void EditFieldPanel::editFieldPanelSpecialButtonPressed() {
    FieldIndex field = editedField();
    if (field.isNone()) return;
    int type = state_.fieldModel.fieldTypeAtFieldIndexP1(field);
    QDateTimeEdit* picker = type == DBInterface::kFieldTypeDate   ? datePicker_
                            : type == DBInterface::kFieldTypeTime ? timePicker_
                                                                  : nullptr;
    if (picker) {
        {
            QSignalBlocker quiet(picker);
            picker->setDateTime(pickerDateTime(std::nullopt, state_.display.useUTC));
        }
        // A picker set by the program says nothing: the text follows it here.
        datePickerChanged(picker);
    } else if (type == DBInterface::kFieldTypeLocation) {
        locationEditor_->hereButtonPressed();
    } else if (type == DBInterface::kFieldTypePhoto) {
        window_.shell().showImagesWindowAndUpdateTextView(textView_, photoImageView_, text());
    }
}

void EditFieldPanel::showLocationEditor(const std::string& value) {
    // Positions asked for with "Here" keep coming while the panel moves between Location fields.
    hideEditors(locationEditor_);
    locationEditor_->show();
    locationEditor_->fill(value);
    specialButton_->setText(toQString(localizedString("Here")));
    specialButton_->show();
    shrinkEditFieldPanelTextView();
}

void EditFieldPanel::updateEditFieldPanelPhotoImageView(const std::string& fileName) {
    QImage image;
    const std::string path = Paths::documentsFolder() + "/" + fileName;
    const QSize room = photoImageView_->size();
    // A database or its side file is SQLite's alone: reading it here would drop the file's locks.
    if (!fileName.empty() && QFileInfo(toQString(path)).isFile() && !isSQLiteFile(path))
        image = readImageToFit(toQString(path), room);
    if (image.isNull()) {
        photoImageView_->clear();
    } else {
        photoImageView_->setPixmap(
            QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
}
