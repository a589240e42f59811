#include "mainwindow/views/RowsTableModel.h"

#include "mainwindow/TablesAndRowsController.h"
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
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole)) return {};
    if (index.column() == 0) {
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
        return QString::number(controller_->rowIndexFromTableViewRow(index.row()) + 1);
    }
    if (role == Qt::TextAlignmentRole) return {};
    int64_t fieldIndex = controller_->fieldIndexFromDataColumn(index.column() - 1);
    const DBValue* value =
        controller_->fieldValueObjectForTableViewRowIndex(index.row(), fieldIndex);
    if (value && !*value && controller_->showNULLInRowsView) {
        return toQString(controller_->displayStringForNULLValue);
    }
    return value && *value ? toQString(**value) : QString();
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
