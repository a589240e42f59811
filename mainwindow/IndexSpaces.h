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
#include <limits>

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
