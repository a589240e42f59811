// The record reader of delimited text files and the field splitter of pasted text.
#include <fcntl.h>
#include <unistd.h>

#include "Common/FieldsAndLinesParser.h"
#include "platform/foundation/TextEncoding.h"
#include "tests/support/TempHome.h"

using Strings = std::vector<std::string>;
using Rows = std::vector<Strings>;

namespace {

struct ReadResult {
    Rows records;
    Strings errors;  // of each record
    std::vector<FieldsAndLinesParser::Record> facts;
    int lastResult = -1;
};

struct Format {
    int encoding = kUTF8StringEncoding;
    std::string separator = ",";
    std::string quote = "\"";
    LineEnds lineEnds = LineEnds::LineFeed;
};

// Reads a file the way the import does: record after record until the end or an error.
ReadResult readRecords(const std::string& path, const Format& format = {}) {
    ReadResult result;
    const int fd = open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    FieldsAndLinesParser parser(fd, format.encoding, format.separator, format.quote,
                                format.lineEnds);
    for (;;) {
        FieldTexts fields;
        FieldsAndLinesParser::Record facts;
        std::string errors;
        result.lastResult = parser.readRecord(&fields, &facts, &errors);
        if (result.lastResult == FieldsAndLinesParser::kLineRead) {
            result.records.push_back(fields.strings(0, fields.size()));
            result.facts.push_back(facts);
        }
        if (!errors.empty() || result.lastResult == FieldsAndLinesParser::kLineRead) {
            result.errors.push_back(errors);
        }
        if (result.lastResult != FieldsAndLinesParser::kLineRead) break;
    }
    close(fd);
    return result;
}

}  // namespace

class RecordReaderTest : public TempHomeTest {
  protected:
    std::string fileWith(const std::string& bytes) {
        const std::string path = pathInHome("data.txt");
        writeFile(path, bytes);
        return path;
    }
    Rows records(const std::string& bytes, const Format& format = {}) {
        return readRecords(fileWith(bytes), format).records;
    }
};

TEST_F(RecordReaderTest, QuotedValuesKeepSeparatorsDoubledQuotesAndLineBreaks) {
    const ReadResult result = readRecords(
        fileWith("id,text\n1,\"a, b\"\n2,\"say \"\"hi\"\"\nand go\"\n3,\"\n\n\",x\n4,\"\"\n"));
    EXPECT_EQ(result.records, (Rows{{"id", "text"},
                                    {"1", "a, b"},
                                    {"2", "say \"hi\"\nand go"},
                                    {"3", "\n\n", "x"},
                                    {"4", ""}}));
    EXPECT_EQ(result.lastResult, FieldsAndLinesParser::kEndOfFile);
}

TEST_F(RecordReaderTest, AQuoteOpensAQuotedValueOnlyAtTheStartOfAField) {
    // Inches and quoted words inside plain values are text: no record runs into the next.
    EXPECT_EQ(records("1,5'10\",Ann\n2,say \"x\" now,Bo\n3,6',\"Cy, Jr.\"\n"),
              (Rows{{"1", "5'10\"", "Ann"}, {"2", "say \"x\" now", "Bo"}, {"3", "6'", "Cy, Jr."}}));
    // Text after a closing quote is kept as it stands; a space before a quote makes it text.
    EXPECT_EQ(records("\"ab\"cd,e\n \"x,y\"\n\"\"\"\"\n"),
              (Rows{{"abcd", "e"}, {" \"x", "y\""}, {"\""}}));
    // Without a quote string every quote is text.
    EXPECT_EQ(records("\"a\nb\n", {.quote = ""}), (Rows{{"\"a"}, {"b"}}));
}

