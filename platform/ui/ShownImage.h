#pragma once
// Image files read at the size they are shown at. A photo of tens of megapixels read whole takes
// hundreds of megabytes, past what Qt allows an image (and is then refused); read scaled it takes
// about what it shows.
#include <QImage>
#include <QSize>
#include <QString>

// The image, turned as its EXIF orientation says, scaled down to fit in room keeping its aspect
// ratio (a smaller one as it is). Null when the file cannot be read, or room is empty.
QImage readImageToFit(const QString& path, const QSize& room);
// A PNG file scaled down to exactly size, read a row at a time, each pixel the mean of those it
// covers; null when the file cannot be read so (not a PNG, or interlaced: its rows come in
// passes over the whole image) or is smaller than size.
QImage readPngScaled(const QString& path, const QSize& size);
