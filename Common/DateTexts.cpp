#include "Common/DateTexts.h"

#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <string_view>
#include <vector>

#include "Common/DecimalText.h"
#include "Common/FieldTypes.h"
#include "Common/ISODateTexts.h"
#include "Common/PatternDateTexts.h"
#include "platform/foundation/UserLocale.h"

namespace DBInterface {

namespace {
constexpr const char* kUTC = "UTC";

// A fixed pattern in the locale-independent locale, unless it holds month names or the AM/PM
// marker, which are read as the user writes them. Building a formatter costs far more than
// using it and an import reads every value through several, so each thread keeps those it built
// for the user's current locale and zone.
const DateFormatter& patternFormatter(std::string_view pattern, bool utc = false) {
    thread_local std::map<std::string, DateFormatter> cache;
    thread_local std::string cachedFor;
    std::string userSettings = userLocaleIdentifier() + " " + userTimeZoneIdentifier();
    if (userSettings != cachedFor) {
        cache.clear();
        cachedFor = userSettings;
    }
    std::string key = std::string(pattern) + (utc ? "|UTC" : "");
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    DateFormatter formatter;
    formatter.setDateFormat(std::string(pattern));
    bool localized = pattern.find("MMM") != std::string_view::npos ||
                     pattern.find(" a") != std::string_view::npos;
    if (!localized) formatter.setLocale(kPosixLocaleIdentifier);
    if (utc) formatter.setTimeZone(kUTC);
    return cache.emplace(key, std::move(formatter)).first->second;
}

std::string storageText(const std::optional<Date>& date, const char* pattern, bool utc) {
    return date ? patternFormatter(pattern, utc).stringFromDate(*date) : std::string();
}

// The import's patterns, tried in this order: the zoned ones read in the local zone, the rest
// in UTC when asked.
constexpr std::initializer_list<const char*> kZonedDatePatterns = {"yyyy-MM-dd Z"};
constexpr std::initializer_list<const char*> kDatePatterns = {"yyyy-M-d", "M/d/yyyy", "d-MMM-yyyy"};
constexpr std::initializer_list<const char*> kZonedTimePatterns = {"yyyy-MM-dd HH:mm:ss Z",
                                                                   "yyyy-MM-dd HH:mm Z"};
constexpr std::initializer_list<const char*> kTimePatterns = {
    "yyyy-M-d h:mm:ss a", "M/d/yyyy h:mm:ss a", "d-MMM-yyyy h:mm:ss a", "yyyy-M-d h:mm a",
    "M/d/yyyy h:mm a",    "d-MMM-yyyy h:mm a",  "yyyy-M-d H:mm:ss",     "M/d/yyyy H:mm:ss",
    "d-MMM-yyyy H:mm:ss", "yyyy-M-d H:mm",      "M/d/yyyy H:mm",        "d-MMM-yyyy H:mm"};

// The first pattern that reads the whole text: the zoned ones in the local zone, the rest in
// UTC when asked.
std::optional<Date> firstParse(const std::string& text, std::initializer_list<const char*> zoned,
                               std::initializer_list<const char*> plain, bool utc) {
    for (const char* pattern : zoned) {
        if (auto date = patternFormatter(pattern).dateFromString(text)) return date;
    }
    for (const char* pattern : plain) {
        if (auto date = patternFormatter(pattern, utc).dateFromString(text)) return date;
    }
    return std::nullopt;
}

std::optional<Date> firstStyleParse(
    const std::string& text,
    std::initializer_list<std::pair<DateFormatter::Style, DateFormatter::Style>> styles, bool utc) {
    for (auto [dateStyle, timeStyle] : styles) {
        DateFormatter formatter;
        formatter.setDateStyle(dateStyle);
        formatter.setTimeStyle(timeStyle);
        if (utc) formatter.setTimeZone(kUTC);
        if (auto date = formatter.dateFromString(text)) return date;
    }
    return std::nullopt;
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view trimmedView(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string trimmed(std::string_view text) {
    return std::string(trimmedView(text));
}

bool equalsIgnoringASCIICase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// 0, which no calendar field accepts here, for a number too large to be a date's part.
int leadingInteger(const std::string& text) {
    double number = scanDecimal(text);
    return std::abs(number) < 1e9 ? static_cast<int>(number) : 0;
}

// Month/day (this year) or month/day/year, as typed with slashes.
std::optional<Date> dateFromSlashedWord(const std::string& word, bool utc) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t slash; (slash = word.find('/', start)) != std::string::npos; start = slash + 1) {
        parts.push_back(word.substr(start, slash - start));
    }
    parts.push_back(word.substr(start));
    if (parts.size() != 2 && parts.size() != 3) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar calendar(
        utc ? icu::TimeZone::createTimeZone(kUTC) : icu::TimeZone::createDefault(), status);
    if (U_FAILURE(status)) return std::nullopt;
    int year = parts.size() == 3 ? leadingInteger(parts[2]) : calendar.get(UCAL_YEAR, status);
    calendar.clear();
    // A month 13 or a day 40 is refused rather than rolled into another date.
    calendar.setLenient(false);
    calendar.set(year, leadingInteger(parts[0]) - 1, leadingInteger(parts[1]));
    UDate moment = calendar.getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return Date(std::chrono::milliseconds(static_cast<int64_t>(moment)));
}

std::vector<ImportDatePatterns::Pattern> importPatterns(std::initializer_list<const char*> zoned,
                                                        std::initializer_list<const char*> plain) {
    std::vector<ImportDatePatterns::Pattern> patterns;
    for (const char* pattern : zoned) patterns.push_back({pattern, true});
    for (const char* pattern : plain) patterns.push_back({pattern, false});
    return patterns;
}

// The stored text of the first pattern that reads the text, each read without ICU where that is
// sure to give what ICU gives. False, with nothing appended, when none reads it.
bool appendStoredFormByPatterns(std::string_view text, bool withTime, bool utc, std::string* into) {
    static const ImportDatePatterns datePatterns(importPatterns(kZonedDatePatterns, kDatePatterns));
    static const ImportDatePatterns timePatterns(importPatterns(kZonedTimePatterns, kTimePatterns));
    struct Asking {
        std::string_view text;
        bool withTime;
        std::string* into;
        std::optional<std::string> copy;  // ICU reads a string
    } asking{text, withTime, into, std::nullopt};
    auto askICU = [](void* context, const char* pattern, bool inUTC) {
        Asking& a = *static_cast<Asking*>(context);
        if (!a.copy) a.copy.emplace(a.text);
        const auto date = patternFormatter(pattern, inUTC).dateFromString(*a.copy);
        if (!date) return false;
        a.into->append(a.withTime ? stringForDatabaseFromTime(date, 0)
                                  : stringForDatabaseFromDate(date, 0));
        return true;
    };
    return (withTime ? timePatterns : datePatterns)
        .appendStoredForm(text, withTime, utc, into, askICU, &asking);
}

std::string parsed(const std::string& text, bool withTime, bool utc) {
    std::string stored;
    if (appendStoredFormOfISOText(text, withTime, utc, &stored)) return stored;
    appendStoredFormByPatterns(text, withTime, utc, &stored);
    return stored;
}
}  // namespace

std::string stringForDatabaseFromDate(const std::optional<Date>& date, int64_t storageFormat) {
    return storageText(date, storageFormat == 0 ? "yyyy-MM-dd Z" : "yyyy-MM-dd",
                       storageFormat == 2);
}

std::string stringForDatabaseFromTime(const std::optional<Date>& date, int64_t storageFormat) {
    return storageText(date, storageFormat == 0 ? "yyyy-MM-dd HH:mm:ss Z" : "yyyy-MM-dd HH:mm:ss",
                       storageFormat == 2);
}

std::string stringForDatabaseFromDateWithoutTimeZone(const std::optional<Date>& date) {
    return storageText(date, "yyyy-MM-dd", false);
}

std::string stringForDatabaseFromTimeWithoutTimeZone(const std::optional<Date>& date) {
    return storageText(date, "yyyy-MM-dd HH:mm:ss", false);
}

std::string stringForDatabaseFromTimeWithoutTimeZoneOrSeconds(const std::optional<Date>& date) {
    return storageText(date, "yyyy-MM-dd HH:mm", false);
}

std::string stringForDatabaseFromLocationWithLatitude(double latitude, double longitude) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%2.6f %2.6f", latitude, longitude);
    // snprintf follows the C library's locale; a stored location always has a point.
    std::string text(buffer);
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

std::pair<double, double> coordinate2DFromDatabaseString(const std::string& text) {
    std::string spaced = text;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    size_t consumed = 0;
    double latitude = scanDecimal(spaced, &consumed);
    if (consumed == 0) return {0, 0};
    std::string_view rest = std::string_view(spaced).substr(consumed);
    // The second number must be set apart by white space.
    if (rest.empty() || !isSpace(rest.front())) return {latitude, 0};
    return {latitude, scanDecimal(rest)};
}

std::optional<Date> dateFromDatabaseString(const std::string& text,
                                           const DateFormatter* dbDateFormatter,
                                           const DateFormatter* alternateDateFormatter) {
    if (text.empty() || !dbDateFormatter) return std::nullopt;
    if (auto date = dbDateFormatter->dateFromString(text)) return date;
    return alternateDateFormatter ? alternateDateFormatter->dateFromString(text) : std::nullopt;
}

std::string parseDate(const std::string& text, bool utc) {
    return parsed(text, false, utc);
}

std::string parseDateByPatterns(const std::string& text, bool utc) {
    return stringForDatabaseFromDate(firstParse(text, kZonedDatePatterns, kDatePatterns, utc), 0);
}

std::string parseTime(const std::string& text, bool utc) {
    return parsed(text, true, utc);
}

std::string parseTimeByPatterns(const std::string& text, bool utc) {
    return stringForDatabaseFromTime(firstParse(text, kZonedTimePatterns, kTimePatterns, utc), 0);
}

std::optional<Date> dateFromDateString(const std::string& text, bool utc) {
    using Style = DateFormatter::Style;
    if (auto date = firstParse(text, {"yyyy-MM-dd Z"}, {}, utc)) return date;
    if (auto date = firstStyleParse(
            text,
            {{Style::Medium, Style::None}, {Style::Short, Style::None}, {Style::Long, Style::None}},
            utc)) {
        return date;
    }
    std::string word = trimmed(text);
    word = word.substr(0, std::find_if(word.begin(), word.end(), isSpace) - word.begin());
    if (auto date = firstParse(word, {}, {"yyyy-MM-dd", "M/d/yyyy", "d-MMM-yyyy"}, utc)) {
        return date;
    }
    return dateFromSlashedWord(word, utc);
}

std::optional<Date> dateFromTimeString(const std::string& text, bool utc) {
    using Style = DateFormatter::Style;
    if (auto date = firstParse(text, {"yyyy-MM-dd HH:mm:ss Z"},
                               {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm"}, utc)) {
        return date;
    }
    return firstStyleParse(text,
                           {{Style::Medium, Style::Medium},
                            {Style::Short, Style::Medium},
                            {Style::Long, Style::Medium},
                            {Style::Medium, Style::Short}},
                           utc);
}

DBValue fieldValueObjectForConvertedFieldValue(const std::string& value, int64_t fieldType,
                                               bool convertDate, bool convertTime, bool convertNULL,
                                               const std::string& nullString, bool utc) {
    std::string converted;
    if (!appendConvertedFieldValue(value, fieldType, convertDate, convertTime, convertNULL,
                                   nullString, utc, &converted)) {
        return std::nullopt;
    }
    return converted;
}

bool appendConvertedFieldValue(std::string_view value, int64_t fieldType, bool convertDate,
                               bool convertTime, bool convertNULL, std::string_view nullString,
                               bool utc, std::string* into) {
    // Both sides in lower case: the NULL text is compared as the user may have typed it.
    if (equalsIgnoringASCIICase(trimmedView(value), nullString)) {
        if (convertNULL) return false;
        into->append(value);
        return true;
    }
    const bool time = fieldType == kFieldTypeTime && convertTime;
    if (time || (fieldType == kFieldTypeDate && convertDate)) {
        if (appendStoredFormOfISOText(value, time, utc, into) ||
            appendStoredFormByPatterns(value, time, utc, into)) {
            return true;
        }
    }
    into->append(value);
    return true;
}

std::string time24FromDate(Date date, const std::string& timeZone) {
    DateFormatter formatter;
    formatter.setDateFormat("HH:mm");
    if (!timeZone.empty()) formatter.setTimeZone(timeZone);
    std::string text = formatter.stringFromDate(date);
    if (text.size() < 6) return text;
    int hours = static_cast<int>(scanDecimal(text.substr(0, 2)));
    if (text.find("AM") == std::string::npos) hours += 12;
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d:", hours);
    return buffer + text.substr(3, 2);
}

std::string convertTo24HourDateString(Date date) {
    return patternFormatter("yyyy-MM-dd").stringFromDate(date) + " " + time24FromDate(date, "") +
           ":00 " + patternFormatter("Z").stringFromDate(date);
}

bool isBogusDate(const std::string& text) {
    if (text.size() < 6) return true;
    std::string head = text.substr(0, text.size() - 6);
    UErrorCode status = U_ZERO_ERROR;
    icu::DateFormatSymbols symbols(icu::Locale::getDefault(), status);
    if (U_FAILURE(status)) return false;
    int32_t count = 0;
    const icu::UnicodeString* markers = symbols.getAmPmStrings(count);
    for (int32_t i = 0; i < count; ++i) {
        std::string marker;
        markers[i].toUTF8String(marker);
        if (!marker.empty() && head.size() >= marker.size() &&
            head.compare(head.size() - marker.size(), marker.size(), marker) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace DBInterface
