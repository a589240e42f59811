// A cell handed only the head of a long text draws the same pixels as with all of it: the style
// elides both at the same place.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>

#include "mainwindow/rows/views/LongCellText.h"
#include "tests/support/QtApplication.h"

namespace {

QImage drawnCell(const QString& text, int width, Qt::Alignment alignment) {
    QStyleOptionViewItem cell;
    cell.rect = QRect(0, 0, width, 22);
    cell.text = text;
    cell.features = QStyleOptionViewItem::HasDisplay;
    cell.displayAlignment = alignment | Qt::AlignVCenter;
    cell.textElideMode = Qt::ElideRight;
    cell.font = QApplication::font();
    cell.fontMetrics = QFontMetrics(cell.font);
    cell.palette = QApplication::palette();
    cell.state = QStyle::State_Enabled;
    QImage image(width, 22, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &cell, &painter, nullptr);
    return image;
}

}  // namespace

TEST(LongCellText, TheHeadOfALongTextDrawsWhatAllOfItDraws) {
    ensureQApplication();
    const QString ellipsis(QChar(0x2026));
    const QString arabic = QString::fromUtf8("\xd8\xa8");
    struct Case {
        QString text;
        bool shortened;  // in a cell 100 wide
    };
    const std::vector<Case> cases = {
        {QString(4096, 'a') + ellipsis, true},
        {QString(4096, QChar(0)) + ellipsis, true},
        {QString::fromUtf8("\xc3\xa9").repeated(2048) + ellipsis, true},
        {QString::fromUtf8("e\xcc\x81").repeated(1500), true},
        {QString::fromUtf8("\xf0\x9f\x98\x80").repeated(1000), true},
        {QString::fromUtf8("\xe6\xbc\xa2").repeated(1365), true},
        {QString("a b\tc ").repeated(700), true},
        {QString(63, 'a') + QString::fromUtf8("\xf0\x9f\x98\x80").repeated(600), true},
        {QString(100, 'a') + arabic.repeated(2000), true},
        {arabic.repeated(2000) + ellipsis, false},
        {QString(40, 'a') + arabic.repeated(2000), false},
        {QString("1 ").repeated(300) + arabic.repeated(2000), true},
        {QString(700, ' ') + arabic.repeated(2000), true},
        {QString::fromUtf8("\xe2\x80\x8b").repeated(600) + arabic.repeated(2000), false},
        {QString(3000, 'a') + "\n" + QString(1000, 'b'), false},
        {QString(500, 'a'), false},
        {QString(), false}};
    for (size_t i = 0; i < cases.size(); ++i) {
        const QString& text = cases[i].text;
        const QFontMetrics metrics(QApplication::font());
        EXPECT_EQ(visiblePartOfLongText(text, metrics, 100).size() < text.size(),
                  cases[i].shortened)
            << "case " << i;
        for (int width : {1, 30, 100, 400}) {
            const QString head = visiblePartOfLongText(text, metrics, width);
            EXPECT_TRUE(text.startsWith(head)) << "case " << i << ", width " << width;
            // Number fields are aligned right.
            for (Qt::Alignment alignment : {Qt::AlignLeft, Qt::AlignRight}) {
                EXPECT_EQ(drawnCell(head, width, alignment), drawnCell(text, width, alignment))
                    << "case " << i << ", width " << width << ", alignment " << alignment;
            }
        }
    }
}
