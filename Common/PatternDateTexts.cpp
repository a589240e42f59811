#include "Common/PatternDateTexts.h"

#include <unicode/calendar.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/numsys.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <atomic>
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

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNameChar(char c) {
    return isLetter(c) || c == '.';
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
    bool usable = false;    // the locale writes numbers in ASCII digits, on a Gregorian calendar
    bool digitFree = true;  // no name holds an ASCII digit
    // Every month name that ASCII text can match is ASCII letters and dots, so that a run of
    // those holds all ICU may take for a month's name.
    bool plainMonths = true;
    uint64_t generation = 0;  // of the user's locale, which the names are of
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
            owner->generation = generation;
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
        // Years and months are read as Gregorian ones; a locale of another calendar (Thai's
        // Buddhist one, or one asked for by "@calendar=") counts them otherwise.
        std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(locale, status));
        if (U_FAILURE(status) || !calendar || std::strcmp(calendar->getType(), "gregorian") != 0) {
            return;
        }
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
                    digitFree = digitFree && std::none_of(list[i].begin(), list[i].end(), isDigit);
                    if (kind == 0 && std::all_of(list[i].begin(), list[i].end(), isASCII)) {
                        plainMonths =
                            plainMonths && std::all_of(list[i].begin(), list[i].end(), isNameChar);
                    }
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

using Element = DatePatternElement;
using Kind = DatePatternElement::Kind;

// A step that took letters where a number was due.
constexpr int8_t kNameForNumber = -2;

// Takes a number of so many digits for the element.
void takeNumber(const Element& element, const char* begin, size_t digits,
                DateTextProgress* progress) {
    if (element.field < 0 || digits < element.fewestDigits || digits > element.mostDigits) {
        // ICU reads every digit of a day, and no calendar has a day past 31.
        if (element.field == 2 && digits > element.mostDigits && digits <= 9) {
            int value = 0;
            for (size_t i = 0; i < digits; ++i) value = value * 10 + (begin[i] - '0');
            if (value > 31) progress->refused = true;
        }
        progress->sure = false;
        return;
    }
    int value = 0;
    for (size_t i = 0; i < digits; ++i) value = value * 10 + (begin[i] - '0');
    progress->fields[element.field] = value;
    if (value < element.least || value > element.most) {
        // Hour 0 reads as 12; past 12 the hour is refused.
        if (element.symbol == 'h' && progress->sure) {
            progress->refused = true;
        } else {
            progress->sure = false;
        }
    }
}

void takeName(const Element& element, int index, DateTextProgress* progress) {
    if (element.kind == Kind::MonthName) {
        progress->fields[1] = index + 1;
    } else {
        progress->dayPeriod = index;
    }
}

void noteStep(const Element& element, size_t at, size_t length, int name,
              DateTextProgress* progress) {
    DateTextSteps* steps = progress->steps;
    if (!steps) return;
    if (steps->count == DateTextSteps::kMost || at > UINT8_MAX || length > UINT8_MAX) {
        steps->complete = false;
        return;
    }
    steps->steps[steps->count++] = {&element, static_cast<uint8_t>(at),
                                    static_cast<uint8_t>(length), static_cast<int8_t>(name)};
}

// Two bits of readings an entry. The shapes of a file's dates are short and few, though month
// names, day periods and the widths of days and hours make a hundred of one form.
constexpr size_t kMostEntries = 16, kLongestShape = 40, kShapeSets = 256, kShapeWays = 4;

uint64_t nextPatternsId() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

}  // namespace

// What a set of patterns' entries make of the texts of one shape.
struct ShapeReadings {
    uint64_t patterns = 0;    // the set's id, 0 for none
    uint64_t generation = 0;  // of the user's locale
    uint32_t readings = 0;    // two bits an entry
    uint8_t first = 0;        // the first entry that may read such a text
    uint8_t length = 0;
    char shape[kLongestShape];
    DateTextSteps steps;  // the first entry's, when it reads such a text
};

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

void QuickDatePattern::retrace(std::string_view text, const DateTextSteps& steps,
                               DateTextProgress* progress) {
    for (size_t i = 0; i < steps.count; ++i) {
        const DateTextSteps::Step& step = steps.steps[i];
        if (step.name == kNameForNumber) {
            progress->sure = false;
        } else if (step.element->kind == Kind::Number) {
            takeNumber(*step.element, text.data() + step.at, step.length, progress);
        } else {
            takeName(*step.element, step.name, progress);
        }
    }
    progress->at = text.size();
}

