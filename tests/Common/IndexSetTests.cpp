// The range-based index set: merging and splitting of ranges, counts, order and the int64 limits.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <set>
#include <vector>

#include "Common/IndexSet.h"

using DBInterface::IndexSet;

namespace {
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

std::vector<int64_t> items(const IndexSet& set) {
    return std::vector<int64_t>(set.begin(), set.end());
}
}  // namespace

// Merging, splitting, sizes and counts are checked against an ordinary set further down; these
// are the answers that check does not read.
TEST(IndexSet, LookupsAndEmptyRanges) {
    IndexSet set{9, -3, 4, 5, 0, 9};
    std::vector<int64_t> more{7, 2};
    set.insert(more.begin(), more.end());
    EXPECT_EQ(items(set), (std::vector<int64_t>{-3, 0, 2, 4, 5, 7, 9}));
    EXPECT_EQ(set.first(), -3);
    EXPECT_EQ(set.last(), 9);
    EXPECT_TRUE(set.contains(5));
    EXPECT_FALSE(set.contains(6));
    EXPECT_EQ(set.count(7), 1u);
    EXPECT_EQ(set.count(8), 0u);
    // A range whose end is before its start is empty.
    set.insertRange(9, 3);
    EXPECT_EQ(set.eraseRange(9, 3), 0u);
    EXPECT_EQ(set.size(), 7u);
    set.clear();
    EXPECT_TRUE(set.empty());
    EXPECT_EQ(set.size(), 0u);
    EXPECT_EQ(set.begin(), set.end());
}

TEST(IndexSet, CountInRangeCountsOnlyTheOverlap) {
    IndexSet set;
    set.insertRange(0, 9'999'999);
    set.insertRange(20'000'000, 20'000'004);
    EXPECT_EQ(set.countInRange(0, 30'000'000), 10'000'005u);
    EXPECT_EQ(set.countInRange(9'999'990, 20'000'001), 12u);
    EXPECT_EQ(set.countInRange(10'000'000, 19'999'999), 0u);
    EXPECT_EQ(set.countInRange(5, 4), 0u);
    EXPECT_EQ(set.size(), 10'000'005u);
    EXPECT_EQ(set.rangeCount(), 2u);
}

TEST(IndexSet, HoldsTheInt64Limits) {
    IndexSet set;
    set.insertRange(kMax - 2, kMax);
    set.insertRange(kMin, kMin + 1);
    EXPECT_EQ(items(set), (std::vector<int64_t>{kMin, kMin + 1, kMax - 2, kMax - 1, kMax}));
    EXPECT_TRUE(set.contains(kMax));
    EXPECT_TRUE(set.contains(kMin));
    EXPECT_EQ(set.countInRange(kMin, kMax), 5u);
    EXPECT_EQ(set.eraseRange(kMax, kMax), 1u);
    EXPECT_EQ(set.erase(kMin), 1u);
    EXPECT_EQ(items(set), (std::vector<int64_t>{kMin + 1, kMax - 2, kMax - 1}));
    // Touching the limits merges without wrapping round to the other end.
    set.insert(kMax);
    set.insert(kMin);
    EXPECT_EQ(set.rangeCount(), 2u);
    set.insertRange(0, kMax);
    EXPECT_EQ(set.rangeCount(), 2u);
    EXPECT_EQ(set.size(), uint64_t(kMax) + 1 + 2);
    EXPECT_EQ(set.eraseRange(kMin, -1), 2u);
    EXPECT_EQ(set.first(), 0);
    EXPECT_EQ(set.last(), kMax);
}

TEST(IndexSet, EqualityComparesTheIndexesNotHowTheyWereAdded) {
    IndexSet ranged;
    ranged.insertRange(1, 3);
    EXPECT_EQ(ranged, (IndexSet{3, 1, 2}));
    EXPECT_NE(ranged, (IndexSet{1, 3}));
    EXPECT_NE(ranged, IndexSet{});
    ranged.erase(2);
    EXPECT_EQ(ranged, (IndexSet{1, 3}));
    ranged.insert(2);
    EXPECT_EQ(ranged, (IndexSet{1, 2, 3}));
}

TEST(IndexSet, MatchesAnOrdinarySetOverRandomEdits) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int64_t> index(-30, 30);
    IndexSet set;
    std::set<int64_t> reference;
    for (int step = 0; step < 5000; ++step) {
        int64_t a = index(random), b = index(random);
        if (step % 4 == 0) {
            set.insertRange(a, b);
            for (int64_t i = a; i <= b; ++i) reference.insert(i);
        } else if (step % 4 == 1) {
            uint64_t expected = 0;
            for (int64_t i = a; i <= b; ++i) expected += reference.erase(i);
            ASSERT_EQ(set.eraseRange(a, b), expected);
        } else if (step % 4 == 2) {
            ASSERT_EQ(set.insert(a), reference.insert(a).second);
        } else {
            ASSERT_EQ(set.erase(a), reference.erase(a));
        }
        ASSERT_EQ(items(set), std::vector<int64_t>(reference.begin(), reference.end()));
        ASSERT_EQ(set.size(), reference.size());
        // Ranges are never left touching: one per run of consecutive indexes.
        size_t runs = 0;
        for (int64_t i : reference) runs += !reference.count(i - 1);
        ASSERT_EQ(set.rangeCount(), runs);
        uint64_t inSpan = 0;
        for (int64_t i = a; i <= b; ++i) inSpan += reference.count(i);
        ASSERT_EQ(set.countInRange(a, b), inSpan);
    }
}
