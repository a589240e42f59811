#include "mainwindow/FieldDisplayText.h"

#include "Common/DBInterface.h"
#include "Common/DecimalText.h"

namespace {

std::string trimmedOfSpacesAndTabs(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string formattedFieldValueObject(const TablesAndRowsState& state, const DBValue& value,
                                      FieldIndex field, int fieldType,
                                      const std::string& fieldLookupTable) {
    const std::string text = value.value_or(std::string());
    const std::string trimmed = trimmedOfSpacesAndTabs(text);
    const FieldPosition position = positionOfField(field);
    const auto& model = state.fieldModel;
    const auto& display = state.display;
    switch (fieldType) {
        case DBInterface::kFieldTypeText: {
            auto table = model.lookupTableDictionary.find(fieldLookupTable);
            if (table == model.lookupTableDictionary.end()) return text;
            auto entry = table->second.find(text);
            return entry != table->second.end() ? entry->second : text;
        }
        case DBInterface::kFieldTypeNumber: {
            auto own = model.fieldNumberFormatters.find(position);
            const std::optional<NumberFormatter>& formatter =
                own != model.fieldNumberFormatters.end() ? own->second
                                                         : display.displayNumberFormatter;
            if (!formatter || trimmed.empty()) return text;
            std::optional<double> number = DBInterface::numberFromDatabaseString(trimmed);
            return number ? formatter->stringFromNumber(*number) : text;
        }
        case DBInterface::kFieldTypeDate:
        case DBInterface::kFieldTypeTime: {
            if (trimmed.empty()) return text;
            bool date = fieldType == DBInterface::kFieldTypeDate;
            std::optional<Date> moment = DBInterface::dateFromDatabaseString(
                trimmed, date ? &display.defaultDBDateFormatter : &display.defaultDBTimeFormatter,
                date ? &display.alternateDBDateFormatter : &display.alternateDBTimeFormatter);
            if (!moment) return text;
            auto own = model.fieldDateFormatters.find(position);
            const DateFormatter& formatter = own != model.fieldDateFormatters.end() ? own->second
                                             : date ? display.displayDateFormatter
                                                    : display.displayTimeFormatter;
            return formatter.stringFromDate(*moment);
        }
        default:
            return text;
    }
}

std::string formattedFieldValueObject(const TablesAndRowsState& state, const DBValue& value,
                                      FieldIndex field) {
    const auto& model = state.fieldModel;
    return formattedFieldValueObject(state, value, field, model.fieldTypeAtFieldIndexP1(field),
                                     model.fieldLookupTableAtFieldIndexP1(field));
}
