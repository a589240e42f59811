#pragma once
// The grid's cells: each one is drawn with the highlight its delegate names for the cell's tags
// (the text field's tag 3000 + field index, -1 in the row-number column; the image view's tag
// 3000 + data row index), and edited in place in a line edit that carries the same tags.
#include <QStyledItemDelegate>

#include <cstdint>

class QLineEdit;

class SpreadsheetTableCellViewDelegate {
  public:
    virtual ~SpreadsheetTableCellViewDelegate() = default;
    virtual bool isFocusedCellForTextFieldTag(int64_t textFieldTag, int64_t imageViewTag) const = 0;
    virtual bool highlightPasteDestinationCellForTextFieldTag(int64_t textFieldTag,
                                                              int64_t imageViewTag) const = 0;
    virtual bool highlightRowNumberCellForTextFieldTag(int64_t textFieldTag,
                                                       int64_t imageViewTag) const = 0;
    virtual bool highlightFocusedCellForTextFieldTag(int64_t textFieldTag,
                                                     int64_t imageViewTag) const = 0;
    virtual bool highlightSelectedRowForTextFieldTag(int64_t textFieldTag,
                                                     int64_t imageViewTag) const = 0;
    virtual bool highlightSelectedCellForTextFieldTag(int64_t textFieldTag,
                                                      int64_t imageViewTag) const = 0;
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

    // The tags of an editor's cell.
    static int64_t textFieldTag(const QWidget* control);
    static int64_t imageViewTag(const QWidget* control);

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
    void drawHighlight(QPainter* painter, const QRect& bounds, int64_t textFieldTag,
                       int64_t imageViewTag) const;

    SpreadsheetTableCellViewDelegate* spreadsheetDelegate_;  // not owned
    CellTextFieldDelegate* textFieldDelegate_;               // not owned
};