TEST_F(RecordReaderTest, LineEndsAndCarriageReturns) {
    const std::string path = fileWith("a,b\r\n\"x\r\ny\",z\r\nlast");
    // Carriage returns go, inside quoted values too; "\r\n" ends a record only when asked for.
    EXPECT_EQ(readRecords(path, {.lineEnds = LineEnds::CarriageReturnLineFeed}).records,
              (Rows{{"a", "b"}, {"x\ny", "z"}, {"last"}}));
    EXPECT_EQ(readRecords(path).records, (Rows{{"a", "b"}, {"x\ny", "z"}, {"last"}}));
    EXPECT_EQ(records("a\nb\rc\r\n\r\n", {.lineEnds = LineEnds::CarriageReturnLineFeed}),
              (Rows{{"a\nbc"}, {""}}));
    // A record of nothing is empty; one of a lone carriage return is not.
    const ReadResult result = readRecords(fileWith("\n\r\nx\n"));
    EXPECT_EQ(result.records, (Rows{{""}, {""}, {"x"}}));
    EXPECT_TRUE(result.facts[0].wasEmpty);
    EXPECT_FALSE(result.facts[1].wasEmpty);
}

TEST_F(RecordReaderTest, OneByteEncodingsGiveAccentedLetters) {
    EXPECT_EQ(records("Caf\xE9;Z\xFCrich\n\"na\xEFve\nx\"\n\x80 \x81\n",
                      {.encoding = kWindowsCP1252StringEncoding, .separator = ";"}),
              (Rows{{"Café", "Zürich"}, {"naïve\nx"}, {"€ ?"}}));
    EXPECT_EQ(records("Caf\x8E;Z\x9F rich\n\xD2quoted\xD3\n\xA5\n",
                      {.encoding = kMacOSRomanStringEncoding, .separator = ";"}),
              (Rows{{"Café", "Zü rich"}, {"“quoted”"}, {"•"}}));
    // A byte-order mark is dropped from UTF-8 only.
    EXPECT_EQ(records("\xEF\xBB\xBF"
                      "a,b\n"),
              (Rows{{"a", "b"}}));
    EXPECT_EQ(records("\xEF\xBB\xBF\n"), (Rows{{""}}));
}

TEST_F(RecordReaderTest, InvalidUtf8BecomesOneReplacementWithAMessageForItsRecord) {
    // A Latin-1 byte right before the line end, a broken two-byte sequence before "(", and a
    // cut-off three-byte sequence right before a quote that still opens a value.
    const ReadResult result =
        readRecords(fileWith("caf\xE9\nnext\n\xC3(x\n\xE2\x82,\"a\nb\"\n\x80"));
    EXPECT_EQ(result.records,
              (Rows{{"caf\uFFFD"}, {"next"}, {"\uFFFD(x"}, {"\uFFFD", "a\nb"}, {"\uFFFD"}}));
    EXPECT_EQ(result.errors,
              (Strings{"Invalid 1-byte UTF-8 character.", "", "Invalid 1-byte UTF-8 character.",
                       "Invalid 2-byte UTF-8 character.", "Invalid 1-byte UTF-8 character."}));
    // Overlong forms, surrogates and code points past U+10FFFF are not characters either.
    EXPECT_EQ(records("\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xF0\x9F\x98\x80\n"),
              (Rows{{"\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD|\U0001F600"}}));
    // A sequence cut off by the end of the file still leaves its mark.
    const ReadResult cut = readRecords(fileWith("ab\xE2\x82"));
    EXPECT_EQ(cut.records, (Rows{{"ab\uFFFD"}}));
    EXPECT_EQ(cut.errors, (Strings{"Invalid 2-byte UTF-8 character."}));
}

TEST_F(RecordReaderTest, RecordsLongerThanAnyBufferAreReadWhole) {
    const std::string longValue(100000, 'v');
    // A quoted value with line breaks past 3 MB, with a two-byte letter across every block.
    std::string huge;
    while (huge.size() < 3'500'000) huge += "\xC3\xA9\n";
    const ReadResult result = readRecords(
        fileWith(longValue + ",end\n\"" + huge + "\",tail\n" + std::string(1 << 20, 'x')));
    ASSERT_EQ(result.records.size(), 3u);
    EXPECT_EQ(result.records[0], (Strings{longValue, "end"}));
    EXPECT_EQ(result.records[1], (Strings{huge, "tail"}));
    EXPECT_EQ(result.records[2], (Strings{std::string(1 << 20, 'x')}));
    EXPECT_EQ(result.errors, Strings(3));
}

