// Images read at the size they are shown at: the PNG read a row at a time against the image read
// whole and scaled, and the EXIF orientation of a photo kept.
#include <gtest/gtest.h>

#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdlib>

#include "platform/ui/ShownImage.h"
#include "tests/support/QtApplication.h"

namespace {

// Colour running across and down, with sharp blocks and a half-transparent band.
QImage pattern(QImage::Format format, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int alpha = y > height / 2 && y < height * 3 / 4 ? 128 : 255;
            image.setPixel(
                x, y, qRgba(x * 255 / width, y * 255 / height, (x / 37 + y / 23) % 2 * 255, alpha));
        }
    }
    return image.convertToFormat(format);
}

// The mean difference of the channels of two images of the same size, premultiplied.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double total = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row), q = y.pixel(column, row);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q)) + std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return total / (4.0 * x.width() * x.height());
}

}  // namespace

TEST(ShownImageTest, APngReadARowAtATimeIsTheWholeImageScaled) {
    ensureQApplication();
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QImage::Format format;
    };
    const Case cases[] = {
        {"RGB", QImage::Format_RGB32},          {"RGBA", QImage::Format_ARGB32},
        {"16-bit RGBA", QImage::Format_RGBA64}, {"16-bit grey", QImage::Format_Grayscale16},
        {"grey", QImage::Format_Grayscale8},    {"palette", QImage::Format_Indexed8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString(c.name) + ".png");
        ASSERT_TRUE(pattern(c.format, 701, 433).save(path));
        for (QSize room : {QSize(220, 220), QSize(44, 44), QSize(700, 1), QSize(3, 400)}) {
            SCOPED_TRACE(std::to_string(room.width()) + "x" + std::to_string(room.height()));
            const QImage shown = readImageToFit(path, room);
            // Read whole and scaled smoothly: Qt's own scaled read of a PNG samples a palette
            // image and premultiplies a 16-bit one twice.
            const QSize fitted =
                QSize(701, 433).scaled(room, Qt::KeepAspectRatio).expandedTo({1, 1});
            const QImage plain =
                QImage(path)
                    .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                    .scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            ASSERT_FALSE(plain.isNull());
            ASSERT_EQ(shown.size(), plain.size());
            EXPECT_LT(meanDifference(shown, plain), 4.0);
        }
        // Held whole when it fits.
        EXPECT_EQ(readImageToFit(path, QSize(2000, 2000)).size(), QSize(701, 433));
    }
    // Not a PNG, or cut short: nothing, and the plain read says so too.
    const QString jpeg = dir.filePath("photo.jpg");
    ASSERT_TRUE(pattern(QImage::Format_RGB32, 300, 200).save(jpeg));
    EXPECT_TRUE(readPngScaled(jpeg, {30, 20}).isNull());
    const QString cut = dir.filePath("cut.png");
    ASSERT_TRUE(pattern(QImage::Format_RGB32, 300, 200).save(cut));
    QFile file(cut);
    ASSERT_TRUE(file.resize(file.size() / 2));
    EXPECT_TRUE(readPngScaled(cut, {30, 20}).isNull());
    EXPECT_TRUE(readImageToFit(dir.filePath("missing.png"), {30, 20}).isNull());
}

TEST(ShownImageTest, APhotoTurnedByItsOrientationFitsAsItIsShown) {
    ensureQApplication();
    QTemporaryDir dir;
    const QString path = dir.filePath("turned.jpg");
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QPainter(&wide).fillRect(0, 0, 200, 200, Qt::blue);
    QImageWriter writer(path);
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(wide));
    // Shown turned a quarter clockwise: tall, blue on top.
    const QImage shown = readImageToFit(path, {100, 100});
    ASSERT_EQ(shown.size(), QSize(50, 100));
    EXPECT_GT(qBlue(shown.pixel(25, 20)), 200);
    EXPECT_GT(qRed(shown.pixel(25, 80)), 200);
    EXPECT_TRUE(readImageToFit(path, {}).isNull());
}
