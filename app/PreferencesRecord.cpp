#include "app/PreferencesRecord.h"

#include <tuple>

#include "platform/foundation/Localized.h"
#include "platform/foundation/UserDefaults.h"

namespace {

constexpr int64_t kStyleTypeMask = 0xff;
constexpr int kFirstParameterShift = 16;
constexpr int kSecondParameterShift = 24;

int64_t storageFormat(const UserDefaults& defaults, const char* key, int64_t older) {
    return defaults.objectForKey(key).is_null() ? older : defaults.integerForKey(key);
}

}  // namespace

PreferencesRecord loadPreferencesRecord(const UserDefaults& defaults) {
    PreferencesRecord record;
    record.typesToShow = static_cast<uint64_t>(defaults.integerForKey("SchemaObjectTypesToShow"));
    record.showSystemTables = defaults.boolForKey("ShowSystemTables");
    record.warnOnRowDelete = !defaults.boolForKey("NoWarnOnRowDelete");
    record.formatDataInRowsView = !defaults.boolForKey("DontFormatDataInRowsView");
    record.showNULLInRowsView = defaults.boolForKey("ShowNULLInRowsView");
    record.autoRefreshAllWindows = defaults.boolForKey("AutoRefreshAllWindows");
    record.foreignKeyRestraints = defaults.boolForKey("EnableForeignKeyConstraints");
    record.lookupTableRowsLimit = defaults.integerForKey("LookupTableRowsLimit");
    record.ifNoTimeZone = defaults.integerForKey("IfNoTimeZone");
    record.dateDisplayFormat = defaults.integerForKey("DateDisplayFormat");
    record.timeDisplayFormat = defaults.integerForKey("TimeDisplayFormat");
    record.numberDisplayFormat = defaults.integerForKey("NumberDisplayFormat");
    int64_t older = defaults.integerForKey("DateTimeStorageFormat");
    record.dateStorageFormat = storageFormat(defaults, "DateStorageFormat", older);
    record.timeStorageFormat = storageFormat(defaults, "TimeStorageFormat", older);
    return record;
}

void storePreferencesRecord(const PreferencesRecord& record, UserDefaults& defaults) {
    defaults.setInteger(static_cast<int64_t>(record.typesToShow), "SchemaObjectTypesToShow");
    defaults.setBool(record.showSystemTables, "ShowSystemTables");
    defaults.setBool(!record.warnOnRowDelete, "NoWarnOnRowDelete");
    defaults.setBool(!record.formatDataInRowsView, "DontFormatDataInRowsView");
    defaults.setBool(record.showNULLInRowsView, "ShowNULLInRowsView");
    defaults.setBool(record.autoRefreshAllWindows, "AutoRefreshAllWindows");
    defaults.setBool(record.foreignKeyRestraints, "EnableForeignKeyConstraints");
    defaults.setInteger(record.lookupTableRowsLimit, "LookupTableRowsLimit");
    defaults.setInteger(record.ifNoTimeZone, "IfNoTimeZone");
    defaults.setInteger(record.dateDisplayFormat, "DateDisplayFormat");
    defaults.setInteger(record.timeDisplayFormat, "TimeDisplayFormat");
    defaults.setInteger(record.numberDisplayFormat, "NumberDisplayFormat");
    defaults.setInteger(record.dateStorageFormat, "DateStorageFormat");
    defaults.setInteger(record.timeStorageFormat, "TimeStorageFormat");
}

bool preferencesAreEqual(const PreferencesRecord& p1, const PreferencesRecord& p2) {
    auto stored = [](const PreferencesRecord& p) {
        return std::tie(p.typesToShow, p.showSystemTables, p.warnOnRowDelete,
                        p.formatDataInRowsView, p.showNULLInRowsView, p.autoRefreshAllWindows,
                        p.foreignKeyRestraints, p.lookupTableRowsLimit, p.ifNoTimeZone,
                        p.dateDisplayFormat, p.timeDisplayFormat, p.numberDisplayFormat,
                        p.dateStorageFormat, p.timeStorageFormat);
    };
    return stored(p1) == stored(p2);
}

int64_t firstValidEnum(int64_t value, int64_t minimum, int64_t end) {
    return value >= minimum && value < end ? value : minimum;
}

int64_t replacingStyleType(int64_t code, int64_t styleType) {
    return (code & ~kStyleTypeMask) | (styleType & kStyleTypeMask);
}

int64_t firstStyleParameter(int64_t code) {
    return (code >> kFirstParameterShift) & 0xff;
}

int64_t secondStyleParameter(int64_t code) {
    return (code >> kSecondParameterShift) & 0xff;
}

int64_t customTimeDisplayFormat(int64_t styleType, int dateRow, int timeOfDayRow) {
    return (styleType & 0xffff) | (int64_t{dateRow + 1} << kFirstParameterShift) |
           (int64_t{timeOfDayRow + 1} << kSecondParameterShift);
}

NumberStyleChoice customNumberDisplayFormat(int64_t styleType, int64_t minimumDigits,
                                            int64_t maximumDigits) {
    auto inRange = [](int64_t digits) { return digits >= 0 && digits <= kMaximumFractionDigits; };
    if (!inRange(minimumDigits) || !inRange(maximumDigits)) {
        return {std::nullopt, localizedFormat("Fraction digits must be from 0 to %d.",
                                              {std::to_string(kMaximumFractionDigits)})};
    }
    if (maximumDigits < minimumDigits) {
        return {std::nullopt, localizedString("The maximum number of fraction digits must not be "
                                              "below the minimum.")};
    }
    return {(styleType & kStyleTypeMask) | (minimumDigits << kFirstParameterShift) |
                (maximumDigits << kSecondParameterShift),
            {}};
}

int64_t initialMaximumFractionDigits(int64_t code) {
    int64_t maximum = secondStyleParameter(code);
    int64_t styleType = code & kStyleTypeMask;
    return maximum == 0 && (styleType == 0 || styleType == 1) ? 2 : maximum;
}
