#pragma once
// Equal texts; on a difference only the sizes and where it starts, never the long texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

inline testing::AssertionResult sameText(const std::string& actual, const std::string& expected) {
    if (actual == expected) return testing::AssertionSuccess();
    auto [differs, unused] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return testing::AssertionFailure() << actual.size() << " bytes instead of " << expected.size()
                                       << ", differing from byte " << (differs - actual.begin());
}
