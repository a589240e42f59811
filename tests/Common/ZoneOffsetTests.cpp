// The local zone's offsets as the quick reading of import texts keeps them: moments and wall
// times next to the changes of offset from 1900 on and at random, met out of order so that the
// changes are learnt late and out of turn, each read as ICU reads it.
#include <gtest/gtest.h>
#include <unicode/basictz.h>
#include <unicode/timezone.h>
#include <unicode/tztrans.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "tests/support/FixedLocale.h"

using namespace DBInterface;

namespace {

constexpr int64_t kSecond = 1000, kHour = 3600 * kSecond, kDay = 24 * kHour;

// "yyyy-MM-dd HH:mm:ss" of milliseconds since 1970 taken as UTC.
std::string wallText(int64_t milliseconds) {
    const auto time =
        std::chrono::sys_time<std::chrono::milliseconds>(std::chrono::milliseconds(milliseconds));
    const auto day = std::chrono::floor<std::chrono::days>(time);
    const std::chrono::year_month_day date(day);
    const std::chrono::hh_mm_ss clock(time - day);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long long>(clock.hours().count()),
                  static_cast<long long>(clock.minutes().count()),
                  static_cast<long long>(clock.seconds().count()));
    return text;
}

// The zone's changes of offset from 1900 to 2100, as ICU knows them: the moment and the offset
// before it.
std::vector<std::pair<int64_t, int64_t>> changesOf(const char* zoneName) {
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(zoneName));
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(zone.get());
    std::vector<std::pair<int64_t, int64_t>> changes;
    icu::TimeZoneTransition next;
    for (UDate from = -2208988800000.0; basic && basic->getNextTransition(from, false, next);) {
        from = next.getTime();
        if (from >= 4102444800000.0) break;
        changes.emplace_back(static_cast<int64_t>(from), int64_t{next.getFrom()->getRawOffset()} +
                                                             next.getFrom()->getDSTSavings());
    }
    return changes;
}

}  // namespace

TEST(ZoneOffsets, NextToEachChangeAndAtRandomAsICU) {
    std::mt19937_64 random(3);
    for (const char* zone : {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe",
                             "Pacific/Apia", "America/Sao_Paulo", "Africa/Monrovia", "UTC"}) {
        std::vector<std::string> texts;
        const auto changes = changesOf(zone);
        // Some fifty changes of each zone, spread over its history.
        const size_t step = std::max<size_t>(1, changes.size() / 50);
        for (size_t i = 0; i < changes.size(); i += step) {
            const auto [moment, offsetBefore] = changes[i];
            for (int64_t delta : {-kDay, -kHour, -kSecond, int64_t{0}, kSecond, kHour / 2, kHour,
                                  kHour + kHour / 2, kDay}) {
                // The moment in UTC, and the wall time as the clock showed it before the change,
                // which the change skips or repeats.
                texts.push_back(wallText(moment + delta) + " Z");
                texts.push_back(wallText(moment + offsetBefore + delta));
            }
        }
        // Anywhere from 1900 to the last year the quick reading takes.
        for (int i = 0; i < 200; ++i) {
            const int64_t first = -2208988800000,
                          last = i % 4 == 0 ? 253402214400000 : 4102444800000;
            const int64_t moment =
                first + static_cast<int64_t>(random() % static_cast<uint64_t>(last - first));
            texts.push_back(wallText(moment));
            texts.push_back(wallText(moment) + " Z");
        }
        std::shuffle(texts.begin(), texts.end(), random);
        // Set afresh for each zone, so that its changes are learnt in the order met.
        FixedLocale fixed("en_US", zone);
        for (const std::string& text : texts) {
            for (bool utc : {false, true}) {
                ASSERT_EQ(parseTime(text, utc), parseTimeByPatterns(text, utc))
                    << zone << " [" << text << "] utc " << utc;
                const std::string day = text.substr(0, 10);
                ASSERT_EQ(parseDate(day, utc), parseDateByPatterns(day, utc))
                    << zone << " [" << day << "] utc " << utc;
            }
        }
    }
}
