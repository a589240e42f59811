#pragma once
// The print console: the selected object's rows as the current print layout puts them on paper,
// one box enlarged (box mode) or a whole page (page mode), and printing them to a printer or a
// PDF file. It loads the current layout each time it is shown and owns the layout panel.
#include <QPointer>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "exchange/LayoutPanel.h"
#include "exchange/PrintRowsView.h"
#include "mainwindow/Console.h"
#include "mainwindow/rows/RowsDataPort.h"

class DatabaseWindow;
class QAbstractButton;
class QLabel;
class QPrinter;

class PrintConsole : public Console, public PrintRowsViewDelegate, public LayoutPanelDelegate {
  public:
    // Reads its rows through the window's one row reader, the grid's.
    PrintConsole(DatabaseWindow& window, RowsDataPort& rowReader);
    ~PrintConsole() override;

    // ---- Console ----
    QWidget* view() override;
    void selectedObjectDidChange() override;
    void numberOfRowsDidChange() override;
    void consoleDidAppear() override;
    // While shown, the page starts again at the grid's focused row.
    void focusDidMove() override;
    void windowWillClose() override;

    // ---- Commands ----
    // Loads the current layout and redraws; the layout panel, when open, follows.
    void initializePrintViewAfterShown();
    // Shows box or page mode as the Box/Page control says.
    void showPrintView();
    // Segment 0 box mode, 1 page mode.
    void boxOrPageSegmentedControlChanged(int segment);
    void resizePrintRowsView();
    void updatePrintViewAfterTableChange();
    // Asks for a printer (or a PDF file) and prints the rows from the first printed row.
    void printButtonPressed() { printRows(); }
    void printRows();
    // Prints to the printer as it is set up; the pages printed.
    int64_t printRowsToPrinter(QPrinter& printer);
    // Prints to a PDF file; the pages printed.
    int64_t printRowsToPDF(const std::string& path);
    // Opens the layout panel, or brings it to the front.
    void layoutPanelButtonPressed();
    LayoutPanel* layoutPanel() const { return layoutPanel_.data(); }
    PrintRowsView* printRowsView() const { return printRowsView_; }

    // ---- PrintRowsViewDelegate ----
    const PrintLayout& printLayout() const override { return layout_; }
    int64_t numberOfRows() const override;
    int64_t numberOfFields() const override;
    int64_t printViewFirstRowIndex() const override;
    bool printPreviewMode() const override;
    bool designMode() const override;
    std::set<int64_t> selectedBoxObjectIndexSet() const override { return selectedObjects_; }
    void willDrawRows(int64_t firstRowIndex, int64_t count) override;
    nlohmann::json loadBoxObjects(int64_t rowIndex) override;

    // ---- LayoutPanelDelegate ----
    PrintLayout& currentLayout() override { return layout_; }
    void currentLayoutDidChange() override;
    std::vector<std::string> fieldNames() const override;
    bool hasLoadedRows() const override;
    std::string sampleFieldText(int64_t fieldPosition) override;
    void setDesignMode(bool designMode) override;
    void setSelectedBoxObjects(std::set<int64_t> objects) override;
    void showInfoAlert(const std::string& title, const std::string& text) override;

  private:
    void buildView();
    // The display texts of the row's fields; nullopt when it cannot be read.
    std::optional<std::vector<std::string>> formattedFieldValues(int64_t rowIndex);
    void readFailed(const std::string& error);
    // What a print prints, taken as it starts: from the focused record where the order now puts
    // it (from the focused place when it is gone) to the last of the rows counted then.
    struct PrintedRows {
        int64_t first = -1;
        int64_t count = 0;
    };
    PrintedRows rowsToPrint();
    void updateRowNumberLabel();
    void forgetReadRows();

    DatabaseWindow& window_;
    RowsDataPort& dataPort_;
    PrintLayout layout_;
    std::set<int64_t> selectedObjects_;
    // A tool window of the database window: whichever goes first takes it along.
    QPointer<LayoutPanel> layoutPanel_;
    // The rows of the page drawn last, read together.
    int64_t readFirstRow_ = 0;
    std::vector<DBValue> readRows_;
    std::string lastReadError_;
    // While a print runs, the rows it prints.
    std::optional<PrintedRows> printing_;

    QPointer<QWidget> view_;
    QWidget* rowsViewHost_ = nullptr;
    PrintRowsView* printRowsView_ = nullptr;
    QAbstractButton* boxButton_ = nullptr;
    QAbstractButton* pageButton_ = nullptr;
    QLabel* rowNumberLabel_ = nullptr;
};
