#include "mainwindow/ChooseTableCellView.h"

#include <QWidget>

#include "mainwindow/TablesListIcons.h"

namespace {
const QString kWhitePrefix = QStringLiteral("white-");
}  // namespace

QString tablesListImageName(const QString& name, bool emphasized) {
    if (!name.endsWith(QLatin1String("i_icon")) && !name.endsWith(QLatin1String("r_icon"))) {
        return name;
    }
    const bool white = name.startsWith(kWhitePrefix);
    if (emphasized) return white ? name : kWhitePrefix + name;
    return white ? name.mid(kWhitePrefix.size()) : name;
}

void ChooseTableCellView::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QString name = index.data(ImageNameRole).toString();
    if (name.isEmpty()) return;
    // Emphasized: selected in the active window's list that has the keyboard.
    const bool emphasized = (option->state & QStyle::State_Selected) &&
                            (option->state & QStyle::State_Active) && option->widget &&
                            option->widget->hasFocus();
    const QString shown = tablesListImageName(name, emphasized);
    if (shown != name) option->icon = tablesListImageNamed(shown);
}
