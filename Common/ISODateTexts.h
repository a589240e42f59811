#pragma once
// ISO date and time texts read without ICU: "2005-08-15", "2005-08-15 13:03" and
// "2005-08-15 13:03:53", bare or with a zone ("+0200", "+02:00", "+02", "Z"). Most imported Date
// and Time values look like that, and reading them through ICU's patterns costs 10 to 100
// microseconds a value. Only what the patterns are sure to read the same way is taken; anything
// else (other widths, years before 1900, a local time skipped or repeated by a change of offset)
// is left to them.
#include <string>
#include <string_view>

namespace DBInterface {

// Appends the stored text of storage format 0 (in the local zone) of a date (withTime false) or a
// time to `into`; with utc, a text without a zone is read in UTC, else in the local zone. False,
// with nothing appended, when the patterns must read it.
bool appendStoredFormOfISOText(std::string_view text, bool withTime, bool utc, std::string* into);

// A date and time of day as a clock shows it.
struct WallTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The same for a wall time read from a text without a zone (its fields in range); false, with
// nothing appended, where the patterns must read it.
bool appendStoredFormOfWallTime(const WallTime& time, bool withTime, bool utc, std::string* into);

}  // namespace DBInterface
