#include "mainwindow/rows/views/SpreadsheetTableCellView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

#include <optional>

#include "mainwindow/textwindow/CellTextField.h"
#include "mainwindow/rows/views/LongCellText.h"
#include "mainwindow/rows/views/RowsTableModel.h"

namespace {

const QColor kSelectColor(189, 222, 255);
const QColor kPasteColor(178, 235, 112);
const QColor kFocusColor(179, 212, 255);
const QColor kSecondarySelectedColor(212, 212, 212);
const char* const kRowIndexProperty = "rowIndex";
const char* const kFieldIndexProperty = "fieldIndex";

void drawFrame(QPainter* painter, const QRect& bounds, int width, const QColor& color) {
    painter->fillRect(bounds.left(), bounds.top(), bounds.width(), width, color);
    painter->fillRect(bounds.left(), bounds.bottom() - width + 1, bounds.width(), width, color);
    painter->fillRect(bounds.left(), bounds.top(), width, bounds.height(), color);
    painter->fillRect(bounds.right() - width + 1, bounds.top(), width, bounds.height(), color);
}

// A filled highlight's 1-point frame has the fill's own colour, so the fill alone draws both
// and a block of selected cells reads as one colour from edge to edge.
void drawFramedFill(QPainter* painter, const QRect& bounds, const QColor& color) {
    painter->fillRect(bounds, color);
}

std::optional<TextCommand> commandForKey(const QKeyEvent* key) {
    const bool plain = !(key->modifiers() & ~Qt::KeypadModifier);
    switch (key->key()) {
        case Qt::Key_Escape:
            return TextCommand::Cancel;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return TextCommand::InsertNewline;
        case Qt::Key_Tab:
            return key->modifiers() & Qt::ShiftModifier ? TextCommand::InsertBacktab
                                                        : TextCommand::InsertTab;
        case Qt::Key_Backtab:
            return TextCommand::InsertBacktab;
        // With a modifier these move or select within the text, as in any text field.
        case Qt::Key_Up:
            return plain ? std::optional(TextCommand::MoveUp) : std::nullopt;
        case Qt::Key_Down:
            return plain ? std::optional(TextCommand::MoveDown) : std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

SpreadsheetTableCellView::SpreadsheetTableCellView(
    SpreadsheetTableCellViewDelegate* spreadsheetDelegate, CellTextFieldDelegate* textFieldDelegate,
    QObject* parent)
    : QStyledItemDelegate(parent),
      spreadsheetDelegate_(spreadsheetDelegate),
      textFieldDelegate_(textFieldDelegate) {}

CellIdentity SpreadsheetTableCellView::cellOfEditor(const QWidget* control) {
    QVariant row = control ? control->property(kRowIndexProperty) : QVariant();
    QVariant field = control ? control->property(kFieldIndexProperty) : QVariant();
    if (!row.isValid() || !field.isValid()) return {};
    return {RowIndex(row.toLongLong()), FieldIndex(field.toLongLong())};
}

CellIdentity SpreadsheetTableCellView::cellOfIndex(const QModelIndex& index) {
    QVariant row = index.data(RowsTableModel::RowIndexRole);
    QVariant field = index.data(RowsTableModel::FieldIndexRole);
    if (!row.isValid() || !field.isValid()) return {};
    return {RowIndex(row.toLongLong()), FieldIndex(field.toLongLong())};
}

void SpreadsheetTableCellView::drawHighlight(QPainter* painter, const QRect& bounds,
                                             CellIdentity cell) const {
    const SpreadsheetTableCellViewDelegate& d = *spreadsheetDelegate_;
    if (d.highlightPasteDestinationCell(cell)) {
        if (d.isFocusedCell(cell)) {
            drawFrame(painter, bounds, 3, kPasteColor);
        } else {
            drawFramedFill(painter, bounds, kPasteColor);
        }
        return;
    }
    // Without the keyboard the grid's highlights turn grey.
    const QColor& selectColor =
        d.isRowsTableViewFirstResponder() ? kSelectColor : kSecondarySelectedColor;
    if (d.highlightRowNumberCell(cell)) {
        drawFramedFill(painter, bounds, selectColor);
    } else if (d.highlightFocusedCell(cell)) {
        drawFrame(painter, bounds, 3,
                  d.isRowsTableViewFirstResponder() ? kFocusColor : kSecondarySelectedColor);
    } else if (d.highlightSelectedRow(cell) || d.highlightSelectedCell(cell)) {
        drawFramedFill(painter, bounds, selectColor);
    }
}

void SpreadsheetTableCellView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // The grid draws its own focus and selection, never the item view's.
    cell.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
    painter->fillRect(cell.rect,
                      index.row() % 2 ? cell.palette.alternateBase() : cell.palette.base());
    if (spreadsheetDelegate_) {
        drawHighlight(painter, cell.rect, cellOfIndex(index));
    }
    QString placeholder = index.data(RowsTableModel::PlaceholderRole).toString();
    if (cell.text.isEmpty() && !placeholder.isEmpty()) {
        cell.text = placeholder;
        cell.palette.setColor(QPalette::Text, cell.palette.color(QPalette::PlaceholderText));
    }
    cell.text = visiblePartOfLongText(cell.text, cell.fontMetrics, cell.rect.width());
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

QWidget* SpreadsheetTableCellView::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                                const QModelIndex& index) const {
    auto* editor = new CellTextField(parent);
    editor->setFrame(false);
    editor->setProperty(kRowIndexProperty, index.data(RowsTableModel::RowIndexRole));
    editor->setProperty(kFieldIndexProperty, index.data(RowsTableModel::FieldIndexRole));
    editor->setPlaceholderText(index.data(RowsTableModel::PlaceholderRole).toString());
    editor->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) |
                         Qt::AlignVCenter);
    return editor;
}

void SpreadsheetTableCellView::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* field = static_cast<CellTextField*>(editor);
    if (textFieldDelegate_ && textFieldDelegate_->controlTextWillBeginEditing(field)) return;
    // The stored text, not the display form; NULL edits as an empty text.
    // Taken on its own, so that the field holds the only copy of a long text.
    QString text = index.data(Qt::EditRole).toString();
    field->setWholeText(std::move(text));
}

void SpreadsheetTableCellView::setModelData(QWidget* editor, QAbstractItemModel*,
                                            const QModelIndex&) const {
    if (auto* control = qobject_cast<QLineEdit*>(editor); control && textFieldDelegate_) {
        textFieldDelegate_->controlTextDidEndEditing(control);
    }
}

bool SpreadsheetTableCellView::eventFilter(QObject* object, QEvent* event) {
    auto* control = qobject_cast<QLineEdit*>(object);
    if (!control || !textFieldDelegate_ || event->type() != QEvent::KeyPress) {
        return QStyledItemDelegate::eventFilter(object, event);
    }
    std::optional<TextCommand> command = commandForKey(static_cast<QKeyEvent*>(event));
    if (!command) return QStyledItemDelegate::eventFilter(object, event);
    if (*command == TextCommand::Cancel) {
        // Nothing is written: the editor closes and the cell shows its loaded value again.
        textFieldDelegate_->controlTextViewDoCommandBySelector(control, *command);
        emit closeEditor(control, QAbstractItemDelegate::RevertModelCache);
        return true;
    }
    // The edit ends (and writes) before the command moves the focus to another cell. A key that
    // ends it confirms its text, typed or offered again after a failed write.
    control->setModified(true);
    emit commitData(control);
    emit closeEditor(control, QAbstractItemDelegate::NoHint);
    textFieldDelegate_->controlTextViewDoCommandBySelector(control, *command);
    return true;
}
