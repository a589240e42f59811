// The edit-field panel: its widgets, its two modes, its two layouts and saving.
#include "mainwindow/record/EditFieldPanel.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "mainwindow/DatabaseWindow.h"
#include "mainwindow/MenuCheckMarks.h"
#include "mainwindow/record/LocationEditor.h"
#include "mainwindow/record/WindowedTextView.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/MenuItemStates.h"
#include "platform/ui/QtStrings.h"

EditFieldPanel::EditFieldPanel(DatabaseWindow& window) : window_(window), state_(window.state()) {}

EditFieldPanel::~EditFieldPanel() {
    delete panel_.data();
}

bool EditFieldPanel::isShown() const {
    return panel_ && panel_->isVisible();
}

bool EditFieldPanel::isSheet() const {
    return sheet_;
}

void EditFieldPanel::buildPanel() {
    if (panel_) return;
    // Owned by the window it floats over, so that it closes with it.
    panel_ = new QDialog(window_.window(), Qt::Tool);
    panel_->setObjectName("editFieldPanel");
    panel_->resize(440, 460);
    auto* layout = new QVBoxLayout(panel_);
    auto* top = new QHBoxLayout;
    fieldNameLabel_ = new QLabel(panel_);
    fieldNameLabel_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    top->addWidget(fieldNameLabel_, 1);
    buildActionMenu();
    top->addWidget(actionMenuButton_);
    layout->addLayout(top);
    textView_ = new WindowedTextView(panel_);
    QFont font = textView_->font();
    font.setPointSize(15);
    textView_->setFont(font);
    layout->addWidget(textView_, 1);

    datePicker_ = new QDateTimeEdit(panel_);
    datePicker_->setDisplayFormat("yyyy-MM-dd");
    datePicker_->setCalendarPopup(true);
    datePicker_->setProperty("tag", kDatePickerTag);
    timePicker_ = new QDateTimeEdit(panel_);
    timePicker_->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
    timePicker_->setProperty("tag", kTimePickerTag);
    for (QDateTimeEdit* picker : {datePicker_, timePicker_}) {
        // Only the user's changes reach the text: the panel sets the pickers with signals held.
        connect(picker, &QDateTimeEdit::dateTimeChanged, this,
                [this, picker] { datePickerChanged(picker); });
        layout->addWidget(picker);
    }
    pickerPopUp_ = new QComboBox(panel_);
    connect(pickerPopUp_, &QComboBox::activated, this,
            &EditFieldPanel::editFieldPanelPickerValueChanged);
    layout->addWidget(pickerPopUp_);
    lookupTableView_ = new QTableWidget(0, 2, panel_);
    lookupTableView_->setHorizontalHeaderLabels(
        {toQString(localizedString("Key")), toQString(localizedString("Value"))});
    lookupTableView_->horizontalHeader()->setStretchLastSection(true);
    lookupTableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lookupTableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    lookupTableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(lookupTableView_, &QTableWidget::itemSelectionChanged, this,
            &EditFieldPanel::lookupTableSelectionChanged);
    layout->addWidget(lookupTableView_, 1);
    photoImageView_ = new QLabel(panel_);
    photoImageView_->setAlignment(Qt::AlignCenter);
    photoImageView_->setMinimumHeight(120);
    layout->addWidget(photoImageView_, 1);
    locationEditor_ = new LocationEditor(panel_);
    connect(locationEditor_, &LocationEditor::locationTextChosen, this,
            [this](const QString& text) { textView_->setWholeText(text); });
    layout->addWidget(locationEditor_, 1);

    // Takes the room below a strip and a small editor, and none while the text view fills it.
    layout->addSpacerItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto* buttons = new QHBoxLayout;
    specialButton_ = new QPushButton(panel_);
    connect(specialButton_, &QPushButton::clicked, this,
            &EditFieldPanel::editFieldPanelSpecialButtonPressed);
    buttons->addWidget(specialButton_);
    buttons->addStretch(1);
    cancelButton_ = new QPushButton(toQString(localizedString("Cancel")), panel_);
    connect(cancelButton_, &QPushButton::clicked, this,
            &EditFieldPanel::editFieldPanelCancelButtonPressed);
    buttons->addWidget(cancelButton_);
    saveButton_ = new QPushButton(toQString(localizedString("Save")), panel_);
    saveButton_->setAutoDefault(false);
    connect(saveButton_, &QPushButton::clicked, this,
            &EditFieldPanel::editFieldPanelSaveButtonPressed);
    buttons->addWidget(saveButton_);
    layout->addLayout(buttons);
    // Escape cancels a sheet and leaves a floating panel open.
    connect(panel_, &QDialog::rejected, this, [this] {
        if (sheet_) editFieldPanelCancelButtonPressed();
    });
    resetEditFieldPanelToTextType();
}

