// What the grid tells the window for the panels and consoles that follow it: focus moves, the
// focused cell's place on the screen, and the requests for the edit-field panel.
#include <QTimer>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/RowsConsole.h"

void RowsConsole::noticeFocusMove() {
    // One notice for all the redraws of one move, sent once they are done.
    if (focusNoticePending_) return;
    focusNoticePending_ = true;
    QTimer::singleShot(0, this, [this] {
        focusNoticePending_ = false;
        window_.focusDidMove();
    });
}

std::optional<QRect> RowsConsole::focusedCellScreenRect() const {
    const auto& selection = state_.selection;
    if (selection.focusedRowIndex.isNone() || selection.focusedFieldIndex.isNone()) {
        return std::nullopt;
    }
    GridRow row = dataPort_.tableViewRowFromRowIndex(selection.focusedRowIndex);
    GridColumn column = dataPort_.tableViewColumnFromFieldIndex(selection.focusedFieldIndex);
    if (row.isNone() || column.isNone()) return std::nullopt;
    QRect cell = rowsTableView_->visualRect(rowsTableView_->model()->index(
        static_cast<int>(row.value), static_cast<int>(column.value)));
    if (!cell.isValid()) return std::nullopt;
    return QRect(rowsTableView_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

void RowsConsole::editFieldInPanelMenuItemClicked() {
    window_.showEditFieldPanel();
}

void RowsConsole::rowsTableViewAlternateReturnKeyPressed() {
    const auto& selection = state_.selection;
    if (selection.focusedRowIndex.isNone() || selection.focusedFieldIndex.isNone()) return;
    window_.selectAddRowViewAtFieldIndex(selection.focusedFieldIndex);
}

void RowsConsole::rowsTableViewCommandReturnKeyPressed() {
    if (state_.selectedConsoleIndex == TablesAndRowsState::RowsConsole) {
        window_.showEditFieldPanel();
    }
}

void RowsConsole::rowsTableModifiedDoubleClickOnRow(QPoint point, bool control) {
    if (state_.dataPort.numberOfFieldsPerRow < 1) return;
    GridRow row(rowsTableView_->rowAt(point.y()));
    GridColumn column(rowsTableView_->columnAt(point.x()));
    if (row.isNone() || column.value < 1 || row.value >= numberOfGridRows()) return;
    // A plain click's selection: the cell alone, focused.
    selection_->selectRowsTableViewCellAtRow(row, column, true);
    updateNumberOfRowsLabel();
    if (control) {
        window_.showEditFieldPanel();
    } else {
        window_.selectAddRowViewAtFieldIndex(state_.selection.focusedFieldIndex);
    }
}
