// The record reader, the record count and the field splitter of delimited text files.
#include <fcntl.h>
#include <unistd.h>

#include "Common/FieldsAndLinesParser.h"
#include "platform/foundation/TextEncoding.h"
#include "tests/support/TempHome.h"

using Strings = std::vector<std::string>;

namespace {

struct ReadResult {
    Strings records;
    std::string errors;
    int lastResult = -1;
};

// Reads a file the way the import does: record after record until end of file or an error,
// keeping a last record only when it holds text.
ReadResult readRecords(const std::string& path, int encoding = kUTF8StringEncoding,
                       std::string_view quote = "\"", std::string_view separator = "\n") {
    ReadResult result;
    const int fd = open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    FieldsAndLinesParser parser;
    for (;;) {
        std::string record;
        result.lastResult =
            parser.readLineFrom(fd, encoding, quote, separator, &record, &result.errors);
        if (result.lastResult == FieldsAndLinesParser::kLineRead ||
            (result.lastResult == FieldsAndLinesParser::kEndOfFile && !record.empty())) {
            result.records.push_back(record);
        }
        if (result.lastResult != FieldsAndLinesParser::kLineRead) break;
    }
    close(fd);
    return result;
}

Strings split(std::string_view line, std::string_view separator = ",",
              std::string_view quote = "\"") {
    Strings fields;
    FieldsAndLinesParser::findFieldsInLine(line, &fields, separator, quote);
    return fields;
}

}  // namespace

class LineReaderTest : public TempHomeTest {
  protected:
    std::string fileWith(const std::string& bytes) {
        const std::string path = pathInHome("data.txt");
        writeFile(path, bytes);
        return path;
    }
    // The records the reader returns must be what the counter counts.
    void expectRecords(const std::string& path, const Strings& expected, int encoding,
                       std::string_view quote, std::string_view separator) {
        EXPECT_EQ(readRecords(path, encoding, quote, separator).records, expected);
        EXPECT_EQ(FieldsAndLinesParser::findMaxLineCountInFile(path, encoding, quote, separator),
                  static_cast<int64_t>(expected.size()));
    }
};

TEST_F(LineReaderTest, QuotedValuesKeepSeparatorsDoubledQuotesAndLineBreaks) {
    const std::string path =
        fileWith("id,text\n1,\"a, b\"\n2,\"say \"\"hi\"\"\nand go\"\n3,\"\n\n\",x\n");
    const ReadResult result = readRecords(path);
    EXPECT_EQ(result.records,
              (Strings{"id,text", "1,\"a, b\"", "2,\"say \"\"hi\"\"\nand go\"", "3,\"\n\n\",x"}));
    EXPECT_EQ(result.lastResult, FieldsAndLinesParser::kEndOfFile);
    EXPECT_EQ(split(result.records[1]), (Strings{"1", "a, b"}));
    EXPECT_EQ(split(result.records[2]), (Strings{"2", "say \"hi\"\nand go"}));
    EXPECT_EQ(split(result.records[3]), (Strings{"3", "\n\n", "x"}));
    EXPECT_EQ(FieldsAndLinesParser::findMaxLineCountInFile(path, kUTF8StringEncoding, "\"", "\n"),
              4);
}

TEST_F(LineReaderTest, WindowsLineEndsAreRemovedWholeOnlyWhenAskedFor) {
    const std::string path = fileWith("a,b\r\n\"x\r\ny\",z\r\nlast");
    expectRecords(path, {"a,b", "\"x\r\ny\",z", "last"}, kUTF8StringEncoding, "\"", "\r\n");
    expectRecords(path, {"a,b\r", "\"x\r\ny\",z\r", "last"}, kUTF8StringEncoding, "\"", "\n");
    // A carriage return alone ends nothing.
    expectRecords(fileWith("a\rb\r\n"), {"a\rb"}, kUTF8StringEncoding, "\"", "\r\n");
}