void EditFieldPanel::buildActionMenu() {
    actionMenuButton_ = new QToolButton(panel_);
    actionMenuButton_->setObjectName("editFieldPanelActionMenu");
    actionMenuButton_->setText(toQString(localizedString("Actions")));
    actionMenuButton_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(actionMenuButton_);
    for (auto [tag, title] : {std::pair{0, "Text"}, std::pair{1, "Hex"}}) {
        QAction* item = menu->addAction(toQString(localizedString(title)), this,
                                        [this, tag] { editFieldPanelActionMenuItemClicked(tag); });
        item->setData(tag);
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        applyMenuItemStates(menu, editFieldPanelActionMenuStates(isEditFieldPanelHex_));
    });
    actionMenuButton_->setMenu(menu);
}

void EditFieldPanel::editFieldPanelActionMenuItemClicked(int tag) {
    isEditFieldPanelHex_ = tag == 1;
}

void EditFieldPanel::showEditFieldPanel() {
    if (!window_.selectedTableNameIfOnlyOne() || state_.dataPort.totalRows < 1) return;
    buildPanel();
    if (!isShown()) {
        if (std::optional<QRect> cell = window_.focusedCellScreenRect()) {
            // Centred under the cell, its top half a cell's height below it.
            panel_->move(cell->center().x() - panel_->width() / 2,
                         cell->bottom() + cell->height() / 2);
        }
        sheet_ = false;
        panel_->setWindowModality(Qt::NonModal);
        cancelButton_->hide();
        saveButton_->setText(toQString(localizedString("Save")));
        saveButton_->setShortcut(QKeySequence("Ctrl+S"));
        saveButton_->setToolTip("Ctrl+S");
        panel_->show();
        // Made key, the panel takes the keys typed: its text has them, not its first button.
        textView_->setFocus();
    }
    panel_->raise();
    panel_->activateWindow();
    updateEditFieldPanel();
}

void EditFieldPanel::showEditFieldSheet(FieldIndex field, const DBValue& value) {
    buildPanel();
    if (isShown()) panel_->hide();
    sheet_ = true;
    target_.reset();
    updateEditFieldPanelWithRowIndex(state_.selection.focusedRowIndex, field, value);
    cancelButton_->show();
    saveButton_->setText(toQString(localizedString("Done")));
    saveButton_->setShortcut(QKeySequence("Ctrl+D"));
    saveButton_->setToolTip("Ctrl+D");
    const auto& names = state_.fieldModel.fieldNames;
    FieldPosition position = positionOfField(field);
    panel_->setWindowTitle(position.value >= 0 && position.value < int64_t(names.size())
                               ? toQString(names[size_t(position.value)])
                               : QString());
    panel_->setWindowModality(Qt::WindowModal);
    panel_->show();
    textView_->setFocus();
    panel_->raise();
}

void EditFieldPanel::closeEditFieldPanel() {
    if (!panel_) return;
    sheet_ = false;
    panel_->hide();
}

std::optional<CellTarget> EditFieldPanel::saveTargetOfFocusedCell() const {
    return CellWriter(window_).targetOfLoadedCell(state_.selection.focusedRowIndex,
                                                  state_.selection.focusedFieldIndex);
}

