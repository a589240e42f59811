#include "mainwindow/record/ExpandedFieldsPanel.h"

#include <QDialog>
#include <QVBoxLayout>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/FieldDisplayText.h"
#include "mainwindow/HeldValues.h"
#include "mainwindow/record/WindowedTextView.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

std::string expandedFieldsText(const TablesAndRowsState& state, bool oneObjectSelected,
                               const std::map<FieldIndex, DBValue>& wholeValues) {
    const auto& port = state.dataPort;
    RowIndex row = state.selection.focusedRowIndex;
    if (!oneObjectSelected || port.totalRows < 1 || row.isNone()) return {};
    std::string text;
    bool first = true;
    for (FieldPosition position : state.fieldModel.expandedFieldIndexes) {
        FieldIndex field = fieldAtPosition(position);
        const DBValue* value = port.page.cell(row, field);
        if (value && isCutValue(*value)) {
            auto whole = wholeValues.find(field);
            if (whole != wholeValues.end()) value = &whole->second;
        }
        std::string shown;
        std::string held;
        if (value && !*value) {
            shown = state.display.displayStringForNULLValue;
        } else if (value && isCutValue(*value)) {
            heldTextOfValue(**value, &held);
            shown = std::move(held);  // the first part of a value that could not be read whole
        } else if (value) {
            shown = state.display.formatDataInRowsConsole
                        ? formattedFieldValueObject(state, *value, field)
                        : **value;
        }
        if (!first) text += "\n\n";
        text += shown;
        first = false;
    }
    return text;
}

ExpandedFieldsPanel::ExpandedFieldsPanel(DatabaseWindow& window) : window_(window) {}

ExpandedFieldsPanel::~ExpandedFieldsPanel() {
    delete panel_.data();
}

void ExpandedFieldsPanel::showExpandedFieldsPanel(bool show) {
    if (show && !panel_) {
        panel_ = new QDialog(window_.window(), Qt::Tool);
        panel_->setObjectName("expandedFieldsPanel");
        panel_->setWindowTitle(toQString(localizedString("Expanded Fields")));
        panel_->resize(360, 300);
        auto* layout = new QVBoxLayout(panel_);
        textView_ = new WindowedTextView(panel_);
        textView_->setReadOnly(true);
        QFont font = textView_->font();
        font.setPointSize(15);
        textView_->setFont(font);
        layout->addWidget(textView_);
    }
    if (!panel_) return;
    panel_->setVisible(show);
    updateExpandedFieldsPanel();
}

bool ExpandedFieldsPanel::isExpandedFieldsPanelHidden() const {
    return !panel_ || !panel_->isVisible();
}

void ExpandedFieldsPanel::updateExpandedFieldsPanel() {
    if (isExpandedFieldsPanelHidden()) return;
    readCutValuesWhole();
    textView_->setWholeText(toQString(expandedFieldsText(
        window_.state(), window_.selectedTableNameIfOnlyOne().has_value(), wholeValues_)));
}

void ExpandedFieldsPanel::readCutValuesWhole() {
    const TablesAndRowsState& state = window_.state();
    const LoadedPage& page = state.dataPort.page;
    RowIndex row = state.selection.focusedRowIndex;
    if (page.generation() == wholeValuesGeneration_ && row == wholeValuesRow_) return;
    wholeValues_.clear();
    wholeValuesGeneration_ = page.generation();
    wholeValuesRow_ = row;
    std::optional<std::string> table = window_.selectedTableNameIfOnlyOne();
    std::vector<DBValue> values = page.values(row);
    if (!table || values.empty()) return;
    std::vector<FieldIndex> fields;
    for (FieldPosition position : state.fieldModel.expandedFieldIndexes) {
        fields.push_back(fieldAtPosition(position));
    }
    std::string ignored;
    // A value that cannot be read now is shown cut.
    if (readCutValuesOfRow(state, *table, fields, true, &values, &ignored) != 0) return;
    for (FieldIndex field : fields) {
        const auto at = static_cast<size_t>(field.value);
        const DBValue* held = page.cell(row, field);
        if (held && isCutValue(*held) && at < values.size()) wholeValues_[field] = values[at];
    }
}
