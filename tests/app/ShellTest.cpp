#include "tests/app/ShellTest.h"

#include <QListWidget>

QStringList ShellTest::tablesListed(int windowIndex) const {
    QStringList names;
    TablesAndRowsController* controller = app->tablesAndRowsControllerForWindowIndex(windowIndex);
    if (!controller) return names;
    auto* list = controller->view()->findChild<QListWidget*>("tablesTableView");
    for (int i = 0; list && i < list->count(); ++i) names << list->item(i)->text();
    return names;
}
