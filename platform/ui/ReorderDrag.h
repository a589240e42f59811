#pragma once
// Reordering the lines of an editing list by dragging them: the drag carries only the dragged
// rows under the list's own type, a drop lands on the line between rows nearest to it (above a
// row, or after the last), and every list moves its entries with the one placeholder move below.
#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAbstractItemView;
class QMouseEvent;
class QWidget;

inline constexpr const char* kPickerValuesTableViewDataType =
    "application/x-varnelo.PickerValuesTableViewDataType";
inline constexpr const char* kAddTableViewDataType = "application/x-varnelo.AddTableViewDataType";
inline constexpr const char* kCreateViewTableViewDataType =
    "application/x-varnelo.CreateViewTableViewDataType";
inline constexpr const char* kAddRowsFromLayoutWindowObjectsTableType =
    "application/x-varnelo.AddRowsFromLayoutWindowObjectsTableType";

// The old positions of a list of `count` entries in their new order: the entries at `rows`
// stand, in their former order, as one block where the drop line above `destination` was; the
// others keep their order. Rows outside the list are ignored; a destination past the end is
// the end.
std::vector<size_t> placeholderOrder(size_t count, std::vector<int> rows, int destination);

// The list rearranged by an order of placeholderOrder.
template <typename List>
List reordered(const List& list, const std::vector<size_t>& order) {
    List result;
    for (size_t old : order) result.push_back(list[old]);
    return result;
}

// Moves the entries at `rows` to the drop line above `destination` in lists kept side by side
// (entry i of each describes the same line), every list by the same order.
template <typename First, typename... Rest>
void moveRowsInStep(const std::vector<int>& rows, int destination, First& first, Rest&... rest) {
    const std::vector<size_t> order = placeholderOrder(first.size(), rows, destination);
    first = reordered(first, order);
    ((rest = reordered(rest, order)), ...);
}

// Where the moved block starts after the move.
int placeholderBlockStart(size_t count, std::vector<int> rows, int destination);

// The drag payload of rows of a list, and the rows read back; nullopt without the type or
// with unreadable data.
QMimeData* reorderMimeData(const QString& type, const std::vector<int>& rows);
std::optional<std::vector<int>> reorderRows(const QMimeData* data, const QString& type);

// The row a drop at the viewport point lands above: the row count below the last row;
// nullopt for a drop on a row's middle.
std::optional<int> dropRowAbove(const QAbstractItemView* view, QPoint viewportPoint);
// The row a reordering drop lands above: over a row, the edge of that row nearest the point,
// since lines may be too low to aim between them; the row count below the last row.
int reorderDropRow(const QAbstractItemView* view, QPoint viewportPoint);

// Drags of a list's selected rows onto the same list. `moved` gets the dragged rows and the
// row they were dropped above, after the drop has ended; `enabled` may refuse the reorder.
// The mouse drag is followed inside the list: a press on a selected line keeps the selection
// and starts no editing until it proves to be a click, and a press-drag moves the lines instead
// of extending the selection, a line showing where they would land. Drops of the list's type
// from outside are taken too.
class ReorderDrag : public QObject {
  public:
    ReorderDrag(QAbstractItemView* view, QString type,
                std::function<void(const std::vector<int>& rows, int destination)> moved,
                std::function<bool()> enabled = {});

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::vector<int> selectedRows() const;
    bool takesDrop(const QMimeData* data) const;
    bool mousePressed(const QMouseEvent& press);
    bool mouseMoved(const QMouseEvent& move);
    bool mouseReleased(const QMouseEvent& release);
    void endMouseDrag();
    // Where the dragged lines would land.
    void showDropLine(int above);

    QAbstractItemView* view_;
    // Compared with the watched object: the view is no longer one while it is destroyed.
    QWidget* viewport_;
    QString type_;
    std::function<void(const std::vector<int>&, int)> moved_;
    std::function<bool()> enabled_;
    // The press a drag may start from; held back from the view when it hit a selected line.
    struct Press {
        QPoint at;
        QPointF globalAt;
        Qt::KeyboardModifiers modifiers;
        bool heldBack;
    };
    std::optional<Press> press_;
    bool dragging_ = false;
    QPointer<QWidget> dropLine_;
    bool replaying_ = false;
};
