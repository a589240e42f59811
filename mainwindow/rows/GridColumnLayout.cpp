#include "mainwindow/rows/GridColumnLayout.h"

#include <QStyle>

#include <algorithm>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "mainwindow/rows/views/RowsTableModel.h"
#include "mainwindow/rows/views/RowsTableView.h"
#include "platform/ui/QtStrings.h"
#include "settings/ColumnWidths.h"

namespace {
constexpr double kRowidWidth = 60;
constexpr double kNumberWidth = 60;
constexpr double kTimeWidth = 180;
constexpr double kOtherWidth = 100;
// Room beside the largest row number, so that it never touches the column's edge.
constexpr int kRowNumberSlack = 4;
}  // namespace

GridColumnLayout::GridColumnLayout(DatabaseWindow& window, const RowsDataPort& dataPort)
    : window_(window), state_(window.state()), dataPort_(dataPort) {}

void GridColumnLayout::setGrid(RowsTableView* view, RowsTableModel* model) {
    view_ = view;
    model_ = model;
}

int GridColumnLayout::numberOfColumns() const {
    return view_ ? view_->numberOfColumns() : 0;
}

int64_t GridColumnLayout::numberOfFieldsFrom(FieldIndex startField,
                                             const std::optional<std::string>& tableName) const {
    if (!view_) return 0;
    int64_t fieldsPerRow = state_.dataPort.numberOfFieldsPerRow;
    double available = view_->viewport()->width();
    double x = numberOfColumns() > 0 ? view_->columnWidth(0) : 0;
    if (x >= available || startField.isNone() || fieldsPerRow < 1) return 0;
    std::vector<double> widths = fieldWidthsForTable(tableName);
    int64_t count = 0;
    for (int64_t f = startField.value; f < fieldsPerRow && f < static_cast<int64_t>(widths.size());
         ++f) {
        x += widths[static_cast<size_t>(f)];
        // A first field wider than the grid is still shown, cut off: it is the page's one field.
        if (x >= available) return std::max<int64_t>(count, 1);
        ++count;
    }
    return count;
}

int64_t GridColumnLayout::numberOfDataPortFields() const {
    return numberOfFieldsFrom(state_.dataPort.firstFieldIndexInDataPort,
                              window_.selectedTableName());
}

int64_t GridColumnLayout::numberOfDataPortFieldsInFirstPage() const {
    return numberOfFieldsFrom(kFirstFieldIndex, window_.selectedTableNameIfOnlyOne());
}

int64_t GridColumnLayout::numberOfFieldsToShow() const {
    return numberOfFieldsToShowFrom(state_.dataPort.firstFieldIndexInDataPort);
}

int64_t GridColumnLayout::numberOfFieldsToShowFrom(FieldIndex first) const {
    return std::max<int64_t>(0, std::min(state_.dataPort.numberOfFieldsPerRow - first.value,
                                         numberOfFieldsFrom(first, window_.selectedTableName())));
}

void GridColumnLayout::fillFieldWidthsWithDefaultValues(std::vector<double>* widths) const {
    int64_t fieldsPerRow = state_.dataPort.numberOfFieldsPerRow;
    if (fieldsPerRow < 1) return;
    widths->push_back(kRowidWidth);
    for (FieldIndex f = kFirstFieldIndex; f.value < fieldsPerRow; ++f) {
        int type = state_.fieldModel.fieldTypeAtFieldIndexP1(f);
        widths->push_back(type == DBInterface::kFieldTypeNumber ? kNumberWidth
                          : type == DBInterface::kFieldTypeTime ? kTimeWidth
                                                                : kOtherWidth);
    }
}

std::vector<double> GridColumnLayout::fieldWidthsForTable(
    const std::optional<std::string>& tableName) const {
    if (tableName && state_.databaseFilePath) {
        std::optional<std::vector<double>> stored =
            storedFieldWidths(*state_.databaseFilePath, *tableName);
        if (stored &&
            static_cast<int64_t>(stored->size()) == state_.dataPort.numberOfFieldsPerRow) {
            return *stored;
        }
    }
    std::vector<double> widths;
    fillFieldWidthsWithDefaultValues(&widths);
    return widths;
}

void GridColumnLayout::updateRowsTableViewColumnsAndHeaders() {
    // The row-number column's width decides how many fields fit beside it.
    resizingColumns_ = true;
    view_->setColumnWidth(0, rowNumberColumnWidth());
    resizingColumns_ = false;
    int64_t count = numberOfFieldsToShow();
    if (count < 1) return;
    model_->setNumberOfDataColumns(static_cast<int>(count));
    for (int64_t c = 0; c < count; ++c) {
        model_->setHeader(static_cast<int>(c), toQString(dataPort_.fieldHeaderNameAtFieldIndex(
                                                   dataPort_.fieldIndexFromDataColumn(c))));
    }
}

