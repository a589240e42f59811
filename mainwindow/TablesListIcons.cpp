#include "mainwindow/TablesListIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "Common/SchemaListing.h"

namespace {
// Our own small pictures, painted once: a theme lookup at the first paint of the list costs more
// than the whole list.
QPixmap blankSquare() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Indexes and triggers: a letter in a rounded square stands for each.
QIcon letterIcon(const QString& letter, const QColor& colour) {
    QPixmap pixmap = blankSquare();
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

// Tables: a list, a bullet and a line for each of three rows.
QIcon listIcon() {
    QPixmap pixmap = blankSquare();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 60, 60));
    for (int row = 0; row < 3; ++row) {
        const double y = 6 + row * 8;
        painter.drawEllipse(QRectF(3, y, 5, 5));
        painter.drawRoundedRect(QRectF(11, y + 0.5, 18, 4), 2, 2);
    }
    return QIcon(pixmap);
}

// Views: an eye, for a look at rows kept elsewhere.
QIcon eyeIcon() {
    QPixmap pixmap = blankSquare();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 2.5));
    QPainterPath eye;
    eye.moveTo(3, 16);
    eye.quadTo(16, 3, 29, 16);
    eye.quadTo(16, 29, 3, 16);
    painter.drawPath(eye);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 60, 60));
    painter.drawEllipse(QPointF(16, 16), 5, 5);
    return QIcon(pixmap);
}
}  // namespace

QIcon iconForSchemaObjectType(int typeCode) {
    switch (typeCode) {
        case DBInterface::kSchemaView: {
            static const QIcon view = eyeIcon();
            return view;
        }
        case DBInterface::kSchemaIndex: {
            static const QIcon index = letterIcon("i", QColor(70, 120, 200));
            return index;
        }
        case DBInterface::kSchemaTrigger: {
            static const QIcon trigger = letterIcon("r", QColor(200, 110, 50));
            return trigger;
        }
        default: {
            static const QIcon table = listIcon();
            return table;
        }
    }
}
