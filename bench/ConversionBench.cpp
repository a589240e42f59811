// Value conversions met once per cell: import parsing of dates and times (best and worst
// pattern, ISO texts read quickly and by the patterns, the other forms by the readings kept for
// their shapes and by every pattern), stored-number display and SQL literals.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Common/DBInterface.h"
#include "Common/PatternDateTexts.h"
#include "platform/foundation/UserLocale.h"

namespace {

void fixLocale() {
    setUserLocaleIdentifier("en_US");
    setUserTimeZoneIdentifier("Europe/Berlin");
}

void BM_ImportDateFirstPattern(benchmark::State& state) {
    fixLocale();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DBInterface::parseDate("2021-03-05 +0100", false));
    }
}
BENCHMARK(BM_ImportDateFirstPattern);

// ISO texts as most files carry them, by the quick reading and by the patterns alone.
const char* const kISOTexts[] = {"2005-08-15", "2005-08-15 13:03:53", "2005-08-15 13:03:53 +02:00"};

void BM_ImportISOText(benchmark::State& state) {
    fixLocale();
    const std::string text = kISOTexts[state.range(0)];
    const bool time = state.range(0) > 0, utc = state.range(1) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(time ? DBInterface::parseTime(text, utc)
                                      : DBInterface::parseDate(text, utc));
    }
    state.SetLabel(text + (utc ? " utc" : " local"));
}
BENCHMARK(BM_ImportISOText)->ArgsProduct({{0, 1, 2}, {0, 1}});

void BM_ImportISOTextByPatterns(benchmark::State& state) {
    fixLocale();
    const std::string text = kISOTexts[state.range(0)];
    const bool time = state.range(0) > 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(time ? DBInterface::parseTimeByPatterns(text, false)
                                      : DBInterface::parseDateByPatterns(text, false));
    }
    state.SetLabel(text);
}
BENCHMARK(BM_ImportISOTextByPatterns)->DenseRange(0, 2);

void BM_ImportTimeLastPattern(benchmark::State& state) {
    fixLocale();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DBInterface::parseTime("5-Mar-2021 7:05", true));
    }
}
BENCHMARK(BM_ImportTimeLastPattern);

void BM_ImportUnparsableTime(benchmark::State& state) {
    fixLocale();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DBInterface::fieldValueObjectForConvertedFieldValue(
            "not a time", DBInterface::kFieldTypeTime, true, true, true, "null", false));
    }
}
BENCHMARK(BM_ImportUnparsableTime);

// The other forms the import reads, and texts none of them reads, as the import converts them.
const char* const kOtherTexts[][2] = {
    {"08/15/2005", "d"},           {"08/15/2005 13:03:53", "t"}, {"8/15/2005 1:03:53 PM", "t"},
    {"2005-8-15 13:03", "t"},      {"15-Aug-2005 1:03 PM", "t"}, {"2005-08-15T13:03:53Z", "t"},
    {"2005-08-15T13:03:53Z", "d"}, {"15.08.2005", "d"},          {"15.08.2005 13:03:53", "t"},
    {"2005-Aug-15", "d"},          {"Aug/15/2005 1:03 PM", "t"}};

void BM_ImportOtherForms(benchmark::State& state) {
    fixLocale();
    const auto& [text, kind] = kOtherTexts[state.range(0)];
    const int64_t type = kind[0] == 't' ? DBInterface::kFieldTypeTime : DBInterface::kFieldTypeDate;
    std::string into;
    for (auto _ : state) {
        into.clear();
        DBInterface::appendConvertedFieldValue(text, type, true, true, true, "null",
                                               state.range(1) != 0, &into);
        benchmark::DoNotOptimize(into);
    }
    state.SetLabel(std::string(text) + (kind[0] == 't' ? " as time" : " as date") +
                   (state.range(1) ? " utc" : " local"));
}
BENCHMARK(BM_ImportOtherForms)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 1}});

