#pragma once
// In-place editing of grid cells: which cells may be edited, what the editor starts with, the
// keys inside an edited cell and those typed before the next edit opens, and writing the edited
// value to its row; a write that failed offers its text again.
#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/rows/CellWriter.h"
#include "mainwindow/rows/views/SpreadsheetTableCellView.h"

class CellTextField;
class DatabaseWindow;
class QLineEdit;
class GridSurface;
class RowsDataPort;
struct TablesAndRowsState;

class InPlaceEditor : public QObject {
    Q_OBJECT

  public:
    InPlaceEditor(GridSurface& rows, DatabaseWindow& window);

    bool isSelectedTableUpdateCapable() const;
    // Puts the focused cell into editing when it may be edited; what a command from an edited
    // cell queues after moving the focus.
    void startEditingFocusedCellThread();
    void doubleClickOnRow(QPoint point);
    bool controlTextViewDoCommandBySelector(QLineEdit* control, TextCommand command);
    void controlTextDidEndEditing(QLineEdit* control);
    // The edit being opened takes its target's value as loaded, held by the editor alone.
    bool controlTextWillBeginEditing(CellTextField* control);
    // The write of the edit ending left its row outside the rows shown (a search): the key that
    // ended it opens no next edit.
    void editedRowLeft() { editedRowLeft_ = true; }

  protected:
    // Holds the keys that reach the grid while an edit is on its way.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Opens the edit a command from an edited cell queued, then hands it the keys typed meanwhile.
    void startPendingEdit();
    // Hands the keys held while an edit was on its way to the edit, or to the grid.
    void sendKeysTypedAhead();
    // The grid row and column of the focused cell when an edit may start there.
    bool editableFocusedCell(GridRow* row, GridColumn* column) const;
    void beginEditingCell(GridRow row, GridColumn column);
    // Gives the cell's target; nullopt when it has no loaded row or field.
    // What an open in-place edit writes to is taken when it starts.
    std::optional<CellTarget> editTargetOfCell(GridRow row, GridColumn column) const;
    // Writes the edited text to its target; a failure that may pass is offered again.
    void writeEdit(CellTarget target, const std::string& text);
    // Shows a write's failure once the editor has closed, then offers its text again.
    void reportFailedEdit(const CellWriter::Result& result);
    // Opens the failed edit's cell again with the text typed.
    void reopenFailedEdit();
    // Moves the focus by rows or fields, bringing the data port along, for the edit that follows.
    void moveFocusForEditing(TextCommand command);
    // Focuses the cell, the data port brought along; with firstField the fields shown start there.
    void focusCellShowingIt(RowIndex rowIndex, FieldIndex field, FieldIndex firstField = {});

    GridSurface& rows_;
    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    RowsDataPort& dataPort_;
    std::optional<CellTarget> editTarget_;
    // The editor holding the target's value as loaded, which the target holds empty meanwhile.
    QPointer<CellTextField> holdingLoaded_;
    // An edit whose write failed: its cell and the text typed, offered again in a new edit.
    struct FailedEdit {
        CellTarget target;
        std::string text;
    };
    std::optional<FailedEdit> failedEdit_;
    // The editor holding a failed edit's text again, until it ends.
    QPointer<QLineEdit> offeredEditor_;
    // An edit queued by a command from an edited cell, and the keys typed before it (or a
    // failed edit offered again) opened.
    bool editStartPending_ = false;
    // The queued edit opens nowhere: its row left.
    bool pendingEditDropped_ = false;
    bool editedRowLeft_ = false;
    std::vector<std::unique_ptr<QEvent>> keysTypedAhead_;
};
