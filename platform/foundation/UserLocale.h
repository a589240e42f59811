#pragma once
// The locale and time zone that display formatters, and every text said to be "local", follow.
// They start as the process's own (LANG, TZ); preferences and tests may fix them.
#include <cstdint>
#include <string>

std::string userLocaleIdentifier();
void setUserLocaleIdentifier(const std::string& identifier);
// Changes with every setUserLocaleIdentifier, so a cache of the locale's texts knows when to
// rebuild without asking ICU for its default locale (which takes a lock).
uint64_t userLocaleGeneration();
std::string userTimeZoneIdentifier();
void setUserTimeZoneIdentifier(const std::string& identifier);
// Changes with every setUserTimeZoneIdentifier, so a cache of zone objects knows when to rebuild
// without asking for the identifier (which copies the zone).
uint64_t userTimeZoneGeneration();

// The locale whose texts never change with the user's settings: stored forms use it.
inline constexpr const char* kPosixLocaleIdentifier = "en_US_POSIX";
