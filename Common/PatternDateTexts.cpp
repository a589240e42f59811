#include "Common/PatternDateTexts.h"

#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/numsys.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "Common/ISODateTexts.h"
#include "platform/foundation/UserLocale.h"

namespace DBInterface {

namespace {

using Reading = QuickDatePattern::Reading;

bool isASCII(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The ASCII characters ICU takes for white space between fields.
bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char lowered(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string folded(const icu::UnicodeString& name) {
    std::string text;
    icu::UnicodeString(name).foldCase().toUTF8String(text);
    return text;
}

}  // namespace

// The names ICU matches month names and day periods against in the user's locale, case folded,
// in the order it tries them: wide before abbreviated months, abbreviated before narrow periods.
struct LocaleNames {
    bool usable = false;  // the locale writes numbers in ASCII digits
    std::vector<std::string> months[2];
    std::vector<std::string> dayPeriods[2];
    size_t window = 0;  // bytes of text that decide a match, the longest name and one more
    // [months or day periods][wide or not][c]: the names beginning with c, in order; no other
    // name matches a text beginning with c.
    std::vector<uint8_t> beginningWith[2][2][128];

    static const LocaleNames& current() {
        // Plain pointers, which a thread reaches without a guard; the names are kept by owner.
        thread_local const LocaleNames* names = nullptr;
        thread_local uint64_t cachedFor = 0;
        // The generation is read first: a change after it makes the next call rebuild again.
        const uint64_t generation = userLocaleGeneration();
        if (!names || generation != cachedFor) {
            thread_local std::unique_ptr<LocaleNames> owner;
            owner.reset(new LocaleNames(icu::Locale::getDefault()));
            names = owner.get();
            cachedFor = generation;
        }
        return *names;
    }

  private:
    explicit LocaleNames(const icu::Locale& locale) {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::NumberingSystem> numbers(
            icu::NumberingSystem::createInstance(locale, status));
        icu::DateFormatSymbols symbols(locale, status);
        if (U_FAILURE(status) || !numbers || std::strcmp(numbers->getName(), "latn") != 0) return;
        const icu::DateFormatSymbols::DtWidthType widths[] = {icu::DateFormatSymbols::WIDE,
                                                              icu::DateFormatSymbols::ABBREVIATED};
        for (int i = 0; i < 2; ++i) {
            int32_t count = 0;
            const icu::UnicodeString* list =
                symbols.getMonths(count, icu::DateFormatSymbols::FORMAT, widths[i]);
            for (int32_t m = 0; m < count; ++m) months[i].push_back(folded(list[m]));
        }
        int32_t count = 0;
        const icu::UnicodeString* periods = symbols.getAmPmStrings(count);
        for (int32_t p = 0; p < count; ++p) dayPeriods[0].push_back(folded(periods[p]));
        // The narrow periods have no getter of their own: they are what "aaaaa" writes.
        icu::SimpleDateFormat narrow(icu::UnicodeString("aaaaa"), locale, status);
        if (U_FAILURE(status)) return;
        narrow.adoptTimeZone(icu::TimeZone::createTimeZone("UTC"));
        for (UDate moment : {3600000.0, 46800000.0}) {
            icu::UnicodeString period;
            dayPeriods[1].push_back(folded(narrow.format(moment, period)));
        }
        for (int kind = 0; kind < 2; ++kind) {
            for (int width = 0; width < 2; ++width) {
                const std::vector<std::string>& list = (kind == 0 ? months : dayPeriods)[width];
                for (size_t i = 0; i < list.size(); ++i) {
                    window = std::max(window, list[i].size() + 1);
                    if (!list[i].empty() && isASCII(list[i][0])) {
                        beginningWith[kind][width][static_cast<unsigned char>(list[i][0])]
                            .push_back(static_cast<uint8_t>(i));
                    }
                }
            }
        }
        usable = true;
    }
};

namespace {

// ICU's match of a list of names at the start of the text: the name matching the most text
// (the first of those alike), a trailing "." of a name being optional. Only ASCII text is matched
// here, which no name holding other letters matches; only the candidates, the names beginning as
// the text does, are tried. The index and the length matched, or -1.
int matchName(const std::vector<std::string>& names, const std::vector<uint8_t>& candidates,
              std::string_view text, size_t* length) {
    int best = -1;
    size_t bestLength = 0;
    for (const size_t i : candidates) {
        const std::string& name = names[i];
        size_t same = 0;
        while (same < name.size() && same < text.size() && lowered(text[same]) == name[same]) {
            ++same;
        }
        const bool matched =
            same == name.size() || (!name.empty() && name.back() == '.' && same + 1 == name.size());
        if (matched && same > bestLength) {
            best = static_cast<int>(i);
            bestLength = same;
        }
    }
    *length = bestLength;
    return best;
}

}  // namespace

QuickDatePattern::QuickDatePattern(std::string_view pattern) {
    for (size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        size_t end = i + 1;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            while (end < pattern.size() && pattern[end] == c) ++end;
            const int count = static_cast<int>(end - i);
            Element element{Kind::Number, c};
            if (c == 'M' && count >= 3) element.kind = Kind::MonthName;
            if (c == 'a') element.kind = Kind::DayPeriod;
            if (c == 'Z') element.kind = Kind::Zone;
            localized_ =
                localized_ || element.kind == Kind::MonthName || element.kind == Kind::DayPeriod;
            // One letter reads one or two digits, two letters two, four a year of four.
            const std::string_view fields = "yMdHms";
            const size_t field = c == 'h' ? 6 : fields.find(c);
            if (element.kind == Kind::Number && field != std::string_view::npos && count <= 2 &&
                (count == 2 || (c != 'm' && c != 's'))) {
                element.field = static_cast<int>(field);
                element.fewestDigits = static_cast<size_t>(count);
                element.mostDigits = 2;
                constexpr int kLeast[] = {0, 1, 1, 0, 0, 0, 0},
                              kMost[] = {0, 12, 31, 23, 59, 59, 12};
                element.least = kLeast[field];
                element.most = kMost[field];
            } else if (c == 'y' && count == 4) {
                element.field = 0;
                element.fewestDigits = element.mostDigits = 4;
                element.most = 9999;
            }
            elements_.push_back(element);
        } else {
            elements_.push_back({c == ' ' ? Kind::Blank : Kind::Literal, c});
        }
        i = end;
    }
}

QuickDatePattern::Reading QuickDatePattern::read(std::string_view text, bool withTime, bool utc,
                                                 std::string* into) const {
    DateTextProgress progress;
    if (localized_) {
        progress.names = &LocaleNames::current();
        if (!progress.names->usable) return Reading::AskICU;
    }
    const Reading reading = readOn(text, &progress);
    return reading == Reading::Read ? finish(text, progress, withTime, utc, into) : reading;
}

QuickDatePattern::Reading QuickDatePattern::finish(std::string_view text,
                                                   DateTextProgress& progress, bool withTime,
                                                   bool utc, std::string* into) {
    if (progress.at != text.size() || progress.refused) return Reading::NotRead;
    const int* fields = progress.fields;
    const int hour12 = fields[6];
    const WallTime time{
        fields[0], fields[1],
        fields[2], hour12 >= 0 ? hour12 % 12 + (progress.dayPeriod == 1 ? 12 : 0) : fields[3],
        fields[4], fields[5]};
    const std::chrono::year_month_day date{std::chrono::year(time.year),
                                           std::chrono::month(static_cast<unsigned>(time.month)),
                                           std::chrono::day(static_cast<unsigned>(time.day))};
    if (!progress.sure || (hour12 >= 0) != (progress.dayPeriod >= 0) || !date.ok() ||
        !appendStoredFormOfWallTime(time, withTime, utc, into)) {
        return Reading::AskICU;
    }
    return Reading::Read;
}

QuickDatePattern::Reading QuickDatePattern::readOn(std::string_view text,
                                                   DateTextProgress* progress) const {
    const LocaleNames* names = progress->names;
    int& dayPeriod = progress->dayPeriod;
    bool& sure = progress->sure;
    bool& refused = progress->refused;
    size_t& at = progress->at;
    for (const Element& element : elements_) {
        switch (element.kind) {
            case Kind::Number: {
                // ICU skips white space before a number and reads signs and other digits.
                if (at == text.size()) return Reading::NotRead;
                if (!isDigit(text[at])) {
                    return isSpace(text[at]) || !isASCII(text[at]) ? Reading::AskICU
                                                                   : Reading::NotRead;
                }
                const char* digit = text.data() + at;
                const char* const end = text.data() + text.size();
                const char* const begin = digit;
                int value = 0;
                do {
                    if (digit - begin < 4) value = value * 10 + (*digit - '0');
                } while (++digit != end && isDigit(*digit));
                at = static_cast<size_t>(digit - text.data());
                // An exponent is read on, and what lies beyond ASCII may be ignored.
                if (digit != end && (!isASCII(*digit) || *digit == 'e' || *digit == 'E')) {
                    return Reading::AskICU;
                }
                const auto digits = static_cast<size_t>(digit - begin);
                if (element.field < 0 || digits < element.fewestDigits ||
                    digits > element.mostDigits) {
                    sure = false;
                    break;
                }
                progress->fields[element.field] = value;
                if (value < element.least || value > element.most) {
                    // Hour 0 reads as 12; past 12 the hour is refused.
                    if (element.symbol == 'h' && sure) {
                        refused = true;
                    } else {
                        sure = false;
                    }
                }
                break;
            }
            case Kind::Literal:
                if (at == text.size()) return Reading::NotRead;
                if (text[at] != element.symbol) {
                    return isASCII(text[at]) ? Reading::NotRead : Reading::AskICU;
                }
                ++at;
                break;
            case Kind::Blank: {
                // One or more characters of white space.
                const size_t begin = at;
                while (at < text.size() && isSpace(text[at])) ++at;
                if (at < text.size() && !isASCII(text[at])) return Reading::AskICU;
                if (at == begin) return Reading::NotRead;
                break;
            }
            case Kind::MonthName:
            case Kind::DayPeriod: {
                const bool month = element.kind == Kind::MonthName;
                if (at == text.size()) return Reading::NotRead;
                if (!isASCII(text[at])) return Reading::AskICU;
                // Only names beginning as the text does can match it, and most characters begin
                // none.
                const auto& candidates = names->beginningWith[month ? 0 : 1];
                const auto first = static_cast<unsigned char>(lowered(text[at]));
                if (candidates[0][first].empty() && candidates[1][first].empty()) {
                    return Reading::NotRead;
                }
                const std::string_view rest = text.substr(at, names->window);
                if (!std::all_of(rest.begin(), rest.end(), isASCII)) return Reading::AskICU;
                const auto& lists = month ? names->months : names->dayPeriods;
                size_t length = 0;
                int index = matchName(lists[0], candidates[0][first], rest, &length);
                if (index < 0) index = matchName(lists[1], candidates[1][first], rest, &length);
                if (index < 0) return Reading::NotRead;
                if (month) {
                    progress->fields[1] = index + 1;
                } else {
                    dayPeriod = index;
                }
                at += length;
                break;
            }
            case Kind::Zone:
                return Reading::AskICU;
        }
    }
    return Reading::Read;
}

ImportDatePatterns::ImportDatePatterns(const std::vector<Pattern>& patterns) {
    std::vector<std::string_view> dateParts;
    for (const Pattern& pattern : patterns) {
        const std::string_view text(pattern.text);
        const size_t blank = std::min(text.find(' '), text.size());
        const std::string_view datePart = text.substr(0, blank);
        auto known = std::find(dateParts.begin(), dateParts.end(), datePart);
        if (known == dateParts.end()) {
            dateParts.push_back(datePart);
            dateParts_.emplace_back(datePart);
            known = dateParts.end() - 1;
        }
        assert(dateParts_.size() <= kMostDateParts);
        entries_.push_back({pattern, static_cast<size_t>(known - dateParts.begin()),
                            QuickDatePattern(text.substr(blank))});
    }
}

bool ImportDatePatterns::appendStoredForm(std::string_view text, bool withTime, bool utc,
                                          std::string* into, AskICU askICU, void* context) const {
    // What each date part came to, read once for the text.
    QuickDatePattern::Reading readings[kMostDateParts];
    DateTextProgress progresses[kMostDateParts];
    uint32_t known = 0;
    const LocaleNames* names = nullptr;
    for (const Entry& entry : entries_) {
        const bool inUTC = utc && !entry.pattern.zoned;
        const QuickDatePattern& datePart = dateParts_[entry.datePart];
        if (datePart.localized() || entry.rest.localized()) {
            if (!names) names = &LocaleNames::current();
            // In a locale of other digits ICU reads even the numbers otherwise.
            if (!names->usable) {
                if (askICU(context, entry.pattern.text, inUTC)) return true;
                continue;
            }
        }
        const size_t number = entry.datePart;
        if (!(known & (1u << number))) {
            progresses[number] = DateTextProgress{names};
            readings[number] = datePart.readOn(text, &progresses[number]);
            known |= 1u << number;
        }
        QuickDatePattern::Reading reading = readings[number];
        if (reading == QuickDatePattern::Reading::NotRead) continue;
        if (reading == QuickDatePattern::Reading::Read) {
            DateTextProgress progress = progresses[number];
            progress.names = names;
            reading = entry.rest.readOn(text, &progress);
            if (reading == QuickDatePattern::Reading::Read) {
                reading = QuickDatePattern::finish(text, progress, withTime, inUTC, into);
            }
            if (reading == QuickDatePattern::Reading::Read) return true;
            if (reading == QuickDatePattern::Reading::NotRead) continue;
        }
        if (askICU(context, entry.pattern.text, inUTC)) return true;
    }
    return false;
}

}  // namespace DBInterface
