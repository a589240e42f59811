// The import's other date and time patterns read without ICU: each pattern's answer is ICU's, in
// locales of other month names, day periods and digits, in zones with changes of offset, and
// read in UTC; and the common forms, and texts that no pattern reads, are decided without ICU.
#include <gtest/gtest.h>

#include "Common/DBInterface.h"
#include "Common/PatternDateTexts.h"
#include "tests/Common/ReadAsByPatterns.h"
#include "tests/support/FixedLocale.h"

using namespace DBInterface;
using Reading = QuickDatePattern::Reading;

namespace {

const std::vector<const char*> kDatePatterns = {"yyyy-M-d", "M/d/yyyy", "d-MMM-yyyy"};
const std::vector<const char*> kTimePatterns = {
    "yyyy-M-d h:mm:ss a", "M/d/yyyy h:mm:ss a", "d-MMM-yyyy h:mm:ss a", "yyyy-M-d h:mm a",
    "M/d/yyyy h:mm a",    "d-MMM-yyyy h:mm a",  "yyyy-M-d H:mm:ss",     "M/d/yyyy H:mm:ss",
    "d-MMM-yyyy H:mm:ss", "yyyy-M-d H:mm",      "M/d/yyyy H:mm",        "d-MMM-yyyy H:mm"};

// What ICU makes of the text by the one pattern, as the import sets its formatter up.
std::string byICU(const char* pattern, const std::string& text, bool withTime, bool utc) {
    DateFormatter formatter;
    formatter.setDateFormat(pattern);
    const std::string_view p(pattern);
    if (p.find("MMM") == std::string_view::npos && p.find(" a") == std::string_view::npos) {
        formatter.setLocale(kPosixLocaleIdentifier);
    }
    if (utc) formatter.setTimeZone("UTC");
    const auto date = formatter.dateFromString(text);
    return withTime ? stringForDatabaseFromTime(date, 0) : stringForDatabaseFromDate(date, 0);
}

std::vector<std::string> dateTexts() {
    return {"2005-8-15",
            "2005-08-15",
            "08/15/2005",
            "8/5/2005",
            "12/31/1999",
            "02/29/2024",
            "02/29/2023",
            "2/30/2024",
            "15-Aug-2005",
            "5-aug-2005",
            "15-AUGUST-2005",
            "15-Augu-2005",
            "15-Sept-2005",
            "15-Sep-2005",
            "15-Mai-2005",
            "15-März-2005",
            "15-Aug.-2005",
            "15-janv.-2005",
            "15-janv-2005",
            "15-août-2005",
            "15-8월-2005",
            "15.08.2005",
            "2005-08-15T13:03:53Z",
            "2005-8-15 ",
            " 2005-8-15",
            "2005- 8-15",
            "2005 -8-15",
            "2005-8-1E1",
            "15E1-8-15",
            "2005-8-15.5",
            "2005-8-15,5",
            "+2005-8-15",
            "-2005-8-15",
            "205-8-15",
            "02005-8-15",
            "2005-08-015",
            "2005-13-15",
            "2005-0-15",
            "2005-8-0",
            "2005-8-32",
            "13/15/2005",
            "08/15/05",
            "1899-12-31",
            "1900-1-1",
            "9999-12-31",
            "10000-1-1",
            "Aug 15, 2005",
            "",
            "x",
            "2005",
            "2005-8",
            "2005-8-",
            "08/15/2005x",
            "08/15/2005\t",
            "2005-8-15 +02:00",
            "２００５-8-15",
            "2005-8-15\xc2\xa0",
            "2005\xe2\x80\x8e-8-15",
            "NaN-8-15",
            "2021-3-14",
            "3/28/2021"};
}

std::vector<std::string> timeTexts() {
    std::vector<std::string> texts = {"2005-08-15T13:03:53Z", "2005-08-15 13:03:53", "08/15/2005",
                                      "15.08.2005 13:03", ""};
    for (const char* day : {"2005-8-15", "08/15/2005", "15-Aug-2005", "15-Mär-2005", "3/14/2021",
                            "2021-3-28", "11/7/2021", "29-Feb-2023"}) {
        for (const char* clock :
             {" 13:03:53",     " 1:03:53 PM",   " 1:03:53 pm",     " 1:03:53 p",
              " 12:03:53 AM",  " 12:03:53 PM",  " 0:03:53 AM",     " 13:03:53 PM",
              " 13:03:53 AM",  " 1:03 PM",      " 13:03",          " 2:30",
              " 1:30",         " 1:3",          " 13:03:5",        " 13:03:53 +0200",
              " 1:03:53PM",    "  1:03:53  PM", " 24:00",          " 23:59:59",
              " 1:03:53 A.M.", " 1:03:53 午後", " 1:03:53 nachm.", " 1:03:53 오후",
              "T13:03",        " 13:03:53.5",   " 13:03 ",         " 01:03:53 AM"}) {
            texts.push_back(std::string(day) + clock);
        }
    }
    return texts;
}

}  // namespace

