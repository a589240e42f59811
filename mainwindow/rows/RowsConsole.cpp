// The rows console's view and life cycle, and paging: the port's rows are counted, and only the
// page that fits in the grid is loaded; moves of the wheel and the scrollers merge into one load.
#include "mainwindow/rows/RowsConsole.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cassert>
#include <cmath>

#include "Common/DBInterface.h"
#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/rows/views/RowsLowerRightView.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/WaitCursor.h"

namespace {
constexpr int kDataScrollerThickness = 16;
}  // namespace

RowsConsole::RowsConsole(DatabaseWindow& window)
    : window_(window),
      state_(window.state()),
      dataPort_(window),
      columns_(window, dataPort_),
      cellCommands_(std::make_unique<CellCommands>(*this, window)),
      selection_(std::make_unique<GridSelection>(*this, window)),
      navigator_(std::make_unique<GridNavigator>(*this, window)),
      editor_(std::make_unique<InPlaceEditor>(*this, window)) {
    buildView();
}

RowsConsole::~RowsConsole() {
    if (view_) rowsTableView_->detachController();
    // A view never put into a window has no owner but us.
    if (view_ && !view_->parent()) delete view_.data();
}

QWidget* RowsConsole::view() {
    return view_;
}

void RowsConsole::buildView() {
    view_ = new QWidget;
    view_->setObjectName("rowsScrollView");
    auto* rowsLayout = new QVBoxLayout(view_);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsTableView_ = new RowsTableView(this, view_);
    rowsTableModel_ = rowsTableView_->rowsModel();
    rowsTableView_->installEventFilter(editor_.get());
    connect(rowsTableModel_, &QAbstractItemModel::dataChanged, this, &RowsConsole::noticeFocusMove);
    connect(rowsTableModel_, &QAbstractItemModel::modelReset, this, &RowsConsole::noticeFocusMove);
    columns_.setGrid(rowsTableView_, rowsTableModel_);
    // The grid's own scrollers: beside it the rows, below it the fields.
    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(0);
    gridRow->addWidget(rowsTableView_, 1);
    verticalDataScrollerView_ = new VerticalDataScrollerView(view_);
    verticalDataScrollerView_->setFixedWidth(kDataScrollerThickness);
    verticalDataScrollerView_->setController(this);
    gridRow->addWidget(verticalDataScrollerView_);
    rowsLayout->addLayout(gridRow, 1);
    auto* belowGrid = new QHBoxLayout;
    belowGrid->setSpacing(0);
    rowsViewNumberOfRowsButton_ = new QPushButton(view_);
    rowsViewNumberOfRowsButton_->setObjectName("rowsViewNumberOfRowsButton");
    rowsViewNumberOfRowsButton_->setFlat(true);
    belowGrid->addWidget(rowsViewNumberOfRowsButton_);
    horizontalDataScrollerView_ = new HorizontalDataScrollerView(view_);
    horizontalDataScrollerView_->setFixedHeight(kDataScrollerThickness);
    horizontalDataScrollerView_->setController(this);
    belowGrid->addWidget(horizontalDataScrollerView_, 1);
    rowsViewMoreFieldsPopUpButton_ = new QToolButton(view_);
    rowsViewMoreFieldsPopUpButton_->setObjectName("rowsViewMoreFieldsPopUpButton");
    rowsViewMoreFieldsPopUpButton_->setText(toQString(localizedString("First Field")));
    rowsViewMoreFieldsPopUpButton_->setPopupMode(QToolButton::InstantPopup);
    rowsViewMoreFieldsPopUpButton_->setMenu(new QMenu(rowsViewMoreFieldsPopUpButton_));
    rowsViewMoreFieldsPopUpButton_->setEnabled(false);
    // The scroller beside it gives way first, and the pop-up arrow gets room of its own rather
    // than covering the title's end: the title always shows whole.
    rowsViewMoreFieldsPopUpButton_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    rowsViewMoreFieldsPopUpButton_->setMinimumWidth(
        rowsViewMoreFieldsPopUpButton_->sizeHint().width() +
        rowsViewMoreFieldsPopUpButton_->style()->pixelMetric(QStyle::PM_MenuButtonIndicator));
    belowGrid->addWidget(rowsViewMoreFieldsPopUpButton_);
    auto* corner = new RowsLowerRightView(view_);
    corner->setFixedWidth(kDataScrollerThickness);
    corner->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    belowGrid->addWidget(corner);
    rowsLayout->addLayout(belowGrid);
}

