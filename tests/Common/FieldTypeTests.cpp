#include <gtest/gtest.h>

#include "Common/DBInterface.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/FixedLocale.h"
#include "tests/support/TempHome.h"

using namespace DBInterface;

namespace {
// 2021-03-05 12:30:45 UTC
const Date kMoment{std::chrono::milliseconds(1614947445000LL)};

int64_t styleCode(int64_t type, int64_t first = 0, int64_t second = 0) {
    return type | (first << 16) | (second << 24);
}

class FormatStyleTest : public TempHomeTest {
  protected:
    FixedLocale locale_{"en_US", "UTC"};
};
}  // namespace

TEST_F(FormatStyleTest, NumberStyles) {
    // Style 1, and style 0 without a default, show the stored text.
    EXPECT_FALSE(numberFormatterForNumberFormatStyleType(1).has_value());
    EXPECT_FALSE(numberFormatterForNumberFormatStyleType(0).has_value());
    EXPECT_FALSE(numberFormatterForNumberFormatStyleType(99).has_value());
    // The plain style ignores its parameters.
    auto plain = numberFormatterForNumberFormatStyleType(styleCode(2, 2, 4));
    ASSERT_TRUE(plain);
    EXPECT_EQ(numberDisplayString("1234.56", plain), "1235");
    auto decimal = numberFormatterForNumberFormatStyleType(styleCode(3, 2, 2));
    EXPECT_EQ(numberDisplayString("1234.5", decimal), "1,234.50");
    EXPECT_EQ(numberDisplayString("abc", decimal), "abc");
    EXPECT_EQ(numberDisplayString("0.25", numberFormatterForNumberFormatStyleType(4)), "25%");
    EXPECT_EQ(numberDisplayString("12.5", numberFormatterForNumberFormatStyleType(6)), "$12.50");
    // Style 0 takes the whole code of the user default, unresolved.
    UserDefaults::standard().setInteger(styleCode(3, 1, 1), "NumberDisplayFormat");
    EXPECT_EQ(numberDisplayString("2", numberFormatterForNumberFormatStyleType(0)), "2.0");
    EXPECT_FALSE(numberFormatterNoDefaultForNumberFormatStyleType(0).has_value());
}

TEST_F(FormatStyleTest, StoredNumbersReadTheSameInACommaLocale) {
    FixedLocale german("de_DE", "UTC");
    auto decimal = numberFormatterForNumberFormatStyleType(styleCode(3, 1, 2));
    EXPECT_EQ(numberDisplayString("1.5", decimal), "1,5");
    EXPECT_EQ(numberDisplayString("1234.567", decimal), "1.234,57");
    EXPECT_EQ(numberFromDatabaseString("1.5"), 1.5);
    EXPECT_EQ(numberFromDatabaseString(" -2e3 "), -2000.0);
    EXPECT_FALSE(numberFromDatabaseString("1,5").has_value());
    EXPECT_FALSE(numberFromDatabaseString("nan").has_value());
    EXPECT_FALSE(numberFromDatabaseString("").has_value());
}

TEST_F(FormatStyleTest, DateAndTimeStyles) {
    // Style 0 follows the user default, medium without one.
    const char* dates[] = {"Mar 5, 2021",           "3/5/21",    "Mar 5, 2021", "March 5, 2021",
                           "Friday, March 5, 2021", "2021-03-05"};
    for (int style = 0; style <= 5; ++style) {
        EXPECT_EQ(dateFormatterForDateFormatStyleType(style).stringFromDate(kMoment), dates[style])
            << style;
    }
    UserDefaults::standard().setInteger(5, "DateDisplayFormat");
    EXPECT_EQ(dateFormatterForDateFormatStyleType(0).stringFromDate(kMoment), "2021-03-05");

    EXPECT_EQ(dateFormatterForTimeFormatStyleType(2).stringFromDate(kMoment), "2021-03-05 12:30");
    EXPECT_EQ(dateFormatterForTimeFormatStyleType(3).stringFromDate(kMoment),
              "2021-03-05 12:30:45");
    DateFormatter fullShort = dateFormatterForTimeFormatStyleType(styleCode(4, 4, 1));
    EXPECT_EQ(fullShort.dateStyle(), DateFormatter::Style::Full);
    EXPECT_EQ(fullShort.timeStyle(), DateFormatter::Style::Short);
    DateFormatter mediums = dateFormatterForTimeFormatStyleType(4);
    EXPECT_EQ(mediums.dateStyle(), DateFormatter::Style::Medium);
    EXPECT_EQ(mediums.timeStyle(), DateFormatter::Style::Medium);
}
