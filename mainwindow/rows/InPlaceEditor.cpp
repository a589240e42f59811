#include "mainwindow/rows/InPlaceEditor.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/GridSelection.h"
#include "mainwindow/rows/GridSurface.h"
#include "mainwindow/rows/RowsDataPort.h"
#include "mainwindow/textwindow/CellTextField.h"
#include "platform/ui/PendingInput.h"
#include "platform/ui/QtStrings.h"

InPlaceEditor::InPlaceEditor(GridSurface& rows, DatabaseWindow& window)
    : rows_(rows), window_(window), state_(window.state()), dataPort_(rows.dataPort()) {}

bool InPlaceEditor::isSelectedTableUpdateCapable() const {
    return window_.selectedTableNameIfOnlyOne() &&
           state_.selectedObject.selectedObjectStatus == DBInterface::kObjectEditable;
}

bool InPlaceEditor::editableFocusedCell(GridRow* row, GridColumn* column) const {
    const auto& selection = state_.selection;
    if (!isSelectedTableUpdateCapable() || rows_.numberOfColumns() < 2 ||
        selection.focusedRowIndex.isNone() || selection.focusedFieldIndex.isNone()) {
        return false;
    }
    *row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    *column = dataPort_.tableViewColumnFromFieldIndex(selection.focusedFieldIndex);
    if (row->isNone() || column->isNone()) return false;
    // Raw values are never edited in place; a cell off the grid is not edited at all.
    FieldIndex field = rows_.fieldIndexFromTableViewColumn(*column, *row);
    return !field.isNone() &&
           state_.fieldModel.fieldTypeAtFieldIndexP1(field) != DBInterface::kFieldTypeRaw;
}

std::optional<CellTarget> InPlaceEditor::editTargetOfCell(GridRow row, GridColumn column) const {
    FieldIndex field = rows_.fieldIndexFromTableViewColumn(column, row);
    if (row.isNone() || field.isNone()) return std::nullopt;
    return CellWriter(window_).targetOfLoadedCell(dataPort_.rowIndexFromTableViewRow(row), field);
}

void InPlaceEditor::beginEditingCell(GridRow row, GridColumn column) {
    // A previous edit still open is ended first, so that it is written to its own target.
    rows_.endEditing();
    editedRowLeft_ = false;
    editTarget_ = editTargetOfCell(row, column);
    holdingLoaded_ = nullptr;
    if (!editTarget_) return;
    rows_.focusGrid();
    rows_.editCell(row, column);
}

void InPlaceEditor::startEditingFocusedCellThread() {
    GridRow row;
    GridColumn column;
    if (editableFocusedCell(&row, &column)) beginEditingCell(row, column);
}

void InPlaceEditor::doubleClickOnRow(QPoint point) {
    Qt::KeyboardModifiers modifiers = QApplication::keyboardModifiers();
    // Shift wins over every other modifier: a Shift double click does nothing.
    if (modifiers & Qt::ShiftModifier) return;
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier)) {
        rows_.rowsTableModifiedDoubleClickOnRow(point, modifiers & Qt::ControlModifier);
        return;
    }
    GridRow row = rows_.gridRowAt(point);
    if (row.isNone() || !isSelectedTableUpdateCapable()) return;
    GridColumn column = rows_.gridColumnAt(point);
    rows_.selection().selectRowsTableViewCellAtRow(row, column, true);
    FieldIndex field = rows_.fieldIndexFromTableViewColumn(column, row);
    if (!field.isNone() &&
        state_.fieldModel.fieldTypeAtFieldIndexP1(field) != DBInterface::kFieldTypeRaw) {
        beginEditingCell(row, column);
    }
}

bool InPlaceEditor::controlTextViewDoCommandBySelector(QLineEdit* control, TextCommand command) {
    CellIdentity cell = SpreadsheetTableCellView::cellOfEditor(control);
    if (cell.row.isNone() || cell.field.value < 1 || !window_.selectedTableNameIfOnlyOne() ||
        state_.dataPort.totalRows < 1) {
        return false;
    }
    if (command == TextCommand::Cancel) {
        editTarget_.reset();
        holdingLoaded_ = nullptr;
    }
    const bool rowLeft = std::exchange(editedRowLeft_, false);
    if (command == TextCommand::Cancel || command == TextCommand::InsertNewline) return false;
    // A write that failed keeps its cell: that edit is opened again instead of the next one.
    if (failedEdit_) return false;
    // A row that left the rows shown takes the focus nowhere and opens no edit; the keys typed
    // for that edit before it would have opened are dropped.
    if (!rowLeft) moveFocusForEditing(command);
    // After the current edit has fully ended; the next one passes the same checks as Return.
    editStartPending_ = true;
    pendingEditDropped_ = rowLeft;
    QTimer::singleShot(0, this, [this] { startPendingEdit(); });
    return false;
}