QuickDatePattern::Reading QuickDatePattern::readOn(std::string_view text,
                                                   DateTextProgress* progress) const {
    const LocaleNames* names = progress->names;
    size_t& at = progress->at;
    for (const Element& element : elements_) {
        switch (element.kind) {
            case Kind::Number: {
                // ICU skips white space before a number and reads signs and other digits.
                if (at == text.size()) return Reading::NotRead;
                if (element.symbol == 'M' && isLetter(text[at])) {
                    // ICU reads a month's name where its number is due, by the names of the
                    // pattern's locale or the user's. When no name holds more than letters and
                    // dots, all it can take is the run of them: what comes after is read on
                    // (to find a day no calendar has), never taken as sure.
                    if (!names) names = &LocaleNames::current();
                    if (!names->usable || !names->plainMonths) return Reading::AskICU;
                    const size_t begin = at;
                    while (++at != text.size() && isNameChar(text[at])) {
                    }
                    if (at != text.size() && !isASCII(text[at])) return Reading::AskICU;
                    noteStep(element, begin, at - begin, kNameForNumber, progress);
                    progress->sure = false;
                    break;
                }
                if (!isDigit(text[at])) {
                    // A minus sign is read with the number ("-0" is 0).
                    const bool minus =
                        text[at] == '-' && at + 1 != text.size() && isDigit(text[at + 1]);
                    return minus || isSpace(text[at]) || !isASCII(text[at]) ? Reading::AskICU
                                                                            : Reading::NotRead;
                }
                const size_t begin = at;
                while (++at != text.size() && isDigit(text[at])) {
                }
                // An exponent is read on, and what lies beyond ASCII may be ignored.
                if (at != text.size() &&
                    (!isASCII(text[at]) || text[at] == 'e' || text[at] == 'E')) {
                    return Reading::AskICU;
                }
                noteStep(element, begin, at - begin, -1, progress);
                takeNumber(element, text.data() + begin, at - begin, progress);
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
                noteStep(element, at, length, index, progress);
                takeName(element, index, progress);
                at += length;
                break;
            }
            case Kind::Zone:
                return Reading::AskICU;
        }
    }
    return Reading::Read;
}

