#include "platform/ui/ShownImage.h"

#include <QFile>
#include <QImageReader>

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

// A file that cannot be read is told by the null image, not on the terminal.
[[noreturn]] void endRead(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

struct PngFile {
    ~PngFile() {
        if (png) png_destroy_read_struct(&png, &info, nullptr);
        if (file) std::fclose(file);
    }
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
};

// Sums the premultiplied pixels of the source rows that fall in one row of the result.
class RowAverager {
  public:
    RowAverager(png_uint_32 width, png_uint_32 height, const QSize& size)
        : width_(width),
          height_(height),
          image_(size, QImage::Format_RGBA8888_Premultiplied),
          row_(size_t(width) * 4),
          sums_(size_t(size.width()) * 4),
          columns_(width),
          perColumn_(size_t(size.width())) {
        for (png_uint_32 x = 0; x < width; ++x) {
            columns_[x] = int(uint64_t(x) * uint64_t(size.width()) / width);
            ++perColumn_[size_t(columns_[x])];
        }
    }
    bool isNull() const { return image_.isNull(); }
    png_bytep row() { return row_.data(); }
    void add(png_uint_32 y) {
        const int target = int(uint64_t(y) * uint64_t(image_.height()) / height_);
        if (target != current_) flush();
        current_ = target;
        ++rows_;
        const uint8_t* pixel = row_.data();
        for (png_uint_32 x = 0; x < width_; ++x, pixel += 4) {
            uint64_t* sum = &sums_[size_t(columns_[x]) * 4];
            const uint32_t alpha = pixel[3];
            for (int c = 0; c < 3; ++c) sum[c] += (pixel[c] * alpha + 127) / 255;
            sum[3] += alpha;
        }
    }
    QImage finish() {
        flush();
        return std::move(image_);
    }

  private:
    void flush() {
        if (rows_ == 0) return;
        uchar* out = image_.scanLine(current_);
        for (size_t i = 0; i < sums_.size(); ++i) {
            const uint64_t count = uint64_t(perColumn_[i / 4]) * rows_;
            out[i] = count ? uchar((sums_[i] + count / 2) / count) : 0;
            sums_[i] = 0;
        }
        rows_ = 0;
    }

    const png_uint_32 width_, height_;
    QImage image_;
    std::vector<uint8_t> row_;
    std::vector<uint64_t> sums_;
    std::vector<int> columns_;
    std::vector<uint32_t> perColumn_;
    int current_ = 0;
    uint32_t rows_ = 0;
};

// libpng ends a failed read with a jump back here: nothing of C++ lives in these frames.
bool readHeader(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) return false;
    // Every row as 8-bit RGBA.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == size_t(png_get_image_width(png, info)) * 4;
}

bool readRows(png_structp png, png_uint_32 height, RowAverager& averager) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, averager.row(), nullptr);
        averager.add(y);
    }
    return true;
}

}  // namespace

QImage readPngScaled(const QString& path, const QSize& size) {
    if (size.isEmpty()) return {};
    PngFile file;
    file.file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file.file) return {};
    file.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, endRead, ignoreWarning);
    if (!file.png) return {};
    file.info = png_create_info_struct(file.png);
    if (!file.info) return {};
    png_init_io(file.png, file.file);
    if (!readHeader(file.png, file.info)) return {};
    const png_uint_32 width = png_get_image_width(file.png, file.info);
    const png_uint_32 height = png_get_image_height(file.png, file.info);
    if (uint64_t(size.width()) > width || uint64_t(size.height()) > height) return {};
    RowAverager averager(width, height, size);
    if (averager.isNull() || !readRows(file.png, height, averager)) return {};
    return averager.finish();
}

QImage readImageToFit(const QString& path, const QSize& room) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    // The scaled size is that of the image as stored, before it is turned.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize shown = turned ? stored.transposed() : stored;
    if (room.isEmpty()) return {};
    if (!stored.isValid() || (shown.width() <= room.width() && shown.height() <= room.height())) {
        return reader.read();
    }
    QSize fitted = shown.scaled(room, Qt::KeepAspectRatio).expandedTo({1, 1});
    if (turned) fitted.transpose();
    // Qt reads a PNG whole before it scales it.
    if (reader.format() == "png") {
        QImage image = readPngScaled(path, fitted);
        if (!image.isNull()) return image;
    }
    reader.setScaledSize(fitted);
    return reader.read();
}
