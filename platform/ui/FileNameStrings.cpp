#include "platform/ui/FileNameStrings.h"

#include <QUrl>

#include "platform/foundation/Utf8.h"

namespace {

constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

}  // namespace

QString toQFileName(const std::string& path) {
    QString name;
    name.reserve(static_cast<qsizetype>(path.size()));
    size_t runStart = 0;
    auto flushRun = [&](size_t end) {
        name += QString::fromUtf8(path.data() + runStart, static_cast<qsizetype>(end - runStart));
    };
    for (size_t i = 0; i < path.size();) {
        size_t length = utf8SequenceLength(path.data() + i, path.size() - i);
        if (length > 0) {
            i += length;
            continue;
        }
        flushRun(i);
        name += QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(path[i])));
        runStart = ++i;
    }
    flushRun(path.size());
    return name;
}

std::string toStdFileName(const QString& path) {
    std::string bytes;
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) {
        bytes += path.mid(runStart, end - runStart).toStdString();
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path[i].unicode();
        const bool paired = i > 0 && QChar::isHighSurrogate(path[i - 1].unicode());
        if (unit < kFirstEscape || unit > kLastEscape || paired) continue;
        flushRun(i);
        bytes += static_cast<char>(unit - 0xDC00);
        runStart = i + 1;
    }
    flushRun(path.size());
    return bytes;
}

QString localFilePath(const QUrl& url) {
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    return toQFileName(QByteArray::fromPercentEncoding(encoded).toStdString());
}
