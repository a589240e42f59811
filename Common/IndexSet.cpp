#include "Common/IndexSet.h"

#include <algorithm>

namespace DBInterface {

namespace {
// Whether a range ending at last touches or overlaps one starting at first; written so that
// neither side overflows at the int64 limits.
bool reaches(int64_t last, int64_t first) {
    return last >= first || last + 1 == first;
}

// The count of first...last (first <= last) in unsigned arithmetic, which cannot overflow short
// of the full span.
uint64_t spanSize(int64_t first, int64_t last) {
    return uint64_t(last) - uint64_t(first) + 1;
}
}  // namespace

IndexSet::const_iterator::const_iterator(Ranges::const_iterator range, Ranges::const_iterator end)
    : range_(range), end_(end), index_(range == end ? 0 : range->first) {}

IndexSet::const_iterator& IndexSet::const_iterator::operator++() {
    if (index_ != range_->second) {
        ++index_;
    } else {
        ++range_;
        index_ = range_ == end_ ? 0 : range_->first;
    }
    return *this;
}

IndexSet::IndexSet(std::initializer_list<int64_t> indexes) {
    for (int64_t index : indexes) insert(index);
}

bool IndexSet::insert(int64_t index) {
    if (contains(index)) return false;
    insertRange(index, index);
    return true;
}

void IndexSet::insertRange(int64_t first, int64_t last) {
    if (first > last) return;
    auto range = ranges_.upper_bound(first);
    if (range != ranges_.begin() && reaches(std::prev(range)->second, first)) --range;
    // Swallow every range the new one overlaps or touches.
    while (range != ranges_.end() && reaches(last, range->first)) {
        first = std::min(first, range->first);
        last = std::max(last, range->second);
        range = ranges_.erase(range);
    }
    ranges_.emplace_hint(range, first, last);
}

IndexSet::size_type IndexSet::erase(int64_t index) {
    return eraseRange(index, index);
}

IndexSet::size_type IndexSet::eraseRange(int64_t first, int64_t last) {
    if (first > last) return 0;
    size_type removed = 0;
    auto range = rangeAtOrAfter(first);
    while (range != ranges_.end() && range->first <= last) {
        auto [low, high] = *range;
        range = ranges_.erase(range);
        removed += spanSize(std::max(low, first), std::min(high, last));
        // The parts outside first...last stay; low < first and high > last keep +-1 in range.
        if (low < first) ranges_.emplace_hint(range, low, first - 1);
        if (high > last) {
            ranges_.emplace_hint(range, last + 1, high);
            break;
        }
    }
    return removed;
}

bool IndexSet::contains(int64_t index) const {
    auto range = rangeAtOrAfter(index);
    return range != ranges_.end() && range->first <= index;
}

IndexSet::size_type IndexSet::countInRange(int64_t first, int64_t last) const {
    size_type count = 0;
    if (first > last) return count;
    for (auto range = rangeAtOrAfter(first); range != ranges_.end() && range->first <= last;
         ++range) {
        count += spanSize(std::max(range->first, first), std::min(range->second, last));
    }
    return count;
}

IndexSet::size_type IndexSet::size() const {
    size_type count = 0;
    for (const auto& [first, last] : ranges_) count += spanSize(first, last);
    return count;
}

std::map<int64_t, int64_t>::const_iterator IndexSet::rangeAtOrAfter(int64_t index) const {
    auto range = ranges_.upper_bound(index);
    if (range != ranges_.begin() && std::prev(range)->second >= index) --range;
    return range;
}

}  // namespace DBInterface
