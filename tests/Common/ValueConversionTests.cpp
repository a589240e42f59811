#include <gtest/gtest.h>

#include "Common/DBInterface.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/UserLocale.h"
#include "tests/support/FixedLocale.h"
#include "tests/support/TempHome.h"

using namespace DBInterface;

namespace {
// 2021-03-05 23:30:45 UTC: already 6 March east of UTC.
const Date kMoment{std::chrono::milliseconds(1614987045000LL)};
}  // namespace

TEST(StorageTexts, FormatsAcrossTimeZones) {
    {
        FixedLocale fixed("de_DE", "Europe/Berlin");
        EXPECT_EQ(stringForDatabaseFromDate(kMoment, 0), "2021-03-06 +0100");
        EXPECT_EQ(stringForDatabaseFromDate(kMoment, 1), "2021-03-06");
        EXPECT_EQ(stringForDatabaseFromDate(kMoment, 2), "2021-03-05");
        EXPECT_EQ(stringForDatabaseFromTime(kMoment, 0), "2021-03-06 00:30:45 +0100");
        EXPECT_EQ(stringForDatabaseFromTime(kMoment, 7), "2021-03-06 00:30:45");
        EXPECT_EQ(stringForDatabaseFromTime(kMoment, 2), "2021-03-05 23:30:45");
        EXPECT_EQ(stringForDatabaseFromTimeWithoutTimeZoneOrSeconds(kMoment), "2021-03-06 00:30");
        EXPECT_EQ(stringForDatabaseFromDate(std::nullopt, 0), "");
    }
    FixedLocale fixed("en_US", "America/New_York");
    EXPECT_EQ(stringForDatabaseFromTime(kMoment, 0), "2021-03-05 18:30:45 -0500");
    EXPECT_EQ(stringForDatabaseFromDate(kMoment, 2), "2021-03-05");
    // Reading a stored text back gives the same moment.
    DateFormatter stored;
    stored.setDateFormat(defaultDBTimeFormat());
    EXPECT_EQ(dateFromDatabaseString("2021-03-05 18:30:45 -0500", &stored, nullptr), kMoment);
    EXPECT_FALSE(dateFromDatabaseString("2021-03-05", &stored, nullptr));
    EXPECT_FALSE(dateFromDatabaseString("2021-03-05 18:30:45 -0500", nullptr, &stored));
}

TEST(StorageTexts, Locations) {
    FixedLocale fixed("de_DE", "UTC");
    EXPECT_EQ(stringForDatabaseFromLocationWithLatitude(52.5, -13.25), "52.500000 -13.250000");
    EXPECT_EQ(coordinate2DFromDatabaseString("52.5 -13.25"), std::make_pair(52.5, -13.25));
    EXPECT_EQ(coordinate2DFromDatabaseString("52.5,13.25"), std::make_pair(52.5, 13.25));
    EXPECT_EQ(coordinate2DFromDatabaseString("52.5"), std::make_pair(52.5, 0.0));
    EXPECT_EQ(coordinate2DFromDatabaseString(""), std::make_pair(0.0, 0.0));
}

TEST(ImportConversion, NullText) {
    EXPECT_EQ(
        fieldValueObjectForConvertedFieldValue(" NULL ", 1, false, false, true, "null", false),
        std::nullopt);
    EXPECT_EQ(fieldValueObjectForConvertedFieldValue(" NULL ", 3, true, true, false, "null", false),
              DBValue(" NULL "));
    EXPECT_EQ(fieldValueObjectForConvertedFieldValue(" x ", 1, true, true, true, "null", false),
              DBValue(" x "));
    // The NULL text as the user typed it, in capitals.
    EXPECT_EQ(fieldValueObjectForConvertedFieldValue("null", 1, false, false, true, "NULL", false),
              std::nullopt);
}

TEST(ImportConversion, DatesAndTimes) {
    FixedLocale fixed("en_US", "Europe/Berlin");
    EXPECT_EQ(
        fieldValueObjectForConvertedFieldValue("3/5/2021", 3, true, false, false, "null", false),
        DBValue("2021-03-05 +0100"));
    // Midnight UTC is 01:00 in Berlin, still 5 March.
    EXPECT_EQ(parseDate("3/5/2021", true), "2021-03-05 +0100");
    EXPECT_EQ(parseTime("3/5/2021 23:30", true), "2021-03-06 00:30:00 +0100");
    EXPECT_EQ(parseTime("3/5/2021 11:30 PM", false), "2021-03-05 23:30:00 +0100");
    EXPECT_EQ(parseTime("5-Mar-2021 7:05:09", false), "2021-03-05 07:05:09 +0100");
    EXPECT_EQ(parseDate("2021-03-05 +0000", true), "2021-03-05 +0100");
    // A date pattern must not swallow a text with a time of day.
    EXPECT_EQ(parseDate("2021-3-5 12:30", false), "");
    EXPECT_EQ(fieldValueObjectForConvertedFieldValue("soon", 3, true, false, false, "null", false),
              DBValue("soon"));
    // Without the flag the text stays as it is.
    EXPECT_EQ(
        fieldValueObjectForConvertedFieldValue("3/5/2021", 3, false, false, false, "null", false),
        DBValue("3/5/2021"));

    FixedLocale west("en_US", "America/Los_Angeles");
    EXPECT_EQ(parseDate("3/5/2021", false), "2021-03-05 -0800");
    EXPECT_EQ(parseDate("3/5/2021", true), "2021-03-04 -0800");
}

