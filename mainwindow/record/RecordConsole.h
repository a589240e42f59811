#pragma once
// The record console: the grid's focused row shown field by field (name, value field, detail
// button) for adding a row, saving changed fields, reverting, clearing and deleting. It edits a
// buffer of the row's values beside the values as loaded; the fields whose value differs are
// the window's fieldIndexesOfDirtyData, and "Not saved" shows while there are any. It starts on
// the field the window names (fieldIndexToEdit, none for the first field), and moving up or
// down moves the grid's focus, the editor following it.
#include <QObject>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "Common/DBTypes.h"
#include "Common/ShownRows.h"
#include "mainwindow/Console.h"
#include "mainwindow/IndexSpaces.h"
#include "mainwindow/RecordEditorRequests.h"

class CellTextField;
class DatabaseWindow;
class QGridLayout;
class QLabel;
class QPushButton;
class QWidget;
struct TablesAndRowsState;

class RecordConsole : public QObject, public Console, public RecordEditorRequests {
    Q_OBJECT

  public:
    // Status of the message line.
    enum Status { kPlain = 0, kSuccess = 1, kError = 2 };

    explicit RecordConsole(DatabaseWindow& window);
    ~RecordConsole() override;

    QWidget* view() override;
    void selectedObjectDidChange() override;
    void consoleDidAppear() override;
    // While shown and unchanged, the editor follows the grid to another focused row.
    void focusDidMove() override;
    // The menu's "Edit Field in Panel": the edit-field sheet over the field being edited.
    void editFieldInPanelMenuItemClicked();
    void editFieldSheetDidEnd(FieldIndex field, const std::optional<std::string>& text) override;
    // The detail button of a field's line: the edit-field sheet over that field.
    void editRowDetailButtonPressed(FieldIndex field);

    // The buffer: current values by field index (the rowid at 0).
    const std::vector<DBValue>& addRowViewFieldValues();

    // Loads the grid's focused row (empty strings without one) and shows it.
    void reloadAddRowView();
    // Typed text for the field: an empty text over a value loaded as NULL keeps NULL.
    void takeTypedText(FieldIndex field, const std::string& text);
    void addRowNow(bool focusFirstField);
    void addRowButtonPressed() { addRowNow(false); }
    void saveRowButtonPressed();
    void revertRowButtonPressed();
    void clearRowButtonPressed();
    // Asks unless NoWarnOnRowDelete is set, then deletes the row by its rowid.
    void deleteRowButtonPressed();
    // The field being edited becomes NULL in the buffer.
    void setToNULLMenuItemClicked();
    // The grid's focus moves by rows and the editor follows on the same field.
    void moveSelectionUpOneRow() { followGrid(-1); }
    void moveSelectionDownOneRow() { followGrid(1); }
    void moveSelectionUpOnePage();
    void moveSelectionDownOnePage();
    void moveSelectionUpAllTheWay();
    void moveSelectionDownAllTheWay();
    void makeAddRowTableViewRowFirstResponder(FieldIndex field);

    CellTextField* valueField(FieldIndex field) const;
    QLabel* statusLabel() const { return statusLabel_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class HeldText : char { kInBuffer, kAsLoaded, kInField };

    // Shows a failed write's error once the input given during the write has been handled.
    void showWriteError(const std::string& error);
    void buildView();
    // One line per field of the object; made again when the fields changed.
    void makeLines();
    // Shows the buffer in the lines.
    void reloadLines();
    // The buffer's values that the page held cut are read whole, except raw ones; a value that
    // cannot be read stays cut.
    void readCutTextsWhole();
    // The values from first to last that the page held cut are read whole; false when a read
    // failed (shown).
    bool readCutValuesWhole(FieldIndex first, FieldIndex last);
    // After a write the buffer takes the row as the file holds it: generated fields and
    // triggers may have stored other values than those typed.
    void readRowAsStored(const std::string& table);
    // After a refused Save or Delete: the row as the file holds it now takes the place of the one
    // shown, what was typed staying not saved; a row gone gives way to the row now at its place;
    // fields changed keep every write refused until the table is reloaded.
    void takeRowAfterRefusal(int refusal, const std::string& table);
    void takeRowAsItStands(DBRow row);
    // A key edited the field's text: it stays held by the field alone until needed.
    void valueFieldEdited(CellTextField* line);
    // The texts held elsewhere go back into the buffer, and those as loaded into the values as
    // loaded.
    void takeTextsFromFields();
    void takeLoadedTextsFromFields();
    // The field of the field index, when it holds the value as loaded in the place of
    // origValues_.
    const CellTextField* fieldHoldingLoaded(size_t at) const;
    // Whether value is the value as loaded at the field index.
    bool isLoadedValue(size_t at, const DBValue& value) const;
    // The text at the field index is held where told, the buffer keeping an empty one unless
    // that is the buffer itself.
    void holdText(size_t at, HeldText where);
    HeldText heldText(size_t at) const {
        return at < heldTexts_.size() ? heldTexts_[at] : HeldText::kInBuffer;
    }
    void updateFieldIndexesOfDirtyData(FieldIndex field);
    void addRowViewShowNotSaved();
    void enableAddRowViewButtons(const std::string& message, int status);
    void addRowViewShowMessage(const std::string& message, int status);
    void updateLabels();
    // After the buffer changed by a command: "Not saved" or the buttons set back.
    void showDirtyState();
    void deleteRowNow(const std::string& table);
    void followGrid(int64_t offset);
    void followGrid(int64_t offset, FieldIndex field);
    // Tab and Shift-Tab in a value field: the next or previous field, across the row's ends
    // to the neighbouring row.
    void insertTab(FieldIndex field);
    void insertBacktab(FieldIndex field);
    bool isInsertCapable() const;
    FieldIndex fieldOfValueField(const QObject* field) const;

    DatabaseWindow& window_;
    TablesAndRowsState& state_;
    std::vector<DBValue> values_;
    std::vector<DBValue> origValues_;
    // The row as it was read, with the fields: Save and Delete write only while it stands.
    DBInterface::ShownRows shown_;
    // Where a buffer's text is while the buffer holds an empty one in its place (heldTexts_, by
    // field index): a key does not copy a long text out of its field, and a text as loaded is
    // not held twice.
    std::vector<HeldText> heldTexts_;
    // The field indexes whose value as loaded, a text, is held by its field alone (shared with
    // the text it shows) while origValues_ holds an empty one: a long text is held once.
    std::vector<bool> loadedInFields_;
    // The buffer holds the row Add made, which the grid does not focus.
    bool showsAddedRow_ = false;
    std::vector<std::string> lineFieldNames_;
    // The view's widgets live as long as the view, which lives as long as its window.
    QPointer<QWidget> view_;
    QWidget* form_ = nullptr;
    QGridLayout* lines_ = nullptr;
    std::vector<CellTextField*> valueFields_;  // by field index - 1
    QLabel* rowNumberLabel_ = nullptr;
    QLabel* rowidLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* revertButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
};
