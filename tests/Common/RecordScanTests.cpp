// The import's record count by byte scan, checked against the record reader's own count over
// hostile files: quotes inside unquoted values, quoted line breaks, carriage returns, marks on
// quotes, byte-order marks, invalid UTF-8, one-byte encodings and records across blocks.
#include <fcntl.h>
#include <unistd.h>

#include <random>

#include <gtest/gtest.h>

#include "Common/FieldsAndLinesParser.h"
#include "Common/RecordScan.h"
#include "platform/foundation/TextEncoding.h"
#include "tests/support/TempHome.h"

namespace {

struct Format {
    int encoding = kUTF8StringEncoding;
    std::string separator = ",";
    std::string quote = "\"";
    LineEnds lineEnds = LineEnds::LineFeed;
};

std::string describe(const Format& format) {
    return "encoding " + std::to_string(format.encoding) + " separator [" + format.separator +
           "] quote [" + format.quote + "] line ends " +
           std::to_string(static_cast<int>(format.lineEnds));
}

// Every choice the import console offers, and a few it does not (the reader takes any).
std::vector<Format> allFormats() {
    std::vector<Format> formats;
    for (const int encoding :
         {kUTF8StringEncoding, kWindowsCP1252StringEncoding, kMacOSRomanStringEncoding}) {
        for (const char* quote : {"\"", ""}) {
            for (const char* separator :
                 {"\t", ",", "|", ";", "?", "\xC2\xA6", "\xE2\x82\xAC", ",,", "e\xCC\x81", "\""}) {
                for (const LineEnds lineEnds :
                     {LineEnds::LineFeed, LineEnds::CarriageReturnLineFeed, LineEnds::Any}) {
                    formats.push_back({encoding, separator, quote, lineEnds});
                }
            }
        }
    }
    return formats;
}

// Separators and quotes that the scan leaves to the reader: a base character with a mark, the
// quote itself, and "?", which every byte without a character in Windows-1252 reads as.
bool scanCannotFollow(const Format& format) {
    if (format.quote.empty()) return false;
    return format.separator == "e\xCC\x81" || format.separator == format.quote ||
           (format.separator == "?" && format.encoding == kWindowsCP1252StringEncoding);
}

class RecordScanTest : public TempHomeTest {
  protected:
    std::string fileWith(const std::string& bytes) {
        const std::string path = pathInHome("data.txt");
        writeFile(path, bytes);
        return path;
    }

    // The reader's count, the scan's (nothing when it leaves the count to the reader) and the
    // parser's fast count, each from a fresh descriptor.
    struct Counts {
        int64_t reader = -1;
        std::optional<int64_t> scan;
        int64_t fast = -1;
    };
    static Counts counts(const std::string& path, const Format& format) {
        Counts counts;
        auto withFile = [&](auto count) {
            const int fd = open(path.c_str(), O_RDONLY);
            EXPECT_GE(fd, 0);
            count(fd);
            close(fd);
        };
        withFile([&](int fd) {
            counts.reader = FieldsAndLinesParser(fd, format.encoding, format.separator,
                                                 format.quote, format.lineEnds)
                                .countRecords();
        });
        withFile([&](int fd) {
            counts.scan = scanRecordCount(fd, format.encoding, format.separator, format.quote,
                                          format.lineEnds);
        });
        withFile([&](int fd) {
            counts.fast = FieldsAndLinesParser(fd, format.encoding, format.separator, format.quote,
                                               format.lineEnds)
                              .countRecordsFast();
        });
        return counts;
    }

