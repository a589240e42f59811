#pragma once
// The clipboard window: the pasteboard's text as a grid of numbered rows and field columns
// ("ClipboardCol<position>"), rebuilt on request, and transposed on request with the text
// written back.
#include <QWidget>

#include "exchange/PasteboardText.h"

class QTableWidget;

class ClipboardWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kTransposeLimit = 100;

    ClipboardWindow();

    // Rebuilds from the pasteboard and brings the window to the front.
    void refreshAndShow();
    // Rebuilds from the pasteboard; without text the window keeps what it shows.
    void updateClipboardTableViewColumns();
    const TextGrid& clipboardContentsArray() const { return rows_; }
    QTableWidget* clipboardTableView() const { return table_; }
    // The widest text of the column in its rows, plus margins, at least 40.
    int sizeToFitWidthOfColumn(int column) const;

  public slots:
    void clipboardContentsRefreshButtonPressed() { updateClipboardTableViewColumns(); }
    void clipboardContentsTransposeButtonPressed();

  private:
    // The row-number column and one column per field position, then the rows shown.
    void showRows(size_t fieldColumns);
    // Puts the transposed text, and the own record's rows transposed, back on the pasteboard.
    void writeTransposed(const TextGrid& transposed, const PasteboardTextFormat& format);

    TextGrid rows_;
    QTableWidget* table_;
};
