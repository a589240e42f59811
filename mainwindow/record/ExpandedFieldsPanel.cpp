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
    std::string text;
    bool first = true;
    for (FieldPosition position : state.fieldModel.expandedFieldIndexes) {
        FieldIndex field = fieldAtPosition(position);
        const DBValue* value = port.page.cell(row, field);
        std::string shown;
        std::string held;
        if (value && !*value) {
            shown = state.display.displayStringForNULLValue;
        } else if (value && heldTextOfValue(**value, &held).size() != (*value)->size()) {
            shown = std::move(held);  // the first part of a long value
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
