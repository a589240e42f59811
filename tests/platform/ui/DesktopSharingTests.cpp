// What the program shares with the desktop: the recently-used list other programs write too.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>
#include <QXmlStreamReader>

#include <filesystem>

#include "platform/ui/RecentDocuments.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempHome.h"

namespace {
class DesktopSharingTest : public TempHomeTest {
  protected:
    void SetUp() override {
        TempHomeTest::SetUp();
        ensureQApplication();
    }
};

struct Entry {
    QString href;
    QStringList applications;  // name:count
};

std::vector<Entry> readList(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader in(&file);
    std::vector<Entry> entries;
    while (!in.atEnd()) {
        if (in.readNext() != QXmlStreamReader::StartElement) continue;
        if (in.name() == u"bookmark")
            entries.push_back({in.attributes().value("href").toString(), {}});
        if (in.name() == u"application" && !entries.empty()) {
            entries.back().applications.append(in.attributes().value("name").toString() + ":" +
                                               in.attributes().value("count").toString());
        }
    }
    EXPECT_FALSE(in.hasError()) << in.errorString().toStdString();
    return entries;
}

QString href(const std::string& path) {
    return QString::fromUtf8(QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded());
}
}  // namespace

TEST_F(DesktopSharingTest, RecentlyUsedEntriesAreAddedOrRenewedAndOtherProgramsKept) {
    const std::string list = RecentDocuments::recentlyUsedFilePath();
    const std::string ours = pathInHome("a b.db");
    const std::string shared = pathInHome("shared.db");
    const QString app = QCoreApplication::applicationName();
    writeFile(list,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
              "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
              "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
              "  <bookmark href=\"file:///elsewhere/notes.txt\" added=\"2020-01-01T00:00:00Z\">"
              "<info><metadata owner=\"http://freedesktop.org\"><mime:mime-type "
              "type=\"text/plain\"/><bookmark:applications><bookmark:application name=\"editor\" "
              "exec=\"'editor %u'\" modified=\"2020-01-01T00:00:00Z\" count=\"3\"/>"
              "</bookmark:applications></metadata></info></bookmark>\n"
              "  <bookmark href=\"" +
                  href(shared).toStdString() +
                  "\" added=\"2020-01-01T00:00:00Z\"><info><metadata "
                  "owner=\"http://freedesktop.org\"><bookmark:applications><bookmark:application "
                  "name=\"editor\" exec=\"'editor %u'\" modified=\"2020-01-01T00:00:00Z\" "
                  "count=\"1\"/></bookmark:applications></metadata></info></bookmark>\n</xbel>\n");

    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(ours));
    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(shared));
    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(ours));
    std::vector<Entry> entries = readList(list);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].href, "file:///elsewhere/notes.txt");
    EXPECT_EQ(entries[0].applications, QStringList{"editor:3"});
    EXPECT_EQ(entries[1].href, href(shared));
    EXPECT_EQ(entries[1].applications, (QStringList{"editor:1", app + ":1"}));
    EXPECT_EQ(entries[2].href, href(ours));
    EXPECT_TRUE(entries[2].href.contains("a%20b.db"));
    EXPECT_EQ(entries[2].applications, QStringList{app + ":2"});

    // A list that cannot be read is another program's business: it stays as it is.
    writeFile(list, "<xbel><bookmark");
    EXPECT_FALSE(RecentDocuments::noteNewRecentDocument(ours));
    EXPECT_EQ(readFile(list), "<xbel><bookmark");
    // No list yet: a new one.
    std::filesystem::remove(list);
    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(ours));
    EXPECT_EQ(readList(list).size(), 1u);
    EXPECT_EQ(QDir(QString::fromStdString(home())).entryList({"recently-used.xbel*"}, QDir::Files),
              QStringList{"recently-used.xbel"});  // no temporary file left behind
}
