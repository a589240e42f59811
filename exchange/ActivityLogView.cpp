#include "exchange/ActivityLogView.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QStyle>

#include <cerrno>
#include <cstring>

#include "Common/DBConnection.h"
#include "exchange/ActivityLog.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/FilePanel.h"
#include "platform/ui/QtStrings.h"

// Rows are counted at each reload, so the view never sees the worker's appends between two.
class ActivityLogModel : public QAbstractListModel {
  public:
    explicit ActivityLogModel(ActivityLog& log, QObject* parent)
        : QAbstractListModel(parent), log_(log) {}

    void reload() {
        beginResetModel();
        rows_ = static_cast<int>(log_.count());
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
    QVariant data(const QModelIndex& index, int role) const override {
        const auto entry = log_.entry(static_cast<size_t>(index.row()));
        if (!entry) return {};
        if (role == Qt::DisplayRole) return toQString(entry->message);
        if (role == Qt::DecorationRole) {
            return QApplication::style()->standardIcon(entry->type == ActivityLog::Information
                                                           ? QStyle::SP_MessageBoxInformation
                                                           : QStyle::SP_MessageBoxWarning);
        }
        return {};
    }

  private:
    ActivityLog& log_;
    int rows_ = 0;
};

ActivityLogView::ActivityLogView(ActivityLog& log, const QString& objectName, QWidget* parent)
    : QListView(parent), log_(log), model_(new ActivityLogModel(log, this)) {
    setObjectName(objectName);
    setModel(model_);
    setUniformItemSizes(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addAction(tr("Clear"), this, [this] { clearMenuItemClicked(); });
        menu.addAction(tr("Write Log to File..."), this,
                       [this] { writeLogToFileMenuItemClicked(); });
        menu.exec(viewport()->mapToGlobal(at));
    });
}

void ActivityLogView::reloadLog() {
    model_->reload();
    scrollToBottom();
}

void ActivityLogView::clearMenuItemClicked() {
    log_.clear();
    reloadLog();
}

void ActivityLogView::writeLogToFileMenuItemClicked() {
    FilePanel panel;
    panel.kind = FilePanel::Kind::Save;
    panel.title = tr("Write Log to File");
    panel.message = panel.title;
    panel.prompt = tr("Write");
    panel.beginSheetModalForWindow(window(), [this](const QStringList& paths) {
        if (!paths.isEmpty() && !paths.first().isEmpty()) writeLogToPath(paths.first());
    });
}

void ActivityLogView::writeLogToPath(const QString& path) {
    auto showError = [](const std::string& text) {
        Alert alert;
        alert.messageText = QObject::tr("Error");
        alert.informativeText = toQString(text);
        alert.runModal();
    };
    const QFileInfo info(path);
    if (info.isDir()) {
        showError(localizedFormat("\"%@\" is a directory", {toStdString(path)}));
        return;
    }
    // A side file of a database open here is SQLite's alone: replaced, its database is damaged.
    if (DBConnection::isSideFileOfOpenDatabase(toStdFileName(path))) {
        showError(std::strerror(EBUSY));
        return;
    }
    if (info.exists()) {
        Alert alert;
        alert.messageText = tr("File Exists");
        alert.informativeText =
            toQString(localizedFormat("Overwrite \"%@\"?", {toStdString(path)}));
        alert.buttons = {tr("Overwrite"), tr("Cancel")};
        if (alert.runModal() != 0) return;
    }
    // Written over the old file in one rename, so a failure leaves the old file whole.
    std::string error;
    if (!writeTextFileAtomically(toStdString(path), log_.text(), &error)) showError(error);
}
