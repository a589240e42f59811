#pragma once
// The import's reading of a text against the locale's patterns asked one by one through ICU: as
// a date and as a time, in the user's zone and in UTC.
#include <gtest/gtest.h>

#include <string>

#include "Common/DBInterface.h"

inline testing::AssertionResult readAsByPatterns(const std::string& text) {
    using namespace DBInterface;
    for (bool utc : {false, true}) {
        const std::string date = parseDate(text, utc);
        const std::string time = parseTime(text, utc);
        if (date != parseDateByPatterns(text, utc)) {
            return testing::AssertionFailure()
                   << "[" << text << "] utc " << utc << " as a date: [" << date
                   << "], by the patterns [" << parseDateByPatterns(text, utc) << "]";
        }
        if (time != parseTimeByPatterns(text, utc)) {
            return testing::AssertionFailure()
                   << "[" << text << "] utc " << utc << " as a time: [" << time
                   << "], by the patterns [" << parseTimeByPatterns(text, utc) << "]";
        }
    }
    return testing::AssertionSuccess();
}
