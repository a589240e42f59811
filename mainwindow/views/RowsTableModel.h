#pragma once
// The rows grid's model over the controller's data port: column 0 is the "RowNumber" column,
// column c >= 1 the data column "DataCol<c-1>" showing field firstFieldIndexInDataPort + c - 1.
// It holds no values of its own; the port is read at every paint.
#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

class TablesAndRowsController;

class RowsTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit RowsTableModel(TablesAndRowsController* controller, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "RowNumber" for column 0, "DataCol<c-1>" for the others; -1 for no such column.
    static QString identifierOfColumn(int column);
    static int columnWithIdentifier(const QString& identifier, int numberOfColumns);

    // Data columns are at least one ("DataCol0" always exists).
    int numberOfDataColumns() const { return static_cast<int>(headers_.size()); }
    void setNumberOfDataColumns(int count);
    void setHeader(int dataColumn, const QString& text);
    // The port changed: every row and cell is read again.
    void reload();

  private:
    TablesAndRowsController* controller_;
    QStringList headers_{QString()};
};
