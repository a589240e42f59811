#include "exchange/LayoutPanel.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "exchange/FontCatalog.h"
#include "exchange/PrintLayoutStore.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/QtStrings.h"
#include "platform/ui/ReorderDrag.h"

using nlohmann::json;

namespace {

QString localizedText(const char* text) {
    return toQString(localizedString(text));
}

int64_t objectType(const json& object) {
    const json& type = object.contains("type") ? object["type"] : json();
    return type.is_number() ? type.get<int64_t>() : kFieldObjectType;
}

int64_t fieldIndexOf(const json& object) {
    const json& index = object.contains("field_index") ? object["field_index"] : json();
    return index.is_number() ? index.get<int64_t>() : -1;
}

std::string lengthText(double inches) {
    char text[64];
    std::snprintf(text, sizeof text, "%1.04f", inches);
    return text;
}

Qt::Alignment qtAlignment(int alignment) {
    return alignment == 1 ? Qt::AlignHCenter : alignment == 2 ? Qt::AlignRight : Qt::AlignLeft;
}

constexpr int kFieldItem = 0, kTextItem = 1, kNewlineItem = 2;
// The font size shown for a layout without one.
constexpr double kFallbackFontSize = 13;
// A text object's row keeps the bare text here: the row itself shows it after the object's mark.
constexpr int kObjectTextRole = Qt::UserRole + 1;

// Edits the bare text of a text object's row and hands it to the panel, which stores it and lists
// the objects again.
class ObjectTextDelegate : public QStyledItemDelegate {
  public:
    ObjectTextDelegate(QObject* parent, std::function<void(int, const QString&)> textDidEnd)
        : QStyledItemDelegate(parent), textDidEnd_(std::move(textDidEnd)) {}

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setText(index.data(kObjectTextRole).toString());
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) textDidEnd_(index.row(), line->text());
    }

  private:
    std::function<void(int, const QString&)> textDidEnd_;
};

}  // namespace

LayoutPanel::LayoutPanel(LayoutPanelDelegate& delegate, QWidget* parent)
    : QDialog(parent, Qt::Tool), delegate_(delegate) {
    setObjectName("layoutPanel");
    setWindowTitle(localizedText("Print Layout"));
    setModal(false);
    buildView();
    // Return ends the editing of a field; it must not press a button as well (Delete).
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
    resize(960, 480);
}

QLineEdit* LayoutPanel::addSettingsField(QGridLayout* grid, int row, int column, const char* label,
                                         const char* name) {
    auto* field = new QLineEdit(settingsArea_);
    field->setObjectName(name);
    field->setMaximumWidth(80);
    grid->addWidget(new QLabel(localizedText(label), settingsArea_), row, column);
    grid->addWidget(field, row, column + 1);
    connect(field, &QLineEdit::editingFinished, this,
            [this, field] { settingsFieldDidEndEditing(field); });
    return field;
}

