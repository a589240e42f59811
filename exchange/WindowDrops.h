#pragma once
// Drags out of a database window's tables list and drops on it and on the rows grid. Tables go
// to another window only, whose drag-tables panel copies them; files from the file manager go to
// the SQL console when any is a ".sql" file, else to the import list.
#include <QObject>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

class DatabaseWindow;
class QAbstractItemView;
class QMimeData;
class QWidget;

class WindowDrops : public QObject {
  public:
    struct Routes {
        std::function<void(const nlohmann::json& tablesRecord)> tablesDropped;
        // The whole dropped list: which paths are read is the SQL console's business.
        std::function<void(const QStringList& paths)> sqlFilesDropped;
        std::function<void(const QStringList& paths, const std::optional<std::string>& table)>
            importFilesDropped;
    };

    WindowDrops(DatabaseWindow& window, QAbstractItemView* tablesList, QAbstractItemView* rowsGrid,
                Routes routes);

    // Whether the path names a file of SQL statements (any case of ".sql").
    static bool isSQLFile(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The tables record of the drag when it came from another window.
    std::optional<nlohmann::json> otherWindowsTables(const QMimeData* data) const;
    bool takesDrop(const QAbstractItemView* view, const QMimeData* data) const;
    // What a taken drop does; empty for nothing.
    std::function<void()> dropAction(const QAbstractItemView* view, const QMimeData* data,
                                     QPoint at) const;
    // The destination table of files dropped at the point.
    std::optional<std::string> tableForFiles(const QAbstractItemView* view, QPoint at) const;
    void startTablesDrag();

    DatabaseWindow& window_;
    QAbstractItemView* tablesList_;
    QAbstractItemView* rowsGrid_;
    // Compared with the watched object: a view is no longer one while it is destroyed.
    QWidget* tablesViewport_;
    QWidget* gridViewport_;
    Routes routes_;
    std::optional<QPoint> pressedAt_;
};
