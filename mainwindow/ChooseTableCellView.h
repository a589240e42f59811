#pragma once
// The tables list's cell view. The index and trigger pictures are coloured squares that would
// sink into the selection's colour, so on the selection of the list that has the keyboard they
// give way to their white variants.
#include <QStyledItemDelegate>

class ChooseTableCellView : public QStyledItemDelegate {
    Q_OBJECT

  public:
    // The role holding the name of an item's picture (tablesListImageNamed).
    static constexpr int ImageNameRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// The picture to show for an item's picture name: the "white-" variant on an emphasized
// selection, the plain one elsewhere; names without white variants stay as they are.
QString tablesListImageName(const QString& name, bool emphasized);
