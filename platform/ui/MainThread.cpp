#include "platform/ui/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>

void performOnMainThread(std::function<void()> work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}
