#include "design/SqlResultsTableView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>

#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

void SqlResultsModel::setResults(std::vector<std::string> headers, std::vector<DBRow> rows) {
    beginResetModel();
    headers_ = std::move(headers);
    rows_ = std::move(rows);
    endResetModel();
}

int SqlResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SqlResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant SqlResultsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const auto row = static_cast<size_t>(index.row());
    const auto column = static_cast<size_t>(index.column());
    if (index.row() < 0 || row >= rows_.size() || index.column() < 0 ||
        column >= rows_[row].size()) {
        return toQString(localizedString("(Unknown)"));
    }
    const DBValue& value = rows_[row][column];
    return value ? toQString(*value) : QString();
}

QVariant SqlResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || static_cast<size_t>(section) >= headers_.size()) return {};
    return toQString(headers_[static_cast<size_t>(section)]);
}

SqlResultsTableView::SqlResultsTableView(QWidget* parent)
    : QTableView(parent), model_(new SqlResultsModel(this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void SqlResultsTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        if (copyHandler) copyHandler();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