TEST(EditParsing, DatesAndTimes) {
    FixedLocale fixed("en_US", "UTC");
    auto march5 = Date(std::chrono::milliseconds(1614902400000LL));
    EXPECT_EQ(dateFromDateString("2021-03-05 +0000", false), march5);
    EXPECT_EQ(dateFromDateString("Mar 5, 2021", false), march5);
    EXPECT_EQ(dateFromDateString("3/5/21", false), march5);
    EXPECT_EQ(dateFromDateString("  2021-03-05 and more", false), march5);
    EXPECT_EQ(dateFromDateString("3/5/2021", false), march5);
    EXPECT_FALSE(dateFromDateString("13/40/2021", false));
    EXPECT_FALSE(dateFromDateString("1/2/99999999999", false));
    EXPECT_FALSE(dateFromDateString("99999999999/2/2021", false));
    EXPECT_FALSE(dateFromDateString("3/5/1e400", false));
    EXPECT_FALSE(dateFromDateString("yesterday", false));
    EXPECT_EQ(dateFromTimeString("2021-03-05 23:30:45", false), kMoment);
    EXPECT_EQ(dateFromTimeString("Mar 5, 2021, 11:30:45 PM", false), kMoment);
    EXPECT_FALSE(dateFromTimeString("2021-03-05", false));
}

TEST(TimeTexts, TwentyFourHourForms) {
    FixedLocale fixed("en_US", "Europe/Berlin");
    EXPECT_EQ(time24FromDate(kMoment, ""), "00:30");
    EXPECT_EQ(time24FromDate(kMoment, "UTC"), "23:30");
    EXPECT_EQ(convertTo24HourDateString(kMoment), "2021-03-06 00:30:00 +0100");
    EXPECT_TRUE(isBogusDate("12:30"));
    EXPECT_TRUE(isBogusDate("2021-03-05 11:30 PM +0100"));
    EXPECT_FALSE(isBogusDate("2021-03-05 23:30:00 +0100"));
}

TEST(CircularAreas, ParsingAndValidity) {
    auto area = circularAreaFromString("52.5, 13.4; 500");
    EXPECT_EQ(area.latitude, 52.5);
    EXPECT_EQ(area.longitude, 13.4);
    EXPECT_EQ(area.radius, 500);
    EXPECT_EQ(circularAreaFromString("52.5 13.4").radius, 0);
    area = circularAreaFromString("52.5");
    EXPECT_EQ(area.longitude, 200);
    EXPECT_FALSE(circularAreaIsValid(area));
    EXPECT_EQ(circularAreaFromString("north 1 2").latitude, 100);
    EXPECT_EQ(circularAreaFromString("").latitude, 100);
    EXPECT_FALSE(circularAreaIsValid({1, 1, 1000000}));
    EXPECT_TRUE(circularAreaIsValid({1, 1, 999999.5}));
    EXPECT_TRUE(circularAreaIsValid({-90, 180, 0}));
    EXPECT_FALSE(circularAreaIsValid({std::nan(""), 0, 0}));
}

TEST(FileNamesAndTexts, SizesTestsAndCleaning) {
    FixedLocale fixed("en_US", "UTC");
    EXPECT_EQ(fileSizeStringFromNumber(0), "0 bytes");
    EXPECT_EQ(fileSizeStringFromNumber(1), "1 byte");
    EXPECT_EQ(fileSizeStringFromNumber(999), "999 bytes");
    EXPECT_EQ(fileSizeStringFromNumber(1000), "1 KB");
    EXPECT_EQ(fileSizeStringFromNumber(1499), "1 KB");
    EXPECT_EQ(fileSizeStringFromNumber(1500000), "1.5 MB");
    EXPECT_EQ(fileSizeStringFromNumber(2000000), "2 MB");
    EXPECT_EQ(fileSizeStringFromNumber(1234567890), "1.23 GB");
    EXPECT_EQ(fileSizeStringFromNumber(std::nullopt), "");
    int units = 0;
    EXPECT_EQ(fileSizeStringFromNumber(1500000, &units), "1.5");
    EXPECT_EQ(units, 3);

    EXPECT_TRUE(isSupportedSQLFile("dump.SQL"));
    EXPECT_TRUE(isSupportedImageFile("a.jpeg"));
    EXPECT_TRUE(isSupportedCompressedFile("a.tar.Z"));

    EXPECT_EQ(nameWithoutQuotingCharacters("  [my \"big\" table]\n"), "_my _big_ table_");
    EXPECT_EQ(trimTrailingNewlineFromString("line\r\n"), "line");
    EXPECT_EQ(trimTrailingNewlineFromString("line\n"), "line");
    EXPECT_EQ(trimTrailingNewlineFromString(""), "");
    // Pasted text with a lone CR inside keeps the character after it.
    EXPECT_EQ(trimTrailingNewlineFromString("a,b\rc"), "a,b\rc");
    EXPECT_EQ(trimTrailingNewlineFromString("x\r"), "x");
}