void LayoutPanel::buildView() {
    auto* columns = new QHBoxLayout(this);

    // Layouts.
    auto* layoutsSide = new QVBoxLayout;
    layoutsList_ = new QListWidget(this);
    layoutsList_->setObjectName("layoutPanelLayoutsTableView");
    layoutsList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layoutsList_->setEditTriggers(QAbstractItemView::DoubleClicked);
    connect(layoutsList_, &QListWidget::itemSelectionChanged, this,
            [this] { layoutPanelUpdateButtonsFromLayoutsTableView(); });
    connect(layoutsList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (updating_) return;
        // The list is refilled by the rename: not while it reports the edit of one of its items.
        QTimer::singleShot(0, this, [this, row = layoutsList_->row(item), name = item->text()] {
            renameLayoutAtRow(row, toStdString(name));
        });
    });
    addLayoutButton_ = new QToolButton(this);
    addLayoutButton_->setObjectName("layoutPanelAddLayoutButton");
    addLayoutButton_->setText(localizedText("New Layout"));
    addLayoutButton_->setPopupMode(QToolButton::InstantPopup);
    auto* addMenu = new QMenu(addLayoutButton_);
    const std::pair<const char*, int> presets[] = {
        {"Copy of the Current Layout", kCopyOfCurrentLayout},
        {"One Box a Page", PrintLayoutStore::kOneBoxPage},
        {"2 x 2 Boxes a Page", PrintLayoutStore::kTwoByTwoPage},
        {"Labels, 2 x 10 a Page (4 x 1 inch)", PrintLayoutStore::kLabelSheet}};
    for (const auto& [title, tag] : presets) {
        int presetTag = tag;
        addMenu->addAction(localizedText(title), this,
                           [this, presetTag] { layoutPanelAddLayoutButtonPressed(presetTag); });
    }
    addLayoutButton_->setMenu(addMenu);
    deleteLayoutButton_ = new QPushButton(localizedText("Delete"), this);
    deleteLayoutButton_->setObjectName("layoutPanelDeleteLayoutButton");
    connect(deleteLayoutButton_, &QPushButton::clicked, this,
            [this] { layoutPanelDeleteLayoutButtonPressed(); });
    auto* layoutButtons = new QHBoxLayout;
    layoutButtons->addWidget(addLayoutButton_);
    layoutButtons->addWidget(deleteLayoutButton_);
    layoutsList_->setMaximumWidth(220);
    layoutsSide->addWidget(new QLabel(localizedText("Layouts"), this));
    layoutsSide->addWidget(layoutsList_, 1);
    layoutsSide->addLayout(layoutButtons);
    columns->addLayout(layoutsSide);

    // Settings.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("layoutPanelSettingsScrollView");
    settingsArea_ = new QWidget;
    auto* grid = new QGridLayout(settingsArea_);
    rowsField_ = addSettingsField(grid, 0, 0, "Rows", "layoutPanelPageGridRowsTextField");
    columnsField_ = addSettingsField(grid, 1, 0, "Columns", "layoutPanelPageGridColumnsTextField");
    struct Length {
        const char* label;
        const char* name;
        double PrintLayout::*value;
    };
    const Length lengths[] = {
        {"Page left", "layoutPanelPageMarginsLeftTextField", &PrintLayout::pageOffsetFromLeft},
        {"Page top", "layoutPanelPageMarginsTopTextField", &PrintLayout::pageOffsetFromTop},
        {"Page right", "layoutPanelPageMarginsRightTextField", &PrintLayout::pageOffsetFromRight},
        {"Page bottom", "layoutPanelPageMarginsBottomTextField",
         &PrintLayout::pageOffsetFromBottom},
        {"Box left", "layoutPanelBoxMarginsLeftTextField", &PrintLayout::boxOffsetFromLeft},
        {"Box top", "layoutPanelBoxMarginsTopTextField", &PrintLayout::boxOffsetFromTop},
        {"Box right", "layoutPanelBoxMarginsRightTextField", &PrintLayout::boxOffsetFromRight},
        {"Box bottom", "layoutPanelBoxMarginsBottomTextField", &PrintLayout::boxOffsetFromBottom},
        {"Box spacing across", "layoutPanelBoxSpacingHorizontalTextField",
         &PrintLayout::boxHorizontalSpacing},
        {"Box spacing down", "layoutPanelBoxSpacingVerticalTextField",
         &PrintLayout::boxVerticalSpacing},
        {"Object spacing across", "layoutPanelObjectSpacingHorizontalTextField",
         &PrintLayout::objectHorizontalSpacing},
        {"Object spacing down", "layoutPanelObjectSpacingVerticalTextField",
         &PrintLayout::objectVerticalSpacing}};
    int index = 0;
    for (const Length& length : lengths) {
        lengthFields_.emplace_back(addSettingsField(grid, 2 + index, 0, length.label, length.name),
                                   length.value);
        ++index;
    }
    grid->addWidget(new QLabel(localizedText("Lengths in inches"), settingsArea_), 2 + index, 0, 1,
                    2);
    grid->setRowStretch(3 + index, 1);
    scroll->setWidget(settingsArea_);
    scroll->setWidgetResizable(true);
    scroll->setMinimumWidth(settingsArea_->sizeHint().width() + 24);
    columns->addWidget(scroll, 1);

    // Objects and their editor.
    auto* objectsSide = new QVBoxLayout;
    objectsList_ = new QListWidget(this);
    objectsList_->setObjectName("layoutPanelObjectsTableView");
    objectsList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Only a double click on a text object edits a row.
    objectsList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    objectsList_->setItemDelegate(
        new ObjectTextDelegate(objectsList_, [this](int row, const QString& text) {
            // The list is filled again by the store: not while its editor is closing.
            QTimer::singleShot(0, this, [this, row, text = toStdString(text)] {
                objectTextDidEndEditing(row, text);
            });
        }));
    connect(objectsList_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        layoutPanelObjectsTableViewDoubleClickOnRow(objectsList_->row(item));
    });
    new ReorderDrag(
        objectsList_, kAddRowsFromLayoutWindowObjectsTableType,
        [this](const std::vector<int>& rows, int destination) { moveObjects(rows, destination); });
    connect(objectsList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!updating_) layoutPanelUpdateObjectArea();
    });
    objectTypePopUp_ = new QComboBox(this);
    objectTypePopUp_->setObjectName("layoutPanelObjectTypePopUpButton");
    objectTypePopUp_->addItems(
        {localizedText("Field"), localizedText("Text"), localizedText("Newline")});
    connect(objectTypePopUp_, &QComboBox::activated, this,
            [this] { layoutPanelUpdateObjectAreaFromObjectType(); });
    fieldPopUp_ = new QComboBox(this);
    fieldPopUp_->setObjectName("layoutPanelFieldPopUpButton");
    connect(fieldPopUp_, &QComboBox::activated, this,
            [this] { layoutPanelUpdateObjectTextFieldValue(); });
    objectTextField_ = new QLineEdit(this);
    objectTextField_->setObjectName("layoutPanelObjectTextField");
    alignmentControl_ = new QWidget(this);
    alignmentControl_->setObjectName("layoutPanelAlignmentSegmentedControl");
    auto* alignmentLayout = new QHBoxLayout(alignmentControl_);
    alignmentLayout->setContentsMargins(0, 0, 0, 0);
    alignmentGroup_ = new QButtonGroup(alignmentControl_);
    int segment = 0;
    for (const char* title : {"Left", "Center", "Right"}) {
        auto* button = new QToolButton(alignmentControl_);
        button->setText(localizedText(title));
        button->setCheckable(true);
        alignmentGroup_->addButton(button, segment++);
        alignmentLayout->addWidget(button);
    }
    alignmentGroup_->button(0)->setChecked(true);
    connect(alignmentGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { objectTextField_->setAlignment(qtAlignment(id)); });
    fontBox_ = new QGroupBox(localizedText("Font"), this);
    fontBox_->setObjectName("layoutPanelFontBox");
    auto* fontLayout = new QGridLayout(fontBox_);
    fontFamilyPopUp_ = new QComboBox(fontBox_);
    fontFamilyPopUp_->setObjectName("layoutPanelFontFamilyPopUpButton");
    connect(fontFamilyPopUp_, &QComboBox::activated, this, [this] {
        layoutPanelPopulateFontFamily(toStdString(fontFamilyPopUp_->currentText()), std::nullopt);
        layoutPanelUpdateFontForObjectTextField();
    });
    fontMembersPopUp_ = new QComboBox(fontBox_);
    fontMembersPopUp_->setObjectName("layoutPanelFontMembersPopUpButton");
    connect(fontMembersPopUp_, &QComboBox::activated, this,
            [this] { layoutPanelUpdateFontForObjectTextField(); });
    fontSizeField_ = new QLineEdit(fontBox_);
    fontSizeField_->setObjectName("layoutPanelFontSizeTextField");
    fontSizeField_->setMaximumWidth(60);
    connect(fontSizeField_, &QLineEdit::editingFinished, this,
            [this] { layoutPanelUpdateFontForObjectTextField(); });
    fontFallbackLabel_ = new QLabel(fontBox_);
    fontFallbackLabel_->setObjectName("layoutPanelFontFallbackLabel");
    fontFallbackLabel_->setWordWrap(true);
    fontLayout->addWidget(fontFamilyPopUp_, 0, 0);
    fontLayout->addWidget(fontMembersPopUp_, 0, 1);
    fontLayout->addWidget(fontSizeField_, 0, 2);
    fontLayout->addWidget(fontFallbackLabel_, 1, 0, 1, 3);
    addObjectButton_ = new QPushButton(localizedText("Add"), this);
    addObjectButton_->setObjectName("layoutPanelAddObjectToBoxButton");
    connect(addObjectButton_, &QPushButton::clicked, this,
            [this] { layoutPanelAddObjectToBoxButtonPressed(); });
    saveObjectButton_ = new QPushButton(localizedText("Save"), this);
    saveObjectButton_->setObjectName("layoutPanelSaveObjectButton");
    connect(saveObjectButton_, &QPushButton::clicked, this,
            [this] { layoutPanelSaveObjectButtonPressed(); });
    deleteObjectButton_ = new QPushButton(localizedText("Delete"), this);
    deleteObjectButton_->setObjectName("layoutPanelDeleteObjectButton");
    connect(deleteObjectButton_, &QPushButton::clicked, this,
            [this] { layoutPanelDeleteSelectedObjects(); });
    auto* objectButtons = new QHBoxLayout;
    objectButtons->addWidget(addObjectButton_);
    objectButtons->addWidget(saveObjectButton_);
    objectButtons->addWidget(deleteObjectButton_);
    objectsSide->addWidget(new QLabel(localizedText("Objects in the box"), this));
    objectsSide->addWidget(objectsList_, 1);
    objectsSide->addWidget(objectTypePopUp_);
    objectsSide->addWidget(fieldPopUp_);
    objectsSide->addWidget(objectTextField_);
    objectsSide->addWidget(alignmentControl_);
    objectsSide->addWidget(fontBox_);
    objectsSide->addLayout(objectButtons);
    columns->addLayout(objectsSide, 1);
}

