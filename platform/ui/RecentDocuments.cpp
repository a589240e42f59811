#include "platform/ui/RecentDocuments.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "platform/foundation/Paths.h"
#include "platform/ui/QtStrings.h"

namespace RecentDocuments {

namespace {

const QString kBookmarkNamespace = "http://www.freedesktop.org/standards/desktop-bookmarks";
const QString kMimeNamespace = "http://www.freedesktop.org/standards/shared-mime-info";

QString now() {
    return QDateTime::currentDateTimeUtc().toString("yyyy-MM-dd'T'HH:mm:ss.zzz'000Z'");
}

// This application's line in an entry's list of applications.
void writeApplication(QXmlStreamWriter& out, int count, const QString& time) {
    out.writeEmptyElement(kBookmarkNamespace, "application");
    out.writeAttribute("name", QCoreApplication::applicationName());
    out.writeAttribute(
        "exec", "'" + QFileInfo(QCoreApplication::applicationFilePath()).fileName() + " %u'");
    out.writeAttribute("modified", time);
    out.writeAttribute("count", QString::number(count));
}

void writeNewEntry(QXmlStreamWriter& out, const QString& href, const QString& time) {
    out.writeStartElement("bookmark");
    out.writeAttribute("href", href);
    out.writeAttribute("added", time);
    out.writeAttribute("modified", time);
    out.writeAttribute("visited", time);
    out.writeStartElement("info");
    out.writeStartElement("metadata");
    out.writeAttribute("owner", "http://freedesktop.org");
    out.writeEmptyElement(kMimeNamespace, "mime-type");
    out.writeAttribute("type", "application/vnd.sqlite3");
    out.writeStartElement(kBookmarkNamespace, "applications");
    writeApplication(out, 1, time);
    out.writeEndElement();
    out.writeEndElement();
    out.writeEndElement();
    out.writeEndElement();
}

// Copies the entry of the file whose start element the reader is on, renewing its times and
// counting one more use by this application.
void copyRenewedEntry(QXmlStreamReader& in, QXmlStreamWriter& out, const QString& time) {
    out.writeStartElement("bookmark");
    for (const QXmlStreamAttribute& attribute : in.attributes()) {
        const bool renewed = attribute.name() == u"modified" || attribute.name() == u"visited";
        out.writeAttribute(attribute.qualifiedName().toString(),
                           renewed ? time : attribute.value().toString());
    }
    bool applicationWritten = false;
    for (int depth = 1; depth > 0 && !in.atEnd();) {
        if (in.readNext() == QXmlStreamReader::Invalid) return;
        if (in.isWhitespace()) continue;  // the writer indents by itself
        const bool applications =
            in.namespaceUri() == kBookmarkNamespace && in.name() == u"applications";
        if (in.isStartElement() && in.namespaceUri() == kBookmarkNamespace &&
            in.name() == u"application" &&
            in.attributes().value("name") == QCoreApplication::applicationName()) {
            writeApplication(out, in.attributes().value("count").toInt() + 1, time);
            applicationWritten = true;
            in.skipCurrentElement();
            continue;
        }
        if (in.isEndElement() && applications && !applicationWritten) {
            writeApplication(out, 1, time);
            applicationWritten = true;
        }
        if (in.isStartElement()) ++depth;
        if (in.isEndElement()) --depth;
        out.writeCurrentToken(in);
    }
}

}  // namespace

std::string recentlyUsedFilePath() {
    return Paths::userDataFolder() + "/recently-used.xbel";
}

bool noteNewRecentDocument(const std::string& path) {
    const QString listPath = toQString(recentlyUsedFilePath());
    const QString href = QString::fromUtf8(QUrl::fromLocalFile(toQString(path)).toEncoded());
    const QString time = now();
    QByteArray text;
    QXmlStreamWriter out(&text);
    out.setAutoFormatting(true);
    out.writeStartDocument();

    QFile old(listPath);
    if (old.open(QIODevice::ReadOnly)) {
        QXmlStreamReader in(&old);
        bool entryWritten = false;
        while (!in.atEnd()) {
            if (in.readNext() == QXmlStreamReader::Invalid) break;
            if (in.isStartDocument() || in.isEndDocument() || in.isWhitespace()) continue;
            if (in.isStartElement() && in.name() == u"bookmark" &&
                in.attributes().value("href") == href && !entryWritten) {
                copyRenewedEntry(in, out, time);
                entryWritten = true;
                continue;
            }
            if (in.isEndElement() && in.name() == u"xbel" && !entryWritten) {
                writeNewEntry(out, href, time);
                entryWritten = true;
            }
            out.writeCurrentToken(in);
        }
        // Another program's list that cannot be read is not replaced by a list of ours.
        if (in.hasError() || !entryWritten) return false;
    } else {
        if (old.exists()) return false;
        out.writeStartElement("xbel");
        out.writeAttribute("version", "1.0");
        out.writeNamespace(kBookmarkNamespace, "bookmark");
        out.writeNamespace(kMimeNamespace, "mime");
        writeNewEntry(out, href, time);
        out.writeEndElement();
    }
    out.writeEndDocument();

    QDir().mkpath(QFileInfo(listPath).absolutePath());
    QSaveFile file(listPath);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text);
    return file.commit();
}

}  // namespace RecentDocuments
