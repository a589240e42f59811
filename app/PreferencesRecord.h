#pragma once
// The preferences record: the application-wide display and storage settings as the
// preferences window edits them, read from and written to the defaults store, and the packing
// of the custom time and number display styles.
#include <cstdint>
#include <optional>
#include <string>

class UserDefaults;

struct PreferencesRecord {
    uint64_t typesToShow = 0;  // SchemaObjectTypesToShow bit set
    bool showSystemTables = false;
    bool warnOnRowDelete = false;       // NoWarnOnRowDelete, stored inverted
    bool formatDataInRowsView = false;  // DontFormatDataInRowsView, stored inverted
    bool showNULLInRowsView = false;
    bool autoRefreshAllWindows = false;
    bool foreignKeyRestraints = false;  // EnableForeignKeyConstraints
    int64_t lookupTableRowsLimit = 0;
    int64_t ifNoTimeZone = 0;
    int64_t dateDisplayFormat = 0;
    int64_t timeDisplayFormat = 0;
    int64_t numberDisplayFormat = 0;
    int64_t dateStorageFormat = 0;
    int64_t timeStorageFormat = 0;
    // The display codes in force when a style sheet opened; never stored.
    int64_t oldNumberDisplayFormat = 0;
    int64_t oldTimeDisplayFormat = 0;
};

// Reads the record; a storage format without its own key takes DateTimeStorageFormat.
PreferencesRecord loadPreferencesRecord(const UserDefaults& defaults);
// Writes every stored field; DateTimeStorageFormat is left as it is.
void storePreferencesRecord(const PreferencesRecord& record, UserDefaults& defaults);
// Compares the stored fields only.
bool preferencesAreEqual(const PreferencesRecord& p1, const PreferencesRecord& p2);

// The value when minimum <= value < end, else the minimum.
int64_t firstValidEnum(int64_t value, int64_t minimum, int64_t end);
// The code with its style type (low byte) replaced, its parameters kept.
int64_t replacingStyleType(int64_t code, int64_t styleType);
// A display code's parameters: bits 16-23 and 24-31.
int64_t firstStyleParameter(int64_t code);
int64_t secondStyleParameter(int64_t code);

// The custom time style: the date and time-of-day table rows chosen (-1 for none).
int64_t customTimeDisplayFormat(int64_t styleType, int dateRow, int timeOfDayRow);

// Fraction digits a number style may show.
inline constexpr int64_t kMaximumFractionDigits = 20;
struct NumberStyleChoice {
    std::optional<int64_t> code;  // nullopt when refused
    std::string refusal;          // what was refused, for the user
};
// Packs a number style with its minimum and maximum fraction digits, refusing digits outside
// 0-20 and a maximum below the minimum.
NumberStyleChoice customNumberDisplayFormat(int64_t styleType, int64_t minimumDigits,
                                            int64_t maximumDigits);
// The maximum the number-style sheet starts with: 2 while the code holds none for a default or
// plain style.
int64_t initialMaximumFractionDigits(int64_t code);
