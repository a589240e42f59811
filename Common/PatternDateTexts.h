#pragma once
// The import's date and time patterns ("yyyy-M-d", "M/d/yyyy", "d-MMM-yyyy", alone or followed by
// "h:mm:ss a", "h:mm a", "H:mm:ss" or "H:mm") read without ICU. ICU takes tens of microseconds a
// pattern, and a value that no pattern reads tries every one of them. A pattern here answers only
// where ICU is sure to answer the same: read, or not read. Anything else (white space where ICU
// skips it, other widths, letters beyond ASCII, fields out of range, years before 1900, zones, a
// locale of other digits) is left to ICU.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace DBInterface {

struct LocaleNames;

// One letter of a pattern repeated, or one other character.
struct DatePatternElement {
    enum class Kind { Number, Literal, Blank, MonthName, DayPeriod, Zone };
    Kind kind;
    char symbol;  // the pattern letter, or the literal character
    // A number: the field it is, and the digits and values ICU is sure to read alike (-1: a
    // field not read here). An hour of a 12-hour clock past its most is refused.
    int field = -1;
    size_t fewestDigits = 0, mostDigits = 0;
    int least = 0, most = 0;
};

// The numbers and names a reading took, in order: a text of the same shape takes its own at the
// same places.
struct DateTextSteps {
    static constexpr size_t kMost = 8;
    struct Step {
        const DatePatternElement* element;
        uint8_t at, length;
        int8_t name;  // the index of a month name or day period; -2 for letters in a number's place
    };
    Step steps[kMost];
    size_t count = 0;
    bool complete = true;  // false when there were more
};

// How far a pattern has read a text, and what it read.
struct DateTextProgress {
    const LocaleNames* names = nullptr;  // of the user's locale, for patterns that need them
    // Year, month, day, hour, minute, second, and the hour of a 12-hour clock (-1 for none).
    int fields[7] = {1970, 1, 1, 0, 0, 0, -1};
    int dayPeriod = -1;
    bool sure = true;      // every field of a width and value ICU reads the same way
    bool refused = false;  // a field ICU is sure to refuse
    size_t at = 0;
    DateTextSteps* steps = nullptr;  // where to note the steps, for texts of up to 255 bytes
};

class QuickDatePattern {
  public:
    enum class Reading { Read, NotRead, AskICU };

    explicit QuickDatePattern(std::string_view pattern);

    // On Read appends the stored text of storage format 0 (a date's, or with withTime a time's);
    // with utc the text is read in UTC, else in the local zone.
    Reading read(std::string_view text, bool withTime, bool utc, std::string* into) const;

    // Reads the whole pattern on from where progress stands; Read when it matches so far.
    Reading readOn(std::string_view text, DateTextProgress* progress) const;
    // Appends the stored text of what a whole pattern read of the whole text.
    static Reading finish(std::string_view text, DateTextProgress& progress, bool withTime,
                          bool utc, std::string* into);
    // Takes what the steps took from a text of the same shape from this one, as reading it does.
    static void retrace(std::string_view text, const DateTextSteps& steps,
                        DateTextProgress* progress);
    bool localized() const { return localized_; }

  private:
    using Kind = DatePatternElement::Kind;
    using Element = DatePatternElement;

    std::vector<Element> elements_;
    bool localized_ = false;  // month names and day periods are read in the user's locale
};

struct ShapeReadings;

// The import's patterns in the order they are tried, read as one: the date part of a pattern
// (what comes before its blank) is read once for all the patterns that begin with it.
class ImportDatePatterns {
  public:
    struct Pattern {
        const char* text;
        bool zoned;  // read in the local zone, even where zoneless texts are read in UTC
    };
    // askICU(context, pattern, utc) reads the text by ICU, appending its stored text; true when
    // it read it.
    using AskICU = bool (*)(void* context, const char* pattern, bool utc);
    // ByShape: whether each pattern reads a text, does not, or leaves it to ICU is the same for
    // every text of the same bytes but for which ASCII digits they hold, so this thread keeps
    // that for the shapes it met and reads a text only by the patterns that may read it.
    enum class Lookup { EachPattern, ByShape };

    explicit ImportDatePatterns(const std::vector<Pattern>& patterns);
    // The shapes kept point into the patterns.
    ImportDatePatterns(const ImportDatePatterns&) = delete;
    ImportDatePatterns& operator=(const ImportDatePatterns&) = delete;

    // Appends the stored text of the first pattern that reads the text; false when none does.
    bool appendStoredForm(std::string_view text, bool withTime, bool utc, std::string* into,
                          AskICU askICU, void* context, Lookup lookup = Lookup::ByShape) const;

  private:
    static constexpr size_t kMostDateParts = 4;
    struct Entry {
        Pattern pattern;
        size_t datePart;        // in dateParts_
        QuickDatePattern rest;  // the pattern after its date part
    };
    // What each date part came to, read once for the text.
    struct DateReadings {
        QuickDatePattern::Reading readings[kMostDateParts];
        DateTextProgress progresses[kMostDateParts];
        uint32_t known = 0;
    };

    // The whole entry's reading of the text, short of finishing it.
    QuickDatePattern::Reading readEntry(const Entry& entry, std::string_view text,
                                        const LocaleNames* names, DateReadings& dates,
                                        DateTextProgress* progress) const;
    // Each entry's reading of texts shaped as this one.
    const ShapeReadings& readingsOfShape(std::string_view text, const LocaleNames& names,
                                         DateReadings& dates) const;

    std::vector<QuickDatePattern> dateParts_;
    std::vector<Entry> entries_;
    uint64_t id_;          // tells this set's shapes from another's
    bool byShape_ = true;  // no pattern holds a digit, which would tell digits apart
};

}  // namespace DBInterface
