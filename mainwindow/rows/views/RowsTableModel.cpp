#include "mainwindow/rows/views/RowsTableModel.h"

#include "platform/ui/QtStrings.h"

namespace {
const QString kRowNumber = QStringLiteral("RowNumber");
const QString kDataColumnPrefix = QStringLiteral("DataCol");
}  // namespace

RowsTableModel::RowsTableModel(RowsTableDataSource* dataSource, QObject* parent)
    : QAbstractTableModel(parent), dataSource_(dataSource) {}

int RowsTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(dataSource_->numberOfLoadedRows());
}

int RowsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + numberOfDataColumns();
}

QVariant RowsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    GridRow row(index.row());
    RowIndex rowIndex = dataSource_->rowIndexFromTableViewRow(row);
    if (rowIndex.value >= dataSource_->totalNumberOfRows()) return {};
    if (index.column() == 0) {
        switch (role) {
            case Qt::DisplayRole:
                return QString::number(rowIndex.value + 1);
            case Qt::TextAlignmentRole:
                return int(Qt::AlignRight | Qt::AlignVCenter);
            case FieldIndexRole:
                return qlonglong(FieldIndex().value);
            case RowIndexRole:
                return qlonglong(rowIndex.value);
            default:
                return {};
        }
    }
    FieldIndex field = dataSource_->fieldIndexFromDataColumn(index.column() - 1);
    const DBValue* value = dataSource_->fieldValueObjectForTableViewRowIndex(row, field);
    switch (role) {
        case Qt::DisplayRole:
            if (!value || !*value) return QString();
            return toQString(dataSource_->displayTextOfFieldValue(**value, field));
        case Qt::EditRole:
            return value && *value ? toQString(**value) : QString();
        case Qt::TextAlignmentRole:
            return value && *value && dataSource_->isNumberField(field)
                       ? int(Qt::AlignRight | Qt::AlignVCenter)
                       : int(Qt::AlignLeft | Qt::AlignVCenter);
        case PlaceholderRole: {
            if (!value || *value) return QString();
            std::optional<std::string> placeholder = dataSource_->nullPlaceholder();
            return placeholder ? toQString(*placeholder) : QString();
        }
        case FieldIndexRole:
            return qlonglong(field.value);
        case RowIndexRole:
            return qlonglong(rowIndex.value);
        default:
            return {};
    }
}

Qt::ItemFlags RowsTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    // The view starts no edit by itself: the console starts one after its own checks.
    return index.isValid() && index.column() > 0 ? flags | Qt::ItemIsEditable : flags;
}

QVariant RowsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || section < 1 || section > numberOfDataColumns()) return {};
    return headers_[section - 1];
}

QString RowsTableModel::identifierOfColumn(int column) {
    return column == 0 ? kRowNumber : kDataColumnPrefix + QString::number(column - 1);
}

int RowsTableModel::columnWithIdentifier(const QString& identifier, int numberOfColumns) {
    if (identifier == kRowNumber) return numberOfColumns > 0 ? 0 : -1;
    if (!identifier.startsWith(kDataColumnPrefix)) return -1;
    bool ok = false;
    int dataColumn = identifier.mid(kDataColumnPrefix.size()).toInt(&ok);
    return ok && dataColumn >= 0 && dataColumn + 1 < numberOfColumns ? dataColumn + 1 : -1;
}

void RowsTableModel::setNumberOfDataColumns(int count) {
    count = std::max(count, 1);
    int present = numberOfDataColumns();
    if (count > present) {
        beginInsertColumns(QModelIndex(), present + 1, count);
        while (headers_.size() < count) headers_.append(QString());
        endInsertColumns();
    } else if (count < present) {
        beginRemoveColumns(QModelIndex(), count + 1, present);
        headers_.resize(count);
        endRemoveColumns();
    }
}

void RowsTableModel::setHeader(int dataColumn, const QString& text) {
    if (dataColumn < 0 || dataColumn >= numberOfDataColumns()) return;
    headers_[dataColumn] = text;
    emit headerDataChanged(Qt::Horizontal, dataColumn + 1, dataColumn + 1);
}

void RowsTableModel::reload() {
    beginResetModel();
    endResetModel();
}

void RowsTableModel::cellsChanged(int firstRow, int lastRow, int firstColumn, int lastColumn) {
    if (firstRow > lastRow || firstColumn > lastColumn) return;
    emit dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn));
}
