#pragma once
// File names are bytes on Linux, not always UTF-8 (a name written in Latin-1 keeps its byte
// 0xE9). Qt's own file-name codec replaces such bytes, so a path crossing between Qt and the
// access layer goes through these: a byte that is no part of a UTF-8 sequence travels in a
// QString as a lone surrogate U+DC80..U+DCFF and comes back as the same byte.
#include <QString>

#include <string>

class QUrl;

QString toQFileName(const std::string& path);
std::string toStdFileName(const QString& path);
// The path of a file: URL, byte for byte as its percent-encoding gives it.
QString localFilePath(const QUrl& url);
