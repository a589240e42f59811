#pragma once
// The index spaces of a database window. Each has a type of its own, so that a row in the grid is
// never passed where a row of the object is meant:
//   RowIndex       a row of the selected object under its search and sort, 0 the first
//   GridRow        a row of the grid, 0 the top row shown (RowIndex - first row of the data port)
//   FieldIndex     a column of a grid row: 0 the rowid, 1..n the object's fields
//   GridColumn     a column of the grid: 0 the row numbers, c >= 1 field (first field shown + c -
//   1) FieldPosition  a field's place in the field model's lists: FieldIndex - 1
// A value of -1 means none.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <utility>

#include "Common/IndexSet.h"

template <typename Space>
class Index {
  public:
    constexpr Index() = default;
    constexpr explicit Index(int64_t value) : value(value) {}

    constexpr bool isNone() const { return value < 0; }
    friend constexpr bool operator==(Index a, Index b) { return a.value == b.value; }
    friend constexpr bool operator!=(Index a, Index b) { return a.value != b.value; }
    friend constexpr bool operator<(Index a, Index b) { return a.value < b.value; }
    friend constexpr bool operator<=(Index a, Index b) { return a.value <= b.value; }
    friend constexpr bool operator>(Index a, Index b) { return a.value > b.value; }
    friend constexpr bool operator>=(Index a, Index b) { return a.value >= b.value; }

    constexpr Index operator+(int64_t offset) const { return Index(value + offset); }
    constexpr Index operator-(int64_t offset) const { return Index(value - offset); }
    constexpr int64_t operator-(Index other) const { return value - other.value; }
    constexpr Index& operator++() {
        ++value;
        return *this;
    }
    constexpr Index& operator--() {
        --value;
        return *this;
    }

    int64_t value = -1;
};

using RowIndex = Index<struct RowIndexSpace>;
using GridRow = Index<struct GridRowSpace>;
using FieldIndex = Index<struct FieldIndexSpace>;
using GridColumn = Index<struct GridColumnSpace>;
using FieldPosition = Index<struct FieldPositionSpace>;

inline constexpr FieldIndex kRowidFieldIndex{0};
inline constexpr FieldIndex kFirstFieldIndex{1};
inline constexpr GridColumn kRowNumberColumn{0};

constexpr FieldPosition positionOfField(FieldIndex field) {
    return FieldPosition(field.value - 1);
}
constexpr FieldIndex fieldAtPosition(FieldPosition position) {
    return FieldIndex(position.value + 1);
}

// A set of indexes of one space, kept as ranges by the database layer's index set.
template <typename IndexType>
class IndexSetOf {
  public:
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = IndexType;
        using difference_type = std::ptrdiff_t;
        using pointer = const IndexType*;
        using reference = IndexType;

        const_iterator() = default;
        explicit const_iterator(DBInterface::IndexSet::const_iterator at) : at_(at) {}
        IndexType operator*() const { return IndexType(*at_); }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++at_;
            return old;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

      private:
        DBInterface::IndexSet::const_iterator at_;
    };
    using iterator = const_iterator;
    using value_type = IndexType;
    using size_type = DBInterface::IndexSet::size_type;

    IndexSetOf() = default;
    IndexSetOf(std::initializer_list<IndexType> indexes) {
        for (IndexType index : indexes) insert(index);
    }
    // The plain indexes the database layer reads and writes are taken as this space's.
    explicit IndexSetOf(DBInterface::IndexSet indexes) : indexes_(std::move(indexes)) {}

    bool insert(IndexType index) { return indexes_.insert(index.value); }
    // Adds first...last; nothing when first > last.
    void insertRange(IndexType first, IndexType last) {
        indexes_.insertRange(first.value, last.value);
    }
    size_type erase(IndexType index) { return indexes_.erase(index.value); }
    void clear() { indexes_.clear(); }

    bool contains(IndexType index) const { return indexes_.contains(index.value); }
    size_type count(IndexType index) const { return indexes_.count(index.value); }
    size_type countInRange(IndexType first, IndexType last) const {
        return indexes_.countInRange(first.value, last.value);
    }
    bool empty() const { return indexes_.empty(); }
    size_type size() const { return indexes_.size(); }
    size_t rangeCount() const { return indexes_.rangeCount(); }
    // The lowest and highest index; the set must not be empty.
    IndexType first() const { return IndexType(indexes_.first()); }
    IndexType last() const { return IndexType(indexes_.last()); }

    const_iterator begin() const { return const_iterator(indexes_.begin()); }
    const_iterator end() const { return const_iterator(indexes_.end()); }
    bool operator==(const IndexSetOf&) const = default;

    // The plain indexes, for the database layer.
    const DBInterface::IndexSet& indexes() const { return indexes_; }

  private:
    DBInterface::IndexSet indexes_;
};

using RowIndexSet = IndexSetOf<RowIndex>;
using FieldIndexSet = IndexSetOf<FieldIndex>;
using FieldPositionSet = IndexSetOf<FieldPosition>;

// A grid cell by the row of the object and the field it shows.
struct CellIdentity {
    RowIndex row;
    FieldIndex field;
    friend constexpr bool operator==(CellIdentity a, CellIdentity b) {
        return a.row == b.row && a.field == b.field;
    }
    friend constexpr bool operator!=(CellIdentity a, CellIdentity b) { return !(a == b); }
};

// The bounding box of grid cells: rows top to bottom, fields left to right. An empty box has its
// low ends past every index and its high ends at none, so the first cell taken in sets all four;
// taking in none widens it to a negative bound.
struct SelectionBox {
    RowIndex top{std::numeric_limits<int64_t>::max()};
    RowIndex bottom;
    FieldIndex left{std::numeric_limits<int64_t>::max()};
    FieldIndex right;

    void include(RowIndex row, FieldIndex field) {
        top = std::min(top, row);
        bottom = std::max(bottom, row);
        left = std::min(left, field);
        right = std::max(right, field);
    }
    bool operator==(const SelectionBox&) const = default;
};
