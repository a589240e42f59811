#include "app/FileTableView.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>

#include "Common/FileNames.h"
#include "platform/ui/DroppedFiles.h"
#include "platform/ui/QtStrings.h"

namespace {

const QStringList& identifiers() {
    static const QStringList names{"Name", "Size", "DateModified"};
    return names;
}

}  // namespace

FileTableView::FileTableView(QWidget* parent) : QTableWidget(0, 3, parent) {
    setHorizontalHeaderLabels({tr("Name"), tr("Size"), tr("Date Modified")});
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // A double click opens the file; a click on the selected row edits its name.
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, 260);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { emit headerClicked(columnIdentifier(column)); });
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == 0) emit nameEdited(item->row(), item->text());
    });
}

QString FileTableView::columnIdentifier(int column) {
    return column >= 0 && column < identifiers().size() ? identifiers()[column] : QString();
}

void FileTableView::showEntries(const std::vector<AppFileEntry>& files,
                                const std::function<QIcon(const AppFileEntry&)>& icon) {
    QSignalBlocker quiet(this);
    clearContents();
    setRowCount(static_cast<int>(files.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const AppFileEntry& entry = files[static_cast<size_t>(row)];
        auto* name = new QTableWidgetItem(toQString(entry.fileName));
        if (icon) name->setIcon(icon(entry));
        setItem(row, 0, name);
        auto* size =
            new QTableWidgetItem(toQString(DBInterface::fileSizeStringFromNumber(entry.fileSize)));
        size->setFlags(size->flags() & ~Qt::ItemIsEditable);
        setItem(row, 1, size);
        QString date = entry.lastModDate.isValid()
                           ? QLocale().toString(entry.lastModDate, QLocale::ShortFormat)
                           : QStringLiteral("-");
        auto* modified = new QTableWidgetItem(date);
        modified->setFlags(modified->flags() & ~Qt::ItemIsEditable);
        setItem(row, 2, modified);
    }
}

void FileTableView::updateFilesTableViewIndicatorImage(int sortOrder) {
    if (sortOrder < NameAscending || sortOrder > SizeDescending) return;
    static const int columnOfKey[] = {0, 2, 1};  // name, date, size
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(
        columnOfKey[sortOrder / 2], sortOrder % 2 == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

std::vector<int> FileTableView::selectedRows() const {
    std::set<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.insert(index.row());
    return {rows.begin(), rows.end()};
}

int FileTableView::selectedRow() const {
    std::vector<int> rows = selectedRows();
    return rows.empty() ? -1 : rows.front();
}

void FileTableView::selectRows(const std::vector<int>& rows) {
    clearSelection();
    QItemSelection selection;
    for (int row : rows) {
        if (row < 0 || row >= rowCount()) continue;
        selection.select(model()->index(row, 0), model()->index(row, columnCount() - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty() && rows.front() >= 0 && rows.front() < rowCount()) {
        scrollTo(model()->index(rows.front(), 0));
    }
}

void FileTableView::mousePressEvent(QMouseEvent* event) {
    // A plain click on a row of a multiple selection (the files a drop copied in) makes that row
    // the selection, as on any row not selected; it does not edit the row's name.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && event->button() == Qt::LeftButton &&
        event->modifiers() == Qt::NoModifier && selectedRows().size() > 1 &&
        selectionModel()->isRowSelected(index.row())) {
        selectionModel()->clearSelection();
    }
    QTableWidget::mousePressEvent(event);
}

bool FileTableView::takesDrop(const QMimeData* data, QStringList* paths) const {
    if (!acceptsDroppedFiles) return false;
    *paths = droppedFilePaths(data);
    return !paths->isEmpty() && acceptsDroppedFiles(*paths);
}

void FileTableView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void FileTableView::dragMoveEvent(QDragMoveEvent* event) {
    QStringList paths;
    if (takesDrop(event->mimeData(), &paths)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FileTableView::dropEvent(QDropEvent* event) {
    QStringList paths;
    if (!takesDrop(event->mimeData(), &paths)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (filesDropped) filesDropped(paths);
}
