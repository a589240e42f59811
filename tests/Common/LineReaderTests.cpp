// The parser's logical lines: read one at a time, counted (a block counter checked against the
// line-by-line one), split into fields; and its date parsers.
#include <fcntl.h>
#include <unistd.h>

#include <random>

#include <gmock/gmock.h>

#include "Common/FieldsAndLinesParser.h"
#include "platform/foundation/TextEncoding.h"
#include "tests/support/TempHome.h"

using Strings = std::vector<std::string>;

namespace {

struct Line {
    int result;
    std::string text;
    std::string errors;
    bool operator==(const Line&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Line& line) {
    return out << line.result << " [" << line.text << "] {" << line.errors << "}";
}

// Every call of readLineFrom until the end or an error.
std::vector<Line> readLines(const std::string& path, int encoding, const std::string& quote,
                            const std::string& separator) {
    std::vector<Line> lines;
    const int fd = open(path.c_str(), O_RDONLY);
    FieldsAndLinesParser parser;
    for (;;) {
        Line line;
        line.result = parser.readLineFrom(fd, encoding, quote, separator, &line.text, &line.errors);
        lines.push_back(line);
        if (line.result != FieldsAndLinesParser::kLineRead) break;
    }
    close(fd);
    return lines;
}

// The count the plain way: readLineForCountingFrom line after line.
int64_t countLineByLine(const std::string& path, int encoding, unsigned char quote,
                        unsigned char separator) {
    const int fd = open(path.c_str(), O_RDONLY);
    FieldsAndLinesParser parser;
    int64_t lines = 0;
    for (;;) {
        std::string errors;
        bool empty = false;
        const int rc =
            parser.readLineForCountingFrom(fd, encoding, quote, separator, &errors, &empty);
        if (rc == FieldsAndLinesParser::kReadError) break;
        if (rc == FieldsAndLinesParser::kLineRead || !empty) ++lines;
        if (rc == FieldsAndLinesParser::kEndOfFile) break;
    }
    close(fd);
    return lines;
}

Strings fields(std::string_view line, std::string_view separator, std::string_view quote) {
    Strings into;
    FieldsAndLinesParser::findFieldsInLine(line, &into, separator, quote);
    return into;
}

constexpr int kLine = FieldsAndLinesParser::kLineRead;
constexpr int kEnd = FieldsAndLinesParser::kEndOfFile;

}  // namespace

class LineReaderTest : public TempHomeTest {
  protected:
    std::string fileWith(const std::string& bytes) {
        const std::string path = pathInHome("lines.txt");
        writeFile(path, bytes);
        return path;
    }
};

TEST_F(LineReaderTest, LinesQuotesSeparatorsAndInvalidUtf8) {
    const std::string invalid = "Invalid 2-byte UTF-8 character.";
    struct Case {
        std::string bytes, quote, separator;
        std::vector<Line> lines;
    } cases[] = {
        {"a,\"x\ny\"\nb", "\"", "\n", {{kLine, "a,\"x\ny\"", ""}, {kEnd, "b", ""}}},
        {"a\r\nb\r\n", "", "\r\n", {{kLine, "a", ""}, {kLine, "b", ""}, {kEnd, "", ""}}},
        {"a\r\nb", "", "\n", {{kLine, "a\r", ""}, {kEnd, "b", ""}}},
        {"\xC3(x\n\x80\n",
         "",
         "\n",
         {{kLine, "??x", invalid},
          {kLine, "?", "Invalid 1-byte UTF-8 character."},
          {kEnd, "", ""}}},
        // An invalid sequence's bytes are not tested: its line end is text.
        {"\xC3\nx\n", "", "\n", {{kLine, "??x", invalid}, {kEnd, "", ""}}},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80\n", "", "\n", {{kLine, "café 😀", ""}, {kEnd, "", ""}}},
        // Without a separator the file is one line.
        {"a\nb", "", "", {{kEnd, "a\nb", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(readLines(fileWith(c.bytes), kUTF8StringEncoding, c.quote, c.separator), c.lines);
    }
    EXPECT_EQ(readLines(fileWith("caf\xe9\t\x80\n"), kWindowsCP1252StringEncoding, "", "\n"),
              (std::vector<Line>{{kLine, "café\t€", ""}, {kEnd, "", ""}}));
}

TEST_F(LineReaderTest, ALongLineKeepsItsFirst4096CharactersAndTheNextLineIsWhole) {
    const std::string path = fileWith(std::string(5000, 'x') + "\r\n" + std::string(4094, 'y') +
                                      "\xF0\x9F\x98\x80\xF0\x9F\x98\x80\r\nnext\r\n");
    const std::vector<Line> lines = readLines(path, kUTF8StringEncoding, "\"", "\r\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, std::string(4096, 'x'));
    EXPECT_EQ(lines[0].errors, "Line is too long");
    // Two units short of the end: one more pair of units fits, the second does not.
    EXPECT_EQ(lines[1].text, std::string(4094, 'y') + "\xF0\x9F\x98\x80");
    EXPECT_EQ(lines[1].errors, "Line is too long");
    EXPECT_EQ(lines[2], (Line{kLine, "next", ""}));
}

TEST_F(LineReaderTest, AReadErrorIsTold) {
    const int fd = open(home().c_str(), O_RDONLY | O_DIRECTORY);
    FieldsAndLinesParser parser;
    std::string text, errors;
    EXPECT_EQ(parser.readLineFrom(fd, kUTF8StringEncoding, "", "\n", &text, &errors),
              FieldsAndLinesParser::kReadError);
    EXPECT_EQ(errors, "Error reading file: " + std::to_string(EISDIR));
    close(fd);
}

TEST_F(LineReaderTest, LinesAreCounted) {
    FieldsAndLinesParser parser;
    auto count = [&](const std::string& bytes, const std::string& quote = "\"",
                     const std::string& separator = "\n") {
        return parser.findMaxLineCountInFile(fileWith(bytes), kUTF8StringEncoding, quote,
                                             separator);
    };
    EXPECT_EQ(count("a\nb\nc\n"), 3);
    EXPECT_EQ(count("a\nb\nc"), 3);
    EXPECT_EQ(count(""), 0);
    EXPECT_EQ(count("\"a\nb\"\nc\n"), 2);
    EXPECT_EQ(count("\"a\nb\"\nc\n", ""), 3);
    EXPECT_EQ(count("a\r\nb\r\n", "", "\r\n"), 2);
    EXPECT_EQ(count("\xC3\nx\n"), 1);  // the line feed belongs to a bad sequence
    EXPECT_EQ(
        parser.findMaxLineCountInFile(pathInHome("missing.txt"), kUTF8StringEncoding, "", "\n"), 0);
}

// The block counter against readLineForCountingFrom over hostile bytes, across block bounds.
TEST_F(LineReaderTest, TheBlockCountEqualsTheLineByLineCount) {
    const std::string pieces[] = {
        "a",    "bc,",      "\n",       "\r\n",         "\"",
        "\"\"", "\xC3",     "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
        "\x80", "\xE2\x82", "\xFF",     "\xED\xA0\x80", "\xC2\x85"};
    std::mt19937 random(17);
    for (int round = 0; round < 60; ++round) {
        std::string bytes;
        const size_t size = random() % 3 == 0 ? random() % 20 : 4000 + random() % 9000;
        while (bytes.size() < size) bytes += pieces[random() % std::size(pieces)];
        const std::string path = fileWith(bytes);
        for (const int encoding : {kUTF8StringEncoding, kWindowsCP1252StringEncoding}) {
            for (const char* quote : {"\"", ""}) {
                for (const char* separator : {"\n", "\r\n", "\xC2\x85", "\""}) {
                    SCOPED_TRACE(std::to_string(round) + " " + std::to_string(encoding) + " " +
                                 quote + " " + separator);
                    FieldsAndLinesParser parser;
                    EXPECT_EQ(parser.findMaxLineCountInFile(path, encoding, quote, separator),
                              countLineByLine(
                                  path, encoding, static_cast<unsigned char>(quote[0]),
                                  static_cast<unsigned char>(std::string_view(separator).back())));
                }
            }
        }
    }
}

TEST_F(LineReaderTest, LinesAreSplitIntoFields) {
    struct Case {
        std::string line, separator, quote;
        Strings fields;
    } cases[] = {
        {"a,\"b, c\",d", ",", "\"", {"a", "b, c", "d"}},
        {"\"say \"\"hi\"\"\",x", ",", "\"", {"say \"hi\"", "x"}},
        {"ab\"c,d\"e,f", ",", "\"", {"abc,de", "f"}},
        {"", ",", "\"", {""}},
        {"a,", ",", "\"", {"a", ""}},
        {"a,\"b\",c", ",", "", {"a", "\"b\"", "c"}},
        {"a,b", "", "\"", {"a,b"}},
        // A separator or quote with a mark on it is another character; one of two never matches.
        {"xe\xCC\x81y,z", "e", "", {"xe\xCC\x81y,z"}},
        {"a,,b", ",,", "", {"a,,b"}},
        {"1\t2\t\t", "\t", "\"", {"1", "2", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(fields(c.line, c.separator, c.quote), c.fields);
    }
}

TEST_F(LineReaderTest, DateParsersTryTheirFormsInTurn) {
    DateFormatter formatter;
    formatter.setLocale("en_US_POSIX");
    formatter.setTimeZone("UTC");
    auto at = [&](const std::string& text, const char* pattern) {
        DateFormatter reader;
        reader.setLocale("en_US_POSIX");
        reader.setTimeZone("UTC");
        reader.setDateFormat(pattern);
        return reader.dateFromString(text);
    };
    const auto march5 = at("2021-03-05", "yyyy-MM-dd");
    const auto march5At2330 = at("2021-03-05 23:30", "yyyy-MM-dd HH:mm");
    ASSERT_TRUE(march5 && march5At2330);
    EXPECT_EQ(FieldsAndLinesParser::dateFromString("2021-3-5", formatter), march5);
    EXPECT_EQ(FieldsAndLinesParser::dateFromString("3/5/2021", formatter), march5);
    EXPECT_EQ(FieldsAndLinesParser::dateFromString("5-Mar-2021", formatter), march5);
    EXPECT_EQ(FieldsAndLinesParser::dateFromString("2021-3-5 +0100", formatter),
              *march5 - std::chrono::hours(1));
    EXPECT_EQ(FieldsAndLinesParser::dateFromString("someday", formatter), std::nullopt);
    EXPECT_EQ(
        FieldsAndLinesParser::dateTimeFromStringWithStandardDate("2021-3-5 11:30 PM", formatter),
        march5At2330);
    EXPECT_EQ(FieldsAndLinesParser::dateTimeFromStringWithStandardDate("2021-3-5 23:30:00 +0000",
                                                                       formatter),
              march5At2330);
    EXPECT_EQ(FieldsAndLinesParser::timeFromString("23:30", formatter), at("23:30", "HH:mm"));
    EXPECT_EQ(FieldsAndLinesParser::dateTimeFromString("5-Mar-2021 23:30", formatter),
              march5At2330);
    EXPECT_EQ(FieldsAndLinesParser::dateTimeFromString("5-Mar-2021", formatter), std::nullopt);
}
