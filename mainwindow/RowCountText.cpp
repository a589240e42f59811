#include "mainwindow/RowCountText.h"

#include "platform/foundation/Localized.h"

std::string numberOfRowsText(int64_t rows) {
    if (rows < 1) return localizedString("0 rows");
    if (rows == 1) return localizedString("1 row");
    return localizedFormat("%ld rows", {std::to_string(rows)});
}
