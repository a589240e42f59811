#pragma once
// The files of a drop from the file manager.
#include <QStringList>

class QMimeData;

// The local files of the drop, in their order; empty for a drop of anything else.
QStringList droppedFilePaths(const QMimeData* data);