class StopwatchTest : public TempHomeTest {};

TEST_F(StopwatchTest, PrunesByDatabaseTableAndRowid) {
    auto& defaults = UserDefaults::standard();
    defaults.setObject({{"/a.db", {{"t", {{"1", 1}, {"2", 2}, {"3", 3}}}, {"u", {{"9", 9}}}}},
                        {"/b.db", {{"t", {{"1", 1}}}}}},
                       "RunningStopwatches");
    std::string a = "/a.db";
    std::string t = "t";
    std::set<std::string> keep{"2"};
    removeRunningStopwatchesForDatabase(&a, &t, &keep, true);
    EXPECT_EQ(defaults.dictionaryForKey("RunningStopwatches")["/a.db"]["t"].size(), 1u);
    std::string u = "u";
    removeRunningStopwatchesForDatabase(&a, &u, nullptr, false);
    EXPECT_FALSE(defaults.dictionaryForKey("RunningStopwatches")["/a.db"].contains("u"));
    removeRunningStopwatchesForDatabase("/b.db");
    EXPECT_FALSE(defaults.dictionaryForKey("RunningStopwatches").contains("/b.db"));
    removeRunningStopwatchesForDatabase(nullptr, nullptr, nullptr, false);
    EXPECT_TRUE(defaults.objectForKey("RunningStopwatches").is_null());
}

// Stored forms are read without ICU; what they give must be what ICU's patterns give, in zones
// with and without daylight saving and with half-hour offsets, across a change of offset, and
// for texts the quick reading must leave to ICU (lenient days, short forms, other zones' names).
TEST(ImportConversion, StoredFormsReadQuicklyGiveWhatICUGives) {
    auto icuStored = [](const std::string& text, bool time) {
        const std::vector<std::string> patterns =
            time ? std::vector<std::string>{"yyyy-MM-dd HH:mm:ss Z", "yyyy-MM-dd HH:mm Z"}
                 : std::vector<std::string>{"yyyy-MM-dd Z"};
        DateFormatter out;
        out.setLocale(kPosixLocaleIdentifier);
        out.setDateFormat(time ? "yyyy-MM-dd HH:mm:ss Z" : "yyyy-MM-dd Z");
        for (const std::string& pattern : patterns) {
            DateFormatter in;
            in.setLocale(kPosixLocaleIdentifier);
            in.setDateFormat(pattern);
            if (auto date = in.dateFromString(text)) return out.stringFromDate(*date);
        }
        return std::string();
    };
    const std::vector<std::string> dates = {
        "2021-03-05 +0000", "2021-03-28 +0100", "2021-10-31 -0930",    "1999-12-31 +1400",
        "2024-02-29 +0530", "1900-01-01 +0000", "2021-02-30 +0000",    "2021-13-01 +0000",
        "1850-06-01 +0000", "2021-3-5 +0000",   "2021-03-05 GMT+01:00"};
    const std::vector<std::string> times = {
        "2021-03-28 01:59:59 +0000", "2021-03-28 02:30:00 +0200", "2021-11-07 01:30:00 -0400",
        "2021-03-05 23:30 +0000",    "2000-01-01 00:00:00 -1200", "2021-03-05 24:00:00 +0000",
        "2021-03-05 12:60:00 +0000", "2021-03-05 7:05:09 +0000"};
    for (const char* zone :
         {"UTC", "Europe/Berlin", "America/New_York", "Asia/Kolkata", "Pacific/Chatham"}) {
        FixedLocale fixed("en_US", zone);
        for (const std::string& text : dates) {
            EXPECT_EQ(parseDate(text, false), icuStored(text, false)) << zone << " " << text;
        }
        for (const std::string& text : times) {
            EXPECT_EQ(parseTime(text, true), icuStored(text, true)) << zone << " " << text;
        }
    }
}
