#include "app/DiagnosticsWindow.h"

#include <sqlite3.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/ErrorLog.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/QtStrings.h"

DiagnosticsWindow::DiagnosticsWindow(ErrorLog* log)
    : log_(log), table_(new QTableWidget(0, 2, this)) {
    setWindowTitle(tr("Diagnostics"));
    declareWindowRole(this, WindowRole::Auxiliary);
    resize(640, 420);
    table_->setObjectName("diagnosticsWindowErrorMessagesTableView");
    table_->setHorizontalHeaderLabels({tr("Code"), tr("Message")});
    table_->horizontalHeaderItem(0)->setData(Qt::UserRole, "ErrorCodeTC");
    table_->horizontalHeaderItem(1)->setData(Qt::UserRole, "ErrorMessageTC");
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // The source id begins with the release's date and time.
    auto* version = new QLabel(tr("SQLite %1 (%2)")
                                   .arg(QString::fromUtf8(sqlite3_libversion()),
                                        QString::fromUtf8(sqlite3_sourceid()).left(10)),
                               this);
    version->setObjectName("diagnosticsWindowSQLiteVersionLabel");
    auto* refresh = new QPushButton(tr("Refresh"), this);
    auto* clear = new QPushButton(tr("Clear"), this);
    connect(refresh, &QPushButton::clicked, this, &DiagnosticsWindow::refreshButtonClicked);
    connect(clear, &QPushButton::clicked, this, &DiagnosticsWindow::clearButtonClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(version);
    buttons->addStretch();
    buttons->addWidget(refresh);
    buttons->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
}

void DiagnosticsWindow::reloadErrorMessages() {
    std::vector<ErrorLogEntry> entries = log_->snapshot();
    table_->setRowCount(static_cast<int>(entries.size()));
    int row = 0;
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry, ++row) {
        auto* code = new QTableWidgetItem;
        code->setData(Qt::DisplayRole, entry->code);
        table_->setItem(row, 0, code);
        table_->setItem(row, 1, new QTableWidgetItem(toQString(entry->message)));
    }
}

void DiagnosticsWindow::clearButtonClicked() {
    log_->clear();
    reloadErrorMessages();
}