    // The scan counts what the reader counts, or leaves it where it must.
    static void expectSameCount(const std::string& path, const Format& format) {
        SCOPED_TRACE(describe(format));
        const Counts c = counts(path, format);
        EXPECT_EQ(c.fast, c.reader);
        if (scanCannotFollow(format)) {
            EXPECT_FALSE(c.scan.has_value());
        } else {
            ASSERT_TRUE(c.scan.has_value());
            EXPECT_EQ(*c.scan, c.reader);
        }
    }
};

// Bytes that make records hard to tell apart, many of them a quote or a separator.
std::string hostileBytes(std::mt19937& random, size_t size) {
    static const std::string pieces[] = {
        "a",
        "bc",
        " ",
        ",",
        ",",
        "\t",
        "|",
        ";",
        "\"",
        "\"",
        "\"\"",
        "\n",
        "\n",
        "\r",
        "\r\n",
        "\n\r",
        "\xC2\xA6",      // broken bar, a separator
        "\xA6",          // the broken bar in Windows-1252, a stray byte in UTF-8
        "\xE2\x82\xAC",  // euro sign, a separator
        "\x80",          // the euro sign in Windows-1252, a stray byte in UTF-8
        "\xCC\x81",      // a mark: text of its own after a quote or separator
        "\xE2\x80\x8D",  // a joiner
        "\xEF\xB8\x8F",  // a variation selector
        "\xE0\xA4\xBE",  // a spacing mark
        "e\xCC\x81",     // "e" with the mark, a separator
        "\xEF\xBB\xBF",  // byte-order mark
        "\xEF\xBF\xBD",  // replacement character
        "\xFF",
        "\xC3",
        "\xE0\x80",
        "\xED\xA0\x80",
        "\xF4\x90\x80\x80",
        "\xE2\x82",
        "\xF0\x9F\x98\x80",  // a character of four bytes
        "\x81",              // no character in Windows-1252
        "?",
        "\xC3\xA9"};
    std::string bytes = random() % 8 == 0 ? "\xEF\xBB\xBF" : "";
    while (bytes.size() < size) bytes += pieces[random() % std::size(pieces)];
    return bytes;
}

}  // namespace

TEST_F(RecordScanTest, HostileFilesCountAsTheReaderCountsThem) {
    struct Case {
        const char* what;
        std::string bytes;
        Format format;
        int64_t records;
    } cases[] = {
        {"a quote inside an unquoted value opens nothing", "a,b\"c,d\ne,f\ng\n", {}, 3},
        {"a quoted line break", "a,\"x\ny\",z\nq\n", {}, 2},
        {"a doubled quote keeps the value open", "\"a\"\"\nb\",c\nd", {}, 2},
        {"a quote after a closing quote and text", "\"a\"b\"\nc\n", {}, 2},
        {"a quote at the start of a record", "\"a\nb\"\n\"c\"\n", {}, 2},
        {"a value that never closes", "a\n\"b\nc\nd", {}, 2},
        {"a carriage return alone is text", "a\rb\nc\r", {}, 2},
        {"CRLF line ends",
         "a,b\r\nc\nd\r\n\"e\r\nf\"\r\n",
         {kUTF8StringEncoding, ",", "\"", LineEnds::CarriageReturnLineFeed},
         3},
        {"a carriage return at the very end is text",
         "a\r\nb\r",
         {kUTF8StringEncoding, ",", "\"", LineEnds::CarriageReturnLineFeed},
         2},
        {"empty lines are records", "\n\n\na\n", {}, 4},
        {"an empty file", "", {}, 0},
        {"a byte-order mark is dropped before a quote", "\xEF\xBB\xBF\"a\nb\",c\n", {}, 1},
        {"a byte-order mark alone", "\xEF\xBB\xBF", {}, 0},
        {"a byte-order mark later is text", "a\n\xEF\xBB\xBF\"b\nc\"\n", {}, 3},
        {"a quote before a mark opens a value", "a,\"\xCC\x81x\ny\n", {}, 1},
        {"a quote before a mark closes a value", "\"a\"\xCC\x81\nb\"\n", {}, 2},
        {"a mark after a separator is text before a quote", "a,\xCC\x81\"x\ny\"\n", {}, 2},
        {"invalid UTF-8 around quotes", "\xFF,\"\xC3\n\xE0\x80\"\n\xED\xA0\x80\n\xC3", {}, 3},
        {"a euro-sign separator in Windows-1252",
         "x\x80\"a\nb\"\n",
         {kWindowsCP1252StringEncoding, "\xE2\x82\xAC", "\"", LineEnds::LineFeed},
         1},
        {"the same bytes in UTF-8 are a stray byte",
         "x\x80\"a\nb\"\n",
         {kUTF8StringEncoding, "\xE2\x82\xAC", "\"", LineEnds::LineFeed},
         2},
        {"a separator of several characters never matches",
         "a,,\"b\nc\"\n",
         {kUTF8StringEncoding, ",,", "\"", LineEnds::LineFeed},
         2},
        {"without a quote only line ends count",
         "\"a\nb\"\n",
         {kUTF8StringEncoding, ",", "", LineEnds::LineFeed},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = fileWith(c.bytes);
        EXPECT_EQ(counts(path, c.format).reader, c.records);
        expectSameCount(path, c.format);
    }
}

TEST_F(RecordScanTest, RandomHostileFilesCountAsTheReaderCountsThem) {
    const std::vector<Format> formats = allFormats();
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const std::string path = fileWith(hostileBytes(random, random() % 3 == 0 ? 12 : 300));
        for (const Format& format : formats) expectSameCount(path, format);
        if (HasFailure()) return;
    }
}

