#include "platform/foundation/UserLocale.h"

#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <atomic>

namespace {
std::atomic<uint64_t> localeGeneration{0};
}  // namespace

std::string userLocaleIdentifier() {
    return icu::Locale::getDefault().getName();
}

uint64_t userLocaleGeneration() {
    return localeGeneration.load();
}

void setUserLocaleIdentifier(const std::string& identifier) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(identifier.c_str()), status);
    ++localeGeneration;
}

std::string userTimeZoneIdentifier() {
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    std::string out;
    zone->getID(id).toUTF8String(out);
    return out;
}

namespace {
std::atomic<uint64_t> timeZoneGeneration{0};
}  // namespace

uint64_t userTimeZoneGeneration() {
    return timeZoneGeneration.load();
}

void setUserTimeZoneIdentifier(const std::string& identifier) {
    // The zone first: a reader that sees the new generation must find the new zone.
    icu::TimeZone::adoptDefault(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(identifier)));
    ++timeZoneGeneration;
}
