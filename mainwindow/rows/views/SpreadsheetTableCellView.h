#pragma once
// The grid's cells: each one is drawn with the highlight its delegate names for the cell (its row
// of the object and its field; the row-number column has no field), and edited in place in a
// line edit that carries the same cell.
#include <QStyledItemDelegate>

#include <cstdint>

#include "mainwindow/IndexSpaces.h"

class CellTextField;
class QLineEdit;

class SpreadsheetTableCellViewDelegate {
  public:
    virtual ~SpreadsheetTableCellViewDelegate() = default;
    virtual bool isFocusedCell(CellIdentity cell) const = 0;
    virtual bool highlightPasteDestinationCell(CellIdentity cell) const = 0;
    virtual bool highlightRowNumberCell(CellIdentity cell) const = 0;
    virtual bool highlightFocusedCell(CellIdentity cell) const = 0;
    virtual bool highlightSelectedRow(CellIdentity cell) const = 0;
    virtual bool highlightSelectedCell(CellIdentity cell) const = 0;
    virtual bool isRowsTableViewFirstResponder() const = 0;
};

// The editing commands a cell's line edit hands to its text-field delegate before acting on them.
enum class TextCommand { Cancel, InsertNewline, InsertTab, InsertBacktab, MoveUp, MoveDown };

class CellTextFieldDelegate {
  public:
    virtual ~CellTextFieldDelegate() = default;
    // Called after the edit has ended for every command but Cancel and InsertNewline, so the
    // command may move the focus and start the next edit.
    virtual bool controlTextViewDoCommandBySelector(QLineEdit* control, TextCommand command) = 0;
    // The edit ended with the text to keep (never for Escape).
    virtual void controlTextDidEndEditing(QLineEdit* control) = 0;
    // Gives an editor being opened the value it edits as loaded, which it then holds alone;
    // false when there is none to give and the editor takes the model's text.
    virtual bool controlTextWillBeginEditing(CellTextField* control) = 0;
};

class SpreadsheetTableCellView : public QStyledItemDelegate {
    Q_OBJECT

  public:
    SpreadsheetTableCellView(SpreadsheetTableCellViewDelegate* spreadsheetDelegate,
                             CellTextFieldDelegate* textFieldDelegate, QObject* parent);

    SpreadsheetTableCellViewDelegate* spreadsheetDelegate() const { return spreadsheetDelegate_; }
    void setSpreadsheetDelegate(SpreadsheetTableCellViewDelegate* delegate) {
        spreadsheetDelegate_ = delegate;
    }

    // The cell an editor edits; none for a widget that is not a cell's editor.
    static CellIdentity cellOfEditor(const QWidget* control);
    // The cell a model index shows.
    static CellIdentity cellOfIndex(const QModelIndex& index);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    // Paints the first highlight rule that holds for the cell, if any.
    void drawHighlight(QPainter* painter, const QRect& bounds, CellIdentity cell) const;

    SpreadsheetTableCellViewDelegate* spreadsheetDelegate_;  // not owned
    CellTextFieldDelegate* textFieldDelegate_;               // not owned
};
