#include "mainwindow/TablesListIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <optional>

#include "Common/SchemaListing.h"

namespace {
// Our own small pictures, painted once: a theme lookup at the first paint of the list costs more
// than the whole list.
QPixmap blankSquare() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Indexes and triggers: a letter in a rounded square stands for each; the white variant, for
// the selection's colour (no fill), is the square's outline around the letter.
QIcon letterIcon(const QString& letter, const std::optional<QColor>& fill) {
    QPixmap pixmap = blankSquare();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (fill) {
        painter.setBrush(*fill);
        painter.setPen(Qt::NoPen);
    } else {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 2.5));
    }
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

QIcon tablesListImageNamed(const QString& name) {
    static const QIcon index = letterIcon("i", QColor(70, 120, 200));
    static const QIcon trigger = letterIcon("r", QColor(200, 110, 50));
    static const QIcon whiteIndex = letterIcon("i", std::nullopt);
    static const QIcon whiteTrigger = letterIcon("r", std::nullopt);
    if (name == QLatin1String("i_icon")) return index;
    if (name == QLatin1String("r_icon")) return trigger;
    if (name == QLatin1String("white-i_icon")) return whiteIndex;
    if (name == QLatin1String("white-r_icon")) return whiteTrigger;
    return QIcon();
}

QString imageNameForSchemaObjectType(int typeCode) {
    switch (typeCode) {
        case DBInterface::kSchemaIndex:
            return QStringLiteral("i_icon");
        case DBInterface::kSchemaTrigger:
            return QStringLiteral("r_icon");
        default:
            return QString();
    }
}

QIcon iconForSchemaObjectType(int typeCode) {
    switch (typeCode) {
        case DBInterface::kSchemaView: {
            static const QIcon view = eyeIcon();
            return view;
        }
        case DBInterface::kSchemaIndex:
        case DBInterface::kSchemaTrigger:
            return tablesListImageNamed(imageNameForSchemaObjectType(typeCode));
        default: {
            static const QIcon table = listIcon();
            return table;
        }
    }
}
