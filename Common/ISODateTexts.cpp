#include "Common/ISODateTexts.h"

#include <unicode/basictz.h>
#include <unicode/timezone.h>
#include <unicode/tztrans.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/foundation/UserLocale.h"

namespace DBInterface {

namespace {

// The value of `count` ASCII digits, -1 when one is not a digit.
int digitsAt(std::string_view text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

constexpr int64_t kDay = 86400000;

int64_t dayOf(int64_t milliseconds) {
    return milliseconds >= 0 ? milliseconds / kDay : (milliseconds - kDay + 1) / kDay;
}

// The user's zone as this thread last saw it. Asking ICU for an offset costs a few hundred
// nanoseconds, and finding that no change of offset falls near a moment some microseconds, while
// a zone changes its offset twice a year at most. So the offsets between its changes are kept,
// from 1900 on, a few years further each time a later moment is met.
class LocalZone {
  public:
    static LocalZone& current() {
        thread_local LocalZone zone;
        const uint64_t generation = userTimeZoneGeneration();
        if (!zone.zone_ || generation != zone.generation_) {
            // The generation is read first: a change after it makes the next call rebuild again.
            zone.zone_.reset(icu::TimeZone::createDefault());
            zone.basic_ = dynamic_cast<const icu::BasicTimeZone*>(zone.zone_.get());
            zone.generation_ = generation;
            zone.spans_.clear();
            zone.buckets_.clear();
            zone.knownUntil_ = kFirstSpan;
        }
        return zone;
    }

    // The offset at a moment, in milliseconds east of UTC.
    std::optional<int64_t> offsetAt(int64_t moment) {
        if (const Span* span = spanHolding(moment, moment)) return span->offset;
        return offsetByICU(static_cast<UDate>(moment));
    }

    // The offset at a wall-clock time (milliseconds as if it were UTC); nothing when a change of
    // offset skips that time (ICU's strict calendar refuses it) or repeats it (ICU takes the
    // later one). Offsets stay within a day, so an offset held from the day before the wall time
    // to the day after is the only one it can have.
    std::optional<int64_t> offsetAtWallTime(int64_t wall) {
        if (const Span* span = spanHolding(wall - kDay, wall + kDay)) return span->offset;
        if (!basic_) return std::nullopt;
        int32_t rawBefore = 0, dstBefore = 0, rawAfter = 0, dstAfter = 0;
        UErrorCode status = U_ZERO_ERROR;
        const auto moment = static_cast<UDate>(wall);
        basic_->getOffsetFromLocal(moment, UCAL_TZ_LOCAL_FORMER, UCAL_TZ_LOCAL_FORMER, rawBefore,
                                   dstBefore, status);
        basic_->getOffsetFromLocal(moment, UCAL_TZ_LOCAL_LATTER, UCAL_TZ_LOCAL_LATTER, rawAfter,
                                   dstAfter, status);
        if (U_FAILURE(status) || rawBefore + dstBefore != rawAfter + dstAfter) return std::nullopt;
        return int64_t{rawBefore} + dstBefore;
    }

  private:
    // 1900-01-01 and 10000-01-01 UTC; a moment outside is asked of ICU each time.
    static constexpr int64_t kFirstSpan = -2208988800000, kLastSpan = 253402300800000;
    static constexpr int64_t kSomeYears = 10 * 366 * kDay;

    // An offset held from a change of offset until the next one.
    struct Span {
        int64_t from;
        int32_t offset;
    };

    std::optional<int64_t> offsetByICU(UDate moment) const {
        int32_t raw = 0, dst = 0;
        UErrorCode status = U_ZERO_ERROR;
        zone_->getOffset(moment, false, raw, dst, status);
        return U_SUCCESS(status) ? std::optional<int64_t>(int64_t{raw} + dst) : std::nullopt;
    }

    // The span holding every moment from first to last, or null when the offset changes between
    // them.
    const Span* spanHolding(int64_t first, int64_t last) {
        if (!basic_ || first < kFirstSpan || last >= kLastSpan) return nullptr;
        if (last >= knownUntil_ && !learnPast(last)) return nullptr;
        // The last span beginning by `last`, a step or two from the last one begun by its bucket.
        size_t at = buckets_[static_cast<size_t>((last - kFirstSpan) >> kBucketBits)];
        while (at + 1 < spans_.size() && spans_[at + 1].from <= last) ++at;
        const Span& span = spans_[at];
        return span.from <= first ? &span : nullptr;
    }

    // Learns the changes of offset up to past the moment, some years at a time; false should ICU
    // fail.
    bool learnPast(int64_t moment) {
        if (spans_.empty()) {
            const auto offset = offsetByICU(static_cast<UDate>(kFirstSpan));
            if (!offset) return false;
            spans_.push_back({kFirstSpan, static_cast<int32_t>(*offset)});
        }
        const int64_t until = std::min(kLastSpan, std::max(moment + 1, knownUntil_ + kSomeYears));
        icu::TimeZoneTransition next;
        // Every change before knownUntil_ is known; one falling on it is not.
        auto from = static_cast<UDate>(knownUntil_);
        bool inclusive = true;
        while (basic_->getNextTransition(from, inclusive, next)) {
            from = next.getTime();
            inclusive = false;
            if (from >= static_cast<UDate>(until)) break;
            const auto offset = offsetByICU(from);
            if (!offset) return false;
            spans_.push_back({static_cast<int64_t>(from), static_cast<int32_t>(*offset)});
        }
        // Past `until`, or no more changes.
        knownUntil_ = from >= static_cast<UDate>(until) ? until : kLastSpan;
        // The buckets whose spans are all known now.
        size_t at = buckets_.empty() ? 0 : buckets_.back();
        for (int64_t start = kFirstSpan + (static_cast<int64_t>(buckets_.size()) << kBucketBits);
             start < knownUntil_; start += int64_t{1} << kBucketBits) {
            while (at + 1 < spans_.size() && spans_[at + 1].from <= start) ++at;
            buckets_.push_back(static_cast<uint32_t>(at));
        }
        return true;
    }

    std::unique_ptr<icu::TimeZone> zone_;
    const icu::BasicTimeZone* basic_ = nullptr;  // null should ICU make a zone of another kind
    uint64_t generation_ = 0;
    std::vector<Span> spans_;  // in order, the first from kFirstSpan
    // For each year or so (2^35 ms) from kFirstSpan, the last span begun by its start, so that a
    // moment is placed without a search; a zone changes its offset a few times a year at most.
    static constexpr int kBucketBits = 35;
    std::vector<uint32_t> buckets_;
    int64_t knownUntil_ = kFirstSpan;
};

// Writes a number below 100 in two digits and returns the end.
char* putTwoDigits(char* out, int value) {
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
}

// "+hh", "+hhmm", "+hh:mm" (either sign) or "Z", in milliseconds east of UTC.
std::optional<int64_t> zoneOffset(std::string_view zone) {
    if (zone == "Z") return 0;
    if (zone.size() < 3 || (zone[0] != '+' && zone[0] != '-')) return std::nullopt;
    const int hours = digitsAt(zone, 1, 2);
    int minutes = 0;
    if (zone.size() == 5) {
        minutes = digitsAt(zone, 3, 2);
    } else if (zone.size() == 6 && zone[3] == ':') {
        minutes = digitsAt(zone, 4, 2);
    } else if (zone.size() != 3) {
        return std::nullopt;
    }
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return std::nullopt;
    const int64_t offset = hours * 3600000LL + minutes * 60000LL;
    return zone[0] == '-' ? -offset : offset;
}

// The text and its offset (when it has a zone), or nothing. Anything but the exact widths, a
// field out of range or a year before 1900 (old calendars and local mean times) is refused.
std::optional<std::pair<WallTime, std::optional<int64_t>>> readISOText(std::string_view text,
                                                                       bool withTime) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    WallTime time;
    time.year = digitsAt(text, 0, 4);
    time.month = digitsAt(text, 5, 2);
    time.day = digitsAt(text, 8, 2);
    size_t end = 10;
    if (withTime) {
        if (text.size() < 16 || text[10] != ' ' || text[13] != ':') return std::nullopt;
        time.hour = digitsAt(text, 11, 2);
        time.minute = digitsAt(text, 14, 2);
        end = 16;
        if (text.size() >= 19 && text[16] == ':') {
            time.second = digitsAt(text, 17, 2);
            end = 19;
        }
    }
    std::optional<int64_t> offset;
    if (end < text.size()) {
        if (text[end] != ' ' || !(offset = zoneOffset(text.substr(end + 1)))) return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(time.year),
                                           std::chrono::month(static_cast<unsigned>(time.month)),
                                           std::chrono::day(static_cast<unsigned>(time.day))};
    if (time.year < 1900 || time.month < 0 || time.day < 0 || !date.ok() || time.hour < 0 ||
        time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
        time.second > 59) {
        return std::nullopt;
    }
    return std::pair(time, offset);
}

// Milliseconds since 1970 of the wall time read as UTC.
int64_t wallMilliseconds(const WallTime& time) {
    const std::chrono::year_month_day date{std::chrono::year(time.year),
                                           std::chrono::month(static_cast<unsigned>(time.month)),
                                           std::chrono::day(static_cast<unsigned>(time.day))};
    const int64_t days = std::chrono::sys_days(date).time_since_epoch().count();
    return days * kDay + ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000;
}

// Writes " +hhmm" (or "-") for an offset of whole minutes and returns the end.
char* putOffset(char* out, int64_t offset) {
    const int offsetMinutes = static_cast<int>(std::abs(offset) / 60000);
    out[0] = ' ';
    out[1] = offset < 0 ? '-' : '+';
    return putTwoDigits(putTwoDigits(out + 2, offsetMinutes / 60), offsetMinutes % 60);
}

// Appends the stored form of a wall time at an offset of whole minutes, in one piece: a million
// values append as many.
void appendStoredForm(const WallTime& time, int64_t offset, bool withTime, std::string* into) {
    char text[25];
    char* end = putTwoDigits(putTwoDigits(text, time.year / 100), time.year % 100);
    *end++ = '-';
    end = putTwoDigits(end, time.month);
    *end++ = '-';
    end = putTwoDigits(end, time.day);
    if (withTime) {
        *end++ = ' ';
        end = putTwoDigits(end, time.hour);
        *end++ = ':';
        end = putTwoDigits(end, time.minute);
        *end++ = ':';
        end = putTwoDigits(end, time.second);
    }
    into->append(text, putOffset(end, offset));
}

// Appends the moment in the stored form of the local zone; false when the zone's offset then is
// not a whole minute (old local mean times), which ICU writes its own way.
bool appendLocalStoredForm(int64_t milliseconds, bool withTime, std::string* into) {
    const auto offset = LocalZone::current().offsetAt(milliseconds);
    if (!offset || *offset % 60000 != 0) return false;
    const int64_t local = milliseconds + *offset;
    const int64_t days = dayOf(local);
    const int64_t secondsOfDay = (local - days * kDay) / 1000;
    const std::chrono::year_month_day date{std::chrono::sys_days(std::chrono::days(days))};
    const WallTime time{static_cast<int>(date.year()),
                        static_cast<int>(static_cast<unsigned>(date.month())),
                        static_cast<int>(static_cast<unsigned>(date.day())),
                        static_cast<int>(secondsOfDay / 3600),
                        static_cast<int>(secondsOfDay / 60 % 60),
                        static_cast<int>(secondsOfDay % 60)};
    if (time.year > 9999) return false;  // ICU writes five digits
    appendStoredForm(time, *offset, withTime, into);
    return true;
}

}  // namespace

bool appendStoredFormOfISOText(std::string_view text, bool withTime, bool utc, std::string* into) {
    const auto read = readISOText(text, withTime);
    if (!read) return false;
    const auto& [time, offset] = *read;
    if (offset) return appendLocalStoredForm(wallMilliseconds(time) - *offset, withTime, into);
    return appendStoredFormOfWallTime(time, withTime, utc, into);
}

bool appendStoredFormOfWallTime(const WallTime& time, bool withTime, bool utc, std::string* into) {
    if (time.year < 1900 || time.year > 9999) return false;
    const int64_t wall = wallMilliseconds(time);
    if (utc) return appendLocalStoredForm(wall, withTime, into);
    // Read in the local zone, the wall time is its own local form, at the offset of that time.
    const auto localOffset = LocalZone::current().offsetAtWallTime(wall);
    if (!localOffset || *localOffset % 60000 != 0) return false;
    appendStoredForm(time, *localOffset, withTime, into);
    return true;
}

}  // namespace DBInterface
