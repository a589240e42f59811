#include "design/PanelWindows.h"

#include <QListWidget>
#include <QSplitter>
#include <QWidget>

#include "mainwindow/DatabaseWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

namespace {
constexpr int kPanelLeftOffset = 69;

int panelLeft(DatabaseWindow& window) {
    QWidget* databaseWindow = window.window();
    return (databaseWindow ? databaseWindow->frameGeometry().x() : 0) + kPanelLeftOffset;
}
}  // namespace

QString localizedText(const char* text) {
    return toQString(localizedString(text));
}

QWidget* makePanelWindow(DatabaseWindow& window, const char* objectName, const char* title) {
    auto* panel = new QWidget(window.window(), Qt::Tool);
    panel->setObjectName(objectName);
    panel->setWindowTitle(toQString(localizedString(title)));
    return panel;
}

void placePanelBesideTablesList(QWidget* panel, DatabaseWindow& window) {
    QWidget* databaseWindow = window.window();
    auto* split =
        databaseWindow ? databaseWindow->findChild<QSplitter*>("tablesRowsSplitView") : nullptr;
    int top = split ? split->mapToGlobal(QPoint(0, 0)).y() : 0;
    panel->move(panelLeft(window), top);
}

void placePanelBelowTablesListRow(QWidget* panel, DatabaseWindow& window, int row) {
    QWidget* databaseWindow = window.window();
    auto* list =
        databaseWindow ? databaseWindow->findChild<QListWidget*>("tablesTableView") : nullptr;
    QListWidgetItem* item = list ? list->item(row) : nullptr;
    int top = item ? list->viewport()->mapToGlobal(list->visualItemRect(item).bottomLeft()).y() : 0;
    panel->move(panelLeft(window), top);
}

void bringPanelToFront(QWidget* panel) {
    panel->show();
    panel->raise();
    panel->activateWindow();
}