TEST(PatternDateTexts, EachPatternAnswersAsICUDoes) {
    const auto dates = dateTexts(), times = timeTexts();
    for (const char* locale : {"en_US", "de_DE", "fr_FR", "ko_KR", "ar_EG"}) {
        for (const char* zone : {"UTC", "America/New_York", "Europe/Berlin", "Asia/Kolkata"}) {
            FixedLocale fixed(locale, zone);
            for (bool withTime : {false, true}) {
                const auto& texts = withTime ? times : dates;
                for (const char* pattern : withTime ? kTimePatterns : kDatePatterns) {
                    const QuickDatePattern quick(pattern);
                    for (const std::string& text : texts) {
                        for (bool utc : {false, true}) {
                            std::string read;
                            const Reading reading = quick.read(text, withTime, utc, &read);
                            if (reading == Reading::AskICU) continue;
                            ASSERT_EQ(read, byICU(pattern, text, withTime, utc))
                                << locale << " " << zone << " " << pattern << " [" << text
                                << "] utc " << utc;
                        }
                    }
                }
                // And the first pattern's answer is the import's.
                for (const std::string& text : texts) {
                    for (bool utc : {false, true}) {
                        ASSERT_EQ(withTime ? parseTime(text, utc) : parseDate(text, utc),
                                  withTime ? parseTimeByPatterns(text, utc)
                                           : parseDateByPatterns(text, utc))
                            << locale << " " << zone << " [" << text << "] utc " << utc;
                    }
                }
            }
        }
    }
}

// The common forms and the texts no pattern reads are decided without ICU, each pattern saying
// read or not read.
TEST(PatternDateTexts, CommonFormsAndOtherTextsAreDecidedWithoutICU) {
    FixedLocale fixed("en_US", "Europe/Berlin");
    struct Case {
        const char* text;
        bool withTime;
        const char* stored;  // "" when no pattern reads it
    };
    const Case cases[] = {
        {"08/15/2005", false, "2005-08-15 +0200"},
        {"2005-8-5", false, "2005-08-05 +0200"},
        {"5-Aug-2005", false, "2005-08-05 +0200"},
        {"15-december-2005", false, "2005-12-15 +0100"},
        {"08/15/2005 13:03:53", true, "2005-08-15 13:03:53 +0200"},
        {"08/15/2005 1:03:53 PM", true, "2005-08-15 13:03:53 +0200"},
        {"08/15/2005 12:03 am", true, "2005-08-15 00:03:00 +0200"},
        {"2005-1-15 9:03", true, "2005-01-15 09:03:00 +0100"},
        {"15-Aug-2005 1:03:53 PM", true, "2005-08-15 13:03:53 +0200"},
        {"2005-08-15T13:03:53Z", true, ""},
        {"2005-08-15T13:03:53Z", false, ""},
        {"15.08.2005", false, ""},
        {"15.08.2005 13:03:53", true, ""},
        {"Aug 15, 2005", false, ""},
        {"n/a", true, ""},
        {"08/15/2005 13:03:53 PM", true, ""},
    };
    for (const Case& c : cases) {
        const auto& patterns = c.withTime ? kTimePatterns : kDatePatterns;
        std::string stored;
        for (const char* pattern : patterns) {
            const Reading reading =
                QuickDatePattern(pattern).read(c.text, c.withTime, false, &stored);
            ASSERT_NE(reading, Reading::AskICU) << pattern << " [" << c.text << "]";
            if (reading == Reading::Read) break;
        }
        EXPECT_EQ(stored, c.stored) << c.text;
        EXPECT_EQ(c.withTime ? parseTime(c.text, false) : parseDate(c.text, false), c.stored)
            << c.text;
    }
}

