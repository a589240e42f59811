#include "app/Thumbnail.h"

#include <QPainter>
#include <QSaveFile>

#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

QRect thumbnailImageRect(const QSize& imageSize, int w) {
    if (imageSize.isEmpty()) return {0, 0, w, w};
    double ratio = static_cast<double>(imageSize.width()) / imageSize.height();
    if (ratio >= 1) {
        int h = static_cast<int>(w / ratio);
        return {0, static_cast<int>((w - h) * 0.5), w, h};
    }
    int d = static_cast<int>(ratio * w);
    return {static_cast<int>((w - d) * 0.5), 0, d, w};
}

bool writeImage(const QImage& image, int w, const std::string& path, std::string* error) {
    QImage canvas(w, w, QImage::Format_RGB32);
    if (canvas.isNull()) {
        if (error) *error = localizedFormat("Could not create bitmap context for %@", {path});
        return false;
    }
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(thumbnailImageRect(image.size(), w), image);
    }
    QSaveFile file(toQString(path));
    bool written = file.open(QIODevice::WriteOnly) && canvas.save(&file, "JPG") && file.commit();
    if (!written && error) {
        *error = localizedFormat("Could not write the image file to [%@] [%@]",
                                 {path, toStdString(file.errorString())});
    }
    return written;
}
