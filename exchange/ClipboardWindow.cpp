#include "exchange/ClipboardWindow.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/MainWindow.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/QtStrings.h"

namespace {

template <typename Value>
std::vector<std::vector<Value>> transposed(const std::vector<std::vector<Value>>& rows,
                                           const Value& missing) {
    size_t width = 0;
    for (const auto& row : rows) width = std::max(width, row.size());
    std::vector<std::vector<Value>> result(width);
    for (size_t j = 0; j < width; ++j) {
        for (const auto& row : rows) result[j].push_back(j < row.size() ? row[j] : missing);
    }
    return result;
}

void showError(const std::string& text, QWidget* window) {
    Alert alert;
    alert.messageText = toQString(localizedString("Error"));
    alert.informativeText = toQString(text);
    alert.style = Alert::Style::Critical;
    alert.beginSheetModalForWindow(window);
}

}  // namespace

ClipboardWindow::ClipboardWindow() : table_(new QTableWidget(this)) {
    setObjectName("clipboardWindow");
    setWindowTitle(tr("Clipboard"));
    declareWindowRole(this, WindowRole::Auxiliary);
    table_->setObjectName("clipboardTableView");
    table_->setAlternatingRowColors(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    connect(table_->horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int column) { table_->setColumnWidth(column, sizeToFitWidthOfColumn(column)); });
    auto* refresh = new QPushButton(tr("Refresh"), this);
    auto* transpose = new QPushButton(tr("Transpose"), this);
    connect(refresh, &QPushButton::clicked, this,
            &ClipboardWindow::clipboardContentsRefreshButtonPressed);
    connect(transpose, &QPushButton::clicked, this,
            &ClipboardWindow::clipboardContentsTransposeButtonPressed);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refresh);
    buttons->addWidget(transpose);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(640, 400);
    showRows(0);
}

void ClipboardWindow::refreshAndShow() {
    updateClipboardTableViewColumns();
    show();
    raise();
    activateWindow();
}

void ClipboardWindow::updateClipboardTableViewColumns() {
    PasteboardTextFormat format = pasteboardTextFormat();
    std::optional<std::string> text = Pasteboard::string();
    if (!text) return;
    rows_.clear();
    size_t minimum = SIZE_MAX, maximum = 0;
    // The whole text: its line ends, "\r\n" too, are found by the helper.
    makeNewArray(&rows_, &minimum, &maximum, {*text}, format.separator);
    showRows(maximum);
}

void ClipboardWindow::showRows(size_t fieldColumns) {
    table_->clear();
    table_->setColumnCount(static_cast<int>(fieldColumns) + 1);
    table_->setRowCount(static_cast<int>(rows_.size()));
    auto* numberHeader = new QTableWidgetItem(QString());
    numberHeader->setData(Qt::UserRole, QStringLiteral("ClipboardRowNumber"));
    table_->setHorizontalHeaderItem(0, numberHeader);
    table_->setColumnWidth(0, 50);
    for (size_t position = 0; position < fieldColumns; ++position) {
        auto* header = new QTableWidgetItem(QString::number(position + 1));
        header->setTextAlignment(Qt::AlignCenter);
        header->setData(Qt::UserRole, QStringLiteral("ClipboardCol%1").arg(position));
        table_->setHorizontalHeaderItem(static_cast<int>(position) + 1, header);
        table_->setColumnWidth(static_cast<int>(position) + 1, 100);
    }
    for (size_t r = 0; r < rows_.size(); ++r) {
        auto* number = new QTableWidgetItem(QString::number(r + 1));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(static_cast<int>(r), 0, number);
        for (size_t i = 0; i < rows_[r].size() && i < fieldColumns; ++i) {
            table_->setItem(static_cast<int>(r), static_cast<int>(i) + 1,
                            new QTableWidgetItem(toQString(rows_[r][i])));
        }
    }
}

int ClipboardWindow::sizeToFitWidthOfColumn(int column) const {
    QFont font = table_->font();
    font.setPointSize(13);
    QFontMetrics metrics(font);
    int widest = 0;
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (const QTableWidgetItem* item = table_->item(row, column)) {
            widest = std::max(widest, metrics.horizontalAdvance(item->text()));
        }
    }
    return std::max(widest + 6, 40);
}

void ClipboardWindow::clipboardContentsTransposeButtonPressed() {
    const size_t n = rows_.size();
    if (n > kTransposeLimit) {
        showError(localizedFormat("Transpose is limited to %d columns",
                                  {std::to_string(kTransposeLimit)}),
                  this);
        return;
    }
    if (n == 0) return;
    PasteboardTextFormat format = pasteboardTextFormat();
    TextGrid grid = transposed(rows_, std::string());
    if (grid.empty()) return;
    rows_ = std::move(grid);
    showRows(n);
    if (format.ownType) writeTransposed(rows_, format);
}

void ClipboardWindow::writeTransposed(const TextGrid& grid, const PasteboardTextFormat& format) {
    std::optional<std::string> type = Pasteboard::dataType();
    std::optional<nlohmann::json> record = type ? Pasteboard::record(*type) : std::nullopt;
    if (!record) return;
    // Written as it will be read again: the reading separator, quoted where needed.
    std::vector<std::string> lines;
    for (const auto& row : grid) {
        std::vector<std::string> fields;
        for (const std::string& value : row) {
            fields.push_back(csvFieldText(value, format.separator, false));
        }
        lines.push_back(joinStrings(fields, format.separator));
    }
    // The record travels transposed too, so that a paste reads the same grid from it.
    if (std::optional<std::vector<DBRow>> rows = recordRows(*record)) {
        nlohmann::json values = nlohmann::json::array();
        std::vector<std::string> internalLines;
        for (const DBRow& row : transposed(*rows, DBValue(std::string()))) {
            nlohmann::json line = nlohmann::json::array();
            std::vector<std::string> internal;
            for (const DBValue& value : row) {
                line.push_back(value ? nlohmann::json(*value) : nlohmann::json());
                internal.push_back(value.value_or(copiedNullText()));
            }
            values.push_back(std::move(line));
            internalLines.push_back(joinStrings(internal, "<F||F>"));
        }
        (*record)["rows"] = std::move(values);
        (*record)["internal_lines"] = joinStrings(internalLines, "<L||L>");
        record->erase("field_names");
        record->erase("field_types");
    }
    if (!Pasteboard::write(*type, *record, joinStrings(lines, "\n"))) {
        showError(localizedString("Could not write to pasteboard"), this);
    }
}
