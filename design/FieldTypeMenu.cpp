#include "design/FieldTypeMenu.h"

#include <QComboBox>

#include <charconv>

#include "Common/FieldTypes.h"
#include "platform/ui/QtStrings.h"

namespace FieldTypeMenu {

int currentChoice(const std::vector<int>& fieldTypes,
                  const std::vector<std::string>& fieldLookupTables, size_t row) {
    int code =
        row < fieldTypes.size() ? fieldTypes[row] : static_cast<int>(DBInterface::kFieldTypeText);
    bool lookup = row < fieldLookupTables.size() && !fieldLookupTables[row].empty();
    return lookup ? code + kSpecialTableCodeBase : code;
}

void updateTableCellView(QComboBox* popUp, const std::vector<int>& fieldTypes,
                         const std::vector<std::string>& fieldLookupTables,
                         const std::function<void(int tag)>& typeChangedAction, int row,
                         const TablesAndRowsState& state) {
    if (!popUp) return;
    QSignalBlocker blocker(popUp);
    popUp->clear();
    const auto r = static_cast<size_t>(row);
    const int choice = currentChoice(fieldTypes, fieldLookupTables, r);
    int selected = -1;
    auto add = [&](const std::string& title, int code, bool chosen) {
        if (chosen) selected = popUp->count();
        popUp->addItem(toQString(title), fieldTypeMenuTag(row, code));
    };
    // The base titles are the same in every language.
    static const char* const kBaseTitles[] = {"Text",     "Number", "Date",    "Time", "Duration",
                                              "Location", "Photo",  "Barcode", "Raw"};
    for (int code = DBInterface::kFieldTypeText; code <= DBInterface::kFieldTypeRaw; ++code) {
        add(kBaseTitles[code - 1], code, code == choice);
    }
    const bool pickerChosen =
        choice >= DBInterface::kPickerFieldTypeBase && choice < kSpecialTableCodeBase;
    for (const auto& [rowid, name] : state.pickerTypes.pickerTypeArrays) {
        int id = 0;
        std::from_chars(rowid.data(), rowid.data() + rowid.size(), id);
        add(name, static_cast<int>(DBInterface::kPickerFieldTypeBase) + id,
            pickerChosen && std::to_string(choice - DBInterface::kPickerFieldTypeBase) == rowid);
    }
    const auto& specialTables = state.fieldModel.specialTableNames;
    for (size_t i = 0; i < specialTables.size(); ++i) {
        add(specialTables[i], kSpecialTableCodeBase + static_cast<int>(i),
            choice >= kSpecialTableCodeBase && r < fieldLookupTables.size() &&
                fieldLookupTables[r] == specialTables[i]);
    }
    popUp->setCurrentIndex(selected);
    QObject::connect(popUp, &QComboBox::activated, popUp, [popUp, typeChangedAction](int index) {
        typeChangedAction(popUp->itemData(index).toInt());
    });
}

}  // namespace FieldTypeMenu
