#pragma once
// The layout panel: the floating panel where print layouts are designed while the print console
// shows the result. The layouts list (the default layout and the named ones), the page and box
// settings, the box objects and the editor of an object. Every edit goes into the current
// layout at once, is saved under the selected layout and redraws the console.
#include <QDialog>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "exchange/PrintLayout.h"

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

// What the panel asks of the print console it belongs to.
class LayoutPanelDelegate {
  public:
    virtual ~LayoutPanelDelegate() = default;
    virtual PrintLayout& currentLayout() = 0;
    // The current layout was changed or replaced: the console redraws.
    virtual void currentLayoutDidChange() = 0;
    virtual std::vector<std::string> fieldNames() const = 0;
    virtual bool hasLoadedRows() const = 0;
    // The display text of the field in the first row.
    virtual std::string sampleFieldText(int64_t fieldPosition) = 0;
    virtual void setDesignMode(bool designMode) = 0;
    virtual void setSelectedBoxObjects(std::set<int64_t> objects) = 0;
    virtual void showInfoAlert(const std::string& title, const std::string& text) = 0;
};

class LayoutPanel : public QDialog {
    Q_OBJECT

  public:
    // The add-layout presets; any other tag copies the current layout.
    enum AddLayoutTag { kCopyOfCurrentLayout = 0 };

    LayoutPanel(LayoutPanelDelegate& delegate, QWidget* parent);

    // Shows the panel, filled from the stored layouts, or brings it to the front.
    void open();

    // ---- Layouts ----
    void reloadLayouts();
    void layoutPanelAddLayoutButtonPressed(int tag);
    void layoutPanelDeleteLayoutButtonPressed();
    // Selects the layout's row (the default layout's for none or an unknown name), which makes
    // it the current layout.
    void layoutPanelSelectLayoutWithName(const std::optional<std::string>& name);
    void layoutPanelUpdateButtonsFromLayoutsTableView();
    // Saves the current layout under the selected one; nothing without one selected row.
    void saveCurrentPrintLayout();
    // Applies the name typed into a named layout's row.
    void renameLayoutAtRow(int row, const std::string& newName);

    // ---- Settings ----
    void layoutPanelUpdateSettingsArea();
    // The typed text of a settings field goes into the current layout: rows and columns of at
    // least 1, lengths of 0 or more; anything else is refused and the field shows the value kept.
    void settingsFieldDidEndEditing(QLineEdit* field);

    // ---- Box objects ----
    void layoutPanelUpdateAll();
    void layoutPanelUpdateObjectArea();
    void layoutPanelUpdateObjectAreaFromObjectType();
    void layoutPanelUpdateFieldPopUpButton();
    void layoutPanelUpdateObjectTextFieldValue();
    void layoutPanelUpdateFontFamily();
    void layoutPanelPopulateFontFamily(const std::optional<std::string>& family,
                                       const std::optional<std::string>& fontDescriptor);
    void layoutPanelUpdateFontForObjectTextField();
    void layoutPanelAddObjectToBoxButtonPressed();
    void layoutPanelSaveObjectButtonPressed();
    void layoutPanelDeleteSelectedObjects();
    // Moves the objects listed at the rows to before row `destination` (the end for a row past
    // the objects).
    void moveObjects(const std::vector<int>& rows, int destination);
    // Lists the current layout's objects again, their fields named as the selected table has them.
    void reloadObjectsList();
    // A double click on a text object's row edits its text in place.
    void layoutPanelObjectsTableViewDoubleClickOnRow(int row);
    // The text typed into a text object's row is stored as the object's text.
    void objectTextDidEndEditing(int row, const std::string& text);

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void buildView();
    QLineEdit* addSettingsField(class QGridLayout* grid, int row, int column, const char* label,
                                const char* name);
    void selectObjectRows(int first, int last);
    std::vector<int> selectedObjectRows() const;
    std::vector<int> selectedLayoutRows() const;
    void layoutPanelUpdateDeleteLayoutButton();
    void enableEditor(bool enabled);
    void storeBasicKeysInDict(nlohmann::json& object) const;
    void storeFontKeysInDict(nlohmann::json& object) const;
    void showFontFallback();
    // The size field shows the layout's font size, 13 points when it has none.
    void showDefaultFontSize();
    void selectAlignment(int segment);
    void objectsDidMove(int first, int count);
    std::string objectListText(const nlohmann::json& object) const;

    LayoutPanelDelegate& delegate_;
    std::vector<std::string> layoutPanelLayouts_;
    bool updating_ = false;

    QListWidget* layoutsList_ = nullptr;
    QToolButton* addLayoutButton_ = nullptr;
    QPushButton* deleteLayoutButton_ = nullptr;
    QWidget* settingsArea_ = nullptr;
    QLineEdit *rowsField_ = nullptr, *columnsField_ = nullptr;
    std::vector<std::pair<QLineEdit*, double PrintLayout::*>> lengthFields_;
    QListWidget* objectsList_ = nullptr;
    QComboBox* objectTypePopUp_ = nullptr;
    QComboBox* fieldPopUp_ = nullptr;
    QLineEdit* objectTextField_ = nullptr;
    QButtonGroup* alignmentGroup_ = nullptr;
    QWidget* alignmentControl_ = nullptr;
    QWidget* fontBox_ = nullptr;
    QComboBox* fontFamilyPopUp_ = nullptr;
    QComboBox* fontMembersPopUp_ = nullptr;
    QLineEdit* fontSizeField_ = nullptr;
    QLabel* fontFallbackLabel_ = nullptr;
    QPushButton *addObjectButton_ = nullptr, *saveObjectButton_ = nullptr,
                *deleteObjectButton_ = nullptr;
};
