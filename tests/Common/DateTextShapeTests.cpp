// Texts read by what their shape (their bytes, whatever ASCII digits they hold) came to before:
// each text is read as trying every pattern reads it, asking ICU about the same patterns in the
// same order, and as ICU reads it, whichever text of its shape came first, in locales of other
// names and day periods and in zones with changes of offset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "Common/PatternDateTexts.h"
#include "tests/support/FixedLocale.h"

using namespace DBInterface;
using Lookup = ImportDatePatterns::Lookup;

namespace {

const std::vector<ImportDatePatterns::Pattern> kDatePatterns = {
    {"yyyy-MM-dd Z", true}, {"yyyy-M-d", false}, {"M/d/yyyy", false}, {"d-MMM-yyyy", false}};
const std::vector<ImportDatePatterns::Pattern> kTimePatterns = {
    {"yyyy-MM-dd HH:mm:ss Z", true}, {"yyyy-MM-dd HH:mm Z", true},    {"yyyy-M-d h:mm:ss a", false},
    {"M/d/yyyy h:mm:ss a", false},   {"d-MMM-yyyy h:mm:ss a", false}, {"yyyy-M-d h:mm a", false},
    {"M/d/yyyy h:mm a", false},      {"d-MMM-yyyy h:mm a", false},    {"yyyy-M-d H:mm:ss", false},
    {"M/d/yyyy H:mm:ss", false},     {"d-MMM-yyyy H:mm:ss", false},   {"yyyy-M-d H:mm", false},
    {"M/d/yyyy H:mm", false},        {"d-MMM-yyyy H:mm", false}};

std::vector<std::string> dateTexts() {
    return {"2005-8-15",
            "2005-08-15",
            "8/15/2005",
            "08/15/2005",
            "15-Aug-2005",
            "5-aug-2005",
            "15-AUGUST-2005",
            "15-Mai-2005",
            "15-März-2005",
            "15-août-2005",
            "15-janv.-2005",
            "15-8월-2005",
            "29-Feb-2024",
            "29-Feb-2023",
            "2/29/2024",
            "2/29/2023",
            "2005-13-45",
            "0/0/2005",
            "15.08.2005",
            "2005-8-15x",
            "2005-8-15 ",
            " 2005-8-15",
            "2005-8-1E1",
            "2005- 8-15",
            "1899-12-31",
            "12/31/1899",
            "10000-1-1",
            "2005-8-15 +02:00",
            "Aug 15, 2005",
            "",
            "2005-08-15T13:03:53Z",
            "2005-Aug-15",
            "Aug/15/2005",
            "2005-Mai-5",
            "2005-Aug-0015",
            "th-Aug-2005"};
}

std::vector<std::string> timeTexts() {
    std::vector<std::string> texts = {"2005-08-15 13:03:53", "2005-08-15T13:03:53Z", ""};
    for (const char* day : {"2005-8-15", "08/15/2005", "15-Aug-2005", "15-Mai-2005", "3/14/2021",
                            "2021-3-28", "10/31/2021", "11/7/2021", "29-Feb-2024", "2005-Mai-15"}) {
        for (const char* clock :
             {" 13:03:53",  " 1:03:53 PM",   " 12:03 AM",       " 12:03:53 PM", " 0:03 AM",
              " 13:03 PM",  " 2:30",         " 2:30:00 AM",     " 1:30 AM",     " 1:03:53 nachm.",
              " 1:03 오후", " 1:03 PMx",     " 13:03:00x",      " 24:00",       " 13:60",
              " 1:03:53 p", " 1:03:53 A.M.", " 13:03:53 +0200", "  1:03 PM",    " 1:03:5"}) {
            texts.push_back(std::string(day) + clock);
        }
    }
    return texts;
}

// The texts, then the same with every ASCII digit turned by each step: texts of the same shapes
// whose fields fall in and out of range.
std::vector<std::string> withDigitsTurned(const std::vector<std::string>& texts) {
    std::vector<std::string> all = texts;
    for (int step : {1, 5, 9}) {
        for (std::string text : texts) {
            for (char& c : text) {
                if (c >= '0' && c <= '9') c = static_cast<char>('0' + (c - '0' + step) % 10);
            }
            all.push_back(text);
        }
    }
    return all;
}

// What one lookup made of a text: the patterns it asked ICU about, in order, and what it
// appended. ICU is made to refuse them all, so that every entry's reading shows.
struct Answer {
    std::vector<std::string> asked;
    bool read = false;
    std::string stored;
};

Answer answer(const ImportDatePatterns& patterns, const std::string& text, bool withTime, bool utc,
              Lookup lookup) {
    Answer a;
    auto refuse = [](void* context, const char* pattern, bool) {
        static_cast<Answer*>(context)->asked.push_back(pattern);
        return false;
    };
    a.read = patterns.appendStoredForm(text, withTime, utc, &a.stored, refuse, &a, lookup);
    return a;
}

void expectSameAnswers(const ImportDatePatterns& patterns, const std::vector<std::string>& texts,
                       bool withTime, const char* where) {
    for (const std::string& text : texts) {
        for (bool utc : {false, true}) {
            const Answer byShape = answer(patterns, text, withTime, utc, Lookup::ByShape);
            const Answer each = answer(patterns, text, withTime, utc, Lookup::EachPattern);
            ASSERT_EQ(byShape.asked, each.asked) << where << " [" << text << "] utc " << utc;
            ASSERT_EQ(byShape.read, each.read) << where << " [" << text << "] utc " << utc;
            ASSERT_EQ(byShape.stored, each.stored) << where << " [" << text << "] utc " << utc;
        }
    }
}

}  // namespace

