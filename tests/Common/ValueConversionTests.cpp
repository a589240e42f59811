#include <gtest/gtest.h>

#include "Common/DBInterface.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/UserLocale.h"
#include "tests/Common/ReadAsByPatterns.h"
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

// ISO texts are read without ICU; what they give must be what the patterns alone give, for
// each reading of zoneless text, in zones with and without daylight saving time, with
// half-hour and odd offsets, a skipped day and an offset of seconds, at changes of offset
// (skipped and repeated local times, a skipped midnight), and for texts the quick reading must
// leave to the patterns (other widths, spaces, letters, fields out of range).
TEST(ImportConversion, ISOTextsReadQuicklyGiveWhatThePatternsGive) {
    // Days of changes of offset, and days and forms that are not what they seem.
    const std::vector<std::string> changeDays = {"2021-03-28", "2021-10-31", "2021-03-14",
                                                 "2021-11-07", "2018-11-04", "2019-02-16",
                                                 "2011-12-30", "2021-04-04", "2005-08-15"};
    const std::vector<std::string> otherDays = {"2024-02-29",
                                                "2023-02-29",
                                                "1900-01-01",
                                                "1899-12-31",
                                                "9999-12-31",
                                                "1970-01-01",
                                                "2005-13-01",
                                                "2005-00-10",
                                                "2005-08-00",
                                                "2005-08-32",
                                                "2005-8-15",
                                                "2005-08-5",
                                                "05-08-15",
                                                "2005/08/15",
                                                "20050815",
                                                "2005-08-15 ",
                                                " 2005-08-15",
                                                "2005-08-15T",
                                                "2005-08-15 13:03:53 +0200 x",
                                                "２００５-08-15",
                                                ""};
    const std::vector<std::string> clock = {
        "00:00:00", "00:30",    "01:30:00", "01:59:59", "02:00:00",     "02:30:00",
        "02:30",    "03:00:00", "23:30:00", "23:59:59", "24:00:00",     "13:60",
        "13:03:60", "1:03:53",  "13:3:53",  "13:03:5",  "13:03:53.250", "01:03:53 PM"};
    const std::vector<std::string> zones = {
        "",       " +0200",     " -0930", " +02:00", " -05:30", " +02",   " Z",
        " +2359", " -0000",     " +2400", " +0260",  " +02:60", " +2",    " z",
        " UTC",   " GMT+01:00", "Z",      "+0200",   " +0200 ", "  +0200"};
    std::vector<std::string> texts;
    for (const auto* list : {&changeDays, &otherDays}) {
        for (const std::string& day : *list) {
            for (const std::string& zone : zones) texts.push_back(day + zone);
        }
    }
    for (const std::string& day : changeDays) {
        for (const std::string& time : clock) {
            for (const char* zone : {"", " +0100", " Z"}) texts.push_back(day + " " + time + zone);
        }
    }
    for (const std::string& zone : zones) texts.push_back("2005-08-15 13:03:53" + zone);
    for (const std::string& zone : zones) texts.push_back("2005-08-15 13:03" + zone);
    texts.insert(texts.end(), {"2005-08-15T13:03:53", "2005-08-15  13:03:53", "2005-08-15 13:03:"});
    for (const char* zone :
         {"UTC", "Europe/Berlin", "America/New_York", "America/Sao_Paulo", "Asia/Kolkata",
          "Pacific/Chatham", "Pacific/Apia", "Australia/Lord_Howe", "Africa/Monrovia"}) {
        FixedLocale fixed("en_US", zone);
        for (const std::string& text : texts) {
            ASSERT_TRUE(readAsByPatterns(text)) << zone;
        }
    }
}

// What the quick reading gives for the common forms, so that a fault shared with the patterns
// cannot hide behind the comparison above.
TEST(ImportConversion, ISOTextsInTheLocalZoneAndInUTC) {
    FixedLocale fixed("en_US", "America/New_York");
    EXPECT_EQ(parseDate("2005-08-15", false), "2005-08-15 -0400");
    EXPECT_EQ(parseDate("2005-08-15", true), "2005-08-14 -0400");
    EXPECT_EQ(parseDate("2005-01-15 +02:00", false), "2005-01-14 -0500");
    EXPECT_EQ(parseTime("2005-08-15 13:03:53", false), "2005-08-15 13:03:53 -0400");
    EXPECT_EQ(parseTime("2005-08-15 13:03", true), "2005-08-15 09:03:00 -0400");
    EXPECT_EQ(parseTime("2005-08-15 13:03:53 Z", false), "2005-08-15 09:03:53 -0400");
    EXPECT_EQ(parseTime("2024-02-29 23:30:00 -05:30", false), "2024-03-01 00:00:00 -0500");
    // Skipped by the change to daylight saving time: no such local time, left as it is.
    EXPECT_EQ(parseTime("2021-03-14 02:30:00", false), "");
    EXPECT_EQ(parseTime("2021-03-14 02:30:00", true), "2021-03-13 21:30:00 -0500");
    // Repeated by the change back: the later one, in standard time.
    EXPECT_EQ(parseTime("2021-11-07 01:30:00", false), "2021-11-07 01:30:00 -0500");
    EXPECT_EQ(parseDate("2005-02-29", false), "");
}