void EditFieldPanel::updateEditFieldPanel() {
    if (!isShown() || sheet_) return;
    std::optional<CellTarget> target = saveTargetOfFocusedCell();
    // A reload or redraw that leaves the focus on the cell keeps the text typed over its value;
    // a reload that found other fields does not, since the text's write would be refused.
    if (target && target_ && target->isSameCell(*target_) &&
        target->shown.fieldNames == target_->shown.fieldNames &&
        text() != target_->loaded.value_or(std::string())) {
        target_->cell.row = target->cell.row;
        return;
    }
    target_ = std::move(target);
    if (state_.dataPort.totalRows >= 1 && target_) {
        updateEditFieldPanelWithRowIndex(target_->cell.row, target_->cell.field, target_->loaded);
    } else {
        clearPanel();
    }
}

void EditFieldPanel::clearPanel() {
    target_.reset();
    field_ = FieldIndex();
    panel_->setWindowTitle(QString());
    fieldNameLabel_->clear();
    textView_->setWholeText(QString());
    saveButton_->setEnabled(false);
    resetEditFieldPanelToTextType();
}

void EditFieldPanel::hideEditors(QWidget* kept) {
    for (QWidget* editor :
         std::initializer_list<QWidget*>{datePicker_, timePicker_, pickerPopUp_, lookupTableView_,
                                         photoImageView_, locationEditor_, specialButton_}) {
        if (editor != kept) editor->hide();
    }
}

void EditFieldPanel::resetEditFieldPanelToTextType() {
    hideEditors();
    textView_->setMinimumHeight(0);
    textView_->setMaximumHeight(QWIDGETSIZE_MAX);
}

void EditFieldPanel::shrinkEditFieldPanelTextView() {
    textView_->setFixedHeight(kStripHeight);
}

void EditFieldPanel::setText(const std::string& text) {
    textView_->setWholeText(toQString(text));
}

std::string EditFieldPanel::text() const {
    return toStdString(textView_->wholeText());
}

void EditFieldPanel::editFieldPanelSaveButtonPressed() {
    if (!panel_ || !saveButton_->isEnabled()) return;
    if (sheet_) {
        saveInSheet();
    } else {
        saveInPanel();
    }
}

bool EditFieldPanel::isTextChanged() const {
    // An untouched NULL shows as empty text and stays NULL.
    const std::string typed = text();
    return target_ && (target_->loaded ? *target_->loaded != typed : !typed.empty());
}

void EditFieldPanel::saveInPanel() {
    // An unchanged value is not written.
    if (!isTextChanged()) return;
    std::string typed = text();
    const CellWriter::Report report{.alertWindow = panel_, .tellOtherWindows = true};
    // A failure leaves the text as typed, so nothing is lost.
    const CellWriter::Result result = CellWriter(window_).write(*target_, DBValue(typed), report);
    if (result.outcome == CellWriter::Outcome::RowsChanged) takeValueAsItStands();
    if (!result.written()) return;
    // The panel shows what was stored, as the grid does.
    if (target_->loaded != DBValue(typed)) setText(target_->loaded.value_or(std::string()));
}

void EditFieldPanel::takeValueAsItStands() {
    DBRow row;
    std::string ignored;
    const auto at = static_cast<size_t>(target_->cell.field.value);
    // Unread, the next Save is checked against the value as it was shown.
    if (DBInterface::readRowAsItStands(&row, &target_->shown, target_->table, target_->rowid,
                                       target_->databaseFilePath, &ignored) == 0 &&
        at < row.size()) {
        target_->loaded = std::move(row[at]);
    }
}

void EditFieldPanel::saveInSheet() {
    FieldIndex field = field_;
    std::string typed = text();
    sheet_ = false;
    panel_->hide();
    window_.editFieldSheetDidEnd(field, typed);
}

void EditFieldPanel::editFieldPanelCancelButtonPressed() {
    if (!panel_ || !sheet_) return;
    sheet_ = false;
    panel_->hide();
    window_.editFieldSheetDidEnd(field_, std::nullopt);
}