void RowsConsole::selectedObjectWillChange() {
    // An open edit is written while the list and the page still say which row it belongs to.
    rowsTableView_->endEditing();
}

void RowsConsole::selectedObjectDidChange() {
    dataPort_.forgetQuery();
    if (state_.dataPort.numberOfFieldsPerRow >= 1) calculateTotalRows();
    reloadRowsConsoleColumns(window_.selectedTableNameIfOnlyOne());
    updateMoreFieldsButton();
    if (state_.dataPort.totalRows >= 1 && state_.dataPort.numberOfFieldsPerRow >= 1) {
        state_.selection.focusedRowIndex = RowIndex(0);
    }
}

void RowsConsole::consoleDidAppear() {
    if (QWidget* window = rowsTableView_->window()) window->activateWindow();
    rowsTableView_->setFocus();
}

void RowsConsole::windowWillClose() {
    // The edit in progress is written while the window still knows its database.
    rowsTableView_->endEditing();
}

void RowsConsole::showReadError(const std::string& error) {
    window_.showErrorAlert(error, window_.window());
}

void RowsConsole::calculateTotalRows() {
    std::string error;
    int64_t count;
    {
        WaitCursor waiting;
        count = dataPort_.countRows(&error);
    }
    countFailed_ = count < 0;
    if (countFailed_) {
        showReadError(error);
        count = 0;
    }
    state_.dataPort.totalRows = count;
}

void RowsConsole::loadPage(bool reloadCachedValues) {
    if (countFailed_) {
        // Its rows are unknown: a page read as well would fail a second time on the same cause
        // (another program's lock) and say so again.
        dataPort_.clearPage();
        return;
    }
    auto& port = state_.dataPort;
    std::vector<DBValue> page;
    std::string error;
    int64_t fileVersion = -1;
    int rc;
    {
        WaitCursor waiting;
        rc = dataPort_.loadPageValues(&page, port.firstRowIndexInDataPort, numberOfDataPortRows(),
                                      reloadCachedValues, &error, &fileVersion);
    }
    if (rc == 0) {
        dataPort_.takePage(std::move(page), fileVersion);
    } else if (RowsDataPort::isBusy(rc) && !port.page.empty()) {
        // A lock held elsewhere passes: the page shown stays, at the rows it shows.
        setFirstRowIndexInDataPort(port.page.firstRow());
    } else {
        // A file or fields gone: nothing shown of the object can be trusted any longer.
        dataPort_.clearPage();
    }
    if (rc != 0) showReadError(error);
    assert(port.page.numberOfRows() <= numberOfDataPortRows());
}

void RowsConsole::reloadFieldValues() {
    state_.dataPort.dataPortLoadPending = false;
    loadPage(false);
}

void RowsConsole::resetTableSelections() {
    state_.assertConsistent();
    auto& port = state_.dataPort;
    auto& selection = state_.selection;
    port.firstRowIndexInDataPort = RowIndex(0);
    calculateTotalRows();
    port.firstFieldIndexInDataPort = kFirstFieldIndex;
    selection.focusedRowIndex = port.totalRows >= 1 ? RowIndex(0) : RowIndex();
    selection.focusedFieldIndex = port.firstFieldIndexInDataPort;
    selection_->forgetSelected();
    selection.fieldIndexesOfDirtyData.clear();
    port.dataPortLoadPending = false;
    loadPage(true);
    updateColumns(window_.selectedTableNameIfOnlyOne());
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
    if (numberOfRows() > 0) rowsTableView_->scrollToTop();
}