TEST_F(RecordReaderTest, EndOfFileCases) {
    // An unterminated quote runs to the end of the file: one last record, not lost, and told.
    const ReadResult open = readRecords(fileWith("a\n\"open\nstill, open\n"));
    EXPECT_EQ(open.records, (Rows{{"a"}, {"open\nstill, open\n"}}));
    EXPECT_TRUE(open.facts[1].unclosedQuote);
    EXPECT_FALSE(open.facts[0].unclosedQuote);
    EXPECT_EQ(records("1\n2\n3\n"), (Rows{{"1"}, {"2"}, {"3"}}));
    EXPECT_EQ(records("1\n2\n3"), (Rows{{"1"}, {"2"}, {"3"}}));
    EXPECT_EQ(records("a,\n,\n"), (Rows{{"a", ""}, {"", ""}}));
    EXPECT_EQ(records("\n\n"), (Rows{{""}, {""}}));
    EXPECT_EQ(records(""), Rows{});
}

TEST_F(RecordReaderTest, ReadErrorsAndUnknownEncodingsAreReported) {
    const int fd = open(home().c_str(), O_RDONLY | O_DIRECTORY);
    FieldsAndLinesParser parser(fd, kUTF8StringEncoding, ",", "\"", LineEnds::LineFeed);
    FieldTexts fields;
    fields.text = "kept";
    FieldsAndLinesParser::Record facts;
    std::string errors;
    EXPECT_EQ(parser.readRecord(&fields, &facts, &errors), FieldsAndLinesParser::kReadError);
    EXPECT_EQ(fields.text, "kept");
    EXPECT_EQ(fields.size(), 0u);
    EXPECT_EQ(errors, "Error reading file: " + std::to_string(EISDIR));
    close(fd);

    const ReadResult unknown = readRecords(fileWith("a\n"), {.encoding = 999});
    EXPECT_EQ(unknown.lastResult, FieldsAndLinesParser::kReadError);
    EXPECT_EQ(unknown.errors, Strings{"Unsupported text encoding: 999"});
}

TEST_F(RecordReaderTest, SeparatorsAndQuotesAreOneCharacterAndMarksAfterThemAreText) {
    // A mark after a separator or quote begins the text after it, as the line reader reads it.
    EXPECT_EQ(records("a,\u0301b,c\n\"\u0301x\"\u0301,y\n"),
              (Rows{{"a", "\u0301b", "c"}, {"\u0301x\u0301", "y"}}));
    EXPECT_EQ(records("é;ü;\U0001F600\n", {.separator = "\u00FC"}), (Rows{{"é;", ";\U0001F600"}}));
    EXPECT_EQ(records("«a,b«,c\n", {.quote = "«"}), (Rows{{"a,b", "c"}}));
    // A separator of two characters never matches.
    EXPECT_EQ(records("a::b\n", {.separator = "::"}), (Rows{{"a::b"}}));
}

TEST(TextSplitterTest, SplitsLinesAtAnyLineEndOutsideQuotedValues) {
    EXPECT_EQ(splitText("a,\"b,c\",d", ",", "\""), (Rows{{"a", "b,c", "d"}}));
    // "\r\n", "\n\r", "\r" and "\n" each end one line; a final one starts no row, though an
    // empty line before it is one.
    EXPECT_EQ(splitText("a\r\nb\n\rc\rd\ne\r\n", ",", "\""),
              (Rows{{"a"}, {"b"}, {"c"}, {"d"}, {"e"}}));
    EXPECT_EQ(splitText("a\n\n", ",", "\""), (Rows{{"a"}, {""}}));
    EXPECT_EQ(splitText("\n", ",", "\""), (Rows{{""}}));
    EXPECT_EQ(splitText("\"a\n\"\n", ",", "\""), (Rows{{"a\n"}}));
    EXPECT_EQ(splitText("\"x\r\ny\"\tz\n5'10\"\tsay \"hi\" now", "\t", "\""),
              (Rows{{"x\r\ny", "z"}, {"5'10\"", "say \"hi\" now"}}));
    EXPECT_EQ(splitText("", ",", "\""), (Rows{{""}}));
    EXPECT_EQ(splitText("a,b", "", "\""), (Rows{{"a,b"}}));
    EXPECT_EQ(splitText("\"a\",b", ",", ""), (Rows{{"\"a\"", "b"}}));
}