void LayoutPanel::open() {
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    reloadLayouts();
    layoutPanelSelectLayoutWithName(PrintLayoutStore::currentPrintLayoutName());
    layoutPanelUpdateFieldPopUpButton();
    reloadObjectsList();
    layoutPanelUpdateObjectArea();
    selectAlignment(0);
    layoutPanelUpdateObjectAreaFromObjectType();
    layoutPanelUpdateObjectTextFieldValue();
    show();
    raise();
    addObjectButton_->setFocus();
}

void LayoutPanel::hideEvent(QHideEvent* event) {
    // Closed, or hidden by Escape.
    delegate_.setDesignMode(false);
    QDialog::hideEvent(event);
}

// ---- Layouts ----

void LayoutPanel::reloadLayouts() {
    layoutPanelLayouts_ = PrintLayoutStore::layoutNames();
    updating_ = true;
    layoutsList_->clear();
    auto* defaultItem = new QListWidgetItem(localizedText("(Default Layout)"), layoutsList_);
    defaultItem->setFlags(defaultItem->flags() & ~Qt::ItemIsEditable);
    for (const std::string& name : layoutPanelLayouts_) {
        auto* item = new QListWidgetItem(toQString(name), layoutsList_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    updating_ = false;
}

void LayoutPanel::layoutPanelAddLayoutButtonPressed(int tag) {
    std::string name = PrintLayoutStore::addLayout(tag, delegate_.currentLayout());
    reloadLayouts();
    layoutPanelSelectLayoutWithName(name);
}

std::vector<int> LayoutPanel::selectedLayoutRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : layoutsList_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void LayoutPanel::layoutPanelDeleteLayoutButtonPressed() {
    std::vector<std::string> names;
    bool defaultSelected = false;
    for (int row : selectedLayoutRows()) {
        if (row == 0) defaultSelected = true;
        if (row >= 1 && row <= static_cast<int>(layoutPanelLayouts_.size())) {
            names.push_back(layoutPanelLayouts_[static_cast<size_t>(row - 1)]);
        }
    }
    if (defaultSelected) {
        delegate_.showInfoAlert(localizedString("Info"),
                                localizedString("The Default Layout cannot be deleted"));
    }
    PrintLayoutStore::deleteLayouts(names);
    reloadLayouts();
    layoutPanelSelectLayoutWithName(std::nullopt);
}

void LayoutPanel::layoutPanelSelectLayoutWithName(const std::optional<std::string>& name) {
    int row = 0;
    if (name) {
        auto found = std::find(layoutPanelLayouts_.begin(), layoutPanelLayouts_.end(), *name);
        int position = static_cast<int>(found - layoutPanelLayouts_.begin());
        if (found != layoutPanelLayouts_.end() && position + 1 < layoutsList_->count()) {
            row = position + 1;
        }
    }
    if (layoutsList_->count() < 1) return;
    layoutsList_->clearSelection();
    layoutsList_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    layoutPanelUpdateDeleteLayoutButton();
}

void LayoutPanel::layoutPanelUpdateDeleteLayoutButton() {
    std::vector<int> rows = selectedLayoutRows();
    deleteLayoutButton_->setEnabled(!rows.empty() && rows.front() != 0);
}

void LayoutPanel::enableEditor(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             objectTypePopUp_, fieldPopUp_, fontBox_, alignmentControl_, addObjectButton_,
             deleteObjectButton_, saveObjectButton_, objectsList_, settingsArea_}) {
        control->setEnabled(enabled);
    }
}