double RowsConsole::verticalDataScrollerViewHeight() const {
    return std::max(1.0, double(rowsTableView_->viewport()->height()));
}

int64_t RowsConsole::numberOfDataPortRows() const {
    int rowHeight = std::max(rowsTableView_->rowHeight(), 1);
    return std::max<int64_t>(
        1, static_cast<int64_t>(std::trunc(verticalDataScrollerViewHeight() / rowHeight)));
}

int64_t RowsConsole::totalNumberOfFieldsToShow() const {
    return std::max<int64_t>(state_.dataPort.numberOfFieldsPerRow, 1) - 1;
}

FieldIndex RowsConsole::nextFieldIndexInViewport(FieldIndex field) const {
    return field.value + 1 < state_.dataPort.numberOfFieldsPerRow ? field + 1 : kFirstFieldIndex;
}

FieldIndex RowsConsole::fieldIndexFromTableViewColumn(GridColumn column, GridRow row) const {
    if (column.value < 1 || column.value >= numberOfColumns() || row.isNone() ||
        row.value >= numberOfRows()) {
        return FieldIndex();
    }
    return dataPort_.fieldIndexFromDataColumn(column.value - 1);
}

void RowsConsole::setFirstRowIndexInDataPort(RowIndex rowIndex) {
    auto& port = state_.dataPort;
    RowIndex& focused = state_.selection.focusedRowIndex;
    port.firstRowIndexInDataPort = rowIndex;
    // A table emptied under the window keeps no focus on a row that is gone.
    if (port.totalRows < 1) {
        focused = RowIndex();
    } else if (!focused.isNone()) {
        RowIndex lastRow(std::min(rowIndex.value + numberOfDataPortRows(), port.totalRows) - 1);
        focused = std::clamp(focused, rowIndex, std::max(lastRow, rowIndex));
    }
}

void RowsConsole::moveDataPortToRow(RowIndex rowIndex) {
    state_.assertConsistent();
    if (!state_.dataPort.holdsRow(rowIndex)) return;
    setFirstRowIndexInDataPort(rowIndex);
    loadDataPort();
}

void RowsConsole::moveDataPortToRowIndex(RowIndex rowIndex) {
    state_.assertConsistent();
    if (!state_.dataPort.holdsRow(rowIndex)) return;
    // An edit in progress is written before its row leaves the grid.
    rowsTableView_->endEditing();
    setFirstRowIndexInDataPort(rowIndex);
    scheduleDataPortLoad();
    updateRowsViewScrollBars();
}

void RowsConsole::reloadRowsKeepingPort() {
    state_.assertConsistent();
    const std::optional<std::string> focused = focusedRowid();
    // Rows that came, left or moved (a write under a search or sort) shift positions: the
    // selection keeps only the rows it holds by rowid, and the focus follows its row.
    selection_->keepShownRowsAcross([&] {
        auto& port = state_.dataPort;
        calculateTotalRows();
        RowIndex lastFirstRow(std::max<int64_t>(0, port.totalRows - numberOfDataPortRows()));
        setFirstRowIndexInDataPort(std::min(port.firstRowIndexInDataPort, lastFirstRow));
        reloadFieldValues();
        if (focused) followRow(*focused);
    });
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
}

std::optional<std::string> RowsConsole::focusedRowid() const {
    return state_.dataPort.page.rowidText(state_.selection.focusedRowIndex);
}

bool RowsConsole::followRow(const std::string& rowid) {
    auto& port = state_.dataPort;
    RowIndex& focused = state_.selection.focusedRowIndex;
    for (RowIndex row = port.page.firstRow(); port.page.holds(row); ++row) {
        if (*port.page.rowid(row) == rowid) {
            focused = row;
            return true;
        }
    }
    RowIndex found;
    std::string error;
    {
        WaitCursor waiting;
        if (dataPort_.rowIndexOfRowid(rowid, &found, &error) != 0) return false;
    }
    // Rows added since the count (a trigger's) are counted with it.
    if (!found.isNone() && !port.holdsRow(found)) calculateTotalRows();
    if (!port.holdsRow(found)) return false;
    const int64_t rows = numberOfDataPortRows();
    RowIndex firstRow = std::min(port.firstRowIndexInDataPort, found);
    if (found >= firstRow + rows) firstRow = found - (rows - 1);
    focused = found;
    setFirstRowIndexInDataPort(firstRow);
    reloadFieldValues();
    return true;
}