ImportDatePatterns::ImportDatePatterns(const std::vector<Pattern>& patterns)
    : id_(nextPatternsId()) {
    std::vector<std::string_view> dateParts;
    for (const Pattern& pattern : patterns) {
        const std::string_view text(pattern.text);
        byShape_ = byShape_ && std::none_of(text.begin(), text.end(), isDigit);
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
    assert(entries_.size() <= kMostEntries);
}

QuickDatePattern::Reading ImportDatePatterns::readEntry(const Entry& entry, std::string_view text,
                                                        const LocaleNames* names,
                                                        DateReadings& dates,
                                                        DateTextProgress* progress) const {
    const size_t number = entry.datePart;
    if (!(dates.known & (1u << number))) {
        dates.progresses[number] = DateTextProgress{names};
        dates.readings[number] = dateParts_[number].readOn(text, &dates.progresses[number]);
        dates.known |= 1u << number;
    }
    if (dates.readings[number] != Reading::Read) return dates.readings[number];
    *progress = dates.progresses[number];
    progress->names = names;
    return entry.rest.readOn(text, progress);
}

const ShapeReadings& ImportDatePatterns::readingsOfShape(std::string_view text,
                                                         const LocaleNames& names,
                                                         DateReadings& dates) const {
    // The shape in whole words, the last one padded with zeros.
    uint64_t words[kLongestShape / 8] = {};
    auto* const shape = reinterpret_cast<char*>(words);
    for (size_t i = 0; i < text.size(); ++i) shape[i] = isDigit(text[i]) ? '0' : text[i];
    constexpr uint64_t kOdd = 0x9e3779b97f4a7c15u;
    uint64_t hash = text.size();
    for (size_t i = 0; i * 8 < text.size(); ++i) {
        hash = (hash ^ words[i]) * kOdd;
        hash ^= hash >> 32;
    }
    thread_local std::unique_ptr<ShapeReadings[]> kept;
    if (!kept) kept = std::make_unique<ShapeReadings[]>(kShapeSets * kShapeWays);
    ShapeReadings* const set = &kept[(hash * kOdd >> 56) % kShapeSets * kShapeWays];
    for (size_t way = 0; way < kShapeWays; ++way) {
        const ShapeReadings& known = set[way];
        if (known.patterns == id_ && known.generation == names.generation &&
            known.length == text.size() && std::memcmp(known.shape, shape, text.size()) == 0) {
            return known;
        }
    }
    // The shape met longest ago makes way.
    std::move_backward(set, set + kShapeWays - 1, set + kShapeWays);
    ShapeReadings& slot = set[0];
    uint32_t readings = 0;
    size_t first = entries_.size();
    for (size_t i = 0; i < entries_.size(); ++i) {
        DateTextProgress progress;
        Reading reading = readEntry(entries_[i], text, &names, dates, &progress);
        // Reading less than the whole text is a matter of its shape too.
        if (reading == Reading::Read && progress.at != text.size()) reading = Reading::NotRead;
        readings |= static_cast<uint32_t>(reading) << (2 * i);
        if (reading != Reading::NotRead && first == entries_.size()) first = i;
    }
    slot.patterns = id_;
    slot.generation = names.generation;
    slot.readings = readings;
    slot.first = static_cast<uint8_t>(first);
    slot.length = static_cast<uint8_t>(text.size());
    std::memcpy(slot.shape, shape, text.size());
    slot.steps = DateTextSteps{};
    if (first < entries_.size() && ((readings >> (2 * first)) & 3) == 0) {
        // Read again from the start, noting the steps.
        DateTextProgress progress{&names};
        progress.steps = &slot.steps;
        const Entry& entry = entries_[first];
        [[maybe_unused]] const Reading date = dateParts_[entry.datePart].readOn(text, &progress);
        [[maybe_unused]] const Reading rest = entry.rest.readOn(text, &progress);
        assert(date == Reading::Read && rest == Reading::Read);
    }
    return slot;
}

bool ImportDatePatterns::appendStoredForm(std::string_view text, bool withTime, bool utc,
                                          std::string* into, AskICU askICU, void* context,
                                          Lookup lookup) const {
    DateReadings dates;
    const LocaleNames* names = nullptr;
    const ShapeReadings* shape = nullptr;
    if (lookup == Lookup::ByShape && byShape_ && text.size() <= kLongestShape) {
        names = &LocaleNames::current();
        // A name holding a digit would tell the digits apart; in a locale of other digits the
        // patterns are ICU's anyway.
        if (names->usable && names->digitFree) shape = &readingsOfShape(text, *names, dates);
    }
    const uint32_t shapeReadings = shape ? shape->readings : 0;
    const size_t first = shape ? shape->first : 0;
    for (size_t i = first; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        const bool inUTC = utc && !entry.pattern.zoned;
        DateTextProgress progress{names};
        Reading reading;
        if (shape) {
            reading = static_cast<Reading>((shapeReadings >> (2 * i)) & 3);
            if (reading == Reading::Read) {
                // Nothing can have filled the shape again before its first entry is read.
                if (i == first && shape->steps.complete) {
                    QuickDatePattern::retrace(text, shape->steps, &progress);
                } else {
                    reading = readEntry(entry, text, names, dates, &progress);
                }
            } else if (reading == Reading::AskICU) {
                // Read as far as it goes, for a field ICU is sure to refuse.
                reading = readEntry(entry, text, names, dates, &progress);
            }
        } else {
            if (dateParts_[entry.datePart].localized() || entry.rest.localized()) {
                if (!names) names = &LocaleNames::current();
                // In a locale of other digits ICU reads even the numbers otherwise.
                if (!names->usable) {
                    if (askICU(context, entry.pattern.text, inUTC)) return true;
                    continue;
                }
            }
            reading = readEntry(entry, text, names, dates, &progress);
        }
        if (reading == Reading::Read) {
            reading = QuickDatePattern::finish(text, progress, withTime, inUTC, into);
        }
        if (reading == Reading::Read) return true;
        // A field refused before what is left to ICU (a day past 31 read where a month's name
        // stands for its number, then a zone) is refused whatever follows.
        if (reading == Reading::NotRead || progress.refused) continue;
        if (askICU(context, entry.pattern.text, inUTC)) return true;
    }
    return false;
}

}  // namespace DBInterface
