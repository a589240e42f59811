#include "platform/ui/Workspace.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

namespace Workspace {

namespace {

Recorder& testRecorder() {
    static Recorder recorder;
    return recorder;
}

bool request(const QString& kind, const QUrl& url) {
    if (testRecorder()) return testRecorder()(kind, url.toString());
    return url.isValid() && QDesktopServices::openUrl(url);
}

}  // namespace

bool openURL(const QString& url) {
    return request("url", QUrl(url));
}

bool composeMail(const QString& recipient, const QString& subject, const QString& body,
                 const QStringList& attachmentPaths) {
    QUrl url("mailto:" + recipient);
    QUrlQuery query;
    query.addQueryItem("subject", subject);
    query.addQueryItem("body", body);
    // Understood by the common mail programs; others ignore it.
    for (const QString& path : attachmentPaths) query.addQueryItem("attach", path);
    url.setQuery(query);
    return request("mail", url);
}

bool revealFile(const QString& path) {
    // The desktop has no portable "select this file"; opening its folder comes closest.
    return request("reveal", QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void setTestRecorder(Recorder recorder) {
    testRecorder() = std::move(recorder);
}

}  // namespace Workspace
