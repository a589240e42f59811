// Value conversions met once per cell: import parsing of dates and times (best and worst
// pattern, ISO texts read quickly and by the patterns), stored-number display and SQL literals.
#include <benchmark/benchmark.h>

#include "Common/DBInterface.h"
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
    {"2005-08-15T13:03:53Z", "d"}, {"15.08.2005", "d"},          {"15.08.2005 13:03:53", "t"}};

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
BENCHMARK(BM_ImportOtherForms)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 1}});

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
