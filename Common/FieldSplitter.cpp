#include "Common/FieldSplitter.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace {

// A code point that joins the character before it into one composed character.
bool isGraphemeExtender(UChar32 c) {
    const int kind = u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
    return kind == U_GCB_EXTEND || kind == U_GCB_ZWJ || kind == U_GCB_SPACING_MARK;
}

// A base character with its marks is one composed character; only one can match.
bool isOneComposedCharacter(std::string_view text) {
    if (text.empty()) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    int32_t index = 0;
    UChar32 c;
    U8_NEXT(bytes, index, length, c);
    while (index < length) {
        U8_NEXT(bytes, index, length, c);
        if (c < 0 || !isGraphemeExtender(c)) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> FieldTexts::strings(size_t first, size_t count) const {
    std::vector<std::string> fields;
    fields.reserve(count);
    for (size_t i = first; i < first + count; ++i) fields.emplace_back((*this)[i]);
    return fields;
}

FieldSplitter::FieldSplitter(std::string_view separator, std::string_view quote, LineEnds lineEnds,
                             bool removeCarriageReturns, bool quotesMustClose)
    : separator_(isOneComposedCharacter(separator) ? separator : std::string_view()),
      quote_(isOneComposedCharacter(quote) ? quote : std::string_view()),
      lineEnds_(lineEnds),
      removeCarriageReturns_(removeCarriageReturns),
      quotesMustClose_(quotesMustClose) {
    stopsUnquoted_[static_cast<unsigned char>('\n')] = true;
    stopsUnquoted_[static_cast<unsigned char>('\r')] = true;
    if (!separator_.empty()) stopsUnquoted_[static_cast<unsigned char>(separator_[0])] = true;
    if (!quote_.empty()) stopsQuoted_[static_cast<unsigned char>(quote_[0])] = true;
    if (removeCarriageReturns_) stopsQuoted_[static_cast<unsigned char>('\r')] = true;
}

FieldSplitter::Match FieldSplitter::matchAt(std::string_view text, size_t at, std::string_view what,
                                            bool atEnd) const {
    if (what.empty()) return Match::No;
    if (text.size() - at < what.size()) {
        return !atEnd && what.starts_with(text.substr(at)) ? Match::NeedMore : Match::No;
    }
    // Marks after it are the next text's, as the line reader, which tests each character on
    // its own, takes them: else the two would disagree on where a quoted value ends.
    return text.compare(at, what.size(), what) == 0 ? Match::Yes : Match::No;
}

int FieldSplitter::lineEndAt(std::string_view text, size_t at, bool atEnd) const {
    const char c = text[at];
    const bool last = at + 1 == text.size();
    switch (lineEnds_) {
        case LineEnds::LineFeed:
            return c == '\n' ? 1 : 0;
        case LineEnds::CarriageReturnLineFeed:
            if (c != '\r') return 0;
            if (last) return atEnd ? 0 : -1;
            return text[at + 1] == '\n' ? 2 : 0;
        case LineEnds::Any:
            if (last) return atEnd ? 1 : -1;
            return text[at + 1] == (c == '\r' ? '\n' : '\r') ? 2 : 1;
    }
    return 0;
}

FieldSplitter::Match FieldSplitter::closesProperly(std::string_view text, size_t at,
                                                   bool atEnd) const {
    // The first quote that is not doubled closes the value, as the quoted state reads it.
    for (size_t i = at + quote_.size(); (i = text.find(quote_, i)) != std::string_view::npos;) {
        const Match quote = matchAt(text, i, quote_, atEnd);
        if (quote == Match::NeedMore) return Match::NeedMore;
        i += quote_.size();
        if (quote == Match::No) continue;
        if (i == text.size()) return atEnd ? Match::Yes : Match::NeedMore;
        const Match doubled = matchAt(text, i, quote_, atEnd);
        if (doubled == Match::NeedMore) return Match::NeedMore;
        if (doubled == Match::Yes) {
            i += quote_.size();
            continue;
        }
        if (text[i] == '\n' || text[i] == '\r') {
            const int length = lineEndAt(text, i, atEnd);
            if (length != 0) return length < 0 ? Match::NeedMore : Match::Yes;
        }
        return matchAt(text, i, separator_, atEnd);
    }
    return atEnd ? Match::No : Match::NeedMore;
}

bool FieldSplitter::split(std::string_view text, size_t* at, bool atEnd, FieldTexts* into) {
    const char* data = text.data();
    const size_t n = text.size();
    std::string& out = into->text;
    size_t i = *at;
    while (i < n) {
        if (state_ == State::FieldStart || state_ == State::QuoteInQuoted) {
            if (!quote_.empty() && data[i] == quote_[0]) {
                Match match = matchAt(text, i, quote_, atEnd);
                if (match == Match::Yes && state_ == State::FieldStart && quotesMustClose_) {
                    match = closesProperly(text, i, atEnd);
                }
                if (match == Match::NeedMore) break;
                if (match == Match::Yes) {
                    // Opens a quoted value, or after a closing quote stands for one quote.
                    if (state_ == State::QuoteInQuoted) out += quote_;
                    state_ = State::Quoted;
                    hasText_ = true;
                    i += quote_.size();
                    continue;
                }
            }
            state_ = State::Unquoted;
        }
        if (state_ == State::Quoted) {
            const size_t run = i;
            while (i < n && !stopsQuoted_[static_cast<unsigned char>(data[i])]) ++i;
            out.append(data + run, i - run);
            if (i == n) break;
            if (data[i] == '\r' && removeCarriageReturns_) {
                ++i;
                continue;
            }
            const Match match = matchAt(text, i, quote_, atEnd);
            if (match == Match::NeedMore) break;
            if (match == Match::Yes) {
                state_ = State::QuoteInQuoted;
                i += quote_.size();
            } else {
                out += data[i++];
            }
            continue;
        }
        const size_t run = i;
        while (i < n && !stopsUnquoted_[static_cast<unsigned char>(data[i])]) ++i;
        if (i > run) {
            out.append(data + run, i - run);
            hasText_ = true;
        }
        if (i == n) break;
        const char c = data[i];
        if (c == '\n' || c == '\r') {
            const int length = lineEndAt(text, i, atEnd);
            if (length < 0) break;
            if (length > 0) {
                *at = i + static_cast<size_t>(length);
                return true;
            }
            hasText_ = true;
            if (c != '\r' || !removeCarriageReturns_) out += c;
            ++i;
            continue;
        }
        const Match match = matchAt(text, i, separator_, atEnd);
        if (match == Match::NeedMore) break;
        hasText_ = true;
        if (match == Match::Yes) {
            into->ends.push_back(out.size());
            state_ = State::FieldStart;
            i += separator_.size();
        } else {
            out += data[i++];
        }
    }
    *at = i;
    return false;
}

void FieldSplitter::endRecord(FieldTexts* into) {
    into->ends.push_back(into->text.size());
    state_ = State::FieldStart;
    hasText_ = false;
}

std::vector<std::vector<std::string>> splitText(std::string_view text, std::string_view separator,
                                                std::string_view quote) {
    FieldSplitter splitter(separator, quote, LineEnds::Any, false, true);
    std::vector<std::vector<std::string>> rows;
    FieldTexts fields;
    size_t at = 0;
    for (bool more = true; more;) {
        const size_t start = at;
        more = splitter.split(text, &at, true, &fields);
        // Copied lines end in a line end: nothing after the last one is no row, else a paste
        // would write an empty value over the next row or add an empty row.
        if (!more && start == text.size() && !rows.empty()) break;
        splitter.endRecord(&fields);
        rows.push_back(fields.strings(0, fields.size()));
        fields.clear();
    }
    return rows;
}
