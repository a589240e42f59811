#pragma once
// Photos as large as cameras make them, written without holding them whole where the format
// allows (PNG a row at a time), and the process's peak memory around reading them.
#include <QImage>
#include <QPainter>
#include <QString>

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace large_images {

// libpng ends a failed write with a jump back here: nothing of C++ lives in this frame.
inline bool writeRows(png_structp png, png_infop info, std::vector<uint8_t>& row, int height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, row.data());
    png_write_end(png, info);
    return true;
}

}  // namespace large_images

// An RGB PNG of width x height (even), its left half red and its right half blue, of 8 or 16 bits
// a channel. Rows repeat, so that it is written quickly.
inline bool writeLargePng(const std::string& path, int width, int height, int bits) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bits, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    const int bytes = bits / 8;
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) {
        const int lit = x < width / 2 ? 0 : 2;
        for (int c = 0; c < 3; ++c) row.insert(row.end(), size_t(bytes), c == lit ? 0xff : 0);
    }
    const bool written = large_images::writeRows(png, info, row, height);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return written;
}

// A JPEG of width x height, its left half red and its right half blue.
inline bool writeLargeJpeg(const std::string& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, width / 2, height, Qt::red);
    return image.save(QString::fromStdString(path), "JPG", 50);
}

// A size in /proc/self/status (VmRSS, VmHWM), in megabytes.
inline double statusMB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) / 1024;
    }
    return 0;
}

// The largest resident size of the process since the last resetPeakMemory.
inline double peakMemoryMB() {
    return statusMB("VmHWM");
}

inline double currentMemoryMB() {
    return statusMB("VmRSS");
}

inline void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