// ICU takes a month's name where a pattern has its number ("yyyy-M-d", "M/d/yyyy"), by the
// English names or, in patterns with a day period, the user's; texts of one shape follow one
// another, some with a day no month has.
TEST(PatternDateTexts, MonthNamesInPlaceOfNumbersAsICU) {
    struct Case {
        const char* locale;
        const char* text;
        bool withTime;
        const char* stored;  // nullptr: only as ICU reads it
    };
    const Case cases[] = {
        {"en_US", "2005-Aug-15", false, "2005-08-15 +0200"},
        {"en_US", "2005-Aug-45", false, ""},
        {"en_US", "2005-aug-05", false, "2005-08-05 +0200"},
        {"en_US", "2005-August-15", false, "2005-08-15 +0200"},
        {"en_US", "Aug/15/2005", false, "2005-08-15 +0200"},
        {"en_US", "Sep/31/2005", false, ""},
        {"en_US", "Sept/15/2005", false, nullptr},
        {"en_US", "2005-Aug.-15", false, nullptr},
        {"en_US", "2005-Augx-15", false, ""},
        {"en_US", "2005-Aug-150", false, ""},
        {"en_US", "2005-Aug-0000000015", false, nullptr},
        {"en_US", "15-Aug-2005", false, "2005-08-15 +0200"},
        {"de_DE", "2005-Mai-15", false, ""},
        {"de_DE", "2005-May-15", false, "2005-05-15 +0200"},
        {"en_US", "2005-Aug-15 1:03 PM", true, "2005-08-15 13:03:00 +0200"},
        {"de_DE", "2005-Mai-15 1:03 PM", true, "2005-05-15 13:03:00 +0200"},
        {"de_DE", "2005-Mai-15 13:03", true, ""},
        {"en_US", "Aug/15/2005 13:03", true, "2005-08-15 13:03:00 +0200"},
        {"en_US", "2005-Aug-2005 13:03", true, ""},
        // Names of words and hyphens, which reach past a run of letters.
        {"ca_ES", "2005-de gen.-15 1:03 a. m.", true, nullptr},
        {"ca_ES", "2005-de gener-15 1:03 a. m.", true, nullptr},
        {"ak_GH", "2005-e-o-15 1:03 AN", true, nullptr},
        {"vi_VN", "2005-thg 8-15 1:03 CH", true, nullptr},
    };
    for (const Case& c : cases) {
        FixedLocale fixed(c.locale, "Europe/Berlin");
        for (bool utc : {false, true}) {
            const std::string read = c.withTime ? parseTime(c.text, utc) : parseDate(c.text, utc);
            EXPECT_EQ(read, c.withTime ? parseTimeByPatterns(c.text, utc)
                                       : parseDateByPatterns(c.text, utc))
                << c.locale << " [" << c.text << "] utc " << utc;
            if (c.stored && !utc) {
                EXPECT_EQ(read, c.stored) << c.locale << " [" << c.text << "]";
            }
        }
    }
}

// A locale whose calendar is not the Gregorian one counts the years of the patterns that read
// its names and day periods its own way.
TEST(PatternDateTexts, LocalesOfOtherCalendarsAsICU) {
    const char* texts[] = {"15-Aug-2005",       "2005-8-15",           "8/15/2005 1:03 PM",
                           "2005-8-15 1:03 a",  "2005-8-15 1:03 p",    "15-Aug-2005 1:03:53 pm",
                           "2005-Aug-15 13:03", "15-January-2005 2:30"};
    for (const char* locale : {"th_TH", "en_US@calendar=buddhist", "en_US@calendar=japanese",
                               "en_US@calendar=islamic", "de_DE@calendar=buddhist"}) {
        FixedLocale fixed(locale, "Europe/Berlin");
        for (const char* text : texts) {
            EXPECT_TRUE(readAsByPatterns(text)) << locale;
        }
    }
}

// ICU reads a minus sign with a number: "-0" and "-00" are 0, other numbers below 0 are out of
// range.
TEST(PatternDateTexts, SignedNumbersAsICU) {
    FixedLocale fixed("en_US", "Europe/Berlin");
    struct Case {
        const char* text;
        const char* time;  // nullptr: only as ICU reads it
    };
    const Case cases[] = {
        {"2005-8-15 -0:30", "2005-08-15 00:30:00 +0200"},
        {"2005-8-15 -00:00", "2005-08-15 00:00:00 +0200"},
        {"2005-8-15 1:-00", "2005-08-15 01:00:00 +0200"},
        {"2005-8-15 1:03:-00", "2005-08-15 01:03:00 +0200"},
        {"2005-8-15 -0:03 PM", "2005-08-15 12:03:00 +0200"},
        {"2005-8-15 -1:30", ""},
        {"2005-8-15 +0:30", nullptr},
        {"2005-8-15 12:-03 PM", nullptr},
        {"2005--0-15", nullptr},
        {"8/-0/2005", nullptr},
        {"2005-8--0", nullptr},
        {"-0-8-15", nullptr},
        {"15--Aug-2005", nullptr},
        {"2005-08-15 -0400", nullptr},
    };
    for (const Case& c : cases) {
        for (bool utc : {false, true}) {
            EXPECT_EQ(parseDate(c.text, utc), parseDateByPatterns(c.text, utc))
                << "[" << c.text << "] utc " << utc;
            const std::string time = parseTime(c.text, utc);
            EXPECT_EQ(time, parseTimeByPatterns(c.text, utc)) << "[" << c.text << "] utc " << utc;
            if (c.time && !utc) {
                EXPECT_EQ(time, c.time) << "[" << c.text << "]";
            }
        }
    }
}