bool InPlaceEditor::eventFilter(QObject* watched, QEvent* event) {
    bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (watched != rows_.gridWidget() || !key || (!editStartPending_ && !failedEdit_)) return false;
    keysTypedAhead_.emplace_back(event->clone());
    return true;
}

void InPlaceEditor::startPendingEdit() {
    editStartPending_ = false;
    if (std::exchange(pendingEditDropped_, false)) {
        keysTypedAhead_.clear();
        return;
    }
    startEditingFocusedCellThread();
    sendKeysTypedAhead();
}

void InPlaceEditor::sendKeysTypedAhead() {
    // The keys go where they would have gone had the edit opened at once: into it, or to the
    // grid when the cell may not be edited. One of them may queue the next edit.
    std::vector<std::unique_ptr<QEvent>> keys = std::move(keysTypedAhead_);
    keysTypedAhead_.clear();
    for (auto next = keys.begin(); next != keys.end(); ++next) {
        if (editStartPending_) {
            std::move(next, keys.end(), std::back_inserter(keysTypedAhead_));
            return;
        }
        QWidget* editor = rows_.cellEditor();
        QCoreApplication::sendEvent(editor ? editor : rows_.gridWidget(), next->get());
    }
}

void InPlaceEditor::moveFocusForEditing(TextCommand command) {
    const auto& port = state_.dataPort;
    RowIndex rowIndex = state_.selection.focusedRowIndex;
    FieldIndex field = state_.selection.focusedFieldIndex;
    FieldIndex lastField = port.lastFieldIndex();
    // Where the fields shown start when the new cell needs it; none keeps them where they are.
    FieldIndex firstField;
    switch (command) {
        case TextCommand::MoveUp:
            rowIndex = std::max(RowIndex(0), rowIndex - 1);
            break;
        case TextCommand::MoveDown:
            rowIndex = std::min(RowIndex(port.totalRows - 1), rowIndex + 1);
            break;
        case TextCommand::InsertTab:
            if (field < lastField) {
                field = rows_.nextFieldIndexInViewport(field);
                // A field right of those shown brings the fields along by one, as a step right.
                if (dataPort_.tableViewColumnFromFieldIndex(field).value >=
                    rows_.numberOfColumns()) {
                    firstField = std::min(port.firstFieldIndexInDataPort + 1, lastField);
                }
            } else if (rowIndex.value < port.totalRows - 1) {
                ++rowIndex;
                field = firstField = kFirstFieldIndex;
            }
            break;
        case TextCommand::InsertBacktab:
            if (field > kFirstFieldIndex) {
                --field;
            } else if (rowIndex.value >= 1) {
                // The previous row is entered from its end: the fields shown start at its last.
                --rowIndex;
                field = firstField = lastField;
            }
            break;
        default:
            return;
    }
    focusCellShowingIt(rowIndex, field, firstField);
}

void InPlaceEditor::focusCellShowingIt(RowIndex rowIndex, FieldIndex field, FieldIndex firstField) {
    state_.assertConsistent();
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    if (!port.holdsRow(rowIndex) || field < kFirstFieldIndex) return;
    RowIndex oldRowIndex = selection.focusedRowIndex;
    FieldIndex oldFieldIndex = selection.focusedFieldIndex;
    selection.focusedRowIndex = rowIndex;
    selection.focusedFieldIndex = field;
    int64_t rows = rows_.numberOfDataPortRows();
    RowIndex firstRow = port.firstRowIndexInDataPort;
    if (rowIndex < firstRow) firstRow = rowIndex;
    if (rowIndex >= firstRow + rows) firstRow = rowIndex - (rows - 1);
    GridColumn column = dataPort_.tableViewColumnFromFieldIndex(field);
    // A field off the grid is shown first, unless the caller chose where the fields start.
    if (firstField.isNone() && (column.value < 1 || column.value >= rows_.numberOfColumns())) {
        firstField = field;
    }
    bool fieldsMove = !firstField.isNone() && firstField != port.firstFieldIndexInDataPort;
    if (fieldsMove) {
        port.firstFieldIndexInDataPort = firstField;
        rows_.updateColumns(window_.selectedTableNameIfOnlyOne());
    }
    if (firstRow != port.firstRowIndexInDataPort || fieldsMove) {
        port.firstRowIndexInDataPort = firstRow;
        rows_.reloadFieldValues();
        rows_.redrawGrid();
        rows_.updateRowsViewScrollBars();
        return;
    }
    rows_.reloadRowsTableViewRowIndex(oldRowIndex, oldFieldIndex);
    rows_.reloadRowsTableViewRowIndex(rowIndex, field);
}

