#pragma once
// The table of a Documents-folder file list (Name, Size, DateModified), shared by the databases
// and the images windows: its header shows the list's order, names are edited in place, and
// files dropped from the file manager are offered to the window.
#include <QIcon>
#include <QStringList>
#include <QTableWidget>

#include <functional>
#include <set>
#include <vector>

#include "app/AppFileList.h"

class FileTableView : public QTableWidget {
    Q_OBJECT

  public:
    explicit FileTableView(QWidget* parent = nullptr);

    // One row an entry; icon, when given, gives the name cell's image.
    void showEntries(const std::vector<AppFileEntry>& files,
                     const std::function<QIcon(const AppFileEntry&)>& icon = {});
    // The indicator on the column the order sorts by; other orders leave it as it is.
    void updateFilesTableViewIndicatorImage(int sortOrder);
    // Selected rows ascending; -1 from selectedRow when none.
    std::vector<int> selectedRows() const;
    int selectedRow() const;
    // Selects exactly these rows and shows the first.
    void selectRows(const std::vector<int>& rows);
    // The identifier of a column ("Name", "Size", "DateModified").
    static QString columnIdentifier(int column);

    // Whether a drop of these files is taken; a taken drop is handed to filesDropped.
    std::function<bool(const QStringList& paths)> acceptsDroppedFiles;
    std::function<void(const QStringList& paths)> filesDropped;

  signals:
    void headerClicked(const QString& identifier);
    void nameEdited(int row, const QString& text);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool takesDrop(const QMimeData* data, QStringList* paths) const;
};
