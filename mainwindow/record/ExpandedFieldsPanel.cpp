#include "mainwindow/record/ExpandedFieldsPanel.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/FieldDisplayText.h"
#include "mainwindow/HeldValues.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"

std::string expandedFieldsText(const TablesAndRowsState& state, bool oneObjectSelected) {
    const auto& port = state.dataPort;
    RowIndex row = state.selection.focusedRowIndex;
    if (!oneObjectSelected || port.totalRows < 1 || row.isNone()) return {};
    int64_t at = port.numberOfFieldsPerRow * (row - port.firstRowIndexInDataPort);
    std::string text;
    bool first = true;
    for (FieldPosition position : state.fieldModel.expandedFieldIndexes) {
        FieldIndex field = fieldAtPosition(position);
        int64_t index = at + field.value;
        std::string shown;
        if (at >= 0 && field.value < port.numberOfFieldsPerRow &&
            index < int64_t(port.fieldValuesLoaded.size())) {
            const DBValue& value = port.fieldValuesLoaded[size_t(index)];
            std::string held;
            if (!value) {
                shown = state.display.displayStringForNULLValue;
            } else if (heldTextOfValue(*value, &held).size() != value->size()) {
                shown = std::move(held);  // the first part of a long value
            } else {
                shown = state.display.formatDataInRowsConsole
                            ? formattedFieldValueObject(state, value, field)
                            : *value;
            }
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
        textView_ = new QPlainTextEdit(panel_);
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
    textView_->setPlainText(toQString(
        expandedFieldsText(window_.state(), window_.selectedTableNameIfOnlyOne().has_value())));
}
