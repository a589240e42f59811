#include "exchange/PrintConsole.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "Common/DBConnection.h"
#include "exchange/PrintLayoutStore.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/FieldDisplayText.h"
#include "mainwindow/RowCountText.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/FileNameStrings.h"
#include "platform/ui/QtStrings.h"

namespace {

// The host of the print rows view: the view keeps the page's or box's proportions in it.
class PrintRowsViewHost : public QWidget {
  public:
    using QWidget::QWidget;
    PrintRowsView* rowsView = nullptr;

  protected:
    void resizeEvent(QResizeEvent*) override {
        if (rowsView) rowsView->resizePrintRowsView();
    }
};

QString localizedText(const char* text) {
    return toQString(localizedString(text));
}

}  // namespace

PrintConsole::PrintConsole(DatabaseWindow& window, RowsDataPort& rowReader)
    : window_(window), dataPort_(rowReader) {
    buildView();
}

PrintConsole::~PrintConsole() {
    delete layoutPanel_.data();
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* PrintConsole::view() {
    return view_;
}

void PrintConsole::buildView() {
    view_ = new QWidget;
    view_->setObjectName("printView");
    auto* layout = new QVBoxLayout(view_);
    auto* bar = new QHBoxLayout;
    auto* segments = new QWidget(view_);
    segments->setObjectName("printViewBoxPageSegmentedControl");
    auto* segmentsLayout = new QHBoxLayout(segments);
    segmentsLayout->setContentsMargins(0, 0, 0, 0);
    segmentsLayout->setSpacing(0);
    auto* group = new QButtonGroup(segments);
    int segment = 0;
    for (const char* title : {"Box", "Page"}) {
        auto* button = new QToolButton(segments);
        button->setText(localizedText(title));
        button->setCheckable(true);
        group->addButton(button, segment++);
        segmentsLayout->addWidget(button);
    }
    boxButton_ = group->button(0);
    pageButton_ = group->button(1);
    (window_.state().printPreviewMode ? pageButton_ : boxButton_)->setChecked(true);
    QObject::connect(group, &QButtonGroup::idClicked,
                     [this](int id) { boxOrPageSegmentedControlChanged(id); });
    rowNumberLabel_ = new QLabel(view_);
    rowNumberLabel_->setObjectName("printViewRowNumberLabel");
    auto* layoutButton = new QPushButton(localizedText("Layout..."), view_);
    layoutButton->setObjectName("printViewLayoutButton");
    QObject::connect(layoutButton, &QPushButton::clicked, [this] { layoutPanelButtonPressed(); });
    auto* printButton = new QPushButton(localizedText("Print..."), view_);
    printButton->setObjectName("printViewPrintButton");
    QObject::connect(printButton, &QPushButton::clicked, [this] { printButtonPressed(); });
    bar->addWidget(segments);
    bar->addWidget(rowNumberLabel_, 1);
    bar->addWidget(layoutButton);
    bar->addWidget(printButton);
    layout->addLayout(bar);
    auto* host = new PrintRowsViewHost(view_);
    rowsViewHost_ = host;
    printRowsView_ = new PrintRowsView(host);
    printRowsView_->setDelegate(this);
    host->rowsView = printRowsView_;
    layout->addWidget(host, 1);
}

void PrintConsole::focusDidMove() {
    if (window_.state().selectedConsoleIndex != TablesAndRowsState::PrintConsole || !view_) return;
    initializePrintViewAfterShown();
    updateRowNumberLabel();
}

void PrintConsole::initializePrintViewAfterShown() {
    layout_ = PrintLayoutStore::loadCurrentPrintLayout();
    forgetReadRows();
    printRowsView_->update();
    if (layoutPanel_ && layoutPanel_->isVisible()) layoutPanel_->layoutPanelUpdateAll();
}

void PrintConsole::showPrintView() {
    window_.state().printPreviewMode = pageButton_->isChecked();
    resizePrintRowsView();
    updateRowNumberLabel();
}

void PrintConsole::boxOrPageSegmentedControlChanged(int segment) {
    (segment == 1 ? pageButton_ : boxButton_)->setChecked(true);
    showPrintView();
}

void PrintConsole::resizePrintRowsView() {
    printRowsView_->resizePrintRowsView();
}

void PrintConsole::updatePrintViewAfterTableChange() {
    forgetReadRows();
    if (!view_) return;
    printRowsView_->update();
    updateRowNumberLabel();
    if (layoutPanel_ && layoutPanel_->isVisible()) {
        layoutPanel_->reloadObjectsList();
        layoutPanel_->layoutPanelUpdateFieldPopUpButton();
        layoutPanel_->layoutPanelUpdateObjectArea();
    }
}

void PrintConsole::selectedObjectDidChange() {
    lastReadError_.clear();
    // Hidden or not: a change of fields moved the stored layouts' field objects, and the layout
    // held here, which an open layout panel edits and saves, must not move them back.
    initializePrintViewAfterShown();
    updatePrintViewAfterTableChange();
}

void PrintConsole::numberOfRowsDidChange() {
    updatePrintViewAfterTableChange();
}

void PrintConsole::consoleDidAppear() {
    initializePrintViewAfterShown();
    showPrintView();
}

void PrintConsole::windowWillClose() {
    if (layoutPanel_) layoutPanel_->close();
}

void PrintConsole::updateRowNumberLabel() {
    rowNumberLabel_->setText(
        toQString(rowNumberText(window_.state().selection.focusedRowIndex, numberOfRows())));
}

// ---- Printing ----

void PrintConsole::printRows() {
    const auto& port = window_.state().dataPort;
    if (port.totalRows - port.firstRowIndexInDataPort.value < 1) return;
    QPrinter printer(QPrinter::HighResolution);
    printing_ = rowsToPrint();
    QPrintDialog dialog(&printer, window_.window());
    dialog.setMinMax(1, static_cast<int>(std::max<int64_t>(
                            1, layout_.numberOfPages(numberOfRows(), printViewFirstRowIndex()))));
    if (dialog.exec() == QDialog::Accepted) printRowsToPrinter(printer);
    printing_.reset();
}

int64_t PrintConsole::printRowsToPrinter(QPrinter& printer) {
    // A side file of a database open here is SQLite's alone: written over, its database would be
    // damaged. It is refused as an output file that cannot be opened is: nothing is printed.
    if (const QString output = printer.outputFileName();
        !output.isEmpty() && DBConnection::isSideFileOfOpenDatabase(toStdFileName(output))) {
        return 0;
    }
    // Through the dialog the rows are those taken as it opened.
    const bool ownRows = !printing_;
    if (ownRows) printing_ = rowsToPrint();
    int64_t pages = PrintRowsView::printRows(printer, *this);
    if (ownRows) printing_.reset();
    forgetReadRows();
    return pages;
}

PrintConsole::PrintedRows PrintConsole::rowsToPrint() {
    const auto& state = window_.state();
    const RowIndex focused = state.selection.focusedRowIndex;
    PrintedRows rows{focused.value, state.dataPort.totalRows};
    // Rows deleted or added elsewhere since the page was read move the focused record from its
    // place, and leave the count short or over.
    std::string error;
    const int64_t counted = dataPort_.countRows(&error);
    if (counted < 0) {
        readFailed(error);
        return rows;
    }
    rows.count = counted;
    RowIndex found;
    const std::optional<std::string> rowid = state.dataPort.page.rowidText(focused);
    if (rowid && dataPort_.rowIndexOfRowid(*rowid, &found, &error) == 0 && !found.isNone()) {
        rows.first = found.value;
    }
    return rows;
}

int64_t PrintConsole::printRowsToPDF(const std::string& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(toQString(path));
    return printRowsToPrinter(printer);
}

// ---- Rows ----

int64_t PrintConsole::numberOfRows() const {
    return printing_ ? printing_->count : window_.state().dataPort.totalRows;
}

int64_t PrintConsole::numberOfFields() const {
    return window_.state().fieldModel.numberOfFields();
}

int64_t PrintConsole::printViewFirstRowIndex() const {
    return printing_ ? printing_->first : window_.state().selection.focusedRowIndex.value;
}

bool PrintConsole::printPreviewMode() const {
    return window_.state().printPreviewMode;
}

bool PrintConsole::designMode() const {
    return window_.state().designMode;
}

void PrintConsole::forgetReadRows() {
    readRows_.clear();
    readFirstRow_ = 0;
}

void PrintConsole::readFailed(const std::string& error) {
    // A page that cannot be read is drawn again and again: say so once.
    if (error == lastReadError_) return;
    lastReadError_ = error;
    window_.showErrorAlert(error, window_.window());
}

void PrintConsole::willDrawRows(int64_t firstRowIndex, int64_t count) {
    forgetReadRows();
    int64_t first = std::max<int64_t>(firstRowIndex, 0);
    int64_t end = std::min(firstRowIndex + count, numberOfRows());
    if (end <= first) return;
    std::string error;
    if (dataPort_.loadFieldValues(&readRows_, RowIndex(first), end - first, false, &error) != 0) {
        readRows_.clear();
        readFailed(error);
        return;
    }
    readFirstRow_ = first;
}

std::optional<std::vector<std::string>> PrintConsole::formattedFieldValues(int64_t rowIndex) {
    if (rowIndex < 0 || rowIndex >= numberOfRows()) return std::nullopt;
    const auto& state = window_.state();
    const int64_t perRow = state.dataPort.numberOfFieldsPerRow;
    if (perRow < 1) return std::nullopt;
    const int64_t readRows = static_cast<int64_t>(readRows_.size()) / perRow;
    std::vector<DBValue> single;
    const DBValue* row = nullptr;
    if (rowIndex >= readFirstRow_ && rowIndex < readFirstRow_ + readRows) {
        row = readRows_.data() + (rowIndex - readFirstRow_) * perRow;
    } else {
        std::string error;
        if (dataPort_.loadFieldValues(&single, RowIndex(rowIndex), 1, false, &error) != 0) {
            readFailed(error);
            return std::nullopt;
        }
        if (static_cast<int64_t>(single.size()) < perRow) return std::nullopt;
        row = single.data();
    }
    std::vector<std::string> texts;
    // The rowid comes first and is not a field.
    for (int64_t f = 1; f < perRow; ++f) {
        texts.push_back(formattedFieldValueObject(state, row[f], FieldIndex(f)));
    }
    return texts;
}

nlohmann::json PrintConsole::loadBoxObjects(int64_t rowIndex) {
    nlohmann::json objects = nlohmann::json::array();
    std::optional<std::vector<std::string>> texts = formattedFieldValues(rowIndex);
    if (!texts) return objects;
    for (nlohmann::json object : layout_.boxObjects) {
        if (isFieldObject(object)) {
            const nlohmann::json& index =
                object.contains("field_index") ? object["field_index"] : nlohmann::json();
            int64_t position = index.is_number() ? index.get<int64_t>() : -1;
            object["text"] = position >= 0 && position < static_cast<int64_t>(texts->size())
                                 ? (*texts)[static_cast<size_t>(position)]
                                 : std::string();
        }
        objects.push_back(std::move(object));
    }
    return objects;
}

// ---- Layout panel ----

void PrintConsole::layoutPanelButtonPressed() {
    if (!layoutPanel_) layoutPanel_ = new LayoutPanel(*this, window_.window());
    layoutPanel_->open();
    setDesignMode(true);
}

void PrintConsole::currentLayoutDidChange() {
    if (!view_) return;
    resizePrintRowsView();
    printRowsView_->update();
}

std::vector<std::string> PrintConsole::fieldNames() const {
    return window_.state().fieldModel.fieldNames;
}

bool PrintConsole::hasLoadedRows() const {
    return !window_.state().dataPort.page.empty();
}

std::string PrintConsole::sampleFieldText(int64_t fieldPosition) {
    std::optional<std::vector<std::string>> texts = formattedFieldValues(0);
    if (!texts || fieldPosition < 0 || fieldPosition >= static_cast<int64_t>(texts->size())) {
        return std::string();
    }
    return (*texts)[static_cast<size_t>(fieldPosition)];
}

void PrintConsole::setDesignMode(bool designMode) {
    window_.state().designMode = designMode;
    currentLayoutDidChange();
}

void PrintConsole::setSelectedBoxObjects(std::set<int64_t> objects) {
    selectedObjects_ = std::move(objects);
    if (printRowsView_) printRowsView_->update();
}

void PrintConsole::showInfoAlert(const std::string& title, const std::string& text) {
    window_.showAlert(title, text, window_.window());
}
