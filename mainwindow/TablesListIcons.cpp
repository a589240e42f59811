#include "mainwindow/TablesListIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "Common/SchemaListing.h"

namespace {
// Indexes and triggers have no standard picture: a letter in a rounded square stands for each.
QIcon letterIcon(const QString& letter, const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 28, 28), 7, 7);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, letter);
    return QIcon(pixmap);
}
}  // namespace

QIcon iconForSchemaObjectType(int typeCode) {
    switch (typeCode) {
        case DBInterface::kSchemaView:
            return QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView);
        case DBInterface::kSchemaIndex:
            return letterIcon("i", QColor(70, 120, 200));
        case DBInterface::kSchemaTrigger:
            return letterIcon("r", QColor(200, 110, 50));
        default:
            return QApplication::style()->standardIcon(QStyle::SP_FileDialogListView);
    }
}
