// Create and Change of the Name and Fields panel: which database changes run, in which order,
// and what the panel reports.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

#include "Common/DBInterface.h"
#include "Common/FieldMoves.h"
#include "Common/ViewDependencies.h"
#include "design/NameAndFieldsPanel.h"
#include "design/PanelWindows.h"
#include "mainwindow/DatabaseWindow.h"
#include "platform/foundation/Localized.h"
#include "platform/ui/Alert.h"
#include "platform/ui/QtStrings.h"

struct NameAndFieldsPanel::Outcome {
    std::string result;  // the latest step that succeeded
    std::string error;   // the latest step that failed
    bool fieldStepFailed = false;
    bool renamed = false;
    // Something the tables list or the grid shows was written.
    bool written = false;
    // No field needed changing, or the user kept them.
    bool fieldsUnchanged = false;
    // The table's fields are the panel's (a cancelled rebuild leaves the old ones).
    bool fieldsAsPanel = true;
    // The settings that went with deleted fields, told after the result.
    std::string droppedSettings;

    void succeed(const char* message) { result = localizedString(message); }
};

namespace {
constexpr uint64_t kSpecialFlagsMask = 8 | 16384 | 32768;

uint64_t flagsForSpecialTableType(int special) {
    switch (special) {
        case NameAndFieldsPanel::LookupTable:
            return 8;
        case NameAndFieldsPanel::AppendingPickerTable:
            return 16384;
        case NameAndFieldsPanel::ReplacingPickerTable:
            return 32768;
        default:
            return 0;
    }
}

// The message of a name a new or renamed table cannot take; nothing when it is free.
std::optional<std::string> refusalOfName(const std::string& name, const std::string& path) {
    switch (DBInterface::newObjectNameUse(name, path)) {
        case DBInterface::NewNameUse::Reserved:
            return DBInterface::reservedNameMessage(name);
        case DBInterface::NewNameUse::Taken:
            return localizedString("Table already exists.");
        case DBInterface::NewNameUse::Free:
            break;
    }
    return std::nullopt;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The sort keys, searched fields and layouts that lost a deleted field, by the fields' old names.
std::string droppedSettingsText(const DBInterface::DroppedFieldSettings& dropped,
                                const std::vector<std::string>& layouts,
                                const std::vector<std::string>& oldNames) {
    auto nameAt = [&oldNames](int64_t position) {
        return position >= 0 && static_cast<size_t>(position) < oldNames.size()
                   ? oldNames[static_cast<size_t>(position)]
                   : std::to_string(position + 1);
    };
    std::vector<std::string> items;
    for (int code : dropped.sortCodes) {
        items.push_back(
            localizedFormat("sort on %@", {nameAt(DBInterface::sortFieldIndexFromCode(code))}));
    }
    for (int64_t position : dropped.searchIndexes) {
        items.push_back(localizedFormat("search in %@", {nameAt(position)}));
    }
    for (const std::string& layout : layouts) {
        items.push_back(localizedFormat("fields of print layout %@", {layout}));
    }
    if (items.empty()) return {};
    return localizedFormat("Dropped with the deleted fields: %@.", {joined(items)});
}
}  // namespace

void NameAndFieldsPanel::addTableNow() {
    nameAndFieldsPanel();
    if (databaseFilePath().empty()) return;
    errorDetailString_.reset();
    Outcome outcome;
    // Nothing is made in place of a file deleted or moved meanwhile.
    if (!DBInterface::doesDatabaseFileExist(databaseFilePath())) {
        outcome.error = DBInterface::databaseFileGoneMessage(databaseFilePath());
        showOutcome(outcome);
        return;
    }
    std::string name = toStdString(tableNameField_->text());
    // The table's own name stands as it is, whatever made it; only a name typed is cleaned.
    if (!name.empty() && !(changeExistingTable_ && name == oldTableName_)) {
        name = DBInterface::nameWithoutQuotingCharacters(name);
    }
    if (name.empty()) {
        outcome.error = localizedString("Table name is required.");
        showOutcome(outcome);
        return;
    }
    storeTypedFieldNames();
    const int special = specialPopUp_->currentData().toInt();

    int64_t oldFlags = 0;
    if (changeExistingTable_) {
        DBInterface::TableDictionary dictionary;
        if (DBInterface::getTableDictionary(&dictionary, oldTableName_, databaseFilePath(),
                                            nullptr) == 0 &&
            dictionary.table_flags && !dictionary.table_flags->empty()) {
            oldFlags = std::atoll(dictionary.table_flags->front().c_str());
        }
    }
    const auto newFlags = static_cast<int64_t>(
        (static_cast<uint64_t>(oldFlags) & ~kSpecialFlagsMask) | flagsForSpecialTableType(special));
    if (rows_.names.empty()) {
        outcome.error = localizedString("At least one field is required.");
        showOutcome(outcome);
        return;
    }
    // The table's fields are compared with those the panel was filled with: a field added or
    // renamed elsewhere since would be lost with its values, a setting changed elsewhere since
    // written back as it was.
    const DBInterface::FieldSettings settings = oldSettings();
    if (changeExistingTable_ &&
        DBInterface::checkFieldsOfFile(old_.names, &settings, oldTableName_, databaseFilePath(),
                                       nullptr) == DBInterface::kFieldsChanged) {
        outcome.error = DBInterface::fieldsChangedMessage();
        showOutcome(outcome);
        return;
    }
    const bool lookupFieldAdded =
        DBInterface::addLookupTableFieldToDatabaseFilePath(databaseFilePath(), nullptr) == 0;
    if (!lookupFieldAdded) {
        outcome.error = localizedString("Could not add lookup table field to system table.");
        outcome.fieldStepFailed = true;
    }
    if (changeExistingTable_) {
        changeTableNamed(name, oldFlags, newFlags, lookupFieldAdded, outcome);
    } else {
        createTableNamed(name, newFlags, lookupFieldAdded, outcome);
    }
}

void NameAndFieldsPanel::createTableNamed(const std::string& name, int64_t newFlags,
                                          bool lookupFieldAdded, Outcome& outcome) {
    if (std::optional<std::string> refusal = refusalOfName(name, databaseFilePath())) {
        outcome.error = *refusal;
        showOutcome(outcome);
        return;
    }
    std::string error;
    if (DBInterface::createTable(name, newFlags, rows_.names, rows_.types, &rows_.formatStyles,
                                 &rows_.lookupTables, databaseFilePath(), &error) != 0) {
        outcome.error = localizedString("Error creating table.");
        errorDetailString_ = error;
        showOutcome(outcome);
        return;
    }
    outcome.succeed("Table was created.");
    if (lookupFieldAdded) reloadAndSelect(name);
    showOutcome(outcome);
    tableNameField_->setFocus();
}

void NameAndFieldsPanel::changeTableNamed(const std::string& name, int64_t oldFlags,
                                          int64_t newFlags, bool lookupFieldAdded,
                                          Outcome& outcome) {
    if (name != oldTableName_) {
        std::string error;
        if (DBInterface::isSameSQLiteName(name, oldTableName_)) {
            outcome.error = localizedString("Cannot change table name case.");
            errorDetailString_ = localizedString(
                "To rename a table using different case, first rename it to a temporary name.");
        } else if (std::optional<std::string> refusal = refusalOfName(name, databaseFilePath())) {
            outcome.error = *refusal;
        } else if (DBInterface::renameTable(oldTableName_, name, databaseFilePath(), &error) != 0) {
            outcome.error = localizedString("Error");
            errorDetailString_ = error;
        } else {
            outcome.succeed("Table name was changed.");
            outcome.renamed = outcome.written = true;
        }
        // A refused rename ends the run: nothing is stored under a name no table bears.
        if (!outcome.renamed) {
            showOutcome(outcome);
            return;
        }
    }
    if (!lookupFieldAdded) {
        finishChange(name, oldFlags, newFlags, outcome);
        return;
    }
    changeFields(name, oldFlags, newFlags, std::make_shared<Outcome>(outcome));
}

void NameAndFieldsPanel::changeFields(const std::string& name, int64_t oldFlags, int64_t newFlags,
                                      std::shared_ptr<Outcome> outcome) {
    const bool sameIndices = rows_.indices == oldFieldIndices_;
    const bool sameNames = rows_.names == old_.names;
    const bool sameFormats = rows_.types == old_.types && rows_.formatStyles == old_.formatStyles;
    const bool sameLookups = rows_.lookupTables == old_.lookupTables;
    if (sameIndices && sameNames && sameFormats && sameLookups) {
        outcome->fieldsUnchanged = true;
        finishChange(name, oldFlags, newFlags, *outcome);
        return;
    }
    if (sameIndices && sameNames) {
        std::string error;
        const DBInterface::FieldSettings settings = oldSettings();
        if (int rc = DBInterface::changeFieldsForTable(
                name, old_.names, rows_.types, &rows_.formatStyles, rows_.lookupTables,
                databaseFilePath(), &error, true, &settings)) {
            failFieldStep(*outcome, rc, "Could not change field formats.", error);
        } else {
            outcome->succeed("Table was changed.");
            outcome->written = true;
        }
        finishChange(name, oldFlags, newFlags, *outcome);
        return;
    }
    // A rebuild: ask first when it adds or drops fields; a dropped field loses its data and
    // takes its indexes and triggers along, so the question names them.
    std::vector<std::string> droppedFields;
    for (size_t i = 0; i < old_.names.size(); ++i) {
        if (std::find(rows_.indices.begin(), rows_.indices.end(), static_cast<int64_t>(i)) ==
            rows_.indices.end()) {
            droppedFields.push_back(old_.names[i]);
        }
    }
    if (old_.names.size() == rows_.names.size() && droppedFields.empty()) {
        rebuildTable(name, *outcome);
        finishChange(name, oldFlags, newFlags, *outcome);
        return;
    }
    // A change that cannot be made fails here, before the user is asked.
    std::vector<std::string> droppedObjects, failingTriggers;
    std::string error;
    if (int rc = DBInterface::objectsDroppedByChangeTable(
            &droppedObjects, name, old_.names, rows_.indices, rows_.names, databaseFilePath(),
            &error, &failingTriggers)) {
        failFieldStep(*outcome, rc, "Could not change fields.", error);
        finishChange(name, oldFlags, newFlags, *outcome);
        return;
    }
    std::string informative = localizedString(
        "This cannot be undone!\n\nIf you created this table outside of this app, the new "
        "definition will not include field modifiers.");
    // A paragraph naming the objects, when there are any.
    auto naming = [&informative](const char* text, const std::vector<std::string>& names) {
        if (!names.empty()) informative += "\n\n" + localizedFormat(text, {joined(names)});
    };
    naming("The data of these fields will be lost: %@", droppedFields);
    naming("These indexes and triggers will be deleted: %@", droppedObjects);
    // Views, and triggers the rebuild does not drop, are kept: SQLite reads a quoted name that
    // is gone as a text, and fails on a bare one when the view is read or the trigger fires.
    // A trigger that writes a deleted field is found failing by the dry run.
    std::vector<std::string> views, triggers;
    if (!droppedFields.empty() &&
        DBInterface::viewsAndTriggersReadingFields(&views, &triggers, name, droppedFields,
                                                   databaseFilePath(), nullptr) == 0) {
        auto among = [](const std::vector<std::string>& names, const std::string& name) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        for (const std::string& trigger : failingTriggers) {
            if (!among(triggers, trigger)) triggers.push_back(trigger);
        }
        std::erase_if(triggers,
                      [&](const std::string& trigger) { return among(droppedObjects, trigger); });
        naming("These views read the deleted fields: %@", views);
        naming("These triggers use the deleted fields: %@", triggers);
    }
    Alert alert;
    alert.messageText = localizedText("Change table definition?");
    alert.informativeText = toQString(informative);
    alert.buttons = {localizedText("Change"), localizedText("Cancel")};
    QPointer<NameAndFieldsPanel> self(this);
    alert.beginSheetModalForWindow(panel_, [self, name, oldFlags, newFlags, outcome](int button) {
        if (!self) return;
        if (button == 0) {
            self->rebuildTable(name, *outcome);
        } else {
            // As if the field list had not changed: the rest of the run goes on.
            outcome->fieldsUnchanged = true;
            outcome->fieldsAsPanel = false;
        }
        self->finishChange(name, oldFlags, newFlags, *outcome);
    });
}

void NameAndFieldsPanel::rebuildTable(const std::string& name, Outcome& outcome) {
    std::string error;
    DBInterface::DroppedFieldSettings dropped;
    const DBInterface::FieldSettings settings = oldSettings();
    if (int rc = DBInterface::changeTable(name, old_.names, rows_.indices, rows_.names, rows_.types,
                                          &rows_.formatStyles, &rows_.lookupTables, nullptr,
                                          databaseFilePath(), &error, &dropped, &settings)) {
        failFieldStep(outcome, rc, "Could not change fields.", error);
        return;
    }
    // Layouts name fields by position, as the table's settings do.
    std::vector<std::string> layouts;
    if (layoutFieldsFollower_) {
        layouts =
            layoutFieldsFollower_(DBInterface::newFieldPositions(rows_.indices, old_.names.size()));
    }
    outcome.droppedSettings = droppedSettingsText(dropped, layouts, old_.names);
    outcome.succeed("Table was changed.");
    outcome.written = true;
}

DBInterface::FieldSettings NameAndFieldsPanel::oldSettings() const {
    return {old_.types, old_.formatStyles, old_.lookupTables};
}

void NameAndFieldsPanel::failFieldStep(Outcome& outcome, int rc, const char* failure,
                                       const std::string& error) {
    outcome.fieldStepFailed = true;
    if (rc == DBInterface::kFieldsChanged) {
        outcome.error = DBInterface::fieldsChangedMessage();
        return;
    }
    outcome.error = localizedString(failure);
    errorDetailString_ = error;
}

void NameAndFieldsPanel::finishChange(const std::string& name, int64_t oldFlags, int64_t newFlags,
                                      Outcome& outcome) {
    const std::string& path = databaseFilePath();
    if (outcome.fieldStepFailed) {
        // A failed change leaves the table as it was: its name too, and no meta rows or flags.
        if (outcome.renamed && DBInterface::renameTable(name, oldTableName_, path, nullptr) == 0) {
            outcome.result.clear();
        }
        showOutcome(outcome);
        return;
    }
    const bool metaRowsMissing = !DBInterface::doesTableExistInMetadataTable(name, path);
    if (outcome.fieldsUnchanged && !metaRowsMissing && outcome.result.empty() &&
        newFlags == oldFlags) {
        outcome.succeed("No changes made.");
        showOutcome(outcome);
        return;
    }
    if (metaRowsMissing) {
        // The rows describe the table as it now stands.
        const FieldRows& fields = outcome.fieldsAsPanel ? rows_ : old_;
        std::string error;
        if (DBInterface::createTable(name, newFlags, fields.names, fields.types,
                                     &fields.formatStyles, &fields.lookupTables, path,
                                     &error) != 0) {
            outcome.error = localizedString("Could not create metadata rows.");
            errorDetailString_ = error;
            outcome.fieldStepFailed = true;
            showOutcome(outcome);
            return;
        }
        // Written before the fields in effect: a field change has the last word.
        if (outcome.fieldsUnchanged) outcome.succeed("System table was updated.");
        outcome.written = true;
    }
    if (newFlags != oldFlags) {
        std::string error;
        if (DBInterface::updateSystemTable(name, static_cast<uint64_t>(newFlags), path, &error) !=
            0) {
            outcome.error = localizedString("Error updating table lookup.");
            errorDetailString_ = error;
        } else {
            outcome.succeed("Table was changed.");
            outcome.written = true;
        }
    }
    if (outcome.written) reloadAndSelect(name);
    showOutcome(outcome);
}

void NameAndFieldsPanel::reloadAndSelect(const std::string& name) {
    window_.reloadTablesAndSelectTableNamed(name);
}

void NameAndFieldsPanel::showOutcome(const Outcome& outcome) {
    if (!outcome.result.empty()) {
        errorLabel_->setText(toQString(outcome.droppedSettings.empty()
                                           ? outcome.result
                                           : outcome.result + " " + outcome.droppedSettings));
        errorDetailButton_->hide();
        return;
    }
    errorLabel_->setText(toQString(outcome.error));
    if (errorDetailString_) errorDetailButton_->show();
}