TEST(DateTextShapes, ReadByShapeAsByEachPattern) {
    // Kept for the whole test: the shapes met in one locale must not answer for another.
    const ImportDatePatterns datePatterns(kDatePatterns), timePatterns(kTimePatterns);
    const auto dates = withDigitsTurned(dateTexts()), times = withDigitsTurned(timeTexts());
    const std::vector<std::string> datesBackwards(dates.rbegin(), dates.rend()),
        timesBackwards(times.rbegin(), times.rend());
    for (const char* locale : {"en_US", "de_DE", "fr_FR", "ko_KR", "ar_EG", "en_US"}) {
        for (const char* zone : {"Europe/Berlin", "America/New_York"}) {
            FixedLocale fixed(locale, zone);
            const std::string where = std::string(locale) + " " + zone;
            expectSameAnswers(datePatterns, dates, false, where.c_str());
            expectSameAnswers(datePatterns, datesBackwards, false, where.c_str());
            expectSameAnswers(timePatterns, times, true, where.c_str());
            expectSameAnswers(timePatterns, timesBackwards, true, where.c_str());
        }
    }
}

// More shapes than are kept: those pushed out are read again, not taken for others.
TEST(DateTextShapes, ManyShapesPushOneAnotherOut) {
    FixedLocale fixed("en_US", "Europe/Berlin");
    const ImportDatePatterns timePatterns(kTimePatterns);
    std::vector<std::string> texts;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 3000; ++i) {
            // Trailing letters make each shape new; every third one is read.
            std::string text = "15-Aug-2005 " + std::to_string(i % 13) + ":03 PM";
            for (int rest = i; i % 3 != 0 && rest > 0; rest /= 26) {
                text += static_cast<char>('a' + rest % 26);
            }
            texts.push_back(text);
        }
    }
    expectSameAnswers(timePatterns, texts, true, "en_US");
}

// The import's own reading of texts of one shape, each as ICU reads it: months named in the
// user's locale, 12 AM and PM, leap days, and local times a change of offset skips or repeats.
TEST(DateTextShapes, ImportReadsEveryTextOfAShapeAsICU) {
    const auto dates = withDigitsTurned(dateTexts()), times = withDigitsTurned(timeTexts());
    for (const char* locale : {"en_US", "de_DE"}) {
        for (const char* zone : {"Europe/Berlin", "America/New_York"}) {
            FixedLocale fixed(locale, zone);
            for (bool utc : {false, true}) {
                for (const std::string& text : dates) {
                    ASSERT_EQ(parseDate(text, utc), parseDateByPatterns(text, utc))
                        << locale << " " << zone << " [" << text << "] utc " << utc;
                }
                for (const std::string& text : times) {
                    ASSERT_EQ(parseTime(text, utc), parseTimeByPatterns(text, utc))
                        << locale << " " << zone << " [" << text << "] utc " << utc;
                }
            }
        }
    }
}

// A month name read in one locale and not in another: what a shape came to follows the locale.
TEST(DateTextShapes, ShapesFollowTheUsersLocale) {
    struct Case {
        const char* locale;
        const char* text;
        bool withTime;
        const char* stored;
    };
    const Case cases[] = {
        {"en_US", "15-Mai-2005", false, ""},
        {"de_DE", "15-Mai-2005", false, "2005-05-15 +0200"},
        {"en_US", "16-Mai-2005", false, ""},
        {"en_US", "15-May-2005", false, "2005-05-15 +0200"},
        {"de_DE", "16-May-2005", false, ""},
        {"en_US", "15-Aug-2005 1:03 PM", true, "2005-08-15 13:03:00 +0200"},
        {"en_US", "15-Aug-2005 13:03 PM", true, ""},
        {"en_US", "15-Aug-2005 12:03 AM", true, "2005-08-15 00:03:00 +0200"},
        {"en_US", "2021-3-28 2:30", true, ""},
        {"en_US", "2021-3-28 1:30", true, "2021-03-28 01:30:00 +0100"},
        {"en_US", "2021-3-28 3:30", true, "2021-03-28 03:30:00 +0200"},
        {"en_US", "2021-10-31 2:30", true, "2021-10-31 02:30:00 +0100"},
        {"en_US", "2021-10-30 2:30", true, "2021-10-30 02:30:00 +0200"},
    };
    for (const Case& c : cases) {
        FixedLocale fixed(c.locale, "Europe/Berlin");
        EXPECT_EQ(c.withTime ? parseTime(c.text, false) : parseDate(c.text, false), c.stored)
            << c.locale << " [" << c.text << "]";
    }
}
