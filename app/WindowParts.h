#pragma once
// The parts of one database window, each by its own type, as the composition root made them:
// the application reaches a console or panel of a window here, never by number or by cast.
#include <memory>

class AddTableSheet;
class AppDelegate;
class DatabasesWindow;
class DeleteAllRows;
class DragTablesPanel;
class DuplicateTablesSheet;
class EditFieldPanel;
class ExpandedFieldsPanel;
class ExportConsole;
class HiddenObjects;
class ImportConsole;
class NameAndFieldsPanel;
class PickerTypesWindow;
class PrintConsole;
class RecordConsole;
class RowsConsole;
class SQLConsole;
class SearchPanel;
class SortPanel;
class TableSchemaWindow;
class TablesAndRowsController;
class WebBookmarksWindow;

struct WindowParts {
    // Owns the controller, which owns every console and panel below.
    std::unique_ptr<TablesAndRowsController> owner;
    TablesAndRowsController& controller;

    RowsConsole& rows;
    RecordConsole& record;
    SQLConsole& sql;
    ImportConsole& import;
    ExportConsole& exportConsole;
    PrintConsole& print;

    SortPanel& sort;
    SearchPanel& search;
    WebBookmarksWindow& webBookmarks;
    TableSchemaWindow& tableSchema;
    HiddenObjects& hiddenObjects;
    DuplicateTablesSheet& duplicateTables;
    DeleteAllRows& deleteAllRows;
    NameAndFieldsPanel& nameAndFields;
    PickerTypesWindow& pickerTypes;
    EditFieldPanel& editField;
    ExpandedFieldsPanel& expandedFields;
    AddTableSheet& addTable;
    DragTablesPanel& dragTables;
    DatabasesWindow& databases;

    ~WindowParts();
};

// A database window's controller with the consoles and panels it shows, made for a window slot.
std::unique_ptr<WindowParts> makeWindowParts(AppDelegate& app, int windowIndex);
