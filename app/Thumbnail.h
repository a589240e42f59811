#pragma once
// Thumbnails of photo files: a square JPEG with the image scaled to fit, centred on white.
#include <QImage>

#include <string>

// The rectangle (x, y, width, height) the image takes inside a square of side w.
QRect thumbnailImageRect(const QSize& imageSize, int w);
// Writes the thumbnail of side w to path atomically. False with the message on failure.
bool writeImage(const QImage& image, int w, const std::string& path, std::string* error);