TEST_F(LineReaderTest, OneByteEncodingsGiveAccentedLetters) {
    // "Café;Zürich" and a quoted "naïve" over two lines.
    const std::string windows = fileWith("Caf\xE9;Z\xFCrich\n\"na\xEFve\nx\"\n\x80 \x81\n");
    expectRecords(windows, {"Café;Zürich", "\"naïve\nx\"", "€ ?"}, kWindowsCP1252StringEncoding,
                  "\"", "\n");
    const std::string mac = fileWith("Caf\x8E;Z\x9F rich\n\xD2quoted\xD3\n\xA5\n");
    expectRecords(mac, {"Café;Zü rich", "“quoted”", "•"}, kMacOSRomanStringEncoding, "\"", "\n");
}

TEST_F(LineReaderTest, InvalidUtf8BecomesOneReplacementAndTheNextByteStillCounts) {
    // A Latin-1 byte right before the line end, a broken two-byte sequence before "(", and a
    // cut-off three-byte sequence right before a quote.
    const std::string path = fileWith("caf\xE9\nnext\n\xC3(x\n\xE2\x82\"a\nb\"\n\x80");
    const ReadResult result = readRecords(path);
    EXPECT_EQ(result.records,
              (Strings{"caf\uFFFD", "next", "\uFFFD(x", "\uFFFD\"a\nb\"", "\uFFFD"}));
    EXPECT_EQ(result.errors,
              "Invalid 1-byte UTF-8 character.Invalid 1-byte UTF-8 character."
              "Invalid 2-byte UTF-8 character.Invalid 1-byte UTF-8 character.");
    EXPECT_EQ(FieldsAndLinesParser::findMaxLineCountInFile(path, kUTF8StringEncoding, "\"", "\n"),
              5);
    // Overlong forms, surrogates and code points past U+10FFFF are not characters either.
    expectRecords(fileWith("\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xF0\x9F\x98\x80\n"),
                  {"\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD|\U0001F600"},
                  kUTF8StringEncoding, "\"", "\n");
    // A sequence cut off by the end of the file still leaves its mark.
    expectRecords(fileWith("ab\xE2\x82"), {"ab\uFFFD"}, kUTF8StringEncoding, "\"", "\n");
}

TEST_F(LineReaderTest, RecordsLongerThanAnyBufferAreReadWhole) {
    const std::string longValue(100000, 'v');
    // A quoted value with line breaks past 3 MB, with a two-byte letter across every block.
    std::string huge;
    while (huge.size() < 3'500'000) huge += "\xC3\xA9\n";
    const std::string path =
        fileWith(longValue + ",end\n\"" + huge + "\",tail\n" + std::string(1 << 20, 'x'));
    const ReadResult result = readRecords(path);
    ASSERT_EQ(result.records.size(), 3u);
    EXPECT_EQ(result.records[0], longValue + ",end");
    EXPECT_EQ(result.records[1], "\"" + huge + "\",tail");
    EXPECT_EQ(result.records[2], std::string(1 << 20, 'x'));
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(FieldsAndLinesParser::findMaxLineCountInFile(path, kUTF8StringEncoding, "\"", "\n"),
              3);
}

TEST_F(LineReaderTest, EndOfFileCases) {
    // An unterminated quote runs to the end of the file: one last record, not lost.
    expectRecords(fileWith("a\n\"open\nstill open\n"), {"a", "\"open\nstill open\n"},
                  kUTF8StringEncoding, "\"", "\n");
    expectRecords(fileWith("1\n2\n3\n"), {"1", "2", "3"}, kUTF8StringEncoding, "\"", "\n");
    expectRecords(fileWith("1\n2\n3"), {"1", "2", "3"}, kUTF8StringEncoding, "\"", "\n");
    expectRecords(fileWith("\n\n"), {"", ""}, kUTF8StringEncoding, "\"", "\n");
    expectRecords(fileWith(""), {}, kUTF8StringEncoding, "\"", "\n");
    // Without a quote string quotes are text; without a separator the file is one record.
    expectRecords(fileWith("\"a\nb\n"), {"\"a", "b"}, kUTF8StringEncoding, "", "\n");
    expectRecords(fileWith("a\nb\n"), {"a\nb\n"}, kUTF8StringEncoding, "\"", "");
    EXPECT_EQ(FieldsAndLinesParser::findMaxLineCountInFile(pathInHome("missing.csv"),
                                                           kUTF8StringEncoding, "\"", "\n"),
              0);
}

