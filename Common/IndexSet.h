#pragma once
// A set of int64 indexes kept as sorted, disjoint, non-adjacent closed ranges, so that a span of
// millions of selected rows costs one entry. Shaped like std::set<int64_t> where callers use it.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <map>

namespace DBInterface {

class IndexSet {
  public:
    // Walks the indexes in ascending order.
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = int64_t;
        using difference_type = std::ptrdiff_t;
        using pointer = const int64_t*;
        using reference = const int64_t&;

        const_iterator() = default;
        reference operator*() const { return index_; }
        pointer operator->() const { return &index_; }
        const_iterator& operator++();
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const const_iterator& other) const {
            return range_ == other.range_ && index_ == other.index_;
        }

      private:
        friend class IndexSet;
        using Ranges = std::map<int64_t, int64_t>;
        const_iterator(Ranges::const_iterator range, Ranges::const_iterator end);

        Ranges::const_iterator range_, end_;
        int64_t index_ = 0;
    };
    using iterator = const_iterator;
    using value_type = int64_t;
    using size_type = uint64_t;

    IndexSet() = default;
    IndexSet(std::initializer_list<int64_t> indexes);

    // Gives whether the index was new.
    bool insert(int64_t index);
    template <class InputIt>
    void insert(InputIt first, InputIt last) {
        for (; first != last; ++first) insert(*first);
    }
    // Adds first...last; nothing when first > last.
    void insertRange(int64_t first, int64_t last);
    // Gives 1 when the index was there, else 0.
    size_type erase(int64_t index);
    // Removes first...last and gives how many indexes were there.
    size_type eraseRange(int64_t first, int64_t last);
    void clear() { ranges_.clear(); }

    bool contains(int64_t index) const;
    size_type count(int64_t index) const { return contains(index) ? 1 : 0; }
    // How many of first...last are in the set, in time proportional to the ranges met.
    size_type countInRange(int64_t first, int64_t last) const;
    bool empty() const { return ranges_.empty(); }
    // The number of indexes (the full int64 span wraps to 0).
    size_type size() const;
    // The number of disjoint ranges the indexes form.
    size_t rangeCount() const { return ranges_.size(); }
    // The lowest and highest index; the set must not be empty.
    int64_t first() const {
        assert(!ranges_.empty());
        return ranges_.begin()->first;
    }
    int64_t last() const {
        assert(!ranges_.empty());
        return ranges_.rbegin()->second;
    }

    const_iterator begin() const { return const_iterator(ranges_.begin(), ranges_.end()); }
    const_iterator end() const { return const_iterator(ranges_.end(), ranges_.end()); }

    bool operator==(const IndexSet& other) const = default;

  private:
    // The first range that holds index or lies after it.
    std::map<int64_t, int64_t>::const_iterator rangeAtOrAfter(int64_t index) const;

    std::map<int64_t, int64_t> ranges_;  // first -> last
};

}  // namespace DBInterface
