#include "mainwindow/RowCountText.h"

#include <QLabel>

#include "mainwindow/DatabaseWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

std::string numberOfRowsText(int64_t rows) {
    if (rows < 1) return localizedString("0 rows");
    if (rows == 1) return localizedString("1 row");
    return localizedFormat("%ld rows", {std::to_string(rows)});
}

std::string rowNumberText(RowIndex focused, int64_t totalRows) {
    if (focused.isNone() || focused.value >= totalRows) return numberOfRowsText(totalRows);
    return localizedFormat("Row %ld of %ld",
                           {std::to_string(focused.value + 1), std::to_string(totalRows)});
}

void showNumberOfRows(QLabel* label, const DatabaseWindow& window) {
    if (!window.selectedTableName()) {
        label->hide();
        return;
    }
    label->setText(toQString(numberOfRowsText(window.state().dataPort.totalRows)));
    label->show();
}