void LayoutPanel::layoutPanelUpdateButtonsFromLayoutsTableView() {
    if (updating_) return;
    std::vector<int> rows = selectedLayoutRows();
    if (rows.size() != 1) {
        enableEditor(false);
        layoutPanelUpdateDeleteLayoutButton();
        return;
    }
    int row = rows.front();
    // The editor starts over for the layout chosen: left aligned, in its default font.
    selectAlignment(0);
    layoutPanelUpdateFontFamily();
    layoutPanelPopulateFontFamily(toStdString(fontFamilyPopUp_->currentText()), std::nullopt);
    showDefaultFontSize();
    layoutPanelUpdateFontForObjectTextField();
    if (row <= static_cast<int>(layoutPanelLayouts_.size())) {
        std::optional<std::string> name;
        if (row >= 1) name = layoutPanelLayouts_[static_cast<size_t>(row - 1)];
        PrintLayoutStore::setCurrentPrintLayoutName(name);
        // Loaded afresh: restoring over the layout shown would keep what the chosen one does
        // not store (the default before it is first saved), and an edit would then save it.
        delegate_.currentLayout() = PrintLayoutStore::loadCurrentPrintLayout();
        layoutPanelUpdateAll();
        delegate_.currentLayoutDidChange();
    }
    enableEditor(true);
    addObjectButton_->setEnabled(delegate_.hasLoadedRows());
    layoutPanelUpdateObjectArea();
    layoutPanelUpdateDeleteLayoutButton();
}