void InPlaceEditor::controlTextDidEndEditing(QLineEdit* control) {
    CellIdentity cell = SpreadsheetTableCellView::cellOfEditor(control);
    std::optional<CellTarget> target = std::move(editTarget_);
    editTarget_.reset();
    const QPointer<CellTextField> holdingLoaded = std::exchange(holdingLoaded_, nullptr);
    bool offered = control == offeredEditor_;
    offeredEditor_ = nullptr;
    if (!target || target->cell != cell) return;
    // A failed edit offered again is written again only at the user's word: a key that ends it
    // or a change typed into it. Ended any other way (a click elsewhere, a reload) it is dropped.
    if (offered && !control->isModified()) return;
    auto* field = qobject_cast<CellTextField*>(control);
    if (field && field == holdingLoaded) {
        if (field->isAsLoaded()) return;
        // The write is checked against the value as loaded, which the field held meanwhile.
        target->loaded = field->loadedText();
        writeEdit(std::move(*target), toStdString(field->wholeText()));
        return;
    }
    std::string text = toStdString(CellTextField::wholeTextOf(control));
    // An untouched NULL stays NULL: its placeholder is never the text.
    bool changed = target->loaded ? *target->loaded != text : !text.empty();
    if (changed) writeEdit(std::move(*target), text);
}

bool InPlaceEditor::controlTextWillBeginEditing(CellTextField* control) {
    // Only once, as the edit opens: a model's change shown later in it keeps the value as
    // loaded when the edit began.
    if (!editTarget_ || !editTarget_->loaded || holdingLoaded_ ||
        editTarget_->cell != SpreadsheetTableCellView::cellOfEditor(control)) {
        return false;
    }
    control->setLoadedText(std::exchange(*editTarget_->loaded, std::string()));
    holdingLoaded_ = control;
    return true;
}

void InPlaceEditor::writeEdit(CellTarget target, const std::string& text) {
    CellWriter writer(window_);
    const CellWriter::Result result =
        writer.write(target, DBValue(text), {.alert = false, .tellOtherWindows = true});
    using Outcome = CellWriter::Outcome;
    if (result.written()) return;
    // Written again, the text would go where the user did not put it.
    if (result.refused()) {
        writer.reportFailure(result, window_.window());
        return;
    }
    // Until it is edited again the cell shows the loaded value, NULL included.
    rows_.reloadRowsTableViewRowIndex(target.cell.row, target.cell.field);
    // A file that cannot be written refuses the text again however often it is offered.
    if (result.outcome == Outcome::ReadOnly) {
        writer.reportFailure(result, window_.window());
        return;
    }
    // Nothing typed is lost: the cell is edited again with the text, once this editor has closed.
    failedEdit_ = FailedEdit{std::move(target), text};
    QTimer::singleShot(0, this, [this, result] { reportFailedEdit(result); });
}

void InPlaceEditor::reportFailedEdit(const CellWriter::Result& result) {
    // What the user typed and clicked while the write waited comes first: under the sheet it
    // would be lost. Keys for the grid are held meanwhile and follow the text offered again.
    QPointer<InPlaceEditor> self(this);
    deliverPendingInput();
    if (!self) return;
    CellWriter(window_).reportFailure(result, window_.window());
    reopenFailedEdit();
}

void InPlaceEditor::reopenFailedEdit() {
    if (!failedEdit_) return;
    // An editor open under the failure's alert loses the focus to it, which ends the edit and
    // writes again: alert after alert. The text is offered once the alert is gone.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        connect(
            modal, &QObject::destroyed, this, [this] { reopenFailedEdit(); }, Qt::QueuedConnection);
        return;
    }
    std::optional<FailedEdit> failed = std::move(failedEdit_);
    failedEdit_.reset();
    const CellTarget& was = failed->target;
    RowIndex focusedRow = state_.selection.focusedRowIndex;
    FieldIndex focusedField = state_.selection.focusedFieldIndex;
    focusCellShowingIt(was.cell.row, was.cell.field);
    GridRow row;
    GridColumn column;
    std::optional<CellTarget> target;
    if (editableFocusedCell(&row, &column)) target = editTargetOfCell(row, column);
    // Only over the row and field it was typed for; the page may show others by now, and then
    // the focus goes back where the user left it.
    if (!target || !target->isSameCell(was)) {
        focusCellShowingIt(focusedRow, focusedField);
    } else {
        beginEditingCell(row, column);
        auto* control = qobject_cast<CellTextField*>(rows_.cellEditor());
        if (control) {
            control->setWholeText(toQString(failed->text));
            offeredEditor_ = control;
        }
    }
    // Keys typed while the write waited follow the text they were typed after.
    sendKeysTypedAhead();
}
