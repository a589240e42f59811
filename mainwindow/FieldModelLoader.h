#pragma once
// Reads what a window knows of its selected object: the display settings, the field model of a
// table or view with its special tables and stored sort and search settings, and the display
// formatters of its fields. Errors are shown on the window.
#include <string>

class DatabaseWindow;
struct TablesAndRowsState;

class FieldModelLoader {
  public:
    explicit FieldModelLoader(DatabaseWindow& window);

    // Forgets the object shown: field model, sort and search, data port and selection.
    void emptyFieldModel();
    // The display settings of the preferences, read again at every load.
    void readDisplaySettings();
    // The type, edit status and field model of the named object of the database shown.
    void loadFieldModel(const std::string& name);
    void makeDisplayFormatters();

  private:
    void loadTableFieldModel(const std::string& name, bool sorted, std::string* error);
    void loadViewFieldModel(const std::string& name, bool sorted, std::string* error);
    void reloadSpecialTables(const std::string& tableName);

    DatabaseWindow& window_;
    TablesAndRowsState& state_;
};
