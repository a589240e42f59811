#include "mainwindow/views/RowsTableModel.h"

#include "Common/FieldTypes.h"
#include "mainwindow/TablesAndRowsController.h"
#include "mainwindow/views/CellTags.h"
#include "platform/ui/QtStrings.h"

namespace {
const QString kRowNumber = QStringLiteral("RowNumber");
const QString kDataColumnPrefix = QStringLiteral("DataCol");
}  // namespace

RowsTableModel::RowsTableModel(TablesAndRowsController* controller, QObject* parent)
    : QAbstractTableModel(parent), controller_(controller) {}

int RowsTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || controller_->numberOfFieldsPerRow < 1) return 0;
    return static_cast<int>(static_cast<int64_t>(controller_->fieldValuesLoaded.size()) /
                            controller_->numberOfFieldsPerRow);
}

int RowsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + numberOfDataColumns();
}

QVariant RowsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    int64_t rowIndex = controller_->rowIndexFromTableViewRow(index.row());
    if (rowIndex >= controller_->totalRows) return {};
    if (index.column() == 0) {
        switch (role) {
            case Qt::DisplayRole:
                return QString::number(rowIndex + 1);
            case Qt::TextAlignmentRole:
                return int(Qt::AlignRight | Qt::AlignVCenter);
            case TextFieldTagRole:
                return qlonglong(-1);
            case ImageViewTagRole:
                return qlonglong(kCellTagBase + rowIndex);
            default:
                return {};
        }
    }
    int64_t fieldIndex = controller_->fieldIndexFromDataColumn(index.column() - 1);
    const DBValue* value =
        controller_->fieldValueObjectForTableViewRowIndex(index.row(), fieldIndex);
    switch (role) {
        case Qt::DisplayRole:
            if (!value || !*value) return QString();
            return toQString(controller_->formatDataInRowsConsole
                                 ? controller_->formattedFieldValueObject(
                                       *value, fieldIndex,
                                       controller_->fieldTypeAtFieldIndexP1(fieldIndex),
                                       controller_->fieldLookupTableAtFieldIndexP1(fieldIndex))
                                 : **value);
        case Qt::EditRole:
            return value && *value ? toQString(**value) : QString();
        case Qt::TextAlignmentRole:
            return value && *value &&
                           controller_->fieldTypeAtFieldIndexP1(fieldIndex) ==
                               DBInterface::kFieldTypeNumber
                       ? int(Qt::AlignRight | Qt::AlignVCenter)
                       : int(Qt::AlignLeft | Qt::AlignVCenter);
        case PlaceholderRole:
            return value && !*value && controller_->showNULLInRowsView
                       ? toQString(controller_->displayStringForNULLValue)
                       : QString();
        case TextFieldTagRole:
            return qlonglong(kCellTagBase + fieldIndex);
        case ImageViewTagRole:
            return qlonglong(kCellTagBase + rowIndex);
        default:
            return {};
    }
}

Qt::ItemFlags RowsTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    // Only the controller starts an edit, and only after its own checks.
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
