#pragma once
// The rows grid's model over the data port: column 0 is the "RowNumber" column, column c >= 1
// the data column "DataCol<c-1>" showing field firstFieldIndexInDataPort + c - 1. It holds no
// values of its own; its data source is read at every paint.
#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"

class RowsTableDataSource {
  public:
    virtual ~RowsTableDataSource() = default;
    virtual int64_t numberOfLoadedRows() const = 0;
    virtual int64_t totalNumberOfRows() const = 0;
    virtual RowIndex rowIndexFromTableViewRow(GridRow row) const = 0;
    virtual FieldIndex fieldIndexFromDataColumn(int64_t dataColumn) const = 0;
    // The loaded value; nullptr when the page holds none for the cell.
    virtual const DBValue* fieldValueObjectForTableViewRowIndex(GridRow row,
                                                                FieldIndex field) const = 0;
    // What the cell shows of a stored value (NULL is never passed).
    virtual std::string displayTextOfFieldValue(const std::string& value,
                                                FieldIndex field) const = 0;
    virtual bool isNumberField(FieldIndex field) const = 0;
    // The text a NULL cell shows greyed, nullopt for none.
    virtual std::optional<std::string> nullPlaceholder() const = 0;
};

class RowsTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // The cell's row of the object and field (none in the row-number column) and the NULL
    // placeholder, beside the display text and alignment; the edit role is the stored text
    // (NULL as empty).
    enum Role {
        RowIndexRole = Qt::UserRole + 1,
        FieldIndexRole,
        PlaceholderRole,
    };

    explicit RowsTableModel(RowsTableDataSource* dataSource, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // "RowNumber" for column 0, "DataCol<c-1>" for the others; -1 for no such column.
    static QString identifierOfColumn(int column);
    static int columnWithIdentifier(const QString& identifier, int numberOfColumns);

    // Data columns are at least one ("DataCol0" always exists).
    int numberOfDataColumns() const { return static_cast<int>(headers_.size()); }
    void setNumberOfDataColumns(int count);
    void setHeader(int dataColumn, const QString& text);
    // The port changed: every row and cell is read again.
    void reload();
    // The cells of these rows and columns are drawn again.
    void cellsChanged(int firstRow, int lastRow, int firstColumn, int lastColumn);

  private:
    RowsTableDataSource* dataSource_;
    QStringList headers_{QString()};
};