void LayoutPanel::saveCurrentPrintLayout() {
    std::vector<int> rows = selectedLayoutRows();
    if (rows.size() != 1 || rows.front() > static_cast<int>(layoutPanelLayouts_.size())) return;
    std::optional<std::string> name;
    if (rows.front() >= 1) name = layoutPanelLayouts_[static_cast<size_t>(rows.front() - 1)];
    PrintLayoutStore::savePrintLayoutToName(delegate_.currentLayout(), name);
}

void LayoutPanel::renameLayoutAtRow(int row, const std::string& newName) {
    if (row < 1 || row > static_cast<int>(layoutPanelLayouts_.size())) return;
    bool renamed =
        PrintLayoutStore::renameLayout(layoutPanelLayouts_[static_cast<size_t>(row - 1)], newName);
    // Refused or not, the list shows what is stored.
    reloadLayouts();
    layoutPanelSelectLayoutWithName(renamed ? std::optional(newName)
                                            : PrintLayoutStore::currentPrintLayoutName());
}

// ---- Settings ----

void LayoutPanel::layoutPanelUpdateSettingsArea() {
    const PrintLayout& layout = delegate_.currentLayout();
    rowsField_->setText(QString::number(layout.rowsInPrintView));
    columnsField_->setText(QString::number(layout.columnsInPrintView));
    for (const auto& [field, value] : lengthFields_) {
        field->setText(toQString(lengthText(layout.*value)));
    }
}

void LayoutPanel::settingsFieldDidEndEditing(QLineEdit* field) {
    PrintLayout& layout = delegate_.currentLayout();
    bool ok = false;
    if (field == rowsField_ || field == columnsField_) {
        int64_t count = field->text().trimmed().toLongLong(&ok);
        if (!ok || count < 1) return;
        (field == rowsField_ ? layout.rowsInPrintView : layout.columnsInPrintView) = count;
    } else {
        auto length = std::find_if(lengthFields_.begin(), lengthFields_.end(),
                                   [field](const auto& entry) { return entry.first == field; });
        if (length == lengthFields_.end()) return;
        float inches = field->text().trimmed().toFloat(&ok);
        // A negative length would put boxes off the page or overlap them.
        if (!ok || inches < 0 || !std::isfinite(inches)) {
            field->setText(toQString(lengthText(layout.*(length->second))));
            return;
        }
        layout.*(length->second) = inches;
    }
    saveCurrentPrintLayout();
    delegate_.currentLayoutDidChange();
}

// ---- Box objects ----

void LayoutPanel::layoutPanelUpdateAll() {
    const PrintLayout& layout = delegate_.currentLayout();
    layoutPanelUpdateFontFamily();
    layoutPanelPopulateFontFamily(toStdString(fontFamilyPopUp_->currentText()),
                                  layout.fontDescriptor);
    showDefaultFontSize();
    layoutPanelUpdateSettingsArea();
    reloadObjectsList();
    layoutPanelUpdateObjectArea();
}

std::string LayoutPanel::objectListText(const json& object) const {
    int64_t type = objectType(object);
    if (type == kNewlineObjectType) return "⏎  " + localizedString("(Newline)");
    if (type == kTextObjectType) {
        const json& text = object.contains("text") ? object["text"] : json();
        return "T  " + (text.is_string() ? text.get<std::string>() : localizedString("(Empty)"));
    }
    if (type > kLastFieldObjectType) return "T  " + localizedString("(Unknown)");
    std::vector<std::string> names = delegate_.fieldNames();
    int64_t index = fieldIndexOf(object);
    std::string name = index >= 0 && index < static_cast<int64_t>(names.size())
                           ? names[static_cast<size_t>(index)]
                           : localizedString("(No Field)");
    return "F  " + localizedFormat("%ld. %@", {std::to_string(index + 1), name});
}

