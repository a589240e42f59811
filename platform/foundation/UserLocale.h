#pragma once
// The locale and time zone that display formatters, and every text said to be "local", follow.
// They start as the process's own (LANG, TZ); preferences and tests may fix them.
#include <string>

std::string userLocaleIdentifier();
void setUserLocaleIdentifier(const std::string& identifier);
std::string userTimeZoneIdentifier();
void setUserTimeZoneIdentifier(const std::string& identifier);

// The locale whose texts never change with the user's settings: stored forms use it.
inline constexpr const char* kPosixLocaleIdentifier = "en_US_POSIX";
