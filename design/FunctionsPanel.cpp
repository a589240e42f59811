#include "design/FunctionsPanel.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

std::optional<std::string> functionDescription(
    const std::string& name, const std::map<std::string, std::string>& descriptions) {
    auto found = descriptions.find(name);
    if (found == descriptions.end()) return std::nullopt;
    const std::string& text = found->second;
    if (text.empty() || text[0] != '[') return text;
    const size_t begin = text.find_first_not_of("[]");
    const size_t end = text.find_last_not_of("[]");
    if (begin == std::string::npos) return std::nullopt;
    auto alias = descriptions.find(text.substr(begin, end - begin + 1));
    if (alias == descriptions.end()) return std::nullopt;
    return alias->second;
}

FunctionsPanel::FunctionsPanel(const std::vector<std::string>& functions,
                               const std::map<std::string, std::string>& descriptions,
                               QWidget* parent)
    : QDialog(parent, Qt::Tool), functions_(functions), descriptions_(descriptions) {
    setObjectName("functionsPanel");
    setWindowTitle(toQString(localizedString("SQL Functions")));
    resize(640, 420);
    table_ = new QTableWidget(static_cast<int>(functions.size()), 2, this);
    table_->setObjectName("functionsPanelTableView");
    table_->setHorizontalHeaderLabels(
        {toQString(localizedString("Function")), toQString(localizedString("Description"))});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (size_t row = 0; row < functions.size(); ++row) {
        const std::string& name = functions[row];
        const int r = static_cast<int>(row);
        table_->setItem(r, 0, new QTableWidgetItem(toQString(name)));
        // The list shows the description's first line; the double click shows it all.
        QString description = toQString(functionDescription(name, descriptions).value_or(""));
        table_->setItem(r, 1, new QTableWidgetItem(description.section('\n', 0, 0)));
    }
    table_->resizeColumnToContents(0);
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { functionsTableViewDoubleClickOnRow(row); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
}

void FunctionsPanel::functionsTableViewDoubleClickOnRow(int row) {
    if (row < 0 || static_cast<size_t>(row) >= functions_.size()) return;
    const std::string& name = functions_[static_cast<size_t>(row)];
    Alert alert;
    alert.messageText = toQString(name);
    alert.informativeText =
        toQString(functionDescription(name, descriptions_)
                      .value_or(localizedString("No description available for this function.")));
    alert.style = Alert::Style::Informational;
    alert.beginSheetModalForWindow(this);
}
