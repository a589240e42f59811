#include "Common/Helpers.h"

#include <gtest/gtest.h>

#include "Common/SQLQuote.h"
#include "tests/support/DatabaseTest.h"

TEST(Helpers, FallbacksForMissingValues) {
    DBValue null;
    EXPECT_EQ(valueOrDefaultIfNull(&null, "d"), "d");
    EXPECT_EQ(valueOrDefault(&null, DBValue("d")), null);  // the null object is a value
    DBValue number("42abc");
    EXPECT_EQ(integerValueOrDefault(&number, 7), 42);
    DBValue word("abc");
    EXPECT_EQ(integerValueOrDefault(&word, 7), 7);
    DBValue text("v");
    EXPECT_FALSE(boolValueOrNo(&text));
}

TEST(Helpers, BoundsTestedListAccess) {
    std::vector<int> list{10, 20, 30};
    EXPECT_EQ(objectAtIndexOrDefault(&list, -1, 0), 0);
    EXPECT_EQ(objectAtIndexOrDefault(&list, 3, 0), 0);
    EXPECT_EQ(objectAtIndexOrDefault(&list, 2, 0), 30);
    EXPECT_EQ(objectAtIndexOrDefault<int>(nullptr, 0, 5), 5);
    EXPECT_EQ(firstObjectOrDefault<int>(nullptr, 5), 5);
    EXPECT_EQ(firstObjectOrDefault(&list, 5), 10);
    setObjectAtIndexIfInRange(list, 3, 99);
    setObjectAtIndexIfInRange(list, -1, 99);
    setObjectAtIndexIfInRange(list, 1, 99);
    EXPECT_EQ(list, (std::vector<int>{10, 99, 30}));
}

TEST(Helpers, TrimmersWorkInPlace) {
    char crlf[] = "abc\r\n";
    EXPECT_EQ(trimLineEnd(crlf), 5u);
    EXPECT_STREQ(crlf, "abc");
    // A byte of text after a CR or LF is kept, and so is the CR before it.
    const std::pair<std::string, std::string> lineEnds[] = {
        {"abc\n", "abc"}, {"ab\rc", "ab\rc"}, {"a\n\n", "a"}, {"\n", ""}, {"", ""}};
    for (const auto& [text, trimmed] : lineEnds) {
        std::string buffer = text;
        EXPECT_EQ(trimLineEnd(buffer.data()), text.size());
        EXPECT_STREQ(buffer.c_str(), trimmed.c_str()) << text;
    }
    char time[] = "12:30 \t";
    trimTrailingSpace(time);
    EXPECT_STREQ(time, "12:30");
    char blank[] = " \t\r\n";
    trimTrailingSpace(blank);
    EXPECT_STREQ(blank, "");
    char highByte[] = "caf\xE9 ";
    trimTrailingSpace(highByte);
    EXPECT_STREQ(highByte, "caf\xE9");
}

TEST(SQLQuote, DoublesTheQuoteCharacter) {
    EXPECT_EQ(quoteIdentifier("plain"), "\"plain\"");
    EXPECT_EQ(quoteIdentifier("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(quoteLiteral("it's"), "'it''s'");
    EXPECT_EQ(quoteLiteral(""), "''");
    EXPECT_EQ(escapeLiteral("''"), "''''");
}

class QuotingInSQLTest : public DatabaseTest {};

TEST_F(QuotingInSQLTest, HostileNamesAndValuesRoundTripWithoutRunningExtraSQL) {
    const std::vector<std::string> names{"a\"b", "x'); drop table keep; --", "[br]", "semi;colon",
                                         "\xC3\xA4 space"};
    run("create table keep (v)");
    for (const std::string& name : names) {
        run("create table " + quoteIdentifier(name) + " (" + quoteIdentifier(name) + ")");
        run("insert into " + quoteIdentifier(name) + " values (" + quoteLiteral(name) + ")");
        EXPECT_EQ(query("select " + quoteIdentifier(name) + " from " + quoteIdentifier(name)),
                  std::vector<std::string>{name});
    }
    EXPECT_EQ(query("select count(*) from sqlite_master where type = 'table'"),
              std::vector<std::string>{std::to_string(names.size() + 1)});
}