// The import's time patterns over a pool of texts read in random order, by the readings kept
// for each shape and by trying every pattern: the other forms with random fields (a few hundred
// shapes, met again and again), and the same forms followed by random letters (none read, each
// a shape of its own, more than are kept). ICU is told to refuse, so that only the quick reading
// is timed.
std::vector<std::string> timeTextPool(bool newShapes) {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::mt19937 random(7);
    std::vector<std::string> pool;
    char text[64];
    for (int i = 0; i < 8192; ++i) {
        const int year = 1950 + static_cast<int>(random() % 80),
                  month = 1 + static_cast<int>(random() % 12),
                  day = 1 + static_cast<int>(random() % 28), hour = static_cast<int>(random() % 24),
                  minute = static_cast<int>(random() % 60);
        const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
        const char* period = hour < 12 ? "AM" : "PM";
        switch (random() % 3) {
            case 0:
                std::snprintf(text, sizeof text, "%04d-%d-%d %d:%02d", year, month, day, hour,
                              minute);
                break;
            case 1:
                std::snprintf(text, sizeof text, "%d-%s-%04d %d:%02d %s", day, months[month - 1],
                              year, hour12, minute, period);
                break;
            default:
                std::snprintf(text, sizeof text, "%d/%d/%04d %d:%02d:%02d %s", month, day, year,
                              hour12, minute, minute, period);
        }
        pool.emplace_back(text);
        for (int letters = newShapes ? 6 : 0; letters > 0; --letters) {
            pool.back() += static_cast<char>('a' + random() % 26);
        }
    }
    return pool;
}

void BM_ImportTimePatterns(benchmark::State& state) {
    fixLocale();
    static const DBInterface::ImportDatePatterns patterns({{"yyyy-MM-dd HH:mm:ss Z", true},
                                                           {"yyyy-MM-dd HH:mm Z", true},
                                                           {"yyyy-M-d h:mm:ss a", false},
                                                           {"M/d/yyyy h:mm:ss a", false},
                                                           {"d-MMM-yyyy h:mm:ss a", false},
                                                           {"yyyy-M-d h:mm a", false},
                                                           {"M/d/yyyy h:mm a", false},
                                                           {"d-MMM-yyyy h:mm a", false},
                                                           {"yyyy-M-d H:mm:ss", false},
                                                           {"M/d/yyyy H:mm:ss", false},
                                                           {"d-MMM-yyyy H:mm:ss", false},
                                                           {"yyyy-M-d H:mm", false},
                                                           {"M/d/yyyy H:mm", false},
                                                           {"d-MMM-yyyy H:mm", false}});
    const bool byShape = state.range(0) != 0, newShapes = state.range(1) != 0;
    const std::vector<std::string> pool = timeTextPool(newShapes);
    std::vector<uint32_t> order(1 << 20);
    std::mt19937 random(11);
    for (uint32_t& at : order) at = random() % pool.size();
    const auto lookup = byShape ? DBInterface::ImportDatePatterns::Lookup::ByShape
                                : DBInterface::ImportDatePatterns::Lookup::EachPattern;
    auto refuse = [](void*, const char*, bool) { return false; };
    std::string into;
    size_t next = 0;
    for (auto _ : state) {
        into.clear();
        benchmark::DoNotOptimize(patterns.appendStoredForm(pool[order[next++ % order.size()]], true,
                                                           false, &into, refuse, nullptr, lookup));
    }
    state.SetLabel(std::string(byShape ? "by shape" : "each pattern") +
                   (newShapes ? ", a new shape each" : ", forms met again"));
}
BENCHMARK(BM_ImportTimePatterns)->ArgsProduct({{0, 1}, {0, 1}});

void BM_NumberDisplay(benchmark::State& state) {
    fixLocale();
    auto formatter = DBInterface::numberFormatterNoDefaultForNumberFormatStyleType(3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(DBInterface::numberDisplayString("12345.678", formatter));
    }
}
BENCHMARK(BM_NumberDisplay);

void BM_DoubleLiteral(benchmark::State& state) {
    double value = 0.1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DBInterface::fieldValueSQLForNullableObject(value));
        value += 0.37;
    }
}
BENCHMARK(BM_DoubleLiteral);

}  // namespace

BENCHMARK_MAIN();
