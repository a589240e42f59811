#pragma once
// The files of a drop from the file manager.
#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractItemView;
class QMimeData;
class QWidget;

// The local files of the drop, in their order; empty for a drop of anything else.
QStringList droppedFilePaths(const QMimeData* data);

// Takes files dropped between the rows of a list (not on a row's middle), as a copy, and hands
// them on after the drop has ended. A drag is followed wherever it enters the list.
class FileDropTarget : public QObject {
  public:
    FileDropTarget(QAbstractItemView* view, std::function<void(const QStringList& paths)> dropped);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAbstractItemView* view_;
    // Compared with the watched object: the view is no longer one while it is destroyed.
    QWidget* viewport_;
    std::function<void(const QStringList&)> dropped_;
};