void RowsConsole::rowsDidChange() {
    selection_->forgetSelected();
    reloadRowsKeepingPort();
}

void RowsConsole::moveFocusedRowBy(int64_t offset) {
    state_.assertConsistent();
    if (offset < 0) {
        navigator_->move(MoveDirection::Up, -offset, true);
    } else {
        navigator_->move(MoveDirection::Down, offset, true);
    }
    loadPendingDataPort();
}

void RowsConsole::moveDataPortToFieldIndex(FieldIndex field) {
    state_.assertConsistent();
    changeFirstFieldFieldIndexToShow(field);
    updateRowsViewScrollBars();
}

void RowsConsole::scheduleDataPortLoad() {
    if (state_.dataPort.dataPortLoadPending) return;
    state_.dataPort.dataPortLoadPending = true;
    // Runs after the events already waiting, so a burst of moves loads one page.
    QTimer::singleShot(0, this, [this] { loadPendingDataPort(); });
}

void RowsConsole::loadPendingDataPort() {
    state_.assertConsistent();
    if (state_.dataPort.dataPortLoadPending) loadDataPort();
}

void RowsConsole::loadDataPort() {
    reloadFieldValues();
    rowsTableModel_->reload();
    updateRowsViewScrollBars();
}

int64_t RowsConsole::numberOfGridRows() const {
    const auto& port = state_.dataPort;
    if (port.numberOfFieldsPerRow < 1) return 0;
    return std::clamp<int64_t>(port.totalRows - port.firstRowIndexInDataPort.value, 0,
                               numberOfDataPortRows());
}

void RowsConsole::updateNumberOfRowsLabel() {
    window_.updateNumberOfRowsLabel();
}

void RowsConsole::numberOfRowsDidChange() {
    bool shown = window_.selectedTableName().has_value();
    rowsViewNumberOfRowsButton_->setText(
        shown ? toQString(localizedFormat("%ld", {std::to_string(state_.dataPort.totalRows)}))
              : QString());
}

void RowsConsole::updateRowsViewScrollBars() {
    updateNumberOfRowsLabel();
    rowsTableView_->viewport()->update();
    verticalDataScrollerView_->update();
    horizontalDataScrollerView_->update();
}

bool RowsConsole::isRowsTableViewFirstResponder() const {
    return rowsTableView_ && QApplication::focusWidget() == rowsTableView_;
}

void RowsConsole::redrawGrid() {
    rowsTableModel_->reload();
}

int RowsConsole::numberOfColumns() const {
    return rowsTableView_->numberOfColumns();
}

int RowsConsole::numberOfRows() const {
    return rowsTableView_->numberOfRows();
}

GridRow RowsConsole::gridRowAt(QPoint point) const {
    return GridRow(rowsTableView_->rowAt(point.y()));
}

GridColumn RowsConsole::gridColumnAt(QPoint point) const {
    return GridColumn(rowsTableView_->columnAt(point.x()));
}

void RowsConsole::repaintGrid() {
    rowsTableView_->viewport()->update();
}

void RowsConsole::focusGrid() {
    rowsTableView_->setFocus();
}

QWidget* RowsConsole::gridWidget() const {
    return rowsTableView_;
}

void RowsConsole::endEditing() {
    rowsTableView_->endEditing();
}

void RowsConsole::editCell(GridRow row, GridColumn column) {
    rowsTableView_->editCell(static_cast<int>(row.value), static_cast<int>(column.value));
}

QWidget* RowsConsole::cellEditor() const {
    return rowsTableView_->isEditing() ? rowsTableView_->indexWidget(rowsTableView_->currentIndex())
                                       : nullptr;
}
