#include "mainwindow/FieldModelLoader.h"

#include <cassert>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"

namespace {

constexpr uint64_t kFieldFormatStyleExpanded = 0x100;

DateFormatter fixedFormatter(const std::string& pattern, bool utc) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    if (utc) formatter.setTimeZone("UTC");
    return formatter;
}

}  // namespace

FieldModelLoader::FieldModelLoader(DatabaseWindow& window)
    : window_(window), state_(window.state()) {}

void FieldModelLoader::emptyFieldModel() {
    state_.fieldModel = {};
    state_.sortAndSearch = {};
    state_.dataPort = {};
    state_.selection = {};
    state_.selection.focusedFieldIndex = state_.dataPort.firstFieldIndexInDataPort;
}

void FieldModelLoader::readDisplaySettings() {
    UserDefaults& defaults = UserDefaults::standard();
    auto& display = state_.display;
    display.formatDataInRowsConsole = !defaults.boolForKey("DontFormatDataInRowsView");
    display.showNULLInRowsView = defaults.boolForKey("ShowNULLInRowsView");
    display.useUTC = defaults.integerForKey("IfNoTimeZone") == 1;
    auto storageFormat = [&](const char* key) {
        const char* from = defaults.objectForKey(key).is_null() ? "DateTimeStorageFormat" : key;
        return static_cast<uint32_t>(defaults.integerForKey(from));
    };
    display.dateStorageFormat = storageFormat("DateStorageFormat");
    display.timeStorageFormat = storageFormat("TimeStorageFormat");
    // The preferences may have changed the default display formats since the last reload.
    display.displayDateFormatter = DBInterface::dateFormatterForDateFormatStyleType(
        defaults.integerForKey("DateDisplayFormat"));
    display.displayTimeFormatter = DBInterface::dateFormatterForTimeFormatStyleType(
        defaults.integerForKey("TimeDisplayFormat"));
    display.displayNumberFormatter = DBInterface::numberFormatterForNumberFormatStyleType(
        defaults.integerForKey("NumberDisplayFormat"));
    display.defaultDBDateFormatter = fixedFormatter(DBInterface::defaultDBDateFormat(), false);
    display.defaultDBTimeFormatter = fixedFormatter(DBInterface::defaultDBTimeFormat(), false);
    display.alternateDBDateFormatter = fixedFormatter("yyyy-MM-dd", display.useUTC);
    display.alternateDBTimeFormatter = fixedFormatter("yyyy-MM-dd HH:mm:ss", display.useUTC);
}

void FieldModelLoader::loadFieldModel(const std::string& name) {
    const auto& allTables = state_.selectedObject.allTables;
    auto entry = allTables.find(name);
    std::string type = entry != allTables.end() ? entry->second.type : "table";
    int32_t& tableType = state_.selectedObject.tableType;
    tableType = DBInterface::tableTypeCodeForSchemaObjectType(&type);
    if (tableType < DBInterface::kSchemaIndex) {
        state_.fieldModel.schemaVersion = DBInterface::fileSchemaVersion(*state_.databaseFilePath);
        state_.fieldModel.tableIdentity.reset();
        if (tableType == DBInterface::kSchemaTable) {
            DBInterface::readTableIdentity(&state_.fieldModel.tableIdentity, name,
                                           *state_.databaseFilePath, nullptr);
        }
        bool sorted =
            DBInterface::isObjectSortedOnUniqueKey(name, *state_.databaseFilePath, nullptr);
        std::string error;
        if (tableType == DBInterface::kSchemaTable) {
            loadTableFieldModel(name, sorted, &error);
        } else {
            loadViewFieldModel(name, sorted, &error);
        }
    }
}