// Ordinary CSV with a hostile piece now and then: the scan takes stretches of it whole and
// steps through the rest, and must agree with the reader where one meets the other.
TEST_F(RecordScanTest, CsvWithHostilePiecesCountsAsTheReaderCountsThem) {
    const std::vector<Format> formats = allFormats();
    const std::string values[] = {
        "2024-03-15",     "open", "12.50", "\"Smith, Jo\"", "\"say \"\"hi\"\"\"",
        "\"two\nlines\"", "\"\"", "",      "\"a\"\"\"",     "x\"y"};
    const char* separators[] = {",", "\t", ";", "|"};
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const std::string separator = separators[random() % std::size(separators)];
        const std::string lineEnd = random() % 2 ? "\n" : "\r\n";
        std::string bytes;
        while (bytes.size() < 4000) {
            for (int field = 0; field < 5; ++field) {
                if (field > 0) bytes += separator;
                bytes += random() % 40 == 0 ? hostileBytes(random, 3)
                                            : values[random() % std::size(values)];
            }
            bytes += lineEnd;
        }
        const std::string path = fileWith(bytes);
        for (const Format& format : formats) expectSameCount(path, format);
        if (HasFailure()) return;
    }
}

// Records, quoted values, line ends and marks across the blocks of both the reader and the scan
// (the scan's blocks divide the reader's).
TEST_F(RecordScanTest, RecordsAcrossBlockBoundariesCountAsTheReaderCountsThem) {
    constexpr size_t kBoundary = size_t{1} << 20;
    // Each is read at every place across the boundary, after a record end and in a quoted value.
    const std::string crossings[] = {
        "\"a\"\"\nb\"\n",                  // a doubled quote
        "\"a\"\xCC\x81\nb\"\n",            // a closing quote with a mark
        "a,\"\xCC\x81\nb\"\n",             // an opening quote with a mark
        "a\r\nb\r\n\"c\r\nd\"\r\n",        // carriage return and line feed
        "a,\xE2\x82\xAC\"b\nc\"\n",        // a separator of three bytes before a quote
        "a\x80\"b\nc\"\n\xC3\"\n\"d\n\"",  // stray bytes
    };
    std::mt19937 random(7);
    for (const std::string& crossing : crossings) {
        for (size_t shift = 0; shift <= crossing.size(); ++shift) {
            SCOPED_TRACE(crossing + " shift " + std::to_string(shift));
            for (const bool insideQuotes : {false, true}) {
                std::string bytes = insideQuotes ? "\"" : "";
                const std::string filler = insideQuotes ? "x,y\nz " : "x,y\n";
                while (bytes.size() + filler.size() < kBoundary - shift) bytes += filler;
                bytes.append(kBoundary - shift - bytes.size() - 1, 'w');
                bytes += insideQuotes ? "," : "\n";
                bytes += crossing + hostileBytes(random, 40);
                const std::string path = fileWith(bytes);
                for (const Format& format :
                     {Format{}, Format{kUTF8StringEncoding, "\xE2\x82\xAC", "\"", LineEnds::Any},
                      Format{kWindowsCP1252StringEncoding, "\xE2\x82\xAC", "\"",
                             LineEnds::CarriageReturnLineFeed}}) {
                    expectSameCount(path, format);
                }
            }
        }
    }
}
