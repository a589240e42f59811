#include <gtest/gtest.h>

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/NumberFormatter.h"
#include "tests/support/FixedLocale.h"

namespace {
// 2021-03-05 12:30:00 UTC
const Date kMoment{std::chrono::milliseconds(1614947400000LL)};
}  // namespace

TEST(DateFormatter, PatternsFollowTheirZone) {
    FixedLocale fixed("en_US", "Europe/Berlin");
    DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd HH:mm Z");
    EXPECT_EQ(formatter.stringFromDate(kMoment), "2021-03-05 13:30 +0100");
    formatter.setTimeZone("UTC");
    EXPECT_EQ(formatter.stringFromDate(kMoment), "2021-03-05 12:30 +0000");
    EXPECT_EQ(formatter.dateFromString("2021-03-05 13:30 +0100"), kMoment);
}

TEST(DateFormatter, ParsingMustConsumeTheWholeText) {
    FixedLocale fixed("en_US", "UTC");
    DateFormatter formatter;
    formatter.setDateFormat("yyyy-M-d");
    EXPECT_TRUE(formatter.dateFromString("2021-3-5").has_value());
    EXPECT_FALSE(formatter.dateFromString("2021-3-5 12:30").has_value());
    EXPECT_FALSE(formatter.dateFromString("2021-3-5x").has_value());
    EXPECT_FALSE(formatter.dateFromString("").has_value());
    EXPECT_FALSE(formatter.dateFromString("2021-13-5").has_value());
}

TEST(DateFormatter, StylesFollowTheLocale) {
    FixedLocale fixed("en_US", "UTC");
    DateFormatter formatter;
    formatter.setDateStyle(DateFormatter::Style::Short);
    EXPECT_EQ(formatter.stringFromDate(kMoment), "3/5/21");
    formatter.setLocale("de_DE");
    EXPECT_EQ(formatter.stringFromDate(kMoment), "05.03.21");
    // A copy keeps the settings, not the built formatter.
    DateFormatter copy = formatter;
    copy.setTimeStyle(DateFormatter::Style::Short);
    EXPECT_EQ(copy.stringFromDate(kMoment), "05.03.21, 12:30");
    EXPECT_EQ(formatter.stringFromDate(kMoment), "05.03.21");
}

TEST(NumberFormatter, StylesAndDigits) {
    FixedLocale fixed("en_US", "UTC");
    NumberFormatter plain;
    EXPECT_EQ(plain.stringFromNumber(12345.678), "12346");
    NumberFormatter decimal;
    decimal.setNumberStyle(NumberFormatter::Style::Decimal);
    EXPECT_EQ(decimal.stringFromNumber(12345.678), "12,345.678");
    decimal.setMinimumFractionDigits(2);
    decimal.setMaximumFractionDigits(2);
    EXPECT_EQ(decimal.stringFromNumber(1.5), "1.50");
    EXPECT_EQ(decimal.numberFromString("1,234.5"), 1234.5);
    EXPECT_FALSE(decimal.numberFromString("1.5 apples").has_value());
    decimal.setLocale("de_DE");
    EXPECT_EQ(decimal.stringFromNumber(1234.5), "1.234,50");
}
