// Pasted text split into rows: where a quote opens a quoted value and where it is only text.
#include <gtest/gtest.h>

#include "Common/FieldSplitter.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Case {
    const char* text;
    const char* separator;
    Rows rows;
};

}  // namespace

TEST(PastedTextSplitTest, QuoteOpensAValueOnlyWhereThatValueCloses) {
    const Case cases[] = {
        // An inch mark never closed: three rows of two values, not one cell.
        {"\"12 inch\tA\nB\tC\nD\tE", "\t", {{"\"12 inch", "A"}, {"B", "C"}, {"D", "E"}}},
        {"\"12 inch|A\nB|C", "|", {{"\"12 inch", "A"}, {"B", "C"}}},
        // Closed by a quote followed by something else: the opening quote is text.
        {"\"a\"b\tc\nd", "\t", {{"\"a\"b", "c"}, {"d"}}},
        {"\"12\" x 3\"\t4", "\t", {{"\"12\" x 3\"", "4"}}},
        // Closed before the separator, a line end of any kind, or the end of the text.
        {"\"a\tb\"\tc", "\t", {{"a\tb", "c"}}},
        {"\"a\nb\"\nc", "\t", {{"a\nb"}, {"c"}}},
        {"\"a\r\nb\"\r\nc", "\t", {{"a\r\nb"}, {"c"}}},
        {"\"x\"\ry", "\t", {{"x"}, {"y"}}},
        {"x\t\"a\nb\"", "\t", {{"x", "a\nb"}}},
        // Doubled quotes do not close it, whichever way the value ends.
        {"\"say \"\"hi\"\"\"\tz", "\t", {{"say \"hi\"", "z"}}},
        {"\"\"\"\"\t\"\"", "\t", {{"\"", ""}}},
        {"\"a\"\"\nb", "\t", {{"\"a\"\""}, {"b"}}},
        // An unpaired quote in the middle of a field stays as it is.
        {"5'10\"\tsay \"hi\n\"x\"", "\t", {{"5'10\"", "say \"hi"}, {"x"}}},
        // A later value's unpaired quote does not pull an earlier one's close away.
        {"\"a\"\t\"b\n\"c\"", "\t", {{"a", "\"b"}, {"c"}}},
        {"\"", "\t", {{"\""}}},
        {"\"\n\"", "\t", {{"\n"}}},
        {"\"\n\"x", "\t", {{"\""}, {"\"x"}}},
        // Marks after a separator or quote are the next value's text.
        {"r1\t\u0301x\tend", "\t", {{"r1", "\u0301x", "end"}}},
        {"\"\u200Dx\t\"\tend", "\t", {{"\u200Dx\t", "end"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitText(c.text, c.separator, "\""), c.rows) << c.text;
    }
}

TEST(PastedTextSplitTest, ReadsInPiecesAsItReadsWhole) {
    // Fed in pieces, a quote waits for the text that closes it; the rows come out the same.
    const std::string text = "\"a\tb\"\tc\n\"12 inch\td\n\"x\"\"y\"\n\"p\"q\te";
    for (size_t piece = 1; piece <= 4; ++piece) {
        FieldSplitter splitter("\t", "\"", LineEnds::Any, false, true);
        FieldTexts fields;
        Rows rows;
        std::string seen;
        size_t at = 0;
        for (size_t fed = 0; fed < text.size();) {
            fed = std::min(text.size(), fed + piece);
            seen = text.substr(0, fed);
            const bool atEnd = fed == text.size();
            while (splitter.split(seen, &at, atEnd, &fields)) {
                splitter.endRecord(&fields);
                rows.push_back(fields.strings(0, fields.size()));
                fields.clear();
            }
        }
        splitter.endRecord(&fields);
        rows.push_back(fields.strings(0, fields.size()));
        EXPECT_EQ(rows, splitText(text, "\t", "\"")) << piece;
    }
}