TEST_F(LineReaderTest, ReaderAppendsAndLeavesBytesForTheNextRecord) {
    const int fd = open(fileWith("one\ntwo\n").c_str(), O_RDONLY);
    FieldsAndLinesParser parser;
    std::string text = "kept:";
    EXPECT_EQ(parser.readLineFrom(fd, kUTF8StringEncoding, "\"", "\n", &text, nullptr), 0);
    EXPECT_EQ(text, "kept:one");
    text.clear();
    EXPECT_EQ(parser.readLineFrom(fd, kUTF8StringEncoding, "\"", "\n", &text, nullptr), 0);
    EXPECT_EQ(text, "two");
    close(fd);
}

TEST_F(LineReaderTest, ReadErrorsAndUnknownEncodingsAreReported) {
    const int fd = open(home().c_str(), O_RDONLY | O_DIRECTORY);
    FieldsAndLinesParser parser;
    std::string text = "kept";
    std::string errors;
    EXPECT_EQ(parser.readLineFrom(fd, kUTF8StringEncoding, "\"", "\n", &text, &errors),
              FieldsAndLinesParser::kReadError);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(errors, "Error reading file: " + std::to_string(EISDIR));
    close(fd);

    const ReadResult unknown = readRecords(fileWith("a\n"), 999);
    EXPECT_EQ(unknown.lastResult, FieldsAndLinesParser::kReadError);
    EXPECT_EQ(unknown.errors, "Unsupported text encoding: 999");
    EXPECT_EQ(FieldsAndLinesParser::findMaxLineCountInFile(pathInHome("data.txt"), 999, "", "\n"),
              0);
}

TEST(FieldSplitterTest, SplitsAtSeparatorsOutsideQuotes) {
    EXPECT_EQ(split("a,\"b,c\",d"), (Strings{"a", "b,c", "d"}));
    EXPECT_EQ(split("\"x \"\"y\"\"\",z"), (Strings{"x \"y\"", "z"}));
    // Quotes inside an unquoted field are dropped and still switch quoting.
    EXPECT_EQ(split("ab\"c,d\"e,f"), (Strings{"abc,de", "f"}));
    EXPECT_EQ(split(""), (Strings{""}));
    EXPECT_EQ(split("a,"), (Strings{"a", ""}));
    EXPECT_EQ(split(",,"), (Strings{"", "", ""}));
    EXPECT_EQ(split("\"\"\"\""), (Strings{"\""}));
    // Without a quote string quotes are kept; without a separator nothing splits.
    EXPECT_EQ(split("\"a\",b", ",", ""), (Strings{"\"a\"", "b"}));
    EXPECT_EQ(split("a,b", "", "\""), (Strings{"a,b"}));
    EXPECT_EQ(split("a\tb c\t", "\t"), (Strings{"a", "b c", ""}));

    Strings fields{"kept"};
    FieldsAndLinesParser::findFieldsInLine("x|y", &fields, "|", "");
    EXPECT_EQ(fields, (Strings{"kept", "x", "y"}));
}

TEST(FieldSplitterTest, MatchesWholeComposedCharactersOnly) {
    // A comma carrying an accent is text, not a separator.
    EXPECT_EQ(split("a,\u0301b,c"), (Strings{"a,\u0301b", "c"}));
    EXPECT_EQ(split("é;ü;\U0001F600", "\u00FC"), (Strings{"é;", ";\U0001F600"}));
    EXPECT_EQ(split("x«y»z", ";", "«"), (Strings{"xy»z"}));
    // A separator of two characters never matches.
    EXPECT_EQ(split("a::b", "::"), (Strings{"a::b"}));
}
