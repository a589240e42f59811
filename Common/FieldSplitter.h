#pragma once
// Splits delimited text into records of fields in one pass. The field separator and the quote
// are each one composed character; marks that follow one (a combining mark, a joiner, a variation
// selector) do not hide it but begin the text after it. A quote opens a quoted value only at the
// start of a field; inside one a doubled quote stands for one quote and the next quote closes it;
// anywhere else a quote is text, kept as it stands. Line ends end a record outside quoted values
// only. With quotesMustClose a quote opens a quoted value only when its closing quote is followed
// by the separator, a line end or the end of the text; an unpaired quote is then text.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class LineEnds {
    LineFeed,                // "\n"
    CarriageReturnLineFeed,  // "\r\n"; a line feed alone is text
    Any,                     // "\r\n", "\n\r", "\r" or "\n"
};

// The fields of one or more records, back to back in one text.
struct FieldTexts {
    std::string text;
    std::vector<size_t> ends;  // where each field ends in text

    size_t size() const { return ends.size(); }
    std::string_view operator[](size_t i) const {
        const size_t start = i == 0 ? 0 : ends[i - 1];
        return std::string_view(text).substr(start, ends[i] - start);
    }
    std::vector<std::string> strings(size_t first, size_t count) const;
    void clear() {
        text.clear();
        ends.clear();
    }
};

class FieldSplitter {
  public:
    // An empty quote reads every quote as text; a separator or quote of more than one composed
    // character never matches. With removeCarriageReturns every carriage return that is not part
    // of a line end is dropped, inside quoted values too. With quotesMustClose split may stop
    // before a quote until the text that closes it has been seen.
    FieldSplitter(std::string_view separator, std::string_view quote, LineEnds lineEnds,
                  bool removeCarriageReturns, bool quotesMustClose = false);

    // Appends the open record's fields from text[*at] on to `into`, moving *at on. True when it
    // passed a line end that ends the record (call endRecord next); false when the text ran out.
    // Unless atEnd says no text follows, it may stop a few bytes short of the end, before a
    // character that only the text after it can tell.
    bool split(std::string_view text, size_t* at, bool atEnd, FieldTexts* into);
    // Adds the open record's last field (a record always has one) and starts the next record.
    void endRecord(FieldTexts* into);

    // The open record holds a character (its line end not counted).
    bool recordHasText() const { return hasText_; }
    // The open record's last value opened a quote that never closed.
    bool inQuotedValue() const { return state_ == State::Quoted; }

  private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };
    enum class Match { No, Yes, NeedMore };
    Match matchAt(std::string_view text, size_t at, std::string_view what, bool atEnd) const;
    // At a carriage return or line feed outside quotes: the length of the line end there, 0 when
    // it is text, -1 when the next byte must be seen first.
    int lineEndAt(std::string_view text, size_t at, bool atEnd) const;
    // For a quote at text[at] that starts a field: whether the value it opens closes properly.
    Match closesProperly(std::string_view text, size_t at, bool atEnd) const;

    std::string separator_, quote_;
    LineEnds lineEnds_;
    bool removeCarriageReturns_;
    bool quotesMustClose_;
    // Bytes that end a run of plain text outside and inside quoted values.
    bool stopsUnquoted_[256] = {};
    bool stopsQuoted_[256] = {};
    State state_ = State::FieldStart;
    bool hasText_ = false;
};

// The rows of a whole pasted text, lines ending at any line end outside quoted values; a final
// line end ends the last row without starting another. Quotes must close (see above): a stray
// inch mark never swallows the rest of the text.
std::vector<std::vector<std::string>> splitText(std::string_view text, std::string_view separator,
                                                std::string_view quote);