void FieldModelLoader::loadTableFieldModel(const std::string& name, bool sorted,
                                           std::string* error) {
    const std::string& path = *state_.databaseFilePath;
    uint32_t& status = state_.selectedObject.selectedObjectStatus;
    auto& model = state_.fieldModel;
    auto& search = state_.sortAndSearch;
    switch (DBInterface::tableEditStatus(name, path, error)) {
        case DBInterface::kTableEditable:
            status = DBInterface::kObjectEditable;
            break;
        case DBInterface::kNoRowid:
        case DBInterface::kRowidHidden:
            status = sorted ? DBInterface::kObjectReadOnlyPaged : DBInterface::kObjectLimited;
            break;
        default:
            status = DBInterface::kObjectLimited;
            window_.showErrorAlert(*error, window_.window());
            return;
    }
    if (DBInterface::getFieldNames(&model.fieldNames, &model.fieldTypes, &model.fieldFormatStyles,
                                   &model.hiddenFields, name, path, error) != 0) {
        status = DBInterface::kObjectLimited;
        window_.showErrorAlert(*error, window_.window());
        return;
    }
    reloadSpecialTables(name);
    DBInterface::IndexSet storedSearchIndexes;
    uint64_t flags = 0;
    if (DBInterface::getSortCodes(&search.sortCodes, &storedSearchIndexes, &flags, name, path,
                                  error) != 0) {
        window_.showErrorAlert(*error, window_.window());
        return;
    }
    state_.dataPort.numberOfFieldsPerRow = static_cast<int64_t>(model.fieldTypes.size()) + 1;
    search.sortByROWIDCode =
        static_cast<uint64_t>(DBInterface::sortByROWIDCodeFromFlags(static_cast<int32_t>(flags)));
    for (int64_t position : storedSearchIndexes)
        search.searchFieldIndexes.insert(FieldPosition(position));
    if (search.searchFieldIndexes.empty()) search.searchFieldIndexes.insert(FieldPosition(0));
}

void FieldModelLoader::loadViewFieldModel(const std::string& name, bool sorted,
                                          std::string* error) {
    const std::string& path = *state_.databaseFilePath;
    auto& model = state_.fieldModel;
    // An empty view shows nothing, but it is never left with the last table's edit status.
    state_.selectedObject.selectedObjectStatus =
        sorted ? DBInterface::kObjectReadOnlyPaged : DBInterface::kObjectLimited;
    std::string rowsError;
    if (!DBInterface::isAtLeastOneRowInTable(name, path, &rowsError)) {
        // A view over a table dropped since fails to read: that is no empty view.
        if (!rowsError.empty()) window_.showErrorAlert(rowsError, window_.window());
        return;
    }
    if (DBInterface::getFieldNames(&model.fieldNames, &model.fieldTypes, &model.fieldFormatStyles,
                                   name, path, error) != 0) {
        window_.showErrorAlert(*error, window_.window());
        return;
    }
    reloadSpecialTables(name);
    state_.dataPort.numberOfFieldsPerRow = static_cast<int64_t>(model.fieldTypes.size()) + 1;
}

void FieldModelLoader::makeDisplayFormatters() {
    auto& model = state_.fieldModel;
    assert(model.fieldTypes.size() == model.fieldNames.size() &&
           model.fieldFormatStyles.size() == model.fieldNames.size());
    for (size_t i = 0; i < model.fieldTypes.size(); ++i) {
        int64_t style = model.fieldFormatStyles[i];
        FieldPosition position(static_cast<int64_t>(i));
        switch (model.fieldTypes[i]) {
            case DBInterface::kFieldTypeNumber:
                model.fieldNumberFormatters[position] =
                    DBInterface::numberFormatterForNumberFormatStyleType(style);
                break;
            case DBInterface::kFieldTypeDate:
                model.fieldDateFormatters[position] =
                    DBInterface::dateFormatterForDateFormatStyleType(style);
                break;
            case DBInterface::kFieldTypeTime:
                model.fieldDateFormatters[position] =
                    DBInterface::dateFormatterForTimeFormatStyleType(style);
                break;
            default:
                break;
        }
        if (static_cast<uint64_t>(style) & kFieldFormatStyleExpanded) {
            model.expandedFieldIndexes.insert(position);
        }
    }
}

void FieldModelLoader::reloadSpecialTables(const std::string& tableName) {
    const std::string& path = *state_.databaseFilePath;
    auto& model = state_.fieldModel;
    std::string error;
    if (DBInterface::getSpecialTableNames(&model.specialTableNames, &model.lookupTableDictionary,
                                          &model.inverseLookupTableDictionary,
                                          &model.pickerTableDictionary,
                                          &model.specialTableTypeDictionary, path, &error) != 0) {
        window_.showErrorAlert(error, nullptr);
        return;
    }
    if (DBInterface::getFieldLookupTables(&model.fieldLookupTables, tableName, model.fieldNames,
                                          path, &error) != 0) {
        window_.showErrorAlert(error, nullptr);
    }
    if (model.fieldLookupTables.empty()) {
        model.fieldLookupTables.assign(model.fieldTypes.size(), std::string());
    } else if (model.fieldLookupTables.size() != model.fieldTypes.size()) {
        window_.showErrorAlert(localizedString("Invalid number of field lookup tables."), nullptr);
    }
}