void LayoutPanel::reloadObjectsList() {
    updating_ = true;
    objectsList_->clear();
    for (const json& object : delegate_.currentLayout().boxObjects) {
        auto* item = new QListWidgetItem(toQString(objectListText(object)), objectsList_);
        if (objectType(object) == kTextObjectType) {
            const json& text = object.contains("text") ? object["text"] : json();
            item->setData(kObjectTextRole,
                          text.is_string() ? toQString(text.get<std::string>()) : QString());
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
    }
    updating_ = false;
}

void LayoutPanel::layoutPanelObjectsTableViewDoubleClickOnRow(int row) {
    const json& objects = delegate_.currentLayout().boxObjects;
    if (row < 0 || row >= objectsList_->count() || row >= static_cast<int>(objects.size()) ||
        objectType(objects[static_cast<size_t>(row)]) != kTextObjectType) {
        return;
    }
    objectsList_->editItem(objectsList_->item(row));
}

void LayoutPanel::objectTextDidEndEditing(int row, const std::string& text) {
    json& objects = delegate_.currentLayout().boxObjects;
    if (row < 0 || row >= static_cast<int>(objects.size())) return;
    json& object = objects[static_cast<size_t>(row)];
    if (objectType(object) != kTextObjectType) return;
    const json& old = object.contains("text") ? object["text"] : json();
    if (old.is_string() && old.get<std::string>() == text) return;
    object["text"] = text;
    saveCurrentPrintLayout();
    delegate_.currentLayoutDidChange();
    reloadObjectsList();
    selectObjectRows(row, row);
    layoutPanelUpdateObjectArea();
}

std::vector<int> LayoutPanel::selectedObjectRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : objectsList_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void LayoutPanel::selectObjectRows(int first, int last) {
    updating_ = true;
    objectsList_->clearSelection();
    for (int row = first; row <= last && row < objectsList_->count(); ++row) {
        objectsList_->item(row)->setSelected(true);
    }
    if (first < objectsList_->count()) {
        objectsList_->setCurrentRow(first, QItemSelectionModel::NoUpdate);
    }
    updating_ = false;
}

void LayoutPanel::layoutPanelUpdateObjectArea() {
    const json& objects = delegate_.currentLayout().boxObjects;
    std::vector<int> rows = selectedObjectRows();
    std::set<int64_t> selected(rows.begin(), rows.end());
    int current = objectsList_->currentRow();
    if (!rows.empty() && (current < 0 || !selected.count(current))) current = rows.back();
    if (!rows.empty() && current < static_cast<int>(objects.size())) {
        const json& object = objects[static_cast<size_t>(current)];
        int64_t type = objectType(object);
        if (type == kNewlineObjectType) {
            objectTypePopUp_->setCurrentIndex(kNewlineItem);
            objectTextField_->clear();
        } else if (type == kTextObjectType) {
            objectTypePopUp_->setCurrentIndex(kTextItem);
            const json& text = object.contains("text") ? object["text"] : json();
            objectTextField_->setText(text.is_string() ? toQString(text.get<std::string>())
                                                       : QString());
        } else {
            objectTypePopUp_->setCurrentIndex(kFieldItem);
            int64_t index = fieldIndexOf(object);
            if (index < 0 || index >= fieldPopUp_->count()) index = 0;
            fieldPopUp_->setCurrentIndex(static_cast<int>(index));
            objectTextField_->setText(toQString(delegate_.sampleFieldText(index)));
        }
        const json& alignment = object.contains("alignment") ? object["alignment"] : json();
        selectAlignment(alignment.is_number() ? std::clamp(alignment.get<int>(), 0, 2) : 0);
        layoutPanelUpdateFontFamily();
        if (object.contains("font_family") && object["font_family"].is_string()) {
            fontFamilyPopUp_->setCurrentText(toQString(object["font_family"].get<std::string>()));
            const json& style =
                object.contains("font_descriptor") ? object["font_descriptor"] : json();
            layoutPanelPopulateFontFamily(
                toStdString(fontFamilyPopUp_->currentText()),
                style.is_string() ? std::optional(style.get<std::string>()) : std::nullopt);
        } else {
            layoutPanelPopulateFontFamily(toStdString(fontFamilyPopUp_->currentText()),
                                          std::nullopt);
        }
        const json& size = object.contains("font_size") ? object["font_size"] : json();
        if (size.is_number() && size.get<double>() >= 1) {
            fontSizeField_->setText(QString::number(size.get<double>()));
        } else {
            showDefaultFontSize();
        }
        layoutPanelUpdateFontForObjectTextField();
        deleteObjectButton_->setEnabled(true);
        saveObjectButton_->setEnabled(true);
        if (rows.size() == 1) {
            objectTypePopUp_->show();
            layoutPanelUpdateObjectAreaFromObjectType();
        } else {
            objectTypePopUp_->hide();
            fieldPopUp_->hide();
            objectTextField_->setText(localizedText("(Multiple objects selected)"));
        }
    } else {
        objectTypePopUp_->show();
        layoutPanelUpdateObjectAreaFromObjectType();
        // The field pop-up keeps its field: its sample stays beside it.
        if (objectTypePopUp_->currentIndex() == kFieldItem) {
            layoutPanelUpdateObjectTextFieldValue();
        } else {
            objectTextField_->clear();
        }
        deleteObjectButton_->setEnabled(false);
        saveObjectButton_->setEnabled(false);
    }
    addObjectButton_->setEnabled(delegate_.hasLoadedRows());
    delegate_.setSelectedBoxObjects(std::move(selected));
}

void LayoutPanel::layoutPanelUpdateObjectAreaFromObjectType() {
    int item = objectTypePopUp_->currentIndex();
    if (item < kFieldItem || item > kNewlineItem) return;
    bool field = item == kFieldItem, text = item == kTextItem, newline = item == kNewlineItem;
    fieldPopUp_->setEnabled(field);
    fieldPopUp_->setVisible(field);
    objectTextField_->setEnabled(text);
    objectTextField_->setVisible(!newline);
    alignmentControl_->setEnabled(!newline);
    alignmentControl_->setVisible(!newline);
    fontBox_->setEnabled(!newline);
    fontBox_->setVisible(!newline);
}

void LayoutPanel::layoutPanelUpdateFieldPopUpButton() {
    fieldPopUp_->clear();
    int64_t position = 0;
    for (const std::string& name : delegate_.fieldNames()) {
        fieldPopUp_->addItem(
            toQString(localizedFormat("%ld. %@", {std::to_string(position + 1), name})),
            QVariant::fromValue(position));
        ++position;
    }
}

void LayoutPanel::layoutPanelUpdateObjectTextFieldValue() {
    objectTextField_->setText(toQString(delegate_.sampleFieldText(fieldPopUp_->currentIndex())));
}

void LayoutPanel::layoutPanelUpdateFontFamily() {
    fontFamilyPopUp_->clear();
    for (const std::string& family : FontCatalog::families()) {
        fontFamilyPopUp_->addItem(toQString(family));
    }
    const PrintLayout& layout = delegate_.currentLayout();
    // A layout made where its font is installed shows the family it is set in here.
    std::string family = layout.fontFamily.value_or(layout.fullFontName.value_or("Helvetica"));
    int item = fontFamilyPopUp_->findText(toQString(family));
    if (item < 0)
        item = fontFamilyPopUp_->findText(toQString(FontCatalog::installedFamily(family)));
    if (item >= 0) fontFamilyPopUp_->setCurrentIndex(item);
    showFontFallback();
}

void LayoutPanel::showFontFallback() {
    const PrintLayout& layout = delegate_.currentLayout();
    std::string name = layout.fullFontName.value_or("Helvetica");
    if (FontCatalog::isInstalled(name)) {
        fontFallbackLabel_->clear();
        fontFallbackLabel_->hide();
        return;
    }
    fontFallbackLabel_->setText(toQString(localizedFormat(
        "%@ is not installed: %@ is used.", {name, FontCatalog::installedFamily(name)})));
    fontFallbackLabel_->show();
}

void LayoutPanel::showDefaultFontSize() {
    double size = delegate_.currentLayout().fontSize;
    fontSizeField_->setText(QString::number(size >= 1 ? size : kFallbackFontSize));
}

void LayoutPanel::selectAlignment(int segment) {
    alignmentGroup_->button(segment)->setChecked(true);
    objectTextField_->setAlignment(qtAlignment(segment));
}

void LayoutPanel::layoutPanelPopulateFontFamily(const std::optional<std::string>& family,
                                                const std::optional<std::string>& fontDescriptor) {
    if (!family || family->empty()) return;
    fontMembersPopUp_->clear();
    int chosen = -1, item = 0;
    for (const FontCatalog::Member& member : FontCatalog::members(*family)) {
        fontMembersPopUp_->addItem(toQString(member.styleName));
        if (fontDescriptor && member.styleName == *fontDescriptor) chosen = item;
        ++item;
    }
    // Without a style asked for, the family's upright one of normal weight.
    for (int member = 0; chosen < 0 && member < fontMembersPopUp_->count(); ++member) {
        QString style = fontMembersPopUp_->itemText(member);
        if (!QFontDatabase::italic(toQString(*family), style) &&
            QFontDatabase::weight(toQString(*family), style) == QFont::Normal) {
            chosen = member;
        }
    }
    if (chosen < 0 && fontMembersPopUp_->count() > 0) chosen = 0;
    fontMembersPopUp_->setCurrentIndex(chosen);
}

void LayoutPanel::layoutPanelUpdateFontForObjectTextField() {
    std::string family = toStdString(fontFamilyPopUp_->currentText());
    std::vector<FontCatalog::Member> members = FontCatalog::members(family);
    int style = fontMembersPopUp_->currentIndex();
    if (family.empty() || style < 0 || style >= static_cast<int>(members.size())) return;
    double size = std::max(fontSizeField_->text().toDouble(), 1.0);
    objectTextField_->setFont(
        FontCatalog::font(members[static_cast<size_t>(style)].fullName, size));
}

void LayoutPanel::storeFontKeysInDict(json& object) const {
    object["alignment"] = std::max(alignmentGroup_->checkedId(), 0);
    std::string family = toStdString(fontFamilyPopUp_->currentText());
    std::vector<FontCatalog::Member> members = FontCatalog::members(family);
    int style = fontMembersPopUp_->currentIndex();
    if (family.empty() || style < 0 || style >= static_cast<int>(members.size())) return;
    object["font_family"] = family;
    object["font_name"] = members[static_cast<size_t>(style)].fullName;
    object["font_descriptor"] = members[static_cast<size_t>(style)].styleName;
    double size = fontSizeField_->text().toDouble();
    if (size >= 1) object["font_size"] = size;
}

void LayoutPanel::storeBasicKeysInDict(json& object) const {
    switch (objectTypePopUp_->currentIndex()) {
        case kNewlineItem:
            object["type"] = kNewlineObjectType;
            break;
        case kTextItem:
            object["type"] = kTextObjectType;
            object["text"] = toStdString(objectTextField_->text());
            break;
        case kFieldItem: {
            if (fieldPopUp_->count() < 1) break;
            object["type"] = kFieldObjectType;
            int index = fieldPopUp_->currentIndex();
            if (index >= 0 && index < static_cast<int>(delegate_.fieldNames().size())) {
                object["field_index"] = index;
            }
            break;
        }
        default:
            break;
    }
}

void LayoutPanel::layoutPanelAddObjectToBoxButtonPressed() {
    json object = json::object();
    storeBasicKeysInDict(object);
    // Nothing is added without a type, nor a field object without its field.
    if (!object.contains("type") ||
        (object["type"] == kFieldObjectType && !object.contains("field_index"))) {
        return;
    }
    storeFontKeysInDict(object);
    json& objects = delegate_.currentLayout().boxObjects;
    int selected = objectsList_->currentRow();
    std::vector<int> rows = selectedObjectRows();
    int at = !rows.empty() && selected >= 0 && selected < static_cast<int>(objects.size())
                 ? selected + 1
                 : static_cast<int>(objects.size());
    objects.insert(objects.begin() + at, std::move(object));
    delegate_.currentLayoutDidChange();
    reloadObjectsList();
    selectObjectRows(at, at);
    layoutPanelUpdateObjectArea();
    saveCurrentPrintLayout();
}

void LayoutPanel::layoutPanelSaveObjectButtonPressed() {
    json& objects = delegate_.currentLayout().boxObjects;
    std::vector<int> rows = selectedObjectRows();
    if (rows.empty()) return;
    auto keepsFont = [](const json& object) {
        int64_t type = objectType(object);
        return type == kFieldObjectType || type == kTextObjectType || !object.contains("type");
    };
    if (rows.size() == 1) {
        int row = rows.front();
        if (row >= static_cast<int>(objects.size())) return;
        json object = objects[static_cast<size_t>(row)];
        storeBasicKeysInDict(object);
        if (keepsFont(object)) storeFontKeysInDict(object);
        objects[static_cast<size_t>(row)] = std::move(object);
        saveCurrentPrintLayout();
        delegate_.currentLayoutDidChange();
        reloadObjectsList();
        selectObjectRows(row, row);
        layoutPanelUpdateObjectArea();
        return;
    }
    // Several objects share only their font and alignment.
    for (int row : rows) {
        if (row >= static_cast<int>(objects.size())) continue;
        json& object = objects[static_cast<size_t>(row)];
        if (keepsFont(object)) storeFontKeysInDict(object);
    }
    saveCurrentPrintLayout();
    delegate_.currentLayoutDidChange();
}

void LayoutPanel::layoutPanelDeleteSelectedObjects() {
    json& objects = delegate_.currentLayout().boxObjects;
    std::vector<int> rows = selectedObjectRows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row < static_cast<int>(objects.size())) objects.erase(objects.begin() + *row);
    }
    reloadObjectsList();
    layoutPanelUpdateObjectArea();
    delegate_.currentLayoutDidChange();
    saveCurrentPrintLayout();
}

void LayoutPanel::objectsDidMove(int first, int count) {
    reloadObjectsList();
    selectObjectRows(first, first + count - 1);
    layoutPanelUpdateObjectArea();
    delegate_.currentLayoutDidChange();
    saveCurrentPrintLayout();
}

void LayoutPanel::moveObjects(const std::vector<int>& rows, int destination) {
    json& objects = delegate_.currentLayout().boxObjects;
    const size_t count = objects.size();
    const std::vector<size_t> order = placeholderOrder(count, rows, destination);
    const int moved = static_cast<int>(std::count_if(order.begin(), order.end(), [&](size_t old) {
        return std::find(rows.begin(), rows.end(), static_cast<int>(old)) != rows.end();
    }));
    if (moved == 0) return;
    objects = reordered(objects, order);
    objectsDidMove(placeholderBlockStart(count, rows, destination), moved);
}
