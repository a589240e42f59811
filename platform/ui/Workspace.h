#pragma once
// The desktop's services: opening a URL in its application, starting a mail message and
// showing a file in the file manager. A test recorder takes the requests instead.
#include <QString>
#include <QStringList>

#include <functional>

namespace Workspace {

// Each answers whether the desktop accepted the request.
bool openURL(const QString& url);
bool composeMail(const QString& recipient, const QString& subject, const QString& body,
                 const QStringList& attachmentPaths);
bool revealFile(const QString& path);

// Sees every request as (kind, argument): "url", "mail" (the mailto URL), "reveal" (the folder).
using Recorder = std::function<bool(const QString& kind, const QString& argument)>;
// Replaces the desktop with the recorder; an empty one restores the desktop.
void setTestRecorder(Recorder recorder);

}  // namespace Workspace
