#pragma once
// Stored texts of dates, times and locations, and the reading of date and time text met in
// imported files and typed into the edit-field panel. Stored forms never depend on the user's
// locale; "local" is the user's time zone.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Common/DBTypes.h"
#include "platform/foundation/DateFormatter.h"

namespace DBInterface {

inline const char* defaultDBDateFormat() {
    return "yyyy-MM-dd Z";
}
inline const char* defaultDBTimeFormat() {
    return "yyyy-MM-dd HH:mm:ss Z";
}

// Storage format 0: local with its offset; 2: in UTC, no offset; any other: local, no offset.
// "" for no date.
std::string stringForDatabaseFromDate(const std::optional<Date>& date, int64_t storageFormat);
std::string stringForDatabaseFromTime(const std::optional<Date>& date, int64_t storageFormat);
std::string stringForDatabaseFromDateWithoutTimeZone(const std::optional<Date>& date);
std::string stringForDatabaseFromTimeWithoutTimeZone(const std::optional<Date>& date);
std::string stringForDatabaseFromTimeWithoutTimeZoneOrSeconds(const std::optional<Date>& date);

// "%2.6f %2.6f", latitude then longitude.
std::string stringForDatabaseFromLocationWithLatitude(double latitude, double longitude);
// (latitude, longitude) of a stored location; what is missing reads as 0.
std::pair<double, double> coordinate2DFromDatabaseString(const std::string& text);

// The date of a stored text by the first formatter, else by the alternate one.
std::optional<Date> dateFromDatabaseString(const std::string& text,
                                           const DateFormatter* dbDateFormatter,
                                           const DateFormatter* alternateDateFormatter);

// Import text to the stored text of storage format 0, "" when no pattern reads it. With utc,
// text without a zone is read in UTC.
std::string parseDate(const std::string& text, bool utc);
std::string parseTime(const std::string& text, bool utc);
// The same by the patterns alone, without the quick reading of ISO texts, which must agree.
std::string parseDateByPatterns(const std::string& text, bool utc);
std::string parseTimeByPatterns(const std::string& text, bool utc);

// Text typed into the edit-field panel; with utc, text without a zone is read in UTC.
std::optional<Date> dateFromDateString(const std::string& text, bool utc);
std::optional<Date> dateFromTimeString(const std::string& text, bool utc);

// An imported value as it is to be written: the null object for the NULL text (with
// convertNULL), a Date or Time value in its stored form (with convertDate or convertTime), else
// the value unchanged.
DBValue fieldValueObjectForConvertedFieldValue(const std::string& value, int64_t fieldType,
                                               bool convertDate, bool convertTime, bool convertNULL,
                                               const std::string& nullString, bool utc);
// The same appended to `into`; false, with nothing appended, for the null object.
bool appendConvertedFieldValue(std::string_view value, int64_t fieldType, bool convertDate,
                               bool convertTime, bool convertNULL, std::string_view nullString,
                               bool utc, std::string* into);

// "HH:mm" in the zone ("" for the user's), made 24-hour should the locale impose AM/PM.
std::string time24FromDate(Date date, const std::string& timeZone);
// "yyyy-MM-dd HH:mm:00 Z" in the user's zone.
std::string convertTo24HourDateString(Date date);
// A time text shorter than 6 characters, or one that ends in AM or PM before its last 6
// characters (a 12-hour time with a zone behind it).
bool isBogusDate(const std::string& text);

}  // namespace DBInterface