void GridColumnLayout::updateRowsTableViewColumnWidths(
    const std::optional<std::string>& tableName) {
    const auto& port = state_.dataPort;
    resizingColumns_ = true;
    if (tableName && state_.databaseFilePath) {
        std::optional<std::vector<double>> stored =
            storedFieldWidths(*state_.databaseFilePath, *tableName);
        // A list of another length belongs to the table before its fields changed.
        if (stored && static_cast<int64_t>(stored->size()) != port.numberOfFieldsPerRow) {
            setStoredFieldWidths(*state_.databaseFilePath, *tableName, std::nullopt);
        }
    }
    std::vector<double> widths = fieldWidthsForTable(tableName);
    for (FieldIndex f = port.firstFieldIndexInDataPort;
         f.value < port.numberOfFieldsPerRow && f.value < static_cast<int64_t>(widths.size());
         ++f) {
        GridColumn column = dataPort_.tableViewColumnFromFieldIndex(f);
        if (column.value < numberOfColumns()) {
            view_->setColumnWidth(static_cast<int>(column.value),
                                  static_cast<int>(widths[static_cast<size_t>(f.value)]));
        }
    }
    if (numberOfColumns() > 0) view_->setColumnWidth(0, rowNumberColumnWidth());
    resizingColumns_ = false;
}

void GridColumnLayout::setColumnsHidden(bool hidden) {
    // A column shown again resizes from nothing to the grid's default width, which a click in
    // the tables list would otherwise store as the next table's width.
    resizingColumns_ = true;
    view_->setColumnHidden(0, hidden);
    view_->setColumnHidden(1, hidden);
    resizingColumns_ = false;
}

void GridColumnLayout::storeFieldWidths() {
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    if (!table || !state_.databaseFilePath || !view_ || state_.dataPort.numberOfFieldsPerRow < 1 ||
        numberOfColumns() < 1) {
        return;
    }
    const std::string& path = *state_.databaseFilePath;
    // A width widened to fit this table's row numbers is not the user's choice for every table.
    if (view_->columnWidth(0) != rowNumberColumnWidth()) setRowNumberWidth(view_->columnWidth(0));
    std::vector<double> widths;
    if (std::optional<std::vector<double>> stored = storedFieldWidths(path, *table)) {
        widths = *stored;
    } else {
        fillFieldWidthsWithDefaultValues(&widths);
    }
    // Each column's width goes under the field it shows, not under its position.
    for (int column = 1; column < numberOfColumns(); ++column) {
        FieldIndex f = dataPort_.fieldIndexFromDataColumn(column - 1);
        if (f.value < static_cast<int64_t>(widths.size())) {
            widths[static_cast<size_t>(f.value)] = view_->columnWidth(column);
        }
    }
    setStoredFieldWidths(path, *table, widths);
}

int GridColumnLayout::rowNumberColumnWidth() const {
    int stored = static_cast<int>(rowNumberWidth());
    if (!view_ || state_.dataPort.totalRows < 1) return stored;
    // The item view draws its text inside a focus-frame margin on either side, plus one point.
    const int margin =
        view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1;
    const int largest = view_->fontMetrics().horizontalAdvance(
        QString::number(static_cast<qlonglong>(state_.dataPort.totalRows)));
    return std::max(stored, largest + 2 * margin + kRowNumberSlack);
}

void GridColumnLayout::fillRoomBeforeFirstField() {
    state_.dataPort.firstFieldIndexInDataPort = firstFieldFillingRoom();
}

FieldIndex GridColumnLayout::firstFieldFillingRoom() const {
    const auto& port = state_.dataPort;
    if (!view_ || numberOfColumns() < 1 || port.numberOfFieldsPerRow < 1) {
        return port.firstFieldIndexInDataPort;
    }
    std::vector<double> widths = fieldWidthsForTable(window_.selectedTableName());
    if (static_cast<int64_t>(widths.size()) < port.numberOfFieldsPerRow) {
        return port.firstFieldIndexInDataPort;
    }
    // As numberOfDataPortFields counts: a field fits while the grid's width stays beyond it.
    double room = view_->viewport()->width() - view_->columnWidth(0);
    FieldIndex first = port.firstFieldIndexInDataPort;
    for (FieldIndex f = first; f.value < port.numberOfFieldsPerRow; ++f) {
        room -= widths[static_cast<size_t>(f.value)];
    }
    while (first > kFirstFieldIndex && room - widths[static_cast<size_t>(first.value - 1)] > 0) {
        --first;
        room -= widths[static_cast<size_t>(first.value)];
    }
    return first;
}
